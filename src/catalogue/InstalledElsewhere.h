// Packages of this installer that are on the machine from a different installer: reported,
// confirmed by the user (unless the run is quiet) and removed before the wizard starts.
#pragma once

#include "common/Status.h"

#include <functional>
#include <optional>

namespace quentry {

class CSetupApp;

// Asks the user, with more than one package, whether the packages installed elsewhere are to be
// removed (the Install Alert): none when the user declines, else whether the sub-packages go too.
using InstallAlertQuestion = std::function<std::optional<bool>(CSetupApp&)>;

// The question is asked only in a run that is not quiet; without a question nothing is removed
// (as when the user declines). A declined question fails the run with code 8, already answered.
Status HandleInstalledElsewhere(CSetupApp& app, const InstallAlertQuestion& askInstallAlert);

} // namespace quentry
