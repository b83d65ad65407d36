// The result codes of a run: the process exit code, and what every layer reports a failure as.
#pragma once

#include <cstdint>

namespace quentry {

enum SetupResultCode : int32_t {
    Success = 0,
    InstallerCorrupted = 1,
    InstallationFailed = 2,
    UserCancelled = 3,
    IncompatibleWindows = 4,
    Direct2DMissing = 5,
    AlreadyRunning = 6,
    NoAdminRights = 7,
    InstalledElsewhere = 8,
    MsiFileNotFound = 9,
    Package64On32 = 10,
    DiskFull = 11,
    EmptyPackageCode = 13,
};

} // namespace quentry
