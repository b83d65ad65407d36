// Checks of the machine before anything is unpacked.
#pragma once

#include <string>

namespace quentry {

class CSetupApp;

inline constexpr wchar_t kLauncherMutexGlobal[] = L"Global\\_MSISETUP_{2956EBA1-9B5A-4679-8618-357136DA66CA}";
inline constexpr wchar_t kLauncherMutexSession[] = L"_MSISETUP_{2956EBA1-9B5A-4679-8618-357136DA66CA}";

// Reads the running Windows version and architecture into the launcher context.
void QueryRunningWindows(CSetupApp& app);

bool IsTerminalServer(CSetupApp& app);

// Takes the single-instance lock; true when another launcher holds it (or it cannot be made).
// The lock is held until the process ends.
bool IsAnotherLauncherRunning(CSetupApp& app);

} // namespace quentry
