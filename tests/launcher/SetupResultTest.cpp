#include "launcher/SetupResult.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

TEST(SetupResultTest, InstallerErrorsMapToResultCodes) {
    const struct {
        uint32_t installerError;
        int32_t code;
    } cases[] = {{0, Success},
                 {1602, UserCancelled},
                 {1620, InstallerCorrupted},
                 {1633, Package64On32},
                 {1638, InstalledElsewhere},
                 {1603, InstallationFailed},
                 {1625, InstallationFailed}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResultCodeForInstallerError(c.installerError), c.code) << c.installerError;
    }
}

TEST(SetupResultTest, CodesCarryTheirLogTextsAndMessages) {
    EXPECT_STREQ(ResultLogText(InstallerCorrupted), L"Installer is corrupted.");
    EXPECT_EQ(ResultMessageId(InstallerCorrupted), 6u);
    EXPECT_STREQ(ResultLogText(InstalledElsewhere), L"");
    EXPECT_EQ(ResultMessageId(InstalledElsewhere), 24u);
    EXPECT_EQ(ResultMessageId(InstallationFailed), 0u);
    EXPECT_EQ(ResultMessageId(1625), 26u);
    EXPECT_EQ(ResultMessageId(12), 0u);
    EXPECT_STREQ(ResultLogText(12), L"");
}

} // namespace
} // namespace quentry
