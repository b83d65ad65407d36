#include "ResourceRewriter.h"

#include "common/SystemText.h"
#include "common/UniqueHandle.h"

namespace quentry::bundle {

namespace {

// An open resource update; destroying it without ending it first discards every change.
struct ResourceUpdateTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::EndUpdateResourceW(h, TRUE); }
};
using UniqueResourceUpdate = UniqueHandle<ResourceUpdateTraits>;

bool Update(HANDLE update, LPCWSTR type, LPCWSTR name, LANGID language, std::span<const BYTE> bytes) {
    return ::UpdateResourceW(update, type, name, language, const_cast<BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())) != FALSE;
}

} // namespace

bool RewriteResources(const std::wstring& source, const std::wstring& target,
                      const std::function<bool(const ResourceKey&)>& keep,
                      const std::vector<BundleResource>& additions, std::wstring& error) {
    UniqueModule module = LoadResourceModule(source);
    if (!module) {
        error = L"cannot read the resources of " + source + L": " + SystemText(::GetLastError());
        return false;
    }
    UniqueResourceUpdate update(::BeginUpdateResourceW(target.c_str(), TRUE));
    if (!update) {
        error = L"cannot write resources into " + target + L": " + SystemText(::GetLastError());
        return false;
    }
    for (const ResourceKey& key : ListAllResources(module.Get())) {
        if (!keep(key)) {
            continue;
        }
        const auto bytes = ResourceData(module.Get(), key);
        // An empty resource cannot be written (no data means removal): it is left out.
        if (!bytes || (!bytes->empty() && !Update(update.Get(), key.type.Argument(), key.name.Argument(),
                                                  key.language, *bytes))) {
            error = L"cannot copy resource " + key.name.Display() + L" of " + source + L": " +
                    SystemText(::GetLastError());
            return false;
        }
    }
    for (const BundleResource& resource : additions) {
        if (!Update(update.Get(), MAKEINTRESOURCEW(resource.type), resource.name.c_str(), resource.language,
                    resource.bytes)) {
            error = L"cannot write resource " + resource.name + L": " + SystemText(::GetLastError());
            return false;
        }
    }
    if (!::EndUpdateResourceW(update.Release(), FALSE)) {
        error = L"cannot write resources into " + target + L": " + SystemText(::GetLastError());
        return false;
    }
    return true;
}

} // namespace quentry::bundle
