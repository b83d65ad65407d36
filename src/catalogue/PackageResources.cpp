#include "catalogue/PackageResources.h"
#include "common/StringIds.h"

#include "common/WideText.h"

#include <cwctype>
#include <limits>

namespace quentry {

namespace {

BOOL CALLBACK TakeFirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<LANGID*>(found) = language;
    return FALSE;
}

HRSRC FindInfo(HMODULE module, const std::wstring& name, LANGID language) {
    const wchar_t* type = MAKEINTRESOURCEW(kPackageResourceType);
    if (language != 0) {
        return ::FindResourceExW(module, type, name.c_str(), language);
    }
    if (HRSRC found = ::FindResourceW(module, name.c_str(), type)) {
        return found;
    }
    LANGID first = 0;
    ::EnumResourceLanguagesW(module, type, name.c_str(), TakeFirstLanguage,
                             reinterpret_cast<LONG_PTR>(&first));
    return first != 0 ? ::FindResourceExW(module, type, name.c_str(), first) : nullptr;
}

} // namespace

ResourceKind PackageResourceKind(const std::wstring& name) {
    if (EqualsNoCase(name, L"PROPERTIES")) {
        return ResourceKind::LongText;
    }
    const bool cabinetOrTransform =
        EqualsNoCase(name, L"PACKAGE") ||
        (StartsWithNoCase(name, L"PACKAGE_") && name.size() > 8 && name[8] >= L'0' && name[8] <= L'9');
    return cabinetOrTransform ? ResourceKind::Binary : ResourceKind::ShortText;
}

ResourceBytes FindPackageResource(HMODULE module, const std::wstring& name, LANGID language) {
    return ReadResource(module, FindInfo(module, name, language), PackageResourceKind(name), name);
}

bool HasPackageResource(HMODULE module, const wchar_t* name, LANGID language) {
    return ::FindResourceExW(module, MAKEINTRESOURCEW(kPackageResourceType), name, language) != nullptr;
}

int64_t ParsePackageCount(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - L'0'), kLimit + 1);
    }
    return negative ? -value : value;
}

bool IsMultiLanguageBuild(HMODULE module) {
    return HasPackageResource(module, L"PACKAGE_0_1031", 1031);
}

bool ValidateResourceLayout(HMODULE module) {
    if (!ResourceDirectoryIsSound(module)) {
        return false;
    }
    const bool multiLanguage = IsMultiLanguageBuild(module);
    const LANGID strings = multiLanguage ? kResourceEnglish : 0;
    auto exists = [module](const std::wstring& name, LANGID language) {
        return FindPackageResource(module, name, language).IsFound();
    };
    for (const wchar_t* name : {L"OS", L"MINIMUM_MSI", L"PACKAGE_COUNT"}) {
        if (!exists(name, strings)) {
            return false;
        }
    }
    const auto countText = FindPackageResource(module, L"PACKAGE_COUNT", strings);
    const int64_t count = countText ? ParsePackageCount(ResourceText(*countText)) : 0;
    if (count > kMaxPackageCount) {
        return false;
    }
    if (count <= 0) {
        // Without a package count the build is read as a legacy one: its one package must be there.
        for (const wchar_t* name : {L"PRODUCTNAME", L"PRODUCTCODE", L"PACKAGECODE"}) {
            if (!exists(name, strings)) {
                return false;
            }
        }
        return exists(L"PACKAGE", 0);
    }
    for (const wchar_t* name : {L"PRODUCT_NAME", L"PRODUCT_CODE", L"PACKAGE_CODE"}) {
        for (int64_t n = 0; n < count; ++n) {
            if (!exists(Format(L"%s_%d", name, static_cast<int>(n)), strings)) {
                return false;
            }
        }
    }
    for (int64_t n = 0; n < count; ++n) {
        const std::wstring cabinet = Format(L"PACKAGE_%d", static_cast<int>(n));
        if (!exists(cabinet, 0)) {
            return false;
        }
        if (!multiLanguage) {
            continue;
        }
        for (LANGID language : kTransformLanguages) {
            if (!exists(Format(L"%s_%u", cabinet.c_str(), language), language)) {
                return false;
            }
        }
    }
    return true;
}

PackageString ReadPackageString(const PackageStringSource& source, const std::wstring& name) {
    const auto bytes = FindPackageResource(source.module, name, source.multiLanguage ? kResourceEnglish : 0);
    if (bytes) {
        return {ResourceText(*bytes), {}};
    }
    if (bytes.IsDamaged()) {
        return {{}, Status::Failure(InstallerCorrupted, bytes.problem)};
    }
    if (source.multiLanguage) {
        return {};
    }
    // The build is incomplete: the run must not end as a success.
    return {{},
            Status::FailureWithMessage(InstallerCorrupted, L"The required resource " + name + L" is missing.",
                                       strings::kResourceMissing, name)};
}

std::span<const BYTE> ReadPackageBlob(HMODULE module, const std::wstring& name, LANGID language) {
    const auto bytes = FindPackageResource(module, name, language);
    return bytes ? *bytes : std::span<const BYTE>();
}

} // namespace quentry
