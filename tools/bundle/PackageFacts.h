// What the launcher needs to know of an installer database: its product name, product code and
// package code, read through the Windows Installer.
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
bool ReadPackageFacts(const std::wstring& path, PackageFacts& facts, std::wstring& error);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits of either case.
bool IsBracedGuid(const std::wstring& text);

} // namespace quentry::bundle
