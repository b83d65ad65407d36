// Writes the resources of a bundle into a copy of the launcher and puts the copy in place only
// when it is complete and reads back right: until then the output is left as it was.
#pragma once

#include "BundleContent.h"

#include <string>
#include <vector>

namespace quentry::bundle {

// Copies launcher to a temporary file beside output, removes every type-40 resource the copy
// carried, writes resources, checks the result (every resource reads back byte for byte in its
// language, no other type-40 resource is left, the launcher's own validation passes), and moves
// it to output. False with a one-line reason; the temporary file is gone either way.
bool WriteBundleFile(const std::wstring& launcher, const std::wstring& output,
                     const std::vector<BundleResource>& resources, std::wstring& error);

} // namespace quentry::bundle
