// Names that can only mean a file directly inside a folder: no folder part, no drive, no stream of
// another file, no device.
#pragma once

#include <string_view>

namespace quentry {

// True when name is a single path component that names an ordinary file: not empty, not "." or
// "..", not only dots and spaces, without "\" or "/", without ":" or another character no file
// name may hold, and not a device name (CON, NUL, COM1 ..., with any extension).
bool IsPlainFileName(std::wstring_view name);

} // namespace quentry
