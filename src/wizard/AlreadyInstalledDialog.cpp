#include "wizard/AlreadyInstalledDialog.h"

namespace quentry {

CDialog_AlreadyInstalled::CDialog_AlreadyInstalled(const InstallAlertModel& model)
    : CDialogBase(kTemplateId, model.resources, model.language), m_model(model) {}

void CDialog_AlreadyInstalled::OnInitDialog() {
    SetItemText(kTextId, m_model.text);
    if (m_model.subPackageList.empty()) {
        ShowItem(kSubPackageListId, false);
        ShowItem(kRemoveSubPackagesId, false);
    } else {
        SetItemText(kSubPackageListId, m_model.subPackageList);
        SetItemText(kRemoveSubPackagesId, m_model.removeSubPackagesLabel);
    }
    SetChecked(kRemoveSubPackagesId, m_removeSubPackages);
}

bool CDialog_AlreadyInstalled::OnOK() {
    m_removeSubPackages = IsChecked(kRemoveSubPackagesId);
    return true;
}

std::optional<bool> AskInstallAlert(const InstallAlertModel& model, const LogSink& log) {
    CDialog_AlreadyInstalled dialog(model);
    const INT_PTR answer = dialog.DoModal();
    if (answer == -1 && log) {
        // Without the user's word nothing is removed: the run ends as a declined one.
        log(LogError, L"The Install Alert dialog could not be shown.");
    }
    if (answer != IDOK) {
        return std::nullopt;
    }
    return dialog.m_removeSubPackages;
}

} // namespace quentry
