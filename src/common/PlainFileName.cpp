#include "common/PlainFileName.h"

#include "common/WideText.h"

#include <array>

namespace quentry {
namespace {

bool HoldsForbiddenCharacter(std::wstring_view name) {
    for (wchar_t c : name) {
        if (c < 0x20 || c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'\\' ||
            c == L'/' || c == L'?' || c == L'*') {
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

bool IsPlainFileName(std::wstring_view name) {
    return !name.empty() && !IsOnlyDotsAndSpaces(name) && !HoldsForbiddenCharacter(name) &&
           !IsDeviceName(name);
}

} // namespace quentry
