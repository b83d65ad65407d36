#include "common/RegistryKey.h"

#include <vector>

namespace quentry {
namespace {

constexpr wchar_t kLocalMachineName[] = L"HKEY_LOCAL_MACHINE";
constexpr wchar_t kClassesRootName[] = L"HKEY_CLASSES_ROOT";
constexpr wchar_t kCurrentUserName[] = L"HKEY_CURRENT_USER";

} // namespace

RegistryKey::RegistryKey(HKEY predefined, std::wstring name)
    : m_name(std::move(name)), m_handle(predefined) {}

RegistryKey& RegistryKey::LocalMachine() {
    static RegistryKey root(HKEY_LOCAL_MACHINE, kLocalMachineName);
    return root;
}

RegistryKey& RegistryKey::ClassesRoot() {
    static RegistryKey root(HKEY_CLASSES_ROOT, kClassesRootName);
    return root;
}

RegistryKey& RegistryKey::CurrentUser() {
    static RegistryKey root(HKEY_CURRENT_USER, kCurrentUserName);
    return root;
}

RegistryKey RegistryKey::Root(std::wstring_view rootName) {
    if (rootName == kLocalMachineName) {
        return RegistryKey(HKEY_LOCAL_MACHINE, kLocalMachineName);
    }
    if (rootName == kClassesRootName) {
        return RegistryKey(HKEY_CLASSES_ROOT, kClassesRootName);
    }
    if (rootName == kCurrentUserName) {
        return RegistryKey(HKEY_CURRENT_USER, kCurrentUserName);
    }
    return RegistryKey();
}

bool RegistryKey::OpenKey(const RegistryKey& parent, std::wstring_view subkey, bool readOnly, bool create,
                          REGSAM viewFlags) {
    // The parent may be this very object: its handle stays open until the new key is open.
    const bool parentOpen = parent.IsOpen();
    const HKEY parentHandle = parent.Handle();
    std::wstring parentPath = parentOpen ? parent.FullPath() : std::wstring();
    UniqueRegistryKey previous(m_handle.Release());

    m_name.assign(subkey);
    m_parentPath.clear();
    m_viewFlags = viewFlags;
    if (!parentOpen) {
        return false;
    }
    m_parentPath = std::move(parentPath);
    const size_t backslash = m_name.rfind(L'\\');
    if (backslash != std::wstring::npos) {
        m_parentPath += L'\\';
        m_parentPath.append(m_name, 0, backslash);
        m_name.erase(0, backslash + 1);
    }

    const REGSAM access = viewFlags | (readOnly ? kReadAccess : kWriteAccess);
    const std::wstring subkeyText(subkey);
    HKEY opened = nullptr;
    LONG status = ERROR_SUCCESS;
    if (create) {
        status = ::RegCreateKeyExW(parentHandle, subkeyText.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   access, nullptr, &opened, nullptr);
    } else {
        status = ::RegOpenKeyExW(parentHandle, subkeyText.c_str(), 0, access, &opened);
    }
    if (status == ERROR_SUCCESS) {
        m_handle.Reset(opened);
    }
    return IsOpen();
}

bool RegistryKey::OpenKeyPath(std::wstring_view path, bool readOnly, bool create, REGSAM viewFlags) {
    const size_t backslash = path.find(L'\\');
    const std::wstring_view rootName = path.substr(0, backslash);
    const std::wstring_view rest =
        backslash == std::wstring_view::npos ? std::wstring_view() : path.substr(backslash + 1);
    const RegistryKey* root = nullptr;
    if (rootName == kLocalMachineName) {
        root = &LocalMachine();
    } else if (rootName == kClassesRootName) {
        root = &ClassesRoot();
    } else if (rootName == kCurrentUserName) {
        root = &CurrentUser();
    }
    if (root == nullptr) {
        m_handle.Reset();
        m_name.assign(path);
        m_parentPath.clear();
        m_viewFlags = viewFlags;
        return false;
    }
    return OpenKey(*root, rest, readOnly, create, viewFlags);
}

std::wstring RegistryKey::FullPath() const {
    if (m_parentPath.empty()) {
        return m_name;
    }
    return m_parentPath + L"\\" + m_name;
}

std::wstring RegistryKey::GetString(std::wstring_view valueName) const {
    if (!IsOpen()) {
        return {};
    }
    const std::wstring name(valueName);
    DWORD size = 0;
    if (::RegQueryValueExW(m_handle.Get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return {};
    }
    // The value may change between the two reads; a value that grew is read again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        // The size made even, plus one zero character that the read never reaches: a value stored
        // without its terminator (or with a dangling odd byte) still ends inside the buffer.
        const DWORD even = size + (size & 1);
        std::vector<wchar_t> buffer(even / sizeof(wchar_t) + 1, L'\0');
        DWORD type = REG_NONE;
        DWORD read = even;
        const LONG status = ::RegQueryValueExW(m_handle.Get(), name.c_str(), nullptr, &type,
                                               reinterpret_cast<BYTE*>(buffer.data()), &read);
        if (status == ERROR_MORE_DATA) {
            size = read;
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return {};
        }
        // Bytes beyond what was read are still zero: an odd size leaves its last character with a
        // zero high byte, and the text ends at the first zero character.
        const size_t characters = (static_cast<size_t>(read) + 1) / sizeof(wchar_t);
        size_t length = 0;
        while (length < characters && buffer[length] != L'\0') {
            ++length;
        }
        return std::wstring(buffer.data(), length);
    }
    return {};
}

bool RegistryKey::SetString(std::wstring_view valueName, std::wstring_view text) const {
    if (!IsOpen()) {
        return false;
    }
    const std::wstring name(valueName);
    const std::wstring data(text);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(m_handle.Get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}

bool RegistryKey::SetDword(std::wstring_view valueName, DWORD number) const {
    if (!IsOpen()) {
        return false;
    }
    const std::wstring name(valueName);
    return ::RegSetValueExW(m_handle.Get(), name.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&number), sizeof(number)) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(std::wstring_view valueName) const {
    if (!IsOpen()) {
        return false;
    }
    const std::wstring name(valueName);
    return ::RegDeleteValueW(m_handle.Get(), name.c_str()) == ERROR_SUCCESS;
}

} // namespace quentry
