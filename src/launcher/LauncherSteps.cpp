#include "launcher/SetupApp.h"
#include "launcher/SystemChecks.h"
#include "launcher/Usage.h"

namespace quentry {

LauncherSteps LauncherSteps::Default() {
    LauncherSteps steps;
    steps.checkWindowsVersion = [](CSetupApp& app) {
        QueryRunningWindows(app);
        return true;
    };
    steps.isAnotherLauncherRunning = [](CSetupApp& app) { return IsAnotherLauncherRunning(app); };
    steps.buildUsageModel = [](CSetupApp& app) { BuildUsageModel(app); };
    steps.checkProperties = [](CSetupApp& app, std::wstring& errorText) { return CheckProperties(app, errorText); };
    steps.printUsage = [](CSetupApp& app) { PrintUsage(app); };
    return steps;
}

} // namespace quentry
