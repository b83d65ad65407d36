// The catalogue as a launcher builds it from its resources, against products that Wine's installer
// really has installed.
#include "catalogue/PackageCatalogue.h"
#include "catalogue/CatalogueTestSupport.h"
#include "catalogue/InstalledProducts.h"
#include "catalogue/PackageResources.h"
#include "common/FileUtilities.h"
#include "common/WideText.h"
#include "engine/WindowsInstaller.h"
#include "launcher/SetupApp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace quentry {
namespace {

using namespace catalogue_test;
using test::BuildPath;
using test::ScratchFolder;

TEST(PackageCatalogueTest, BuildsThreePackagesAgainstReallyInstalledProducts) {
    ASSERT_EQ(Install(PackageFixture(L"CatalogueA")), 0u);
    ASSERT_EQ(Install(PackageFixture(L"CatalogueB")), 0u);
    CatalogueRun run(L"ThreePackages");
    Remove(kProductA);
    Remove(kProductB);

    CSetupApp& app = *run.app;
    EXPECT_EQ(app.m_result.code, Success);
    EXPECT_FALSE(app.m_legacyLayout);
    ASSERT_EQ(app.m_packageCount, 3);
    ASSERT_EQ(app.m_packages.size(), 3u);
    const struct {
        const wchar_t* name;
        const wchar_t* productCode;
        const wchar_t* packageCode;
        bool installed;
        bool fromOtherPackage;
    } expected[] = {
        {L"Quentry Catalogue A", kProductA, L"{7C1A0001-5D2E-4F60-8A7B-9C0D1E2F3B41}", true, false},
        {L"Quentry Catalogue B Web", kProductB, L"{7C1A0002-5D2E-4F60-8A7B-9C0D1E2F3C42}", true, true},
        {L"Quentry Catalogue C Server 2026 rel. 3 sp1", kProductC, L"{7C1A0003-5D2E-4F60-8A7B-9C0D1E2F3B43}",
         false, false},
    };
    for (size_t i = 0; i < 3; ++i) {
        const SetupPackage& package = *app.m_packages[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(package.m_isMain, i == 0);
        EXPECT_EQ(package.m_productName, expected[i].name);
        EXPECT_EQ(package.m_productCode, expected[i].productCode);
        EXPECT_EQ(package.m_packageCode, expected[i].packageCode);
        EXPECT_EQ(package.m_installed, expected[i].installed);
        EXPECT_EQ(package.m_installedFromOtherPackage, expected[i].fromOtherPackage);
        EXPECT_EQ(package.m_packageResource, L"PACKAGE_" + std::to_wstring(i));
        EXPECT_EQ(package.m_transformResourcePattern, L"PACKAGE_" + std::to_wstring(i) + L"_%s");
        EXPECT_EQ(package.m_folder, DataFolder() + L"\\" + expected[i].packageCode);
    }
    // The main product is installed: a sub-package takes part exactly when it is installed too.
    EXPECT_TRUE(app.m_packages[0]->m_selected);
    EXPECT_TRUE(app.m_packages[1]->m_selected);
    EXPECT_FALSE(app.m_packages[2]->m_selected);
    const std::wstring log = run.Log();
    EXPECT_NE(log.find(L"RNX (c): Installer contains 3 packages.\r\n"), std::wstring::npos);
    EXPECT_NE(log.find(L"RNX (c): Initialized state for package Quentry Catalogue B Web.\r\n"),
              std::wstring::npos);
}

// Two packages of one build are damaged in different ways: the run reports the first.
TEST(PackageCatalogueTest, TheFirstFailureIsTheOneReported) {
    ScratchFolder scratch;
    const std::wstring copy = scratch.File(L"damaged.dll");
    test::WriteBytes(copy, test::ReadBytes(FixtureModule(L"ThreePackages.dll")));
    HANDLE update = ::BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    wchar_t empty[] = L"";
    wchar_t notAGuid[] = L"..\\elsewhere";
    ASSERT_TRUE(::UpdateResourceW(update, MAKEINTRESOURCEW(kPackageResourceType), L"PACKAGE_CODE_1", 1033,
                                  empty, sizeof(empty)));
    ASSERT_TRUE(::UpdateResourceW(update, MAKEINTRESOURCEW(kPackageResourceType), L"PACKAGE_CODE_2", 1033,
                                  notAGuid, sizeof(notAGuid)));
    ASSERT_TRUE(::EndUpdateResourceW(update, FALSE));
    CatalogueRun run(copy);
    EXPECT_EQ(run.app->m_result.code, EmptyPackageCode);
    // The later one is still logged.
    EXPECT_NE(run.Log().find(L"is not a GUID"), std::wstring::npos);
}

TEST(PackageCatalogueTest, ReusesAnUnpackFolderHoldingExactlyOneDatabase) {
    const std::wstring folder = DataFolder() + L"\\{7C1A0003-5D2E-4F60-8A7B-9C0D1E2F3B43}";
    test::RemoveTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    test::WriteBytes(folder + L"\\one.msi", "x");
    {
        CatalogueRun run(L"ThreePackages");
        EXPECT_EQ(run.app->m_packages[2]->m_existingMsiPath, folder + L"\\one.msi");
    }
    test::WriteBytes(folder + L"\\two.msi", "x");
    {
        CatalogueRun run(L"ThreePackages");
        EXPECT_EQ(run.app->m_packages[2]->m_existingMsiPath, L"");
    }
    test::RemoveTree(folder);
}

TEST(PackageCatalogueTest, SubPackagePatternsReplaceTheInitialSelection) {
    const struct {
        const wchar_t* arguments;
        bool selected[3];
    } cases[] = {
        {L"/qn", {true, true, true}}, // first installation: nothing installed
        {L"/qn subPackages=none", {true, false, false}},
        {L"/qn subPackages=Web", {true, true, false}},
        {L"/qn subPackages=web", {true, false, false}}, // exact case
        {L"/qn subPackages=all", {true, true, true}},
        {L"/qn subPackages=Server,Web", {true, true, true}},
        {L"/x /qn", {false, false, false}}, // removal: only what is installed
        {L"/f /qn", {false, false, false}}, // repair: likewise
        {L"/u /qn", {true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.arguments)));
        CatalogueRun run(L"ThreePackages", c.arguments);
        ASSERT_EQ(run.app->m_packages.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(run.app->m_packages[i]->m_selected, c.selected[i]) << i;
        }
    }
    CatalogueRun run(L"ThreePackages", L"/qn subPackages=Web");
    const std::wstring log = run.Log();
    EXPECT_NE(
        log.find(L"RNX (c): Avoid skipping of sub-package Quentry Catalogue B Web due to pattern 'Web'.\r\n"),
        std::wstring::npos);
    EXPECT_NE(
        log.find(L"RNX (c): set default handling of package Quentry Catalogue B Web due to command line "
                 L"argument.\r\n"),
        std::wstring::npos);
    EXPECT_NE(
        log.find(L"RNX (c): skipped handling of package Quentry Catalogue C Server 2026 rel. 3 sp1 due to "
                 L"command line argument.\r\n"),
        std::wstring::npos);
}

TEST(PackageCatalogueTest, CountsThatAreNotPositiveNumbersMakeALegacyBuild) {
    for (const wchar_t* fixture : {L"CountAbc", L"CountZero", L"CountNegative", L"Legacy"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(fixture)));
        CatalogueRun run(fixture);
        CSetupApp& app = *run.app;
        EXPECT_EQ(app.m_result.code, Success);
        EXPECT_TRUE(app.m_legacyLayout);
        EXPECT_EQ(app.m_packageCount, 1);
        ASSERT_EQ(app.m_packages.size(), 1u);
        EXPECT_TRUE(app.m_packages[0]->m_isMain);
        EXPECT_EQ(app.m_packages[0]->m_packageResource, L"PACKAGE");
        EXPECT_EQ(app.m_packages[0]->m_transformResourcePattern, L"");
        EXPECT_FALSE(app.m_packages[0]->m_productName.empty());
        EXPECT_NE(run.Log().find(
                      L"RNX (c): This is a legacy installer that doesn't contain package information.\r\n"),
                  std::wstring::npos);
        EXPECT_TRUE(run.messages.empty());
    }
}

TEST(PackageCatalogueTest, ACountBeyondWhatABuildCanHoldIsACorruptBuild) {
    CatalogueRun run(L"CountHuge");
    EXPECT_EQ(run.app->m_result.code, InstallerCorrupted);
    EXPECT_TRUE(run.app->m_packages.empty());
}

TEST(PackageCatalogueTest, StringsAreBoundedByTheirResourcesAndAnEmptyPackageCodeIsCorrupt) {
    CatalogueRun run(L"Malformed", L"");
    CSetupApp& app = *run.app;
    ASSERT_EQ(app.m_packageCount, 2);
    // Odd byte count, no terminating NUL: the whole characters, nothing beyond.
    EXPECT_EQ(app.m_packages[0]->m_productName, L"Odd");
    EXPECT_EQ(app.m_packages[0]->m_productCode, L"{7C1A0007-5D2E-4F60-8A7B-9C0D1E2F3A47}");
    EXPECT_EQ(app.m_packages[0]->m_packageCode, L"");
    EXPECT_EQ(app.m_packages[1]->m_productName, L"Second");
    EXPECT_EQ(app.m_packages[1]->m_productCode, L"");
    EXPECT_FALSE(app.m_packages[1]->m_installed);
    EXPECT_EQ(app.m_result.code, EmptyPackageCode);
    EXPECT_FALSE(app.m_result.reported);
    // Present but empty resources are not missing ones.
    EXPECT_TRUE(run.messages.empty());
}

TEST(PackageCatalogueTest, APackageCodeThatIsNoGuidNamesNoFolderAndFailsTheRun) {
    CatalogueRun run(L"EscapingCode");
    ASSERT_EQ(run.app->m_packages.size(), 1u);
    EXPECT_EQ(run.app->m_packages[0]->m_packageCode, L"..\\..\\Windows");
    EXPECT_EQ(run.app->m_packages[0]->m_folder, L"");
    EXPECT_EQ(run.app->m_result.code, InstallerCorrupted);
}

TEST(PackageCatalogueTest, AMissingResourceOfASingleLanguageBuildIsReportedOnceAndFailsTheRun) {
    {
        CatalogueRun run(L"MissingCode", L"");
        EXPECT_EQ(run.app->m_packages[0]->m_productCode, L"");
        ASSERT_EQ(run.messages.size(), 1u);
        EXPECT_EQ(run.messages[0], L"The required resource PRODUCT_CODE_0 is missing.");
        EXPECT_EQ(run.app->m_result.code, InstallerCorrupted);
        EXPECT_TRUE(run.app->m_result.reported);
        MSG message;
        EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    }
    CatalogueRun quiet(L"MissingCode", L"/qn");
    EXPECT_TRUE(quiet.messages.empty());
    EXPECT_EQ(quiet.app->m_result.code, InstallerCorrupted);
    // The quiet run shows nothing, so its log is the only place that says what is wrong.
    EXPECT_NE(quiet.Log().find(L"RNX (c): The required resource PRODUCT_CODE_0 is missing.\r\n"),
              std::wstring::npos);
}

// The start-up sequence reads the main product's name before the catalogue reads it again: a build
// that lacks it and its product code shows one message, for the first, and logs both, in a quiet
// run as well.
TEST(PackageCatalogueTest, ARunMissingSeveralStringsShowsTheFirstOnceAndLogsEach) {
    ScratchFolder scratch;
    ModulePtr module = LoadResources(L"MissingNameAndCode");
    ASSERT_NE(module, nullptr);

    for (const wchar_t* uiLevel : {L"", L"/qn"}) {
        SCOPED_TRACE(ToUtf8(uiLevel));
        const std::wstring log = scratch.File(L"run.log");
        std::vector<std::wstring> messages;
        test::RecordingInstaller installer;
        LauncherSteps steps = LauncherSteps::Default();
        steps.checkWindowsVersion = nullptr;
        steps.isAnotherLauncherRunning = nullptr;
        steps.hasDirect2D = nullptr;
        steps.hasInstallRights = nullptr;
        steps.runWizard = nullptr;
        steps.deleteUnpackFolders = nullptr;
        steps.messageBox = [&messages](CSetupApp&, const std::wstring& text, UINT) {
            messages.push_back(text);
            return IDOK;
        };
        CSetupApp app(L"quentry.exe " + std::wstring(uiLevel) + L" /L*v \"" + log + L"\"", installer, steps,
                      module.get());
        EXPECT_EQ(app.Run(), InstallerCorrupted);
        if (*uiLevel == L'\0') {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], L"The required resource PRODUCT_NAME_0 is missing.");
        } else {
            EXPECT_TRUE(messages.empty());
        }
        const std::wstring text = test::ReadUtf16(log);
        EXPECT_NE(text.find(L"RNX (c): The required resource PRODUCT_NAME_0 is missing.\r\n"),
                  std::wstring::npos);
        EXPECT_NE(text.find(L"RNX (c): The required resource PRODUCT_CODE_0 is missing.\r\n"),
                  std::wstring::npos);
        EXPECT_EQ(text.find(L"All information collected."), std::wstring::npos);
        ::DeleteFileW(log.c_str());
    }
}

TEST(PackageCatalogueTest, ValidationChecksEveryResourceTheLayoutNeeds) {
    const struct {
        const wchar_t* fixture;
        bool valid;
    } cases[] = {
        {L"ThreePackages", true}, {L"ThreePackagesWithoutTransform", false},
        {L"Legacy", true}, // only OS, MINIMUM_MSI and PACKAGE_COUNT are checked
        {L"CountHuge", false},    {L"MissingCode", false},
    };
    for (const auto& c : cases) {
        ModulePtr module = LoadResources(c.fixture);
        ASSERT_TRUE(module) << testing::PrintToString(std::wstring(c.fixture));
        EXPECT_EQ(ValidateResourceLayout(module.get()), c.valid)
            << testing::PrintToString(std::wstring(c.fixture));
    }
}

TEST(PackageCatalogueTest, SlashVOfARealLauncherExitsWithTheValidationResult) {
    const struct {
        const wchar_t* launcher;
        DWORD exitCode;
    } cases[] = {{L"ThreePackages.exe", 0}, {L"ThreePackagesWithoutTransform.exe", 1}, {L"Legacy.exe", 0}};
    for (const auto& c : cases) {
        ScratchFolder scratch;
        const std::wstring log = scratch.File(L"v.log");
        const auto result =
            test::RunCommand(L"\"" + FixtureModule(c.launcher) + L"\" /v /L*v \"" + log + L"\"", 60000);
        EXPECT_EQ(result.exitCode, c.exitCode) << testing::PrintToString(std::wstring(c.launcher));
        const std::wstring text = test::ReadUtf16(log);
        EXPECT_NE(text.find(L"Validation if all necessary resources have been compiled into setup."),
                  std::wstring::npos);
        EXPECT_EQ(text.find(L"Validation failed!") != std::wstring::npos, c.exitCode == 1);
    }
}

} // namespace
} // namespace quentry
