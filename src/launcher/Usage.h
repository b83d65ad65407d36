// The usage and property-check steps of the start-up sequence, on the launcher context: the
// usage model, the check of the command-line properties, and the usage text on the console.
#pragma once

#include <string>

namespace quentry {

class CSetupApp;

// Fills the context's usage commands and server property groups (the groups follow from the
// main product's name in the resources).
void BuildUsageModel(CSetupApp& app);
// Writes a warning line to the console for every property this executable does not know.
// False when a port property is not numeric; errorText then holds one line per such property.
bool CheckProperties(CSetupApp& app, std::wstring& errorText);
// Prints the usage text to the console (or the redirected standard output).
void PrintUsage(CSetupApp& app);

} // namespace quentry
