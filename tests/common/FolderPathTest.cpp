#include "common/FolderPath.h"

#include "common/FileUtilities.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quentry {
namespace {

using test::ScratchFolder;

// The current folder for the life of the object.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::wstring& folder) : m_old(ICBSFileUtilities::CurrentFolderText()) {
        ::SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolderScope() { ::SetCurrentDirectoryW(m_old.c_str()); }

private:
    std::wstring m_old;
};

TEST(FolderPathTest, ParsesDriveServerAndRelativeForms) {
    const std::wstring deep = L"C:\\" + std::wstring(29, L'a') + L"\\" + std::wstring(270, L'b');
    const struct {
        std::wstring text;
        bool acceptable;
        const wchar_t* prefix;
        bool rooted;
        std::wstring printed;
    } cases[] = {
        {L"C:\\A\\B\\..\\C", true, L"C:", true, L"C:\\A\\C"},
        {L"C:\\A\\..\\..\\B", false, L"", false, L""},
        {L"C:\\A\\B\\..\\..\\..", false, L"", false, L""},
        {L"C:A", false, L"", false, L""},
        {L"C:", false, L"", false, L""},
        {L"C:\\", true, L"C:", true, L"C:\\"},
        {L"c:/A//B/", true, L"c:", true, L"c:\\A\\B"},
        {L"C:\\A\\.\\B", true, L"C:", true, L"C:\\A\\B"},
        {L"\\\\srv\\share\\x", true, L"\\\\srv", true, L"\\\\srv\\share\\x"},
        {L"//srv/share/x/", true, L"\\\\srv", true, L"\\\\srv\\share\\x"},
        {L"\\\\srv\\share\\..\\x", true, L"\\\\srv", true, L"\\\\srv\\x"},
        {L"\\\\srv\\share\\..\\..", false, L"", false, L""},
        {L"\\\\srv", true, L"\\\\srv", true, L"\\\\srv\\"},
        {L"\\\\", false, L"", false, L""},
        {L"\\\\\\share", false, L"", false, L""},
        {L"\\A\\B", true, L"", true, L"\\A\\B"},
        {L"dir\\sub", true, L"", false, L"dir\\sub"},
        {L"dir\\sub\\..", true, L"", false, L"dir"},
        {L"..\\x", true, L"", false, L"..\\x"},
        {L"..\\..\\x", true, L"", false, L"..\\..\\x"},
        {L".\\x", true, L"", false, L".\\x"},
        {L".\\..\\x", true, L"", false, L".\\..\\x"},
        {L"a\\..\\..\\x", false, L"", false, L""},
        {L"a\\.\\..\\b", true, L"", false, L"b"},
        {L"", true, L"", false, L""},
        {deep, true, L"C:", true, deep},
        {deep + L"\\..\\..\\..", false, L"", false, L""},
    };
    for (const auto& c : cases) {
        FolderPath path;
        EXPECT_EQ(path.Set(c.text), c.acceptable) << c.text;
        EXPECT_EQ(path.IsAcceptable(), c.acceptable) << c.text;
        EXPECT_EQ(path.Text(), c.text);
        EXPECT_EQ(path.Prefix(), c.prefix) << c.text;
        EXPECT_EQ(path.IsRooted(), c.rooted) << c.text;
        EXPECT_EQ(path.ToString(false), c.printed) << c.text;
        const std::wstring withSeparator =
            c.printed.empty() || c.printed.back() == L'\\' ? c.printed : c.printed + L"\\";
        EXPECT_EQ(path.ToString(true), withSeparator) << c.text;
    }
}

TEST(FolderPathTest, SettingAgainForgetsTheEarlierPath) {
    FolderPath path(L"\\\\srv\\share\\x");
    EXPECT_FALSE(path.Set(L"C:relative"));
    EXPECT_EQ(path.ToString(true), L"");
    EXPECT_TRUE(path.Set(L"D:\\y"));
    EXPECT_EQ(path.ToString(false), L"D:\\y");
    EXPECT_EQ(path.Components(), std::vector<std::wstring>{L"y"});
}

TEST(FolderPathTest, AppendTakesOnlyRelativePathsOfTheSameDrive) {
    const struct {
        const wchar_t* relative;
        bool appended;
        const wchar_t* printed;
    } cases[] = {
        {L"B\\C", true, L"C:\\A\\B\\C"},    {L"B/../C", true, L"C:\\A\\C"},
        {L"..\\X", true, L"C:\\A\\..\\X"},  {L"", true, L"C:\\A"},
        {L"\\X", false, L"C:\\A"},          {L"D:\\X", false, L"C:\\A"},
        {L"c:\\X", false, L"C:\\A"},        {L"\\\\srv\\share", false, L"C:\\A"},
        {L"x\\..\\..\\y", false, L"C:\\A"},
    };
    for (const auto& c : cases) {
        FolderPath base(L"C:\\A");
        EXPECT_EQ(base.Append(FolderPath(c.relative)), c.appended) << c.relative;
        EXPECT_EQ(base.ToString(false), c.printed) << c.relative;
    }
    FolderPath broken(L"C:\\A\\..\\..");
    EXPECT_FALSE(broken.Append(FolderPath(L"x")));
    EXPECT_EQ(broken.ToString(false), L"");
}

TEST(FolderPathTest, ParentDropsTheLastFolderName) {
    EXPECT_EQ(FolderPath(L"C:\\A\\B").Parent().ToString(false), L"C:\\A");
    EXPECT_EQ(FolderPath(L"C:\\A").Parent().ToString(false), L"C:\\");
    EXPECT_EQ(FolderPath(L"C:\\").Parent().ToString(false), L"C:\\");
    EXPECT_EQ(FolderPath(L"\\\\srv\\share").Parent().ToString(false), L"\\\\srv\\");
    EXPECT_EQ(FolderPath(L"a").Parent().ToString(false), L"");
}

TEST(FolderPathTest, CreatesListsAndDeletesRealFolders) {
    ScratchFolder scratch;
    FolderPath folder(scratch.Path() + L"\\made\\in\\steps");
    EXPECT_FALSE(folder.Exists());
    ASSERT_TRUE(folder.Create());
    EXPECT_TRUE(folder.Exists());
    EXPECT_TRUE(folder.Create()); // already there

    const std::wstring base = folder.ToString(true);
    test::WriteBytes(base + L"one.txt", "1");
    test::WriteBytes(base + L"two.txt", "2");
    test::WriteBytes(base + L"other.dat", "3");
    ASSERT_TRUE(::CreateDirectoryW((base + L"folder.txt").c_str(), nullptr));
    std::vector<std::wstring> listed = folder.ListFiles(L"*.txt");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::wstring>{base + L"one.txt", base + L"two.txt"}));
    EXPECT_EQ(folder.ListFiles(L"*").size(), 3u);
    EXPECT_TRUE(folder.ListFiles(L"*.none").empty());
    EXPECT_TRUE(FolderPath(scratch.Path() + L"\\missing").ListFiles(L"*").empty());

    // A file standing where the folder should be: nothing is created.
    FolderPath blocked(base + L"one.txt");
    EXPECT_FALSE(blocked.Exists());
    EXPECT_FALSE(blocked.Create());

    FolderPath top(scratch.Path() + L"\\made");
    EXPECT_TRUE(top.Delete());
    EXPECT_FALSE(top.Exists());
    EXPECT_FALSE(test::FileExists(base + L"one.txt"));
}

TEST(FolderPathTest, PathsThatNameNoFolderTouchNothing) {
    ScratchFolder scratch;
    const std::wstring keep = scratch.File(L"keep.txt");
    test::WriteBytes(keep, "kept");
    CurrentFolderScope inScratch(scratch.Path());
    // "C:" without root, ".." above the root, and the empty path: none of them may reach the
    // current folder or the root of its drive.
    for (const wchar_t* text : {L"C:", L"C:A", L"keep\\..\\.."}) {
        FolderPath path(text);
        EXPECT_FALSE(path.IsAcceptable()) << text;
        EXPECT_FALSE(path.Delete()) << text;
        EXPECT_FALSE(path.Exists()) << text;
        EXPECT_FALSE(path.Create()) << text;
        EXPECT_TRUE(path.ListFiles(L"*").empty()) << text;
    }
    FolderPath empty(L"");
    EXPECT_TRUE(empty.IsAcceptable());
    EXPECT_FALSE(empty.Delete());
    EXPECT_FALSE(empty.Exists());
    EXPECT_TRUE(test::FileExists(keep));
}

TEST(FolderPathTest, CurrentFolderIsTheProcessFolder) {
    ScratchFolder scratch;
    CurrentFolderScope inScratch(scratch.Path());
    const FolderPath current = FolderPath::CurrentFolder();
    EXPECT_TRUE(current.IsAcceptable());
    EXPECT_EQ(current.ToString(false), FolderPath(scratch.Path()).ToString(false));
    EXPECT_TRUE(current.Exists());
}

} // namespace
} // namespace quentry
