#include "common/CompoundFile.h"

#include "common/UniqueHandle.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quentry {

namespace {

constexpr BYTE kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr uint32_t kMaxRegular = 0xFFFFFFFA;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kNoEntry = 0xFFFFFFFF;
constexpr size_t kHeaderTableEntries = 109;
constexpr size_t kEntrySize = 128;
constexpr uint32_t kMiniSectorSize = 64;

enum EntryType : BYTE { kUnused = 0, kStorage = 1, kStream = 2, kRoot = 5 };

class Checker {
public:
    explicit Checker(std::span<const BYTE> bytes) : m_bytes(bytes) {}

    bool Run(CLSID& rootClass, std::wstring& reason) {
        if (m_bytes.size() < 512 ||
            !std::equal(std::begin(kSignature), std::end(kSignature), m_bytes.begin())) {
            reason = L"is not a compound file";
            return false;
        }
        if (!ReadHeader()) {
            reason = L"has a damaged compound-file header";
            return false;
        }
        if (!ReadSectorTable()) {
            reason = L"has a damaged sector table";
            return false;
        }
        if (!ReadDirectory()) {
            reason = L"has a damaged directory";
            return false;
        }
        if (!ReadMiniTable()) {
            reason = L"has a damaged table of small streams";
            return false;
        }
        if (!CheckTree()) {
            reason = L"has a damaged directory tree or stream chain";
            return false;
        }
        std::memcpy(&rootClass, m_directory.data() + 80, sizeof(CLSID));
        return true;
    }

private:
    uint32_t U32(size_t at) const {
        return static_cast<uint32_t>(m_bytes[at]) | (static_cast<uint32_t>(m_bytes[at + 1]) << 8) |
               (static_cast<uint32_t>(m_bytes[at + 2]) << 16) |
               (static_cast<uint32_t>(m_bytes[at + 3]) << 24);
    }
    uint16_t U16(size_t at) const { return static_cast<uint16_t>(m_bytes[at] | (m_bytes[at + 1] << 8)); }
    static uint32_t U32Of(const std::vector<BYTE>& data, size_t at) {
        return static_cast<uint32_t>(data[at]) | (static_cast<uint32_t>(data[at + 1]) << 8) |
               (static_cast<uint32_t>(data[at + 2]) << 16) | (static_cast<uint32_t>(data[at + 3]) << 24);
    }
    size_t SectorOffset(uint32_t sector) const { return (static_cast<size_t>(sector) + 1) << m_shift; }

    bool ReadHeader() {
        const uint16_t major = U16(26);
        m_shift = U16(30);
        if (U16(28) != 0xFFFE || U16(32) != 6 || U32(56) != 4096 ||
            !((major == 3 && m_shift == 9) || (major == 4 && m_shift == 12))) {
            return false;
        }
        m_version = major;
        m_sectorSize = 1u << m_shift;
        if (m_bytes.size() < m_sectorSize) {
            return false;
        }
        // A last sector that the file holds only in part still counts: its missing tail is zero.
        const uint64_t sectors = (m_bytes.size() - m_sectorSize + m_sectorSize - 1) / m_sectorSize;
        if (sectors >= kMaxRegular) {
            return false;
        }
        m_sectorCount = static_cast<uint32_t>(sectors);
        m_used.assign(m_sectorCount, false);
        return true;
    }

    // A sector's bytes; a last sector the file holds in part is filled with zeros.
    std::vector<BYTE> Sector(uint32_t sector) const {
        std::vector<BYTE> data(m_sectorSize, 0);
        const size_t at = SectorOffset(sector);
        if (at < m_bytes.size()) {
            std::memcpy(data.data(), m_bytes.data() + at,
                        std::min<size_t>(m_sectorSize, m_bytes.size() - at));
        }
        return data;
    }

    // Claims a sector for one structure; false when it is outside the file or claimed already.
    bool Claim(uint32_t sector) {
        if (sector >= m_sectorCount || m_used[sector]) {
            return false;
        }
        m_used[sector] = true;
        return true;
    }

    bool ReadSectorTable() {
        const uint32_t tableSectors = U32(44);
        const uint32_t firstExtension = U32(68);
        const uint32_t extensionSectors = U32(72);
        const size_t perSector = m_sectorSize / 4;
        if (tableSectors == 0 || tableSectors > m_sectorCount || extensionSectors > m_sectorCount) {
            return false;
        }
        std::vector<uint32_t> tableIds;
        for (size_t i = 0; i < kHeaderTableEntries && tableIds.size() < tableSectors; ++i) {
            tableIds.push_back(U32(76 + 4 * i));
        }
        uint32_t next = firstExtension;
        for (uint32_t n = 0; n < extensionSectors; ++n) {
            if (!Claim(next)) {
                return false;
            }
            const std::vector<BYTE> data = Sector(next);
            for (size_t i = 0; i + 1 < perSector && tableIds.size() < tableSectors; ++i) {
                tableIds.push_back(U32Of(data, 4 * i));
            }
            next = U32Of(data, 4 * (perSector - 1));
        }
        if (tableIds.size() != tableSectors ||
            (extensionSectors > 0 && next != kEndOfChain && next != kFree) ||
            static_cast<uint64_t>(tableSectors) * perSector < m_sectorCount) {
            return false;
        }
        m_table.reserve(m_sectorCount);
        for (uint32_t id : tableIds) {
            if (!Claim(id)) {
                return false;
            }
            const std::vector<BYTE> data = Sector(id);
            for (size_t i = 0; i < perSector && m_table.size() < m_sectorCount; ++i) {
                m_table.push_back(U32Of(data, 4 * i));
            }
        }
        return true;
    }

    // Follows a chain from start to its end, claiming every sector; false when it leaves the
    // file, meets a sector claimed already (a loop or a cross link) or ends on anything but the
    // end mark.
    bool Chain(uint32_t start, std::vector<uint32_t>& sectors) {
        sectors.clear();
        uint32_t current = start;
        while (current != kEndOfChain) {
            if (!Claim(current)) {
                return false;
            }
            sectors.push_back(current);
            current = m_table[current];
        }
        return true;
    }

    std::vector<BYTE> ChainBytes(const std::vector<uint32_t>& sectors) const {
        std::vector<BYTE> data;
        data.reserve(sectors.size() * m_sectorSize);
        for (uint32_t sector : sectors) {
            const std::vector<BYTE> part = Sector(sector);
            data.insert(data.end(), part.begin(), part.end());
        }
        return data;
    }

    bool ReadDirectory() {
        std::vector<uint32_t> sectors;
        if (!Chain(U32(48), sectors) || sectors.empty()) {
            return false;
        }
        m_directory = ChainBytes(sectors);
        m_entryCount = m_directory.size() / kEntrySize;
        return m_directory[66] == kRoot && EntryNameIsSound(0);
    }

    uint64_t EntrySize(size_t entry) const {
        const size_t at = entry * kEntrySize + 120;
        const uint64_t low = U32Of(m_directory, at);
        // Version 3 files keep only 32 bits; the high half may hold anything.
        return m_version == 3 ? low : low | (static_cast<uint64_t>(U32Of(m_directory, at + 4)) << 32);
    }
    uint32_t EntryStart(size_t entry) const { return U32Of(m_directory, entry * kEntrySize + 116); }

    bool EntryNameIsSound(size_t entry) const {
        const size_t at = entry * kEntrySize;
        const uint16_t length = static_cast<uint16_t>(m_directory[at + 64] | (m_directory[at + 65] << 8));
        return length >= 2 && length <= 64 && length % 2 == 0 && m_directory[at + length - 2] == 0 &&
               m_directory[at + length - 1] == 0;
    }

    bool ReadMiniTable() {
        const uint32_t miniTableSectors = U32(64);
        std::vector<uint32_t> sectors;
        // Writers differ in what they put as the start of a missing table: the end mark or "free".
        const uint32_t start = miniTableSectors == 0 && U32(60) == kFree ? kEndOfChain : U32(60);
        if (!Chain(start, sectors) || sectors.size() != miniTableSectors) {
            return false;
        }
        const std::vector<BYTE> data = ChainBytes(sectors);
        for (size_t at = 0; at + 4 <= data.size(); at += 4) {
            m_miniTable.push_back(U32Of(data, at));
        }
        // The root entry's stream holds the small streams.
        const uint64_t miniStreamSize = EntrySize(0);
        if (miniStreamSize > m_bytes.size()) {
            return false;
        }
        std::vector<uint32_t> miniStream;
        if (miniStreamSize == 0) {
            return true;
        }
        if (!Chain(EntryStart(0), miniStream) ||
            static_cast<uint64_t>(miniStream.size()) * m_sectorSize < miniStreamSize) {
            return false;
        }
        m_miniSectorCount = static_cast<uint32_t>(
            std::min<uint64_t>((miniStreamSize + kMiniSectorSize - 1) / kMiniSectorSize, m_miniTable.size()));
        m_miniUsed.assign(m_miniSectorCount, false);
        return true;
    }

    bool MiniChain(uint32_t start, uint64_t size) {
        uint64_t covered = 0;
        uint32_t current = start;
        while (current != kEndOfChain) {
            if (current >= m_miniSectorCount || m_miniUsed[current]) {
                return false;
            }
            m_miniUsed[current] = true;
            covered += kMiniSectorSize;
            current = m_miniTable[current];
        }
        return covered >= size;
    }

    bool StreamIsSound(size_t entry) {
        const uint64_t size = EntrySize(entry);
        if (size == 0) {
            return true;
        }
        if (size > m_bytes.size()) {
            return false;
        }
        if (size < 4096) {
            return MiniChain(EntryStart(entry), size);
        }
        std::vector<uint32_t> sectors;
        return Chain(EntryStart(entry), sectors) &&
               static_cast<uint64_t>(sectors.size()) * m_sectorSize >= size;
    }

    // Every entry reachable from the root once, each a storage or a stream with a sound name and,
    // for a stream, a sound chain.
    bool CheckTree() {
        std::vector<bool> seen(m_entryCount, false);
        seen[0] = true;
        std::vector<uint32_t> pending{U32Of(m_directory, 76)};
        while (!pending.empty()) {
            const uint32_t entry = pending.back();
            pending.pop_back();
            if (entry == kNoEntry) {
                continue;
            }
            if (entry >= m_entryCount || seen[entry]) {
                return false;
            }
            seen[entry] = true;
            const size_t at = static_cast<size_t>(entry) * kEntrySize;
            const BYTE type = m_directory[at + 66];
            if ((type != kStorage && type != kStream) || !EntryNameIsSound(entry)) {
                return false;
            }
            if (type == kStream && !StreamIsSound(entry)) {
                return false;
            }
            pending.push_back(U32Of(m_directory, at + 68));
            pending.push_back(U32Of(m_directory, at + 72));
            if (type == kStorage) {
                pending.push_back(U32Of(m_directory, at + 76));
            }
        }
        return true;
    }

    std::span<const BYTE> m_bytes;
    uint16_t m_version = 0;
    uint16_t m_shift = 0;
    uint32_t m_sectorSize = 0;
    uint32_t m_sectorCount = 0;
    std::vector<bool> m_used;
    std::vector<uint32_t> m_table;
    std::vector<BYTE> m_directory;
    size_t m_entryCount = 0;
    std::vector<uint32_t> m_miniTable;
    uint32_t m_miniSectorCount = 0;
    std::vector<bool> m_miniUsed;
};

} // namespace

bool CheckCompoundFile(std::span<const BYTE> bytes, CLSID& rootClass, std::wstring& reason) {
    return Checker(bytes).Run(rootClass, reason);
}

bool CheckCompoundFileAt(const std::wstring& path, CLSID& rootClass, std::wstring& reason) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size)) {
        reason = L"cannot be read";
        return false;
    }
    if (size.QuadPart == 0) {
        reason = L"is not a compound file";
        return false;
    }
    if (static_cast<uint64_t>(size.QuadPart) > SIZE_MAX) {
        reason = L"cannot be read";
        return false;
    }
    UniqueKernelHandle mapping(::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    UniqueMappedView view(mapping ? ::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
    if (!view) {
        reason = L"cannot be read";
        return false;
    }
    const std::span<const BYTE> bytes(static_cast<const BYTE*>(view.Get()),
                                      static_cast<size_t>(size.QuadPart));
    return CheckCompoundFile(bytes, rootClass, reason);
}

} // namespace quentry
