// Owning wrapper for a context of the platform's cabinet compression library (FCICreate).
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <fci.h>

namespace quentry::bundle {

struct FciContextTraits {
    using Handle = HFCI;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FCIDestroy(h); }
};

using UniqueFciContext = UniqueHandle<FciContextTraits>;

} // namespace quentry::bundle
