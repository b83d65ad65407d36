// "Install Alert": packages of this installer are on the machine from a different installer; the
// user confirms their removal, with a check box for the sub-packages.
#pragma once

#include "wizard/DialogBase.h"

#include <optional>

namespace quentry {

class CSetupApp;

class CDialog_AlreadyInstalled : public CDialogBase {
public:
    static constexpr UINT kTemplateId = 157;
    static constexpr int kTextId = 1142;
    static constexpr int kRemoveSubPackagesId = 1138;
    static constexpr int kSubPackageListId = 1139;

    explicit CDialog_AlreadyInstalled(CSetupApp& app);

    // The check box: remove the listed sub-packages as well (initially true; stored on OK).
    bool m_removeSubPackages = true;

protected:
    void OnInitDialog() override;
    bool OnOK() override;

private:
    CSetupApp& m_app;
};

// Runs the dialog: none when the user declines (or it cannot be shown), else whether the
// sub-packages are to be removed as well.
std::optional<bool> AskInstallAlert(CSetupApp& app);

} // namespace quentry
