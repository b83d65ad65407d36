#include "catalogue/PackageCatalogue.h"

#include "catalogue/PackageResources.h"
#include "catalogue/PackageSelection.h"
#include "catalogue/SetupPackage.h"
#include "common/WideText.h"
#include "launcher/SetupApp.h"

namespace quentry {

namespace {

// The first failure of the catalogue is the one the run reports; later ones are only logged.
void RecordFailure(CSetupApp& app, SetupResultCode code) {
    if (app.m_result.code == Success) {
        app.SetSetupResult(code);
    }
}

} // namespace

void BuildCatalogue(CSetupApp& app) {
    app.m_packages.clear();
    const int64_t count = ParsePackageCount(ReadPackageString(app, L"PACKAGE_COUNT"));
    if (count > kMaxPackageCount) {
        // Not a count any build of ours writes: the resources are damaged.
        app.WriteLogLine(LogError, L"Installer claims %d packages, more than the %d a build can hold.",
                         static_cast<int>(std::min<int64_t>(count, INT32_MAX)), kMaxPackageCount);
        RecordFailure(app, InstallerCorrupted);
        return;
    }
    if (count <= 0) {
        app.WriteLogLine(LogInfo, L"This is a legacy installer that doesn't contain package information.");
        app.m_legacyLayout = true;
        app.m_packageCount = 1;
        app.m_packages.push_back(std::make_unique<SetupPackage>(app, L"PRODUCTNAME", L"PRODUCTCODE",
                                                                L"PACKAGECODE", L"PACKAGE", L"", true));
        return;
    }
    app.m_packageCount = static_cast<int32_t>(count);
    app.WriteLogLine(LogInfo, L"Installer contains %d packages.", app.m_packageCount);
    app.m_legacyLayout = false;
    const std::vector<std::wstring> patterns = app.m_commandLine.SubPackagePatterns();
    const bool none = patterns.size() == 1 && EqualsNoCase(patterns.front(), L"none");
    for (int n = 0; n < app.m_packageCount; ++n) {
        app.m_packages.push_back(std::make_unique<SetupPackage>(
            app, Format(L"PRODUCT_NAME_%d", n), Format(L"PRODUCT_CODE_%d", n), Format(L"PACKAGE_CODE_%d", n),
            Format(L"PACKAGE_%d", n), Format(L"PACKAGE_%d_%%s", n), n == 0));
        SetupPackage& package = *app.m_packages.back();
        app.WriteLogLine(LogInfo, L"Initialized state for package %s.", package.m_productName.c_str());
        if (package.m_packageCode.empty()) {
            RecordFailure(app, EmptyPackageCode);
        } else if (!IsBracedGuid(package.m_packageCode)) {
            // Not a code any build writes; as a folder name it could point outside the data folder.
            app.WriteLogLine(LogError, L"Package code %s of package %s is not a GUID.",
                             package.m_packageCode.c_str(), package.m_productName.c_str());
            RecordFailure(app, InstallerCorrupted);
        }
        if (n > 0) {
            ApplySubPackagePatterns(app, package, patterns, none);
        }
    }
}

} // namespace quentry
