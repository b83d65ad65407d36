// Owning wrappers for the platform's handles: each object closes what it holds exactly once.
#pragma once

#include <windows.h>

#include <msi.h>
#include <wincrypt.h>
#include <winsvc.h>

#include <initializer_list>
#include <utility>

namespace quentry {

// Traits: Invalid() is the "holds nothing" value, Close(h) releases a valid handle.
template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : m_handle(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return m_handle != Traits::Invalid(); }
    explicit operator bool() const noexcept { return IsValid(); }

    Handle Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle h = Traits::Invalid()) noexcept {
        Handle old = std::exchange(m_handle, h);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

private:
    Handle m_handle = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

// CreateFileW reports failure with INVALID_HANDLE_VALUE instead of null.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct ModuleHandleTraits {
    using Handle = HMODULE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};

// Installer handles: databases, views, records, summary information.
struct MsiHandleTraits {
    using Handle = MSIHANDLE;
    static Handle Invalid() noexcept { return 0; }
    static void Close(Handle h) noexcept { ::MsiCloseHandle(h); }
};

// FindFirstFileW searches, closed with FindClose.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};

// Registry keys. The predefined roots (HKEY_CLASSES_ROOT ... HKEY_CURRENT_USER_LOCAL_SETTINGS) belong
// to the process and are never closed.
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsPredefined(Handle h) noexcept {
        for (Handle root :
             {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_PERFORMANCE_DATA,
              HKEY_CURRENT_CONFIG, HKEY_DYN_DATA, HKEY_CURRENT_USER_LOCAL_SETTINGS}) {
            if (h == root) {
                return true;
            }
        }
        return false;
    }
    static void Close(Handle h) noexcept {
        if (!IsPredefined(h)) {
            ::RegCloseKey(h);
        }
    }
};

// Memory the security functions hand out with LocalAlloc (descriptors, access lists, entry arrays).
struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::LocalFree(h); }
};

// Views of mapped files, released with UnmapViewOfFile.
struct MappedViewTraits {
    using Handle = const void*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::UnmapViewOfFile(h); }
};

// The cryptographic provider and its keys and hash objects.
struct CryptProviderTraits {
    using Handle = HCRYPTPROV;
    static Handle Invalid() noexcept { return 0; }
    static void Close(Handle h) noexcept { ::CryptReleaseContext(h, 0); }
};

struct CryptKeyTraits {
    using Handle = HCRYPTKEY;
    static Handle Invalid() noexcept { return 0; }
    static void Close(Handle h) noexcept { ::CryptDestroyKey(h); }
};

struct CryptHashTraits {
    using Handle = HCRYPTHASH;
    static Handle Invalid() noexcept { return 0; }
    static void Close(Handle h) noexcept { ::CryptDestroyHash(h); }
};

// The service control manager and its services.
struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseServiceHandle(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueModule = UniqueHandle<ModuleHandleTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;
using UniqueMsiHandle = UniqueHandle<MsiHandleTraits>;
using UniqueMappedView = UniqueHandle<MappedViewTraits>;
using UniqueCryptProvider = UniqueHandle<CryptProviderTraits>;
using UniqueCryptKey = UniqueHandle<CryptKeyTraits>;
using UniqueCryptHash = UniqueHandle<CryptHashTraits>;
using UniqueServiceHandle = UniqueHandle<ServiceHandleTraits>;

} // namespace quentry
