#include "launcher/CommandLineMask.h"

#include "common/WideText.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

TEST(CommandLineMaskTest, ServicePasswordsAreHiddenAndTheRestKept) {
    const struct {
        std::wstring given;
        std::wstring logged;
    } cases[] = {
        {L"", L""},
        {L"/qn /L*v \"C:\\a b\\log.txt\" A=100%s", L"/qn /L*v \"C:\\a b\\log.txt\" A=100%s"},
        {L"BR_Service_Password=secret", L"BR_Service_Password=*****"},
        {L"/qn  BR_Service_Password=secret  X=1", L"/qn  BR_Service_Password=*****  X=1"},
        {L"BRWeb_Service_Password=\"my secret\" TSR_Service_Username=bob",
         L"BRWeb_Service_Password=***** TSR_Service_Username=bob"},
        {L"\"TSR_Service_Password=a b c\" next", L"\"TSR_Service_Password=*****\" next"},
        {L"br_service_password=x PL_SERVICE_PASSWORD=y",
         L"br_service_password=***** PL_SERVICE_PASSWORD=*****"},
        {L"BR_Service_Password=\"a\\\" b\" after", L"BR_Service_Password=***** after"},
        {L"BR_Service_Password=a=b", L"BR_Service_Password=*****"},
        {L"BR_Service_Password=", L"BR_Service_Password=*****"},
        {L"BR_Service_Passwords=visible Service_Password_X=visible",
         L"BR_Service_Passwords=visible Service_Password_X=visible"},
        {L"\tBR_Service_Password=s\t", L"\tBR_Service_Password=*****\t"},
        {L"unclosed \"BR_Service_Password=s t", L"unclosed \"BR_Service_Password=*****\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.given));
        EXPECT_EQ(MaskServicePasswords(c.given), c.logged);
    }
}

} // namespace
} // namespace quentry
