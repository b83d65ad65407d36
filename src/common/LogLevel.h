// The four levels of the launcher's log, and the tag that begins each of the launcher's own lines.
#pragma once

#include <string_view>

namespace quentry {

enum LogLevel : int {
    LogError = 1,   // banners, refusals, errors
    LogWarning = 2, // warnings, the command line
    LogInfo = 3,    // progress
    LogVerbose = 4,
};

inline constexpr std::wstring_view kLauncherLineTag = L"RNX (c): ";

} // namespace quentry
