#include "common/FilePath.h"

#include "common/FileUtilities.h"

namespace quentry {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

size_t LastSeparator(std::wstring_view text) {
    return text.find_last_of(L"\\/");
}

// The folder part of "before<separator>name". A bare root ("" or "C:") keeps its separator, so
// that "C:\setup.exe" lies in "C:\" and not in the unrooted "C:".
std::wstring FolderTextBefore(std::wstring_view text, size_t separator) {
    std::wstring_view before = text.substr(0, separator);
    if (before.empty() || (before.size() == 2 && before[1] == L':')) {
        return std::wstring(text.substr(0, separator + 1));
    }
    return std::wstring(before);
}

} // namespace

FilePath::FilePath(std::wstring_view text) : m_text(text) {
    const size_t separator = LastSeparator(text);
    if (separator == std::wstring_view::npos) {
        SetName(text);
        return;
    }
    m_folder.Set(FolderTextBefore(text, separator));
    SetName(text.substr(separator + 1));
}

FilePath::FilePath(std::wstring_view folder, std::wstring_view name, std::wstring_view extension) {
    std::wstring folderText(folder);
    const size_t separator = LastSeparator(name);
    if (separator != std::wstring_view::npos) {
        std::wstring_view leading = name.substr(0, separator);
        if (!folderText.empty() && !IsSeparator(folderText.back()) && !leading.empty()) {
            folderText += L'\\';
        }
        folderText.append(leading);
        if (folderText.empty() || (folderText.size() == 2 && folderText[1] == L':')) {
            folderText += L'\\'; // the name started at the root
        }
        name = name.substr(separator + 1);
    }
    std::wstring fullName(name);
    if (!extension.empty()) {
        fullName += L'.';
        fullName.append(extension);
    }
    m_folder.Set(folderText);
    SetName(fullName);
    m_text = folderText;
    if (!m_text.empty() && !IsSeparator(m_text.back())) {
        m_text += L'\\';
    }
    m_text += fullName;
}

void FilePath::SetName(std::wstring_view name) {
    m_name.assign(name);
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring_view::npos) {
        m_baseName.assign(name);
        m_extension.clear();
    } else {
        m_baseName.assign(name.substr(0, dot));
        m_extension.assign(name.substr(dot + 1));
    }
}

std::wstring FilePath::ToString() const {
    if (!m_folder.IsAcceptable()) {
        return {}; // the folder part climbed out of its root: no file is named
    }
    return m_folder.ToString(true) + m_name;
}

bool FilePath::Exists() const {
    const std::wstring path = ToString();
    return !path.empty() && ICBSFileUtilities::FileExists(path);
}

std::wstring FilePath::Version() const {
    const std::wstring path = ToString();
    return path.empty() ? std::wstring() : ICBSFileUtilities::FileVersionOf(path);
}

FilePath FilePath::ModulePath(HMODULE module) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return FilePath(); // not readable, or cut short: a truncated path would name another file
    }
    return FilePath(std::wstring_view(buffer, length));
}

} // namespace quentry
