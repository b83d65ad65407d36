#include "BundleFileWriter.h"

#include "ModuleResources.h"
#include "ResourceRewriter.h"
#include "catalogue/PackageResources.h"
#include "common/SystemText.h"
#include "common/UniqueHandle.h"
#include "shared/ShortPathAccess.h"
#include "shared/TemporaryFile.h"
#include "shared/ToolPaths.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quentry::bundle {

namespace {

// The file the launcher is written into before it is moved onto the output: beside the output
// when its path is short enough for the resource functions (which keep paths in MAX_PATH
// buffers), else in the temporary folder, in which case it reaches the output's folder as a copy
// under a second temporary name and is renamed from there.
class WorkingFile {
public:
    bool Create(const std::wstring& output) {
        const std::wstring folder = tools::FolderOf(output);
        if (tools::FitsMaxPath(folder + L"\\qb00000000-0000.tmp")) {
            if (!m_file.Create(folder, L"qb")) {
                return false;
            }
            if (tools::FitsMaxPath(m_file.Path())) {
                return true;
            }
            m_file.Remove();
        }
        m_outputFolder = folder;
        const std::wstring temporary = tools::TemporaryFolder();
        if (temporary.empty() || !tools::FitsMaxPath(temporary + L"qb00000000-0000.tmp")) {
            ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        return m_file.Create(temporary, L"qb");
    }
    const std::wstring& Path() const { return m_file.Path(); }
    bool MoveTo(const std::wstring& output) {
        if (m_outputFolder.empty()) {
            return m_file.MoveTo(output);
        }
        tools::TemporaryFile beside;
        if (!beside.Create(m_outputFolder, L"qb", L".partial") ||
            !::CopyFileW(m_file.FilePath().c_str(), beside.FilePath().c_str(), FALSE) ||
            !beside.MoveTo(output)) {
            return false;
        }
        m_file.Remove();
        return true;
    }

private:
    tools::TemporaryFile m_file;
    std::wstring m_outputFolder; // set when the file is made in the temporary folder
};

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

bool WriteBundleFile(const std::wstring& launcherPath, const std::wstring& output,
                     const std::vector<BundleResource>& resources, std::wstring& error) {
    if (::GetFileAttributesW(tools::ExtendedPath(launcherPath).c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = L"cannot read launcher " + launcherPath + L": " + SystemText(::GetLastError());
        return false;
    }
    // The module functions take the launcher by a path of at most MAX_PATH characters.
    tools::ShortPathAccess access;
    if (!access.Open(launcherPath)) {
        error = L"cannot read launcher " + launcherPath + L": " + SystemText(::GetLastError());
        return false;
    }
    const std::wstring& launcher = access.Path();
    if (!LoadResourceModule(launcher)) {
        error = L"launcher " + launcherPath + L" is not a Windows program";
        return false;
    }
    WorkingFile temporary;
    if (!temporary.Create(output)) {
        error = L"cannot write " + output + L": " + SystemText(::GetLastError());
        return false;
    }
    if (!::CopyFileW(launcher.c_str(), temporary.Path().c_str(), FALSE)) {
        error = L"cannot copy launcher " + launcherPath + L" beside " + output + L": " +
                SystemText(::GetLastError());
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
