#include "CabinetWriter.h"

#include "CabinetSummary.h"
#include "FciContext.h"
#include "MemoryFileStore.h"
#include "common/WideText.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>

namespace quentry::bundle {

namespace {

constexpr char kCabinetName[] = "package.cab";
constexpr char kSourceName[] = "source";
// The largest file the writer takes: the cabinet must stay addressable with 32-bit offsets and
// fit a resource.
constexpr size_t kMaxContent = 0x7FFF0000;

struct Session {
    MemoryFileStore store;
    USHORT date = 0;
    USHORT time = 0;
    bool askedForNextCabinet = false;
};

Session& Of(void* pv) {
    return *static_cast<Session*>(pv);
}

void* DIAMONDAPI Allocate(ULONG size) {
    return std::malloc(size);
}
void DIAMONDAPI Free(void* memory) {
    std::free(memory);
}

INT_PTR DIAMONDAPI Open(char* name, int flags, int, int* err, void* pv) {
    const INT_PTR handle = Of(pv).store.Open(name, flags);
    *err = handle == -1 ? ERROR_FILE_NOT_FOUND : 0;
    return handle;
}

UINT DIAMONDAPI Read(INT_PTR handle, void* buffer, UINT count, int* err, void* pv) {
    *err = 0;
    return Of(pv).store.Read(handle, buffer, count);
}

UINT DIAMONDAPI Write(INT_PTR handle, void* buffer, UINT count, int* err, void* pv) {
    const UINT written = Of(pv).store.Write(handle, buffer, count);
    *err = written == count ? 0 : ERROR_WRITE_FAULT;
    return written;
}

int DIAMONDAPI Close(INT_PTR handle, int* err, void* pv) {
    const bool closed = Of(pv).store.Close(handle);
    *err = closed ? 0 : ERROR_INVALID_HANDLE;
    return closed ? 0 : -1;
}

LONG DIAMONDAPI Seek(INT_PTR handle, LONG distance, int origin, int* err, void* pv) {
    const long position = Of(pv).store.Seek(handle, distance, origin);
    *err = position == -1 ? ERROR_SEEK : 0;
    return position;
}

int DIAMONDAPI Delete(char* name, int* err, void* pv) {
    const bool deleted = Of(pv).store.Delete(name);
    *err = deleted ? 0 : ERROR_FILE_NOT_FOUND;
    return deleted ? 0 : -1;
}

BOOL DIAMONDAPI TemporaryName(char* name, int size, void* pv) {
    const std::string temporary = Of(pv).store.NewTemporaryName();
    if (size <= 0 || temporary.size() >= static_cast<size_t>(size)) {
        return FALSE;
    }
    std::memcpy(name, temporary.c_str(), temporary.size() + 1);
    return TRUE;
}

int DIAMONDAPI FilePlaced(PCCAB, char*, LONG, BOOL, void*) {
    return 0;
}

// One cabinet only: a request for the next one means the content did not fit.
BOOL DIAMONDAPI NextCabinet(PCCAB, ULONG, void* pv) {
    Of(pv).askedForNextCabinet = true;
    return FALSE;
}

LONG DIAMONDAPI Status(UINT type, ULONG, ULONG cb2, void*) {
    // For a finished cabinet the library asks for the size it should have: keep it as it is.
    return type == statusCabinet ? static_cast<LONG>(cb2) : 0;
}

INT_PTR DIAMONDAPI OpenInfo(char* name, USHORT* date, USHORT* time, USHORT* attributes, int* err, void* pv) {
    Session& session = Of(pv);
    *date = session.date;
    *time = session.time;
    *attributes = _A_ARCH;
    const INT_PTR handle = session.store.Open(name, _O_RDONLY | _O_BINARY);
    *err = handle == -1 ? ERROR_FILE_NOT_FOUND : 0;
    return handle;
}

std::wstring LibraryError(const wchar_t* step, const ERF& error) {
    return Format(L"the cabinet library failed to %s (error %d, type %d)", step, error.erfOper,
                  error.erfType);
}

} // namespace

std::string CabinetFileNameFor(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    const std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    std::string name;
    for (wchar_t c : file) {
        const bool plain = c >= 0x20 && c < 0x7F && std::wcschr(L"\\/:*?\"<>|", c) == nullptr;
        name.push_back(plain ? static_cast<char>(c) : '_');
    }
    const size_t dot = name.rfind('.');
    const bool msi = dot != std::string::npos && name.size() - dot == 4 &&
                     EqualsNoCase(FromUtf8(name.substr(dot)), L".msi");
    if (!msi) {
        name += ".msi";
    }
    return name;
}

bool WriteCabinet(std::span<const BYTE> content, const std::string& name, FILETIME lastWrite,
                  uint16_t compression, std::vector<BYTE>& cabinet, std::wstring& error) {
    if (content.size() > kMaxContent) {
        error = L"the package is too large for a cabinet (2 GB at most)";
        return false;
    }
    if (name.empty() || name.size() >= CB_MAX_FILENAME) {
        error = L"the file name in the cabinet is empty or too long";
        return false;
    }
    Session session;
    session.store.Put(kSourceName, std::vector<BYTE>(content.begin(), content.end()));
    FILETIME local{};
    if (!::FileTimeToLocalFileTime(&lastWrite, &local) ||
        !::FileTimeToDosDateTime(&local, &session.date, &session.time)) {
        session.date = 0x21; // 1980-01-01
        session.time = 0;
    }

    CCAB ccab{};
    ccab.cb = std::numeric_limits<LONG>::max();
    ccab.cbFolderThresh = std::numeric_limits<LONG>::max();
    ccab.iCab = 0;
    ccab.iDisk = 0;
    ccab.setID = 1;
    std::strcpy(ccab.szCab, kCabinetName);
    ERF erf{};
    UniqueFciContext context(::FCICreate(&erf, FilePlaced, Allocate, Free, Open, Read, Write, Close, Seek,
                                         Delete, TemporaryName, &ccab, &session));
    if (!context) {
        error = LibraryError(L"start", erf);
        return false;
    }
    std::string source = kSourceName;
    std::string stored = name;
    if (!::FCIAddFile(context.Get(), source.data(), stored.data(), FALSE, NextCabinet, Status, OpenInfo,
                      compression)) {
        error = LibraryError(L"add the package", erf);
        return false;
    }
    if (!::FCIFlushCabinet(context.Get(), FALSE, NextCabinet, Status)) {
        error = LibraryError(L"write the cabinet", erf);
        return false;
    }
    context.Reset();
    const std::vector<BYTE>* written = session.store.Find(kCabinetName);
    if (session.askedForNextCabinet || written == nullptr) {
        error = L"the cabinet library did not write one cabinet";
        return false;
    }
    const auto summary = ReadCabinetSummary(*written);
    if (!summary || summary->folderCount != 1 || summary->fileCount != 1 ||
        summary->declaredSize != written->size() || summary->firstFileSize != content.size()) {
        error = L"the cabinet library wrote a cabinet that is not one folder with the one file";
        return false;
    }
    cabinet = *written;
    return true;
}

bool MakePackageCabinet(std::span<const BYTE> content, const std::string& name, FILETIME lastWrite,
                        CabinetCompression requested, PackageCabinet& result, std::wstring& error) {
    const uint16_t asked = requested == CabinetCompression::Lzx     ? kCompressionLzx21
                           : requested == CabinetCompression::MsZip ? kCompressionMsZip
                                                                    : kCompressionNone;
    if (!WriteCabinet(content, name, lastWrite, asked, result.cabinet, error)) {
        return false;
    }
    result.compression = ReadCabinetSummary(result.cabinet)->firstFolderCompression;
    result.lzxUnavailable = false;
    if (asked == kCompressionLzx21 && result.compression != kCompressionLzx21) {
        // The library took the request and wrote another folder type (a stored one, for example):
        // MSZIP is the compression it does have.
        result.lzxUnavailable = true;
        if (!WriteCabinet(content, name, lastWrite, kCompressionMsZip, result.cabinet, error)) {
            return false;
        }
        result.compression = ReadCabinetSummary(result.cabinet)->firstFolderCompression;
    }
    const uint16_t expected = result.lzxUnavailable ? kCompressionMsZip : asked;
    if (result.compression != expected) {
        error = L"the cabinet library wrote compression " + CompressionName(result.compression) +
                L" instead of " + CompressionName(expected);
        return false;
    }
    return true;
}

std::vector<BYTE> CabinetImageOf(std::span<const BYTE> cabinet) {
    std::vector<BYTE> image(4 + cabinet.size());
    const uint32_t length = static_cast<uint32_t>(cabinet.size());
    for (int i = 0; i < 4; ++i) {
        image[i] = static_cast<BYTE>(length >> (8 * i));
    }
    std::memcpy(image.data() + 4, cabinet.data(), cabinet.size());
    return image;
}

} // namespace quentry::bundle
