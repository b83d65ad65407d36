// The file and folder half of ICBSFileUtilities.
#include "common/FileUtilities.h"

#include "common/FilePath.h"
#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include <vector>

namespace quentry::ICBSFileUtilities {
namespace {

bool StartsWith(const std::wstring& text, std::wstring_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The "\\?\" form of a path, which the platform takes beyond MAX_PATH. The prefix switches off the
// platform's own clean-up of the text, so the path is made full first ("/" becomes "\", ".." is
// resolved), and a server path takes the "\\?\UNC\" form.
std::wstring LongPathForm(const std::wstring& path) {
    if (StartsWith(path, L"\\\\?\\")) {
        return path;
    }
    std::wstring full = path;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed > 0) {
        std::vector<wchar_t> buffer(needed + 1);
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length > 0 && length < buffer.size()) {
            full.assign(buffer.data(), length);
        }
    }
    if (StartsWith(full, L"\\\\.\\")) {
        return full; // a device path
    }
    if (StartsWith(full, L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

// Creates one folder. A folder that is already there counts as created; a file of that name does
// not.
bool CreateOneFolder(const std::wstring& path, DWORD& error) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) {
        error = ERROR_SUCCESS;
        return true;
    }
    error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS && FolderExists(path);
}

bool ClearReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) {
        return true;
    }
    DWORD cleared = attributes & ~FILE_ATTRIBUTE_READONLY;
    return ::SetFileAttributesW(path.c_str(), cleared != 0 ? cleared : FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool DeleteOneFile(const std::wstring& path) {
    ClearReadOnly(path);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (::DeleteFileW(path.c_str())) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return true;
        }
        if (error != ERROR_SHARING_VIOLATION || attempt == 1) {
            return false;
        }
        ::Sleep(kSharingViolationRetryMs);
    }
    return false;
}

struct FolderEntry {
    std::wstring name;
    DWORD attributes = 0;
};

// The entries of a folder except "." and ".."; false when the folder cannot be listed.
bool ListEntries(const std::wstring& path, std::vector<FolderEntry>& entries) {
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(::FindFirstFileW((path + L"\\*.*").c_str(), &data));
    if (!find) {
        return false;
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..") {
            entries.push_back({std::wstring(name), data.dwFileAttributes});
        }
    } while (::FindNextFileW(find.Get(), &data));
    return true;
}

bool IsFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
// A junction or folder link: it points somewhere else, so the walk does not go through it.
bool IsLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

} // namespace

bool FileExists(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(::FindFirstFileW(path.c_str(), &data));
    return find.IsValid();
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && IsFolder(attributes);
}

bool EnsureParentFolder(const std::wstring& path) {
    const std::wstring parent = FilePath(path).Folder().ToString(false);
    if (parent.empty() || parent == path) {
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    if (CreateOneFolder(parent, error)) {
        return true;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        return false; // a file stands where the folder should be
    }
    // The parent's own parent is missing: create the chain from the top. Every step is shorter,
    // so the recursion ends.
    if (parent.size() < path.size() && EnsureParentFolder(parent)) {
        return CreateFolder(parent);
    }
    return false;
}

bool CreateFolder(const std::wstring& path) {
    DWORD error = ERROR_SUCCESS;
    return CreateOneFolder(path, error);
}

bool CopyFileTo(const std::wstring& source, const std::wstring& target, bool failIfExists) {
    EnsureParentFolder(target);
    const bool longPaths = source.size() >= kLongPathLength || target.size() >= kLongPathLength;
    const std::wstring from = longPaths ? LongPathForm(source) : source;
    const std::wstring to = longPaths ? LongPathForm(target) : target;
    ClearReadOnly(to);
    return ::CopyFileW(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

uint32_t FileSizeOf(const std::wstring& path) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size)) {
        return 0;
    }
    return static_cast<uint32_t>(size.QuadPart & 0xFFFFFFFFu);
}

std::wstring FileVersionOf(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        return {};
    }
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", &value, &length) || value == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    return Format(L"%i.%i.%i.%i", static_cast<int>(HIWORD(info->dwFileVersionMS)),
                  static_cast<int>(LOWORD(info->dwFileVersionMS)),
                  static_cast<int>(HIWORD(info->dwFileVersionLS)),
                  static_cast<int>(LOWORD(info->dwFileVersionLS)));
}

unsigned CountFolders(const std::wstring& path) {
    std::vector<FolderEntry> entries;
    unsigned count = 1;
    if (path.empty() || !ListEntries(path, entries)) {
        return count;
    }
    for (const FolderEntry& entry : entries) {
        if (!IsFolder(entry.attributes)) {
            continue;
        }
        count += IsLink(entry.attributes) ? 1 : CountFolders(path + L"\\" + entry.name);
    }
    return count;
}

bool DeleteFolderTree(const std::wstring& path) {
    if (path.empty()) {
        return false; // "\*.*" would be the root of the current drive
    }
    // The listing is read completely before anything is deleted, so that deleting cannot disturb
    // the enumeration, and the search handle is closed before the folder itself is removed.
    std::vector<FolderEntry> entries;
    ListEntries(path, entries);
    for (const FolderEntry& entry : entries) {
        const std::wstring child = path + L"\\" + entry.name;
        bool deleted = false;
        if (IsFolder(entry.attributes)) {
            // A folder link is removed itself; what it points to is not this tree's.
            deleted = IsLink(entry.attributes) ? ::RemoveDirectoryW(child.c_str()) != FALSE
                                               : DeleteFolderTree(child);
        } else {
            deleted = DeleteOneFile(child);
        }
        if (!deleted) {
            return false;
        }
    }
    return ::RemoveDirectoryW(path.c_str()) != FALSE;
}

std::wstring CurrentFolderText() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
    return {};
}

} // namespace quentry::ICBSFileUtilities
