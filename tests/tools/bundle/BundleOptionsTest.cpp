#include "BundleOptions.h"
#include "common/WideText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry::bundle {
namespace {

bool Parse(std::vector<const wchar_t*> arguments, BundleOptions& options, std::wstring& error) {
    arguments.insert(arguments.begin(), L"quentry-bundle.exe");
    return ParseBundleOptions(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

TEST(BundleOptionsTest, TransformsBelongToThePackageGivenLastAndSelectTheMultiLanguageLayout) {
    BundleOptions options;
    std::wstring error;
    ASSERT_TRUE(Parse({L"-o", L"setup.exe", L"-p", L"main.msi", L"-t", L"1031=main_de.mst",
                       L"--package=sub.msi", L"--transform", L"1041=sub_ja.mst", L"-t", L"1034=sub_es.mst"},
                      options, error))
        << ToUtf8(error);
    ASSERT_EQ(options.packages.size(), 2u);
    EXPECT_EQ(options.packages[0].path, L"main.msi");
    EXPECT_EQ(options.packages[0].transforms, (std::map<LANGID, std::wstring>{{1031, L"main_de.mst"}}));
    EXPECT_EQ(options.packages[1].transforms,
              (std::map<LANGID, std::wstring>{{1034, L"sub_es.mst"}, {1041, L"sub_ja.mst"}}));
    EXPECT_EQ(options.EffectiveLayout(), BundleLayout::MultiLanguage);
    EXPECT_EQ(options.output, L"setup.exe");
}

TEST(BundleOptionsTest, WithoutTransformsTheBuildIsSingleLanguageEnglishWithTheDocumentedDefaults) {
    BundleOptions options;
    std::wstring error;
    ASSERT_TRUE(Parse({L"-p", L"main.msi", L"--output=out\\setup.exe"}, options, error));
    EXPECT_EQ(options.EffectiveLayout(), BundleLayout::SingleLanguage);
    EXPECT_EQ(options.EffectiveLanguage(), 1033);
    EXPECT_EQ(options.os, L"6.1.1");
    EXPECT_EQ(options.minimumMsi, L"200");
    EXPECT_FALSE(options.properties.has_value());
    EXPECT_EQ(options.compression, CabinetCompression::Lzx);
    EXPECT_EQ(options.output, L"out\\setup.exe");
}

TEST(BundleOptionsTest, ListAndHelpNeedNoPackages) {
    for (const auto& arguments :
         std::vector<std::vector<const wchar_t*>>{{L"--list", L"setup.exe"}, {L"/?"}, {L"-h"}, {L"--help"}}) {
        BundleOptions options;
        std::wstring error;
        EXPECT_TRUE(Parse(arguments, options, error)) << ToUtf8(error);
        EXPECT_TRUE(options.help || options.listPath == L"setup.exe");
    }
}

TEST(BundleOptionsTest, MistakesGiveOneReason) {
    struct Case {
        std::vector<const wchar_t*> arguments;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {{L"-o", L"setup.exe"}, L"no package"},
        {{L"-p", L"main.msi"}, L"no output"},
        {{L"-o", L"setup.exe", L"-t", L"1031=de.mst", L"-p", L"main.msi"}, L"comes before any -p"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"-t", L"1033=en.mst"}, L"is not one of 1031, 1034, 1036, 1041"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"-t", L"de.mst"}, L"expects LANGID=FILE"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"-t", L"1031="}, L"expects LANGID=FILE"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"-t", L"99999999=x.mst"}, L"expects LANGID=FILE"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"-t", L"1031=a.mst", L"-t", L"1031=b.mst"}, L"two transforms"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--os", L"abc"}, L"minimum Windows version"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--os", L"6.1.1.0.0"}, L"minimum Windows version"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--os", L"6..1"}, L"minimum Windows version"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--os", L"6.0/Server"}, L"minimum Windows version"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--minimum-msi", L"2.0"}, L"not a decimal number"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--layout", L"dual"}, L"unknown layout"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--language", L"1049"}, L"is not one of 1033"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--layout", L"multi", L"--language", L"1031"},
         L"chooses it at run time"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--compression", L"quantum"}, L"unknown compression"},
        {{L"-o", L"s.exe", L"-p", L"m.msi", L"--frobnicate"}, L"unknown option --frobnicate"},
        {{L"-o", L"s.exe", L"m.msi"}, L"unexpected argument"},
        {{L"-o", L"s.exe", L"-p"}, L"needs a value"},
        {{L"--list", L"s.exe", L"-p", L"m.msi"}, L"takes no -p or -o"},
    };
    for (const Case& c : cases) {
        BundleOptions options;
        std::wstring error;
        std::wstring line;
        for (const wchar_t* argument : c.arguments) {
            line += std::wstring(argument) + L" ";
        }
        const std::string shown = ToUtf8(line);
        EXPECT_FALSE(Parse(c.arguments, options, error)) << shown;
        EXPECT_NE(error.find(c.reason), std::wstring::npos) << shown << " -> " << ToUtf8(error);
        EXPECT_EQ(error.find(L'\n'), std::wstring::npos) << shown;
    }
}

TEST(BundleOptionsTest, OsRequirementsTheLauncherUnderstands) {
    for (const wchar_t* good :
         {L"6.1.1", L"6", L"10.0", L"5.1.3.0", L"6.0/WSOnly", L"WinXP", L"WinNT", L"0"}) {
        EXPECT_TRUE(IsValidOsRequirement(good)) << ToUtf8(good);
    }
    for (const wchar_t* bad :
         {L"", L"winxp", L"6.1.", L".6", L"6.1/", L"6.1/wsonly", L"6,1", L"6.1.1.1.1", L"-6"}) {
        EXPECT_FALSE(IsValidOsRequirement(bad)) << ToUtf8(bad);
    }
}

} // namespace
} // namespace quentry::bundle
