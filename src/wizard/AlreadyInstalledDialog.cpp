#include "wizard/AlreadyInstalledDialog.h"
#include "common/StringIds.h"

#include "catalogue/SetupPackage.h"
#include "launcher/SetupApp.h"

namespace quentry {

CDialog_AlreadyInstalled::CDialog_AlreadyInstalled(CSetupApp& app)
    : CDialogBase(kTemplateId, app.ResourceModule(),
                  app.m_languages.Current() ? app.m_languages.Current()->langId : 1033),
      m_app(app) {}

void CDialog_AlreadyInstalled::OnInitDialog() {
    const SetupPackage& main = *m_app.m_packages.front();
    SetItemText(kTextId, m_app.m_languages.FormatString(main.m_installedFromOtherPackage
                                                            ? strings::kInstalledElsewhere
                                                            : strings::kSubPackagesInstalledElsewhere,
                                                        main.m_productName.c_str()));
    std::wstring list;
    for (size_t i = 1; i < m_app.m_packages.size(); ++i) {
        if (m_app.m_packages[i]->m_installedFromOtherPackage) {
            if (!list.empty()) {
                list += L"\n";
            }
            list += m_app.m_packages[i]->m_productName;
        }
    }
    if (list.empty()) {
        ShowItem(kSubPackageListId, false);
        ShowItem(kRemoveSubPackagesId, false);
    } else {
        SetItemText(kSubPackageListId, list);
        SetItemText(kRemoveSubPackagesId, m_app.m_languages.LoadString(strings::kRemoveSubPackagesToo));
    }
    SetChecked(kRemoveSubPackagesId, m_removeSubPackages);
}

bool CDialog_AlreadyInstalled::OnOK() {
    m_removeSubPackages = IsChecked(kRemoveSubPackagesId);
    return true;
}

std::optional<bool> AskInstallAlert(CSetupApp& app) {
    CDialog_AlreadyInstalled dialog(app);
    const INT_PTR answer = dialog.DoModal();
    if (answer == -1) {
        // Without the user's word nothing is removed: the run ends as a declined one.
        app.WriteLogLine(LogError, L"The Install Alert dialog could not be shown.");
    }
    if (answer != IDOK) {
        return std::nullopt;
    }
    return dialog.m_removeSubPackages;
}

} // namespace quentry
