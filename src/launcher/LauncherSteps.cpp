#include "catalogue/InstalledElsewhere.h"
#include "catalogue/PackageCatalogue.h"
#include "catalogue/PackageResources.h"
#include "catalogue/SetupPackage.h"
#include "common/StringIds.h"
#include "launcher/LauncherWizardRun.h"
#include "launcher/SetupApp.h"
#include "launcher/SystemCheckSteps.h"
#include "launcher/SystemChecks.h"
#include "launcher/Usage.h"
#include "wizard/AlreadyInstalledDialog.h"

namespace quentry {

namespace {

// The Install Alert's texts for the packages of this run that are installed elsewhere.
InstallAlertModel InstallAlertModelFor(const CSetupApp& app) {
    InstallAlertModel model;
    model.resources = app.ResourceModule();
    model.language = app.m_languages.Current() ? app.m_languages.Current()->langId : 1033;
    const SetupPackage& main = *app.m_packages.front();
    model.text = app.m_languages.FormatString(main.m_installedFromOtherPackage
                                                  ? strings::kInstalledElsewhere
                                                  : strings::kSubPackagesInstalledElsewhere,
                                              main.m_productName.c_str());
    for (size_t i = 1; i < app.m_packages.size(); ++i) {
        if (app.m_packages[i]->m_installedFromOtherPackage) {
            if (!model.subPackageList.empty()) {
                model.subPackageList += L"\n";
            }
            model.subPackageList += app.m_packages[i]->m_productName;
        }
    }
    model.removeSubPackagesLabel = app.m_languages.LoadString(strings::kRemoveSubPackagesToo);
    return model;
}

} // namespace

LauncherSteps LauncherSteps::Default() {
    LauncherSteps steps;
    steps.checkWindowsVersion = [](CSetupApp& app) {
        const PackageString os = ReadPackageString(app.PackageStrings(), L"OS");
        app.RecordFailure(os.status);
        return ApplyWindowsVersionCheck(app, QueryRunningWindows(), os.text);
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
    steps.mainProductName = [](CSetupApp& app) {
        PackageString name = ReadPackageString(app.PackageStrings(), L"PRODUCT_NAME_0");
        app.RecordFailure(name.status);
        return name.text;
    };
    steps.buildCatalogue = [](CSetupApp& app) {
        app.RecordFailure(BuildCatalogue(app));
        app.RecordFailure(HandleInstalledElsewhere(app, [](CSetupApp& asking) {
            return AskInstallAlert(InstallAlertModelFor(asking), asking.m_log.Sink());
        }));
    };
    steps.runWizard = [](CSetupApp& app) { RunWizard(app); };
    return steps;
}

} // namespace quentry
