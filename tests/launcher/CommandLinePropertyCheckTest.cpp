#include "launcher/CommandLinePropertyCheck.h"
#include "common/LanguageTable.h"
#include "launcher/CommandLineInfo.h"
#include "launcher/UsageModel.h"
#include "servers/ServerPropertyCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

using Strings = std::vector<std::wstring>;

LanguageTable Language(const wchar_t* name) {
    LanguageTable table;
    table.SelectByName(name);
    return table;
}

TEST(CommandLinePropertyCheckTest, OnlyPortSettingsMustBeWholeDecimalNumbers) {
    const LanguageTable english = Language(L"English");
    const struct {
        const wchar_t* name;
        const wchar_t* value;
        bool ok;
    } cases[] = {
        {L"BR_WebServer_Port", L"8081", true},
        {L"BR_WebServer_Port", L"+8081", true},
        {L"BR_WebServer_Port", L"-1", true},
        {L"BR_WebServer_Port", L"  8081", true},
        {L"BR_WebServer_Port", L"", true},
        {L"BR_WebServer_Port", L"99999999999999999999", true},
        {L"BR_WebServer_Port", L"8081 ", false},
        {L"BR_WebServer_Port", L"0x50", false},
        {L"BR_WebServer_Port", L"80a", false},
        {L"BR_WebServer_Port", L"\"\"", false},
        {L"BR_WebServer_Port", L" ", false},
        {L"BR_WebServer_Port", L"+", false},
        {L"BR_WebServer_Port", L"80\u00e480", false},
        {L"BRWeb_SSLWebServer_Port", L"4647x", false},
        {L"br_sslwebserver_port", L"abc", false},
        {L"TSRAdmin_WEBSERVER_PORT", L"abc", false},
        // Everything that is not a port passes, whatever its value.
        {L"BR_WebServer_Host", L"abc", true},
        {L"BR_WebServer_Enabled", L"yes", true},
        {L"BR_Service_Password", L"0x50", true},
        // The setting is what follows the first '_'.
        {L"WebServer_Port", L"abc", true},
        {L"X_Y_WebServer_Port", L"abc", true},
        {L"Port", L"abc", true},
    };
    for (const auto& c : cases) {
        std::wstring errors = L"before\n";
        EXPECT_EQ(CheckNumericProperty(english, c.name, c.value, errors), c.ok) << c.name << L"=" << c.value;
        const std::wstring expected =
            c.ok ? L"before\n" : L"before\nError: Parameter " + std::wstring(c.name) + L" must be numeric\n";
        EXPECT_EQ(errors, expected) << c.name << L"=" << c.value;
    }
}

TEST(CommandLinePropertyCheckTest, TheErrorLineIsInTheCurrentLanguage) {
    std::wstring errors;
    EXPECT_FALSE(CheckNumericProperty(Language(L"German"), L"TVX_WebServer_Port", L"x", errors));
    EXPECT_FALSE(CheckNumericProperty(Language(L"Japanese"), L"TVX_SSLWebServer_Port", L"y", errors));
    EXPECT_EQ(errors, L"Fehler: Der Parameter TVX_WebServer_Port muss numerisch sein\n"
                      L"エラー: パラメーター TVX_SSLWebServer_Port は数値である必要があります\n");
}

TEST(CommandLinePropertyCheckTest, KnownPropertiesAreCheckedAndUnknownOnesOnlyWarnedAbout) {
    const LanguageTable english = Language(L"English");
    const auto brindle = BuildServerPropertyGroups(L"Zorvat Brindle Server 2026");
    const auto plain = BuildServerPropertyGroups(L"Zorvat Ledger 2026");
    auto warning = [](const std::wstring& name) {
        return L"Warning: the property '" + name +
               L"' specified on the command line is not directly supported by this installer but will be "
               L"passed on neverthless.";
    };
    auto error = [](const std::wstring& name) { return L"Error: Parameter " + name + L" must be numeric\n"; };

    const struct {
        const wchar_t* arguments;
        const std::vector<UsagePropertyGroup>& groups;
        bool ok;
        std::wstring errors;
        Strings warnings;
    } cases[] = {
        {L"BR_WebServer_Port=80a", brindle, false, error(L"BR_WebServer_Port"), {}},
        // An empty value arrives as two double quotes, which is not a number.
        {L"TVX_WebServer_Port=", brindle, false, error(L"TVX_WebServer_Port"), {}},
        {L"br_sslwebserver_port=1 BRWeb_WebServer_Port=8082 PL_WebServer_Port=+88", brindle, true, L"", {}},
        {L"FOO=1 BR_WebServer_Port=x \"BRWeb_SSLWebServer_Port=1 2\" TSR_Service_Username=me",
         brindle,
         false,
         error(L"BR_WebServer_Port") + error(L"BRWeb_SSLWebServer_Port"),
         {warning(L"FOO"), warning(L"TSR_Service_Username")}},
        // The launcher's own settings are accepted as they are (a second TRANSFORMS= lands here).
        {L"TRANSFORMS=a.mst transforms=b.mst", brindle, true, L"", {}},
        // A product without servers knows no server property: only warnings, never an error.
        {L"BR_WebServer_Port=80a", plain, true, L"", {warning(L"BR_WebServer_Port")}},
        {L"Wert%s%d=1", plain, true, L"", {warning(L"Wert%s%d")}},
    };
    for (const auto& c : cases) {
        CSetupAppCommandLineInfo info;
        info.ParseCommandLine(std::wstring(L"setup.exe ") + c.arguments);
        const Strings before = info.m_properties;
        const PropertyCheckResult result = CheckCommandLineProperties(info.m_properties, c.groups, english);
        EXPECT_EQ(result.ok, c.ok) << c.arguments;
        EXPECT_EQ(result.errors, c.errors) << c.arguments;
        EXPECT_EQ(result.warnings, c.warnings) << c.arguments;
        EXPECT_EQ(info.m_properties, before) << c.arguments;
    }
}

TEST(CommandLinePropertyCheckTest, LaunchersOwnSettingNamesAreAcceptedIgnoringCase) {
    const Strings properties = {L"LANG=German", L"subpackages=none", L"Transforms=x.mst"};
    const PropertyCheckResult result = CheckCommandLineProperties(properties, {}, Language(L"English"));
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_TRUE(result.errors.empty());
}

} // namespace
} // namespace quentry
