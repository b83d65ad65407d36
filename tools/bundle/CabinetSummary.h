// The header facts of a cabinet (Microsoft Cabinet format): folders, files, the first folder's
// compression and the first file. Reads only within the bytes it is given.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quentry::bundle {

// Folder compression types: the low four bits name the method, LZX keeps its window size (in
// bits) in bits 8 to 12.
inline constexpr uint16_t kCompressionNone = 0x0000;
inline constexpr uint16_t kCompressionMsZip = 0x0001;
inline constexpr uint16_t kCompressionLzx21 = 0x1503;

struct CabinetSummary {
    uint32_t declaredSize = 0; // cbCabinet of the header
    uint16_t folderCount = 0;
    uint16_t fileCount = 0;
    uint16_t setId = 0;
    uint16_t cabinetIndex = 0;
    uint16_t firstFolderCompression = 0;
    std::string firstFileName; // as stored (narrow)
    uint32_t firstFileSize = 0;
};

// The summary of a cabinet, or none when the bytes are not a complete cabinet header with at least
// one folder and one file entry inside them.
std::optional<CabinetSummary> ReadCabinetSummary(std::span<const BYTE> cabinet);

// "none", "MSZIP", "Quantum", "LZX (window 2^21)" or "type 0x....".
std::wstring CompressionName(uint16_t compression);

} // namespace quentry::bundle
