// The install sequence around the plan: the platform check, the installation type written by the
// main package and read for the sub-packages, and the phases of the uninstall entry.
#include "engine/InstallSequence.h"
#include "common/RegistryKey.h"
#include "support/RecordingInstaller.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

class SequenceTest : public testing::Test {
protected:
    SequenceTest() {
        request.installationTypeKey = L"HKEY_CURRENT_USER\\Software\\QuentryTest\\" +
                                      std::to_wstring(::GetCurrentProcessId()) + L"\\Zorvat";
        request.platformOf = [this](size_t) { return platform; };
        request.packages = {
            {L"Main", true, true, L""}, {L"Web", true, true, L""}, {L"Server", true, true, L""}};
        hooks.databasePath = [](size_t package) {
            return L"C:\\data\\" + std::to_wstring(package) + L".msi";
        };
        hooks.isInstalled = [](size_t) { return true; };
        hooks.updateUninstallEntry = [this](size_t package, UninstallEntryPhase phase) {
            installer.calls.push_back(L"entry " + std::to_wstring(package) + L" phase " +
                                      std::to_wstring(static_cast<int>(phase)));
        };
        RegistryKey key;
        EXPECT_TRUE(key.OpenKeyPath(request.installationTypeKey, false, true, 0));
    }
    ~SequenceTest() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER,
                         (L"Software\\QuentryTest\\" + std::to_wstring(::GetCurrentProcessId())).c_str());
    }

    std::wstring InstallationType() {
        RegistryKey key;
        key.OpenKeyPath(request.installationTypeKey, true, false, 0);
        return key.GetString(kInstallationTypeValue);
    }
    void SetInstallationType(const wchar_t* text) {
        RegistryKey key;
        ASSERT_TRUE(key.OpenKeyPath(request.installationTypeKey, false, false, 0));
        ASSERT_TRUE(key.SetString(kInstallationTypeValue, text));
    }

    InstallSequenceOutcome Run() {
        return RunInstallSequence(request, installer, hooks,
                                  [this](int, std::wstring_view line) { log.push_back(std::wstring(line)); });
    }

    test::RecordingInstaller installer;
    InstallSequenceRequest request;
    InstallRunHooks hooks;
    std::wstring platform = L"Intel";
    std::vector<std::wstring> log;
};

TEST_F(SequenceTest, ASixtyFourBitPackageOnAThirtyTwoBitSystemInstallsNothing) {
    const struct {
        const wchar_t* platform;
        bool is64BitOs;
        UINT result;
        bool is64BitPackage;
    } cases[] = {
        {L"x64", false, 1633, true},
        {L"x64", true, 0, true},
        {L"Intel", false, 0, false},
        // Unreadable (no database in the folder) counts as 32-bit; the platform is matched exactly.
        {L"", false, 0, false},
        {L"X64", false, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.platform)));
        installer.calls.clear();
        log.clear();
        platform = c.platform;
        request.is64BitOs = c.is64BitOs;
        const InstallSequenceOutcome outcome = Run();
        EXPECT_EQ(outcome.installerResult, c.result);
        EXPECT_EQ(outcome.is64BitPackage, c.is64BitPackage);
        EXPECT_EQ(installer.calls.empty(), c.result != 0);
        EXPECT_EQ(log.at(1), c.is64BitPackage ? L"dedected 64-bit platform" : L"dedected 32-bit platform");
    }
}

// The main package writes the installation type during its own installation; a value left by an
// earlier run is gone before the first call and after the last.
TEST_F(SequenceTest, TheInstallationTypeOfTheMainPackageShapesTheSubPackagesAndIsClearedAfter) {
    request.packages = {{L"Main", true, false, L""}, {L"Web", true, false, L""}};
    SetInstallationType(L"Custom");
    hooks.afterInstallerCall = [this] {
        if (installer.calls.size() == 2) {
            EXPECT_EQ(InstallationType(), L"");
            SetInstallationType(L"Custom");
        }
    };
    EXPECT_EQ(Run().installerResult, 0u);
    EXPECT_NE(installer.calls.at(3).find(L"UI_HIDE_ALL_BUT_CUSTOMIZE_AND_PROGRESS"), std::wstring::npos)
        << installer.calls.at(3);
    EXPECT_EQ(installer.calls.back(), L"entry 0 phase 0");
    EXPECT_EQ(InstallationType(), L"");

    // Only the exact text counts.
    installer.calls.clear();
    hooks.afterInstallerCall = [this] { SetInstallationType(L"custom"); };
    EXPECT_EQ(Run().installerResult, 0u);
    EXPECT_NE(installer.calls.at(3).find(L"UI_HIDE_ALL_BUT_PROGRESS"), std::wstring::npos)
        << installer.calls.at(3);
}

TEST_F(SequenceTest, TheUninstallEntryFollowsTheOutcomeOfEachMode) {
    const struct {
        const char* name;
        InstallAction action;
        UINT result;
        std::vector<std::wstring> entries;
    } cases[] = {
        {"installation", InstallAction::InstallProducts, 0, {L"entry 0 phase 0"}},
        {"failed installation", InstallAction::InstallProducts, 1603, {}},
        {"modification", InstallAction::ModifyProducts, 1603, {L"entry 0 phase 1"}},
        {"repair", InstallAction::RepairProducts, 0, {L"entry 0 phase 1"}},
        {"removal",
         InstallAction::UninstallProducts,
         0,
         {L"entry 0 phase 2", L"entry 2 phase 2", L"entry 1 phase 2"}},
        {"failed removal",
         InstallAction::UninstallProducts,
         1603,
         {L"entry 0 phase 2", L"entry 2 phase 2", L"entry 0 phase 3"}},
    };
    hooks.productCode = [](size_t) { return std::wstring(L"{P}"); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        installer.calls.clear();
        installer.installResults = {c.result};
        request.plan.action = c.action;
        request.plan.uninstall = c.action == InstallAction::UninstallProducts;
        EXPECT_EQ(Run().installerResult, c.result);
        std::vector<std::wstring> entries;
        for (const std::wstring& call : installer.calls) {
            if (call.starts_with(L"entry")) {
                entries.push_back(call);
            }
        }
        EXPECT_EQ(entries, c.entries);
    }
}

} // namespace
} // namespace quentry
