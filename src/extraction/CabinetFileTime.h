// The time stamp a cabinet stores for a file: a DOS date and time in local time.
#pragma once

#include <windows.h>

namespace quentry {

// The stored local DOS date and time as a UTC file time; false when they are no valid date.
bool CabinetFileTime(WORD dosDate, WORD dosTime, FILETIME& utc);

} // namespace quentry
