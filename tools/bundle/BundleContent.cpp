#include "BundleContent.h"

#include "common/WideText.h"

namespace quentry::bundle {

namespace {

constexpr LANGID kTransformLanguages[] = {1031, 1034, 1036, 1041};

} // namespace

std::vector<BYTE> TextResource(const std::wstring& text) {
    std::vector<BYTE> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (wchar_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>((c >> 8) & 0xFF));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

LANGID StringLanguage(const BundleSettings& settings) {
    return settings.layout == BundleLayout::MultiLanguage ? 1033 : settings.language;
}

bool CheckPackagesFitLayout(const std::vector<PackageInput>& packages, BundleLayout layout,
                            std::wstring& error) {
    if (layout == BundleLayout::Legacy && packages.size() != 1) {
        error = Format(L"a legacy build carries exactly one package, not %u",
                       static_cast<unsigned>(packages.size()));
        return false;
    }
    for (size_t n = 0; n < packages.size(); ++n) {
        const PackageInput& package = packages[n];
        if (layout != BundleLayout::MultiLanguage) {
            if (!package.transforms.empty()) {
                error = L"package " + package.path +
                        L" has transforms, which only a multi-language build carries (--layout multi)";
                return false;
            }
            continue;
        }
        for (LANGID language : kTransformLanguages) {
            if (package.transforms.find(language) == package.transforms.end()) {
                error =
                    Format(L"package %s has no transform for language %u: a multi-language build needs 1031, "
                           L"1034, 1036 and 1041 for every package",
                           package.path.c_str(), language);
                return false;
            }
        }
    }
    return true;
}

std::vector<BundleResource> PlanBundleResources(const std::vector<BundlePackage>& packages,
                                                const BundleSettings& settings) {
    std::vector<BundleResource> resources;
    const LANGID strings = StringLanguage(settings);
    auto add = [&](const std::wstring& name, std::vector<BYTE> bytes, LANGID language = 0) {
        resources.push_back(
            BundleResource{kPackageResourceType, name, language ? language : strings, std::move(bytes)});
    };
    add(L"OS", TextResource(settings.os));
    add(L"MINIMUM_MSI", TextResource(settings.minimumMsi));
    if (settings.properties) {
        add(L"PROPERTIES", TextResource(*settings.properties));
    }
    if (settings.layout == BundleLayout::Legacy) {
        // The old names; a PACKAGE_COUNT of 0 marks the layout and is what the validation asks for.
        const BundlePackage& package = packages.front();
        add(L"PACKAGE_COUNT", TextResource(L"0"));
        add(L"PRODUCTNAME", TextResource(package.facts.productName));
        // The launcher takes its title and its usage groups from PRODUCT_NAME_0 in both layouts.
        add(L"PRODUCT_NAME_0", TextResource(package.facts.productName));
        add(L"PRODUCTCODE", TextResource(package.facts.productCode));
        add(L"PACKAGECODE", TextResource(package.facts.packageCode));
        add(L"PACKAGE", package.cabinetImage);
    } else {
        add(L"PACKAGE_COUNT", TextResource(std::to_wstring(packages.size())));
        for (size_t n = 0; n < packages.size(); ++n) {
            const BundlePackage& package = packages[n];
            const int index = static_cast<int>(n);
            add(Format(L"PRODUCT_NAME_%d", index), TextResource(package.facts.productName));
            add(Format(L"PRODUCT_CODE_%d", index), TextResource(package.facts.productCode));
            add(Format(L"PACKAGE_CODE_%d", index), TextResource(package.facts.packageCode));
            add(Format(L"PACKAGE_%d", index), package.cabinetImage);
            for (const auto& [language, bytes] : package.transforms) {
                add(Format(L"PACKAGE_%d_%u", index, language), bytes, language);
            }
        }
    }
    if (!settings.bitmap.empty()) {
        resources.push_back(BundleResource{static_cast<WORD>(reinterpret_cast<ULONG_PTR>(RT_BITMAP)),
                                           kProductBitmapName, strings, settings.bitmap});
    }
    return resources;
}

} // namespace quentry::bundle
