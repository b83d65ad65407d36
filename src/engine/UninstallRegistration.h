// The launcher's own Add/Remove Programs entry: after a multi-package installation the product's
// uninstall entry runs a copy of the launcher, so that changes and removals go through it again.
#pragma once

#include <string>

namespace quentry {

class CSetupApp;
class SetupPackage;

enum class UninstallEntryPhase {
    Perform = 0,
    RedoAfterChange = 1,
    PrepareRemove = 2,
    RollBackPrepareRemove = 3
};

// The installer's packed form of a braced GUID (32 characters, no punctuation); empty when the
// text is not a braced GUID of 38 characters.
std::wstring PackGuid(const std::wstring& guid);

void UpdateUninstallEntry(CSetupApp& app, const SetupPackage& package, UninstallEntryPhase phase);

} // namespace quentry
