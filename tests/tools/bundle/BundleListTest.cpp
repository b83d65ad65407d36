// --list: the catalogue of a launcher as the launcher reads it, and what is wrong with it.
#include "BundleTestSupport.h"
#include "catalogue/PackageResources.h"
#include "common/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace quentry::test::bundle {
namespace {

constexpr LANGID kTransformLanguages[] = {1031, 1034, 1036, 1041};

class BundleListTest : public ::testing::Test {
protected:
    ScratchFolder scratch;

    // A multi-language bundle of Alpha and Beta whose transforms differ in size by language.
    std::wstring MultiBundle() {
        std::vector<std::wstring> arguments{L"-o", scratch.File(L"multi.exe")};
        for (const wchar_t* name : {L"BundleAlpha", L"BundleBeta"}) {
            arguments.insert(arguments.end(), {L"-p", Fixture(name)});
            for (LANGID language : kTransformLanguages) {
                const std::wstring path =
                    scratch.File(std::wstring(name) + std::to_wstring(language) + L".mst");
                WriteCompoundFile(path, std::string(language / 10, 'x'));
                arguments.insert(arguments.end(), {L"-t", std::to_wstring(language) + L"=" + path});
            }
        }
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        return scratch.File(L"multi.exe");
    }

    static size_t CabinetSize(const std::wstring& bundle, const std::wstring& name) {
        UniqueModule module = LoadBundle(bundle);
        const auto image = FindPackageResource(module.Get(), name, 0);
        return image ? image->size() - 4 : 0;
    }
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(BundleListTest, ListsThePackagesOfAMultiLanguageBundle) {
    const std::wstring bundle = MultiBundle();
    const ToolRun run = RunTool({L"--list", bundle});
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    const std::string& out = run.out;
    EXPECT_TRUE(Has(out, "Languages: multi-language")) << out;
    EXPECT_TRUE(Has(out, "OS: \"6.1.1\"")) << out;
    EXPECT_TRUE(Has(out, "MINIMUM_MSI: \"200\"")) << out;
    EXPECT_TRUE(Has(out, "PROPERTIES: (none)")) << out;
    EXPECT_TRUE(Has(out, "Packages: 2\r\n")) << out;
    EXPECT_TRUE(Has(out, "Package 0 (main): Quentry Bundle Alpha\r\n")) << out;
    EXPECT_TRUE(Has(out, "Package 1: Quentry Bundle Beta\r\n")) << out;
    EXPECT_TRUE(Has(out, "  product code: \"{9D5EB0B2-6E2F-4A7B-8C9D-0E1F2A3B4C01}\"")) << out;
    EXPECT_TRUE(Has(out, "  package code: \"" + ToUtf8(PackageCodeOf(Fixture(L"BundleAlpha"))) + "\""))
        << out;
    for (const wchar_t* name : {L"PACKAGE_0", L"PACKAGE_1"}) {
        EXPECT_TRUE(Has(out, "  cabinet " + ToUtf8(name) + ": " + std::to_string(CabinetSize(bundle, name)) +
                                 " bytes, "))
            << out;
    }
    EXPECT_TRUE(Has(out, "1 folder, 1 file, first BundleBeta.msi (" +
                             std::to_string(ReadBytes(Fixture(L"BundleBeta")).size()) + " bytes)"))
        << out;
    std::string transforms = "  transforms: ";
    for (LANGID language : kTransformLanguages) {
        transforms +=
            std::to_string(language) + " (" +
            std::to_string(
                ReadBytes(scratch.File(L"BundleBeta" + std::to_wstring(language) + L".mst")).size()) +
            " bytes)" + (language == 1041 ? "" : ", ");
    }
    EXPECT_TRUE(Has(out, transforms)) << out;
    EXPECT_TRUE(Has(out, "Resource validation (/v): passed")) << out;
}

TEST_F(BundleListTest, ListsSingleLanguageAndLegacyBundles) {
    const std::wstring single = scratch.File(L"single.exe");
    ASSERT_EQ(RunTool({L"-o", single, L"-p", Fixture(L"BundleGamma"), L"--language", L"1031", L"--properties",
                       L"X=1"})
                  .exitCode,
              0u);
    ToolRun run = RunTool({L"--list", single});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Has(run.out, "Languages: single-language, German (OS resource in 1031)")) << run.out;
    EXPECT_TRUE(Has(run.out, "PROPERTIES: \"X=1\"")) << run.out;
    EXPECT_TRUE(Has(run.out, "Package 0 (main): Quentry Bundle Gamma")) << run.out;
    EXPECT_TRUE(Has(run.out, "  transforms: none")) << run.out;

    const std::wstring legacy = scratch.File(L"legacy.exe");
    ASSERT_EQ(RunTool({L"-o", legacy, L"-p", Fixture(L"BundleGamma"), L"--layout", L"legacy"}).exitCode, 0u);
    run = RunTool({L"--list", legacy});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Has(run.out, "Packages: 1, legacy layout (PACKAGE_COUNT \"0\")")) << run.out;
    EXPECT_TRUE(Has(run.out, "Package (main): Quentry Bundle Gamma")) << run.out;
    EXPECT_TRUE(
        Has(run.out, "  cabinet PACKAGE: " + std::to_string(CabinetSize(legacy, L"PACKAGE")) + " bytes"))
        << run.out;
}

// A bundle damaged after it was built: a cabinet image whose length field claims more than the
// resource holds, one that holds no cabinet, and a missing package code. --list names each and
// exits with 1; the launcher's own /v agrees about the missing resource.
TEST_F(BundleListTest, DamagedBundlesAreListedWithWhatIsWrong) {
    const std::wstring bundle = MultiBundle();
    const std::vector<BYTE> claimsTooMuch{0x00, 0x10, 0x00, 0x00, 'M', 'S', 'C', 'F'};
    const std::vector<BYTE> noCabinet{0x04, 0x00, 0x00, 0x00, 'M', 'S', 'C', 'F'};
    ASSERT_NO_FATAL_FAILURE(ReplaceResource(bundle, L"PACKAGE_0", 1033, claimsTooMuch));
    ASSERT_NO_FATAL_FAILURE(ReplaceResource(bundle, L"PACKAGE_1", 1033, noCabinet));
    ToolRun run = RunTool({L"--list", bundle});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(
        Has(run.out, "  cabinet PACKAGE_0: corrupt: the length field says 4096 bytes, the resource holds 4"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "  cabinet PACKAGE_1: 4 bytes, corrupt: not a complete cabinet")) << run.out;
    EXPECT_TRUE(Has(run.out, "Resource validation (/v): passed")) << run.out;

    ASSERT_NO_FATAL_FAILURE(ReplaceResource(bundle, L"PACKAGE_CODE_1", 1033, {}));
    run = RunTool({L"--list", bundle});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(Has(run.out, "  package code: (missing)")) << run.out;
    EXPECT_TRUE(Has(run.out, "Resource validation (/v): failed")) << run.out;
    EXPECT_EQ(RunProgram(bundle, L"/v").exitCode, 1u);
}

TEST_F(BundleListTest, FilesThatAreNoLaunchers) {
    WriteBytes(scratch.File(L"text.exe"), "not a program");
    ToolRun run = RunTool({L"--list", scratch.File(L"text.exe")});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(Has(run.err, "quentry-bundle: error: " + ToUtf8(scratch.File(L"text.exe")) +
                                 " is not a Windows program"))
        << run.err;
    run = RunTool({L"--list", scratch.File(L"none.exe")});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(Has(run.err, "quentry-bundle: error: cannot read " + ToUtf8(scratch.File(L"none.exe"))))
        << run.err;
    // The bare launcher carries no packages: listed, but incomplete.
    run = RunTool({L"--list", LauncherPath()});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(Has(run.out, "Resource validation (/v): failed")) << run.out;
}

} // namespace
} // namespace quentry::test::bundle
