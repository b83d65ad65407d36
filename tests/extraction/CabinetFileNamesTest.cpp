// Where a stored file goes: the name rules, the path limit, and the stored time stamp.
#include "extraction/CabinetFileNames.h"
#include "extraction/CabinetFileTime.h"

#include <gtest/gtest.h>

#include <string>

namespace quentry {
namespace {

TEST(CabinetFileNamesTest, OnlyTheLastComponentOfASafeNameIsKept) {
    const struct {
        std::string stored;
        bool utf8;
        std::wstring expected; // empty: skipped
    } cases[] = {
        {"Product.msi", false, L"Product.msi"},
        {"sub\\name.msi", false, L"name.msi"},
        {"a/b/c.txt", false, L"c.txt"},
        {"mixed/sep\\arators.txt", false, L"arators.txt"},
        {"..\\..\\escaped.txt", false, L"escaped.txt"},
        {"../escaped.txt", false, L"escaped.txt"},
        {"C:\\Windows\\win.ini", false, L"win.ini"},
        {"\\\\server\\share\\unc.txt", false, L"unc.txt"},
        {"name with spaces.txt", false, L"name with spaces.txt"},
        {".hidden", false, L".hidden"},
        {"console.txt", false, L"console.txt"},
        {"COM10", false, L"COM10"},
        {"Gr\xC3\xB6\xC3\x9F"
         "e.txt",
         true, L"Gr\u00F6\u00DFe.txt"},
        {"Gr\xF6\xDF"
         "e.txt",
         false, L"Gr\u00F6\u00DFe.txt"}, // the ANSI code page of the test bench: 1252
        {"", false, L""},
        {"sub\\", false, L""},
        {"sub/", false, L""},
        {".", false, L""},
        {"..", false, L""},
        {"dir\\..", false, L""},
        {"...", false, L""},
        {". .", false, L""},
        {"C:file.txt", false, L""},
        {"file.txt:stream", false, L""},
        {"file.txt::$DATA", false, L""},
        {"what?.txt", false, L""},
        {"star*.txt", false, L""},
        {"a<b>.txt", false, L""},
        {"pipe|.txt", false, L""},
        {"quote\".txt", false, L""},
        {"tab\t.txt", false, L""},
        {"NUL", false, L""},
        {"nul.txt", false, L""},
        {"CON", false, L""},
        {"Aux.msi", false, L""},
        {"prn", false, L""},
        {"COM1", false, L""},
        {"lpt9.log", false, L""},
        {"CON .txt", false, L""},
        {"CONIN$", false, L""},
        {"sub\\conout$", false, L""},
        {"Gr\xC3", true, L""}, // not UTF-8
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractedFileName(c.stored, c.utf8), c.expected) << c.stored;
    }
}

TEST(CabinetFileNamesTest, PathLongerThan259CharactersIsRefusedNotCut) {
    const std::wstring folder = L"C:\\dest";
    const std::wstring fits(259 - folder.size() - 1, L'a');
    EXPECT_EQ(ExtractedFilePath(folder, fits), folder + L"\\" + fits);
    EXPECT_EQ(ExtractedFilePath(folder, fits + L"b"), L"");
    EXPECT_EQ(ExtractedFilePath(std::wstring(300, L'f'), L"x.txt"), L"");
}

TEST(CabinetFileNamesTest, StoredTimeIsLocalTimeInTwoSecondSteps) {
    const struct {
        WORD date;
        WORD time;
        SYSTEMTIME local; // year, month, day of week (unused), day, hour, minute, second, ms
    } cases[] = {
        {(39 << 9) | (3 << 5) | 14, (15 << 11) | (9 << 5) | 13, {2019, 3, 0, 14, 15, 9, 26, 0}},
        {(0 << 9) | (1 << 5) | 1, 0, {1980, 1, 0, 1, 0, 0, 0, 0}},
        {(127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29, {2107, 12, 0, 31, 23, 59, 58, 0}},
    };
    for (const auto& c : cases) {
        FILETIME utc{};
        ASSERT_TRUE(CabinetFileTime(c.date, c.time, utc)) << c.date;
        FILETIME local{};
        SYSTEMTIME seen{};
        ASSERT_TRUE(::FileTimeToLocalFileTime(&utc, &local));
        ASSERT_TRUE(::FileTimeToSystemTime(&local, &seen));
        EXPECT_EQ(seen.wYear, c.local.wYear);
        EXPECT_EQ(seen.wMonth, c.local.wMonth);
        EXPECT_EQ(seen.wDay, c.local.wDay);
        EXPECT_EQ(seen.wHour, c.local.wHour);
        EXPECT_EQ(seen.wMinute, c.local.wMinute);
        EXPECT_EQ(seen.wSecond, c.local.wSecond);
    }
    FILETIME utc{};
    EXPECT_FALSE(CabinetFileTime((39 << 9) | (13 << 5) | 14, 0, utc)) << "month 13";
}

} // namespace
} // namespace quentry
