#include "common/FileUtilities.h"

#include "TestChild.h"
#include "common/FilePath.h"
#include "common/UniqueHandle.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quentry {
namespace {

namespace files = ICBSFileUtilities;
using test::FileLock;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

// A folder below the scratch folder whose full path is exactly `length` characters long, made
// through the "\\?\" form (the test's own means, independent of the code under test).
std::wstring MakeLongFolder(const ScratchFolder& scratch, size_t length) {
    std::wstring path = scratch.Path();
    while (path.size() + 1 < length) {
        const size_t room = length - path.size() - 1;
        path += L"\\" + std::wstring(std::min<size_t>(room, 100), L'n');
        ::CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr);
    }
    return path;
}

std::string ReadLong(const std::wstring& path) {
    return ReadBytes(L"\\\\?\\" + path);
}

DWORD Attributes(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str());
}

TEST(FileUtilitiesTest, ExistenceOfFilesFoldersAndPatterns) {
    ScratchFolder scratch;
    WriteBytes(scratch.File(L"a.txt"), "a");
    ::CreateDirectoryW(scratch.File(L"sub").c_str(), nullptr);
    const struct {
        std::wstring path;
        bool exists;
        bool folder;
    } cases[] = {
        {scratch.File(L"a.txt"), true, false},
        {scratch.File(L"sub"), true, true},
        {scratch.File(L"*.txt"), true, false},
        {scratch.File(L"s?b"), true, false},
        {scratch.File(L"*.none"), false, false},
        {scratch.File(L"missing"), false, false},
        {scratch.File(L"missing\\deeper\\x"), false, false},
        {L"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files::FileExists(c.path), c.exists) << c.path;
        EXPECT_EQ(files::FolderExists(c.path), c.folder) << c.path;
    }
}

TEST(FileUtilitiesTest, CreatesFoldersAndParentChains) {
    ScratchFolder scratch;
    EXPECT_TRUE(files::CreateFolder(scratch.File(L"one")));
    EXPECT_TRUE(files::CreateFolder(scratch.File(L"one"))); // already there
    EXPECT_FALSE(files::CreateFolder(scratch.File(L"two\\three")));
    EXPECT_FALSE(files::CreateFolder(L""));

    EXPECT_TRUE(files::EnsureParentFolder(scratch.File(L"a\\b\\c\\file.txt")));
    EXPECT_TRUE(files::FolderExists(scratch.File(L"a\\b\\c")));
    EXPECT_FALSE(files::FileExists(scratch.File(L"a\\b\\c\\file.txt")));
    EXPECT_TRUE(files::EnsureParentFolder(scratch.File(L"a\\b\\c\\file.txt")));
    EXPECT_TRUE(files::EnsureParentFolder(scratch.File(L"x/y/file.txt")));
    EXPECT_TRUE(files::FolderExists(scratch.File(L"x\\y")));

    // A bare name has no parent to make; ".." above the root names none either.
    EXPECT_FALSE(files::EnsureParentFolder(L"file.txt"));
    EXPECT_FALSE(files::EnsureParentFolder(L"C:\\a\\..\\..\\b\\file.txt"));

    // A file standing where a folder should be is not a folder.
    WriteBytes(scratch.File(L"blocker"), "file");
    EXPECT_FALSE(files::CreateFolder(scratch.File(L"blocker")));
    EXPECT_FALSE(files::EnsureParentFolder(scratch.File(L"blocker\\file.txt")));
    EXPECT_FALSE(files::EnsureParentFolder(scratch.File(L"blocker\\deeper\\file.txt")));
    EXPECT_EQ(ReadBytes(scratch.File(L"blocker")), "file");
}

TEST(FileUtilitiesTest, CopyCreatesTheTargetFolderAndReplacesReadOnlyTargets) {
    ScratchFolder scratch;
    const std::wstring source = scratch.File(L"source.bin");
    WriteBytes(source, "new content");

    const std::wstring chained = scratch.File(L"missing\\chain\\target.bin");
    EXPECT_TRUE(files::CopyFileTo(source, chained, true));
    EXPECT_EQ(ReadBytes(chained), "new content");

    const std::wstring readOnly = scratch.File(L"readonly.bin");
    WriteBytes(readOnly, "old");
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(files::CopyFileTo(source, readOnly, false));
    EXPECT_EQ(ReadBytes(readOnly), "new content");
    EXPECT_EQ(Attributes(readOnly) & FILE_ATTRIBUTE_READONLY, 0u); // the source's attributes

    // failIfExists keeps an existing target as it is.
    const std::wstring existing = scratch.File(L"existing.bin");
    WriteBytes(existing, "keep me");
    EXPECT_FALSE(files::CopyFileTo(source, existing, true));
    EXPECT_EQ(ReadBytes(existing), "keep me");

    // A read-only source gives a read-only copy.
    const std::wstring readOnlySource = scratch.File(L"rosource.bin");
    WriteBytes(readOnlySource, "ro");
    ::SetFileAttributesW(readOnlySource.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring copyOfReadOnly = scratch.File(L"rocopy.bin");
    EXPECT_TRUE(files::CopyFileTo(readOnlySource, copyOfReadOnly, false));
    EXPECT_NE(Attributes(copyOfReadOnly) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(files::CopyFileTo(source, copyOfReadOnly, false)); // and it can be copied over again
    EXPECT_EQ(ReadBytes(copyOfReadOnly), "new content");

    EXPECT_FALSE(files::CopyFileTo(scratch.File(L"no-such-file"), scratch.File(L"out.bin"), false));
    EXPECT_FALSE(test::FileExists(scratch.File(L"out.bin")));
    WriteBytes(scratch.File(L"blocker"), "file");
    EXPECT_FALSE(files::CopyFileTo(source, scratch.File(L"blocker\\target.bin"), false));
}

TEST(FileUtilitiesTest, CopyReachesPathsOf300Characters) {
    ScratchFolder scratch;
    const std::wstring source = scratch.File(L"source.bin");
    WriteBytes(source, "long way");
    const std::wstring longFolder = MakeLongFolder(scratch, 290);
    const std::wstring longTarget = longFolder + L"\\target.bin";
    ASSERT_GE(longTarget.size(), 300u);

    EXPECT_TRUE(files::CopyFileTo(source, longTarget, false));
    EXPECT_EQ(ReadLong(longTarget), "long way");
    // Long source, short target.
    EXPECT_TRUE(files::CopyFileTo(longTarget, scratch.File(L"back.bin"), true));
    EXPECT_EQ(ReadBytes(scratch.File(L"back.bin")), "long way");

    // A read-only long target is replaced as well.
    ::SetFileAttributesW((L"\\\\?\\" + longTarget).c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(source, "second");
    EXPECT_TRUE(files::CopyFileTo(source, longTarget, false));
    EXPECT_EQ(ReadLong(longTarget), "second");

    // Forward slashes and ".." in a long path still name the same file.
    std::wstring slashed = longFolder + L"\\..\\" + FilePath(longFolder).Name() + L"\\slashed.bin";
    for (wchar_t& c : slashed) {
        c = c == L'\\' ? L'/' : c;
    }
    EXPECT_TRUE(files::CopyFileTo(source, slashed, false));
    EXPECT_EQ(ReadLong(longFolder + L"\\slashed.bin"), "second");
}

TEST(FileUtilitiesTest, FileSizeIsTheLow32Bits) {
    ScratchFolder scratch;
    const std::wstring small = scratch.File(L"small.bin");
    WriteBytes(small, std::string(1234, 'x'));
    EXPECT_EQ(files::FileSizeOf(small), 1234u);
    EXPECT_EQ(files::FileSizeOf(scratch.File(L"missing.bin")), 0u);
    EXPECT_EQ(files::FileSizeOf(scratch.Path()), 0u); // a folder is not a file

    // 5 GiB + 123 bytes, sparse: the size minus 4 GiB.
    const std::wstring huge = scratch.File(L"huge.bin");
    {
        UniqueFileHandle file(::CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        LARGE_INTEGER end{};
        end.QuadPart = (5LL << 30) + 123;
        ASSERT_TRUE(::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.Get()));
    }
    EXPECT_EQ(files::FileSizeOf(huge), (1u << 30) + 123u);

    // Held open by another process without sharing: it cannot be opened for reading.
    const std::wstring locked = scratch.File(L"locked.bin");
    WriteBytes(locked, "locked");
    FileLock lock(locked, 2000);
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_EQ(files::FileSizeOf(locked), 0u);
}

TEST(FileUtilitiesTest, FileVersionComesFromTheVersionResource) {
    ScratchFolder scratch;
    WriteBytes(scratch.File(L"plain.txt"), "no resources here");
    EXPECT_EQ(files::FileVersionOf(test::TestChildPath()), L"7.65535.0.3");
    EXPECT_EQ(files::FileVersionOf(scratch.File(L"plain.txt")), L"");
    EXPECT_EQ(files::FileVersionOf(scratch.File(L"missing.exe")), L"");
    // A truncated copy of a program: its headers point past the end of the file.
    WriteBytes(scratch.File(L"cut.exe"), ReadBytes(test::TestChildPath()).substr(0, 600));
    EXPECT_EQ(files::FileVersionOf(scratch.File(L"cut.exe")), L"");
}

TEST(FileUtilitiesTest, CountFoldersCountsTheFolderAndEverySubfolder) {
    ScratchFolder scratch;
    EXPECT_EQ(files::CountFolders(scratch.File(L"missing")), 1u);
    EXPECT_EQ(files::CountFolders(scratch.Path()), 1u);
    ASSERT_TRUE(files::EnsureParentFolder(scratch.File(L"one\\deep\\x")));
    ASSERT_TRUE(files::CreateFolder(scratch.File(L"two")));
    WriteBytes(scratch.File(L"file.txt"), "f");
    WriteBytes(scratch.File(L"one\\file.txt"), "f");
    WriteBytes(scratch.File(L"one\\deep\\file.txt"), "f");
    EXPECT_EQ(files::CountFolders(scratch.Path()), 4u);
    EXPECT_EQ(files::CountFolders(scratch.File(L"one")), 2u);
    EXPECT_EQ(files::CountFolders(scratch.File(L"file.txt")), 1u);
}

TEST(FileUtilitiesTest, DeleteFolderTreeRemovesReadOnlyFilesAndNestedFolders) {
    ScratchFolder scratch;
    const std::wstring tree = scratch.File(L"tree");
    ASSERT_TRUE(files::EnsureParentFolder(tree + L"\\a\\b\\c\\x"));
    ASSERT_TRUE(files::CreateFolder(tree + L"\\empty"));
    for (const wchar_t* name : {L"\\top.txt", L"\\a\\one.txt", L"\\a\\b\\c\\deep.txt", L"\\a\\b\\two.txt"}) {
        WriteBytes(tree + name, "data");
        ::SetFileAttributesW((tree + name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    EXPECT_TRUE(files::DeleteFolderTree(tree));
    EXPECT_FALSE(files::FolderExists(tree));
    EXPECT_TRUE(files::FolderExists(scratch.Path()));

    EXPECT_FALSE(files::DeleteFolderTree(scratch.File(L"missing")));
    WriteBytes(scratch.File(L"file.txt"), "a file, not a folder");
    EXPECT_FALSE(files::DeleteFolderTree(scratch.File(L"file.txt")));
    EXPECT_TRUE(test::FileExists(scratch.File(L"file.txt")));
}

TEST(FileUtilitiesTest, DeleteFolderTreeOfTheEmptyPathDeletesNothing) {
    ScratchFolder scratch;
    WriteBytes(scratch.File(L"keep.txt"), "kept");
    const std::wstring old = files::CurrentFolderText();
    ASSERT_TRUE(::SetCurrentDirectoryW(scratch.Path().c_str()));
    EXPECT_EQ(files::CurrentFolderText(), scratch.Path());
    EXPECT_FALSE(files::DeleteFolderTree(L""));
    ::SetCurrentDirectoryW(old.c_str());
    EXPECT_EQ(files::CurrentFolderText(), old);
    EXPECT_TRUE(test::FileExists(scratch.File(L"keep.txt")));
}

TEST(FileUtilitiesTest, DeleteFolderTreeWaitsOnceForABrieflyLockedFile) {
    ScratchFolder scratch;
    const std::wstring tree = scratch.File(L"tree");
    ASSERT_TRUE(files::CreateFolder(tree));
    ASSERT_TRUE(files::CreateFolder(tree + L"\\sub"));
    WriteBytes(tree + L"\\sub\\other.txt", "other");
    const std::wstring locked = tree + L"\\sub\\locked.txt";
    FileLock lock(locked, 500);
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_TRUE(files::DeleteFolderTree(tree));
    EXPECT_FALSE(files::FolderExists(tree));
}

TEST(FileUtilitiesTest, DeleteFolderTreeGivesUpOnAFileLockedLongerThanTheRetry) {
    ScratchFolder scratch;
    const std::wstring tree = scratch.File(L"tree");
    ASSERT_TRUE(files::CreateFolder(tree));
    const std::wstring locked = tree + L"\\locked.txt";
    FileLock lock(locked, 3000);
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_FALSE(files::DeleteFolderTree(tree));
    // It gave up while the file was still held, after one retry, and left the tree in place.
    EXPECT_TRUE(lock.StillHolding());
    EXPECT_TRUE(files::FolderExists(tree));
    EXPECT_TRUE(files::FileExists(locked));
    lock.WaitUntilReleased();
    EXPECT_TRUE(files::DeleteFolderTree(tree));
}

TEST(FileUtilitiesTest, DeleteFolderTreeRemovesAFolderLinkButNotWhatItPointsTo) {
    ScratchFolder scratch;
    const std::wstring outside = scratch.File(L"outside");
    ASSERT_TRUE(files::CreateFolder(outside));
    WriteBytes(outside + L"\\precious.txt", "keep");
    const std::wstring tree = scratch.File(L"tree");
    ASSERT_TRUE(files::CreateFolder(tree));
    const std::wstring link = tree + L"\\link";
    const bool made =
        ::CreateSymbolicLinkW(link.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) != FALSE;
    const DWORD attributes = Attributes(link);
    if (!made || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        GTEST_SKIP() << "the platform makes no folder links here";
    }
    EXPECT_TRUE(files::DeleteFolderTree(tree));
    EXPECT_FALSE(files::FolderExists(tree));
    EXPECT_EQ(ReadBytes(outside + L"\\precious.txt"), "keep");
}

} // namespace
} // namespace quentry
