// Lines for the console of a command-line tool: a console gets UTF-16, a redirected handle (file,
// pipe) UTF-8.
#pragma once

#include <string_view>

namespace quentry::bundle {

void WriteOutputLine(std::wstring_view text);
void WriteErrorLine(std::wstring_view text);

} // namespace quentry::bundle
