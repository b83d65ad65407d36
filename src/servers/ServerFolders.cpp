#include "servers/ServerProperties.h"

#include "common/MachineDataFolder.h"

#include <shlobj.h>

namespace quentry {

ServerFolders MachineServerFolders() {
    ServerFolders folders;
    folders.configFolder = MachineDataFolder();
    wchar_t programFiles[MAX_PATH] = {};
    if (SUCCEEDED(
            ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles))) {
        folders.programFilesFolder = programFiles;
    }
    return folders;
}

std::wstring ProgramFilesFolderFor(const std::wstring& programFilesFolder, const std::wstring& productName) {
    constexpr std::wstring_view kX86 = L" (x86)";
    if (productName.find(L"x64") != std::wstring::npos && programFilesFolder.ends_with(kX86)) {
        return programFilesFolder.substr(0, programFilesFolder.size() - kX86.size());
    }
    return programFilesFolder;
}

} // namespace quentry
