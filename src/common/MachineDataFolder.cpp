#include "common/MachineDataFolder.h"

#include "common/FileUtilities.h"

#include <shlobj.h>

namespace quentry {

const std::wstring& MachineDataFolder() {
    static std::wstring cached;
    if (!cached.empty()) {
        return cached;
    }
    wchar_t common[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common))) {
        return cached;
    }
    const std::wstring folder = std::wstring(common) + L"\\Zorvat";
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return cached;
    }
    // Every user may write here, so that a later run under another account can reuse or delete
    // the unpack folders. The grant is looked for by the group's identifier, whose name differs
    // from one language of the system to the next. A failure leaves the folder as it is.
    if (!ICBSFileUtilities::HasExplicitAccess(folder, GENERIC_ALL, WinWorldSid)) {
        ICBSFileUtilities::GrantEveryoneFullAccess(folder);
    }
    cached = folder;
    return cached;
}

} // namespace quentry
