#include "shared/FileIdentity.h"

#include "common/UniqueHandle.h"
#include "shared/ToolPaths.h"

namespace quentry::tools {

std::optional<FileIdentity> IdentityOf(const std::wstring& fullPath) {
    // No access beyond the attributes, and every sharing mode: a file another program holds open
    // still answers.
    UniqueFileHandle file(::CreateFileW(ExtendedPath(fullPath).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file.Get(), &information)) {
        return std::nullopt;
    }
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                        information.nFileIndexLow};
}

bool IsSameFile(const std::wstring& fullPathA, const std::wstring& fullPathB) {
    const auto a = IdentityOf(fullPathA);
    return a && a == IdentityOf(fullPathB);
}

} // namespace quentry::tools
