// The check of the installer properties given on the command line against the server
// properties this executable knows.
#pragma once

#include "common/LanguageTable.h"
#include "launcher/UsageModel.h"

#include <string>
#include <vector>

namespace quentry {

struct PropertyCheckResult {
    bool ok = true;                     // false when a port value was not numeric
    std::wstring errors;                // one line (ending in a line feed) per such value
    std::vector<std::wstring> warnings; // one per property this executable does not know
};

// Classifies every NAME=VALUE of properties, in order: lang, SubPackages and TRANSFORMS are
// accepted; a server property of groups is checked to be numeric where it is a port; any other
// name gets the warning that it is passed on without being supported directly. Nothing is
// removed: every property still reaches the installer.
PropertyCheckResult CheckCommandLineProperties(const std::vector<std::wstring>& properties,
                                               const std::vector<UsagePropertyGroup>& groups,
                                               const LanguageTable& languages);

} // namespace quentry
