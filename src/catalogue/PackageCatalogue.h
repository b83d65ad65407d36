// The package catalogue of a run, built from the launcher's resources.
#pragma once

namespace quentry {

class CSetupApp;

// Reads the package count and builds one package per index (or the one legacy package), applies
// the subPackages= patterns, and records an empty package code as a corrupt build.
void BuildCatalogue(CSetupApp& app);

} // namespace quentry
