// Stateless file, folder, process and access-list operations. Failures are results (false, "",
// 0 or -1); nothing is logged or shown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

namespace quentry::ICBSFileUtilities {

// How long DeleteFolderTree waits before its one retry of a file another process holds open.
inline constexpr DWORD kSharingViolationRetryMs = 1000;
// The exit code given to a process that RunProcess ends at its time-out.
inline constexpr DWORD kTimedOutExitCode = 1;
// Paths this long or longer are copied through their "\\?\" form.
inline constexpr size_t kLongPathLength = 260;
// The debugger message written when RunProcess ends a process at its time-out.
inline constexpr wchar_t kTerminateMessage[] = L"ICBSFileUtilities::Wait: Terminate process";

// An entry (file or folder) exists; with wildcards, any entry matches.
bool FileExists(const std::wstring& path);
// An entry exists and is a folder.
bool FolderExists(const std::wstring& path);
// Creates the folder that holds path, and its missing parents.
bool EnsureParentFolder(const std::wstring& path);
// Creates one folder; true when created or already there.
bool CreateFolder(const std::wstring& path);
// Copies a file: creates the target's folder, clears a read-only target, uses the "\\?\" form for
// long paths. With failIfExists an existing target is an error.
bool CopyFileTo(const std::wstring& source, const std::wstring& target, bool failIfExists);
// The low 32 bits of the file's size; 0 when it cannot be opened for reading.
uint32_t FileSizeOf(const std::wstring& path);
// "major.minor.build.revision" of the version resource; "" without one.
std::wstring FileVersionOf(const std::wstring& path);
// 1 for the folder plus every subfolder at any depth; 1 when it cannot be listed.
unsigned CountFolders(const std::wstring& path);
// Deletes a folder with everything in it. Read-only files are deleted; a file another process
// holds open is retried once after kSharingViolationRetryMs; the first failure stops the walk.
bool DeleteFolderTree(const std::wstring& path);
std::wstring CurrentFolderText();

// Runs a command line. The overrides are set in this process's environment for the child; the
// variables that existed before get their old values back afterwards. Returns -1 when the process
// cannot be started, 0 without wait, else its exit code (kTimedOutExitCode when it was ended at
// the time-out, 0 when the code cannot be read). An empty working folder means this process's.
int RunProcess(const std::wstring& commandLine, bool wait, const std::wstring& workingFolder,
               const std::map<std::wstring, std::wstring>& environmentOverrides, DWORD timeoutMs,
               bool showWindow);

// Gives everyone full access (generic all) to the folder, inherited by its subfolders and files,
// in place of any explicit entry for everyone. True when the new access list was written.
bool GrantEveryoneFullAccess(const std::wstring& folder);
// One explicit entry of the folder's access list grants exactly accessMask to the named account.
bool HasExplicitAccess(const std::wstring& folder, DWORD accessMask, const std::wstring& accountName);
// The same check for a well-known group, compared by its security identifier: account names are
// translated on a system in another language ("Jeder", "Tout le monde"), the identifier is not.
bool HasExplicitAccess(const std::wstring& folder, DWORD accessMask, WELL_KNOWN_SID_TYPE group);

} // namespace quentry::ICBSFileUtilities
