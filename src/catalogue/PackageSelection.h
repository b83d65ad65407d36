// Which packages take part in a run: the selection from what is installed and from the mode, and
// the subPackages= patterns of the command line.
#pragma once

#include <string>
#include <vector>

namespace quentry {

class CSetupApp;
class SetupPackage;

// Computed while the package is built; the main package must be built first.
bool InitialSelection(CSetupApp& app, const SetupPackage& package);

// For a sub-package, when the command line gave patterns: selected exactly when its product name
// contains one of them (exact case); "none" deselects every sub-package.
void ApplySubPackagePatterns(CSetupApp& app, SetupPackage& package, const std::vector<std::wstring>& patterns,
                             bool none);

} // namespace quentry
