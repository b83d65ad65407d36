// The system's own text for an error code, on one line.
#pragma once

#include <windows.h>

#include <string>

namespace quentry::bundle {

std::wstring SystemText(DWORD error);

} // namespace quentry::bundle
