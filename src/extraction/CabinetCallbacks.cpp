#include "extraction/CabinetCallbacks.h"

#include "common/WideText.h"
#include "extraction/CabinetFileNames.h"
#include "extraction/CabinetFileTable.h"
#include "extraction/CabinetFileTime.h"
#include "extraction/ICBSCabinetExtractor.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace quentry::CabinetCallbacks {
namespace {

// One extraction at a time is a requirement on the callers, so these are plain values.
const CabinetImage* g_image = nullptr;
ICBSCabinetProgressCallbacks* g_sink = nullptr;
bool g_diskFull = false;
bool g_fileLost = false;

constexpr int kSeekBegin = 0;
constexpr int kSeekCurrent = 1;
constexpr int kSeekEnd = 2;

// Removes an extracted file that did not reach its end, so that no file is left cut short.
void Discard(CabinetFileEntry& entry) {
    entry.file.Reset();
    ::DeleteFileW(entry.extractedPath.c_str());
    g_fileLost = true;
}

INT_PTR OpenDiskFile(const std::wstring& path, int flags, int mode, CabinetFileEntry entry) {
    DWORD access = 0;
    DWORD sharing = 0;
    if (flags & kOpenWriteOnly) {
        access = GENERIC_WRITE;
        sharing = FILE_SHARE_WRITE;
    } else if (flags & kOpenReadWrite) {
        access = GENERIC_READ | GENERIC_WRITE;
        sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    if (mode & kModeRead) {
        access |= GENERIC_READ;
        sharing |= FILE_SHARE_READ;
    }
    if (mode & kModeWrite) {
        access |= GENERIC_WRITE;
        sharing |= FILE_SHARE_WRITE;
    }
    const DWORD disposition = (flags & kOpenCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    entry.kind = CabinetFileEntry::Kind::DiskFile;
    entry.file.Reset(
        ::CreateFileW(path.c_str(), access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!entry.file) {
        return -1;
    }
    const bool extracted = !entry.extractedPath.empty();
    const int number = CabinetFileTable::Process().Add(std::move(entry));
    if (number < 0 && extracted) {
        // All file numbers are in use: the file just created must not stay behind empty.
        ::DeleteFileW(path.c_str());
    }
    return number;
}

INT_PTR CopyFileNotification(const FDINOTIFICATION& info) {
    const auto* extractor = static_cast<const ICBSCabinetExtractor*>(info.pv);
    if (extractor == nullptr) {
        return 0;
    }
    if (g_fileLost) {
        // A file of this cabinet was already lost: stop rather than go on writing.
        return -1;
    }
    const std::wstring name =
        ExtractedFileName(info.psz1 != nullptr ? info.psz1 : "", (info.attribs & _A_NAME_IS_UTF) != 0);
    const std::wstring path = name.empty() ? name : ExtractedFilePath(extractor->DestinationFolder(), name);
    if (path.empty()) {
        return 0;
    }
    CabinetFileEntry entry;
    entry.extractedPath = path;
    entry.expectedSize = static_cast<uint32_t>(info.cb);
    const INT_PTR number = OpenDiskFile(path, kOpenCreate | kOpenWriteOnly, 0, std::move(entry));
    if (number == 0) {
        // The library reads 0 as "skip this file"; the cabinet's own reader normally holds it.
        if (auto taken = CabinetFileTable::Process().Remove(number)) {
            Discard(*taken);
        }
        return -1;
    }
    return number < 0 ? 0 : number;
}

INT_PTR CloseFileNotification(const FDINOTIFICATION& info) {
    std::optional<CabinetFileEntry> entry = CabinetFileTable::Process().Remove(info.hf);
    if (!entry || entry->kind != CabinetFileEntry::Kind::DiskFile) {
        return TRUE;
    }
    if (!entry->extractedPath.empty() && !entry->IsComplete()) {
        Discard(*entry);
        return FALSE;
    }
    // The stored attributes are not applied; the stored time becomes the creation time, and a
    // failure to set it is of no consequence.
    FILETIME created{};
    if (CabinetFileTime(info.date, info.time, created)) {
        ::SetFileTime(entry->file.Get(), &created, nullptr, nullptr);
    }
    return TRUE;
}

} // namespace

void SetCurrentImage(const CabinetImage* image) {
    g_image = image;
}
const CabinetImage* CurrentImage() {
    return g_image;
}
void SetCurrentSink(ICBSCabinetProgressCallbacks* sink) {
    g_sink = sink;
}
ICBSCabinetProgressCallbacks* CurrentSink() {
    return g_sink;
}
bool DiskFull() {
    return g_diskFull;
}
void ClearDiskFull() {
    g_diskFull = false;
}
bool FileLost() {
    return g_fileLost;
}
void ClearFileLost() {
    g_fileLost = false;
}

FNALLOC(Allocate) {
    return std::malloc(cb);
}

FNFREE(Free) {
    std::free(pv);
}

FNOPEN(Open) {
    if (oflag & kOpenCreate) {
        return OpenDiskFile(FromCodePage(pszFile != nullptr ? pszFile : "", CP_ACP), oflag, pmode, {});
    }
    if (g_image == nullptr || !g_image->IsValid()) {
        return -1;
    }
    CabinetFileEntry entry;
    entry.kind = CabinetFileEntry::Kind::ImageReader;
    entry.image = g_image;
    entry.sink = g_sink;
    return CabinetFileTable::Process().Add(std::move(entry));
}

FNREAD(Read) {
    UINT delivered = 0;
    ICBSCabinetProgressCallbacks* sink = nullptr;
    uint32_t position = 0;
    uint32_t length = 0;
    CabinetFileTable::Process().With(hf, [&](CabinetFileEntry& entry) {
        if (entry.kind == CabinetFileEntry::Kind::DiskFile) {
            DWORD read = 0;
            delivered = ::ReadFile(entry.file.Get(), pv, cb, &read, nullptr) ? read : 0;
            return;
        }
        delivered = entry.image->Read(entry.position, pv, cb);
        entry.position += delivered;
        sink = entry.sink;
        position = entry.position;
        length = entry.image->Length();
    });
    // The sink is called outside the table's lock.
    if (sink != nullptr) {
        sink->OnPosition(static_cast<int>(position));
        const double percent = length != 0 ? std::trunc(position * 100.0 / length) : 100.0;
        sink->OnPercent(percent > 100.0 ? 100 : static_cast<int>(percent));
    }
    return delivered;
}

FNWRITE(Write) {
    UINT written = 0;
    CabinetFileTable::Process().With(hf, [&](CabinetFileEntry& entry) {
        if (entry.kind != CabinetFileEntry::Kind::DiskFile || entry.writeFailed) {
            return;
        }
        // A write that stops short (the last free space of a disk) is continued, so that the
        // failure that follows tells why.
        const auto* bytes = static_cast<const BYTE*>(pv);
        DWORD error = ERROR_SUCCESS;
        while (written < cb) {
            DWORD count = 0;
            if (!::WriteFile(entry.file.Get(), bytes + written, cb - written, &count, nullptr)) {
                error = ::GetLastError();
                written += count;
                break;
            }
            if (count == 0) {
                break;
            }
            written += count;
        }
        entry.written += written;
        if (written != cb) {
            entry.writeFailed = true;
            if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
                g_diskFull = true;
            }
        }
    });
    return written;
}

FNCLOSE(Close) {
    std::optional<CabinetFileEntry> entry = CabinetFileTable::Process().Remove(hf);
    if (entry && !entry->extractedPath.empty()) {
        // The library closes an extracted file itself only when it gives the file up.
        Discard(*entry);
    }
    return 0;
}

FNSEEK(Seek) {
    LONG result = -1;
    CabinetFileTable::Process().With(hf, [&](CabinetFileEntry& entry) {
        if (entry.kind == CabinetFileEntry::Kind::DiskFile) {
            result = static_cast<LONG>(::SetFilePointer(entry.file.Get(), dist, nullptr, seektype));
            return;
        }
        switch (seektype) {
        case kSeekBegin:
            entry.position = static_cast<uint32_t>(dist);
            break;
        case kSeekCurrent:
            entry.position += static_cast<uint32_t>(dist);
            break;
        case kSeekEnd:
            entry.position = entry.image->Length() + static_cast<uint32_t>(dist);
            break;
        default:
            break;
        }
        result = static_cast<LONG>(entry.position);
    });
    return result;
}

FNFDINOTIFY(Notify) {
    if (pfdin == nullptr) {
        return 0;
    }
    switch (fdint) {
    case fdintCOPY_FILE:
        return CopyFileNotification(*pfdin);
    case fdintCLOSE_FILE_INFO:
        return CloseFileNotification(*pfdin);
    default:
        return 0;
    }
}

} // namespace quentry::CabinetCallbacks
