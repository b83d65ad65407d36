// Writes a transform file: an OLE compound file of the installer's transform class holding the
// string pool, one stream per changed table (row by row: a mask of the columns present, then the
// values), a stream per binary value, and the summary information.
#pragma once

#include "TransformContent.h"

#include <string>

namespace quentry::transform {

// Writes content to path. The file is made under a temporary name beside path and moved into place
// only when complete: on failure (the reason in error) path is left as it was.
bool WriteTransform(const TransformContent& content, const std::wstring& path, std::wstring& error);

} // namespace quentry::transform
