#include "BundleBuilder.h"

#include "BundleContent.h"
#include "BundleFileWriter.h"
#include "CabinetSummary.h"
#include "CabinetWriter.h"
#include "InputFiles.h"
#include "PackageFacts.h"
#include "common/SystemText.h"
#include "common/WideText.h"
#include "shared/ToolPaths.h"

namespace quentry::bundle {

namespace {

std::wstring LayoutName(BundleLayout layout, LANGID language) {
    switch (layout) {
    case BundleLayout::MultiLanguage:
        return L"multi-language";
    case BundleLayout::SingleLanguage:
        return Format(L"single-language (%u)", language);
    case BundleLayout::Legacy:
        return Format(L"legacy single package (%u)", language);
    }
    return {};
}

bool ReadPackage(const PackageInput& input, BundlePackage& package, std::wstring& error) {
    package.path = FullPath(input.path);
    if (!ReadPackageFacts(package.path, package.facts, error)) {
        return false;
    }
    for (const auto& [language, path] : input.transforms) {
        if (!ReadTransformFile(FullPath(path), package.transforms[language], error)) {
            return false;
        }
    }
    return true;
}

bool MakeCabinetImage(BundlePackage& package, CabinetCompression compression, PackageCabinet& cabinet,
                      std::wstring& error) {
    std::vector<BYTE> content;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!ReadWholeFile(package.path, content, error)) {
        error = L"package: " + error;
        return false;
    }
    if (!::GetFileAttributesExW(tools::ExtendedPath(package.path).c_str(), GetFileExInfoStandard,
                                &attributes)) {
        attributes.ftLastWriteTime = FILETIME{};
    }
    if (!MakePackageCabinet(content, CabinetFileNameFor(package.path), attributes.ftLastWriteTime,
                            compression, cabinet, error)) {
        error = L"package " + package.path + L": " + error;
        return false;
    }
    package.cabinetImage = CabinetImageOf(cabinet.cabinet);
    // Only the image goes on; a package of a few hundred megabytes should not be held twice.
    std::vector<BYTE>().swap(cabinet.cabinet);
    return true;
}

} // namespace

std::wstring FullPath(const std::wstring& path) {
    return tools::FullPath(path);
}

std::wstring DefaultLauncherPath() {
    const std::wstring self = tools::ThisProgramPath();
    const size_t slash = self.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : self.substr(0, slash + 1)) + L"quentry.exe";
}

bool BuildBundle(const BundleOptions& options, std::vector<std::wstring>& report, std::wstring& error) {
    BundleSettings settings;
    settings.layout = options.EffectiveLayout();
    settings.language = options.EffectiveLanguage();
    settings.os = options.os;
    settings.minimumMsi = options.minimumMsi;
    settings.properties = options.properties;
    if (!CheckPackagesFitLayout(options.packages, settings.layout, error)) {
        return false;
    }
    const std::wstring launcher =
        FullPath(options.launcher.empty() ? DefaultLauncherPath() : options.launcher);
    const std::wstring output = FullPath(options.output);

    std::vector<BundlePackage> packages(options.packages.size());
    for (size_t n = 0; n < packages.size(); ++n) {
        if (!ReadPackage(options.packages[n], packages[n], error)) {
            return false;
        }
        for (size_t earlier = 0; earlier < n; ++earlier) {
            const auto& a = packages[earlier];
            const auto& b = packages[n];
            if (EqualsNoCase(a.facts.productCode, b.facts.productCode)) {
                error = L"packages " + a.path + L" and " + b.path + L" have the same product code " +
                        b.facts.productCode;
                return false;
            }
            // The package code names the unpack folder: two packages would share it.
            if (EqualsNoCase(a.facts.packageCode, b.facts.packageCode)) {
                error = L"packages " + a.path + L" and " + b.path + L" have the same package code " +
                        b.facts.packageCode;
                return false;
            }
        }
    }
    if (!options.bitmap.empty() && !ReadProductBitmap(FullPath(options.bitmap), settings.bitmap, error)) {
        return false;
    }

    PackageCabinet cabinet;
    bool lzxUnavailable = false;
    for (BundlePackage& package : packages) {
        // Once the library has shown that it does not write LZX, the other packages go to MSZIP at once.
        const CabinetCompression compression =
            lzxUnavailable ? CabinetCompression::MsZip : options.compression;
        if (!MakeCabinetImage(package, compression, cabinet, error)) {
            return false;
        }
        lzxUnavailable = lzxUnavailable || cabinet.lzxUnavailable;
    }
    if (!WriteBundleFile(launcher, output, PlanBundleResources(packages, settings), error)) {
        return false;
    }

    report.push_back(Format(L"Wrote %s: %u package%s, %s, cabinets %s", output.c_str(),
                            static_cast<unsigned>(packages.size()), packages.size() == 1 ? L"" : L"s",
                            LayoutName(settings.layout, StringLanguage(settings)).c_str(),
                            CompressionName(cabinet.compression).c_str()));
    if (lzxUnavailable) {
        report.push_back(
            L"Note: this platform's cabinet library does not compress with LZX; the cabinets use "
            L"MSZIP.");
    }
    for (size_t n = 0; n < packages.size(); ++n) {
        report.push_back(Format(L"  %u: %s %s", static_cast<unsigned>(n),
                                packages[n].facts.productCode.c_str(),
                                packages[n].facts.productName.c_str()));
    }
    return true;
}

} // namespace quentry::bundle
