// The usage text printed for /? and for a command line that is not understood, and the check of
// the installer properties given on the command line.
#pragma once

#include <string>

namespace quentry {

class CSetupApp;

void BuildUsageModel(CSetupApp& app);
// False when a property that must be numeric is not; errorText then holds one line per property.
bool CheckProperties(CSetupApp& app, std::wstring& errorText);
void PrintUsage(CSetupApp& app);

} // namespace quentry
