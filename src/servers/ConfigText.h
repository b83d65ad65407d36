// Small text operations of the server configuration code, in plain C++ (no platform headers), so
// that the configuration-file parsers can be built and fuzzed on any machine.
#pragma once

#include <string>
#include <string_view>

namespace quentry {

inline constexpr std::wstring_view kBlankAndTab = L" \t";

// text without the characters of set at both ends.
std::wstring_view TrimSet(std::wstring_view text, std::wstring_view set);
inline std::wstring_view TrimBlanks(std::wstring_view text) {
    return TrimSet(text, kBlankAndTab);
}

// Equal ignoring the case of letters, character by character.
bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b);

// The decimal digits at the start of text as a number ("80a" is 80, "a80" and "" are 0). Digits
// beyond what an int holds keep it at its largest value.
int DecimalPrefix(std::wstring_view text);

} // namespace quentry
