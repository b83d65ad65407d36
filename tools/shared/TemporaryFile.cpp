#include "shared/TemporaryFile.h"

#include "common/UniqueHandle.h"
#include "shared/ToolPaths.h"

#include <windows.h>

namespace quentry::tools {

TemporaryFile::~TemporaryFile() {
    Remove();
}

bool TemporaryFile::Create(const std::wstring& folder, const std::wstring& prefix,
                           const std::wstring& suffix) {
    Remove();
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/') {
        base += L'\\';
    }
    base += prefix + std::to_wstring(::GetCurrentProcessId()) + L"-";
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::wstring path = base + std::to_wstring(++counter) + suffix;
        UniqueFileHandle file(::CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            m_path = path;
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
}

void TemporaryFile::Adopt(const std::wstring& path) {
    Remove();
    m_path = path;
}

std::wstring TemporaryFile::FilePath() const {
    return ExtendedPath(m_path);
}

bool TemporaryFile::MoveTo(const std::wstring& target) {
    if (!::MoveFileExW(FilePath().c_str(), ExtendedPath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    m_path.clear();
    return true;
}

void TemporaryFile::Remove() {
    if (!m_path.empty()) {
        const DWORD saved = ::GetLastError();
        ::DeleteFileW(FilePath().c_str());
        ::SetLastError(saved);
        m_path.clear();
    }
}

} // namespace quentry::tools
