#include "CabinetSummary.h"

#include "common/WideText.h"

namespace quentry::bundle {

namespace {

constexpr size_t kHeaderSize = 36;
constexpr uint16_t kHasPrevious = 0x0001;
constexpr uint16_t kHasNext = 0x0002;
constexpr uint16_t kHasReserve = 0x0004;
constexpr size_t kFileEntrySize = 16;
constexpr size_t kFolderEntrySize = 8;

class Reader {
public:
    explicit Reader(std::span<const BYTE> bytes) : m_bytes(bytes) {}
    bool Has(size_t offset, size_t count) const {
        return offset <= m_bytes.size() && count <= m_bytes.size() - offset;
    }
    uint16_t U16(size_t offset) const {
        return static_cast<uint16_t>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
    }
    uint32_t U32(size_t offset) const {
        return static_cast<uint32_t>(U16(offset)) | (static_cast<uint32_t>(U16(offset + 2)) << 16);
    }
    BYTE U8(size_t offset) const { return m_bytes[offset]; }
    // A NUL-terminated string at offset; false when it does not end inside the bytes.
    bool String(size_t& offset, std::string& text) const {
        for (size_t end = offset; end < m_bytes.size(); ++end) {
            if (m_bytes[end] == 0) {
                text.assign(reinterpret_cast<const char*>(m_bytes.data() + offset), end - offset);
                offset = end + 1;
                return true;
            }
        }
        return false;
    }

private:
    std::span<const BYTE> m_bytes;
};

} // namespace

std::optional<CabinetSummary> ReadCabinetSummary(std::span<const BYTE> cabinet) {
    const Reader reader(cabinet);
    if (!reader.Has(0, kHeaderSize) || reader.U8(0) != 'M' || reader.U8(1) != 'S' || reader.U8(2) != 'C' ||
        reader.U8(3) != 'F') {
        return std::nullopt;
    }
    CabinetSummary summary;
    summary.declaredSize = reader.U32(8);
    const uint32_t filesOffset = reader.U32(16);
    summary.folderCount = reader.U16(26);
    summary.fileCount = reader.U16(28);
    const uint16_t flags = reader.U16(30);
    summary.setId = reader.U16(32);
    summary.cabinetIndex = reader.U16(34);
    if (summary.folderCount == 0 || summary.fileCount == 0 || summary.declaredSize > cabinet.size()) {
        return std::nullopt;
    }
    size_t offset = kHeaderSize;
    size_t folderReserve = 0;
    if (flags & kHasReserve) {
        if (!reader.Has(offset, 4)) {
            return std::nullopt;
        }
        const size_t headerReserve = reader.U16(offset);
        folderReserve = reader.U8(offset + 2);
        offset += 4 + headerReserve;
    }
    std::string ignored;
    for (uint16_t flag : {kHasPrevious, kHasNext}) {
        if (flags & flag) {
            // Cabinet name and disk name of the neighbour in the set.
            if (!reader.String(offset, ignored) || !reader.String(offset, ignored)) {
                return std::nullopt;
            }
        }
    }
    if (!reader.Has(offset, kFolderEntrySize + folderReserve)) {
        return std::nullopt;
    }
    summary.firstFolderCompression = reader.U16(offset + 6);
    size_t file = filesOffset;
    if (!reader.Has(file, kFileEntrySize)) {
        return std::nullopt;
    }
    summary.firstFileSize = reader.U32(file);
    file += kFileEntrySize;
    if (!reader.String(file, summary.firstFileName)) {
        return std::nullopt;
    }
    return summary;
}

std::wstring CompressionName(uint16_t compression) {
    switch (compression & 0x000F) {
    case 0:
        return compression == 0 ? L"none" : Format(L"type 0x%04X", compression);
    case 1:
        return L"MSZIP";
    case 2:
        return L"Quantum";
    case 3:
        return Format(L"LZX (window 2^%u)", (compression >> 8) & 0x1F);
    default:
        return Format(L"type 0x%04X", compression);
    }
}

} // namespace quentry::bundle
