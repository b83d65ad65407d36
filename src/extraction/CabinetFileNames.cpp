#include "extraction/CabinetFileNames.h"

#include "common/WideText.h"

#include <windows.h>

#include <array>

namespace quentry {
namespace {

std::wstring Decode(std::string_view text, UINT codePage) {
    return FromCodePageExact(text, codePage);
}

bool HoldsForbiddenCharacter(std::wstring_view name) {
    for (wchar_t c : name) {
        if (c < 0x20 || c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' ||
            c == L'*') {
            return true;
        }
    }
    return false;
}

bool IsOnlyDotsAndSpaces(std::wstring_view name) {
    return name.find_first_not_of(L". ") == std::wstring_view::npos;
}

// The platform opens a device for these names, with any extension and trailing spaces.
bool IsDeviceName(std::wstring_view name) {
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') {
        base.remove_suffix(1);
    }
    static constexpr std::array<std::wstring_view, 6> kDevices = {L"CON", L"PRN",    L"AUX",
                                                                  L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view device : kDevices) {
        if (EqualsNoCase(base, device)) {
            return true;
        }
    }
    if (base.size() == 4 && (StartsWithNoCase(base, L"COM") || StartsWithNoCase(base, L"LPT"))) {
        const wchar_t digit = base[3];
        // The platform also treats the superscript digits as port numbers.
        return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
               digit == L'\u00B3';
    }
    return false;
}

} // namespace

std::wstring ExtractedFileName(std::string_view storedName, bool storedAsUtf8) {
    // Decoded before it is split: in a double-byte code page the second byte of a character can
    // have the value of a backslash.
    const std::wstring decoded = Decode(storedName, storedAsUtf8 ? CP_UTF8 : CP_ACP);
    const size_t separator = decoded.find_last_of(L"\\/");
    std::wstring name = separator == std::wstring::npos ? decoded : decoded.substr(separator + 1);
    if (name.empty() || IsOnlyDotsAndSpaces(name) || HoldsForbiddenCharacter(name) || IsDeviceName(name)) {
        return {};
    }
    return name;
}

std::wstring ExtractedFilePath(const std::wstring& folder, const std::wstring& name) {
    constexpr size_t kLongestPath = MAX_PATH - 1;
    if (folder.size() + 1 + name.size() > kLongestPath) {
        return {};
    }
    return folder + L"\\" + name;
}

} // namespace quentry
