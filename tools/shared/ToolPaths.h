// Paths as the tools handle them: full paths of any length, the extended form that the file
// functions accept beyond MAX_PATH, and the folders a tool works in.
#pragma once

#include <string>

namespace quentry::tools {

// The full path of path (relative to the current folder; forward slashes become backslashes), of
// any length; path itself when the system cannot make one.
std::wstring FullPath(const std::wstring& path);

// The "\\?\" form of a full path ("\\?\UNC\server\share\..." for a network path), which the file
// functions (CreateFileW, CopyFileW, MoveFileExW, DeleteFileW, ...) take at any length. A path
// that has the form already, or is not a full path, is returned as it is.
std::wstring ExtendedPath(const std::wstring& fullPath);

// Whether a full path is short enough for the platform functions that keep paths in MAX_PATH
// buffers (the installer's database functions, loading a module).
bool FitsMaxPath(const std::wstring& fullPath);

// The folder of a full path: "C:\a" for "C:\a\b.exe", "C:\" for "C:\b.exe".
std::wstring FolderOf(const std::wstring& path);

// The full path of the running program.
std::wstring ThisProgramPath();

// The user's temporary folder, with a trailing backslash; empty when it cannot be found.
std::wstring TemporaryFolder();

} // namespace quentry::tools
