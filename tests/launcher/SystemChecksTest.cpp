// The system checks: the version decision as a table of machines and OS resources, the names of
// Windows versions, the rights decision for any group membership, and each real query once.
#include "launcher/SystemChecks.h"
#include "launcher/SystemCheckSteps.h"

#include "common/WideText.h"
#include "launcher/SetupApp.h"
#include "support/RecordingInstaller.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

RunningWindows Windows(uint32_t major, uint32_t minor, uint16_t servicePack = 0, bool workstation = true) {
    RunningWindows running;
    running.major = major;
    running.minor = minor;
    running.servicePackMajor = servicePack;
    running.workstation = workstation;
    running.nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    return running;
}

struct Lines {
    std::vector<std::wstring> lines;
    LogSink Sink() {
        return [this](int level, std::wstring_view line) {
            lines.push_back(std::to_wstring(level) + L" " + std::wstring(line));
        };
    }
    bool Has(const std::wstring& line) const {
        for (const std::wstring& l : lines) {
            if (l == line) {
                return true;
            }
        }
        return false;
    }
};

TEST(SystemChecksTest, TheVersionCheckComparesTheRunningSystemWithTheOsResource) {
    const struct {
        RunningWindows running;
        const wchar_t* osResource;
        bool allowed;
        const wchar_t* minimumName;
        unsigned welcomeTextId;
    } cases[] = {
        {Windows(6, 1, 0), L"6.1.1", false, L"Windows 7 ServicePack 1", 1324},
        {Windows(6, 1, 1), L"6.1.1", true, L"Windows 7 ServicePack 1", 1324},
        {Windows(6, 2, 0), L"6.1.1", true, L"Windows 7 ServicePack 1", 1324},
        {Windows(10, 0, 0), L"6.1.1", true, L"Windows 7 ServicePack 1", 1324},
        {Windows(6, 0, 2), L"6.1", false, L"Windows 7", 1044},
        {Windows(6, 1, 0), L"6.1", true, L"Windows 7", 1044},
        {Windows(6, 0, 0), L"6.0", true, L"Windows Vista", 1043},
        {Windows(5, 1, 2), L"6.0/WSOnly", false, L"Windows Vista", 1043},
        {Windows(5, 1, 2), L"WinXP", true, L"Windows XP ServicePack 2", 35},
        {Windows(5, 1, 1), L"WinXP", false, L"Windows XP ServicePack 2", 35},
        {Windows(5, 1, 3), L"5.1.3", true, L"Windows XP ServicePack 3", 1042},
        {Windows(4, 0, 6), L"WinNT", true, L"Windows 4.0", 35},
        {Windows(6, 2, 0), L"6.3", false, L"Windows 6.3", 35},
        {Windows(10, 0, 0), L"10.0.0.7", true, L"Windows 10.0", 35},
        {Windows(5, 0, 0), L"", true, L"Windows 0.0", 35},
        {Windows(5, 0, 0), L"abc", true, L"Windows 0.0", 35},
        {Windows(6, 1, 1), L"99999999999999.1", false, L"Windows 4294967295.1", 35},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.osResource) + " on " + std::to_string(c.running.major) + "." +
                     std::to_string(c.running.minor) + " sp" + std::to_string(c.running.servicePackMajor));
        Lines log;
        const WindowsVersionCheck check = CheckWindowsVersion(c.running, c.osResource, log.Sink());
        EXPECT_EQ(check.allowed, c.allowed);
        EXPECT_EQ(check.minimumOsName, c.minimumName);
        EXPECT_EQ(check.welcomeTextId, c.welcomeTextId);
        EXPECT_TRUE(check.is64BitOs);
        EXPECT_TRUE(log.Has(L"3 Determining OS version"));
        EXPECT_TRUE(log.Has(L"3 found " + check.osName));
        EXPECT_EQ(log.Has(L"3 OS version found to be correct."),
                  c.allowed && c.osResource[0] != L'\0' && std::wstring(c.osResource) != L"abc");
    }
}

TEST(SystemChecksTest, TheVersionCheckLogsWhatItExpectsAndWhatItDoesNotKnow) {
    Lines log;
    EXPECT_TRUE(CheckWindowsVersion(Windows(6, 1), L"6.0/Other", log.Sink()).allowed);
    EXPECT_TRUE(log.Has(L"3 Expect at least Windows Vista Other"));
    EXPECT_TRUE(log.Has(L"2 Unsupported OS restriction selection!"));
    EXPECT_TRUE(log.Has(L"3 Checking OS version"));

    log.lines.clear();
    EXPECT_TRUE(CheckWindowsVersion(Windows(6, 1), L"6.0/WSOnly", log.Sink()).allowed);
    EXPECT_FALSE(log.Has(L"2 Unsupported OS restriction selection!"));

    log.lines.clear();
    EXPECT_TRUE(CheckWindowsVersion(Windows(6, 1), L"", log.Sink()).allowed);
    EXPECT_TRUE(log.Has(L"2 Not checking OS version since no minimum version specified."));
    EXPECT_FALSE(log.Has(L"3 Checking OS version"));

    log.lines.clear();
    EXPECT_TRUE(CheckWindowsVersion(Windows(10, 0), L"6.2", log.Sink()).allowed);
    EXPECT_TRUE(log.Has(L"3 Default text for supported OSes used."));

    RunningWindows x86 = Windows(6, 1);
    x86.nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    EXPECT_FALSE(CheckWindowsVersion(x86, L"6.1", {}).is64BitOs);
}

TEST(SystemChecksTest, WindowsVersionsHaveTheirNames) {
    const struct {
        uint32_t major, minor;
        uint16_t spMajor, spMinor;
        bool workstation;
        uint16_t suite;
        bool r2, amd64;
        const wchar_t* name;
    } cases[] = {
        {5, 0, 4, 0, true, 0, false, false, L"Windows 2000 ServicePack 4"},
        {5, 1, 2, 1, true, 0, false, false, L"Windows XP ServicePack 2.1"},
        {5, 1, 0, 5, true, 0, false, false, L"Windows XP"},
        {6, 0, 0, 0, true, 0, false, false, L"Windows Vista"},
        {6, 0, 0, 0, false, 0, false, false, L"Windows Server 2008"},
        {6, 1, 1, 0, true, 0, false, false, L"Windows 7 ServicePack 1"},
        {6, 1, 0, 0, false, 0, false, false, L"Windows Server 2008 R2"},
        {6, 2, 0, 0, true, 0, false, false, L"Windows 8"},
        {6, 2, 0, 0, false, 0, false, false, L"Windows Server 2012"},
        {6, 3, 0, 0, true, 0, false, false, L"Windows 6.3"},
        {10, 0, 0, 0, true, 0, false, false, L"Windows 10.0"},
        {5, 2, 0, 0, false, VER_SUITE_STORAGE_SERVER, true, true, L"Windows Server 2003 R2"},
        {5, 2, 0, 0, false, VER_SUITE_STORAGE_SERVER, false, true, L"Windows Storage Server 2003"},
        {5, 2, 0, 0, false, VER_SUITE_WH_SERVER, false, true, L"Windows Home Server"},
        {5, 2, 0, 0, false, 0, false, true, L"Windows Server 2003"},
        {5, 2, 0, 0, true, 0, false, false, L"Windows Server 2003"},
        {5, 2, 2, 0, true, 0, false, true, L"Windows XP Professional x64 Edition ServicePack 2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            OsDisplayName(c.major, c.minor, c.spMajor, c.spMinor, c.workstation, c.suite, c.r2, c.amd64),
            c.name);
    }
}

TEST(SystemChecksTest, TerminalServersAreTheMultiUserOnes) {
    EXPECT_TRUE(IsTerminalServer(6, VER_SUITE_TERMINAL));
    EXPECT_FALSE(IsTerminalServer(6, VER_SUITE_TERMINAL | VER_SUITE_SINGLEUSERTS));
    EXPECT_FALSE(IsTerminalServer(5, 0));
    // Before version 5 the registry tells; this prefix names no terminal server there.
    EXPECT_FALSE(IsTerminalServer(4, VER_SUITE_TERMINAL));
}

// The rights decision for every membership, with the groups told apart by their identifiers.
TEST(SystemChecksTest, AdministratorsOrElsePowerUsersHaveTheRights) {
    const struct {
        bool admin, powerUser, queryWorks, rights;
    } cases[] = {
        {true, false, true, true},   {false, true, true, true},  {true, true, true, true},
        {false, false, true, false}, {true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.admin) + std::to_string(c.powerUser) + std::to_string(c.queryWorks));
        std::vector<DWORD> asked;
        const bool rights = HasInstallRights([&](PSID group, bool& member) {
            EXPECT_TRUE(::IsValidSid(group));
            EXPECT_EQ(*::GetSidSubAuthorityCount(group), 2);
            EXPECT_EQ(*::GetSidSubAuthority(group, 0), DWORD{SECURITY_BUILTIN_DOMAIN_RID});
            const DWORD rid = *::GetSidSubAuthority(group, 1);
            asked.push_back(rid);
            member =
                rid == DOMAIN_ALIAS_RID_ADMINS ? c.admin : rid == DOMAIN_ALIAS_RID_POWER_USERS && c.powerUser;
            return c.queryWorks;
        });
        EXPECT_EQ(rights, c.rights);
        ASSERT_FALSE(asked.empty());
        EXPECT_EQ(asked.front(), DWORD{DOMAIN_ALIAS_RID_ADMINS});
        EXPECT_EQ(asked.size(), c.admin && c.queryWorks ? 1u : 2u);
    }
}

TEST(SystemChecksTest, TheRealQueriesAnswerForThisMachine) {
    // This prefix: an elevated administrator on 64-bit Windows with Direct2D 1.1.
    EXPECT_TRUE(HasInstallRights(ProcessTokenMembership()));
    EXPECT_TRUE(HasDirect2D());
    EXPECT_FALSE(HasDirect2D(L"quentry-no-such-library.dll"));
    EXPECT_FALSE(HasDirect2D(L"kernel32.dll"));
    const RunningWindows running = QueryRunningWindows();
    EXPECT_GE(running.major, 5u);
    EXPECT_EQ(running.nativeArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
    EXPECT_TRUE(CheckWindowsVersion(running, L"5.1", {}).allowed);
}

// Through the start-up sequence: a system older than the OS resource ends the run with code 4,
// the two messages and the log lines; an accepted one records names and the welcome sentence.
TEST(SystemChecksTest, ATooOldSystemEndsTheRunWithFourAndItsMessages) {
    test::ScratchFolder scratch;
    test::RecordingInstaller installer;
    const struct {
        RunningWindows running;
        const wchar_t* osResource;
        int code;
        std::vector<std::wstring> messages;
    } cases[] = {
        {Windows(6, 1, 0),
         L"6.1.1",
         4,
         {L"Setup cannot run on Windows 7. This product requires Windows 7 ServicePack 1 or later.",
          L"Installation platform not supported.\nInstallation of this version cannot continue."}},
        {Windows(6, 1, 1), L"6.1.1", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        LauncherSteps steps;
        std::vector<std::wstring> messages;
        steps.messageBox = [&](CSetupApp&, const std::wstring& text, UINT) {
            messages.push_back(text);
            return IDOK;
        };
        steps.checkWindowsVersion = [&](CSetupApp& app) {
            return ApplyWindowsVersionCheck(app, c.running, c.osResource);
        };
        const std::wstring log = scratch.File(L"version.log");
        CSetupApp app(L"quentry.exe /L*v \"" + log + L"\"", installer, steps);
        app.InitInstance();
        EXPECT_EQ(app.ExitInstance(), c.code);
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(app.m_welcomeTextId, 1324u);
        EXPECT_EQ(app.m_osServicePackMajor, c.running.servicePackMajor);
        const std::wstring text = test::ReadUtf16(log);
        EXPECT_NE(text.find(L"RNX (c): Expect at least Windows 7 ServicePack 1 \r\n"), std::wstring::npos);
        EXPECT_EQ(text.find(L"RNX (c): Setup not allowed to run on Windows 7\r\n") != std::wstring::npos,
                  c.code == 4)
            << ToUtf8(text);
    }
}

} // namespace
} // namespace quentry
