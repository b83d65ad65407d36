// Helpers of the tools' bad-input tests: running a tool, files and folders at paths longer than
// MAX_PATH, damaged copies of a database, and the tools' own temporary files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quentry::test::hostile {

struct ToolRun {
    DWORD exitCode = 0;
    std::string out; // standard output
    std::string err; // standard error
};

std::wstring BundleTool();
std::wstring TransformTool();
// Runs a tool with the arguments (each quoted as the C runtime splits them), both output streams
// captured; a run that does not end within two minutes is killed (exit code 255, and a failure).
ToolRun RunTool(const std::wstring& tool, const std::vector<std::wstring>& arguments);

// The sample's main package, built as the sample builds it.
std::wstring SamplePackage();

// Files by full paths of any length.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);

// A folder inside parent whose full path is exactly length characters (made of one component of
// letters), removed with its files at the end.
class LongFolder {
public:
    LongFolder(const std::wstring& parent, size_t length, wchar_t letter = L'a');
    ~LongFolder();
    LongFolder(const LongFolder&) = delete;
    LongFolder& operator=(const LongFolder&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// bytes with the byte at each offset replaced.
std::string WithBytes(std::string bytes, const std::vector<std::pair<size_t, uint8_t>>& changes);
// bytes with count bytes at random offsets from first on set to random values, from seed.
std::string WithRandomBytes(std::string bytes, unsigned seed, size_t count, size_t first = 0);

// The tools' own temporary files in the temporary folder (q<letter><digits>-<digits>.<ext>), which
// no run may leave behind.
std::vector<std::wstring> ToolTemporaryFiles();

// True when text is one line ending in a line break.
bool IsOneLine(const std::string& text);

} // namespace quentry::test::hostile
