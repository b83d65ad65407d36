#include "ToolOptions.h"

#include <cerrno>
#include <cwchar>

namespace quentry::transform {

const wchar_t kToolUsage[] =
    L"usage: quentry-transform --base BASE.msi --changed CHANGED.msi --out OUT.mst [options]\n"
    L"       quentry-transform --base BASE.msi [--changes FILE] [--property NAME=VALUE]... --out OUT.mst "
    L"[options]\n"
    L"\n"
    L"Writes an installer transform that turns BASE into CHANGED, or that makes the changes of a\n"
    L"description FILE and of --property options.\n"
    L"\n"
    L"  --codepage N          code page of the transform's strings (default: that of the database)\n"
    L"  --validate FLAGS      validation flags of the summary information (default 0x0008: product code)\n"
    L"  --error-conditions N  error conditions to suppress, kept in the summary information (default 0)\n"
    L"\n"
    L"Change description, one statement a line (# starts a comment):\n"
    L"  Property NAME=VALUE\n"
    L"  insert TABLE COLUMN=VALUE ...\n"
    L"  update TABLE KEY=VALUE ... COLUMN=VALUE ...\n"
    L"  delete TABLE KEY=VALUE ...\n"
    L"A value is a word or a \"quoted text\"; an empty value is null.\n";

namespace {

bool ParseNumber(const std::wstring& text, unsigned limit, unsigned& value) {
    if (text.empty()) {
        return false;
    }
    wchar_t* end = nullptr;
    errno = 0;
    const unsigned long number = std::wcstoul(text.c_str(), &end, 0);
    if (errno != 0 || *end != L'\0' || text[0] == L'-' || number > limit) {
        return false;
    }
    value = static_cast<unsigned>(number);
    return true;
}

} // namespace

bool ParseToolOptions(int argc, wchar_t** argv, ToolOptions& options, std::wstring& error) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--help" || option == L"-h" || option == L"/?") {
            options.help = true;
            return true;
        }
        if (i + 1 >= argc) {
            error = option.compare(0, 2, L"--") == 0 ? option + L" needs a value"
                                                     : L"unexpected argument " + option;
            return false;
        }
        const std::wstring value = argv[++i];
        unsigned number = 0;
        if (option == L"--base") {
            options.base = value;
        } else if (option == L"--changed") {
            options.changed = value;
        } else if (option == L"--changes") {
            options.changesFile = value;
        } else if (option == L"--property") {
            if (value.find(L'=') == std::wstring::npos || value[0] == L'=') {
                error = L"--property takes NAME=VALUE, not " + value;
                return false;
            }
            options.properties.push_back(value);
        } else if (option == L"--out") {
            options.output = value;
        } else if (option == L"--codepage") {
            if (!ParseNumber(value, 0xffff, number)) {
                error = L"--codepage takes a code page number, not " + value;
                return false;
            }
            options.codepage = number;
        } else if (option == L"--validate") {
            if (!ParseNumber(value, 0xffff, number)) {
                error = L"--validate takes a number up to 0xffff, not " + value;
                return false;
            }
            options.validationFlags = number;
        } else if (option == L"--error-conditions") {
            if (!ParseNumber(value, 0xffff, number)) {
                error = L"--error-conditions takes a number up to 0xffff, not " + value;
                return false;
            }
            options.errorConditions = number;
        } else {
            error = L"unknown option " + option;
            return false;
        }
    }
    if (options.base.empty() || options.output.empty()) {
        error = L"--base and --out are required";
        return false;
    }
    const bool describes = !options.changesFile.empty() || !options.properties.empty();
    if (options.changed.empty() == !describes) {
        error = L"give either --changed, or --changes and/or --property";
        return false;
    }
    return true;
}

} // namespace quentry::transform
