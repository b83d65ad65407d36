#include "wizard/WelcomeWizardPage.h"

#include "wizard/WizardDialog.h"

namespace quentry {

namespace {

constexpr unsigned kHeading = 150;
constexpr unsigned kRepairText = 38;
constexpr unsigned kUninstallText = 36;
constexpr unsigned kModifyText = 37;
constexpr unsigned kNotice = 1045;

} // namespace

void WelcomeWizardPage::CreateControls(HWND, int width, int) {
    AddProductBitmap(0, 10);
    m_heading =
        AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 63, 18, width, 38, kHeadingId, m_frame.TextFont());
    const bool longName = m_frame.ProductName().size() > kLongNameLength;
    m_productName = AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 63, 38, width, 78, kProductNameId,
                               longName ? m_frame.BoldFont() : m_frame.TitleFont());
    m_description =
        AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 73, width, 153, kDescriptionId, m_frame.TextFont());
    m_notice =
        AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 170, width, 210, kNoticeId, m_frame.TextFont());
}

void WelcomeWizardPage::OnActivated() {
    m_frame.ShowLanguageList(m_frame.Run().MultiLanguageResources() && m_frame.IsNewInstall());
    ::EnableWindow(m_frame.Item(CWizardDialog::kNextId), TRUE);
    ::EnableWindow(m_frame.Item(CWizardDialog::kBackId), FALSE);
    Show();
}

void WelcomeWizardPage::UpdateTexts() {
    const std::wstring product = m_frame.ProductName();
    ::SetWindowTextW(m_heading, m_strings.LoadString(kHeading).c_str());
    ::SetWindowTextW(m_productName, product.c_str());
    std::wstring description;
    if (m_frame.IsRepair()) {
        description = m_strings.LoadString(kRepairText);
    } else if (m_frame.IsUninstall()) {
        description = m_strings.LoadString(kUninstallText);
    } else if (m_frame.IsModify()) {
        description = m_strings.LoadString(kModifyText);
    } else {
        description = m_strings.FormatString(m_frame.Run().WelcomeTextId(), product.c_str());
    }
    ::SetWindowTextW(m_description, description.c_str());
    ::SetWindowTextW(m_notice, m_strings.LoadString(kNotice).c_str());
}

} // namespace quentry
