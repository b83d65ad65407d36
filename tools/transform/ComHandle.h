// Owning wrapper for a COM interface pointer (structured storage and its streams).
#pragma once

#include "common/UniqueHandle.h"

#include <objbase.h>

namespace quentry::transform {

template <typename Interface> struct ComTraits {
    using Handle = Interface*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { h->Release(); }
};

template <typename Interface> using ComHandle = UniqueHandle<ComTraits<Interface>>;

} // namespace quentry::transform
