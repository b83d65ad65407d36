// Text helpers: UTF-8 and code-page conversion, printf-style formatting of wide strings, and
// comparisons that ignore case.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>
#include <string_view>

namespace quentry {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
std::string ToCodePage(std::wstring_view text, UINT codePage);
std::wstring FromCodePage(std::string_view text, UINT codePage);
// Exact conversions: a text the code page cannot carry as it is (a character without its own
// code, which would become a best fit or the default character; an invalid byte sequence) gives
// the empty string.
std::string ToCodePageExact(std::wstring_view text, UINT codePage);
std::wstring FromCodePageExact(std::string_view text, UINT codePage);

// printf-style formatting with the platform's wide conventions (%s takes a wide string). The
// buffer starts at 256 characters and doubles until the text fits.
std::wstring FormatV(const wchar_t* format, va_list arguments);
std::wstring Format(const wchar_t* format, ...);

// A GUID in braces, 38 characters: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits.
bool IsBracedGuid(std::wstring_view text);

bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);

} // namespace quentry
