// Resources of an executable file opened as data: loading it, and listing what it carries.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quentry::bundle {

// An executable file mapped for its resources only (nothing of it runs); empty when the file
// cannot be opened or is not a Windows executable image. Works for 32-bit and 64-bit images alike.
UniqueModule LoadResourceModule(const std::wstring& path);

// A resource type or name: a text or a number.
struct ResourceName {
    std::wstring text; // empty when it is a number
    WORD id = 0;

    static ResourceName Of(LPCWSTR name);
    LPCWSTR Argument() const { return text.empty() ? MAKEINTRESOURCEW(id) : text.c_str(); }
    std::wstring Display() const { return text.empty() ? L"#" + std::to_wstring(id) : text; }
    bool Matches(LPCWSTR name) const;
};

struct ResourceKey {
    ResourceName type;
    ResourceName name;
    LANGID language = 0;
};

// Every resource of the type with each language it exists in.
std::vector<ResourceKey> ListResources(HMODULE module, LPCWSTR type);
// Every resource of the module.
std::vector<ResourceKey> ListAllResources(HMODULE module);

// The languages a resource exists in, in the order the module lists them.
std::vector<LANGID> ResourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name);

// The bytes of one resource in exactly that language; none when it is missing.
std::optional<std::span<const BYTE>> ResourceData(HMODULE module, const ResourceKey& key);

} // namespace quentry::bundle
