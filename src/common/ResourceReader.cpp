#include "common/ResourceReader.h"

#include "common/WideText.h"

#include <cstdint>

namespace quentry {

namespace {

// The longest product name, code or version a build writes is far below this.
constexpr size_t kShortTextLimit = 4096;
constexpr size_t kLongTextLimit = 256 * 1024;
// Nothing in a 32-bit image can be larger.
constexpr size_t kBinaryLimit = 0x7FFFFFFF;

// No module names the running executable, as for the platform's resource functions.
HMODULE OrSelf(HMODULE module) {
    return module != nullptr ? module : ::GetModuleHandleW(nullptr);
}

const BYTE* ImageBase(HMODULE module) {
    // A module loaded as data or as an image resource is named by its base with a low bit set.
    return reinterpret_cast<const BYTE*>(reinterpret_cast<uintptr_t>(module) & ~uintptr_t{3});
}

uint32_t Read32(const BYTE* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t Read16(const BYTE* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

// One directory of the resource section and everything below it; depth 0 types, 1 names,
// 2 languages. budget bounds the entries visited in all.
bool DirectoryIsSound(const BYTE* section, uint32_t size, uint32_t offset, int depth, uint32_t& budget) {
    if (offset > size || size - offset < 16) {
        return false;
    }
    const BYTE* directory = section + offset;
    const uint32_t count = uint32_t{Read16(directory + 12)} + Read16(directory + 14);
    if ((size - offset - 16) / 8 < count || count > budget) {
        return false;
    }
    budget -= count;
    for (uint32_t i = 0; i < count; ++i) {
        const BYTE* entry = directory + 16 + 8 * i;
        const uint32_t name = Read32(entry);
        const uint32_t data = Read32(entry + 4);
        if ((name & 0x80000000u) != 0) {
            const uint32_t at = name & 0x7FFFFFFF;
            if (at > size || size - at < 2 || (size - at - 2) / 2 < Read16(section + at)) {
                return false;
            }
        }
        const bool subdirectory = (data & 0x80000000u) != 0;
        if (depth < 2) {
            if (!subdirectory || !DirectoryIsSound(section, size, data & 0x7FFFFFFF, depth + 1, budget)) {
                return false;
            }
        } else if (subdirectory || data > size || size - data < 16) {
            return false;
        }
    }
    return true;
}

} // namespace

bool ResourceDirectoryIsSound(HMODULE module) {
    module = OrSelf(module);
    const auto handle = reinterpret_cast<uintptr_t>(module);
    if ((handle & 3) == 1) {
        return true;
    }
    const BYTE* base = ImageBase(module);
    if (!LiesInModuleImage(module, base, 64) || base[0] != 'M' || base[1] != 'Z') {
        return false;
    }
    const uint32_t nt = Read32(base + 0x3C);
    // Signature, file header, and the optional header up to the resource directory's entry.
    constexpr uint32_t kHeaders = 4 + 20 + 112 + 3 * 8;
    if (nt > 0x10000000 || !LiesInModuleImage(module, base + nt, kHeaders) ||
        Read32(base + nt) != 0x00004550) {
        return false;
    }
    const BYTE* optional = base + nt + 24;
    const bool wide = Read16(optional) == 0x20B;
    const uint32_t directoryCount = Read32(optional + (wide ? 108 : 92));
    if (directoryCount < 3) {
        return true; // no resource directory at all
    }
    const BYTE* entry = optional + (wide ? 112 : 96) + 2 * 8;
    const uint32_t rva = Read32(entry);
    const uint32_t size = Read32(entry + 4);
    if (rva == 0 && size == 0) {
        return true;
    }
    if (rva > 0x7FFFFFFF || size > 0x7FFFFFFF || !LiesInModuleImage(module, base + rva, size)) {
        return false;
    }
    uint32_t budget = 1u << 20;
    return DirectoryIsSound(base + rva, size, 0, 0, budget);
}

size_t ResourceLimit(ResourceKind kind) {
    switch (kind) {
    case ResourceKind::ShortText:
        return kShortTextLimit;
    case ResourceKind::LongText:
        return kLongTextLimit;
    case ResourceKind::Binary:
        break;
    }
    return kBinaryLimit;
}

bool LiesInModuleImage(HMODULE module, const void* data, size_t size) {
    module = OrSelf(module);
    MEMORY_BASIC_INFORMATION region{};
    if (data == nullptr || ::VirtualQuery(ImageBase(module), &region, sizeof(region)) == 0 ||
        region.State != MEM_COMMIT) {
        return false;
    }
    const void* allocation = region.AllocationBase;
    const auto start = reinterpret_cast<uintptr_t>(data);
    if (size > UINTPTR_MAX - start) {
        return false;
    }
    const uintptr_t end = start + size;
    // Every page from data to its end belongs to the image's one mapping and can be read.
    uintptr_t at = start;
    do {
        if (::VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof(region)) == 0 ||
            region.AllocationBase != allocation || region.State != MEM_COMMIT ||
            (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0) {
            return false;
        }
        at = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    } while (at < end && at != 0);
    return true;
}

ResourceBytes ReadResource(HMODULE module, HRSRC info, ResourceKind kind, std::wstring_view name) {
    module = OrSelf(module);
    ResourceBytes result;
    if (info == nullptr) {
        return result;
    }
    const std::wstring shown(name);
    const DWORD size = ::SizeofResource(module, info);
    if (size > ResourceLimit(kind)) {
        result.status = ResourceStatus::Damaged;
        result.problem = Format(
            L"The resource %s claims %lu bytes, more than one of its kind may hold (%lu).", shown.c_str(),
            static_cast<unsigned long>(size), static_cast<unsigned long>(ResourceLimit(kind)));
        return result;
    }
    HGLOBAL loaded = ::LoadResource(module, info);
    const auto* data = loaded != nullptr ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (size == 0) {
        result.status = ResourceStatus::Found;
        return result;
    }
    if (data == nullptr || !LiesInModuleImage(module, data, size)) {
        result.status = ResourceStatus::Damaged;
        result.problem = Format(L"The resource %s claims %lu bytes that do not lie in its image.",
                                shown.c_str(), static_cast<unsigned long>(size));
        return result;
    }
    result.status = ResourceStatus::Found;
    result.bytes = std::span<const BYTE>(data, size);
    return result;
}

ResourceBytes ReadResource(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language, ResourceKind kind) {
    return ReadResource(module, ::FindResourceExW(module, type, name, language), kind,
                        ResourceNameText(name));
}

std::wstring ResourceNameText(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) {
        return L"#" + std::to_wstring(static_cast<unsigned>(reinterpret_cast<uintptr_t>(name)));
    }
    return name;
}

std::wstring ResourceText(std::span<const BYTE> bytes) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == L'\0') {
            break;
        }
        text.push_back(c);
    }
    return text;
}

} // namespace quentry
