#include "engine/InstallPlanExecutor.h"

#include "engine/WindowsInstaller.h"

#include <vector>

namespace quentry {

namespace {

class Executor {
public:
    Executor(const InstallRunSettings& settings, IWindowsInstaller& installer, const InstallRunHooks& hooks,
             const LogSink& log)
        : m_settings(settings), m_installer(installer), m_hooks(hooks), m_log(log) {}

    UINT Run(const InstallPlan& plan) {
        if (plan.refusal != ERROR_SUCCESS) {
            return plan.refusal;
        }
        std::vector<const PlannedCall*> done;
        UINT outcome = ERROR_SUCCESS;
        bool custom = false;
        for (const PlannedCall& call : plan.calls) {
            if (call.onlyWhenInstalled && m_hooks.isInstalled && !m_hooks.isInstalled(call.package)) {
                continue;
            }
            if (call.entryPhaseBefore && m_hooks.updateUninstallEntry) {
                m_hooks.updateUninstallEntry(call.package, *call.entryPhaseBefore);
            }
            Log(LogWarning, call.logLine);
            if (call.asksInstallationType && m_hooks.isCustomInstallation) {
                custom = m_hooks.isCustomInstallation();
            }
            const UINT rc = Make(call, custom);
            if (rc == ERROR_SUCCESS) {
                done.push_back(&call);
                continue;
            }
            Log(LogWarning, L"Failure: return code = " + std::to_wstring(rc));
            switch (plan.onFailure) {
            case OnFailure::RollBack:
                RollBack(done);
                return rc;
            case OnFailure::GoOnUnlessCancel:
                if (rc == ERROR_INSTALL_USEREXIT) {
                    return rc;
                }
                [[fallthrough]];
            case OnFailure::GoOn:
                if (outcome == ERROR_SUCCESS) {
                    outcome = rc;
                }
                break;
            }
        }
        return outcome;
    }

private:
    UINT Make(const PlannedCall& call, bool custom) {
        switch (call.kind) {
        case CallKind::CopyDatabaseOut:
            if (m_hooks.copyDatabaseOut) {
                m_hooks.copyDatabaseOut(call.package);
            }
            return ERROR_SUCCESS;
        case CallKind::ReinstallProduct:
            return Reinstall(call.package);
        case CallKind::InstallProduct:
            break;
        }
        return Install(call.package,
                       custom && call.customCommandLine ? *call.customCommandLine : call.commandLine);
    }

    UINT Install(size_t package, const std::wstring& commandLine) {
        m_installer.SetInternalUI(m_settings.uiLevel);
        if (m_hooks.beforeInstallerCall) {
            m_hooks.beforeInstallerCall(package, true);
        }
        const std::wstring path = m_hooks.databasePath ? m_hooks.databasePath(package) : std::wstring();
        const UINT rc = m_installer.InstallProduct(path, commandLine);
        if (m_hooks.afterInstallerCall) {
            m_hooks.afterInstallerCall();
        }
        return rc;
    }

    UINT Reinstall(size_t package) {
        m_installer.SetInternalUI(m_settings.uiLevel);
        if (m_hooks.beforeInstallerCall) {
            m_hooks.beforeInstallerCall(package, false);
        }
        const std::wstring code = m_hooks.productCode ? m_hooks.productCode(package) : std::wstring();
        const UINT rc = code.empty() ? ERROR_INSTALL_FAILURE
                                     : m_installer.ReinstallProduct(code, m_settings.reinstallMode);
        if (m_hooks.afterInstallerCall) {
            m_hooks.afterInstallerCall();
        }
        return rc;
    }

    // The calls that succeeded are undone in the reverse of their order; what the undoing itself
    // returns changes nothing (the failure is the outcome).
    void RollBack(const std::vector<const PlannedCall*>& done) {
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            const PlannedCall& call = **it;
            if (!call.inverse) {
                continue;
            }
            Log(LogWarning, call.inverse->logLine);
            if (call.inverse->extractAgain && m_hooks.extractAgain) {
                m_hooks.extractAgain(call.package);
            }
            Install(call.package, call.inverse->commandLine);
        }
    }

    void Log(int level, const std::wstring& line) {
        if (m_log) {
            m_log(level, line);
        }
    }

    const InstallRunSettings& m_settings;
    IWindowsInstaller& m_installer;
    const InstallRunHooks& m_hooks;
    const LogSink& m_log;
};

} // namespace

UINT ExecuteInstallPlan(const InstallPlan& plan, const InstallRunSettings& settings,
                        IWindowsInstaller& installer, const InstallRunHooks& hooks, const LogSink& log) {
    return Executor(settings, installer, hooks, log).Run(plan);
}

} // namespace quentry
