// The command line as the log shows it: the values of service passwords are hidden, since the
// log file may be read by other users of the machine.
#pragma once

#include <string>
#include <string_view>

namespace quentry {

inline constexpr std::wstring_view kMaskedValue = L"*****";

// The text with the value of every NAME=VALUE argument whose NAME ends with "_Service_Password"
// (ignoring case) replaced by "*****". Arguments are split as the platform splits a command line
// (blanks outside double quotes, backslashes before a quote); everything else is kept as it is.
std::wstring MaskServicePasswords(std::wstring_view commandLine);

} // namespace quentry
