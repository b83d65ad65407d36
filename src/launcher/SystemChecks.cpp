#include "launcher/SystemChecks.h"

#include "common/UniqueHandle.h"
#include "launcher/SetupApp.h"

#include <windows.h>

namespace quentry {

namespace {

// The version as the system reports it to a program that declares itself compatible.
OSVERSIONINFOEXW RunningVersion() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                                     reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                               : nullptr;
    if (rtlGetVersion == nullptr || rtlGetVersion(&version) != 0) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
#pragma GCC diagnostic pop
    }
    return version;
}

} // namespace

void QueryRunningWindows(CSetupApp& app) {
    const OSVERSIONINFOEXW version = RunningVersion();
    app.m_osMajorVersion = version.dwMajorVersion;
    app.m_osMinorVersion = version.dwMinorVersion;
    app.m_osServicePackMajor = version.wServicePackMajor;
    app.m_osServicePackMinor = version.wServicePackMinor;

    SYSTEM_INFO system{};
    using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto native = kernel ? reinterpret_cast<GetNativeSystemInfoFn>(
                               reinterpret_cast<void*>(::GetProcAddress(kernel, "GetNativeSystemInfo")))
                         : nullptr;
    if (native != nullptr) {
        native(&system);
    } else {
        ::GetSystemInfo(&system);
    }
    app.m_is64BitOs = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

bool IsTerminalServer(CSetupApp& app) {
    if (app.m_osMajorVersion >= 5) {
        const OSVERSIONINFOEXW version = RunningVersion();
        return (version.wSuiteMask & VER_SUITE_TERMINAL) != 0 &&
               (version.wSuiteMask & VER_SUITE_SINGLEUSERTS) == 0;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\ProductOptions", 0,
                        KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    wchar_t suites[1024] = {};
    DWORD size = sizeof(suites) - 2 * sizeof(wchar_t);
    DWORD type = 0;
    bool found = false;
    if (::RegQueryValueExW(key, L"ProductSuite", nullptr, &type, reinterpret_cast<BYTE*>(suites), &size) ==
            ERROR_SUCCESS &&
        type == REG_MULTI_SZ) {
        for (const wchar_t* entry = suites; *entry != L'\0'; entry += wcslen(entry) + 1) {
            if (wcscmp(entry, L"Terminal Server") == 0) {
                found = true;
                break;
            }
        }
    }
    ::RegCloseKey(key);
    return found;
}

bool IsAnotherLauncherRunning(CSetupApp& app) {
    const wchar_t* name =
        app.m_osMajorVersion > 4 || IsTerminalServer(app) ? kLauncherMutexGlobal : kLauncherMutexSession;
    // The open handle is the lock: it is kept until the process ends.
    static UniqueKernelHandle lock;
    UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, name));
    if (!mutex) {
        return true;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        return true;
    }
    lock = std::move(mutex);
    return false;
}

} // namespace quentry
