#include "launcher/CommandLineMask.h"

#include "common/WideText.h"

namespace quentry {

namespace {

constexpr std::wstring_view kPasswordSuffix = L"_Service_Password";

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsPasswordName(const std::wstring& name) {
    return name.size() >= kPasswordSuffix.size() &&
           EqualsNoCase(std::wstring_view(name).substr(name.size() - kPasswordSuffix.size()),
                        kPasswordSuffix);
}

} // namespace

std::wstring MaskServicePasswords(std::wstring_view text) {
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            out += text[i++];
            continue;
        }
        // One argument: up to a blank outside quotes.
        const size_t start = i;
        bool quoted = false;
        size_t backslashes = 0;
        size_t equals = std::wstring_view::npos;
        bool quotedAtEquals = false;
        std::wstring name; // the argument's characters before its first "=", without quotes
        for (; i < text.size(); ++i) {
            const wchar_t c = text[i];
            if (!quoted && IsBlank(c)) {
                break;
            }
            if (c == L'"') {
                if (backslashes % 2 == 0) {
                    quoted = !quoted;
                }
            } else if (c == L'=' && equals == std::wstring_view::npos) {
                equals = i;
                quotedAtEquals = quoted;
            } else if (equals == std::wstring_view::npos && c != L'\\') {
                name += c;
            }
            backslashes = c == L'\\' ? backslashes + 1 : 0;
        }
        const std::wstring_view argument = text.substr(start, i - start);
        if (equals == std::wstring_view::npos || !IsPasswordName(name)) {
            out += argument;
            continue;
        }
        out += text.substr(start, equals + 1 - start);
        out += kMaskedValue;
        if (quotedAtEquals) {
            out += L'"';
        }
    }
    return out;
}

} // namespace quentry
