#include "servers/ServiceController.h"

#include "TestService.h"

#include "common/WideText.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

std::wstring TestName(const wchar_t* suffix) {
    return Format(L"QuentryTest%lu%s", ::GetCurrentProcessId(), suffix);
}

TEST(ServiceControllerTest, ReadsAServiceWithAUserAccount) {
    const std::wstring name = TestName(L"User");
    test::TestService service(name, L"Quentry Test User Service", SERVICE_DEMAND_START, L".\\user", false,
                              L"Serves the tests");
    ASSERT_TRUE(service.Created());
    ServiceController controller;
    controller.OpenService(name);
    EXPECT_TRUE(controller.HasManager());
    ASSERT_TRUE(controller.HasService());
    EXPECT_EQ(controller.serviceName, name);
    EXPECT_EQ(controller.displayName, L"Quentry Test User Service");
    EXPECT_EQ(controller.description, L"Serves the tests");
    EXPECT_EQ(controller.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_FALSE(controller.delayedAutoStart);
    EXPECT_EQ(controller.commandLine, L"C:\\windows\\system32\\notepad.exe -service");
    EXPECT_EQ(controller.accountName, L"user");
    EXPECT_EQ(controller.reportedAccountName, L".\\user");
    controller.CloseService();
    EXPECT_FALSE(controller.HasService());
    EXPECT_FALSE(controller.HasManager());
}

TEST(ServiceControllerTest, AnAutomaticServiceWithTheDelayedFlag) {
    const std::wstring name = TestName(L"Delayed");
    test::TestService service(name, L"Quentry Test Delayed", SERVICE_AUTO_START, L"", true);
    ASSERT_TRUE(service.Created());
    ServiceController controller;
    controller.OpenService(name);
    ASSERT_TRUE(controller.HasService());
    EXPECT_EQ(controller.startType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_TRUE(controller.delayedAutoStart);
    EXPECT_EQ(controller.accountName, L"LocalSystem");
    EXPECT_EQ(controller.description, L"");
}

TEST(ServiceControllerTest, AMissingServiceLeavesEverythingEmpty) {
    ServiceController controller;
    controller.OpenService(TestName(L"Missing"));
    EXPECT_TRUE(controller.HasManager());
    EXPECT_FALSE(controller.HasService());
    EXPECT_EQ(controller.serviceName, L"");
    EXPECT_EQ(controller.displayName, L"");
    EXPECT_EQ(controller.startType, 0u);
    EXPECT_EQ(controller.accountName, L"");
    EXPECT_EQ(controller.reportedAccountName, L"");
    controller.CloseService();
    EXPECT_FALSE(controller.HasManager());
}

TEST(ServiceControllerTest, AsksOnlyForTheRightToRead) {
    EXPECT_EQ(ServiceController::kManagerAccess, static_cast<DWORD>(SC_MANAGER_CONNECT));
    EXPECT_EQ(ServiceController::kServiceAccess, static_cast<DWORD>(SERVICE_QUERY_CONFIG));
}

} // namespace
} // namespace quentry
