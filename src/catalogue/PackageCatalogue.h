// The package catalogue of a run, built from the launcher's resources.
#pragma once

#include "common/Status.h"

namespace quentry {

class CSetupApp;

// Reads the package count and builds one package per index (or the one legacy package) and applies
// the subPackages= patterns. Missing strings leave empty values; the first failure (a missing or
// damaged string, an impossible count, an empty package code or one that is not a GUID) is
// returned, the later ones are logged.
Status BuildCatalogue(CSetupApp& app);

} // namespace quentry
