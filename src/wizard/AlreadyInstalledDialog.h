// "Install Alert": packages of this installer are on the machine from a different installer; the
// user confirms their removal, with a check box for the sub-packages.
#pragma once

#include "common/LogSink.h"
#include "wizard/DialogBase.h"

#include <optional>
#include <string>

namespace quentry {

// What the dialog shows, in the wizard's language.
struct InstallAlertModel {
    HMODULE resources = nullptr;
    LANGID language = 1033;
    // The question about the main product (or about its sub-packages alone).
    std::wstring text;
    // The sub-packages installed elsewhere, one per line; empty hides the list and the check box.
    std::wstring subPackageList;
    std::wstring removeSubPackagesLabel;
};

class CDialog_AlreadyInstalled : public CDialogBase {
public:
    static constexpr UINT kTemplateId = 157;
    static constexpr int kTextId = 1142;
    static constexpr int kRemoveSubPackagesId = 1138;
    static constexpr int kSubPackageListId = 1139;

    explicit CDialog_AlreadyInstalled(const InstallAlertModel& model);

    // The check box: remove the listed sub-packages as well (initially true; stored on OK).
    bool m_removeSubPackages = true;

protected:
    void OnInitDialog() override;
    bool OnOK() override;

private:
    const InstallAlertModel& m_model;
};

// Runs the dialog: none when the user declines (or it cannot be shown, which is logged), else
// whether the sub-packages are to be removed as well.
std::optional<bool> AskInstallAlert(const InstallAlertModel& model, const LogSink& log);

} // namespace quentry
