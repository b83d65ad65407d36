// What the launcher needs to know of an installer database: its product name, product code and
// package code, read through the Windows Installer in a child process of the tool, so that a
// database that makes the installer's code fail hard is a bad input and not a crash.
#pragma once

#include <string>

namespace quentry::bundle {

struct PackageFacts {
    std::wstring productName; // Property table, ProductName
    std::wstring productCode; // Property table, ProductCode, upper-case
    std::wstring packageCode; // summary information, Revision Number
};

// Reads the facts of the database at path. False with a one-line reason when the file is missing,
// is not an installer database, or lacks a product name, a product code or a package code (codes
// must be GUIDs in braces: the package code becomes a folder name on the target machine).
// path is a full path of any length. The database's structure is checked first; then this program
// is started again with kReadFactsOption to read it.
bool ReadPackageFacts(const std::wstring& path, PackageFacts& facts, std::wstring& error);

// The hidden mode of quentry-bundle that reads databases for ReadPackageFacts:
// quentry-bundle kReadFactsOption REPORT-HANDLE LIST-FILE. Returns the child's exit code.
inline constexpr wchar_t kReadFactsOption[] = L"--read-package-facts";
int ReadPackageFactsChild(const std::wstring& reportHandle, const std::wstring& listPath);

} // namespace quentry::bundle
