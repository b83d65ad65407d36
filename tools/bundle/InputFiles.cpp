#include "InputFiles.h"

#include "common/SystemText.h"
#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "common/CompoundFile.h"
#include "shared/ToolPaths.h"

#include <algorithm>
#include <cstdint>

namespace quentry::bundle {

namespace {

constexpr LONGLONG kMaxFileSize = 0x7FFF0000;

uint32_t U32(std::span<const BYTE> bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

uint16_t U16(std::span<const BYTE> bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

} // namespace

bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& bytes, std::wstring& error) {
    UniqueFileHandle file(::CreateFileW(tools::ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = L"cannot read " + path + L": " + SystemText(::GetLastError());
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) {
        error = L"cannot read " + path + L": " + SystemText(::GetLastError());
        return false;
    }
    if (size.QuadPart > kMaxFileSize) {
        error = L"cannot read " + path + L": larger than 2 GB";
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        if (!::ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) {
            error = L"cannot read " + path + L": " + SystemText(::GetLastError());
            return false;
        }
        if (read == 0) {
            error = L"cannot read " + path + L": the file became shorter while it was read";
            return false;
        }
        done += read;
    }
    return true;
}

std::optional<CLSID> StorageClassOf(std::span<const BYTE> bytes) {
    CLSID found{};
    std::wstring damage;
    if (!CheckCompoundFile(bytes, found, damage)) {
        return std::nullopt;
    }
    return found;
}

bool IsInstallerTransform(std::span<const BYTE> bytes) {
    const auto found = StorageClassOf(bytes);
    return found && IsEqualCLSID(*found, kTransformClass);
}

bool ReadTransformFile(const std::wstring& path, std::vector<BYTE>& bytes, std::wstring& error) {
    if (!ReadWholeFile(path, bytes, error)) {
        error = L"transform: " + error;
        return false;
    }
    if (!IsInstallerTransform(bytes)) {
        error = L"transform " + path + L" is not an installer transform";
        return false;
    }
    return true;
}

bool ReadProductBitmap(const std::wstring& path, std::vector<BYTE>& resource, std::wstring& error) {
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(path, bytes, error)) {
        error = L"bitmap: " + error;
        return false;
    }
    constexpr size_t kFileHeader = 14;
    constexpr size_t kInfoHeader = 40;
    if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M') {
        error = L"bitmap " + path + L" is not a .bmp file";
        return false;
    }
    const std::span<const BYTE> view(bytes);
    const uint32_t pixelsAt = U32(view, 10);
    const uint32_t headerSize = U32(view, kFileHeader);
    const int32_t width = static_cast<int32_t>(U32(view, kFileHeader + 4));
    const int32_t height = static_cast<int32_t>(U32(view, kFileHeader + 8));
    const uint16_t bits = U16(view, kFileHeader + 14);
    const uint32_t compression = U32(view, kFileHeader + 16);
    const uint32_t colours = U32(view, kFileHeader + 32);
    if (width != 48 || (height != 48 && height != -48) || bits != 24 || compression != BI_RGB) {
        error =
            Format(L"bitmap %s is %dx%d with %u bits per pixel; the product bitmap is 48x48 with 24 bits, "
                   L"uncompressed",
                   path.c_str(), width, height < 0 ? -height : height, bits);
        return false;
    }
    const uint64_t rowBytes = (48 * 3 + 3) / 4 * 4;
    if (headerSize < kInfoHeader || pixelsAt != kFileHeader + headerSize + colours * 4ull ||
        bytes.size() < pixelsAt + rowBytes * 48) {
        error = L"bitmap " + path + L" is truncated or has a gap between its header and its pixels";
        return false;
    }
    resource.assign(bytes.begin() + kFileHeader, bytes.end());
    return true;
}

} // namespace quentry::bundle
