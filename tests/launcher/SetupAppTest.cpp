#include "launcher/SetupApp.h"

#include "common/WideText.h"
#include "support/RecordingInstaller.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>

namespace quentry {
namespace {

using test::ReadUtf16;
using test::ScratchFolder;

size_t CountOf(const std::wstring& text, const std::wstring& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// Runs the start-up sequence and the shutdown in this process, with the given steps in place of
// the real ones, and records what the run showed.
class SetupAppTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    test::RecordingInstaller installer;
    LauncherSteps steps;
    std::vector<std::wstring> messages;
    bool wizardRan = false;
    bool usagePrinted = false;

    void SetUp() override {
        steps.messageBox = [this](CSetupApp&, const std::wstring& text, UINT) {
            messages.push_back(text);
            return IDOK;
        };
        steps.runWizard = [this](CSetupApp&) { wizardRan = true; };
        steps.printUsage = [this](CSetupApp&) { usagePrinted = true; };
    }

    std::wstring LogPath() const { return scratch.File(L"run.log"); }
    std::wstring Log() const { return ReadUtf16(LogPath()); }

    int Run(const std::wstring& arguments, const std::function<void(CSetupApp&)>& inspect = {}) {
        CSetupApp app(L"\"C:\\x\\quentry.exe\" /L*v \"" + LogPath() + L"\" " + arguments, installer, steps);
        app.InitInstance();
        const int code = app.ExitInstance();
        if (inspect) {
            inspect(app);
        }
        return code;
    }

    static std::wstring English(unsigned id) {
        LanguageTable table;
        table.SelectByName(L"English");
        return table.LoadString(id);
    }
};

// A failure nothing below expected (here: memory running out while the catalogue is built) ends
// the run with a log line and code 1, or 2 once the installer has been called; it never aborts.
TEST_F(SetupAppTest, NothingThrownLeavesTheRun) {
    const struct {
        bool installerCalled;
        int code;
    } cases[] = {{false, InstallerCorrupted}, {true, InstallationFailed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        steps.buildCatalogue = [&](CSetupApp& app) {
            if (c.installerCalled) {
                app.m_log.HandToInstaller(installer);
                app.m_log.TakeBackFromInstaller(installer);
            }
            throw std::bad_alloc();
        };
        {
            CSetupApp app(L"\"C:\\x\\quentry.exe\" /qn /L*v \"" + LogPath() + L"\"", installer, steps);
            EXPECT_EQ(app.Run(), c.code);
            EXPECT_FALSE(wizardRan);
        }
        const std::wstring log = Log();
        EXPECT_NE(log.find(L"RNX (c): Unexpected failure, the run ends: std::bad_alloc\r\n"),
                  std::wstring::npos)
            << ToUtf8(log);
        EXPECT_NE(log.find(L"=== Quentry stopped: "), std::wstring::npos);
    }
}

TEST_F(SetupAppTest, ARealRunReachesTheWizardAndLogsTheWholeSequence) {
    steps.mainProductName = [](CSetupApp&) { return std::wstring(L"Zorvat Brindle Server 2026"); };
    std::wstring title;
    EXPECT_EQ(Run(L"A=100%s", [&](CSetupApp& app) { title = app.Title(); }), 0);
    EXPECT_TRUE(wizardRan);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(title, L"Zorvat Brindle Server 2026 - Installer Wizard");
    const std::wstring log = Log();
    const std::wstring expectedOrder[] = {
        L"=== Quentry started: ",
        L"RNX (c): CommandLine: /L*v \"" + LogPath() + L"\" A=100%s\r\n",
        L"RNX (c): Reading package information.\r\n",
        L"RNX (c): All information collected. Start processing.\r\n",
        L"RNX (c): entering ExitInstance \r\n",
        L"=== Quentry stopped: ",
    };
    size_t at = 0;
    for (const std::wstring& line : expectedOrder) {
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::wstring::npos) << "missing or out of order: " << testing::PrintToString(line);
        at = found + line.size();
    }
    EXPECT_TRUE(log.ends_with(L"\r\n"));
    EXPECT_EQ(CountOf(log, L"ERROR"), 0u);
}

TEST_F(SetupAppTest, ServicePasswordsAreHiddenInTheLogButPassedOn) {
    std::vector<std::wstring> properties;
    EXPECT_EQ(Run(L"BR_Service_Password=\"s3cret word\" BR_Service_Username=bob",
                  [&](CSetupApp& app) { properties = app.m_commandLine.m_properties; }),
              0);
    const std::wstring log = Log();
    EXPECT_NE(log.find(L"RNX (c): CommandLine: /L*v \"" + LogPath() +
                       L"\" BR_Service_Password=***** BR_Service_Username=bob\r\n"),
              std::wstring::npos)
        << ToUtf8(log);
    EXPECT_EQ(log.find(L"s3cret"), std::wstring::npos);
    ASSERT_EQ(properties.size(), 2u);
    EXPECT_NE(properties[0].find(L"s3cret word"), std::wstring::npos);
}

// Each refusal of the start-up sequence, as a table: which step refuses, what the run must log,
// which messages it shows when not quiet, and its exit code.
struct Branch {
    const char* name;
    std::function<void(LauncherSteps&)> arrange;
    std::vector<std::wstring> logLines;
    std::vector<unsigned> messageIds;
    int code;
};

TEST_F(SetupAppTest, EachRefusalLogsShowsAndEndsAsSpecified) {
    const Branch branches[] = {
        {"windows version",
         [](LauncherSteps& s) {
             s.checkWindowsVersion = [](CSetupApp& app) {
                 app.m_osName = L"Windows 2000";
                 app.m_minimumOsName = L"Windows 7";
                 return false;
             };
         },
         {L"RNX (c): Setup not allowed to run on Windows 2000\r\n",
          L"RNX (c): ERROR: Incompatible Windows Version\r\n"},
         {10, 25},
         4},
        {"direct2d",
         [](LauncherSteps& s) { s.hasDirect2D = [](CSetupApp&) { return false; }; },
         {L"No Direct2D found on this machine.", L"RNX (c): ERROR: Direct 2D not found\r\n"},
         {66, 67},
         5},
        {"another launcher",
         [](LauncherSteps& s) { s.isAnotherLauncherRunning = [](CSetupApp&) { return true; }; },
         {L"RNX (c): Setup already in progress.\r\n",
          L"RNX (c): ERROR: Another installer was already running.\r\n"},
         {27},
         6},
        {"rights",
         [](LauncherSteps& s) { s.hasInstallRights = [](CSetupApp&) { return false; }; },
         {L"RNX (c): User has no sufficient rights to run setup.\r\n",
          L"RNX (c): ERROR: Installation requires admin rights.\r\n"},
         {18},
         7},
        {"empty package code",
         [](LauncherSteps& s) {
             s.buildCatalogue = [](CSetupApp& app) { app.SetSetupResult(EmptyPackageCode); };
         },
         {L"RNX (c): Reading package information.\r\n", L"RNX (c): ERROR: \r\n"},
         {1146},
         13},
    };
    for (const Branch& branch : branches) {
        for (bool quiet : {false, true}) {
            SCOPED_TRACE(std::string(branch.name) + (quiet ? " quiet" : " interactive"));
            LauncherSteps saved = steps;
            branch.arrange(steps);
            messages.clear();
            wizardRan = false;
            EXPECT_EQ(Run(quiet ? L"/qn" : L""), branch.code);
            steps = saved;
            EXPECT_FALSE(wizardRan);
            const std::wstring log = Log();
            for (const std::wstring& line : branch.logLines) {
                EXPECT_EQ(CountOf(log, line), 1u) << testing::PrintToString(line);
            }
            if (quiet) {
                EXPECT_TRUE(messages.empty());
                continue;
            }
            ASSERT_EQ(messages.size(), branch.messageIds.size());
            for (size_t i = 0; i < messages.size(); ++i) {
                if (branch.messageIds[i] == 10) {
                    EXPECT_EQ(messages[i],
                              L"Setup cannot run on Windows 2000. This product requires Windows 7 or later.");
                } else {
                    EXPECT_EQ(messages[i], English(branch.messageIds[i]));
                }
            }
        }
    }
}

TEST_F(SetupAppTest, ValidationEndsWithoutReportOrWindow) {
    steps.validateResources = [](CSetupApp&) { return false; };
    EXPECT_EQ(Run(L"/v"), 1);
    std::wstring log = Log();
    EXPECT_NE(log.find(L"RNX (c): CommandLine: /L*v \"" + LogPath() +
                       L"\" /v\r\n"
                       L"Validation if all necessary resources have been compiled into setup."
                       L"Validation failed!RNX (c): entering ExitInstance \r\n"),
              std::wstring::npos)
        << testing::PrintToString(log);
    EXPECT_EQ(CountOf(log, L"ERROR"), 0u);
    EXPECT_TRUE(messages.empty());

    steps.validateResources = [](CSetupApp&) { return true; };
    EXPECT_EQ(Run(L"/v"), 0);
    log = Log();
    EXPECT_EQ(CountOf(log, L"Validation failed!"), 0u);
    EXPECT_FALSE(wizardRan);
}

TEST_F(SetupAppTest, UsageComesBeforeTheSystemChecks) {
    steps.checkWindowsVersion = [](CSetupApp&) { return false; };
    EXPECT_EQ(Run(L"/?"), 0);
    EXPECT_TRUE(usagePrinted);
    EXPECT_TRUE(messages.empty());

    usagePrinted = false;
    EXPECT_EQ(Run(L"/qN"), 0); // not understood: usage as well
    EXPECT_TRUE(usagePrinted);
}

TEST_F(SetupAppTest, PropertyErrorsComeAfterTheVersionCheckAndEndTheRunWithZero) {
    steps.checkProperties = [](CSetupApp&, std::wstring& errors) {
        errors = L"Error: Parameter BR_WebServer_Port must be numeric";
        return false;
    };
    EXPECT_EQ(Run(L"BR_WebServer_Port=80a"), 0);
    EXPECT_FALSE(wizardRan);

    steps.checkWindowsVersion = [](CSetupApp&) { return false; };
    EXPECT_EQ(Run(L"/qn BR_WebServer_Port=80a"), 4);
}

TEST_F(SetupAppTest, AResultIsReportedOnce) {
    steps.runWizard = [](CSetupApp& app) {
        app.SetSetupResult(InstallerCorrupted);
        app.ReportSetupResult();
        app.ReportSetupResult();
    };
    EXPECT_EQ(Run(L""), 1);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(CountOf(Log(), L"RNX (c): ERROR: Installer is corrupted.\r\n"), 1u);
}

TEST_F(SetupAppTest, ResultTextAddsTheSystemTextOfTheErrorBehindIt) {
    std::wstring text;
    steps.runWizard = [&](CSetupApp& app) {
        app.m_result = SetupResult{InstallationFailed, ERROR_FILE_NOT_FOUND, false};
        text = app.ResultText();
    };
    EXPECT_EQ(Run(L"/qn"), 2);
    EXPECT_TRUE(text.starts_with(L"Installation failed. (2 - ")) << testing::PrintToString(text);
    EXPECT_TRUE(text.ends_with(L")"));
    EXPECT_EQ(text.find(L'\n'), std::wstring::npos);
}

TEST_F(SetupAppTest, LogLevelEWritesBannersAndRefusalsOnly) {
    steps.isAnotherLauncherRunning = [](CSetupApp&) { return true; };
    CSetupApp* unused = nullptr;
    (void)unused;
    {
        CSetupApp app(L"quentry.exe /Le \"" + LogPath() + L"\"", installer, steps);
        app.InitInstance();
        EXPECT_EQ(app.ExitInstance(), 6);
    }
    const std::wstring log = Log();
    EXPECT_TRUE(log.starts_with(L"=== Quentry started: "));
    EXPECT_NE(log.find(L"RNX (c): Setup already in progress.\r\n"), std::wstring::npos);
    EXPECT_EQ(log.find(L"CommandLine"), std::wstring::npos);
    EXPECT_EQ(log.find(L"ERROR"), std::wstring::npos); // level 3
    EXPECT_NE(log.find(L"=== Quentry stopped: "), std::wstring::npos);
}

TEST_F(SetupAppTest, ChoosesTheLanguageFromLangOnlyInAMultiLanguageBuild) {
    // This test program carries no package resources: a single-language build in English,
    // whatever lang= says.
    std::wstring language;
    Run(L"lang=German", [&](CSetupApp& app) { language = app.m_languages.Current()->englishName; });
    EXPECT_EQ(language, L"English");
}

} // namespace
} // namespace quentry
