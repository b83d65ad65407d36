// The system checks as steps of the start-up sequence: what they find goes into the launcher
// context.
#pragma once

#include "launcher/SystemChecks.h"

#include <string>

namespace quentry {

class CSetupApp;

// Checks running against the build's OS resource text and records the version names, the
// welcome sentence and the architecture in app; false when the system is too old.
bool ApplyWindowsVersionCheck(CSetupApp& app, const RunningWindows& running, const std::wstring& osResource);

} // namespace quentry
