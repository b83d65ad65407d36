// Packages of this installer that are on the machine from a different installer: reported,
// confirmed by the user (unless the run is quiet) and removed before the wizard starts.
#pragma once

namespace quentry {

class CSetupApp;

void HandleInstalledElsewhere(CSetupApp& app);

} // namespace quentry
