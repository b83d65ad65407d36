#include "launcher/SetupResult.h"
#include "common/StringIds.h"

namespace quentry {

namespace {

struct ResultRow {
    int32_t code;
    const wchar_t* logText;
    unsigned messageId;
};

constexpr ResultRow kResults[] = {
    {InstallerCorrupted, L"Installer is corrupted.", strings::kCorrupted},
    {InstallationFailed, L"Installation failed.", 0},
    {UserCancelled, L"User cancelled installation.", 0},
    {IncompatibleWindows, L"Incompatible Windows Version", strings::kPlatformNotSupported},
    {Direct2DMissing, L"Direct 2D not found", strings::kDirect2DMissing},
    {AlreadyRunning, L"Another installer was already running.", strings::kAnotherSetupRunning},
    {NoAdminRights, L"Installation requires admin rights.", strings::kNoRights},
    {InstalledElsewhere, L"", strings::kOtherVersionInstalled},
    {MsiFileNotFound, L"Could not find MSI-file", strings::kNoMsiForRemoval},
    {Package64On32, L"Installing a 64-bit product on a 32-bit system", strings::kPackage64On32},
    {DiskFull, L"Your disk is full.", strings::kDiskFull},
    {EmptyPackageCode, L"", strings::kEmptyPackageCode},
    {1625, L"", strings::kForbiddenByPolicy},
    {1633, L"", strings::kPackageNotForPlatform},
};

const ResultRow* FindRow(int32_t code) {
    for (const ResultRow& row : kResults) {
        if (row.code == code) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

const wchar_t* ResultLogText(int32_t code) {
    const ResultRow* row = FindRow(code);
    return row ? row->logText : L"";
}

unsigned ResultMessageId(int32_t code) {
    const ResultRow* row = FindRow(code);
    return row ? row->messageId : 0;
}

int32_t ResultCodeForInstallerError(uint32_t installerError) {
    switch (installerError) {
    case 0:
        return Success;
    case 1602:
        return UserCancelled;
    case 1620:
        return InstallerCorrupted;
    case 1633:
        return Package64On32;
    case 1638:
        return InstalledElsewhere;
    default:
        return InstallationFailed;
    }
}

} // namespace quentry
