// Resources of a module read with their size checked before anything is made of them: the bytes
// must lie inside the module's mapped image and stay within a limit for their kind. A resource
// that breaks either rule is damaged (a corrupt build), never a reason to allocate or read more.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quentry {

// The resource type that carries a launcher's packages, counts, names and codes.
inline constexpr WORD kPackageResourceType = 40;

// What a resource may hold at most, by what it is.
enum class ResourceKind {
    ShortText, // a name, a code, a count, a version: a few hundred characters at most
    LongText,  // a list of properties
    Binary,    // cabinets, transforms, string tables: bounded by the image alone
};
size_t ResourceLimit(ResourceKind kind);

enum class ResourceStatus { Found, Missing, Damaged };

// The outcome of one read. Found: bytes are the resource's own, inside the image. Missing: no such
// resource. Damaged: problem says why, as a log text without prefix or line break.
struct ResourceBytes {
    ResourceStatus status = ResourceStatus::Missing;
    std::span<const BYTE> bytes;
    std::wstring problem;

    bool IsFound() const { return status == ResourceStatus::Found; }
    bool IsDamaged() const { return status == ResourceStatus::Damaged; }
    explicit operator bool() const { return IsFound(); }
    std::span<const BYTE> operator*() const { return bytes; }
    const std::span<const BYTE>* operator->() const { return &bytes; }
};

// The resource found as info in module, checked; name is only for the problem text.
ResourceBytes ReadResource(HMODULE module, HRSRC info, ResourceKind kind, std::wstring_view name);
// The resource of that type and name in exactly that language.
ResourceBytes ReadResource(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language, ResourceKind kind);

// The size bytes starting at data lie in the mapped image of module (a loaded module, or one
// loaded as data or as an image resource).
bool LiesInModuleImage(HMODULE module, const void* data, size_t size);

// The resource directory of module's image is sound: every directory, name and data entry lies
// inside the resource section, three levels deep (type, name, language). The platform's resource
// functions trust that directory; a damaged one must not be handed to them. A module loaded only
// as a data file (not as an image) cannot be checked and counts as sound.
bool ResourceDirectoryIsSound(HMODULE module);

// A resource name as a text: the name itself, or "#" and the number.
std::wstring ResourceNameText(LPCWSTR name);

// A UTF-16LE text resource up to its first NUL; an odd last byte is ignored.
std::wstring ResourceText(std::span<const BYTE> bytes);

} // namespace quentry
