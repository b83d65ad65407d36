// Builds a bundle from the command line's options: reads and checks every input, makes the
// cabinets and writes the launcher.
#pragma once

#include "BundleOptions.h"

#include <string>
#include <vector>

namespace quentry::bundle {

// The full path of path (relative to the current folder; forward slashes become backslashes).
std::wstring FullPath(const std::wstring& path);

// The launcher beside this program: its folder + "\quentry.exe".
std::wstring DefaultLauncherPath();

// Writes the bundle; on success report holds what was written (lines for the console). False
// with a one-line reason; the output is then left as it was.
bool BuildBundle(const BundleOptions& options, std::vector<std::wstring>& report, std::wstring& error);

} // namespace quentry::bundle
