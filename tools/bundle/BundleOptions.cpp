#include "BundleOptions.h"

#include <cwctype>

namespace quentry::bundle {

const wchar_t kBundleUsage[] =
    L"usage: quentry-bundle -o SETUP.exe -p MAIN.msi [-t LANGID=FILE.mst]... [-p SUB.msi [-t ...]...]...\n"
    L"                      [options]\n"
    L"       quentry-bundle --list SETUP.exe\n"
    L"\n"
    L"Writes a Quentry launcher that carries installer packages in its resources: a copy of the\n"
    L"launcher with every package's installer database in a cabinet, its name and codes, its\n"
    L"language transforms, and the settings below. The output is replaced only when the new file is\n"
    L"complete and its resources pass the launcher's own validation (/v).\n"
    L"\n"
    L"  -o, --output FILE        the launcher to write\n"
    L"  -p, --package FILE       an installer database (.msi); the first is the main package, the\n"
    L"                           others are its sub-packages in this order\n"
    L"  -t, --transform LANGID=FILE\n"
    L"                           a language transform (.mst) of the package given last by -p;\n"
    L"                           LANGID is 1031 (German), 1034 (Spanish), 1036 (French) or\n"
    L"                           1041 (Japanese)\n"
    L"  -l, --launcher FILE      the launcher to copy (default: quentry.exe beside this program)\n"
    L"      --layout multi|single|legacy\n"
    L"                           multi: the wizard language is chosen at run time, and every\n"
    L"                           package needs all four transforms (the default when -t is given);\n"
    L"                           single: one wizard language, set by --language (the default\n"
    L"                           otherwise); legacy: one package under the old resource names\n"
    L"      --language LANGID    the wizard language of a single or legacy build: 1033 (default),\n"
    L"                           1031, 1034, 1036 or 1041\n"
    L"      --os VERSION[/RESTRICTION]\n"
    L"                           the minimum Windows version: up to four numbers major.minor.\n"
    L"                           servicepack.minor, or WinNT or WinXP; restriction WSOnly\n"
    L"                           (default 6.1.1, Windows 7 with service pack 1)\n"
    L"      --minimum-msi N      the minimum installer version, e.g. 200 (default) or 500\n"
    L"      --properties TEXT    installer properties added to every package's command line\n"
    L"      --bitmap FILE.bmp    the wizard's product bitmap (48 by 48 pixels, 24 bits per pixel)\n"
    L"      --compression lzx|mszip|none\n"
    L"                           the cabinets' compression (default lzx: LZX with a 2^21-byte\n"
    L"                           window where the platform's cabinet library writes it, else MSZIP)\n"
    L"      --list FILE          print the packages and settings a launcher carries\n"
    L"  -h, --help               this text\n"
    L"\n"
    L"Exit code: 0 done, 1 the launcher could not be written (or --list found it incomplete),\n"
    L"2 a mistake on the command line (also an output that is one of the inputs).\n";

namespace {

bool ParseLangId(const std::wstring& text, LANGID& language) {
    if (text.empty() || text.size() > 5) {
        return false;
    }
    unsigned value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + (c - L'0');
    }
    if (value > 0xFFFF) {
        return false;
    }
    language = static_cast<LANGID>(value);
    return true;
}

bool IsTransformLanguage(LANGID language) {
    return language == 1031 || language == 1034 || language == 1036 || language == 1041;
}

bool IsDecimal(const std::wstring& text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return false;
    }
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
    }
    return true;
}

} // namespace

BundleLayout BundleOptions::EffectiveLayout() const {
    if (layout) {
        return *layout;
    }
    for (const PackageInput& package : packages) {
        if (!package.transforms.empty()) {
            return BundleLayout::MultiLanguage;
        }
    }
    return BundleLayout::SingleLanguage;
}

bool IsWizardLanguage(LANGID language) {
    return language == 1033 || IsTransformLanguage(language);
}

bool IsValidOsRequirement(const std::wstring& text) {
    const size_t slash = text.find(L'/');
    const std::wstring version = text.substr(0, slash);
    if (slash != std::wstring::npos && text.substr(slash + 1) != L"WSOnly") {
        return false;
    }
    if (version == L"WinNT" || version == L"WinXP") {
        return true;
    }
    size_t parts = 0;
    size_t start = 0;
    for (;;) {
        const size_t dot = version.find(L'.', start);
        const std::wstring part =
            version.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
        if (!IsDecimal(part, 5) || ++parts > 4) {
            return false;
        }
        if (dot == std::wstring::npos) {
            return true;
        }
        start = dot + 1;
    }
}

bool ParseBundleOptions(int argc, const wchar_t* const* argv, BundleOptions& options, std::wstring& error) {
    auto fail = [&error](const std::wstring& text) {
        error = text;
        return false;
    };
    for (int i = 1; i < argc; ++i) {
        std::wstring option = argv[i];
        std::optional<std::wstring> inlineValue;
        if (option.rfind(L"--", 0) == 0) {
            if (const size_t equals = option.find(L'='); equals != std::wstring::npos) {
                inlineValue = option.substr(equals + 1);
                option.resize(equals);
            }
        }
        // The value of an option: after '=' or the next argument.
        auto value = [&](std::wstring& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                return fail(L"option " + option + L" needs a value");
            }
            out = argv[++i];
            return true;
        };
        std::wstring text;
        if (option == L"-h" || option == L"--help" || option == L"/?" || option == L"-?") {
            options.help = true;
        } else if (option == L"-o" || option == L"--output") {
            if (!value(options.output)) {
                return false;
            }
        } else if (option == L"-p" || option == L"--package") {
            if (!value(text)) {
                return false;
            }
            if (text.empty()) {
                return fail(L"option " + option + L" needs a file name");
            }
            options.packages.push_back(PackageInput{text, {}});
        } else if (option == L"-t" || option == L"--transform") {
            if (!value(text)) {
                return false;
            }
            if (options.packages.empty()) {
                return fail(L"option " + option + L" " + text +
                            L" comes before any -p: a transform belongs to the "
                            L"package given last by -p");
            }
            const size_t equals = text.find(L'=');
            LANGID language = 0;
            if (equals == std::wstring::npos || !ParseLangId(text.substr(0, equals), language) ||
                equals + 1 >= text.size()) {
                return fail(L"option " + option + L" expects LANGID=FILE, not \"" + text + L"\"");
            }
            if (!IsTransformLanguage(language)) {
                return fail(L"transform language " + text.substr(0, equals) +
                            L" is not one of 1031, 1034, 1036, 1041");
            }
            auto& transforms = options.packages.back().transforms;
            if (!transforms.emplace(language, text.substr(equals + 1)).second) {
                return fail(L"package " + options.packages.back().path +
                            L" has two transforms for language " + text.substr(0, equals));
            }
        } else if (option == L"-l" || option == L"--launcher") {
            if (!value(options.launcher)) {
                return false;
            }
        } else if (option == L"--layout") {
            if (!value(text)) {
                return false;
            }
            if (text == L"multi") {
                options.layout = BundleLayout::MultiLanguage;
            } else if (text == L"single") {
                options.layout = BundleLayout::SingleLanguage;
            } else if (text == L"legacy") {
                options.layout = BundleLayout::Legacy;
            } else {
                return fail(L"unknown layout \"" + text + L"\" (multi, single or legacy)");
            }
        } else if (option == L"--language") {
            if (!value(text)) {
                return false;
            }
            LANGID language = 0;
            if (!ParseLangId(text, language) || !IsWizardLanguage(language)) {
                return fail(L"language \"" + text + L"\" is not one of 1033, 1031, 1034, 1036, 1041");
            }
            options.language = language;
        } else if (option == L"--os") {
            if (!value(text)) {
                return false;
            }
            if (!IsValidOsRequirement(text)) {
                return fail(L"minimum Windows version \"" + text +
                            L"\" is not VERSION or VERSION/WSOnly (VERSION: up to four numbers, e.g. 6.1.1)");
            }
            options.os = text;
        } else if (option == L"--minimum-msi") {
            if (!value(text)) {
                return false;
            }
            if (!IsDecimal(text, 9)) {
                return fail(L"minimum installer version \"" + text + L"\" is not a decimal number");
            }
            options.minimumMsi = text;
        } else if (option == L"--properties") {
            if (!value(text)) {
                return false;
            }
            options.properties = text;
        } else if (option == L"--bitmap") {
            if (!value(options.bitmap)) {
                return false;
            }
        } else if (option == L"--compression") {
            if (!value(text)) {
                return false;
            }
            if (text == L"lzx") {
                options.compression = CabinetCompression::Lzx;
            } else if (text == L"mszip") {
                options.compression = CabinetCompression::MsZip;
            } else if (text == L"none") {
                options.compression = CabinetCompression::None;
            } else {
                return fail(L"unknown compression \"" + text + L"\" (lzx, mszip or none)");
            }
        } else if (option == L"--list") {
            if (!value(options.listPath)) {
                return false;
            }
        } else if (!option.empty() && option[0] == L'-') {
            return fail(L"unknown option " + option);
        } else {
            return fail(L"unexpected argument \"" + option + L"\" (packages are given with -p)");
        }
        if (inlineValue && (option == L"-h" || option == L"--help")) {
            return fail(L"option " + option + L" takes no value");
        }
    }
    if (options.help) {
        return true;
    }
    if (!options.listPath.empty()) {
        if (!options.packages.empty() || !options.output.empty()) {
            return fail(L"--list reads a launcher; it takes no -p or -o");
        }
        return true;
    }
    if (options.packages.empty()) {
        return fail(L"no package: give the main package with -p");
    }
    if (options.output.empty()) {
        return fail(L"no output: give the launcher to write with -o");
    }
    if (options.language && options.EffectiveLayout() == BundleLayout::MultiLanguage) {
        return fail(L"--language sets the one language of a single or legacy build; a multi-language build "
                    L"chooses it at run time");
    }
    return true;
}

} // namespace quentry::bundle
