// Checks of the machine before anything is unpacked: the Windows version against the build's
// minimum, Direct2D 1.1, the single-instance lock and the user's rights. The platform queries
// are separate from the decisions, so that every decision can be given any machine.
#pragma once

#include "common/LogSink.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quentry {

inline constexpr wchar_t kLauncherMutexGlobal[] = L"Global\\_MSISETUP_{2956EBA1-9B5A-4679-8618-357136DA66CA}";
inline constexpr wchar_t kLauncherMutexSession[] = L"_MSISETUP_{2956EBA1-9B5A-4679-8618-357136DA66CA}";

// The welcome sentence that names no Windows versions.
inline constexpr unsigned kDefaultWelcomeTextId = 35;

// What the system says about itself.
struct RunningWindows {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint16_t servicePackMajor = 0;
    uint16_t servicePackMinor = 0;
    uint16_t suiteMask = 0;
    bool workstation = true;
    // The system metric that marks Windows Server 2003 R2.
    bool server2003R2 = false;
    // The native processor architecture (PROCESSOR_ARCHITECTURE_...).
    uint16_t nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
};

// The running system's version, suite, product type and native architecture.
RunningWindows QueryRunningWindows();

// "Windows 7", "Windows Server 2008 R2 ServicePack 1", "Windows 10.0", ...
std::wstring OsDisplayName(uint32_t major, uint32_t minor, uint16_t servicePackMajor,
                           uint16_t servicePackMinor, bool workstation, uint16_t suiteMask,
                           bool server2003R2 = false, bool nativeAmd64 = false);

struct WindowsVersionCheck {
    bool allowed = true;
    std::wstring osName;
    std::wstring minimumOsName;
    unsigned welcomeTextId = kDefaultWelcomeTextId;
    bool is64BitOs = false;
};

// Compares the running system with the build's minimum, the text of its OS resource
// (VERSION or VERSION/RESTRICTION; "WinNT" and "WinXP" stand for 4.0 and 5.1.2). An OS resource
// without a major version allows every system. Writes the check's progress lines to log.
WindowsVersionCheck CheckWindowsVersion(const RunningWindows& running, std::wstring_view osResource,
                                        const LogSink& log);

// D2D1.dll (or the library given) makes a factory that knows ID2D1Factory1.
bool HasDirect2D(const wchar_t* library = L"D2D1.dll");

// A multi-user terminal server. Before version 5 the ProductSuite registry value tells.
bool IsTerminalServer(uint32_t major, uint16_t suiteMask);

// Takes the single-instance lock (machine-wide from version 5 on or on a terminal server, else
// per session); true when another launcher holds it or it cannot be made. The lock is held until
// the process ends.
bool IsAnotherLauncherRunning(uint32_t major, bool terminalServer);

// Asks whether the process token is a member of a group: false when the question cannot be asked.
using TokenMembershipQuery = std::function<bool(PSID group, bool& member)>;

// The process token's membership, through CheckTokenMembership looked up at run time.
TokenMembershipQuery ProcessTokenMembership();

// A member of Administrators, or else of Power Users. False when a security function of
// advapi32 is missing or the query fails.
bool HasInstallRights(const TokenMembershipQuery& isMember);

} // namespace quentry
