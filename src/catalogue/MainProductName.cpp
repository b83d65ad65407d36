#include "catalogue/MainProductName.h"

#include "catalogue/PackageResources.h"

#include <algorithm>

namespace quentry {

namespace {

std::wstring SilentPackageString(HMODULE module, const wchar_t* name, bool multiLanguage) {
    const auto bytes = FindPackageResource(module, name, multiLanguage ? kResourceEnglish : 0);
    return bytes ? ResourceText(*bytes) : std::wstring();
}

} // namespace

std::wstring MainProductName(HMODULE module, bool multiLanguage) {
    return SilentPackageString(module, L"PRODUCT_NAME_0", multiLanguage);
}

int32_t PackageCountOf(HMODULE module, bool multiLanguage) {
    const int64_t count = ParsePackageCount(SilentPackageString(module, L"PACKAGE_COUNT", multiLanguage));
    return static_cast<int32_t>(std::clamp<int64_t>(count, INT32_MIN, INT32_MAX));
}

} // namespace quentry
