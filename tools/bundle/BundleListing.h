// The catalogue of an existing bundle as text: layout, settings, and per package its name,
// codes, cabinet and transforms, read the way the launcher reads them.
#pragma once

#include <string>
#include <vector>

namespace quentry::bundle {

// Lines describing the bundle at path. complete is set when the resource validation (/v) passes
// and every package's cabinet is sound. False with a reason when the file cannot be opened as a
// Windows program.
bool ListBundle(const std::wstring& path, std::vector<std::wstring>& lines, bool& complete,
                std::wstring& error);

} // namespace quentry::bundle
