// The launcher's machine-wide folder: common application data + "\Zorvat", where the packages are
// unpacked and the servers keep their configuration.
#pragma once

#include <string>

namespace quentry {

// Created when missing and opened to every user, determined once and cached for the process.
// Empty when it cannot be determined or created.
const std::wstring& MachineDataFolder();

} // namespace quentry
