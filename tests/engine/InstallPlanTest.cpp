// The installer calls of every mode, as data: which packages, in which order, with which command
// line, and what undoes each.
#include "engine/InstallPlan.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

std::vector<PlanPackage> Packages(std::initializer_list<std::pair<bool, bool>> selectedAndInstalled) {
    std::vector<PlanPackage> packages;
    int n = 0;
    for (const auto& [selected, installed] : selectedAndInstalled) {
        packages.push_back({L"P" + std::to_wstring(n++), selected, installed, L""});
    }
    return packages;
}

std::vector<size_t> Order(const InstallPlan& plan) {
    std::vector<size_t> order;
    for (const PlannedCall& call : plan.calls) {
        order.push_back(call.package);
    }
    return order;
}

TEST(InstallPlanTest, ASinglePackageGetsOnlyTheMarkerAndTheCommandLinesProperties) {
    InstallPlanSettings settings;
    settings.properties = {L"ALPHA=1", L"BETA=\"two words\""};
    const InstallPlan plan = PlanInstallation(settings, Packages({{true, false}}));
    ASSERT_EQ(plan.calls.size(), 1u);
    EXPECT_EQ(plan.calls[0].kind, CallKind::InstallProduct);
    EXPECT_EQ(plan.calls[0].logLine, L"Installing product P0");
    EXPECT_EQ(plan.calls[0].commandLine, L"INSTALLEDFROMLAUNCHER=Yes ALPHA=1 BETA=\"two words\" ");
    EXPECT_FALSE(plan.calls[0].customCommandLine);
    EXPECT_EQ(plan.onFailure, OnFailure::RollBack);
}

TEST(InstallPlanTest, TheCommandLineKeepsItsOrder) {
    const InstallPlanSettings plain;
    InstallPlanSettings mif;
    mif.mifFileName = L"status.mif";
    InstallPlanSettings admin;
    admin.adminInstall = true;
    InstallPlanSettings emptyBuildProperties;
    emptyBuildProperties.buildProperties = L"";
    InstallPlanSettings both;
    both.buildProperties = L"A=1 B=2";
    both.properties = {L"C=3"};
    const struct {
        const char* name;
        const InstallPlanSettings& settings;
        bool removing;
        const wchar_t* expected;
    } cases[] = {
        {"mif first", mif, false, L"/m status.mif INSTALLEDFROMLAUNCHER=Yes X "},
        {"removal", plain, true, L"REMOVE=ALL INSTALLEDFROMLAUNCHER=Yes X "},
        {"administrative wins over removal", admin, true, L"ACTION=ADMIN INSTALLEDFROMLAUNCHER=Yes X "},
        {"empty build properties leave a blank", emptyBuildProperties, false,
         L"INSTALLEDFROMLAUNCHER=Yes  X "},
        {"build properties before the command line's", both, false,
         L"INSTALLEDFROMLAUNCHER=Yes A=1 B=2 C=3 X "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InstallerCommandLine(c.settings, c.removing, L"X "), c.expected);
    }
}

TEST(InstallPlanTest, SubPackagesOfANewInstallationHideTheirDialogsByTheInstallationType) {
    InstallPlanSettings settings;
    settings.multiLanguage = true;
    settings.language = 1031;
    settings.languageIsoCode = L"de";
    settings.serviceProperties = L"BRWeb_WebServer_Port=9000";
    settings.backupProperties = L"SKIP_BACKUP=1";
    std::vector<PlanPackage> packages = Packages({{true, false}, {true, false}, {true, false}});
    packages[2].transformPath = L"C:\\data\\{C}\\Transform_de.mst";
    const InstallPlan plan = PlanInstallation(settings, packages);
    ASSERT_EQ(Order(plan), (std::vector<size_t>{0, 1, 2}));
    const std::wstring rest = L"INSTALLER_LANGUAGE=\"de\" SKIP_BACKUP=1 BRWeb_WebServer_Port=9000 ";
    EXPECT_EQ(plan.calls[0].commandLine,
              L"INSTALLEDFROMLAUNCHER=Yes HAS_SUB_PACKAGES=\"Yes\" UI_HIDE_FINISH_DLG=\"Yes\" " + rest);
    EXPECT_FALSE(plan.calls[0].asksInstallationType);
    EXPECT_TRUE(plan.calls[1].asksInstallationType);
    EXPECT_EQ(plan.calls[1].commandLine,
              L"INSTALLEDFROMLAUNCHER=Yes HAS_SUB_PACKAGES=\"Yes\" UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" " + rest);
    EXPECT_EQ(*plan.calls[1].customCommandLine, L"INSTALLEDFROMLAUNCHER=Yes HAS_SUB_PACKAGES=\"Yes\" "
                                                L"UI_HIDE_ALL_BUT_CUSTOMIZE_AND_PROGRESS=\"Yes\" " +
                                                    rest);
    EXPECT_EQ(*plan.calls[2].customCommandLine, L"INSTALLEDFROMLAUNCHER=Yes HAS_SUB_PACKAGES=\"Yes\" "
                                                L"UI_HIDE_ALL_BUT_CUSTOMIZE_AND_PROGRESS=\"Yes\" " +
                                                    rest +
                                                    L"TRANSFORMS=\"C:\\data\\{C}\\Transform_de.mst\" ");
    // Every installation is taken back out by a removal that shows only progress.
    for (const PlannedCall& call : plan.calls) {
        ASSERT_TRUE(call.inverse);
        EXPECT_EQ(call.inverse->commandLine,
                  L"REMOVE=ALL INSTALLEDFROMLAUNCHER=Yes UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" ");
        EXPECT_FALSE(call.inverse->extractAgain);
    }
}

// The installation type is read at the second package only: when it does not take part, no
// later sub-package asks.
TEST(InstallPlanTest, WithoutTheSecondPackageNoCallAsksForTheInstallationType) {
    const InstallPlan plan = PlanInstallation({}, Packages({{true, false}, {false, false}, {true, false}}));
    ASSERT_EQ(Order(plan), (std::vector<size_t>{0, 2}));
    EXPECT_FALSE(plan.calls[0].asksInstallationType);
    EXPECT_FALSE(plan.calls[1].asksInstallationType);
}

TEST(InstallPlanTest, TheRollBackOfAnAdministrativeInstallationRepeatsIt) {
    InstallPlanSettings settings;
    settings.adminInstall = true;
    const InstallPlan plan = PlanInstallation(settings, Packages({{true, false}, {true, false}}));
    ASSERT_TRUE(plan.calls[0].inverse);
    EXPECT_EQ(plan.calls[0].inverse->commandLine,
              L"ACTION=ADMIN INSTALLEDFROMLAUNCHER=Yes UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" ");
}

TEST(InstallPlanTest, ARemovalTakesTheSubPackagesFirstAndCanBringThemBack) {
    InstallPlanSettings settings;
    settings.action = InstallAction::UninstallProducts;
    settings.uninstall = true;
    const InstallPlan plan =
        PlanInstallation(settings, Packages({{true, true}, {true, true}, {true, false}, {true, true}}));
    ASSERT_EQ(Order(plan), (std::vector<size_t>{3, 1, 0}));
    EXPECT_EQ(plan.onFailure, OnFailure::RollBack);
    for (const PlannedCall& call : plan.calls) {
        SCOPED_TRACE(call.package);
        EXPECT_EQ(call.logLine, L"Uninstalling product P" + std::to_wstring(call.package));
        EXPECT_EQ(call.commandLine, L"REMOVE=ALL INSTALLEDFROMLAUNCHER=Yes HAS_SUB_PACKAGES=\"Yes\" "
                                    L"UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" ");
        EXPECT_TRUE(call.onlyWhenInstalled);
        const bool sub = call.package > 0;
        EXPECT_EQ(call.entryPhaseBefore.has_value(), sub);
        ASSERT_EQ(call.inverse.has_value(), sub);
        if (sub) {
            EXPECT_EQ(*call.entryPhaseBefore, UninstallEntryPhase::PrepareRemove);
            EXPECT_TRUE(call.inverse->extractAgain);
            EXPECT_EQ(call.inverse->commandLine,
                      L"INSTALLEDFROMLAUNCHER=Yes UI_HIDE_ALL_BUT_PROGRESS=\"Yes\" ");
        }
    }
    // A single package is removed without the sub-package properties.
    const InstallPlan single = PlanInstallation(settings, Packages({{true, true}}));
    ASSERT_EQ(single.calls.size(), 1u);
    EXPECT_EQ(single.calls[0].commandLine, L"REMOVE=ALL INSTALLEDFROMLAUNCHER=Yes ");
}

TEST(InstallPlanTest, ARemovalOfAMainProductThatIsNotInstalledIsRefused) {
    InstallPlanSettings settings;
    settings.action = InstallAction::UninstallProducts;
    settings.uninstall = true;
    const InstallPlan plan = PlanInstallation(settings, Packages({{true, false}, {true, true}}));
    EXPECT_TRUE(plan.calls.empty());
    EXPECT_EQ(plan.refusal, 1603u);
}

TEST(InstallPlanTest, AModificationShowsTheLicenceWhenASelectedSubPackageIsNew) {
    InstallPlanSettings settings;
    settings.action = InstallAction::ModifyProducts;
    settings.serviceProperties = L"BR_Service_StartType=demand";
    settings.backupProperties = L"SKIP_BACKUP=1";
    const struct {
        std::vector<PlanPackage> packages;
        bool licence;
    } cases[] = {
        {Packages({{true, true}, {true, true}, {false, false}}), false},
        {Packages({{true, true}, {true, true}, {true, false}}), true},
    };
    for (const auto& c : cases) {
        const InstallPlan plan = PlanInstallation(settings, c.packages);
        EXPECT_EQ(plan.onFailure, OnFailure::GoOnUnlessCancel);
        const std::wstring licence = c.licence ? L"UI_SHOW_LICENSE_AGREEMENT_DLG=\"Yes\" " : L"";
        ASSERT_GE(plan.calls.size(), 2u);
        EXPECT_EQ(plan.calls[0].commandLine,
                  L"INSTALLEDFROMLAUNCHER=Yes HAS_SUB_PACKAGES=\"Yes\" UI_HIDE_FINISH_DLG=\"Yes\" " +
                      licence + L"BR_Service_StartType=demand ");
        EXPECT_EQ(plan.calls[1].commandLine, L"INSTALLEDFROMLAUNCHER=Yes HAS_SUB_PACKAGES=\"Yes\" "
                                             L"UI_HIDE_ALL_BUT_CUSTOMIZE_AND_PROGRESS=\"Yes\" " +
                                                 licence + L"BR_Service_StartType=demand ");
        for (const PlannedCall& call : plan.calls) {
            EXPECT_FALSE(call.inverse);
        }
    }
}

TEST(InstallPlanTest, RepairAndExtractionTakeEverySelectedPackageInOrder) {
    for (const InstallAction action : {InstallAction::RepairProducts, InstallAction::ExtractProducts}) {
        InstallPlanSettings settings;
        settings.action = action;
        const InstallPlan plan =
            PlanInstallation(settings, Packages({{true, true}, {false, true}, {true, true}}));
        ASSERT_EQ(Order(plan), (std::vector<size_t>{0, 2}));
        EXPECT_EQ(plan.onFailure, OnFailure::GoOn);
        const bool repair = action == InstallAction::RepairProducts;
        EXPECT_EQ(plan.calls[1].kind, repair ? CallKind::ReinstallProduct : CallKind::CopyDatabaseOut);
        EXPECT_EQ(plan.calls[1].logLine, repair ? L"Reinstalling product P2" : L"Extracting product P2");
        EXPECT_FALSE(plan.calls[1].inverse);
    }
}

} // namespace
} // namespace quentry
