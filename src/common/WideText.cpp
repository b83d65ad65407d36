#include "common/WideText.h"

#include <cwchar>
#include <vector>

namespace quentry {

namespace {

std::string Narrow(std::wstring_view text, UINT codePage, bool exact) {
    if (text.empty()) {
        return {};
    }
    // An exact conversion composes what it can, takes no best fit and reports the default
    // character; the UTF-8 code page takes none of that, only the check for invalid text (a lone
    // surrogate).
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = !exact ? 0 : utf8 ? WC_ERR_INVALID_CHARS : WC_COMPOSITECHECK | WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultReport = exact && !utf8 ? &usedDefault : nullptr;
    const int size = ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, usedDefaultReport);
    if (size <= 0 || usedDefault) {
        return {};
    }
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), result.data(), size,
                          nullptr, usedDefaultReport);
    return result;
}

std::wstring Widen(std::string_view text, UINT codePage, bool exact) {
    if (text.empty()) {
        return {};
    }
    const DWORD flags = exact ? MB_ERR_INVALID_CHARS : 0;
    const int size =
        ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring result(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

} // namespace

std::string ToCodePage(std::wstring_view text, UINT codePage) {
    return Narrow(text, codePage, false);
}

std::wstring FromCodePage(std::string_view text, UINT codePage) {
    return Widen(text, codePage, false);
}

std::string ToCodePageExact(std::wstring_view text, UINT codePage) {
    return Narrow(text, codePage, true);
}

std::wstring FromCodePageExact(std::string_view text, UINT codePage) {
    return Widen(text, codePage, true);
}

std::string ToUtf8(std::wstring_view text) {
    return ToCodePage(text, CP_UTF8);
}

std::wstring FromUtf8(std::string_view text) {
    return FromCodePage(text, CP_UTF8);
}

std::wstring FormatV(const wchar_t* format, va_list arguments) {
    if (format == nullptr) {
        return {};
    }
    // Far beyond any text the launcher formats; stops a runaway format from eating the memory.
    constexpr size_t kLimit = size_t{1} << 24;
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, arguments);
        int written = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            return std::wstring(buffer.data(), static_cast<size_t>(written));
        }
        if (buffer.size() >= kLimit) {
            return std::wstring(buffer.data(), buffer.size());
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring Format(const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::wstring text = FormatV(format, arguments);
    va_end(arguments);
    return text;
}

bool IsBracedGuid(std::wstring_view text) {
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') {
        return false;
    }
    for (size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        const wchar_t c = text[i];
        const bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
        if (dash ? c != L'-' : !hex) {
            return false;
        }
    }
    return true;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace quentry
