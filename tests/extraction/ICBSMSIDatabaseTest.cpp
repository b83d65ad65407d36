// The database layer against real installer databases: the platform of a package, and the
// transforms of a command line applied, committed and followed by the files they add. The
// transforms are written for each test by the project's transform tool.
#include "extraction/ICBSMSIDatabase.h"
#include "common/WideText.h"
#include "extraction/ICBSMSIDatabaseQuery.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <msiquery.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

using test::BuildPath;
using test::ScratchFolder;

class DatabaseTest : public testing::Test {
protected:
    void SetUp() override {
        ::CreateDirectoryW(source.c_str(), nullptr);
        ::CreateDirectoryW(destination.c_str(), nullptr);
        ASSERT_TRUE(::CopyFileW(BuildPath(L"fixtures\\transform\\TransformBase.msi").c_str(),
                                database.c_str(), FALSE));
    }

    // A transform of the base package that makes the changes of a description.
    std::wstring Transform(const std::wstring& name, const std::string& description) {
        const std::wstring changes = scratch.File(name + L".txt");
        const std::wstring transform = scratch.File(name);
        EXPECT_TRUE(test::WriteBytes(changes, description));
        const test::ProcessResult run =
            test::RunCommand(L"\"" + BuildPath(L"bin\\quentry-transform.exe") + L"\" --base \"" + database +
                                 L"\" --changes \"" + changes + L"\" --out \"" + transform + L"\"",
                             60000, true);
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        return transform;
    }

    // A value of the database as committed to its file.
    std::wstring Query(const std::wstring& sql) {
        MSIHANDLE handle = 0;
        if (::MsiOpenDatabaseW(database.c_str(), MSIDBOPEN_READONLY, &handle) != ERROR_SUCCESS) {
            return L"<not open>";
        }
        std::wstring value;
        {
            ICBSMSIDatabaseQuery query(handle, sql);
            value = query.Fetch() ? query.GetColumnString(1) : L"<no row>";
        }
        ::MsiCloseHandle(handle);
        return value;
    }

    bool Apply(const std::vector<std::wstring>& names) {
        ICBSMSIDatabase opened(database);
        EXPECT_TRUE(opened.IsOpen()) << ToUtf8(opened.OpenProblem());
        return opened.ApplyTransforms(names, source, destination);
    }

    ScratchFolder scratch;
    const std::wstring database = scratch.File(L"product.msi");
    const std::wstring source = scratch.File(L"source");
    const std::wstring destination = scratch.File(L"destination");
};

TEST_F(DatabaseTest, ThePlatformIsTheTemplateTextBeforeItsLanguages) {
    const struct {
        const wchar_t* templateText;
        const wchar_t* platform;
    } cases[] = {{L"x64;1033", L"x64"}, {L"Intel;1033", L"Intel"}, {L"Intel", L"Intel"}, {L"", L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.templateText));
        {
            // Written through the database's own handle: by path, the summary would not be kept.
            MSIHANDLE handle = 0;
            ASSERT_EQ(::MsiOpenDatabaseW(database.c_str(), MSIDBOPEN_DIRECT, &handle), 0u);
            MSIHANDLE summary = 0;
            ASSERT_EQ(::MsiGetSummaryInformationW(handle, nullptr, 1, &summary), 0u);
            ::MsiSummaryInfoSetPropertyW(summary, ICBSMSIDatabase::kTemplateProperty, VT_LPSTR, 0, nullptr,
                                         c.templateText);
            EXPECT_EQ(::MsiSummaryInfoPersist(summary), 0u);
            ::MsiCloseHandle(summary);
            EXPECT_EQ(::MsiDatabaseCommit(handle), 0u);
            ::MsiCloseHandle(handle);
        }
        ICBSMSIDatabase opened(database);
        ASSERT_TRUE(opened.IsOpen());
        EXPECT_EQ(DatabasePlatform(opened), c.platform);
    }
}

// The installer library is given no file that is not an installer database: a transform, a text
// and a database cut short stay unopened, and nothing can be applied to them.
TEST_F(DatabaseTest, AFileThatIsNoInstallerDatabaseIsNotOpened) {
    const std::wstring transform = Transform(L"a.mst", "Property PROBE_A=1\r\n");
    const std::string bytes = test::ReadBytes(database);
    const std::wstring text = scratch.File(L"text.msi");
    const std::wstring truncated = scratch.File(L"truncated.msi");
    ASSERT_TRUE(test::WriteBytes(text, "not a database at all"));
    ASSERT_TRUE(test::WriteBytes(truncated, bytes.substr(0, bytes.size() / 3)));
    for (const std::wstring& path : {transform, text, truncated, scratch.File(L"missing.msi")}) {
        SCOPED_TRACE(ToUtf8(path));
        ICBSMSIDatabase opened(path);
        EXPECT_FALSE(opened.IsOpen());
        EXPECT_FALSE(opened.OpenProblem().empty());
        EXPECT_EQ(DatabasePlatform(opened), L"");
        EXPECT_FALSE(opened.ApplyTransforms({transform}, source, destination));
    }
    EXPECT_EQ(test::ReadBytes(transform).substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

TEST_F(DatabaseTest, TransformsAreAppliedInOrderAndCommittedUpToTheFirstThatFails) {
    const std::wstring a = Transform(L"a.mst", "Property PROBE_A=first\r\n");
    const std::wstring b = Transform(L"b.mst", "Property PROBE_B=second\r\n");
    const std::wstring notATransform = scratch.File(L"c.mst");
    ASSERT_TRUE(::CopyFileW(database.c_str(), notATransform.c_str(), FALSE));

    EXPECT_FALSE(Apply({a, L":b"}));
    EXPECT_EQ(Query(L"SELECT Value FROM Property WHERE Property='PROBE_A'"), L"first");

    EXPECT_FALSE(Apply({notATransform, b}));
    EXPECT_EQ(Query(L"SELECT Value FROM Property WHERE Property='PROBE_B'"), L"<no row>");

    // A leading "@" is only a marker; empty names between two ";" are skipped.
    EXPECT_TRUE(Apply({L"", L"@" + b}));
    EXPECT_EQ(Query(L"SELECT Value FROM Property WHERE Property='PROBE_B'"), L"second");

    EXPECT_FALSE(Apply({L":embedded", a}));
}

// A new string in a transform's row survives the commit: the installer library of the test
// platform loses them when one handle both views and applies a transform.
TEST_F(DatabaseTest, TheStringsATransformAddsReachTheFile) {
    const std::wstring transform =
        Transform(L"strings.mst", "Property PROBE_NEW_STRING=\"a value no table holds yet\"\r\n"
                                  "insert File File=LooseTxt Component_=ProbeMain "
                                  "FileName=\"LOOSE~1.TXT|loose file.txt\" FileSize=3 "
                                  "Attributes=8192 Sequence=2\r\n");
    ASSERT_TRUE(test::WriteBytes(source + L"\\loose file.txt", "abc"));
    EXPECT_TRUE(Apply({transform}));
    EXPECT_EQ(Query(L"SELECT Value FROM Property WHERE Property='PROBE_NEW_STRING'"),
              L"a value no table holds yet");
    EXPECT_EQ(Query(L"SELECT FileName FROM File WHERE File='LooseTxt'"), L"LOOSE~1.TXT|loose file.txt");
    // The long name of the short|long form is the file copied.
    EXPECT_EQ(test::ReadBytes(destination + L"\\loose file.txt"), "abc");
}

TEST_F(DatabaseTest, AnAddedFileIsCopiedOnceFromTheSourceFolder) {
    const std::wstring transform = Transform(L"loose.mst", "insert File File=LooseTxt Component_=ProbeMain "
                                                           "FileName=loose.txt FileSize=3 Attributes=8192 "
                                                           "Sequence=2\r\n");
    // Not in the source folder: applied, but the copy fails.
    EXPECT_FALSE(Apply({transform}));
    ASSERT_TRUE(
        ::CopyFileW(BuildPath(L"fixtures\\transform\\TransformBase.msi").c_str(), database.c_str(), FALSE));
    ASSERT_TRUE(test::WriteBytes(source + L"\\loose.txt", "new"));
    EXPECT_TRUE(Apply({transform}));
    EXPECT_EQ(test::ReadBytes(destination + L"\\loose.txt"), "new");
    // Already in the destination folder: it is never replaced.
    ASSERT_TRUE(
        ::CopyFileW(BuildPath(L"fixtures\\transform\\TransformBase.msi").c_str(), database.c_str(), FALSE));
    ASSERT_TRUE(test::WriteBytes(source + L"\\loose.txt", "newer"));
    EXPECT_FALSE(Apply({transform}));
    EXPECT_EQ(test::ReadBytes(destination + L"\\loose.txt"), "new");
}

TEST_F(DatabaseTest, ACompressedFileBringsTheCabinetOfItsSequence) {
    const std::wstring transform =
        Transform(L"packed.mst", "insert Media DiskId=10 LastSequence=10 Cabinet=c1.cab\r\n"
                                 "insert Media DiskId=20 LastSequence=20 Cabinet=c2.cab\r\n"
                                 "insert File File=PackedTxt Component_=ProbeMain "
                                 "FileName=packed.txt FileSize=3 Attributes=16384 "
                                 "Sequence=12\r\n");
    ASSERT_TRUE(test::WriteBytes(source + L"\\c1.cab", "one"));
    ASSERT_TRUE(test::WriteBytes(source + L"\\c2.cab", "two"));
    EXPECT_TRUE(Apply({transform}));
    EXPECT_EQ(test::ReadBytes(destination + L"\\c2.cab"), "two");
    EXPECT_FALSE(test::FileExists(destination + L"\\c1.cab"));
}

// A name in a transform's row that is not a plain file name would copy from or to a place
// outside the two folders: nothing is copied and the result says so.
TEST_F(DatabaseTest, ANameThatLeavesTheFoldersCopiesNothing) {
    ASSERT_TRUE(test::WriteBytes(scratch.File(L"x.dll"), "outside"));
    ASSERT_TRUE(test::WriteBytes(source + L"\\x.dll", "inside"));
    const struct {
        const char* description;
    } cases[] = {
        {"insert File File=Up Component_=ProbeMain FileName=..\\x.dll FileSize=1 Attributes=8192 "
         "Sequence=2\r\n"},
        {"insert File File=Up Component_=ProbeMain FileName=\"X.DLL|..\\x.dll\" FileSize=1 Attributes=8192 "
         "Sequence=2\r\n"},
        {"insert File File=Drive Component_=ProbeMain FileName=C:x.dll FileSize=1 Attributes=8192 "
         "Sequence=2\r\n"},
        {"insert File File=Device Component_=ProbeMain FileName=NUL.txt FileSize=1 Attributes=8192 "
         "Sequence=2\r\n"},
        {"insert Media DiskId=30 LastSequence=30 Cabinet=..\\x.dll\r\n"
         "insert File File=Packed Component_=ProbeMain FileName=p.txt FileSize=1 Attributes=16384 "
         "Sequence=25\r\n"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        ASSERT_TRUE(::CopyFileW(BuildPath(L"fixtures\\transform\\TransformBase.msi").c_str(),
                                database.c_str(), FALSE));
        const std::wstring transform = Transform(L"escape" + std::to_wstring(n++) + L".mst", c.description);
        EXPECT_FALSE(Apply({transform}));
        EXPECT_EQ(test::FilesIn(destination).size(), 0u);
        EXPECT_EQ(test::ReadBytes(scratch.File(L"x.dll")), "outside");
    }
}

} // namespace
} // namespace quentry
