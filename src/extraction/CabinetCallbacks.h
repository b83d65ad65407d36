// The callbacks the cabinet engine gives the platform's decompression library (memory, file and
// notification callbacks, in the conventions of the POSIX file functions: a file number from
// open, -1 for failure, 32-bit offsets), and the process-wide state they work on. The library
// passes no context to its file callbacks, so only one extraction may run at a time.
#pragma once

#include "extraction/CabinetImage.h"
#include "extraction/ICBSCabinetProgressCallbacks.h"

#include <windows.h>

#include <fdi.h>

namespace quentry::CabinetCallbacks {

// Open flags and permission modes of the library's open callback.
constexpr int kOpenWriteOnly = 0x0001;
constexpr int kOpenReadWrite = 0x0002;
constexpr int kOpenCreate = 0x0100;
constexpr int kModeRead = 0x0100;
constexpr int kModeWrite = 0x0080;

// The image that opens of the cabinet read from; none when null.
void SetCurrentImage(const CabinetImage* image);
const CabinetImage* CurrentImage();
// The sink that image readers opened from now on report to; none when null.
void SetCurrentSink(ICBSCabinetProgressCallbacks* sink);
ICBSCabinetProgressCallbacks* CurrentSink();
// Set when a write of an extracted file failed because the disk is full.
bool DiskFull();
void ClearDiskFull();
// Set when an extracted file could not be written whole (a failed write, or the library gave
// it up before its end); such a file is removed, and no further file is extracted.
bool FileLost();
void ClearFileLost();

FNALLOC(Allocate);
FNFREE(Free);
// Without the create flag: a reader over the current image (the name is not looked at), or -1
// when there is no sound image. The cabinet is never looked for on disk. With the create flag:
// the named file on disk, created or replaced.
FNOPEN(Open);
FNREAD(Read);
FNWRITE(Write);
FNCLOSE(Close);
FNSEEK(Seek);
// The user context is the ICBSCabinetExtractor whose destination receives the files.
FNFDINOTIFY(Notify);

} // namespace quentry::CabinetCallbacks
