#include "wizard/SubPackagesWizardPage.h"

#include "wizard/WizardDialog.h"

#include <algorithm>

namespace quentry {

namespace {

constexpr unsigned kTitle = 1041;
constexpr unsigned kRepairText = 41;
constexpr unsigned kUninstallText = 40;
constexpr unsigned kModifyText = 42;
constexpr unsigned kInstallText = 39;

} // namespace

void SubPackagesWizardPage::CreateControls(HWND, int width, int) {
    WizardRun& run = m_frame.Run();
    if (run.PackageCount() <= 2) {
        return;
    }
    m_title = AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 20, width, 39, kTitleId, m_frame.TitleFont());
    m_description =
        AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 44, width, 101, kDescriptionId, m_frame.TextFont());
    const int last = std::min(run.PackageCount() - 1, kFirstOfferedPosition + kMaxCheckBoxes - 1);
    for (int position = kFirstOfferedPosition; position <= last; ++position) {
        const int i = position - kFirstOfferedPosition;
        HWND box = AddControl(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 18, 96 + 21 * i, width, 115 + 21 * i,
                              kFirstCheckBoxId + i, m_frame.TextFont());
        ::SetWindowTextW(box, run.ProductName(position).c_str());
        ::SendMessageW(box, BM_SETCHECK, run.IsSelected(position) ? BST_CHECKED : BST_UNCHECKED, 0);
        m_checkBoxes.push_back(box);
    }
}

void SubPackagesWizardPage::UpdateTexts() {
    if (m_title == nullptr) {
        return;
    }
    ::SetWindowTextW(m_title, m_strings.LoadString(kTitle).c_str());
    const unsigned id = m_frame.IsRepair()      ? kRepairText
                        : m_frame.IsUninstall() ? kUninstallText
                        : m_frame.IsModify()    ? kModifyText
                                                : kInstallText;
    ::SetWindowTextW(m_description, m_strings.LoadString(id).c_str());
}

void SubPackagesWizardPage::OnActivated() {
    if (m_frame.IsUninstall()) {
        for (size_t i = 0; i < m_checkBoxes.size(); ++i) {
            if (!m_frame.Run().IsProductInstalled(kFirstOfferedPosition + static_cast<int>(i))) {
                ::EnableWindow(m_checkBoxes[i], FALSE);
            }
        }
    }
    if (!m_checkBoxes.empty()) {
        ::SetFocus(m_checkBoxes.front());
    }
    Show();
}

bool SubPackagesWizardPage::OnNext() {
    for (size_t i = 0; i < m_checkBoxes.size(); ++i) {
        const bool checked = ::SendMessageW(m_checkBoxes[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
        m_frame.Run().SetSelected(kFirstOfferedPosition + static_cast<int>(i), checked);
    }
    return true;
}

} // namespace quentry
