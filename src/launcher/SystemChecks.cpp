#include "launcher/SystemChecks.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include <unknwn.h>

#include <cwchar>

namespace quentry {

namespace {

template <typename Function> Function LookUp(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                  : nullptr;
}

// The version as the system reports it to a program that declares itself compatible.
OSVERSIONINFOEXW RunningVersion() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    auto rtlGetVersion = LookUp<RtlGetVersionFn>(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    if (rtlGetVersion == nullptr || rtlGetVersion(&version) != 0) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
#pragma GCC diagnostic pop
    }
    return version;
}

// Up to four decimal numbers separated by '.'; what is missing or not a number counts as 0.
void ParseVersion(std::wstring_view text, uint32_t (&parts)[4]) {
    size_t index = 0;
    for (uint32_t& part : parts) {
        part = 0;
    }
    for (wchar_t c : text) {
        if (c == L'.') {
            if (++index == 4) {
                return;
            }
        } else if (c >= L'0' && c <= L'9') {
            const uint32_t digit = static_cast<uint32_t>(c - L'0');
            // Saturates instead of wrapping, so that a huge minimum stays huge.
            parts[index] =
                parts[index] > (0xFFFFFFFFu - digit) / 10 ? 0xFFFFFFFFu : parts[index] * 10 + digit;
        } else {
            return;
        }
    }
}

unsigned WelcomeTextFor(uint32_t major, uint32_t minor, uint32_t servicePack) {
    if (major == 5 && minor == 1 && servicePack == 3) {
        return 1042;
    }
    if (major == 6 && minor == 0) {
        return 1043;
    }
    if (major == 6 && minor == 1 && servicePack == 0) {
        return 1044;
    }
    if (major == 6 && minor == 1 && servicePack == 1) {
        return 1324;
    }
    return 0;
}

bool ProductSuiteNamesTerminalServer() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\ProductOptions", 0,
                        KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    UniqueRegistryKey key(opened);
    // Two terminators more than the value may hold: an unterminated value still ends here.
    wchar_t suites[1026] = {};
    DWORD size = sizeof(suites) - 2 * sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.Get(), L"ProductSuite", nullptr, &type, reinterpret_cast<BYTE*>(suites),
                           &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return false;
    }
    for (const wchar_t* entry = suites; *entry != L'\0'; entry += wcslen(entry) + 1) {
        if (wcscmp(entry, L"Terminal Server") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

RunningWindows QueryRunningWindows() {
    const OSVERSIONINFOEXW version = RunningVersion();
    RunningWindows running;
    running.major = version.dwMajorVersion;
    running.minor = version.dwMinorVersion;
    running.servicePackMajor = version.wServicePackMajor;
    running.servicePackMinor = version.wServicePackMinor;
    running.suiteMask = version.wSuiteMask;
    running.workstation = version.wProductType == VER_NT_WORKSTATION;
    running.server2003R2 = ::GetSystemMetrics(SM_SERVERR2) != 0;

    SYSTEM_INFO system{};
    using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
    if (auto native =
            LookUp<GetNativeSystemInfoFn>(::GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")) {
        native(&system);
    } else {
        ::GetSystemInfo(&system);
    }
    running.nativeArchitecture = system.wProcessorArchitecture;
    return running;
}

std::wstring OsDisplayName(uint32_t major, uint32_t minor, uint16_t servicePackMajor,
                           uint16_t servicePackMinor, bool workstation, uint16_t suiteMask, bool server2003R2,
                           bool nativeAmd64) {
    struct Name {
        uint32_t major;
        uint32_t minor;
        const wchar_t* workstation;
        const wchar_t* server;
    };
    static constexpr Name kNames[] = {
        {5, 0, L"Windows 2000", L"Windows 2000"},         {5, 1, L"Windows XP", L"Windows XP"},
        {6, 0, L"Windows Vista", L"Windows Server 2008"}, {6, 1, L"Windows 7", L"Windows Server 2008 R2"},
        {6, 2, L"Windows 8", L"Windows Server 2012"},
    };
    std::wstring name;
    if (major == 5 && minor == 2) {
        if (server2003R2) {
            name = L"Windows Server 2003 R2";
        } else if (suiteMask & VER_SUITE_STORAGE_SERVER) {
            name = L"Windows Storage Server 2003";
        } else if (suiteMask & VER_SUITE_WH_SERVER) {
            name = L"Windows Home Server";
        } else if (!workstation || !nativeAmd64) {
            name = L"Windows Server 2003";
        } else {
            name = L"Windows XP Professional x64 Edition";
        }
    } else {
        for (const Name& entry : kNames) {
            if (entry.major == major && entry.minor == minor) {
                name = workstation ? entry.workstation : entry.server;
            }
        }
        if (name.empty()) {
            name = Format(L"Windows %u.%u", static_cast<unsigned>(major), static_cast<unsigned>(minor));
        }
    }
    if (servicePackMajor != 0) {
        name += Format(L" ServicePack %d", static_cast<int>(servicePackMajor));
        if (servicePackMinor != 0) {
            name += Format(L".%d", static_cast<int>(servicePackMinor));
        }
    }
    return name;
}

WindowsVersionCheck CheckWindowsVersion(const RunningWindows& running, std::wstring_view osResource,
                                        const LogSink& log) {
    auto write = [&](int level, const std::wstring& line) {
        if (log) {
            log(level, line);
        }
    };
    WindowsVersionCheck check;
    write(LogInfo, L"Determining OS version");
    check.osName = OsDisplayName(
        running.major, running.minor, running.servicePackMajor, running.servicePackMinor, running.workstation,
        running.suiteMask, running.server2003R2, running.nativeArchitecture == PROCESSOR_ARCHITECTURE_AMD64);
    write(LogInfo, L"found " + check.osName);
    check.is64BitOs = running.nativeArchitecture == PROCESSOR_ARCHITECTURE_AMD64;

    std::wstring required(osResource);
    if (required == L"WinNT") {
        required = L"4.0";
    } else if (required == L"WinXP") {
        required = L"5.1.2";
    }
    const size_t slash = required.find(L'/');
    const std::wstring restriction =
        slash == std::wstring::npos ? std::wstring() : required.substr(slash + 1);
    uint32_t minimum[4];
    ParseVersion(std::wstring_view(required).substr(0, slash), minimum);
    const auto clamp16 = [](uint32_t value) {
        return static_cast<uint16_t>(value > 0xFFFF ? 0xFFFF : value);
    };
    check.minimumOsName =
        OsDisplayName(minimum[0], minimum[1], clamp16(minimum[2]), clamp16(minimum[3]), true, 0);
    write(LogInfo, L"Expect at least " + check.minimumOsName + L" " + restriction);
    if (minimum[0] == 0) {
        write(LogWarning, L"Not checking OS version since no minimum version specified.");
        return check;
    }
    if (const unsigned id = WelcomeTextFor(minimum[0], minimum[1], minimum[2]); id != 0) {
        check.welcomeTextId = id;
    } else {
        write(LogInfo, L"Default text for supported OSes used.");
    }
    write(LogInfo, L"Checking OS version");
    const uint32_t have[3] = {running.major, running.minor, running.servicePackMajor};
    for (int i = 0; i < 3; ++i) {
        if (have[i] != minimum[i]) {
            if (have[i] < minimum[i]) {
                check.allowed = false;
                return check;
            }
            break;
        }
    }
    if (!restriction.empty() && restriction != L"WSOnly") {
        write(LogWarning, L"Unsupported OS restriction selection!");
    }
    write(LogInfo, L"OS version found to be correct.");
    return check;
}

bool HasDirect2D(const wchar_t* library) {
    // {06152247-6F50-465A-9245-118BFD3B6007} and {BB12D362-DAEE-4B9A-AA1D-14BA401CFA1F}.
    static constexpr GUID kFactory = {
        0x06152247, 0x6F50, 0x465A, {0x92, 0x45, 0x11, 0x8B, 0xFD, 0x3B, 0x60, 0x07}};
    static constexpr GUID kFactory1 = {
        0xBB12D362, 0xDAEE, 0x4B9A, {0xAA, 0x1D, 0x14, 0xBA, 0x40, 0x1C, 0xFA, 0x1F}};
    UniqueModule module(::LoadLibraryW(library));
    using CreateFactoryFn = HRESULT(WINAPI*)(int factoryType, REFIID, const void* options, void** factory);
    auto create = LookUp<CreateFactoryFn>(module.Get(), "D2D1CreateFactory");
    if (create == nullptr) {
        return false;
    }
    IUnknown* factory = nullptr;
    if (FAILED(create(0 /* single-threaded */, kFactory, nullptr, reinterpret_cast<void**>(&factory))) ||
        factory == nullptr) {
        return false;
    }
    IUnknown* factory1 = nullptr;
    const bool found = SUCCEEDED(factory->QueryInterface(kFactory1, reinterpret_cast<void**>(&factory1))) &&
                       factory1 != nullptr;
    if (factory1 != nullptr) {
        factory1->Release();
    }
    factory->Release();
    return found;
}

bool IsTerminalServer(uint32_t major, uint16_t suiteMask) {
    if (major >= 5) {
        return (suiteMask & VER_SUITE_TERMINAL) != 0 && (suiteMask & VER_SUITE_SINGLEUSERTS) == 0;
    }
    return ProductSuiteNamesTerminalServer();
}

bool IsAnotherLauncherRunning(uint32_t major, bool terminalServer) {
    const wchar_t* name = major > 4 || terminalServer ? kLauncherMutexGlobal : kLauncherMutexSession;
    // The open handle is the lock: it is kept until the process ends.
    static UniqueKernelHandle lock;
    if (lock) {
        return false;
    }
    UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, name));
    if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        return true;
    }
    lock = std::move(mutex);
    return false;
}

TokenMembershipQuery ProcessTokenMembership() {
    return [](PSID group, bool& member) {
        using CheckTokenMembershipFn = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
        auto check =
            LookUp<CheckTokenMembershipFn>(::GetModuleHandleW(L"advapi32.dll"), "CheckTokenMembership");
        BOOL answer = FALSE;
        if (check == nullptr || !check(nullptr, group, &answer)) {
            return false;
        }
        member = answer != FALSE;
        return true;
    };
}

bool HasInstallRights(const TokenMembershipQuery& isMember) {
    UniqueModule advapi(::LoadLibraryW(L"advapi32.dll"));
    for (const char* name : {"AllocateAndInitializeSid", "OpenProcessToken", "GetTokenInformation",
                             "EqualSid", "FreeSid", "CheckTokenMembership"}) {
        if (LookUp<FARPROC>(advapi.Get(), name) == nullptr) {
            return false;
        }
    }
    using AllocateFn = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD,
                                     DWORD, DWORD, DWORD, PSID*);
    using FreeFn = PVOID(WINAPI*)(PSID);
    auto allocate = LookUp<AllocateFn>(advapi.Get(), "AllocateAndInitializeSid");
    auto free = LookUp<FreeFn>(advapi.Get(), "FreeSid");
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    bool rights = false;
    for (DWORD group : {DWORD{DOMAIN_ALIAS_RID_ADMINS}, DWORD{DOMAIN_ALIAS_RID_POWER_USERS}}) {
        PSID sid = nullptr;
        if (!allocate(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, group, 0, 0, 0, 0, 0, 0, &sid)) {
            continue;
        }
        bool member = false;
        const bool asked = isMember && isMember(sid, member);
        free(sid);
        if (asked && member) {
            rights = true;
            break;
        }
    }
    return rights;
}

} // namespace quentry
