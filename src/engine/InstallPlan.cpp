#include "engine/InstallPlan.h"

namespace quentry {

namespace {

constexpr wchar_t kHasSubPackages[] = L"HAS_SUB_PACKAGES=\"Yes\" ";
constexpr wchar_t kHideFinish[] = L"UI_HIDE_FINISH_DLG=\"Yes\" ";
constexpr wchar_t kHideAllButCustomize[] = L"UI_HIDE_ALL_BUT_CUSTOMIZE_AND_PROGRESS=\"Yes\" ";
constexpr wchar_t kHideAllButProgress[] = L"UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" ";
constexpr wchar_t kShowLicense[] = L"UI_SHOW_LICENSE_AGREEMENT_DLG=\"Yes\" ";

std::wstring LanguageProperty(const InstallPlanSettings& settings) {
    return settings.multiLanguage ? L"INSTALLER_LANGUAGE=\"" + settings.languageIsoCode + L"\" " : L"";
}

// The call that takes package i back out after its installation (or, for an administrative
// installation, repeats it: the administrative flag comes before the removal).
PlannedCall::Inverse RollBackCall(const InstallPlanSettings& settings, const PlanPackage& package,
                                  bool extractAgain) {
    return {L"Rolling back product " + package.productName,
            InstallerCommandLine(settings, !settings.uninstall, kHideAllButProgress), extractAgain};
}

void PlanInstall(const InstallPlanSettings& settings, const std::vector<PlanPackage>& packages,
                 InstallPlan& plan) {
    const bool several = packages.size() > 1;
    for (size_t i = 0; i < packages.size(); ++i) {
        const PlanPackage& package = packages[i];
        if (!package.selected) {
            continue;
        }
        // The sub-packages' dialogs follow the installation type the user chose in the main
        // package; it is read once, at the second package, when that one takes part.
        std::wstring ui;
        std::wstring customUi;
        if (several) {
            ui = std::wstring(kHasSubPackages) + (i == 0 ? kHideFinish : kHideAllButProgress);
            customUi = std::wstring(kHasSubPackages) + (i == 0 ? kHideFinish : kHideAllButCustomize);
        }
        std::wstring rest = LanguageProperty(settings);
        if (settings.backupProperties) {
            rest += *settings.backupProperties + L" ";
        }
        if (settings.serviceProperties) {
            rest += *settings.serviceProperties + L" ";
        }
        if (settings.multiLanguage && settings.language != 1033 && !package.transformPath.empty()) {
            rest += L"TRANSFORMS=\"" + package.transformPath + L"\" ";
        }
        PlannedCall call;
        call.package = i;
        call.logLine = L"Installing product " + package.productName;
        call.commandLine = InstallerCommandLine(settings, settings.uninstall, ui + rest);
        if (several && i > 0) {
            call.asksInstallationType = i == 1;
            call.customCommandLine = InstallerCommandLine(settings, settings.uninstall, customUi + rest);
        }
        call.inverse = RollBackCall(settings, package, false);
        plan.calls.push_back(std::move(call));
    }
}

void PlanModify(const InstallPlanSettings& settings, const std::vector<PlanPackage>& packages,
                InstallPlan& plan) {
    const bool several = packages.size() > 1;
    bool newSubPackage = false;
    for (size_t i = 1; several && i < packages.size(); ++i) {
        newSubPackage = newSubPackage || (packages[i].selected && !packages[i].installed);
    }
    for (size_t i = 0; i < packages.size(); ++i) {
        if (!packages[i].selected) {
            continue;
        }
        std::wstring extra;
        if (several) {
            extra = std::wstring(kHasSubPackages) + (i == 0 ? kHideFinish : kHideAllButCustomize);
            if (newSubPackage) {
                extra += kShowLicense;
            }
        }
        extra += LanguageProperty(settings);
        if (settings.serviceProperties) {
            extra += *settings.serviceProperties + L" ";
        }
        PlannedCall call;
        call.package = i;
        call.logLine = L"Modifying product " + packages[i].productName;
        call.commandLine = InstallerCommandLine(settings, settings.uninstall, extra);
        plan.calls.push_back(std::move(call));
    }
}

void PlanUninstall(const InstallPlanSettings& settings, const std::vector<PlanPackage>& packages,
                   InstallPlan& plan) {
    if (!packages.empty() && packages[0].selected && !packages[0].installed) {
        plan.refusal = ERROR_INSTALL_FAILURE;
        return;
    }
    const std::wstring extra =
        packages.size() > 1 ? std::wstring(kHasSubPackages) + kHideAllButProgress : L"";
    for (size_t i = packages.size(); i-- > 0;) {
        const PlanPackage& package = packages[i];
        if (!package.selected || !package.installed) {
            continue;
        }
        PlannedCall call;
        call.package = i;
        call.logLine = L"Uninstalling product " + package.productName;
        call.commandLine = InstallerCommandLine(settings, settings.uninstall, extra);
        call.onlyWhenInstalled = true;
        if (i > 0) {
            call.entryPhaseBefore = UninstallEntryPhase::PrepareRemove;
            // A removed sub-package comes back when a later removal fails; the main package is
            // removed last, so nothing follows it.
            call.inverse = RollBackCall(settings, package, true);
        }
        plan.calls.push_back(std::move(call));
    }
}

} // namespace

std::wstring InstallerCommandLine(const InstallPlanSettings& settings, bool removing,
                                  const std::wstring& extra) {
    std::wstring text;
    if (!settings.mifFileName.empty()) {
        text += L"/m " + settings.mifFileName + L" ";
    }
    if (settings.adminInstall) {
        text += L"ACTION=ADMIN ";
    } else if (removing) {
        text += L"REMOVE=ALL ";
    }
    text += L"INSTALLEDFROMLAUNCHER=Yes ";
    if (settings.buildProperties) {
        text += *settings.buildProperties + L" ";
    }
    for (const std::wstring& property : settings.properties) {
        text += property + L" ";
    }
    return text + extra;
}

InstallPlan PlanInstallation(const InstallPlanSettings& settings, const std::vector<PlanPackage>& packages) {
    InstallPlan plan;
    plan.action = settings.action;
    switch (settings.action) {
    case InstallAction::ExtractProducts:
    case InstallAction::RepairProducts:
        plan.onFailure = OnFailure::GoOn;
        for (size_t i = 0; i < packages.size(); ++i) {
            if (!packages[i].selected) {
                continue;
            }
            PlannedCall call;
            call.package = i;
            if (settings.action == InstallAction::ExtractProducts) {
                call.kind = CallKind::CopyDatabaseOut;
                call.logLine = L"Extracting product " + packages[i].productName;
            } else {
                call.kind = CallKind::ReinstallProduct;
                call.logLine = L"Reinstalling product " + packages[i].productName;
            }
            plan.calls.push_back(std::move(call));
        }
        break;
    case InstallAction::UninstallProducts:
        plan.onFailure = OnFailure::RollBack;
        PlanUninstall(settings, packages, plan);
        break;
    case InstallAction::ModifyProducts:
        plan.onFailure = OnFailure::GoOnUnlessCancel;
        PlanModify(settings, packages, plan);
        break;
    case InstallAction::InstallProducts:
        plan.onFailure = OnFailure::RollBack;
        PlanInstall(settings, packages, plan);
        break;
    }
    return plan;
}

} // namespace quentry
