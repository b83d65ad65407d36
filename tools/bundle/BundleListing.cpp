#include "BundleListing.h"

#include "BundleContent.h"
#include "CabinetSummary.h"
#include "ModuleResources.h"
#include "catalogue/PackageResources.h"
#include "common/SystemText.h"
#include "common/WideText.h"
#include "shared/ShortPathAccess.h"
#include "shared/ToolPaths.h"

#include <optional>

namespace quentry::bundle {

namespace {

struct LanguageName {
    LANGID language;
    const wchar_t* name;
};
// The order in which the launcher probes the OS resource of a single-language build.
constexpr LanguageName kProbedLanguages[] = {
    {1031, L"German"}, {1034, L"Spanish"}, {1036, L"French"}, {1041, L"Japanese"}};

class BundleReader {
public:
    explicit BundleReader(HMODULE module)
        : m_module(module), m_multiLanguage(IsMultiLanguageBuild(module)),
          m_strings(m_multiLanguage ? 1033 : 0) {}

    bool MultiLanguage() const { return m_multiLanguage; }

    std::optional<std::wstring> Text(const std::wstring& name) const {
        const auto bytes = FindPackageResource(m_module, name, m_strings);
        return bytes ? std::optional<std::wstring>(ResourceText(*bytes)) : std::nullopt;
    }
    std::wstring Shown(const std::wstring& name, const wchar_t* missing = L"(missing)") const {
        const auto text = Text(name);
        return text ? L"\"" + *text + L"\"" : missing;
    }

    // The cabinet line of a package; sound is cleared when the image is missing or corrupt.
    std::wstring Cabinet(const std::wstring& name, bool& sound) const {
        const auto image = FindPackageResource(m_module, name, 0);
        if (!image) {
            sound = false;
            return L"missing";
        }
        if (image->size() < 4) {
            sound = false;
            return Format(L"corrupt: %u bytes, no length field", static_cast<unsigned>(image->size()));
        }
        const uint32_t length =
            static_cast<uint32_t>((*image)[0]) | (static_cast<uint32_t>((*image)[1]) << 8) |
            (static_cast<uint32_t>((*image)[2]) << 16) | (static_cast<uint32_t>((*image)[3]) << 24);
        if (length != image->size() - 4) {
            sound = false;
            return Format(L"corrupt: the length field says %u bytes, the resource holds %u", length,
                          static_cast<unsigned>(image->size() - 4));
        }
        const auto summary = ReadCabinetSummary(image->subspan(4));
        if (!summary) {
            sound = false;
            return Format(L"%u bytes, corrupt: not a complete cabinet", length);
        }
        return Format(L"%u bytes, %s, %u folder%s, %u file%s, first %s (%u bytes)", length,
                      CompressionName(summary->firstFolderCompression).c_str(), summary->folderCount,
                      summary->folderCount == 1 ? L"" : L"s", summary->fileCount,
                      summary->fileCount == 1 ? L"" : L"s",
                      FromCodePage(summary->firstFileName, CP_ACP).c_str(), summary->firstFileSize);
    }

    std::wstring Transforms(int index) const {
        std::wstring text;
        for (LANGID language : {1031, 1034, 1036, 1041}) {
            const auto bytes =
                FindPackageResource(m_module, Format(L"PACKAGE_%d_%u", index, language), language);
            if (bytes) {
                text += Format(L"%s%u (%u bytes)", text.empty() ? L"" : L", ", language,
                               static_cast<unsigned>(bytes->size()));
            }
        }
        return text.empty() ? L"none" : text;
    }

private:
    HMODULE m_module;
    bool m_multiLanguage;
    LANGID m_strings;
};

std::wstring LanguageLine(HMODULE module, bool multiLanguage) {
    if (multiLanguage) {
        return L"Languages: multi-language (strings in 1033, transforms per language; the wizard language is "
               L"chosen at run time)";
    }
    const std::vector<LANGID> osLanguages =
        ResourceLanguages(module, MAKEINTRESOURCEW(kPackageResourceType), L"OS");
    for (const LanguageName& probe : kProbedLanguages) {
        for (LANGID language : osLanguages) {
            if (language == probe.language) {
                return Format(L"Languages: single-language, %s (OS resource in %u)", probe.name,
                              probe.language);
            }
        }
    }
    return osLanguages.empty()
               ? std::wstring(L"Languages: single-language, English (no OS resource)")
               : Format(L"Languages: single-language, English (OS resource in %u)", osLanguages.front());
}

} // namespace

bool ListBundle(const std::wstring& path, std::vector<std::wstring>& lines, bool& complete,
                std::wstring& error) {
    if (::GetFileAttributesW(tools::ExtendedPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = L"cannot read " + path + L": " + SystemText(::GetLastError());
        return false;
    }
    // The module functions take the launcher by a path of at most MAX_PATH characters.
    tools::ShortPathAccess access;
    if (!access.Open(path)) {
        error = L"cannot read " + path + L": " + SystemText(::GetLastError());
        return false;
    }
    UniqueModule module = LoadResourceModule(access.Path());
    if (!module) {
        error = path + L" is not a Windows program";
        return false;
    }
    const BundleReader reader(module.Get());
    complete = true;
    lines.push_back(L"Bundle: " + path);
    lines.push_back(LanguageLine(module.Get(), reader.MultiLanguage()));
    lines.push_back(L"OS: " + reader.Shown(L"OS"));
    lines.push_back(L"MINIMUM_MSI: " + reader.Shown(L"MINIMUM_MSI"));
    lines.push_back(L"PROPERTIES: " + reader.Shown(L"PROPERTIES", L"(none)"));

    const auto countText = reader.Text(L"PACKAGE_COUNT");
    const int64_t count = countText ? ParsePackageCount(*countText) : 0;
    if (count > kMaxPackageCount) {
        lines.push_back(Format(L"Packages: PACKAGE_COUNT \"%s\" is more than %d; not listed",
                               countText->c_str(), static_cast<int>(kMaxPackageCount)));
        complete = false;
    } else if (count > 0) {
        lines.push_back(Format(L"Packages: %d", static_cast<int>(count)));
        for (int n = 0; n < count; ++n) {
            const auto name = reader.Text(Format(L"PRODUCT_NAME_%d", n));
            lines.push_back(Format(L"Package %d%s: %s", n, n == 0 ? L" (main)" : L"",
                                   name ? name->c_str() : L"(no PRODUCT_NAME)"));
            lines.push_back(L"  product code: " + reader.Shown(Format(L"PRODUCT_CODE_%d", n)));
            lines.push_back(L"  package code: " + reader.Shown(Format(L"PACKAGE_CODE_%d", n)));
            lines.push_back(Format(L"  cabinet PACKAGE_%d: ", n) +
                            reader.Cabinet(Format(L"PACKAGE_%d", n), complete));
            lines.push_back(L"  transforms: " + reader.Transforms(n));
        }
    } else {
        lines.push_back(L"Packages: 1, legacy layout (PACKAGE_COUNT " + reader.Shown(L"PACKAGE_COUNT") +
                        L")");
        const auto name = reader.Text(L"PRODUCTNAME");
        lines.push_back(L"Package (main): " + (name ? *name : std::wstring(L"(no PRODUCTNAME)")));
        lines.push_back(L"  product code: " + reader.Shown(L"PRODUCTCODE"));
        lines.push_back(L"  package code: " + reader.Shown(L"PACKAGECODE"));
        lines.push_back(L"  cabinet PACKAGE: " + reader.Cabinet(L"PACKAGE", complete));
    }
    const auto bitmapLanguages = ResourceLanguages(module.Get(), RT_BITMAP, kProductBitmapName);
    std::wstring bitmap;
    for (LANGID language : bitmapLanguages) {
        bitmap += Format(L"%s%u", bitmap.empty() ? L"language " : L", ", language);
    }
    lines.push_back(L"Product bitmap: " + (bitmap.empty() ? std::wstring(L"none") : bitmap));
    const bool valid = ValidateResourceLayout(module.Get());
    lines.push_back(std::wstring(L"Resource validation (/v): ") + (valid ? L"passed" : L"failed"));
    complete = complete && valid;
    return true;
}

} // namespace quentry::bundle
