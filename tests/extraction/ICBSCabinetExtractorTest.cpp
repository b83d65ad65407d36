// The cabinet engine end to end: real cabinets from the program's own resources through the
// platform's decompression library, and every kind of bad input.
#include "extraction/ICBSCabinetExtractor.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include "CabinetTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace quentry {
namespace {

using namespace quentry::test;

// The fixture file each extracted file must equal.
const std::map<std::wstring, std::wstring>& SourceOf() {
    static const std::map<std::wstring, std::wstring> sources = {
        {L"readme.txt", L"payload\\readme.txt"},
        {L"random.bin", L"payload\\random.bin"},
        {L"zeros.bin", L"payload\\zeros.bin"},
        {L"empty.txt", L"payload\\empty.txt"},
        {L"Product.msi", L"payload\\sub\\Product.msi"},
        {L"Package.msi", L"lzx-Package.msi"},
        {L"notes.txt", L"lzx-notes.txt"},
        {L"stored.txt", L"lzx-notes.txt"},
    };
    return sources;
}

// Every file in folder is one of the fixture files, byte for byte: nothing cut short.
void ExpectOnlyWholeFiles(const std::wstring& folder, const std::string& what) {
    for (const std::wstring& name : FolderNames(folder)) {
        const auto source = SourceOf().find(name);
        ASSERT_NE(source, SourceOf().end()) << what << ": unexpected file";
        EXPECT_TRUE(ReadBytes(folder + L"\\" + name) == ReadBytes(CabinetFixture(source->second)))
            << what << ": " << ToUtf8(name) << " differs from its source";
    }
}

std::wstring MakeFolder(const std::wstring& path) {
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

TEST(ICBSCabinetExtractorTest, ExtractsRealCabinetsFromResourcesByteForByte) {
    const struct {
        const wchar_t* resource;
        std::set<std::wstring> files;
    } cases[] = {
        {L"MSZIP_CAB", {L"readme.txt", L"random.bin", L"zeros.bin", L"empty.txt", L"Product.msi"}},
        {L"LZX_CAB", {L"Package.msi", L"notes.txt"}},
        {L"STORED_CAB", {L"stored.txt"}},
    };
    for (const auto& c : cases) {
        ScratchFolder scratch;
        ICBSCabinetExtractor extractor(L"Package.cab", c.resource, scratch.Path());
        ASSERT_TRUE(extractor.Image().IsValid()) << ToUtf8(c.resource);
        EXPECT_TRUE(extractor.ExtractAll(nullptr)) << ToUtf8(c.resource);
        EXPECT_FALSE(ICBSCabinetExtractor::diskFull());
        EXPECT_EQ(FolderNames(scratch.Path()), c.files) << ToUtf8(c.resource);
        ExpectOnlyWholeFiles(scratch.Path(), ToUtf8(c.resource));
    }
}

TEST(ICBSCabinetExtractorTest, LzxFixtureIsAnLzxCabinetWithA2MBWindow) {
    ScratchFolder scratch;
    ICBSCabinetExtractor extractor(L"Package.cab", L"LZX_CAB", scratch.Path());
    ASSERT_TRUE(extractor.Image().IsValid());
    // The first folder entry follows the 36-byte header; its compression type is at offset 6.
    BYTE type[2] = {};
    ASSERT_EQ(extractor.Image().Read(36 + 6, type, 2), 2u);
    EXPECT_EQ(type[0] | type[1] << 8, 0x1503);
}

TEST(ICBSCabinetExtractorTest, ExtractsAnImageHandedOverInMemory) {
    const std::string bytes = ReadBytes(CabinetFixture(L"lzx.img"));
    ASSERT_FALSE(bytes.empty());
    ScratchFolder scratch;
    ICBSCabinetExtractor extractor(
        L"Package.cab", std::span<const BYTE>(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()),
        scratch.Path() + L"\\");
    EXPECT_TRUE(extractor.ExtractAll(nullptr));
    EXPECT_EQ(FolderNames(scratch.Path()), (std::set<std::wstring>{L"Package.msi", L"notes.txt"}));
    ExpectOnlyWholeFiles(scratch.Path(), "memory image");
}

TEST(ICBSCabinetExtractorTest, ResourceLanguageChoosesTheCabinet) {
    const struct {
        WORD language;
        std::set<std::wstring> files;
    } cases[] = {
        {1031, {L"Package.msi", L"notes.txt"}},
        {1033, {L"dated.txt"}},
    };
    for (const auto& c : cases) {
        ScratchFolder scratch;
        ICBSCabinetExtractor extractor(L"Package.cab", L"LOCALIZED_CAB", scratch.Path(), nullptr, c.language);
        EXPECT_TRUE(extractor.ExtractAll(nullptr)) << c.language;
        EXPECT_EQ(FolderNames(scratch.Path()), c.files) << c.language;
    }
}

TEST(ICBSCabinetExtractorTest, ReplacesAFileOfTheSameName) {
    ScratchFolder scratch;
    WriteBytes(scratch.File(L"notes.txt"), std::string(20000, 'o'));
    ICBSCabinetExtractor extractor(L"Package.cab", L"LZX_CAB", scratch.Path());
    EXPECT_TRUE(extractor.ExtractAll(nullptr));
    ExpectOnlyWholeFiles(scratch.Path(), "replaced");
}

TEST(ICBSCabinetExtractorTest, WritesOnlyIntoTheDestinationUnderSafeNames) {
    // Stored names of NAMES_CAB (file i holds "file i\r\n") and what each must become.
    const struct {
        const char* stored;
        const wchar_t* extracted; // null: skipped
    } names[] = {
        {"good.txt", L"good.txt"},
        {"sub\\nested.msi", L"nested.msi"},
        {"a/b/slashed.txt", L"slashed.txt"},
        {"..\\..\\escaped.txt", L"escaped.txt"},
        {"../../../unix-escaped.txt", L"unix-escaped.txt"},
        {"C:\\Windows\\absolute.txt", L"absolute.txt"},
        {"\\\\server\\share\\unc.txt", L"unc.txt"},
        {"..\\", nullptr},
        {"..", nullptr},
        {".", nullptr},
        {"dir\\..", nullptr},
        {"", nullptr},
        {". .", nullptr},
        {"C:drive-relative.txt", nullptr},
        {"stream.txt:hidden", nullptr},
        {"NUL", nullptr},
        {"con.txt", nullptr},
        {"sub\\COM1", nullptr},
        {"wild*card.txt", nullptr},
        {"240 times y", nullptr}, // its path in the destination is longer than 259 characters
        {"Gr\xC3\xB6\xC3\x9F"
         "e.txt (UTF-8)",
         L"Gr\u00F6\u00DFe.txt"},
    };
    ScratchFolder scratch;
    const std::wstring destination =
        MakeFolder(MakeFolder(MakeFolder(scratch.File(L"a")) + L"\\b") + L"\\dest");
    ASSERT_GT(destination.size() + 1 + 240, 259u);
    const bool absoluteExisted = FileExists(L"C:\\Windows\\absolute.txt");
    {
        ICBSCabinetExtractor extractor(L"Package.cab", L"NAMES_CAB", destination);
        EXPECT_TRUE(extractor.ExtractAll(nullptr)) << "skipped files are no failure";
    }
    std::set<std::wstring> expected;
    for (size_t i = 0; i < std::size(names); ++i) {
        if (names[i].extracted == nullptr) {
            continue;
        }
        expected.insert(names[i].extracted);
        EXPECT_EQ(ReadBytes(destination + L"\\" + names[i].extracted), "file " + std::to_string(i) + "\r\n")
            << names[i].stored;
    }
    EXPECT_EQ(FolderNames(destination), expected);
    EXPECT_EQ(FolderNames(scratch.Path()), std::set<std::wstring>{L"a"});
    EXPECT_EQ(FolderNames(scratch.File(L"a")), std::set<std::wstring>{L"b"});
    EXPECT_EQ(FolderNames(scratch.File(L"a\\b")), std::set<std::wstring>{L"dest"});
    EXPECT_EQ(FileExists(L"C:\\Windows\\absolute.txt"), absoluteExisted);
}

TEST(ICBSCabinetExtractorTest, NameLongerThanACabinetAllowsIsNeverWrittenShortened) {
    // The library may refuse the whole cabinet or announce the name; either way no file of
    // that name, and no shortened one, appears.
    ScratchFolder scratch;
    bool extracted = false;
    {
        ICBSCabinetExtractor extractor(L"Package.cab", L"LONG_NAME_CAB", scratch.Path());
        extracted = extractor.ExtractAll(nullptr);
    }
    const std::set<std::wstring> names = FolderNames(scratch.Path());
    if (extracted) {
        EXPECT_EQ(names, std::set<std::wstring>{L"after.txt"});
    } else {
        EXPECT_TRUE(names.empty() || names == std::set<std::wstring>{L"after.txt"});
    }
}

TEST(ICBSCabinetExtractorTest, BadImagesFailAndLeaveNoFileCutShort) {
    const struct {
        const wchar_t* resource;
        const char* what;
    } cases[] = {
        {L"NO_SUCH_CAB", "resource missing"},
        {L"SHORT_CAB", "resource shorter than the length field"},
        {L"ZERO_LENGTH_CAB", "cabinet of 0 bytes"},
        {L"LYING_LENGTH_CAB", "length field beyond the resource"},
        {L"LYING_HUGE_CAB", "length field near 4 GB"},
        {L"TRUNCATED_CAB", "cabinet cut in half"},
        {L"TRUNCATED_HEADER_CAB", "cabinet cut inside its header"},
        {L"CORRUPT_BLOCK_CAB", "data block corrupted"},
        {L"BAD_LZX_BLOCK_CAB", "LZX block of an unknown type"},
        {L"NOT_A_CABINET_CAB", "no cabinet at all"},
    };
    for (const auto& c : cases) {
        ScratchFolder scratch;
        const std::wstring destination = MakeFolder(scratch.File(L"dest"));
        RecordingSink sink;
        uint32_t available = 0;
        {
            ICBSCabinetExtractor extractor(L"Package.cab", c.resource, destination);
            available = extractor.Image().Length();
            EXPECT_FALSE(extractor.ExtractAll(&sink)) << c.what;
        }
        EXPECT_FALSE(ICBSCabinetExtractor::diskFull()) << c.what;
        EXPECT_EQ(FolderNames(scratch.Path()), std::set<std::wstring>{L"dest"}) << c.what;
        ExpectOnlyWholeFiles(destination, c.what);
        for (const SinkCall& call : sink.calls) {
            if (call.isPosition) {
                EXPECT_LE(static_cast<uint32_t>(call.value), available) << c.what;
            }
        }
    }
}

TEST(ICBSCabinetExtractorTest, ReportsTheCabinetBytesAsTheyAreRead) {
    ScratchFolder scratch;
    RecordingSink sink;
    uint32_t length = 0;
    {
        ICBSCabinetExtractor extractor(L"Package.cab", L"LZX_CAB", scratch.Path());
        length = extractor.Image().Length();
        ASSERT_TRUE(extractor.ExtractAll(&sink));
    }
    ASSERT_GE(sink.calls.size(), 4u);
    ASSERT_EQ(sink.calls.size() % 2, 0u);
    for (size_t i = 0; i < sink.calls.size(); i += 2) {
        ASSERT_TRUE(sink.calls[i].isPosition);
        ASSERT_FALSE(sink.calls[i + 1].isPosition);
        const auto position = static_cast<uint32_t>(sink.calls[i].value);
        EXPECT_LE(position, length);
        EXPECT_EQ(sink.calls[i + 1].value, static_cast<int>(position * 100.0 / length));
    }
    EXPECT_EQ(static_cast<uint32_t>(sink.calls[sink.calls.size() - 2].value), length);
    EXPECT_EQ(sink.calls.back().value, 100);
}

TEST(ICBSCabinetExtractorTest, StoredAttributesAreNotApplied) {
    ScratchFolder scratch;
    ICBSCabinetExtractor extractor(L"Package.cab", L"DATED_CAB", scratch.Path());
    ASSERT_TRUE(extractor.ExtractAll(nullptr));
    const DWORD attributes = ::GetFileAttributesW(scratch.File(L"dated.txt").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);
}

// Whether the file system keeps a creation time that a program sets (Wine on a Unix file
// system does not).
bool KeepsCreationTimes(const std::wstring& folder) {
    const std::wstring path = folder + L"\\probe.tmp";
    FILETIME set{};
    SYSTEMTIME time{2001, 2, 0, 3, 4, 5, 6, 0};
    ::SystemTimeToFileTime(&time, &set);
    FILETIME seen{};
    {
        UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ::SetFileTime(file.Get(), &set, nullptr, nullptr);
    }
    {
        UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ::GetFileTime(file.Get(), &seen, nullptr, nullptr);
    }
    ::DeleteFileW(path.c_str());
    return ::CompareFileTime(&set, &seen) == 0;
}

TEST(ICBSCabinetExtractorTest, StoredLocalTimeBecomesTheCreationTime) {
    ScratchFolder scratch;
    if (!KeepsCreationTimes(scratch.Path())) {
        GTEST_SKIP() << "this file system does not keep a creation time set by a program";
    }
    ICBSCabinetExtractor extractor(L"Package.cab", L"DATED_CAB", scratch.Path());
    ASSERT_TRUE(extractor.ExtractAll(nullptr));
    UniqueFileHandle file(::CreateFileW(scratch.File(L"dated.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    FILETIME created{};
    FILETIME local{};
    SYSTEMTIME seen{};
    ASSERT_TRUE(::GetFileTime(file.Get(), &created, nullptr, nullptr));
    ::FileTimeToLocalFileTime(&created, &local);
    ::FileTimeToSystemTime(&local, &seen);
    EXPECT_EQ(seen.wYear, 2019);
    EXPECT_EQ(seen.wMonth, 3);
    EXPECT_EQ(seen.wDay, 14);
    EXPECT_EQ(seen.wHour, 15);
    EXPECT_EQ(seen.wMinute, 9);
    EXPECT_EQ(seen.wSecond, 26);
}

TEST(ICBSCabinetExtractorTest, EachExtractorReadsItsOwnCabinet) {
    ScratchFolder first;
    ScratchFolder second;
    ICBSCabinetExtractor lzx(L"Package.cab", L"LZX_CAB", first.Path());
    ICBSCabinetExtractor dated(L"Package.cab", L"DATED_CAB", second.Path());
    EXPECT_TRUE(lzx.ExtractAll(nullptr));
    EXPECT_TRUE(dated.ExtractAll(nullptr));
    EXPECT_EQ(FolderNames(first.Path()), (std::set<std::wstring>{L"Package.msi", L"notes.txt"}));
    EXPECT_EQ(FolderNames(second.Path()), std::set<std::wstring>{L"dated.txt"});
}

// Runs in the CTest test extraction_disk_full, which mounts a 1 MB file system as this drive.
TEST(CabinetDiskFull, FullDiskFailsSetsDiskFullAndLeavesNoFileCutShort) {
    const char* drive = std::getenv("QUENTRY_FULL_DRIVE");
    if (drive == nullptr || *drive == '\0') {
        GTEST_SKIP() << "needs a full disk: run by the CTest test extraction_disk_full";
    }
    const std::wstring root = FromUtf8(drive);
    const std::wstring destination = root + L"\\cabinet-" + std::to_wstring(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryW(destination.c_str(), nullptr)) << drive << " is not reachable";
    bool extracted = true;
    {
        // random.bin (1.5 MB, incompressible) cannot fit on the 1 MB disk.
        ICBSCabinetExtractor extractor(L"Package.cab", L"MSZIP_CAB", destination);
        extracted = extractor.ExtractAll(nullptr);
    }
    EXPECT_FALSE(extracted);
    EXPECT_TRUE(ICBSCabinetExtractor::diskFull());
    EXPECT_EQ(FolderNames(destination).count(L"random.bin"), 0u);
    ExpectOnlyWholeFiles(destination, "full disk");
    {
        ScratchFolder scratch;
        ICBSCabinetExtractor next(L"Package.cab", L"LZX_CAB", scratch.Path());
        EXPECT_FALSE(ICBSCabinetExtractor::diskFull()) << "a new extractor starts afresh";
    }
    RemoveTree(destination);
    EXPECT_FALSE(::GetFileAttributesW(destination.c_str()) != INVALID_FILE_ATTRIBUTES);
}

} // namespace
} // namespace quentry
