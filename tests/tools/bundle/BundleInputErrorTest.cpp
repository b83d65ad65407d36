// Bad input to the bundle builder: one clear line on the error output, a non-zero exit code, and
// the output left exactly as it was (no half-written launcher, no temporary file beside it).
#include "BundleTestSupport.h"
#include "common/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace quentry::test::bundle {
namespace {

constexpr LANGID kTransformLanguages[] = {1031, 1034, 1036, 1041};
constexpr char kPreviousBuild[] = "the launcher of an earlier build";

class BundleInputErrorTest : public ::testing::Test {
public:
    ScratchFolder scratch;
    ScratchFolder outFolder;
    std::wstring output;

    void SetUp() override {
        output = outFolder.File(L"setup.exe");
        WriteBytes(output, kPreviousBuild);
        WriteBytes(scratch.File(L"text.txt"), "this is not an installer database\r\n");
        for (LANGID language : kTransformLanguages) {
            WriteCompoundFile(Transform(language), "transform " + std::to_string(language));
        }
    }

    std::wstring Transform(LANGID language) const {
        return scratch.File(L"alpha_" + std::to_wstring(language) + L".mst");
    }
    std::vector<std::wstring> TransformsOf(std::initializer_list<LANGID> languages) const {
        std::vector<std::wstring> arguments;
        for (LANGID language : languages) {
            arguments.push_back(L"-t");
            arguments.push_back(std::to_wstring(language) + L"=" + Transform(language));
        }
        return arguments;
    }
    // A copy of a fixture package edited by SQL statements and, when given, a new package code.
    std::wstring Edited(const wchar_t* name, const wchar_t* fixture, std::vector<std::wstring> statements,
                        std::optional<std::wstring> packageCode = std::nullopt) {
        const std::wstring path = scratch.File(name);
        CopyPackage(Fixture(fixture), path, statements, packageCode);
        return path;
    }
};

struct Case {
    const char* what;
    std::function<std::vector<std::wstring>(BundleInputErrorTest&)> arguments;
    const wchar_t* reason;
    DWORD exitCode = 1;
};

TEST_F(BundleInputErrorTest, EveryBadInputIsOneClearLineAndLeavesTheOutputAlone) {
    const std::wstring alphaCode = L"{9D5EB0A1-6E2F-4A7B-8C9D-0E1F2A3B4C01}";
    const Case cases[] = {
        {"missing package",
         [](auto& t) {
             return std::vector<std::wstring>{L"-p", t.scratch.File(L"none.msi")};
         },
         L"cannot read package"},
        {"package that is not a database",
         [](auto& t) {
             return std::vector<std::wstring>{L"-p", t.scratch.File(L"text.txt")};
         },
         L"is not an installer database"},
        {"transform given as a package",
         [](auto& t) {
             return std::vector<std::wstring>{L"-p", t.Transform(1031)};
         },
         L"is not an installer database"},
        {"package without ProductCode",
         [](auto& t) {
             return std::vector<std::wstring>{
                 L"-p", t.Edited(L"nocode.msi", L"BundleAlpha",
                                 {L"DELETE FROM `Property` WHERE `Property` = 'ProductCode'"})};
         },
         L"has no ProductCode"},
        {"package without ProductName",
         [](auto& t) {
             return std::vector<std::wstring>{
                 L"-p", t.Edited(L"noname.msi", L"BundleAlpha",
                                 {L"DELETE FROM `Property` WHERE `Property` = 'ProductName'"})};
         },
         L"has no ProductName"},
        {"product code that is not a GUID",
         [](auto& t) {
             return std::vector<std::wstring>{
                 L"-p",
                 t.Edited(L"badcode.msi", L"BundleAlpha",
                          {L"UPDATE `Property` SET `Value` = 'PRODUCT' WHERE `Property` = 'ProductCode'"})};
         },
         L"ProductCode that is not a GUID"},
        {"empty package code",
         [](auto& t) {
             return std::vector<std::wstring>{L"-p", t.Edited(L"empty.msi", L"BundleAlpha", {}, L"")};
         },
         L"has an empty package code"},
        {"package code that would leave the unpack folder",
         [](auto& t) {
             return std::vector<std::wstring>{
                 L"-p", t.Edited(L"escape.msi", L"BundleAlpha", {}, L"..\\..\\Windows")};
         },
         L"package code that is not a GUID"},
        {"two packages with one product code",
         [alphaCode](auto& t) {
             return std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha"), L"-p",
                                              t.Edited(L"twin.msi", L"BundleBeta",
                                                       {L"UPDATE `Property` SET `Value` = '" + alphaCode +
                                                        L"' WHERE `Property` = 'ProductCode'"},
                                                       L"{0B5E0000-1111-4222-8333-444455556666}")};
         },
         L"have the same product code"},
        {"two packages with one package code",
         [](auto& t) {
             return std::vector<std::wstring>{
                 L"-p", Fixture(L"BundleAlpha"), L"-p",
                 t.Edited(L"sibling.msi", L"BundleBeta", {}, PackageCodeOf(Fixture(L"BundleAlpha")))};
         },
         L"have the same package code"},
        {"one package twice",
         [](auto&) {
             return std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha"), L"-p", Fixture(L"BundleAlpha")};
         },
         L"have the same product code"},
        {"missing transform",
         [](auto& t) {
             auto a = std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha")};
             const auto more = t.TransformsOf({1031, 1034, 1036});
             a.insert(a.end(), more.begin(), more.end());
             a.insert(a.end(), {L"-t", L"1041=" + t.scratch.File(L"none.mst")});
             return a;
         },
         L"transform: cannot read"},
        {"transform that is a text file",
         [](auto& t) {
             auto a = std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha")};
             const auto more = t.TransformsOf({1031, 1034, 1036});
             a.insert(a.end(), more.begin(), more.end());
             a.insert(a.end(), {L"-t", L"1041=" + t.scratch.File(L"text.txt")});
             return a;
         },
         L"is not an installer transform"},
        {"transform that is a database",
         [](auto& t) {
             auto a = std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha")};
             const auto more = t.TransformsOf({1034, 1036, 1041});
             a.insert(a.end(), more.begin(), more.end());
             a.insert(a.end(), {L"-t", L"1031=" + Fixture(L"BundleBeta")});
             return a;
         },
         L"is not an installer transform"},
        {"multi-language build without every transform",
         [](auto& t) {
             auto a = std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha")};
             const auto more = t.TransformsOf({1031, 1036, 1041});
             a.insert(a.end(), more.begin(), more.end());
             return a;
         },
         L"has no transform for language 1034"},
        {"transforms in a single-language build",
         [](auto& t) {
             auto a = std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha"), L"--layout", L"single"};
             const auto more = t.TransformsOf({1031});
             a.insert(a.end(), more.begin(), more.end());
             return a;
         },
         L"only a multi-language build carries"},
        {"legacy build of two packages",
         [](auto&) {
             return std::vector<std::wstring>{
                 L"-p", Fixture(L"BundleAlpha"), L"-p", Fixture(L"BundleBeta"), L"--layout", L"legacy"};
         },
         L"exactly one package"},
        {"missing launcher",
         [](auto& t) {
             return std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha"), L"-l",
                                              t.scratch.File(L"none.exe")};
         },
         L"cannot read launcher"},
        {"launcher that is not a program",
         [](auto& t) {
             return std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha"), L"-l",
                                              t.scratch.File(L"text.txt")};
         },
         L"is not a Windows program"},
        {"bitmap of the wrong size",
         [](auto& t) {
             WriteBitmapFile(t.scratch.File(L"small.bmp"), 32, 32);
             return std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha"), L"--bitmap",
                                              t.scratch.File(L"small.bmp")};
         },
         L"is 32x32 with 24 bits per pixel"},
        {"bitmap of the wrong depth",
         [](auto& t) {
             WriteBitmapFile(t.scratch.File(L"deep.bmp"), 48, 48, 32);
             return std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha"), L"--bitmap",
                                              t.scratch.File(L"deep.bmp")};
         },
         L"is 48x48 with 32 bits per pixel"},
        {"bitmap that is not one",
         [](auto& t) {
             return std::vector<std::wstring>{L"-p", Fixture(L"BundleAlpha"), L"--bitmap",
                                              t.scratch.File(L"text.txt")};
         },
         L"is not a .bmp file"},
        {"mistake on the command line",
         [](auto&) {
             return std::vector<std::wstring>{L"-t", L"1031=x.mst"};
         },
         L"comes before any -p", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::wstring> arguments = c.arguments(*this);
        ASSERT_FALSE(HasFailure());
        arguments.insert(arguments.begin(), {L"-o", output});
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("quentry-bundle: error: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(ToUtf8(c.reason)), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "more than one line: " << run.err;
        EXPECT_EQ(ReadBytes(output), kPreviousBuild);
        EXPECT_EQ(FilesIn(outFolder.Path()), std::vector<std::wstring>{L"setup.exe"});
    }
}

// An output that cannot be written: its folder is missing, or it names a folder. Nothing is left
// behind in either place.
TEST_F(BundleInputErrorTest, OutputThatCannotBeWritten) {
    const std::wstring missingFolder = scratch.File(L"missing\\setup.exe");
    const std::wstring folder = scratch.File(L"folder.exe");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const auto before = FilesIn(scratch.Path());
    for (const std::wstring& target : {missingFolder, folder}) {
        SCOPED_TRACE(ToUtf8(target));
        const ToolRun run = RunTool({L"-o", target, L"-p", Fixture(L"BundleAlpha")});
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.err.find("quentry-bundle: error: cannot write " + ToUtf8(target)), std::string::npos)
            << run.err;
        EXPECT_EQ(FilesIn(scratch.Path()), before);
        EXPECT_TRUE(FilesIn(folder).empty());
    }
    EXPECT_EQ(::GetFileAttributesW(scratch.File(L"missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

} // namespace
} // namespace quentry::test::bundle
