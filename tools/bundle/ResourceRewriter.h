// Rewrites the whole resource section of an executable: the resources of a source file that are
// kept, and new ones. Removing a resource by an update works on one platform and is silently
// ignored on another; writing the complete set behaves the same everywhere.
#pragma once

#include "BundleContent.h"
#include "ModuleResources.h"

#include <functional>
#include <string>
#include <vector>

namespace quentry::bundle {

// target (an executable, normally a copy of source) gets exactly: every resource of source that
// keep accepts, then additions (which replace a kept one of the same type, name and language).
// False with a one-line reason; target is then in no defined state.
bool RewriteResources(const std::wstring& source, const std::wstring& target,
                      const std::function<bool(const ResourceKey&)>& keep,
                      const std::vector<BundleResource>& additions, std::wstring& error);

} // namespace quentry::bundle
