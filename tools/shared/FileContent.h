// Reading the whole of an open file into memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace quentry::tools {

// The whole content of an open file, read from its start whatever the handle's position. False,
// with the last error set, when its size cannot be read, it is larger than limit, or a read fails
// or ends before the size it had.
bool ReadOpenFile(HANDLE file, std::string& bytes, uint64_t limit);

} // namespace quentry::tools
