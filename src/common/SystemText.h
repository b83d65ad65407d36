// The system's own text for an error code.
#pragma once

#include <windows.h>

#include <string>

namespace quentry {

// The text on one line, without the line break and blanks it ends with; empty when the system
// has none.
std::wstring SystemErrorText(DWORD error);

// For a tool's error line: the text without its final full stop and "(error N)", or "error N"
// when the system has no text.
std::wstring SystemText(DWORD error);

} // namespace quentry
