// The command line of quentry-bundle: what goes into a launcher, or which launcher to list.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quentry::bundle {

// How the launcher finds its strings and languages: one build for every wizard language with
// language transforms, one fixed language, or the old single-package names.
enum class BundleLayout { MultiLanguage, SingleLanguage, Legacy };

// What the cabinets are asked to use; LZX falls back to MSZIP where the platform's cabinet
// library does not compress with it.
enum class CabinetCompression { None, MsZip, Lzx };

struct PackageInput {
    std::wstring path;
    std::map<LANGID, std::wstring> transforms; // by LANGID
};

struct BundleOptions {
    bool help = false;
    std::wstring listPath; // --list: print this launcher's catalogue instead of building
    std::wstring output;
    std::wstring launcher; // empty: quentry.exe beside this program
    std::vector<PackageInput> packages;
    std::optional<BundleLayout> layout; // none: multi-language when transforms are given
    std::optional<LANGID> language;     // single-language and legacy builds (default 1033)
    std::wstring os = L"6.1.1";
    std::wstring minimumMsi = L"200";
    std::optional<std::wstring> properties;
    std::wstring bitmap;
    CabinetCompression compression = CabinetCompression::Lzx;

    BundleLayout EffectiveLayout() const;
    LANGID EffectiveLanguage() const { return language.value_or(1033); }
};

// Parses argv[1..]. On a mistake returns false with a one-line reason.
bool ParseBundleOptions(int argc, const wchar_t* const* argv, BundleOptions& options, std::wstring& error);

// A minimum Windows version as the launcher reads it: VERSION or VERSION/RESTRICTION, VERSION
// being up to four decimal numbers separated by '.', or the words WinNT and WinXP; the only
// restriction is WSOnly.
bool IsValidOsRequirement(const std::wstring& text);

// The wizard languages: 1033, 1031, 1034, 1036, 1041.
bool IsWizardLanguage(LANGID language);

extern const wchar_t kBundleUsage[];

} // namespace quentry::bundle
