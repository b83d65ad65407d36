// Helpers shared by the tests: scratch folders, child processes, files, the launcher under test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quentry::test {

// A Unix path of the build (Wine maps the Unix root as drive Z:) as a Windows path.
std::wstring WindowsPathOf(const std::string& unixPath);
// The build folder, and files in it (bin\quentry.exe, bin\uidriver.exe, ...).
std::wstring BuildPath(const std::wstring& relative);
std::wstring SourcePath(const std::wstring& relative);
std::wstring LauncherPath();

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

void RemoveTree(const std::wstring& path);

struct ProcessResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::string output; // what the program wrote to its standard output
};

// Runs a command line and waits for it (the program is killed after timeoutMs). With
// mergeErrorOutput, what the program writes to standard error is captured in output as well.
ProcessResult RunCommand(const std::wstring& commandLine, DWORD timeoutMs = 60000,
                         bool mergeErrorOutput = false);

// Files of any path length (the long ones in their "\\?\" form).
bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes); // true when all was written
// The names of the files in folder (not its subfolders), sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
// A UTF-16LE file without byte-order mark, as the launcher's log.
std::wstring ReadUtf16(const std::wstring& path);

} // namespace quentry::test
