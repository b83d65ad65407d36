// Products of this installer that a different installer put on the machine: confirmed and
// removed before the wizard, quietly or through the Install Alert dialog of a real launcher.
#include "catalogue/CatalogueTestSupport.h"
#include "catalogue/InstalledProducts.h"
#include "common/WideText.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

using namespace catalogue_test;

// Product B installed from a source folder that holds only its database, so that the launcher
// can find the database to remove it with.
class InstalledElsewhereTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    MsiWindowsInstaller installer;

    void SetUp() override {
        const std::wstring source = scratch.File(L"source");
        ::CreateDirectoryW(source.c_str(), nullptr);
        ASSERT_TRUE(::CopyFileW(PackageFixture(L"CatalogueB").c_str(), (source + L"\\B.msi").c_str(), FALSE));
        ASSERT_EQ(Install(source + L"\\B.msi"), 0u);
    }
    void TearDown() override { Remove(kProductB); }
    bool BInstalled() { return IsProductInstalled(installer, kProductB); }

    test::ProcessResult RunLauncher(const std::wstring& transcript, const std::vector<std::wstring>& presses,
                                    const std::wstring& log) {
        std::wstring command = L"\"" + BuildPath(L"bin\\uidriver.exe") + L"\" --transcript \"" + transcript +
                               L"\" --timeout 60000";
        for (const std::wstring& press : presses) {
            command += L" --press \"" + press + L"\"";
        }
        command += L" -- \"" + FixtureModule(L"ThreePackages.exe") + L"\" /L*v \"" + log + L"\"";
        return test::RunCommand(command, 90000);
    }
};

TEST_F(InstalledElsewhereTest, AQuietRunRemovesWithoutAsking) {
    CatalogueRun run(L"ThreePackages", L"/qn", true);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(run.app->m_result.code, Success);
    EXPECT_FALSE(BInstalled());
    EXPECT_TRUE(run.app->m_packages[1]->m_selected);
    EXPECT_NE(run.Log().find(
                  L"RNX (c): Found package Quentry Catalogue B Web to be already installed form a differnt "
                  L"package.\r\n"),
              std::wstring::npos);
}

TEST_F(InstalledElsewhereTest, ASinglePackageIsRemovedOnlyWhenTheUserAgrees) {
    {
        CatalogueRun declined(L"SinglePackage", L"", true, IDCANCEL);
        ASSERT_EQ(declined.messages.size(), 1u);
        EXPECT_EQ(
            declined.messages[0],
            L"This product has already been installed on your system from a different installer. It needs to "
            L"be "
            L"uninstalled before this wizard can continue.\nClick OK to let this Wizard uninstall Quentry "
            L"Catalogue B.");
        // One package and Cancel: nothing is removed, and the run carries on.
        EXPECT_EQ(declined.app->m_result.code, Success);
        EXPECT_TRUE(BInstalled());
    }
    CatalogueRun agreed(L"SinglePackage", L"", true, IDOK);
    EXPECT_EQ(agreed.messages.size(), 1u);
    EXPECT_FALSE(BInstalled());
    EXPECT_TRUE(agreed.app->m_packages[0]->m_selected);
}

TEST_F(InstalledElsewhereTest, CancelInTheInstallAlertEndsTheRunWithEight) {
    const std::wstring transcript = scratch.File(L"cancel.txt");
    const std::wstring log = scratch.File(L"cancel.log");
    const auto result = RunLauncher(transcript, {L"Cancel"}, log);
    EXPECT_EQ(result.exitCode, 8u);
    EXPECT_TRUE(BInstalled());
    const std::string shown = test::ReadBytes(transcript);
    EXPECT_NE(shown.find("window \"Install Alert\""), std::string::npos) << shown;
    EXPECT_NE(
        shown.find("Sub-packages of this product have already been installed on your system from a different "
                   "installer."),
        std::string::npos)
        << shown;
    EXPECT_NE(shown.find(": Quentry Catalogue B Web"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Following sub-packages contained in this installer have been installed"),
              std::string::npos)
        << shown;
    EXPECT_EQ(shown.find("unexpected"), std::string::npos) << shown;
    // Declining is no error to report: no ERROR line, no further message.
    EXPECT_EQ(test::ReadUtf16(log).find(L"ERROR"), std::wstring::npos);
}

TEST_F(InstalledElsewhereTest, OkWithTheBoxUntickedKeepsTheSubPackage) {
    const std::wstring transcript = scratch.File(L"untick.txt");
    const auto result =
        RunLauncher(transcript, {L"Following sub-packages*", L"OK", L"Next >", L"Next >", L"Finish"},
                    scratch.File(L"untick.log"));
    EXPECT_EQ(result.exitCode, 0u) << test::ReadBytes(transcript);
    EXPECT_TRUE(BInstalled());
}

TEST_F(InstalledElsewhereTest, OkWithTheBoxTickedRemovesTheSubPackage) {
    const std::wstring transcript = scratch.File(L"ok.txt");
    const std::wstring log = scratch.File(L"ok.log");
    // OK in the Install Alert, then through the wizard.
    const auto result = RunLauncher(transcript, {L"OK", L"Next >", L"Next >", L"Finish"}, log);
    EXPECT_EQ(result.exitCode, 0u) << test::ReadBytes(transcript);
    EXPECT_FALSE(BInstalled());
    // The installer's log of the removal is part of the launcher's log.
    const std::wstring text = test::ReadUtf16(log);
    EXPECT_NE(text.find(L"RNX (c): after delete value - custom installer registry\r\n\r\n"),
              std::wstring::npos)
        << ToUtf8(text);
}

} // namespace
} // namespace quentry
