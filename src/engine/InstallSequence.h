// The install sequence of a run: the platform check, the installation type below the maker's key,
// the plan of the run's action and its execution, and the uninstall entry brought in step.
#pragma once

#include "common/LogSink.h"
#include "engine/InstallPlanExecutor.h"

#include <functional>
#include <string>
#include <vector>

namespace quentry {

class IWindowsInstaller;

struct InstallSequenceRequest {
    InstallPlanSettings plan;
    std::vector<PlanPackage> packages;
    InstallRunSettings run;
    bool is64BitOs = false;
    // The platform a package's database is built for ("x64", "Intel", or empty when it cannot be
    // read).
    std::function<std::wstring(size_t package)> platformOf;
    // The registry key that holds the installation type ("HKEY_LOCAL_MACHINE\Software\Zorvat").
    std::wstring installationTypeKey = L"HKEY_LOCAL_MACHINE\\Software\\Zorvat";
};

struct InstallSequenceOutcome {
    // 0, or the installer's code of the failure (1633 for a 64-bit package on 32-bit Windows).
    UINT installerResult = ERROR_SUCCESS;
    bool is64BitPackage = false;
};

// The value below the key that says which installation type the user chose; "Custom" is a custom
// installation.
inline constexpr wchar_t kInstallationTypeValue[] = L"CurrentInstallationType";

// True when the key's installation type is exactly "Custom".
bool IsCustomInstallation(const std::wstring& key);

// Runs the sequence. The hooks' isCustomInstallation is filled from the key when it is not set.
InstallSequenceOutcome RunInstallSequence(const InstallSequenceRequest& request, IWindowsInstaller& installer,
                                          InstallRunHooks hooks, const LogSink& log);

} // namespace quentry
