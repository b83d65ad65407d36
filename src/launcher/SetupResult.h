// The outcome of a run: a result code (the process exit code), the installer or system error
// behind it, and whether it has been reported.
#pragma once

#include "common/SetupResultCode.h"

#include <cstdint>

namespace quentry {

struct SetupResult {
    int32_t code = Success;
    int32_t installerError = 0;
    bool reported = true;
};

// The fixed English text the log receives for a code ("" for codes without one).
const wchar_t* ResultLogText(int32_t code);

// The string id of the message box shown for a code, 0 when the code shows none.
unsigned ResultMessageId(int32_t code);

// The result code an installer return code becomes (0 stays 0: nothing to record).
int32_t ResultCodeForInstallerError(uint32_t installerError);

} // namespace quentry
