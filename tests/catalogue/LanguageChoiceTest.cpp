// The wizard language of a run: lang= and the user's language in a multi-language build, the
// language the build was made in otherwise.
#include "catalogue/CatalogueTestSupport.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

using namespace catalogue_test;

std::wstring LanguageOf(const std::wstring& fixture, const std::wstring& arguments,
                        std::wstring* title = nullptr) {
    ModulePtr module = LoadResources(fixture);
    test::RecordingInstaller installer;
    LauncherSteps steps;
    steps.mainProductName = [](CSetupApp& app) {
        return ReadPackageString(app.PackageStrings(), L"PRODUCT_NAME_0").text;
    };
    CSetupApp app(L"quentry.exe /qn " + arguments, installer, steps, module.get());
    app.InitInstance();
    app.ExitInstance();
    if (title) {
        *title = app.Title();
    }
    return app.m_languages.Current()->englishName;
}

TEST(LanguageChoiceTest, AMultiLanguageBuildFollowsLangOrTheUsersLanguage) {
    EXPECT_EQ(LanguageOf(L"ThreePackages", L"lang=german"), L"German");
    EXPECT_EQ(LanguageOf(L"ThreePackages", L"lang=Japanese"), L"Japanese");
    EXPECT_EQ(LanguageOf(L"ThreePackages", L"lang=Klingon"), L"English");
    // Without lang=, the user's language: English in the test prefix.
    EXPECT_EQ(LanguageOf(L"ThreePackages", L""), L"English");
}

TEST(LanguageChoiceTest, ASingleLanguageBuildSpeaksTheLanguageItWasMadeIn) {
    std::wstring title;
    EXPECT_EQ(LanguageOf(L"GermanSingle", L"lang=French", &title), L"German");
    EXPECT_EQ(title, L"Quentry Beispiel - Installationsassistent");
    EXPECT_EQ(LanguageOf(L"Legacy", L"lang=German"), L"English");
}

} // namespace
} // namespace quentry
