// Where a lower layer writes its log lines without knowing the launcher's log: each line is given
// without the launcher's tag and without a line break, at one of the log levels.
#pragma once

#include "common/LogLevel.h"

#include <functional>
#include <string_view>

namespace quentry {

using LogSink = std::function<void(int level, std::wstring_view line)>;

} // namespace quentry
