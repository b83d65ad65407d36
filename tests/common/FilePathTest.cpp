#include "common/FilePath.h"

#include "TestChild.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

TEST(FilePathTest, SplitsTextIntoFolderNameAndExtension) {
    const std::wstring longFolder = L"C:\\" + std::wstring(300, L'd');
    const struct {
        std::wstring text;
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* baseName;
        const wchar_t* extension;
        std::wstring printed;
    } cases[] = {
        {L"C:\\dir\\setup.tar.gz", L"C:\\dir", L"setup.tar.gz", L"setup.tar", L"gz",
         L"C:\\dir\\setup.tar.gz"},
        {L"C:\\setup.exe", L"C:\\", L"setup.exe", L"setup", L"exe", L"C:\\setup.exe"},
        {L"setup.exe", L"", L"setup.exe", L"setup", L"exe", L"setup.exe"},
        {L"C:/a/b/README", L"C:\\a\\b", L"README", L"README", L"", L"C:\\a\\b\\README"},
        {L"C:\\a.b\\file", L"C:\\a.b", L"file", L"file", L"", L"C:\\a.b\\file"},
        {L"C:\\a\\.profile", L"C:\\a", L".profile", L"", L"profile", L"C:\\a\\.profile"},
        {L"C:\\a\\name.", L"C:\\a", L"name.", L"name", L"", L"C:\\a\\name."},
        {L"\\\\srv\\share\\f.msi", L"\\\\srv\\share", L"f.msi", L"f", L"msi", L"\\\\srv\\share\\f.msi"},
        {L"\\root.txt", L"\\", L"root.txt", L"root", L"txt", L"\\root.txt"},
        {L"sub\\..\\x.txt", L"", L"x.txt", L"x", L"txt", L"x.txt"},
        {L"dir\\", L"dir", L"", L"", L"", L"dir\\"},
        {L"", L"", L"", L"", L"", L""},
        {longFolder + L"\\f.bin", longFolder.c_str(), L"f.bin", L"f", L"bin", longFolder + L"\\f.bin"},
        // The folder climbs out of its root: the path names no file at all.
        {L"C:\\a\\..\\..\\f.txt", L"", L"f.txt", L"f", L"txt", L""},
    };
    for (const auto& c : cases) {
        const FilePath path(c.text);
        EXPECT_EQ(path.Text(), c.text);
        EXPECT_EQ(path.Folder().ToString(false), c.folder) << c.text;
        EXPECT_EQ(path.Name(), c.name) << c.text;
        EXPECT_EQ(path.BaseName(), c.baseName) << c.text;
        EXPECT_EQ(path.Extension(), c.extension) << c.text;
        EXPECT_EQ(path.ToString(), c.printed) << c.text;
    }
}

TEST(FilePathTest, BuildsFromFolderNameAndExtension) {
    const struct {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* extension;
        const wchar_t* text;
        const wchar_t* folderPrinted;
        const wchar_t* fileName;
    } cases[] = {
        {L"C:\\A", L"setup", L"exe", L"C:\\A\\setup.exe", L"C:\\A", L"setup.exe"},
        {L"C:\\A\\", L"x.txt", L"", L"C:\\A\\x.txt", L"C:\\A", L"x.txt"},
        {L"C:/A/", L"x.txt", L"", L"C:/A/x.txt", L"C:\\A", L"x.txt"},
        {L"", L"x.txt", L"", L"x.txt", L"", L"x.txt"},
        {L"C:\\A", L"sub\\x.txt", L"", L"C:\\A\\sub\\x.txt", L"C:\\A\\sub", L"x.txt"},
        {L"C:\\A", L"sub/deeper\\x", L"log", L"C:\\A\\sub/deeper\\x.log", L"C:\\A\\sub\\deeper", L"x.log"},
        {L"", L"C:\\x.msi", L"", L"C:\\x.msi", L"C:\\", L"x.msi"},
    };
    for (const auto& c : cases) {
        const FilePath path(c.folder, c.name, c.extension);
        EXPECT_EQ(path.Text(), c.text) << c.folder << L" + " << c.name;
        EXPECT_EQ(path.Folder().ToString(false), c.folderPrinted) << c.folder << L" + " << c.name;
        EXPECT_EQ(path.Name(), c.fileName) << c.folder << L" + " << c.name;
        EXPECT_EQ(FilePath(path.Text()).ToString(), path.ToString()) << c.folder << L" + " << c.name;
    }
}

TEST(FilePathTest, ModulePathExistsAndNamesTheRunningProgram) {
    const FilePath self = FilePath::ModulePath(nullptr);
    EXPECT_EQ(self.Name(), L"common_tests.exe");
    EXPECT_EQ(self.Extension(), L"exe");
    EXPECT_TRUE(self.Exists());
    EXPECT_EQ(self.Version(), L""); // the test program carries no version resource

    const FilePath child(test::TestChildPath());
    EXPECT_TRUE(child.Exists());
    EXPECT_EQ(child.Version(), L"7.65535.0.3");

    EXPECT_EQ(FilePath::ModulePath(reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x10))).ToString(), L"");
    EXPECT_FALSE(FilePath(L"C:\\a\\..\\..\\kernel32.dll").Exists());
}

} // namespace
} // namespace quentry
