#include "ModuleResources.h"

#include "common/ResourceReader.h"

namespace quentry::bundle {

namespace {

struct Listing {
    HMODULE module;
    std::vector<ResourceKey>* keys;
};

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context) {
    reinterpret_cast<std::vector<LANGID>*>(context)->push_back(language);
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
    auto& keys = *reinterpret_cast<std::vector<ResourceKey>*>(context);
    for (LANGID language : ResourceLanguages(module, type, name)) {
        keys.push_back(ResourceKey{ResourceName::Of(type), ResourceName::Of(name), language});
    }
    return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPWSTR type, LONG_PTR context) {
    ::EnumResourceNamesW(module, type, AddName, context);
    return TRUE;
}

} // namespace

ResourceName ResourceName::Of(LPCWSTR name) {
    ResourceName result;
    if (IS_INTRESOURCE(name)) {
        result.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    } else {
        result.text = name;
    }
    return result;
}

bool ResourceName::Matches(LPCWSTR name) const {
    if (IS_INTRESOURCE(name)) {
        return text.empty() && id == static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    }
    return !text.empty() && _wcsicmp(text.c_str(), name) == 0;
}

UniqueModule LoadResourceModule(const std::wstring& path) {
    UniqueModule module(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    // The platform's resource functions trust the directory: a damaged one is no image to read.
    if (module && !ResourceDirectoryIsSound(module.Get())) {
        return UniqueModule();
    }
    return module;
}

std::vector<ResourceKey> ListResources(HMODULE module, LPCWSTR type) {
    std::vector<ResourceKey> keys;
    ::EnumResourceNamesW(module, type, AddName, reinterpret_cast<LONG_PTR>(&keys));
    return keys;
}

std::vector<ResourceKey> ListAllResources(HMODULE module) {
    std::vector<ResourceKey> keys;
    ::EnumResourceTypesW(module, AddType, reinterpret_cast<LONG_PTR>(&keys));
    return keys;
}

std::vector<LANGID> ResourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name) {
    std::vector<LANGID> languages;
    ::EnumResourceLanguagesW(module, type, name, AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

std::optional<std::span<const BYTE>> ResourceData(HMODULE module, const ResourceKey& key) {
    HRSRC info = ::FindResourceExW(module, key.type.Argument(), key.name.Argument(), key.language);
    // Checked against the image before anything is read: a lying size is no resource to copy.
    const ResourceBytes resource = ReadResource(module, info, ResourceKind::Binary, key.name.Display());
    if (!resource) {
        return std::nullopt;
    }
    return resource.bytes;
}

} // namespace quentry::bundle
