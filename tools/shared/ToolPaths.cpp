#include "shared/ToolPaths.h"

#include <windows.h>

namespace quentry::tools {

namespace {

// Calls fill(buffer, size) until the answer fits: fill returns the length written, or the size
// needed (including the terminator) when the buffer was too small, or 0 on failure.
template <typename Fill> std::wstring SizedByAnswer(Fill fill) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(static_cast<size_t>(length) + 1);
    }
    return {};
}

} // namespace

std::wstring FullPath(const std::wstring& path) {
    if (path.empty()) {
        return path;
    }
    const std::wstring full = SizedByAnswer([&path](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
    return full.empty() ? path : full;
}

std::wstring ExtendedPath(const std::wstring& fullPath) {
    if (fullPath.rfind(L"\\\\?\\", 0) == 0 || fullPath.rfind(L"\\\\.\\", 0) == 0) {
        return fullPath;
    }
    if (fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\') {
        return L"\\\\?\\" + fullPath;
    }
    if (fullPath.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + fullPath.substr(2);
    }
    return fullPath;
}

bool FitsMaxPath(const std::wstring& fullPath) {
    return fullPath.size() < MAX_PATH;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return L".";
    }
    // "C:\setup.exe" lies in "C:\", not in "C:".
    return slash == 2 && path[1] == L':' ? path.substr(0, 3) : path.substr(0, slash);
}

std::wstring ThisProgramPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        // GetModuleFileNameW truncates without saying how much room it needs.
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::wstring TemporaryFolder() {
    return SizedByAnswer([](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); });
}

} // namespace quentry::tools
