// The launcher's own Add/Remove Programs entry: after a multi-package installation the product's
// uninstall entry runs a copy of the launcher, so that changes and removals go through it again.
#pragma once

#include "common/LogSink.h"

#include <string>

namespace quentry {

class IWindowsInstaller;

enum class UninstallEntryPhase {
    Perform = 0,
    RedoAfterChange = 1,
    PrepareRemove = 2,
    RollBackPrepareRemove = 3
};

// The installer's packed form of a braced GUID (32 characters, no punctuation); empty when the
// text is not a braced GUID of 38 characters.
std::wstring PackGuid(const std::wstring& guid);

// What the update needs to know of the package and the run.
struct UninstallEntryRequest {
    std::wstring productCode;
    std::wstring productName;
    // The package's unpack folder, where the launcher's copy goes; empty when there is none.
    std::wstring folder;
    // The entry is in the 64-bit registry view.
    bool is64BitPackage = false;
    // Windows before 6.1, where the advertised product name is changed as well.
    bool oldWindows = false;
    // " lang=<English name of the wizard language>" for a multilingual launcher, else empty.
    std::wstring languageSuffix;
};

void UpdateUninstallEntry(IWindowsInstaller& installer, const UninstallEntryRequest& request,
                          UninstallEntryPhase phase, const LogSink& log);

} // namespace quentry
