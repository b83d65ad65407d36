#include "catalogue/PackageCatalogue.h"

#include "catalogue/PackageResources.h"
#include "catalogue/PackageSelection.h"
#include "catalogue/SetupPackage.h"
#include "common/WideText.h"
#include "launcher/SetupApp.h"

namespace quentry {

namespace {

// Reads the strings of a build, keeping the first failure among them.
class StringReader {
public:
    StringReader(CSetupApp& app, Status& failure)
        : m_source(app.PackageStrings()), m_log(app.m_log.Sink()), m_failure(failure) {}

    std::wstring Read(const std::wstring& name) {
        PackageString read = ReadPackageString(m_source, name);
        KeepFirstFailure(m_failure, std::move(read.status), m_log);
        return std::move(read.text);
    }
    PackageNames ReadNames(const std::wstring& name, const std::wstring& code,
                           const std::wstring& packageCode) {
        PackageNames names;
        names.productName = Read(name);
        names.productCode = Read(code);
        names.packageCode = Read(packageCode);
        return names;
    }
    void Fail(Status failure) { KeepFirstFailure(m_failure, std::move(failure), m_log); }

private:
    PackageStringSource m_source;
    LogSink m_log;
    Status& m_failure;
};

} // namespace

Status BuildCatalogue(CSetupApp& app) {
    Status failure;
    StringReader strings(app, failure);
    app.m_packages.clear();
    const int64_t count = ParsePackageCount(strings.Read(L"PACKAGE_COUNT"));
    if (count > kMaxPackageCount) {
        // Not a count any build of ours writes: the resources are damaged.
        strings.Fail(
            Status::Failure(InstallerCorrupted,
                            Format(L"Installer claims %d packages, more than the %d a build can hold.",
                                   static_cast<int>(std::min<int64_t>(count, INT32_MAX)), kMaxPackageCount)));
        return failure;
    }
    if (count <= 0) {
        app.WriteLogLine(LogInfo, L"This is a legacy installer that doesn't contain package information.");
        app.m_legacyLayout = true;
        app.m_packageCount = 1;
        PackageNames names = strings.ReadNames(L"PRODUCTNAME", L"PRODUCTCODE", L"PACKAGECODE");
        app.m_packages.push_back(
            std::make_unique<SetupPackage>(app, std::move(names), L"PACKAGE", L"", true));
        return failure;
    }
    app.m_packageCount = static_cast<int32_t>(count);
    app.WriteLogLine(LogInfo, L"Installer contains %d packages.", app.m_packageCount);
    app.m_legacyLayout = false;
    const std::vector<std::wstring> patterns = app.m_commandLine.SubPackagePatterns();
    const bool none = patterns.size() == 1 && EqualsNoCase(patterns.front(), L"none");
    for (int n = 0; n < app.m_packageCount; ++n) {
        // A package whose strings are missing is still built, with empty values: the run will not
        // go on to the wizard, but the log names every package of the build.
        PackageNames names = strings.ReadNames(Format(L"PRODUCT_NAME_%d", n), Format(L"PRODUCT_CODE_%d", n),
                                               Format(L"PACKAGE_CODE_%d", n));
        app.m_packages.push_back(std::make_unique<SetupPackage>(
            app, std::move(names), Format(L"PACKAGE_%d", n), Format(L"PACKAGE_%d_%%s", n), n == 0));
        SetupPackage& package = *app.m_packages.back();
        app.WriteLogLine(LogInfo, L"Initialized state for package %s.", package.m_productName.c_str());
        if (package.m_packageCode.empty()) {
            strings.Fail(Status::Failure(EmptyPackageCode));
        } else if (!IsBracedGuid(package.m_packageCode)) {
            // Not a code any build writes; as a folder name it could point outside the data folder.
            strings.Fail(Status::Failure(
                InstallerCorrupted, Format(L"Package code %s of package %s is not a GUID.",
                                           package.m_packageCode.c_str(), package.m_productName.c_str())));
        }
        if (n > 0) {
            ApplySubPackagePatterns(app, package, patterns, none);
        }
    }
    return failure;
}

} // namespace quentry
