// The launcher's Add/Remove Programs entry, rewritten in the entry that Wine's installer made when
// it really installed a package, and read back after every phase.
#include "engine/UninstallRegistration.h"
#include "catalogue/SetupPackage.h"
#include "common/RegistryKey.h"
#include "engine/WindowsInstaller.h"
#include "launcher/SetupApp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

using test::ScratchFolder;

const wchar_t kProduct[] = L"{7C1A0001-5D2E-4F60-8A7B-9C0D1E2F3A41}";

TEST(UninstallRegistrationTest, PacksGuidsAsTheInstallerDoes) {
    const struct {
        const wchar_t* guid;
        const wchar_t* packed;
    } cases[] = {
        {L"{12345678-90AB-CDEF-1234-567890ABCDEF}", L"87654321BA09FEDC2143658709BADCFE"},
        {L"{7C1A0001-5D2E-4F60-8A7B-9C0D1E2F3A41}", L"1000A1C7E2D506F4A8B7C9D0E1F2A314"},
        {L"12345678-90AB-CDEF-1234-567890ABCDEF", L""},  // no braces
        {L"{12345678-90AB-CDEF-1234-567890ABCDE}", L""}, // 37 characters
        {L"{12345678+90AB-CDEF-1234-567890ABCDEF}", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PackGuid(c.guid), c.packed) << testing::PrintToString(std::wstring(c.guid));
    }
}

// Product A installed for real; a launcher context with a German, multi-language wizard; the main
// package's unpack folder in a scratch folder.
class UninstallEntryTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    MsiWindowsInstaller installer;
    std::unique_ptr<CSetupApp> app;
    std::unique_ptr<SetupPackage> package;
    std::wstring launcherCopy;

    void SetUp() override {
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        // Per machine: the advertised registration is then under the machine's classes.
        ASSERT_EQ(::MsiInstallProductW(test::BuildPath(L"fixtures\\packages\\CatalogueA.msi").c_str(),
                                       L"ALLUSERS=1"),
                  0u);
        LauncherSteps steps;
        app = std::make_unique<CSetupApp>(L"quentry.exe /qn /L*v \"" + scratch.File(L"run.log") + L"\"",
                                          installer, steps);
        app->m_multiLanguageResources = true;
        app->m_languages.SelectByName(L"German");
        app->m_osMajorVersion = 6;
        app->m_osMinorVersion = 1;
        package = std::make_unique<SetupPackage>(*app, L"N", L"C", L"P", L"PACKAGE_0", L"PACKAGE_0_%s", true);
        package->m_productName = L"Quentry Catalogue A";
        package->m_productCode = kProduct;
        package->m_folder = scratch.File(L"package");
        ::CreateDirectoryW(package->m_folder.c_str(), nullptr);
        wchar_t module[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, module, MAX_PATH);
        const std::wstring running = module;
        launcherCopy = package->m_folder + L"\\" + running.substr(running.find_last_of(L'\\') + 1);
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    void TearDown() override {
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        ::MsiConfigureProductW(kProduct, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
    }

    // The entry the installer made for an x86 package is in the 32-bit view.
    RegistryKey Entry() const {
        RegistryKey key;
        key.OpenKey(RegistryKey::LocalMachine(),
                    std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kProduct,
                    true, false, KEY_WOW64_32KEY);
        return key;
    }
    DWORD WindowsInstallerValue() const {
        DWORD value = 99;
        DWORD size = sizeof(value);
        RegistryKey key = Entry();
        ::RegQueryValueExW(key.Handle(), L"WindowsInstaller", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&value), &size);
        return value;
    }
    bool HasValue(const wchar_t* name) const {
        RegistryKey key = Entry();
        return ::RegQueryValueExW(key.Handle(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
};

TEST_F(UninstallEntryTest, ThePhasesMoveTheEntryBetweenLauncherAndInstaller) {
    ASSERT_TRUE(Entry().IsOpen());
    EXPECT_EQ(WindowsInstallerValue(), 1u);

    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::Perform);
    EXPECT_TRUE(test::FileExists(launcherCopy));
    EXPECT_EQ(WindowsInstallerValue(), 0u);
    EXPECT_EQ(Entry().GetString(L"ModifyPath"), launcherCopy + L" lang=German");
    EXPECT_EQ(Entry().GetString(L"UninstallString"), launcherCopy + L" /x lang=German");
    EXPECT_TRUE(HasValue(L"DisplayIcon"));

    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::PrepareRemove);
    EXPECT_EQ(WindowsInstallerValue(), 1u);
    EXPECT_FALSE(HasValue(L"DisplayIcon"));
    // The commands stay; the system ignores them while the entry is the installer's.
    EXPECT_EQ(Entry().GetString(L"UninstallString"), launcherCopy + L" /x lang=German");

    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::RollBackPrepareRemove);
    EXPECT_EQ(WindowsInstallerValue(), 0u);
    EXPECT_TRUE(HasValue(L"DisplayIcon"));

    // A single-language launcher writes no lang= argument.
    app->m_multiLanguageResources = false;
    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::RedoAfterChange);
    EXPECT_EQ(Entry().GetString(L"ModifyPath"), launcherCopy);
    EXPECT_EQ(Entry().GetString(L"UninstallString"), launcherCopy + L" /x");

    app->m_log.Close();
    const std::wstring log = test::ReadUtf16(scratch.File(L"run.log"));
    for (const wchar_t* line : {L"RNX (c): perform custom installer registry\r\n",
                                L"RNX (c): redo-after modify or re-install custom installer registry\r\n",
                                L"RNX (c): prepare-remove custom installer registry\r\n",
                                L"RNX (c): roll-back prepare-remove custom installer registry\r\n"}) {
        EXPECT_NE(log.find(line), std::wstring::npos) << testing::PrintToString(std::wstring(line));
    }
}

TEST_F(UninstallEntryTest, PerformReplacesTheCopyAndRedoKeepsIt) {
    test::WriteBytes(launcherCopy, "old copy");
    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::RedoAfterChange);
    EXPECT_EQ(test::ReadBytes(launcherCopy), "old copy");
    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::Perform);
    EXPECT_NE(test::ReadBytes(launcherCopy), "old copy");
}

TEST_F(UninstallEntryTest, OnlyOldWindowsVersionsTouchTheAdvertisedProductName) {
    RegistryKey products;
    ASSERT_TRUE(products.OpenKey(RegistryKey::LocalMachine(),
                                 L"Software\\Classes\\Installer\\Products\\" + PackGuid(kProduct), true,
                                 false, RegistryKey::kView64));
    const std::wstring original = products.GetString(L"ProductName");
    ASSERT_EQ(original, L"Quentry Catalogue A");

    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::Perform); // Windows 7: left alone
    EXPECT_EQ(products.GetString(L"ProductName"), original);

    app->m_osMajorVersion = 6;
    app->m_osMinorVersion = 0; // Vista
    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::RedoAfterChange);
    EXPECT_EQ(products.GetString(L"ProductName"), L"");
    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::PrepareRemove);
    EXPECT_EQ(products.GetString(L"ProductName"), original);
}

TEST_F(UninstallEntryTest, AnEntryThatDoesNotExistIsSkipped) {
    package->m_productCode = L"{7C1A00FF-5D2E-4F60-8A7B-9C0D1E2F3AFF}";
    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::Perform);
    RegistryKey missing;
    EXPECT_FALSE(
        missing.OpenKey(RegistryKey::LocalMachine(),
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + package->m_productCode,
                        true, false, KEY_WOW64_32KEY));
    // Not a product code at all: nothing is touched, nothing is copied.
    package->m_productCode = L"not-a-guid";
    ::DeleteFileW(launcherCopy.c_str());
    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::Perform);
    EXPECT_FALSE(test::FileExists(launcherCopy));
}

TEST_F(UninstallEntryTest, WithoutAnUnpackFolderTheEntryStaysAsTheInstallerWroteIt) {
    const std::wstring modifyPath = Entry().GetString(L"ModifyPath");
    const std::wstring uninstallString = Entry().GetString(L"UninstallString");
    const std::wstring atRoot = L"\\" + launcherCopy.substr(launcherCopy.find_last_of(L'\\') + 1);
    ::DeleteFileW(atRoot.c_str());
    package->m_folder.clear();
    for (UninstallEntryPhase phase : {UninstallEntryPhase::Perform, UninstallEntryPhase::RedoAfterChange}) {
        UpdateUninstallEntry(*app, *package, phase);
        EXPECT_EQ(WindowsInstallerValue(), 1u);
        EXPECT_EQ(Entry().GetString(L"ModifyPath"), modifyPath);
        EXPECT_EQ(Entry().GetString(L"UninstallString"), uninstallString);
        EXPECT_FALSE(test::FileExists(atRoot));
    }
    app->m_log.Close();
    const std::wstring log = test::ReadUtf16(scratch.File(L"run.log"));
    EXPECT_NE(log.find(L"RNX (c): No unpack folder for package Quentry Catalogue A: its uninstall entry is "
                       L"left as the installer wrote it.\r\n"),
              std::wstring::npos);
}

TEST_F(UninstallEntryTest, ACopyThatCannotBeWrittenStillLeavesTheEntryPointingToIt) {
    package->m_folder = L"Q:\\no such drive\\package";
    UpdateUninstallEntry(*app, *package, UninstallEntryPhase::Perform);
    EXPECT_EQ(WindowsInstallerValue(), 0u);
    EXPECT_TRUE(Entry().GetString(L"ModifyPath").starts_with(L"Q:\\no such drive\\package\\"));
}

} // namespace
} // namespace quentry
