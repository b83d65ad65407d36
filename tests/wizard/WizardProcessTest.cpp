// The wizard window of real launchers as a user meets it, driven by the UI test driver under
// the test display: which pages come in which order, what Back, Next and Cancel do, and which
// UI levels show a window at all.
#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

using test::ScratchFolder;

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring Fixture(const std::wstring& name) {
    return test::BuildPath(L"bin\\wizard-fixtures\\" + name + L".exe");
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

struct DrivenRun {
    DWORD exitCode = 0;
    std::string transcript;
    std::string log;
};

// Runs a launcher under the UI driver, pressing the given buttons in order.
DrivenRun Drive(const std::wstring& launcher, const std::wstring& arguments,
                const std::vector<std::wstring>& presses) {
    ScratchFolder scratch;
    const std::wstring transcript = scratch.File(L"transcript.txt");
    const std::wstring log = scratch.File(L"run.log");
    std::wstring command = Quoted(test::BuildPath(L"bin\\uidriver.exe")) + L" --transcript " +
                           Quoted(transcript) + L" --timeout 40000 --grace 4000";
    for (const std::wstring& press : presses) {
        command += L" --press " + Quoted(press);
    }
    command += L" -- " + Quoted(launcher) + L" /L*v " + Quoted(log) + L" " + arguments;
    const test::ProcessResult result = test::RunCommand(command, 60000);
    EXPECT_FALSE(result.timedOut);
    return DrivenRun{result.exitCode, test::ReadBytes(transcript), ToUtf8(test::ReadUtf16(log))};
}

// The lines of the log that name pages, in order.
std::vector<std::string> PageLines(const std::string& log) {
    std::vector<std::string> lines;
    size_t at = 0;
    while ((at = log.find("RNX (c): ", at)) != std::string::npos) {
        const size_t end = log.find("\r\n", at);
        const std::string line = log.substr(at + 9, end - at - 9);
        if (line.starts_with("Activating dialog ") || line.starts_with("Deactivating dialog ")) {
            lines.push_back(line);
        }
        at = end;
    }
    return lines;
}

// The window snapshots of a transcript.
std::vector<std::string> Snapshots(const std::string& transcript) {
    std::vector<std::string> snapshots;
    size_t at = transcript.find("window \"");
    while (at != std::string::npos) {
        const size_t next = transcript.find("window \"", at + 1);
        snapshots.push_back(transcript.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    return snapshots;
}

TEST(WizardProcessTest, OnePackageRunsWelcomeUnpackInstallAndEndsOnThePlaceholder) {
    const DrivenRun run = Drive(Fixture(L"OnePackage"), L"", {L"Next >"});
    EXPECT_EQ(run.exitCode, 0u) << run.transcript;
    const std::vector<std::string> expected = {
        "Deactivating dialog Welcome",
        "Deactivating dialog UnpackMSIFromEXE",
        "Deactivating dialog Install (hidden)",
        "Deactivating dialog Finish",
        "Activating dialog Welcome",
        "Deactivating dialog Welcome",
        "Activating dialog UnpackMSIFromEXE",
        "Deactivating dialog UnpackMSIFromEXE",
        "Activating dialog Install (hidden)",
        "Deactivating dialog Install (hidden)",
    };
    EXPECT_EQ(PageLines(run.log), expected) << run.log;
    EXPECT_NE(run.transcript.find("Welcome to the installer for"), std::string::npos) << run.transcript;
    EXPECT_EQ(run.transcript.find("Setup completed"), std::string::npos) << run.transcript;
    EXPECT_EQ(run.transcript.find("unexpected"), std::string::npos) << run.transcript;
}

TEST(WizardProcessTest, ThreePackagesWalkThroughTheSubPackagePageToFinishWithBackOnTheWay) {
    const DrivenRun run = Drive(Fixture(L"ThreePackages"), L"lang=English",
                                {L"Next >", L"< Back", L"Next >", L"Next >", L"Finish"});
    EXPECT_EQ(run.exitCode, 0u) << run.transcript;
    const std::vector<std::string> expected = {
        "Deactivating dialog Welcome",
        "Deactivating dialog IncludedSubPackages",
        "Deactivating dialog UnpackMSIFromEXE",
        "Deactivating dialog Install (hidden)",
        "Deactivating dialog Finish",
        "Activating dialog Welcome",
        "Deactivating dialog Welcome",
        "Activating dialog IncludedSubPackages",
        "Deactivating dialog IncludedSubPackages", // Back
        "Activating dialog Welcome",
        "Deactivating dialog Welcome",
        "Activating dialog IncludedSubPackages",
        "Deactivating dialog IncludedSubPackages",
        "Activating dialog UnpackMSIFromEXE",
        "Deactivating dialog UnpackMSIFromEXE",
        "Activating dialog Install (hidden)",
        "Deactivating dialog Install (hidden)",
        "Activating dialog Finish",
        "Deactivating dialog Finish",
    };
    EXPECT_EQ(PageLines(run.log), expected) << run.log;
    // Back is disabled on the welcome page, every time it shows; enabled on the second page.
    bool backEnabledOnSecond = false;
    for (const std::string& shown : Snapshots(run.transcript)) {
        if (shown.find("Static 1100:") != std::string::npos) {
            EXPECT_NE(shown.find("Button 1000: < &Back (disabled)"), std::string::npos) << shown;
        }
        if (shown.find("Static 1005:") != std::string::npos &&
            shown.find("Button 1000: < &Back\r\n") != std::string::npos) {
            backEnabledOnSecond = true;
        }
    }
    EXPECT_TRUE(backEnabledOnSecond) << run.transcript;
    EXPECT_NE(run.transcript.find("Button 1007: Quentry Wizard Tools"), std::string::npos) << run.transcript;
    EXPECT_NE(run.transcript.find("Static 1110: Setup completed"), std::string::npos) << run.transcript;
    EXPECT_NE(run.transcript.find("Static 1111: Setup has successfully installed Quentry Wizard Main."),
              std::string::npos);
    EXPECT_EQ(run.transcript.find("unexpected"), std::string::npos) << run.transcript;
}

TEST(WizardProcessTest, CancelOnTheWelcomePageShowsSetupAbortedAndEndsWithThree) {
    for (const std::vector<std::wstring>& presses :
         {std::vector<std::wstring>{L"Cancel", L"Finish"}, std::vector<std::wstring>{L"Cancel", L"Cancel"}}) {
        const DrivenRun run = Drive(Fixture(L"ThreePackages"), L"lang=English", presses);
        EXPECT_EQ(run.exitCode, 3u) << run.transcript;
        EXPECT_NE(run.transcript.find("Static 1110: Setup aborted"), std::string::npos) << run.transcript;
        EXPECT_NE(
            run.transcript.find("The wizard was interrupted before Quentry Wizard Main could be completely "
                                "installed."),
            std::string::npos);
        EXPECT_NE(run.transcript.find("Your system has not been modified. To install this program at a later "
                                      "time, please run the installation again."),
                  std::string::npos);
        EXPECT_EQ(CountOf(run.log, "RNX (c): ERROR: User cancelled installation. (1602 - "), 1u) << run.log;
        EXPECT_EQ(run.log.find("Activating dialog UnpackMSIFromEXE"), std::string::npos);
        EXPECT_EQ(run.transcript.find("unexpected"), std::string::npos) << run.transcript;
    }
}

TEST(WizardProcessTest, OnlyTheFullLevelsShowTheWizard) {
    const struct {
        const wchar_t* option;
        bool shown;
    } cases[] = {{L"/qn", false},  {L"/qb", false}, {L"/qr", false},
                 {L"/qn+", false}, {L"/qf", true},  {L"", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.option));
        const DrivenRun run = Drive(Fixture(L"ThreePackages"), std::wstring(c.option) + L" lang=English",
                                    c.shown ? std::vector<std::wstring>{L"Next >", L"Next >", L"Finish"}
                                            : std::vector<std::wstring>{});
        EXPECT_EQ(run.exitCode, 0u) << run.transcript;
        EXPECT_EQ(run.transcript.find("window ") != std::string::npos, c.shown) << run.transcript;
        // Every page is passed, seen or not.
        EXPECT_EQ(CountOf(run.log, "Activating dialog Finish"), 1u) << run.log;
    }
}

// Two real launchers: while the first shows its wizard, the second ends at once with 6; the first
// goes on undisturbed.
TEST(WizardProcessTest, ASecondLauncherWhileTheFirstShowsItsWizardEndsWithSix) {
    ScratchFolder scratch;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring first = Quoted(Fixture(L"OnePackage"));
    ASSERT_TRUE(::CreateProcessW(nullptr, first.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process));
    UniqueKernelHandle firstProcess(process.hProcess);
    UniqueKernelHandle firstThread(process.hThread);
    const wchar_t* caption = L"Quentry Wizard Single Package Product Name Of 51 Ch - Installer Wizard";
    HWND wizard = nullptr;
    for (int i = 0; i < 300 && wizard == nullptr; ++i) {
        wizard = ::FindWindowW(L"#32770", caption);
        if (wizard == nullptr || !::IsWindowVisible(wizard)) {
            wizard = nullptr;
            ::Sleep(100);
        }
    }
    ASSERT_NE(wizard, nullptr);

    const std::wstring log = scratch.File(L"second.log");
    const test::ProcessResult second =
        test::RunCommand(Quoted(Fixture(L"ThreePackages")) + L" /qn /L*v " + Quoted(log), 60000);
    EXPECT_EQ(second.exitCode, 6u);
    EXPECT_NE(ToUtf8(test::ReadUtf16(log)).find("RNX (c): Setup already in progress.\r\n"),
              std::string::npos);

    // The first: Cancel leads to its finish page, Cancel there ends it as cancelled.
    ASSERT_TRUE(::IsWindow(wizard));
    ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
    ::Sleep(500);
    ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(::WaitForSingleObject(firstProcess.Get(), 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(firstProcess.Get(), &code);
    EXPECT_EQ(code, 3u);
}

} // namespace
} // namespace quentry
