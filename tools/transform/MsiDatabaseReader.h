// Reads an installer database through msi.dll into memory: every table with its schema and rows,
// the summary fields and the code page of the string pool. The reading is done by a child process
// of the tool, after the file's compound-file structure was checked: a database that makes the
// platform's code fail hard is a bad input, not a crash of the tool.
#pragma once

#include "DatabaseModel.h"

#include <string>

namespace quentry::transform {

// Fills snapshot from the database at path (a full path of any length). On failure returns false
// and says why in error.
bool ReadDatabase(const std::wstring& path, DatabaseSnapshot& snapshot, std::wstring& error);

// The hidden mode of quentry-transform that reads databases for ReadDatabase:
// quentry-transform kReadDatabaseOption REPORT-HANDLE LIST-FILE. Returns the child's exit code.
inline constexpr wchar_t kReadDatabaseOption[] = L"--read-database";
int ReadDatabaseChild(const std::wstring& reportHandle, const std::wstring& listPath);

} // namespace quentry::transform
