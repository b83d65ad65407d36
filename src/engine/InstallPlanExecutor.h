// Makes the calls of an install plan, one after the other, and walks the inverses of the calls
// that succeeded when one fails and the plan says so.
#pragma once

#include "common/LogSink.h"
#include "engine/InstallPlan.h"

#include <windows.h>

#include <msi.h>

#include <functional>
#include <string>

namespace quentry {

class IWindowsInstaller;

// What the executor needs of the run around a call, by package index.
struct InstallRunHooks {
    // The installer database of the package (its unpack folder's .msi) and its product code.
    std::function<std::wstring(size_t package)> databasePath;
    std::function<std::wstring(size_t package)> productCode;
    // The product is installed at this moment.
    std::function<bool(size_t package)> isInstalled;
    // Before an installer call for the package (the command line's transforms, then the log
    // handed to the installer); withTransforms is false for a repair. After it, the log back.
    std::function<void(size_t package, bool withTransforms)> beforeInstallerCall;
    std::function<void()> afterInstallerCall;
    // The user chose a custom installation in the main package's dialogs.
    std::function<bool()> isCustomInstallation;
    std::function<void(size_t package, UninstallEntryPhase phase)> updateUninstallEntry;
    // Extracts the package's database again (0, or the extraction's error).
    std::function<int(size_t package)> extractAgain;
    // Copies the package's database out (extract-only runs).
    std::function<void(size_t package)> copyDatabaseOut;
};

struct InstallRunSettings {
    INSTALLUILEVEL uiLevel = INSTALLUILEVEL_FULL;
    DWORD reinstallMode = 0;
};

// Runs the plan; returns the outcome: 0, the refusal of the plan, or the installer's code of the
// failure that counts (the first, or the one that stopped the run).
UINT ExecuteInstallPlan(const InstallPlan& plan, const InstallRunSettings& settings,
                        IWindowsInstaller& installer, const InstallRunHooks& hooks, const LogSink& log);

} // namespace quentry
