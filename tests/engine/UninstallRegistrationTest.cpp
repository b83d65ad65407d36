// The launcher's Add/Remove Programs entry, rewritten in the entry that Wine's installer made when
// it really installed a package, and read back after every phase.
#include "engine/UninstallRegistration.h"
#include "common/RegistryKey.h"
#include "common/WideText.h"
#include "engine/WindowsInstaller.h"
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

// Product A installed for real; the request of a German, multi-language launcher on Windows 7; the
// main package's unpack folder in a scratch folder; the log lines collected.
class UninstallEntryTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    MsiWindowsInstaller installer;
    UninstallEntryRequest request;
    std::wstring launcherCopy;
    std::wstring log;

    void SetUp() override {
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        // Per machine: the advertised registration is then under the machine's classes.
        ASSERT_EQ(::MsiInstallProductW(test::BuildPath(L"fixtures\\packages\\CatalogueA.msi").c_str(),
                                       L"ALLUSERS=1"),
                  0u);
        request.productName = L"Quentry Catalogue A";
        request.productCode = kProduct;
        request.folder = scratch.File(L"package");
        request.languageSuffix = L" lang=German";
        ::CreateDirectoryW(request.folder.c_str(), nullptr);
        wchar_t module[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, module, MAX_PATH);
        const std::wstring running = module;
        launcherCopy = request.folder + L"\\" + running.substr(running.find_last_of(L'\\') + 1);
    }
    void Update(UninstallEntryPhase phase) {
        UpdateUninstallEntry(installer, request, phase, [this](int level, std::wstring_view line) {
            log += Format(L"%d ", level) + std::wstring(line) + L"\n";
        });
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

    Update(UninstallEntryPhase::Perform);
    EXPECT_TRUE(test::FileExists(launcherCopy));
    EXPECT_EQ(WindowsInstallerValue(), 0u);
    EXPECT_EQ(Entry().GetString(L"ModifyPath"), launcherCopy + L" lang=German");
    EXPECT_EQ(Entry().GetString(L"UninstallString"), launcherCopy + L" /x lang=German");
    EXPECT_TRUE(HasValue(L"DisplayIcon"));

    Update(UninstallEntryPhase::PrepareRemove);
    EXPECT_EQ(WindowsInstallerValue(), 1u);
    EXPECT_FALSE(HasValue(L"DisplayIcon"));
    // The commands stay; the system ignores them while the entry is the installer's.
    EXPECT_EQ(Entry().GetString(L"UninstallString"), launcherCopy + L" /x lang=German");

    Update(UninstallEntryPhase::RollBackPrepareRemove);
    EXPECT_EQ(WindowsInstallerValue(), 0u);
    EXPECT_TRUE(HasValue(L"DisplayIcon"));

    // A single-language launcher writes no lang= argument.
    request.languageSuffix.clear();
    Update(UninstallEntryPhase::RedoAfterChange);
    EXPECT_EQ(Entry().GetString(L"ModifyPath"), launcherCopy);
    EXPECT_EQ(Entry().GetString(L"UninstallString"), launcherCopy + L" /x");

    for (const wchar_t* line : {L"3 perform custom installer registry\n",
                                L"3 redo-after modify or re-install custom installer registry\n",
                                L"3 prepare-remove custom installer registry\n",
                                L"3 roll-back prepare-remove custom installer registry\n"}) {
        EXPECT_NE(log.find(line), std::wstring::npos) << testing::PrintToString(std::wstring(line));
    }
}

TEST_F(UninstallEntryTest, PerformReplacesTheCopyAndRedoKeepsIt) {
    test::WriteBytes(launcherCopy, "old copy");
    Update(UninstallEntryPhase::RedoAfterChange);
    EXPECT_EQ(test::ReadBytes(launcherCopy), "old copy");
    Update(UninstallEntryPhase::Perform);
    EXPECT_NE(test::ReadBytes(launcherCopy), "old copy");
}

TEST_F(UninstallEntryTest, OnlyOldWindowsVersionsTouchTheAdvertisedProductName) {
    RegistryKey products;
    ASSERT_TRUE(products.OpenKey(RegistryKey::LocalMachine(),
                                 L"Software\\Classes\\Installer\\Products\\" + PackGuid(kProduct), true,
                                 false, RegistryKey::kView64));
    const std::wstring original = products.GetString(L"ProductName");
    ASSERT_EQ(original, L"Quentry Catalogue A");

    Update(UninstallEntryPhase::Perform); // Windows 7: left alone
    EXPECT_EQ(products.GetString(L"ProductName"), original);

    request.oldWindows = true; // Vista
    Update(UninstallEntryPhase::RedoAfterChange);
    EXPECT_EQ(products.GetString(L"ProductName"), L"");
    Update(UninstallEntryPhase::PrepareRemove);
    EXPECT_EQ(products.GetString(L"ProductName"), original);
}

TEST_F(UninstallEntryTest, AnEntryThatDoesNotExistIsSkipped) {
    request.productCode = L"{7C1A00FF-5D2E-4F60-8A7B-9C0D1E2F3AFF}";
    Update(UninstallEntryPhase::Perform);
    RegistryKey missing;
    EXPECT_FALSE(
        missing.OpenKey(RegistryKey::LocalMachine(),
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + request.productCode,
                        true, false, KEY_WOW64_32KEY));
    // Not a product code at all: nothing is touched, nothing is copied.
    request.productCode = L"not-a-guid";
    ::DeleteFileW(launcherCopy.c_str());
    Update(UninstallEntryPhase::Perform);
    EXPECT_FALSE(test::FileExists(launcherCopy));
}

TEST_F(UninstallEntryTest, WithoutAnUnpackFolderTheEntryStaysAsTheInstallerWroteIt) {
    const std::wstring modifyPath = Entry().GetString(L"ModifyPath");
    const std::wstring uninstallString = Entry().GetString(L"UninstallString");
    const std::wstring atRoot = L"\\" + launcherCopy.substr(launcherCopy.find_last_of(L'\\') + 1);
    ::DeleteFileW(atRoot.c_str());
    request.folder.clear();
    for (UninstallEntryPhase phase : {UninstallEntryPhase::Perform, UninstallEntryPhase::RedoAfterChange}) {
        Update(phase);
        EXPECT_EQ(WindowsInstallerValue(), 1u);
        EXPECT_EQ(Entry().GetString(L"ModifyPath"), modifyPath);
        EXPECT_EQ(Entry().GetString(L"UninstallString"), uninstallString);
        EXPECT_FALSE(test::FileExists(atRoot));
    }
    EXPECT_NE(log.find(L"3 No unpack folder for package Quentry Catalogue A: its uninstall entry is "
                       L"left as the installer wrote it.\n"),
              std::wstring::npos);
}

TEST_F(UninstallEntryTest, ACopyThatCannotBeWrittenStillLeavesTheEntryPointingToIt) {
    request.folder = L"Q:\\no such drive\\package";
    Update(UninstallEntryPhase::Perform);
    EXPECT_EQ(WindowsInstallerValue(), 0u);
    EXPECT_TRUE(Entry().GetString(L"ModifyPath").starts_with(L"Q:\\no such drive\\package\\"));
}

} // namespace
} // namespace quentry
