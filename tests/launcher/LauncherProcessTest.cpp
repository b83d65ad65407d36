// The launcher executable as users run it: its exit code, its log, its message boxes (answered
// by the UI test driver under the test display).
#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "launcher/SystemChecks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace quentry {
namespace {

using test::ReadUtf16;
using test::RunCommand;
using test::ScratchFolder;

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// The bare launcher carries no packages: a build without its resources is a corrupt installer,
// and the run must say so with its exit code rather than end as a success.
TEST(LauncherProcessTest, ARunWritesItsBannersAndCommandLineAndExitsWithItsCode) {
    ScratchFolder scratch;
    const std::wstring log = scratch.File(L"run.log");
    const auto result =
        RunCommand(Quoted(test::LauncherPath()) + L" /qn /L*v " + Quoted(log) + L" NOTE=50%d");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 1u);

    const std::string text = ToUtf8(ReadUtf16(log));
    // UTF-16LE without byte-order mark: the file starts with the banner's first character.
    EXPECT_EQ(test::ReadBytes(log).substr(0, 2), std::string("=\0", 2));
    EXPECT_TRUE(
        std::regex_search(text, std::regex("^=== Quentry started: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d "
                                           "Build type: SHIP ANSI 1\\.0\\.0\\.1\\r\\n")))
        << text;
    EXPECT_NE(text.find("RNX (c): CommandLine: /qn /L*v " + ToUtf8(Quoted(log)) + " NOTE=50%d\r\n"),
              std::string::npos)
        << text;
    EXPECT_TRUE(std::regex_search(
        text, std::regex("=== Quentry stopped: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\r\\n$")))
        << text;
}

TEST(LauncherProcessTest, AppendsWithPlusAndEmptiesOtherwise) {
    ScratchFolder scratch;
    const std::wstring log = scratch.File(L"append.log");
    test::WriteBytes(log, std::string("o\0l\0d\0\r\0\n\0", 10));
    ASSERT_EQ(RunCommand(Quoted(test::LauncherPath()) + L" /qn /L*+ " + Quoted(log)).exitCode, 1u);
    std::wstring text = ReadUtf16(log);
    EXPECT_TRUE(text.starts_with(L"old\r\n=== Quentry started: ")) << ToUtf8(text);

    ASSERT_EQ(RunCommand(Quoted(test::LauncherPath()) + L" /qn /L " + Quoted(log)).exitCode, 1u);
    text = ReadUtf16(log);
    EXPECT_TRUE(text.starts_with(L"=== Quentry started: ")) << ToUtf8(text);
    EXPECT_EQ(CountOf(ToUtf8(text), "=== Quentry started: "), 1u);
}

// Holds the single-instance lock as a running launcher would.
class AnotherLauncher {
public:
    AnotherLauncher() : m_lock(::CreateMutexW(nullptr, FALSE, kLauncherMutexGlobal)) {}

private:
    UniqueKernelHandle m_lock;
};

TEST(LauncherProcessTest, ASecondLauncherExitsWithSixAndSaysSoOnce) {
    ScratchFolder scratch;
    AnotherLauncher running;
    const std::wstring log = scratch.File(L"second.log");

    // Quiet: no window at all, the log tells.
    auto result = RunCommand(Quoted(test::LauncherPath()) + L" /qn /L*v " + Quoted(log));
    EXPECT_EQ(result.exitCode, 6u);
    std::string text = ToUtf8(ReadUtf16(log));
    EXPECT_EQ(CountOf(text, "RNX (c): Setup already in progress.\r\n"), 1u);
    EXPECT_EQ(CountOf(text, "RNX (c): ERROR: Another installer was already running.\r\n"), 1u);

    // Interactive: one message box with the message, answered by the UI driver. (A launcher that
    // carries its OS resource: the bare one would first say that it misses it.)
    const std::wstring transcript = scratch.File(L"transcript.txt");
    result = RunCommand(Quoted(test::BuildPath(L"bin\\uidriver.exe")) + L" --transcript " +
                            Quoted(transcript) + L" --timeout 30000 --press OK -- " +
                            Quoted(test::BuildPath(L"bin\\launcher-fixtures\\brindle-setup.exe")) +
                            L" /L*v " + Quoted(log),
                        60000);
    EXPECT_EQ(result.exitCode, 6u);
    const std::string shown = test::ReadBytes(transcript);
    EXPECT_EQ(CountOf(shown,
                      "Another program is being installed. Please wait until that installation is complete, "
                      "and then try installing this software again."),
              1u)
        << shown;
    EXPECT_EQ(CountOf(shown, "window \"Zorvat Setup Wizard\""), 1u) << shown;
    EXPECT_NE(shown.find("press \"OK\""), std::string::npos) << shown;
    EXPECT_EQ(shown.find("unexpected"), std::string::npos) << shown;
    text = ToUtf8(ReadUtf16(log));
    EXPECT_EQ(CountOf(text, "RNX (c): ERROR: Another installer was already running.\r\n"), 1u);
}

TEST(LauncherProcessTest, TheFirstLauncherHoldsTheLockForItsLifetime) {
    // Nobody holds the lock: the run passes the lock (and ends as the corrupt build it is) and
    // lets go of the lock when it ends, so the next run passes it too.
    EXPECT_EQ(RunCommand(Quoted(test::LauncherPath()) + L" /qn").exitCode, 1u);
    EXPECT_EQ(RunCommand(Quoted(test::LauncherPath()) + L" /qn").exitCode, 1u);
}

} // namespace
} // namespace quentry
