#include "launcher/LauncherLog.h"

#include "engine/WindowsInstaller.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace quentry {
namespace {

using test::ReadUtf16;
using test::ScratchFolder;

TEST(LauncherLogTest, LevelFollowsTheHighestLogLetter) {
    const struct {
        uint32_t mode;
        int level;
    } cases[] = {
        {919, 3},         // default: i w e a r m o
        {3999, 3},        // *
        {3999 | 4096, 4}, // *v
        {4096, 4},        // v alone
        {8192, 0},        // x alone
        {2, 1},           // e
        {2 | 4, 2},       // ew
        {0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LauncherLog::LevelForMode(c.mode), c.level) << c.mode;
    }
}

TEST(LauncherLogTest, WritesUtf16LinesUpToItsLevel) {
    ScratchFolder scratch;
    LauncherLog log;
    log.Configure(scratch.File(L"a.log"), 2 | 4, 0); // level 2
    ASSERT_TRUE(log.Open(true));
    log.Write(1, L"one %d %s\r\n", 1, L"ü");
    log.Write(2, L"two\r\n");
    log.Write(3, L"three\r\n");
    log.WriteText(2, L"100% verbatim\r\n");
    // Every line is on disk as soon as it is written.
    EXPECT_EQ(ReadUtf16(scratch.File(L"a.log")), L"one 1 ü\r\ntwo\r\n100% verbatim\r\n");
    log.Close();
}

TEST(LauncherLogTest, TruncatesOrAppendsAsAsked) {
    ScratchFolder scratch;
    const std::wstring path = scratch.File(L"b.log");
    for (bool truncate : {false, true}) {
        test::WriteBytes(path, std::string("o\0l\0d\0\r\0\n\0", 10));
        LauncherLog log;
        log.Configure(path, 919, truncate ? 0 : 1);
        ASSERT_TRUE(log.Open(truncate));
        log.WriteText(1, L"new\r\n");
        log.Close();
        EXPECT_EQ(ReadUtf16(path), truncate ? L"new\r\n" : L"old\r\nnew\r\n");
    }
}

TEST(LauncherLogTest, CutsOverlongLines) {
    ScratchFolder scratch;
    LauncherLog log;
    log.Configure(scratch.File(L"c.log"), 919, 0);
    ASSERT_TRUE(log.Open(true));
    const std::wstring longText(5000, L'y');
    log.Write(1, L"%s", longText.c_str());
    log.Close();
    EXPECT_EQ(ReadUtf16(scratch.File(L"c.log")), std::wstring(LauncherLog::kMaxLineLength, L'y'));
}

TEST(LauncherLogTest, WithoutAUsableFileNothingIsWritten) {
    ScratchFolder scratch;
    LauncherLog none;
    none.Configure(L"", 919, 0);
    EXPECT_FALSE(none.Open(true));
    none.Write(1, L"dropped\r\n");

    LauncherLog unreachable;
    unreachable.Configure(scratch.File(L"missing\\folder\\d.log"), 919, 0);
    EXPECT_FALSE(unreachable.Open(true));
    unreachable.Write(1, L"dropped\r\n");
    EXPECT_FALSE(test::FileExists(scratch.File(L"missing\\folder\\d.log")));
}

TEST(LauncherLogTest, LinesOfDifferentThreadsNeverMix) {
    ScratchFolder scratch;
    LauncherLog log;
    log.Configure(scratch.File(L"e.log"), 919, 0);
    ASSERT_TRUE(log.Open(true));
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i) {
                log.Write(3, L"thread %d line %d %s\r\n", t, i,
                          std::wstring(static_cast<size_t>(i % 97), L'a' + t).c_str());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    log.Close();
    const std::wstring text = ReadUtf16(scratch.File(L"e.log"));
    std::set<std::wstring> seen;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L"\r\n", start);
        ASSERT_NE(end, std::wstring::npos);
        const std::wstring line = text.substr(start, end - start);
        int t = -1;
        int i = -1;
        ASSERT_EQ(swscanf(line.c_str(), L"thread %d line %d", &t, &i), 2) << line;
        const std::wstring tail(static_cast<size_t>(i % 97), L'a' + t);
        EXPECT_EQ(line, L"thread " + std::to_wstring(t) + L" line " + std::to_wstring(i) + L" " + tail);
        seen.insert(line);
        start = end + 2;
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}

// The installer really installs a package while it has the log; the file then holds the
// launcher's lines, an empty line, the installer's log, and the launcher's further lines.
TEST(LauncherLogTest, HandsTheLogToARealInstallerAndTakesItBack) {
    ScratchFolder scratch;
    const std::wstring path = scratch.File(L"install.log");
    const std::wstring package = test::BuildPath(L"fixtures\\packages\\LogProbe.msi");
    ASSERT_TRUE(test::FileExists(package));
    MsiWindowsInstaller installer;
    installer.SetInternalUI(INSTALLUILEVEL_NONE);

    LauncherLog log;
    log.Configure(path, 919, 0);
    ASSERT_TRUE(log.Open(true));
    log.WriteText(1, L"before\r\n");
    log.HandToInstaller(installer);
    EXPECT_FALSE(log.IsOpen());
    const UINT installed = installer.InstallProduct(package, L"");
    log.TakeBackFromInstaller(installer);
    log.WriteText(1, L"after\r\n");
    log.Close();
    installer.InstallProduct(package, L"REMOVE=ALL");
    ASSERT_EQ(installed, 0u);

    const std::wstring text = ReadUtf16(path);
    ASSERT_TRUE(text.starts_with(L"before\r\n\r\n")) << text.substr(0, 200);
    ASSERT_TRUE(text.ends_with(L"after\r\n"));
    const std::wstring installerPart = text.substr(10, text.size() - 10 - 7);
    EXPECT_FALSE(installerPart.empty());
    // All of it UTF-16 text: no stray bytes of another encoding.
    for (wchar_t c : installerPart) {
        ASSERT_TRUE(c == L'\r' || c == L'\n' || c == L'\t' || c >= L' ') << static_cast<int>(c);
    }
    // The installer's own file is gone.
    EXPECT_FALSE(test::FileExists(path + L".installer.tmp"));
}

} // namespace
} // namespace quentry
