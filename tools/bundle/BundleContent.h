// The resources a bundle consists of: from the packages and the settings to the list of
// (type, name, language, bytes) that goes into the launcher.
#pragma once

#include "BundleOptions.h"
#include "PackageFacts.h"
#include "common/ResourceReader.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quentry::bundle {

// One package as it goes into the bundle.
struct BundlePackage {
    std::wstring path;
    PackageFacts facts;
    std::vector<BYTE> cabinetImage;                 // length and cabinet
    std::map<LANGID, std::vector<BYTE>> transforms; // by LANGID
};

struct BundleSettings {
    BundleLayout layout = BundleLayout::SingleLanguage;
    LANGID language = 1033; // strings of a single-language or legacy build
    std::wstring os;
    std::wstring minimumMsi;
    std::optional<std::wstring> properties;
    std::vector<BYTE> bitmap; // empty: the launcher's own
};

struct BundleResource {
    WORD type = 0;
    std::wstring name;
    LANGID language = 0;
    std::vector<BYTE> bytes;
};

inline constexpr wchar_t kProductBitmapName[] = L"IDB_PRODUCT_BITMAP";

// The language every string resource (and the cabinets) of a build is stored under: 1033 in a
// multi-language build, the build's one language otherwise.
LANGID StringLanguage(const BundleSettings& settings);

// Every resource of the bundle, in a fixed order. The packages must fit the layout (see
// CheckPackagesFitLayout).
std::vector<BundleResource> PlanBundleResources(const std::vector<BundlePackage>& packages,
                                                const BundleSettings& settings);

// False with a reason when the packages and their transforms cannot make a build of the layout:
// a legacy build holds exactly one package and no transforms, a single-language build no
// transforms, a multi-language build all four transforms for every package.
bool CheckPackagesFitLayout(const std::vector<PackageInput>& packages, BundleLayout layout,
                            std::wstring& error);

// A UTF-16LE text with its terminating NUL, as string resources are stored.
std::vector<BYTE> TextResource(const std::wstring& text);

} // namespace quentry::bundle
