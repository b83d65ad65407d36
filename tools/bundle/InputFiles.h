// The files a bundle takes besides the packages: language transforms and the product bitmap,
// read whole and checked for what they claim to be.
#pragma once

#include <windows.h>

#include <guiddef.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quentry::bundle {

// The whole file (a full path of any length); false with a reason when it cannot be read (or is
// larger than 2 GB).
bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& bytes, std::wstring& error);

// The class of the root storage of an OLE compound file held in bytes; none when it is not a
// compound file or its structure is damaged (checked by this tool's own reading, not the
// platform's). Installer databases have {000C1084-0000-0000-C000-000000000046}, transforms
// {000C1082-...}, patches {000C1086-...}.
std::optional<CLSID> StorageClassOf(std::span<const BYTE> bytes);
inline constexpr CLSID kDatabaseClass = {
    0x000C1084, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr CLSID kTransformClass = {
    0x000C1082, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// An installer transform: an OLE compound file whose root storage has the transform class.
bool IsInstallerTransform(std::span<const BYTE> bytes);

// A transform file; false with a reason when it cannot be read or is not a transform.
bool ReadTransformFile(const std::wstring& path, std::vector<BYTE>& bytes, std::wstring& error);

// The product bitmap from a .bmp file as a bitmap resource takes it (the file without its
// 14-byte file header): 48 by 48 pixels, 24 bits per pixel, uncompressed, pixels right after the
// header. False with a reason otherwise.
bool ReadProductBitmap(const std::wstring& path, std::vector<BYTE>& resource, std::wstring& error);

} // namespace quentry::bundle
