// Where a file stored in a cabinet is written: always directly inside the destination folder,
// under the last component of its stored name, and never under a name that would reach another
// place (a parent folder, another drive, a stream of another file or a device).
#pragma once

#include <string>
#include <string_view>

namespace quentry {

// The last component of a stored name (the text after its last "\" or "/"), decoded from UTF-8
// when the cabinet marks the name so and from the ANSI code page otherwise. Empty when the file
// must be skipped: an empty component, "." or "..", only dots and spaces, a ":" or another
// character no file name may hold, a device name (CON, NUL, COM1 ...), or text that cannot be
// decoded.
std::wstring ExtractedFileName(std::string_view storedName, bool storedAsUtf8);

// folder + "\" + name, or empty when that path would be longer than the 259 characters a path
// may have (the file is then skipped rather than written under a shortened name).
std::wstring ExtractedFilePath(const std::wstring& folder, const std::wstring& name);

} // namespace quentry
