#include "shared/ShortPathAccess.h"

#include "shared/ToolPaths.h"

#include <windows.h>

namespace quentry::tools {

bool ShortPathAccess::Open(const std::wstring& fullPath) {
    if (FitsMaxPath(fullPath)) {
        m_path = fullPath;
        return true;
    }
    const std::wstring folder = TemporaryFolder();
    if (folder.empty() || !FitsMaxPath(folder + L"qc00000000-0000.tmp")) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (!m_copy.Create(folder, L"qc") ||
        !::CopyFileW(ExtendedPath(fullPath).c_str(), m_copy.FilePath().c_str(), FALSE)) {
        return false;
    }
    m_path = m_copy.Path();
    return true;
}

} // namespace quentry::tools
