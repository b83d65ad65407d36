// The installer calls of a run, decided before the first one is made: for every package that
// takes part, what is called with which command line, and what undoes it when a later call fails.
// The plan is data; an executor makes the calls.
#pragma once

#include "engine/UninstallRegistration.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quentry {

// The one action of a run, chosen in this order: extract only, repair, removal, modification,
// otherwise a new installation (with /a, the administrative one).
enum class InstallAction {
    ExtractProducts,
    RepairProducts,
    UninstallProducts,
    ModifyProducts,
    InstallProducts
};

// A package of the catalogue as the plan sees it.
struct PlanPackage {
    std::wstring productName;
    bool selected = false;
    // The product is installed when the plan is made.
    bool installed = false;
    // The extracted language transform; empty when there is none.
    std::wstring transformPath;
};

// The settings of the run that shape the command lines.
struct InstallPlanSettings {
    InstallAction action = InstallAction::InstallProducts;
    std::wstring mifFileName;
    bool adminInstall = false;
    bool uninstall = false;
    // The build's PROPERTIES text, when it is to be appended (a multi-language build always
    // appends it, empty or not; a single-language build only when the resource exists).
    std::optional<std::wstring> buildProperties;
    // NAME=VALUE properties of the command line, in order.
    std::vector<std::wstring> properties;
    bool multiLanguage = false;
    LANGID language = 1033;
    std::wstring languageIsoCode;
    // The property texts of the backup and the service configuration pages, when the wizard has
    // those pages.
    std::optional<std::wstring> backupProperties;
    std::optional<std::wstring> serviceProperties;
};

enum class CallKind {
    InstallProduct,   // the package's database with a command line
    ReinstallProduct, // the installed product, with the reinstall mode of the command line
    CopyDatabaseOut,  // the database copied into the current folder (no installer call)
};

struct PlannedCall {
    CallKind kind = CallKind::InstallProduct;
    size_t package = 0;
    // The log line before the call, without the launcher's tag ("Installing product ...").
    std::wstring logLine;
    std::wstring commandLine;
    // Before this call the executor asks which installation type the user chose in the main
    // package (a new installation's first sub-package); for a custom one it uses customCommandLine
    // for this and every later call that has one.
    bool asksInstallationType = false;
    std::optional<std::wstring> customCommandLine;
    // Run only when the product is still installed at that moment (removals).
    bool onlyWhenInstalled = false;
    // The uninstall entry phase applied to this package just before the call.
    std::optional<UninstallEntryPhase> entryPhaseBefore;

    // What undoes a call that succeeded, when a later one fails.
    struct Inverse {
        std::wstring logLine;
        std::wstring commandLine;
        // The package is extracted again first (its product and database were removed).
        bool extractAgain = false;
    };
    std::optional<Inverse> inverse;
};

// What the executor does when a call fails.
enum class OnFailure {
    RollBack,         // stop, undo the calls that succeeded in reverse order, report the failure
    GoOn,             // make the other calls; the first failure is the outcome
    GoOnUnlessCancel, // as GoOn, but a cancel by the user (1602) ends the run at once
};

struct InstallPlan {
    InstallAction action = InstallAction::InstallProducts;
    std::vector<PlannedCall> calls;
    OnFailure onFailure = OnFailure::RollBack;
    // Nothing runs and this is the outcome (a removal whose main product is not installed).
    UINT refusal = ERROR_SUCCESS;
};

// The plan of a run over the catalogue's packages (index 0 is the main package).
InstallPlan PlanInstallation(const InstallPlanSettings& settings, const std::vector<PlanPackage>& packages);

// The command line of one installer call: the MIF file, the administrative installation or the
// removal, the launcher's marker, the build's and the command line's properties, then extra.
std::wstring InstallerCommandLine(const InstallPlanSettings& settings, bool removing,
                                  const std::wstring& extra);

} // namespace quentry
