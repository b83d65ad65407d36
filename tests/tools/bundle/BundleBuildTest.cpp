// Bundles built by the real tool, read back by the launcher's own resource functions, its cabinet
// engine and its /v run.
#include "BundleTestSupport.h"
#include "CabinetSummary.h"
#include "catalogue/PackageResources.h"
#include "common/WideText.h"
#include "extraction/ICBSCabinetExtractor.h"
#include "launcher/SetupApp.h"
#include "support/RecordingInstaller.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace quentry::test::bundle {
namespace {

using quentry::bundle::kCompressionLzx21;
using quentry::bundle::kCompressionMsZip;
using quentry::bundle::kCompressionNone;

constexpr LANGID kTransformLanguages[] = {1031, 1034, 1036, 1041};

std::string Text(const std::vector<BYTE>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class BundleBuildTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    RecordingInstaller installer;
    std::vector<std::wstring> messages;

    // -p package -t 1031=... for the four languages, each transform with its own content.
    std::vector<std::wstring> PackageWithTransforms(const std::wstring& name) {
        std::vector<std::wstring> arguments{L"-p", Fixture(name)};
        for (LANGID language : kTransformLanguages) {
            const std::wstring path = TransformPath(name, language);
            WriteCompoundFile(path, ToUtf8(name) + " transform " + std::to_string(language));
            arguments.push_back(L"-t");
            arguments.push_back(std::to_wstring(language) + L"=" + path);
        }
        return arguments;
    }
    std::wstring TransformPath(const std::wstring& name, LANGID language) const {
        return scratch.File(name + L"_" + std::to_wstring(language) + L".mst");
    }

    void Build(std::vector<std::wstring> arguments, const std::wstring& output,
               std::string* printed = nullptr) {
        arguments.insert(arguments.begin(), {L"-o", output});
        const ToolRun run = RunTool(arguments);
        if (printed != nullptr) {
            *printed = run.out;
        }
        ASSERT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("Wrote "), std::string::npos) << run.out;
        ExpectValid(output);
    }

    // What "quentry.exe /v" checks, in this process and by the launcher itself.
    static void ExpectValid(const std::wstring& bundle) {
        UniqueModule module = LoadBundle(bundle);
        ASSERT_TRUE(module);
        EXPECT_TRUE(ValidateResourceLayout(module.Get()));
        module.Reset();
        EXPECT_EQ(RunProgram(bundle, L"/v").exitCode, 0u) << "the launcher's /v rejects " << ToUtf8(bundle);
    }

    // Runs the launcher's start-up with /v on the bundle's resources; inspect sees the context
    // afterwards (language chosen, layout flags), with the bundle's strings readable through it.
    void WithLauncher(HMODULE bundle, const std::function<void(CSetupApp&)>& inspect) {
        LauncherSteps steps = LauncherSteps::Default();
        steps.messageBox = [this](CSetupApp&, const std::wstring& text, UINT) {
            messages.push_back(text);
            return IDOK;
        };
        CSetupApp app(L"\"C:\\x\\setup.exe\" /v", installer, steps, bundle);
        app.InitInstance();
        EXPECT_EQ(app.m_result.code, 0) << "the launcher's validation failed";
        inspect(app);
        app.ExitInstance();
        EXPECT_TRUE(messages.empty()) << ToUtf8(messages.front());
    }

    // The cabinet resource, extracted by the launcher's cabinet engine, holds exactly the package.
    void ExpectCabinetHolds(HMODULE bundle, const std::wstring& resource, const std::wstring& package,
                            const std::wstring& storedName) {
        ScratchFolder target;
        ICBSCabinetExtractor extractor(L"Package.cab", resource, target.Path(), bundle, 0);
        ASSERT_TRUE(extractor.ExtractAll(nullptr)) << ToUtf8(resource);
        EXPECT_EQ(FilesIn(target.Path()), std::vector<std::wstring>{storedName});
        EXPECT_TRUE(ReadBytes(target.File(storedName)) == ReadBytes(package)) << ToUtf8(resource);
    }
};

// Three packages with their transforms: every name, code, cabinet and transform reads back
// through the launcher's functions exactly as the packages and files hold them.
TEST_F(BundleBuildTest, MultiLanguageBundleReadsBackThroughTheLauncher) {
    const std::wstring names[] = {L"BundleAlpha", L"BundleBeta", L"BundleGamma"};
    std::vector<std::wstring> arguments{L"--os", L"6.0/WSOnly",   L"--minimum-msi",
                                        L"500",  L"--properties", L"ALPHA=1 BETA=\"two words\""};
    for (const std::wstring& name : names) {
        const auto more = PackageWithTransforms(name);
        arguments.insert(arguments.end(), more.begin(), more.end());
    }
    const std::wstring output = scratch.File(L"setup.exe");
    ASSERT_NO_FATAL_FAILURE(Build(arguments, output));

    UniqueModule bundle = LoadBundle(output);
    ASSERT_TRUE(bundle);
    WithLauncher(bundle.Get(), [&](CSetupApp& app) {
        EXPECT_TRUE(app.m_multiLanguageResources);
        EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PACKAGE_COUNT").text, L"3");
        EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"OS").text, L"6.0/WSOnly");
        EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"MINIMUM_MSI").text, L"500");
        EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PROPERTIES").text, L"ALPHA=1 BETA=\"two words\"");
        for (int n = 0; n < 3; ++n) {
            const std::wstring package = Fixture(names[n]);
            const std::wstring index = std::to_wstring(n);
            EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PRODUCT_NAME_" + index).text,
                      PackageProperty(package, L"ProductName"));
            EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PRODUCT_CODE_" + index).text,
                      PackageProperty(package, L"ProductCode"));
            EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PACKAGE_CODE_" + index).text,
                      PackageCodeOf(package));
            for (LANGID language : kTransformLanguages) {
                const auto blob =
                    ReadPackageBlob(app.ResourceModule(), Format(L"PACKAGE_%d_%u", n, language), language);
                EXPECT_EQ(std::string(blob.begin(), blob.end()), ReadBytes(TransformPath(names[n], language)))
                    << n << " " << language;
            }
            ExpectCabinetHolds(bundle.Get(), L"PACKAGE_" + index, package, names[n] + L".msi");
        }
        EXPECT_TRUE(ReadPackageBlob(app.ResourceModule(), L"PACKAGE_0_1031", 1033).empty())
            << "a transform in the strings' language";
    });
}

// A single-language build in each wizard language: every string is stored in that language (and
// only there), the launcher picks that language from the OS resource and reads every string
// without a missing-resource message; the compression of the cabinets is what was asked for (LZX
// only where the platform writes it).
TEST_F(BundleBuildTest, SingleLanguageBundleFixesTheWizardLanguage) {
    struct Case {
        LANGID language;
        const wchar_t* compression;
        std::vector<uint16_t> folderTypes;
    };
    const Case cases[] = {
        {1033, L"mszip", {kCompressionMsZip}},
        {1031, L"none", {kCompressionNone}},
        {1034, L"lzx", {kCompressionLzx21, kCompressionMsZip}},
        {1036, L"mszip", {kCompressionMsZip}},
        {1041, L"none", {kCompressionNone}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        const std::wstring output = scratch.File(L"single" + std::to_wstring(c.language) + L".exe");
        std::string printed;
        ASSERT_NO_FATAL_FAILURE(
            Build({L"-p", Fixture(L"BundleAlpha"), L"-p", Fixture(L"BundleBeta"), L"--language",
                   std::to_wstring(c.language), L"--compression", c.compression},
                  output, &printed));
        UniqueModule bundle = LoadBundle(output);
        ASSERT_TRUE(bundle);
        for (const wchar_t* name :
             {L"OS", L"MINIMUM_MSI", L"PACKAGE_COUNT", L"PRODUCT_NAME_1", L"PACKAGE_1"}) {
            EXPECT_TRUE(ResourceBytes(bundle.Get(), MAKEINTRESOURCEW(40), name, c.language)) << ToUtf8(name);
            for (LANGID other : {1033, 1031, 1034, 1036, 1041}) {
                if (other != c.language) {
                    EXPECT_FALSE(ResourceBytes(bundle.Get(), MAKEINTRESOURCEW(40), name, other))
                        << ToUtf8(name);
                }
            }
        }
        WithLauncher(bundle.Get(), [&](CSetupApp& app) {
            EXPECT_FALSE(app.m_multiLanguageResources);
            ASSERT_NE(app.m_languages.Current(), nullptr);
            EXPECT_EQ(app.m_languages.Current()->langId, c.language);
            EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PACKAGE_COUNT").text, L"2");
            EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"OS").text, L"6.1.1");
            EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PRODUCT_NAME_1").text,
                      L"Quentry Bundle Beta");
            EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PACKAGE_CODE_0").text,
                      PackageCodeOf(Fixture(L"BundleAlpha")));
        });
        const auto image = FindPackageResource(bundle.Get(), L"PACKAGE_1", 0);
        ASSERT_TRUE(image && image->size() > 4);
        const auto summary = quentry::bundle::ReadCabinetSummary(image->subspan(4));
        ASSERT_TRUE(summary);
        EXPECT_NE(std::find(c.folderTypes.begin(), c.folderTypes.end(), summary->firstFolderCompression),
                  c.folderTypes.end())
            << summary->firstFolderCompression;
        // LZX asked for and MSZIP written: said so, once.
        const bool fellBack =
            std::wstring(c.compression) == L"lzx" && summary->firstFolderCompression == kCompressionMsZip;
        EXPECT_EQ(printed.find("Note: this platform's cabinet library does not compress with LZX") !=
                      std::string::npos,
                  fellBack)
            << printed;
        ExpectCabinetHolds(bundle.Get(), L"PACKAGE_1", Fixture(L"BundleBeta"), L"BundleBeta.msi");
    }
}

// The old single-package names, with a PACKAGE_COUNT of 0 so that the launcher takes the legacy
// layout and its validation finds what it asks for.
TEST_F(BundleBuildTest, LegacyBundleUsesTheOldNames) {
    const std::wstring output = scratch.File(L"legacy.exe");
    ASSERT_NO_FATAL_FAILURE(
        Build({L"-p", Fixture(L"BundleGamma"), L"--layout", L"legacy", L"--language", L"1036"}, output));
    UniqueModule bundle = LoadBundle(output);
    ASSERT_TRUE(bundle);
    // The one indexed name it carries: the launcher's title and usage groups come from it.
    ASSERT_TRUE(FindPackageResource(bundle.Get(), L"PRODUCT_NAME_0", 0));
    EXPECT_EQ(ResourceText(*FindPackageResource(bundle.Get(), L"PRODUCT_NAME_0", 0)),
              L"Quentry Bundle Gamma");
    EXPECT_FALSE(FindPackageResource(bundle.Get(), L"PACKAGE_0", 0));
    EXPECT_FALSE(FindPackageResource(bundle.Get(), L"PRODUCT_CODE_0", 0));
    WithLauncher(bundle.Get(), [&](CSetupApp& app) {
        EXPECT_EQ(app.m_languages.Current()->langId, 1036);
        EXPECT_LE(ParsePackageCount(ReadPackageString(app.PackageStrings(), L"PACKAGE_COUNT").text), 0);
        EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PRODUCTNAME").text, L"Quentry Bundle Gamma");
        EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PRODUCTCODE").text,
                  L"{9D5EB0C3-6E2F-4A7B-8C9D-0E1F2A3B4C01}");
        EXPECT_EQ(ReadPackageString(app.PackageStrings(), L"PACKAGECODE").text,
                  PackageCodeOf(Fixture(L"BundleGamma")));
    });
    ExpectCabinetHolds(bundle.Get(), L"PACKAGE", Fixture(L"BundleGamma"), L"BundleGamma.msi");
}

// A whole quiet run of a legacy bundle, not only its validation: the launcher finds its title and
// reads the one package under the old names.
TEST_F(BundleBuildTest, LegacyBundleRunsQuietly) {
    const std::wstring output = scratch.File(L"legacy.exe");
    ASSERT_NO_FATAL_FAILURE(Build({L"-p", Fixture(L"BundleGamma"), L"--layout", L"legacy"}, output));
    const std::wstring log = scratch.File(L"legacy.log");
    const ToolRun run = RunProgram(output, L"/qn /L*v \"" + log + L"\"");
    const std::string text = ToUtf8(ReadUtf16(log));
    EXPECT_EQ(run.exitCode, 0u) << text;
    EXPECT_NE(text.find("This is a legacy installer"), std::string::npos) << text;
    EXPECT_EQ(text.find("is missing"), std::string::npos) << text;
}

// A launcher that is a bundle already: nothing of its packages survives into the new build (a
// stale PACKAGE_0_1031 would even turn it into a multi-language build).
TEST_F(BundleBuildTest, RebundlingRemovesTheLaunchersOldPackages) {
    std::vector<std::wstring> arguments = PackageWithTransforms(L"BundleAlpha");
    const auto more = PackageWithTransforms(L"BundleBeta");
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.insert(arguments.end(), {L"--properties", L"OLD=1"});
    const std::wstring first = scratch.File(L"first.exe");
    ASSERT_NO_FATAL_FAILURE(Build(arguments, first));

    const std::wstring second = scratch.File(L"second.exe");
    ASSERT_NO_FATAL_FAILURE(Build({L"-l", first, L"-p", Fixture(L"BundleGamma")}, second));
    UniqueModule bundle = LoadBundle(second);
    ASSERT_TRUE(bundle);
    EXPECT_FALSE(IsMultiLanguageBuild(bundle.Get()));
    for (const wchar_t* gone :
         {L"PACKAGE_1", L"PRODUCT_NAME_1", L"PACKAGE_0_1031", L"PACKAGE_1_1041", L"PROPERTIES"}) {
        EXPECT_FALSE(FindPackageResource(bundle.Get(), gone, 0)) << ToUtf8(gone);
    }
    EXPECT_EQ(ResourceText(*FindPackageResource(bundle.Get(), L"PRODUCT_NAME_0", 0)),
              L"Quentry Bundle Gamma");
    EXPECT_EQ(ResourceText(*FindPackageResource(bundle.Get(), L"PACKAGE_COUNT", 0)), L"1");
    // The launcher's own resources (its string tables, for one) are kept.
    EXPECT_FALSE(LanguageTable::LoadStringIn(bundle.Get(), 1, 1033).empty());
}

// Product codes are stored upper-case, as the launcher's detection expects them.
TEST_F(BundleBuildTest, ProductCodeIsStoredUpperCase) {
    const std::wstring package = scratch.File(L"lower.msi");
    ASSERT_NO_FATAL_FAILURE(
        CopyPackage(Fixture(L"BundleAlpha"), package,
                    {L"UPDATE `Property` SET `Value` = '{9d5eb0a1-6e2f-4a7b-8c9d-0e1f2a3b4c01}' "
                     L"WHERE `Property` = 'ProductCode'"}));
    ASSERT_EQ(PackageProperty(package, L"ProductCode"), L"{9d5eb0a1-6e2f-4a7b-8c9d-0e1f2a3b4c01}");
    const std::wstring output = scratch.File(L"upper.exe");
    ASSERT_NO_FATAL_FAILURE(Build({L"-p", package}, output));
    UniqueModule bundle = LoadBundle(output);
    EXPECT_EQ(ResourceText(*FindPackageResource(bundle.Get(), L"PRODUCT_CODE_0", 0)),
              L"{9D5EB0A1-6E2F-4A7B-8C9D-0E1F2A3B4C01}");
}

// The product bitmap goes where the wizard loads it from: language 1033 in a multi-language
// build, the build's language otherwise; its bytes are the file without the file header.
TEST_F(BundleBuildTest, ProductBitmapIsStoredInTheWizardsLanguage) {
    const std::wstring bitmap = scratch.File(L"product.bmp");
    WriteBitmapFile(bitmap, 48, 48);
    const std::string file = ReadBytes(bitmap);
    const std::string expected = file.substr(14);

    const std::wstring multi = scratch.File(L"multi.exe");
    auto arguments = PackageWithTransforms(L"BundleAlpha");
    arguments.insert(arguments.end(), {L"--bitmap", bitmap});
    ASSERT_NO_FATAL_FAILURE(Build(arguments, multi));
    const std::wstring single = scratch.File(L"single.exe");
    ASSERT_NO_FATAL_FAILURE(
        Build({L"-p", Fixture(L"BundleAlpha"), L"--language", L"1041", L"--bitmap", bitmap}, single));

    for (const auto& [path, language] : {std::pair{multi, LANGID{1033}}, std::pair{single, LANGID{1041}}}) {
        UniqueModule bundle = LoadBundle(path);
        const auto bytes = ResourceBytes(bundle.Get(), RT_BITMAP, L"IDB_PRODUCT_BITMAP", language);
        ASSERT_TRUE(bytes) << language;
        EXPECT_TRUE(Text(*bytes) == expected) << language;
    }
}

} // namespace
} // namespace quentry::test::bundle
