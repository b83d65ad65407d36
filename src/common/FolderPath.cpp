#include "common/FolderPath.h"

#include "common/FileUtilities.h"
#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include <windows.h>

namespace quentry {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

} // namespace

bool FolderPath::Fail() {
    m_prefix.clear();
    m_rooted = false;
    m_components.clear();
    m_acceptable = false;
    return false;
}

bool FolderPath::Set(std::wstring_view text) {
    m_text.assign(text);
    m_prefix.clear();
    m_rooted = false;
    m_components.clear();
    m_acceptable = true;

    std::wstring_view rest = text;
    bool mustBeRooted = false;
    if (text.size() >= 2 && text[1] == L':') {
        m_prefix.assign(text.substr(0, 2));
        rest = text.substr(2);
        mustBeRooted = true;
    } else if (text.size() >= 2 &&
               ((text[0] == L'\\' && text[1] == L'\\') || (text[0] == L'/' && text[1] == L'/'))) {
        std::wstring_view remainder = text.substr(2);
        size_t end = 0;
        while (end < remainder.size() && !IsSeparator(remainder[end])) {
            ++end;
        }
        if (end == 0) {
            return Fail(); // "\\" without a server name
        }
        m_prefix = L"\\\\";
        m_prefix.append(remainder.substr(0, end));
        m_rooted = true;
        rest = remainder.substr(end);
    }

    if (!rest.empty() && IsSeparator(rest[0])) {
        m_rooted = true;
    }
    if (mustBeRooted && !m_rooted) {
        return Fail();
    }

    size_t index = 0; // position of the component in the text, empty parts not counted
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end])) {
            ++end;
        }
        const std::wstring_view part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            continue;
        }
        const bool first = index++ == 0;
        if (part == L".") {
            // Names the folder it stands in: kept at the start, where it is all a relative path
            // says, and dropped elsewhere.
            if (first) {
                m_components.emplace_back(part);
            }
        } else if (part == L"..") {
            const bool onlyDotsBefore =
                !m_components.empty() && (m_components.back() == L".." || m_components.back() == L".");
            if (first || onlyDotsBefore) {
                // A leading ".." (or one after the leading dots of a relative path) climbs out of
                // the folder the path is relative to; it stays.
                m_components.emplace_back(part);
            } else if (m_components.empty()) {
                return Fail(); // would climb above the first folder name
            } else {
                m_components.pop_back();
            }
        } else {
            m_components.emplace_back(part);
        }
    }
    return true;
}

std::wstring FolderPath::ToString(bool trailingSeparator) const {
    std::wstring result = m_prefix;
    if (m_rooted) {
        result += L'\\';
    }
    for (size_t i = 0; i < m_components.size(); ++i) {
        if (i > 0) {
            result += L'\\';
        }
        result += m_components[i];
    }
    if (trailingSeparator && !result.empty() && result.back() != L'\\') {
        result += L'\\';
    }
    return result;
}

bool FolderPath::Exists() const {
    return m_acceptable && ICBSFileUtilities::FolderExists(ToString(false));
}

bool FolderPath::Create() const {
    if (!m_acceptable) {
        return false;
    }
    const std::wstring path = ToString(false);
    ICBSFileUtilities::EnsureParentFolder(path);
    ICBSFileUtilities::CreateFolder(path);
    return ICBSFileUtilities::FolderExists(path);
}

bool FolderPath::Delete() const {
    return m_acceptable && ICBSFileUtilities::DeleteFolderTree(ToString(false));
}

bool FolderPath::Append(const FolderPath& relative) {
    if (!m_acceptable || !relative.m_acceptable || relative.m_rooted) {
        return false;
    }
    if (!relative.m_prefix.empty() && !EqualsNoCase(relative.m_prefix, m_prefix)) {
        return false;
    }
    m_components.insert(m_components.end(), relative.m_components.begin(), relative.m_components.end());
    m_text = ToString(false);
    return true;
}

FolderPath FolderPath::Parent() const {
    FolderPath parent = *this;
    if (!parent.m_components.empty()) {
        parent.m_components.pop_back();
        parent.m_text = parent.ToString(false);
    }
    return parent;
}

std::vector<std::wstring> FolderPath::ListFiles(std::wstring_view pattern) const {
    std::vector<std::wstring> files;
    if (!m_acceptable) {
        return files;
    }
    const std::wstring folder = ToString(true);
    const std::wstring search = folder + std::wstring(pattern);
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(::FindFirstFileW(search.c_str(), &data));
    if (!find) {
        return files;
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L".." || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            continue;
        }
        files.push_back(folder + std::wstring(name));
    } while (::FindNextFileW(find.Get(), &data));
    return files;
}

FolderPath FolderPath::CurrentFolder() {
    return FolderPath(ICBSFileUtilities::CurrentFolderText());
}

} // namespace quentry
