#include "catalogue/InstalledElsewhere.h"
#include "catalogue/PackageCatalogue.h"
#include "catalogue/PackageResources.h"
#include "launcher/LauncherWizardRun.h"
#include "launcher/SetupApp.h"
#include "launcher/SystemCheckSteps.h"
#include "launcher/SystemChecks.h"
#include "launcher/Usage.h"
#include "wizard/AlreadyInstalledDialog.h"

namespace quentry {

LauncherSteps LauncherSteps::Default() {
    LauncherSteps steps;
    steps.checkWindowsVersion = [](CSetupApp& app) {
        return ApplyWindowsVersionCheck(app, QueryRunningWindows(), ReadPackageString(app, L"OS"));
    };
    steps.hasDirect2D = [](CSetupApp&) { return HasDirect2D(); };
    steps.validateResources = [](CSetupApp& app) { return ValidateResourceLayout(app.ResourceModule()); };
    steps.isAnotherLauncherRunning = [](CSetupApp& app) {
        return IsAnotherLauncherRunning(
            app.m_osMajorVersion, IsTerminalServer(app.m_osMajorVersion, QueryRunningWindows().suiteMask));
    };
    steps.hasInstallRights = [](CSetupApp&) { return HasInstallRights(ProcessTokenMembership()); };
    steps.buildUsageModel = [](CSetupApp& app) { BuildUsageModel(app); };
    steps.checkProperties = [](CSetupApp& app, std::wstring& errorText) {
        return CheckProperties(app, errorText);
    };
    steps.printUsage = [](CSetupApp& app) { PrintUsage(app); };
    steps.mainProductName = [](CSetupApp& app) { return ReadPackageString(app, L"PRODUCT_NAME_0"); };
    steps.buildCatalogue = [](CSetupApp& app) {
        BuildCatalogue(app);
        HandleInstalledElsewhere(app, AskInstallAlert);
    };
    steps.runWizard = [](CSetupApp& app) { RunWizard(app); };
    return steps;
}

} // namespace quentry
