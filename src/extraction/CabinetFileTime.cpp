#include "extraction/CabinetFileTime.h"

namespace quentry {

bool CabinetFileTime(WORD dosDate, WORD dosTime, FILETIME& utc) {
    FILETIME local{};
    return ::DosDateTimeToFileTime(dosDate, dosTime, &local) && ::LocalFileTimeToFileTime(&local, &utc);
}

} // namespace quentry
