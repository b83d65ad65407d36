// Reads an installer database through msi.dll into memory: every table with its schema and rows,
// the summary fields and the code page of the string pool.
#pragma once

#include "DatabaseModel.h"

#include <string>

namespace quentry::transform {

// Fills snapshot from the database at path. On failure returns false and says why in error.
bool ReadDatabase(const std::wstring& path, DatabaseSnapshot& snapshot, std::wstring& error);

} // namespace quentry::transform
