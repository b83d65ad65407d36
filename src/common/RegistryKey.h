// One open registry key: its name, the path of its parent, its handle and the registry view it was
// opened in. A key that cannot be opened is an object without handle; every later operation on it
// returns false or "".
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace quentry {

class RegistryKey {
public:
    static constexpr REGSAM kReadAccess = 0x20019;  // KEY_READ
    static constexpr REGSAM kWriteAccess = 0xF003F; // KEY_ALL_ACCESS
    // The view flag callers pass for 64-bit products: from a 32-bit process it reaches the 64-bit
    // registry, in a 64-bit process it is the native view.
    static constexpr REGSAM kView64 = KEY_WOW64_64KEY;

    RegistryKey() = default;
    RegistryKey(RegistryKey&&) noexcept = default;
    RegistryKey& operator=(RegistryKey&&) noexcept = default;

    // The root key objects of the run, "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT" and
    // "HKEY_CURRENT_USER", holding the predefined handles.
    static RegistryKey& LocalMachine();
    static RegistryKey& ClassesRoot();
    static RegistryKey& CurrentUser();
    // A new root key object for one of the three names (exact spelling); without handle for any
    // other name.
    static RegistryKey Root(std::wstring_view rootName);

    // Opens (with create: opens or creates) subkey below parent; viewFlags are added to the access
    // asked for. Whatever this object held before is closed first. Returns IsOpen().
    bool OpenKey(const RegistryKey& parent, std::wstring_view subkey, bool readOnly, bool create,
                 REGSAM viewFlags);
    // The same from a full path whose first component names one of the three roots.
    bool OpenKeyPath(std::wstring_view path, bool readOnly, bool create, REGSAM viewFlags);

    bool IsOpen() const { return m_handle.IsValid(); }
    void CloseKey() { m_handle.Reset(); }
    HKEY Handle() const { return m_handle.Get(); }
    REGSAM ViewFlags() const { return m_viewFlags; }
    const std::wstring& Name() const { return m_name; }
    const std::wstring& ParentPath() const { return m_parentPath; }
    // parentPath + "\" + name, or name for a key without parent path.
    std::wstring FullPath() const;

    // The text of a string or expandable-string value (not expanded); "" for any other type, a
    // missing value or a closed key. A value stored without its terminating zero is read whole.
    std::wstring GetString(std::wstring_view valueName) const;
    bool SetString(std::wstring_view valueName, std::wstring_view text) const;
    bool SetDword(std::wstring_view valueName, DWORD number) const;
    bool DeleteValue(std::wstring_view valueName) const;

private:
    RegistryKey(HKEY predefined, std::wstring name);

    std::wstring m_name;
    std::wstring m_parentPath;
    UniqueRegistryKey m_handle;
    REGSAM m_viewFlags = 0;
};

} // namespace quentry
