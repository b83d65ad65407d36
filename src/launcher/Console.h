// Output for the console the launcher was started from: usage text, property warnings, errors.
#pragma once

#include <string_view>

namespace quentry {

// Attaches to the parent process's console, once; a missing console is not an error.
void AttachParentConsole();

// Writes text (may be empty) and, with newline, "\r\n". A console gets the text as UTF-16; a
// redirected standard output (file or pipe) gets it as UTF-8. Without either it is dropped.
void ConsoleWrite(std::wstring_view text, bool newline);

} // namespace quentry
