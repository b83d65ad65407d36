// Owning wrapper for a context of the platform's cabinet decompression library (FDICreate).
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <fdi.h>

namespace quentry {

struct FdiContextTraits {
    using Handle = HFDI;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FDIDestroy(h); }
};

using UniqueFdiContext = UniqueHandle<FdiContextTraits>;

} // namespace quentry
