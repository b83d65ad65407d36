// Reading and writing a configuration file as lines through the runtime's text mode: CR LF line
// ends on disk, 8-bit characters converted by the runtime's locale.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quentry {

// The file's lines without their line ends; none when it does not exist or cannot be read.
std::optional<std::vector<std::wstring>> ReadConfigFileLines(const std::wstring& path);
// Replaces the file with these lines; true when everything was written.
bool WriteConfigFileLines(const std::wstring& path, const std::vector<std::wstring>& lines);

} // namespace quentry
