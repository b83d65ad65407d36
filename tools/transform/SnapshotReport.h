// A database snapshot as the reading child hands it to the tool: every field in order, read back
// with every length and every kind checked.
#pragma once

#include "DatabaseModel.h"

#include <string>

namespace quentry::transform {

std::string EncodeSnapshot(const DatabaseSnapshot& snapshot);
// False when data is not a complete snapshot (snapshot is then unspecified).
bool DecodeSnapshot(const std::string& data, DatabaseSnapshot& snapshot);

} // namespace quentry::transform
