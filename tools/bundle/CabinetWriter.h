// Puts one file into a cabinet of its own (one folder, one file, set 1, index 0) with the
// platform's cabinet compression library, entirely in memory.
#pragma once

#include "BundleOptions.h"

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quentry::bundle {

// The cabinet of content stored under name, compressed with the folder compression type asked
// for (kCompressionNone, kCompressionMsZip, kCompressionLzx21). What the library really wrote is
// in the cabinet's folder entry; it may differ from the request. False with a reason on failure.
bool WriteCabinet(std::span<const BYTE> content, const std::string& name, FILETIME lastWrite,
                  uint16_t compression, std::vector<BYTE>& cabinet, std::wstring& error);

struct PackageCabinet {
    std::vector<BYTE> cabinet;
    uint16_t compression = 0;    // the type of the folder as written
    bool lzxUnavailable = false; // LZX was asked for, the library wrote something else: MSZIP used
};

// The cabinet of a package: LZX with a 2^21-byte window when asked and the library really
// compresses with it, otherwise MSZIP; MSZIP or stored when asked for those.
bool MakePackageCabinet(std::span<const BYTE> content, const std::string& name, FILETIME lastWrite,
                        CabinetCompression requested, PackageCabinet& result, std::wstring& error);

// The resource form: a 32-bit little-endian length followed by the cabinet.
std::vector<BYTE> CabinetImageOf(std::span<const BYTE> cabinet);

// The name a file is stored under in a cabinet: its file name with every character outside
// printable ASCII (and every path or wildcard character) replaced by '_', ending in ".msi".
std::string CabinetFileNameFor(const std::wstring& path);

} // namespace quentry::bundle
