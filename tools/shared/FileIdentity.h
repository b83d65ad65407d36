// Whether two paths name one file, however they are spelled: the volume's serial number and the
// file's index on it, as the file system reports them for an open handle.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quentry::tools {

struct FileIdentity {
    DWORD volumeSerial = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of an existing file or folder (a full path of any length); none when it cannot be
// opened, for example because it does not exist.
std::optional<FileIdentity> IdentityOf(const std::wstring& fullPath);

// True when both paths name one existing file.
bool IsSameFile(const std::wstring& fullPathA, const std::wstring& fullPathB);

} // namespace quentry::tools
