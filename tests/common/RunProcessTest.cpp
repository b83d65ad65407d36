#include "common/FileUtilities.h"

#include "TestChild.h"
#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

namespace files = ICBSFileUtilities;
using test::ReadBytes;
using test::ScratchFolder;
using test::TestChildCommand;

constexpr DWORD kLongWait = 60000;

int RunChild(const std::wstring& arguments, bool wait = true, DWORD timeoutMs = kLongWait,
             const std::wstring& workingFolder = L"",
             const std::map<std::wstring, std::wstring>& overrides = {}, bool showWindow = false) {
    return files::RunProcess(TestChildCommand(arguments), wait, workingFolder, overrides, timeoutMs,
                             showWindow);
}

bool WaitForFile(const std::wstring& path, DWORD limitMs) {
    for (DWORD waited = 0; waited < limitMs; waited += 50) {
        if (test::FileExists(path)) {
            return true;
        }
        ::Sleep(50);
    }
    return test::FileExists(path);
}

TEST(RunProcessTest, WaitsAndReturnsTheExitCode) {
    EXPECT_EQ(RunChild(L"sleep 0 7"), 7);
    EXPECT_EQ(RunChild(L"sleep 100 0"), 0);
    EXPECT_EQ(RunChild(L"sleep 0 3221225477"),
              static_cast<int>(3221225477u)); // a crash code passes unchanged
    EXPECT_EQ(RunChild(L"unknown-mode x"), 100);
}

TEST(RunProcessTest, AProgramThatCannotStartGivesMinusOne) {
    ScratchFolder scratch;
    EXPECT_EQ(
        files::RunProcess(L"\"" + scratch.File(L"missing.exe") + L"\"", true, L"", {}, kLongWait, false), -1);
    EXPECT_EQ(files::RunProcess(L"", true, L"", {}, kLongWait, false), -1);
    // A working folder that does not exist.
    EXPECT_EQ(RunChild(L"sleep 0 5", true, kLongWait, scratch.File(L"missing-folder")), -1);
}

TEST(RunProcessTest, WithoutWaitTheProcessRunsOn) {
    ScratchFolder scratch;
    const std::wstring marker = scratch.File(L"marker.txt");
    EXPECT_EQ(RunChild(L"write-after 1000 \"" + marker + L"\"", false), 0);
    EXPECT_FALSE(test::FileExists(marker)); // returned before the child wrote it
    EXPECT_TRUE(WaitForFile(marker, 30000));
}

TEST(RunProcessTest, ATimedOutProcessIsEndedWithExitCodeOne) {
    ScratchFolder scratch;
    const std::wstring marker = scratch.File(L"never.txt");
    EXPECT_EQ(RunChild(L"write-after 1000 \"" + marker + L"\"", true, 300), 1);
    ::Sleep(1500);
    EXPECT_FALSE(test::FileExists(marker)); // it was really ended, not left running
    // A process that ends in time keeps its own code.
    EXPECT_EQ(RunChild(L"sleep 50 9", true, 30000), 9);
}

TEST(RunProcessTest, EnvironmentOverridesReachTheChildAndExistingValuesReturn) {
    ScratchFolder scratch;
    const std::wstring existing = Format(L"QUENTRY_TEST_EXISTING_%lu", ::GetCurrentProcessId());
    const std::wstring fresh = Format(L"QUENTRY_TEST_FRESH_%lu", ::GetCurrentProcessId());
    const std::wstring untouched = Format(L"QUENTRY_TEST_UNTOUCHED_%lu", ::GetCurrentProcessId());
    ::SetEnvironmentVariableW(existing.c_str(), L"old value");
    ::SetEnvironmentVariableW(untouched.c_str(), L"same");
    ::SetEnvironmentVariableW(fresh.c_str(), nullptr);
    const std::map<std::wstring, std::wstring> overrides = {{existing, L"new value"},
                                                            {fresh, L"fresh \u00e9"}};

    for (const std::wstring& name : {existing, fresh, untouched}) {
        const std::wstring out = scratch.File(name + L".txt");
        EXPECT_EQ(RunChild(L"env " + name + L" \"" + out + L"\"", true, kLongWait, L"", overrides), 0);
    }
    EXPECT_EQ(ReadBytes(scratch.File(existing + L".txt")), "new value");
    EXPECT_EQ(ReadBytes(scratch.File(fresh + L".txt")), "fresh \xc3\xa9");
    EXPECT_EQ(ReadBytes(scratch.File(untouched + L".txt")), "same");

    wchar_t value[64] = {};
    ASSERT_GT(::GetEnvironmentVariableW(existing.c_str(), value, 64), 0u);
    EXPECT_STREQ(value, L"old value");
    // A variable that did not exist before keeps the override's value.
    ASSERT_GT(::GetEnvironmentVariableW(fresh.c_str(), value, 64), 0u);
    EXPECT_STREQ(value, L"fresh \u00e9");

    // Restored also when the program cannot be started.
    EXPECT_EQ(files::RunProcess(L"\"" + scratch.File(L"missing.exe") + L"\"", true, L"", overrides, kLongWait,
                                false),
              -1);
    ASSERT_GT(::GetEnvironmentVariableW(existing.c_str(), value, 64), 0u);
    EXPECT_STREQ(value, L"old value");

    for (const std::wstring& name : {existing, fresh, untouched}) {
        ::SetEnvironmentVariableW(name.c_str(), nullptr);
    }
}

TEST(RunProcessTest, RunsInTheGivenWorkingFolder) {
    ScratchFolder scratch;
    ScratchFolder other;
    const std::wstring out = scratch.File(L"cwd.txt");
    EXPECT_EQ(RunChild(L"cwd \"" + out + L"\"", true, kLongWait, other.Path()), 0);
    EXPECT_TRUE(EqualsNoCase(FromUtf8(ReadBytes(out)), other.Path()));
    EXPECT_EQ(RunChild(L"cwd \"" + out + L"\"", true, kLongWait, L""), 0);
    EXPECT_TRUE(EqualsNoCase(FromUtf8(ReadBytes(out)), files::CurrentFolderText()));
}

// Runs the child in a console window of its own, where it starts "console PATH" through RunProcess.
std::string ConsoleOfGrandchild(bool showWindow, const std::wstring& out) {
    std::wstring commandLine = TestChildCommand(Format(L"nested %d \"%s\"", showWindow ? 1 : 0, out.c_str()));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                          nullptr, &startup, &process)) {
        return "not started";
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    ::WaitForSingleObject(processHandle.Get(), kLongWait);
    return ReadBytes(out);
}

TEST(RunProcessTest, NoConsoleWindowUnlessAsked) {
    ScratchFolder scratch;
    const std::wstring hidden = scratch.File(L"hidden.txt");
    EXPECT_EQ(RunChild(L"console \"" + hidden + L"\"", true, kLongWait, L"", {}, false), 0);
    EXPECT_EQ(ReadBytes(hidden), "0");
    // From a program with a console window: asked to show, the child shares that window; not asked,
    // it runs without one.
    EXPECT_EQ(ConsoleOfGrandchild(true, scratch.File(L"nested-shown.txt")), "1");
    EXPECT_EQ(ConsoleOfGrandchild(false, scratch.File(L"nested-hidden.txt")), "0");
}

} // namespace
} // namespace quentry
