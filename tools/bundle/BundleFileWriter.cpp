#include "BundleFileWriter.h"

#include "ModuleResources.h"
#include "ResourceRewriter.h"
#include "catalogue/PackageResources.h"
#include "common/SystemText.h"
#include "common/UniqueHandle.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quentry::bundle {

namespace {

// A file that is deleted when the object goes, unless it was moved into place.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!m_path.empty()) {
            ::DeleteFileW(m_path.c_str());
        }
    }
    // A new empty file in folder; false with the system's error code left for GetLastError.
    bool Create(const std::wstring& folder) {
        wchar_t path[MAX_PATH] = {};
        if (::GetTempFileNameW(folder.c_str(), L"qb", 0, path) == 0) {
            return false;
        }
        m_path = path;
        return true;
    }
    const std::wstring& Path() const { return m_path; }
    bool MoveTo(const std::wstring& target) {
        if (!::MoveFileExW(m_path.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return false;
        }
        m_path.clear();
        return true;
    }

private:
    std::wstring m_path;
};

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return L".";
    }
    // "C:\setup.exe" lies in "C:\", not in "C:".
    return slash == 2 && path[1] == L':' ? path.substr(0, 3) : path.substr(0, slash);
}

bool IsPlanned(const ResourceKey& key, const std::vector<BundleResource>& resources) {
    return std::any_of(resources.begin(), resources.end(), [&key](const BundleResource& resource) {
        return key.type.Matches(MAKEINTRESOURCEW(resource.type)) && key.name.Matches(resource.name.c_str()) &&
               key.language == resource.language;
    });
}

bool SameBytes(std::optional<std::span<const BYTE>> written, std::span<const BYTE> expected) {
    return written && written->size() == expected.size() &&
           (expected.empty() || std::memcmp(written->data(), expected.data(), expected.size()) == 0);
}

// The written file against the plan: every planned resource in its language with its bytes,
// every other resource of the launcher as it was, nothing else of type 40, and the launcher's
// validation.
bool CheckWrittenFile(const std::wstring& launcher, const std::wstring& path,
                      const std::vector<BundleResource>& resources, std::wstring& error) {
    UniqueModule module = LoadResourceModule(path);
    UniqueModule original = LoadResourceModule(launcher);
    if (!module || !original) {
        error = L"the written launcher cannot be opened again: " + SystemText(::GetLastError());
        return false;
    }
    for (const BundleResource& resource : resources) {
        const ResourceKey key{ResourceName::Of(MAKEINTRESOURCEW(resource.type)),
                              ResourceName::Of(resource.name.c_str()), resource.language};
        if (!SameBytes(ResourceData(module.Get(), key), resource.bytes)) {
            error = L"the written launcher does not read back resource " + resource.name + L" as written";
            return false;
        }
    }
    for (const ResourceKey& key : ListAllResources(original.Get())) {
        const auto bytes = ResourceData(original.Get(), key);
        if (key.type.Matches(MAKEINTRESOURCEW(kPackageResourceType)) || IsPlanned(key, resources) || !bytes ||
            bytes->empty()) {
            continue;
        }
        if (!SameBytes(ResourceData(module.Get(), key), *bytes)) {
            error = L"the written launcher lost the launcher's resource " + key.name.Display();
            return false;
        }
    }
    for (const ResourceKey& key : ListResources(module.Get(), MAKEINTRESOURCEW(kPackageResourceType))) {
        if (!IsPlanned(key, resources)) {
            error = L"the written launcher still carries the old resource " + key.name.Display();
            return false;
        }
    }
    if (!ValidateResourceLayout(module.Get())) {
        error = L"the written launcher does not pass the resource validation (/v)";
        return false;
    }
    return true;
}

} // namespace

bool WriteBundleFile(const std::wstring& launcher, const std::wstring& output,
                     const std::vector<BundleResource>& resources, std::wstring& error) {
    if (!LoadResourceModule(launcher)) {
        const DWORD code = ::GetLastError();
        error = ::GetFileAttributesW(launcher.c_str()) == INVALID_FILE_ATTRIBUTES
                    ? L"cannot read launcher " + launcher + L": " + SystemText(code)
                    : L"launcher " + launcher + L" is not a Windows program";
        return false;
    }
    TemporaryFile temporary;
    if (!temporary.Create(FolderOf(output))) {
        error = L"cannot write " + output + L": " + SystemText(::GetLastError());
        return false;
    }
    if (!::CopyFileW(launcher.c_str(), temporary.Path().c_str(), FALSE)) {
        error =
            L"cannot copy launcher " + launcher + L" beside " + output + L": " + SystemText(::GetLastError());
        return false;
    }
    // The launcher's own package resources (a launcher that is a bundle already) are left out, so
    // that nothing of an earlier build survives under a name this one does not write.
    const auto keep = [](const ResourceKey& key) {
        return !key.type.Matches(MAKEINTRESOURCEW(kPackageResourceType));
    };
    if (!RewriteResources(launcher, temporary.Path(), keep, resources, error) ||
        !CheckWrittenFile(launcher, temporary.Path(), resources, error)) {
        return false;
    }
    if (!temporary.MoveTo(output)) {
        error = L"cannot write " + output + L": " + SystemText(::GetLastError());
        return false;
    }
    return true;
}

} // namespace quentry::bundle
