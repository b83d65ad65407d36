// An output that is one of the inputs would be destroyed by the build that reads it: such a
// command line is refused before anything is read.
#pragma once

#include "BundleOptions.h"

#include <string>

namespace quentry::bundle {

// False with a one-line reason when the output (-o) is the same file as a package (-p), one of
// its transforms (-t), the launcher (-l, or quentry.exe beside this program) or the bitmap,
// compared by the file's identity on its volume, not by the spelling of the paths.
bool OutputIsNoInput(const BundleOptions& options, std::wstring& error);

} // namespace quentry::bundle
