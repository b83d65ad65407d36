// The executor of an install plan against the recording installer: the calls in order, the
// command line a custom installation switches to, and the roll-back of each mode.
#include "engine/InstallPlanExecutor.h"
#include "support/RecordingInstaller.h"

#include <gtest/gtest.h>

#include <set>

namespace quentry {
namespace {

class ExecutorTest : public testing::Test {
protected:
    ExecutorTest() {
        hooks.databasePath = [](size_t package) {
            return L"C:\\data\\" + std::to_wstring(package) + L".msi";
        };
        hooks.productCode = [this](size_t package) { return package < codes.size() ? codes[package] : L""; };
        hooks.isInstalled = [this](size_t package) { return installed.count(package) > 0; };
        hooks.beforeInstallerCall = [this](size_t package, bool withTransforms) {
            installer.calls.push_back(L"before " + std::to_wstring(package) +
                                      (withTransforms ? L"" : L" (repair)"));
        };
        hooks.afterInstallerCall = [this] { installer.calls.push_back(L"after"); };
        hooks.isCustomInstallation = [this] {
            installer.calls.push_back(L"asked for the installation type");
            return custom;
        };
        hooks.updateUninstallEntry = [this](size_t package, UninstallEntryPhase phase) {
            installer.calls.push_back(L"entry " + std::to_wstring(package) + L" phase " +
                                      std::to_wstring(static_cast<int>(phase)));
        };
        hooks.extractAgain = [this](size_t package) {
            installer.calls.push_back(L"extract " + std::to_wstring(package));
            return 0;
        };
    }

    // The installer calls only (without the hooks around them).
    std::vector<std::wstring> InstallerCalls() const {
        std::vector<std::wstring> calls;
        for (const std::wstring& call : installer.calls) {
            if (call.starts_with(L"InstallProduct") || call.starts_with(L"ReinstallProduct") ||
                call.starts_with(L"extract") || call.starts_with(L"entry") || call.starts_with(L"asked")) {
                calls.push_back(call);
            }
        }
        return calls;
    }

    UINT Run(const InstallPlanSettings& settings, const std::vector<PlanPackage>& packages) {
        return ExecuteInstallPlan(PlanInstallation(settings, packages), run, installer, hooks,
                                  [this](int level, std::wstring_view line) {
                                      log.push_back(std::to_wstring(level) + L" " + std::wstring(line));
                                  });
    }

    test::RecordingInstaller installer;
    InstallRunHooks hooks;
    InstallRunSettings run{INSTALLUILEVEL_BASIC, REINSTALLMODE_FILEOLDERVERSION};
    std::vector<std::wstring> codes;
    std::set<size_t> installed;
    bool custom = false;
    std::vector<std::wstring> log;
};

std::vector<PlanPackage> ThreeNew() {
    return {{L"Main", true, false, L""}, {L"Web", true, false, L""}, {L"Server", true, false, L""}};
}

TEST_F(ExecutorTest, AFailedInstallationRemovesTheEarlierPackagesInReverseOrder) {
    // 3010 (success, restart needed) counts as a failure like any other code.
    for (const UINT failure : {1603u, 3010u}) {
        SCOPED_TRACE(failure);
        installer.calls.clear();
        log.clear();
        installer.installResults = {0, 0, failure};
        EXPECT_EQ(Run({}, ThreeNew()), failure);
        const std::wstring sub = L"HAS_SUB_PACKAGES=\"Yes\" ";
        const std::wstring back = L"REMOVE=ALL INSTALLEDFROMLAUNCHER=Yes UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" ";
        EXPECT_EQ(InstallerCalls(), (std::vector<std::wstring>{
                                        L"InstallProduct(C:\\data\\0.msi, INSTALLEDFROMLAUNCHER=Yes " + sub +
                                            L"UI_HIDE_FINISH_DLG=\"Yes\" )",
                                        L"asked for the installation type",
                                        L"InstallProduct(C:\\data\\1.msi, INSTALLEDFROMLAUNCHER=Yes " + sub +
                                            L"UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" )",
                                        L"InstallProduct(C:\\data\\2.msi, INSTALLEDFROMLAUNCHER=Yes " + sub +
                                            L"UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" )",
                                        L"InstallProduct(C:\\data\\1.msi, " + back + L")",
                                        L"InstallProduct(C:\\data\\0.msi, " + back + L")",
                                    }));
        EXPECT_EQ(log,
                  (std::vector<std::wstring>{L"2 Installing product Main", L"2 Installing product Web",
                                             L"2 Installing product Server",
                                             L"2 Failure: return code = " + std::to_wstring(failure),
                                             L"2 Rolling back product Web", L"2 Rolling back product Main"}));
    }
    // Every installer call has the UI level set and the log handed over and back around it.
    EXPECT_EQ(installer.calls[0], L"SetInternalUI(3)");
    EXPECT_EQ(installer.calls[1], L"before 0");
    EXPECT_EQ(installer.calls[3], L"after");
}

TEST_F(ExecutorTest, ACustomInstallationShowsTheSubPackagesCustomizeDialogs) {
    custom = true;
    EXPECT_EQ(Run({}, ThreeNew()), 0u);
    const std::vector<std::wstring> calls = InstallerCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_NE(calls[0].find(L"UI_HIDE_FINISH_DLG"), std::wstring::npos);
    EXPECT_EQ(calls[1], L"asked for the installation type");
    for (size_t i : {2u, 3u}) {
        EXPECT_NE(calls[i].find(L"UI_HIDE_ALL_BUT_CUSTOMIZE_AND_PROGRESS=\"Yes\""), std::wstring::npos)
            << calls[i];
    }
}

TEST_F(ExecutorTest, AFailedRemovalBringsBackTheSubPackagesAlreadyRemoved) {
    installed = {0, 1, 2};
    InstallPlanSettings settings;
    settings.action = InstallAction::UninstallProducts;
    settings.uninstall = true;
    installer.installResults = {0, 1603};
    std::vector<PlanPackage> packages = ThreeNew();
    for (PlanPackage& package : packages) {
        package.installed = true;
    }
    EXPECT_EQ(Run(settings, packages), 1603u);
    const std::wstring removal =
        L"REMOVE=ALL INSTALLEDFROMLAUNCHER=Yes HAS_SUB_PACKAGES=\"Yes\" UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" ";
    EXPECT_EQ(
        InstallerCalls(),
        (std::vector<std::wstring>{
            L"entry 2 phase 2",
            L"InstallProduct(C:\\data\\2.msi, " + removal + L")",
            L"entry 1 phase 2",
            L"InstallProduct(C:\\data\\1.msi, " + removal + L")",
            L"extract 2",
            L"InstallProduct(C:\\data\\2.msi, INSTALLEDFROMLAUNCHER=Yes UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" )",
        }));
}

TEST_F(ExecutorTest, APackageNoLongerInstalledIsNotRemoved) {
    installed = {0};
    InstallPlanSettings settings;
    settings.action = InstallAction::UninstallProducts;
    settings.uninstall = true;
    std::vector<PlanPackage> packages = ThreeNew();
    for (PlanPackage& package : packages) {
        package.installed = true;
    }
    EXPECT_EQ(Run(settings, packages), 0u);
    const std::vector<std::wstring> calls = InstallerCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].starts_with(L"InstallProduct(C:\\data\\0.msi, REMOVE=ALL ")) << calls[0];
}

TEST_F(ExecutorTest, ModificationAndRepairGoOnAfterAFailureAndKeepTheFirst) {
    InstallPlanSettings modify;
    modify.action = InstallAction::ModifyProducts;
    installer.installResults = {1603, 0, 1605};
    EXPECT_EQ(Run(modify, ThreeNew()), 1603u);
    EXPECT_EQ(InstallerCalls().size(), 3u);

    // A cancel by the user ends a modification at once.
    installer.calls.clear();
    installer.installResults = {0, 1602, 0};
    EXPECT_EQ(Run(modify, ThreeNew()), 1602u);
    EXPECT_EQ(InstallerCalls().size(), 2u);

    // A repair reinstalls by product code; a package without one fails without an installer call.
    installer.calls.clear();
    codes = {L"{A}", L"", L"{C}"};
    installer.installResults = {0, 1601};
    InstallPlanSettings repair;
    repair.action = InstallAction::RepairProducts;
    EXPECT_EQ(Run(repair, ThreeNew()), 1603u);
    EXPECT_EQ(InstallerCalls(),
              (std::vector<std::wstring>{L"ReinstallProduct({A}, 4)", L"ReinstallProduct({C}, 4)"}));
    EXPECT_NE(std::find(installer.calls.begin(), installer.calls.end(), L"before 1 (repair)"),
              installer.calls.end());
}

TEST_F(ExecutorTest, ARefusedPlanCallsNothing) {
    InstallPlanSettings settings;
    settings.action = InstallAction::UninstallProducts;
    EXPECT_EQ(Run(settings, ThreeNew()), 1603u);
    EXPECT_TRUE(installer.calls.empty());
}

} // namespace
} // namespace quentry
