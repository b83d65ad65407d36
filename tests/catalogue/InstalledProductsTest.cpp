// What the installer reports about installed products, the data folder, and the removal of a
// product that another installer put on the machine; against Wine's real installer.
#include "catalogue/InstalledProducts.h"
#include "catalogue/SetupPackage.h"
#include "common/FileUtilities.h"
#include "common/RegistryKey.h"
#include "common/WideText.h"
#include "engine/UninstallRegistration.h"
#include "engine/WindowsInstaller.h"
#include "launcher/SetupApp.h"
#include "support/RecordingInstaller.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <aclapi.h>

namespace quentry {
namespace {

using test::BuildPath;
using test::ScratchFolder;

const wchar_t kProductB[] = L"{7C1A0002-5D2E-4F60-8A7B-9C0D1E2F3A42}";

std::wstring PackageFixture(const std::wstring& name) {
    return BuildPath(L"fixtures\\packages\\" + name + L".msi");
}

// Package records built outside a launcher's own resources post a quit request for the missing
// resources; take it off the queue again.
void DropQuitRequests() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST(InstalledProductsTest, AProductIsInstalledOnlyUnderItsExactCode) {
    test::RecordingInstaller installer;
    installer.products = {L"{AAAAAAAA-0000-0000-0000-000000000001}",
                          L"{BBBBBBBB-0000-0000-0000-000000000002}"};
    EXPECT_TRUE(IsProductInstalled(installer, L"{BBBBBBBB-0000-0000-0000-000000000002}"));
    EXPECT_FALSE(IsProductInstalled(installer, L"{bbbbbbbb-0000-0000-0000-000000000002}"));
    EXPECT_FALSE(IsProductInstalled(installer, L""));
    EXPECT_FALSE(IsProductInstalled(installer, L"{CCCCCCCC-0000-0000-0000-000000000003}"));
}

TEST(InstalledProductsTest, AnswersFromTheRealInstaller) {
    MsiWindowsInstaller installer;
    EXPECT_FALSE(IsProductInstalled(installer, kProductB));
    EXPECT_FALSE(InstalledPackageCode(installer, kProductB).has_value());
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    ASSERT_EQ(::MsiInstallProductW(PackageFixture(L"CatalogueB").c_str(), L""), 0u);
    EXPECT_TRUE(IsProductInstalled(installer, kProductB));
    EXPECT_EQ(InstalledPackageCode(installer, kProductB).value_or(L""),
              L"{7C1A0002-5D2E-4F60-8A7B-9C0D1E2F3B42}");
    ::MsiConfigureProductW(kProductB, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
    EXPECT_FALSE(IsProductInstalled(installer, kProductB));
}

// Everyone holds an explicit entry that allows full access. (Windows keeps the generic right as
// granted; Wine keeps file rights in the Unix mode bits and gives back the specific rights.)
bool EveryoneHasFullAccess(const std::wstring& folder) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                &list, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    BYTE everyone[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof(everyone);
    ::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size);
    constexpr ACCESS_MASK kFull = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
    bool found = false;
    for (DWORD i = 0; list != nullptr && i < list->AceCount && !found; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!::GetAce(list, i, reinterpret_cast<void**>(&ace)) ||
            ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || !::EqualSid(&ace->SidStart, everyone)) {
            continue;
        }
        ACCESS_MASK mask = ace->Mask;
        GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
        ::MapGenericMask(&mask, &mapping);
        found = (mask & kFull) == kFull;
    }
    ::LocalFree(descriptor);
    return found;
}

TEST(InstalledProductsTest, TheDataFolderIsOpenToEveryoneAndCached) {
    const std::wstring& folder = DataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.ends_with(L"\\Zorvat"));
    EXPECT_TRUE(ICBSFileUtilities::FolderExists(folder));
    EXPECT_TRUE(EveryoneHasFullAccess(folder));
    // The second call does not touch the file system: the same cached text.
    EXPECT_EQ(&DataFolder(), &folder);
}

// A launcher context and a package record for product B, as the catalogue would build them.
class RemovalTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    MsiWindowsInstaller installer;
    std::unique_ptr<CSetupApp> app;

    void SetUp() override {
        LauncherSteps steps;
        app = std::make_unique<CSetupApp>(L"quentry.exe /qn /L*v \"" + scratch.File(L"run.log") + L"\"",
                                          installer, steps);
    }
    void TearDown() override {
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        ::MsiConfigureProductW(kProductB, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
        DropQuitRequests();
    }
    // Installs product B from a source folder of its own, holding the given extra databases.
    void InstallFromSource(int extraDatabases, const wchar_t* properties = L"") {
        const std::wstring source = scratch.File(L"source");
        ::CreateDirectoryW(source.c_str(), nullptr);
        ASSERT_TRUE(::CopyFileW(PackageFixture(L"CatalogueB").c_str(), (source + L"\\B.msi").c_str(), FALSE));
        for (int i = 0; i < extraDatabases; ++i) {
            ASSERT_TRUE(::CopyFileW(PackageFixture(L"CatalogueC").c_str(),
                                    (source + L"\\extra" + std::to_wstring(i) + L".msi").c_str(), FALSE));
        }
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        ASSERT_EQ(::MsiInstallProductW((source + L"\\B.msi").c_str(), properties), 0u);
    }
    SetupPackage& Package() {
        app->m_packages.push_back(
            std::make_unique<SetupPackage>(*app, PackageNames{L"Quentry Catalogue B", kProductB, L""},
                                           L"PACKAGE_1", L"PACKAGE_1_%s", false));
        SetupPackage& package = *app->m_packages.back();
        package.m_installed = true;
        package.m_installedFromOtherPackage = true;
        return package;
    }
};

TEST_F(RemovalTest, RemovesAProductWithTheOneDatabaseInItsSource) {
    InstallFromSource(0);
    SetupPackage& package = Package();
    EXPECT_EQ(RemoveOtherInstallation(*app, package, INSTALLUILEVEL_NONE), 0);
    EXPECT_FALSE(package.m_installed);
    EXPECT_FALSE(package.m_installedFromOtherPackage);
    EXPECT_FALSE(IsProductInstalled(installer, kProductB));
    app->m_log.Close();
    const std::wstring log = test::ReadUtf16(scratch.File(L"run.log"));
    // The installer's log of the removal sits between the launcher's lines.
    EXPECT_NE(log.find(L"RNX (c): after delete value - custom installer registry\r\n\r\n"),
              std::wstring::npos)
        << ToUtf8(log);
}

TEST_F(RemovalTest, ASourceWithTwoDatabasesLeavesTheProductInstalled) {
    InstallFromSource(1);
    SetupPackage& package = Package();
    EXPECT_EQ(RemoveOtherInstallation(*app, package, INSTALLUILEVEL_NONE), MsiFileNotFound);
    EXPECT_TRUE(package.m_installed);
    EXPECT_TRUE(IsProductInstalled(installer, kProductB));
}

// The entry the installer made for product B (an x86 package: the 32-bit view).
RegistryKey EntryOfB() {
    RegistryKey key;
    key.OpenKey(RegistryKey::LocalMachine(),
                std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kProductB, true,
                false, KEY_WOW64_32KEY);
    return key;
}

TEST_F(RemovalTest, AFailedRemovalGivesTheEntryBackToTheLauncher) {
    InstallFromSource(0, L"ALLUSERS=1");
    SetupPackage& package = Package();
    package.m_folder = scratch.File(L"package");
    ::CreateDirectoryW(package.m_folder.c_str(), nullptr);
    UpdateUninstallEntry(installer, package.UninstallRequest(), UninstallEntryPhase::Perform,
                         app->m_log.Sink());
    ASSERT_TRUE(EntryOfB().IsOpen());
    // The database in the installation source is damaged since: the removal fails for real.
    test::WriteBytes(scratch.File(L"source\\B.msi"), "not an installer database");
    const int result = RemoveOtherInstallation(*app, package, INSTALLUILEVEL_NONE);
    EXPECT_NE(result, 0);
    EXPECT_NE(result, MsiFileNotFound);
    EXPECT_TRUE(package.m_installed);
    EXPECT_TRUE(IsProductInstalled(installer, kProductB));

    const RegistryKey entry = EntryOfB();
    ASSERT_TRUE(entry.IsOpen());
    DWORD owner = 99;
    DWORD size = sizeof(owner);
    ::RegQueryValueExW(entry.Handle(), L"WindowsInstaller", nullptr, nullptr, reinterpret_cast<BYTE*>(&owner),
                       &size);
    EXPECT_EQ(owner, 0u);
    EXPECT_EQ(::RegQueryValueExW(entry.Handle(), L"DisplayIcon", nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    app->m_log.Close();
    const std::wstring log = test::ReadUtf16(scratch.File(L"run.log"));
    const size_t prepare = log.find(L"RNX (c): prepare-remove custom installer registry\r\n");
    const size_t rollBack = log.find(L"RNX (c): roll-back prepare-remove custom installer registry\r\n");
    ASSERT_NE(prepare, std::wstring::npos) << ToUtf8(log);
    ASSERT_NE(rollBack, std::wstring::npos) << ToUtf8(log);
    EXPECT_LT(prepare, rollBack);
}

// An installation source that names no folder of its own never leads to the current folder, even
// when that holds exactly one database.
TEST(InstalledProductsTest, AnEmptyOrRelativeSourceGivesNineAndRunsNothing) {
    ScratchFolder scratch;
    test::WriteBytes(scratch.File(L"unrelated.msi"), "x");
    ::CreateDirectoryW(scratch.File(L"relative").c_str(), nullptr);
    test::WriteBytes(scratch.File(L"relative\\unrelated.msi"), "x");
    // The scratch folder without its drive: rooted, but on whatever drive is current.
    const std::wstring driveRelative = scratch.Path().substr(2) + L"\\";
    const std::wstring sources[] = {L"", L"relative\\", L".", L"C:relative", driveRelative, L"\\\\"};

    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(scratch.Path().c_str()));
    for (const std::wstring& source : sources) {
        SCOPED_TRACE(ToUtf8(source));
        test::RecordingInstaller installer;
        installer.productInfo[{kProductB, L"InstallSource"}] = source;
        LauncherSteps steps;
        CSetupApp app(L"quentry.exe /qn", installer, steps);
        SetupPackage package(app, PackageNames{L"N", kProductB, L"P"}, L"PACKAGE", L"", true);
        package.m_installed = true;
        package.m_installedFromOtherPackage = true;
        EXPECT_EQ(RemoveOtherInstallation(app, package, INSTALLUILEVEL_NONE), MsiFileNotFound);
        for (const std::wstring& call : installer.calls) {
            EXPECT_FALSE(call.starts_with(L"InstallProduct")) << ToUtf8(call);
        }
        EXPECT_TRUE(package.m_installed);
    }
    ::SetCurrentDirectoryW(previous);
    DropQuitRequests();
}

TEST(InstalledProductsTest, NamePartsFindTheVersionInTheProductName) {
    const struct {
        const wchar_t* name;
        const wchar_t* year;
        const wchar_t* text;
    } cases[] = {
        {L"Zorvat Brindle Server 2018 rel. 2 sp1", L"2018", L"2018 rel. 2"},
        {L"Zorvat Brindle Server 2018.1", L"2018", L"2018.1"},
        {L"Zorvat Pellam 2024 rel. 3", L"2024", L"2024 rel. 3"},
        {L"Zorvat Pellam 2024 release", L"2024", L"2024 release "},
        {L"Zorvat Talvex Desktop 2021", L"2021", L"2021"},
        {L"Zorvat Pellam", L"", L""},
        {L"Zorvat Brindle Server", L"", L""},
        {L"Zorvat Brindle Desktop", L"", L""},
        {L"", L"", L""},
    };
    test::RecordingInstaller installer;
    LauncherSteps steps;
    CSetupApp app(L"quentry.exe /qn", installer, steps);
    for (const auto& c : cases) {
        SetupPackage package(app, PackageNames{c.name, L"C", L"P"}, L"PACKAGE", L"", true);
        NameParts(package);
        EXPECT_EQ(package.m_versionYear, c.year) << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(package.m_versionText, c.text) << testing::PrintToString(std::wstring(c.name));
    }
    DropQuitRequests();
}

} // namespace
} // namespace quentry
