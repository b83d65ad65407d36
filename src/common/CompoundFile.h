// The structure of an OLE compound file (installer databases, transforms and patches are such
// files), checked by bounded reading of its own before any platform code is given the file:
// header, sector allocation tables, directory tree and every stream's sector chain.
#pragma once

#include <windows.h>

#include <guiddef.h>

#include <span>
#include <string>

namespace quentry {

// True when bytes hold a compound file whose structure is sound: every chain stays inside the
// file, ends where the header and the directory say, and no sector belongs to two chains; the
// directory is a tree without loops. Then rootClass is the class of its root storage. False with
// a short reason ("is not a compound file", "has a damaged sector table", ...).
bool CheckCompoundFile(std::span<const BYTE> bytes, CLSID& rootClass, std::wstring& reason);

// The same check of a file, read through a read-only mapping of it (nothing is copied, however
// large the file). False with a reason as above, or "cannot be read" when the file cannot be
// opened or mapped.
bool CheckCompoundFileAt(const std::wstring& path, CLSID& rootClass, std::wstring& reason);

inline constexpr CLSID kInstallerDatabaseClass = {
    0x000C1084, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr CLSID kInstallerTransformClass = {
    0x000C1082, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

} // namespace quentry
