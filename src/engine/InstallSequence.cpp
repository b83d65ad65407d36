#include "engine/InstallSequence.h"

#include "common/RegistryKey.h"

namespace quentry {

namespace {

void ForgetInstallationType(const std::wstring& key) {
    RegistryKey opened;
    if (opened.OpenKeyPath(key, false, false, 0)) {
        opened.DeleteValue(kInstallationTypeValue);
    }
}

} // namespace

bool IsCustomInstallation(const std::wstring& key) {
    RegistryKey opened;
    return opened.OpenKeyPath(key, true, false, 0) && opened.GetString(kInstallationTypeValue) == L"Custom";
}

InstallSequenceOutcome RunInstallSequence(const InstallSequenceRequest& request, IWindowsInstaller& installer,
                                          InstallRunHooks hooks, const LogSink& log) {
    auto write = [&log](int level, const std::wstring& line) {
        if (log) {
            log(level, line);
        }
    };
    InstallSequenceOutcome outcome;
    write(LogInfo, L"determine installer platform");
    const std::wstring platform =
        request.platformOf && !request.packages.empty() ? request.platformOf(0) : std::wstring();
    outcome.is64BitPackage = platform == L"x64";
    write(LogInfo,
          std::wstring(L"dedected ") + (outcome.is64BitPackage ? L"64-bit" : L"32-bit") + L" platform");
    if (outcome.is64BitPackage && !request.is64BitOs) {
        outcome.installerResult = ERROR_INSTALL_PLATFORM_UNSUPPORTED;
        return outcome;
    }

    const InstallAction action = request.plan.action;
    const bool several = request.packages.size() > 1;
    write(LogInfo, L"rest custom installer registry");
    if (several && action == InstallAction::UninstallProducts && hooks.updateUninstallEntry) {
        hooks.updateUninstallEntry(0, UninstallEntryPhase::PrepareRemove);
    }
    write(LogInfo, L"Starting the real work");
    ForgetInstallationType(request.installationTypeKey);
    if (!hooks.isCustomInstallation) {
        hooks.isCustomInstallation = [&request] { return IsCustomInstallation(request.installationTypeKey); };
    }
    write(LogInfo, L"Determine install sequence");
    const InstallPlan plan = PlanInstallation(request.plan, request.packages);
    const UINT rc = ExecuteInstallPlan(plan, request.run, installer, hooks, log);
    ForgetInstallationType(request.installationTypeKey);

    if (several && hooks.updateUninstallEntry) {
        if (action == InstallAction::InstallProducts && rc == ERROR_SUCCESS) {
            hooks.updateUninstallEntry(0, UninstallEntryPhase::Perform);
        } else if (action == InstallAction::RepairProducts || action == InstallAction::ModifyProducts) {
            hooks.updateUninstallEntry(0, UninstallEntryPhase::RedoAfterChange);
        } else if (action == InstallAction::UninstallProducts && rc != ERROR_SUCCESS) {
            hooks.updateUninstallEntry(0, UninstallEntryPhase::RollBackPrepareRemove);
        }
    }
    outcome.installerResult = rc;
    return outcome;
}

} // namespace quentry
