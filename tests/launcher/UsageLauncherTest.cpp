// The usage text and the property check as an administrator sees them: the real launcher (and
// launchers built from it with package resources of their own) run as child processes whose
// standard output is a pipe, so that they write UTF-8.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace quentry {
namespace {

using test::BuildPath;
using test::LauncherPath;
using test::ReadBytes;
using test::RunCommand;
using test::SourcePath;

std::wstring Fixture(const std::wstring& name) {
    return BuildPath(L"bin\\launcher-fixtures\\" + name);
}

std::string Expected(const std::wstring& name) {
    const std::string text = ReadBytes(SourcePath(L"tests\\launcher\\expected\\" + name));
    EXPECT_FALSE(text.empty()) << "missing expected text";
    return text;
}

test::ProcessResult RunLauncher(const std::wstring& launcher, const std::wstring& arguments) {
    return RunCommand(L"\"" + launcher + L"\" " + arguments);
}

// A line as the launcher writes it to a redirected output.
std::string Utf8Line(const char8_t* text) {
    return std::string(reinterpret_cast<const char*>(text)) + "\r\n";
}

TEST(UsageLauncherTest, UsageTextsAreComplete) {
    const struct {
        std::wstring launcher;
        const wchar_t* arguments;
        const wchar_t* expected;
    } cases[] = {
        {LauncherPath(), L"/?", L"usage-plain-en.txt"},
        {LauncherPath(), L"-H", L"usage-plain-en.txt"},
        // Not understood: the usage text, too.
        {LauncherPath(), L"/qN", L"usage-plain-en.txt"},
        {LauncherPath(), L"/qn++", L"usage-plain-en.txt"},
        {LauncherPath(), L"foo", L"usage-plain-en.txt"},
        {LauncherPath(), L"/", L"usage-plain-en.txt"},
        {LauncherPath(), L"\"\"", L"usage-plain-en.txt"},
        {LauncherPath(), L"/a /x /u /f", L"usage-plain-en.txt"},
        // A server product: three packages and the property groups its name brings.
        {Fixture(L"brindle-setup.exe"), L"/?", L"usage-brindle-en.txt"},
        // The usage comes before the property check's errors.
        {Fixture(L"brindle-setup.exe"), L"BR_WebServer_Port=80a /?", L"usage-brindle-en.txt"},
        // A multi-language build offers lang= and speaks the language it names.
        {Fixture(L"tessaro-setup.exe"), L"lang=German /?", L"usage-tessaro-de.txt"},
        {Fixture(L"tessaro-setup.exe"), L"lang=japanese /h", L"usage-tessaro-ja.txt"},
        // A single-language German build speaks German whatever lang= says.
        {Fixture(L"ledger-setup.exe"), L"/?", L"usage-ledger-de.txt"},
        {Fixture(L"ledger-setup.exe"), L"lang=English /?", L"usage-ledger-de.txt"},
    };
    for (const auto& c : cases) {
        const test::ProcessResult result = RunLauncher(c.launcher, c.arguments);
        EXPECT_FALSE(result.timedOut) << c.arguments;
        EXPECT_EQ(result.exitCode, 0u) << c.arguments;
        EXPECT_EQ(result.output, Expected(c.expected)) << c.launcher << L" " << c.arguments;
    }
}

TEST(UsageLauncherTest, NonNumericPortsStopTheRunWithOneErrorLineEach) {
    const std::string brindleWarning = "Warning: the property 'FOO' specified on the command line is not "
                                       "directly supported by this installer "
                                       "but will be passed on neverthless.\r\n";
    const struct {
        const wchar_t* arguments;
        std::string output;
    } cases[] = {
        {L"BR_WebServer_Port=80a", "\r\nError: Parameter BR_WebServer_Port must be numeric\n\r\n\r\n"},
        {L"BR_WebServer_Port=8080 BRWeb_SSLWebServer_Port=0x50 TVX_WebServer_Port= br_sslwebserver_port=1",
         "\r\nError: Parameter BRWeb_SSLWebServer_Port must be numeric\n"
         "Error: Parameter TVX_WebServer_Port must be numeric\n\r\n\r\n"},
        {L"FOO=1 \"PL_WebServer_Port=80 80\"",
         brindleWarning + "\r\nError: Parameter PL_WebServer_Port must be numeric\n\r\n\r\n"},
    };
    for (const auto& c : cases) {
        const test::ProcessResult result = RunLauncher(Fixture(L"brindle-setup.exe"), c.arguments);
        EXPECT_FALSE(result.timedOut) << c.arguments;
        EXPECT_EQ(result.exitCode, 0u) << c.arguments;
        EXPECT_EQ(result.output, c.output) << c.arguments;
    }
}

TEST(UsageLauncherTest, UnknownPropertiesAreWarnedAboutInTheLaunchersLanguage) {
    // A product without servers knows no server property: a port property only gets the warning.
    const test::ProcessResult plain = RunLauncher(LauncherPath(), L"BR_WebServer_Port=80a /?");
    EXPECT_EQ(plain.exitCode, 0u);
    EXPECT_EQ(plain.output, "Warning: the property 'BR_WebServer_Port' specified on the command line is not "
                            "directly supported by this installer but will be passed on neverthless.\r\n" +
                                Expected(L"usage-plain-en.txt"));

    const test::ProcessResult german = RunLauncher(Fixture(L"ledger-setup.exe"), L"Größe=1 /?");
    EXPECT_EQ(german.exitCode, 0u);
    EXPECT_EQ(german.output,
              Utf8Line(u8"Warnung: Die in der Befehlszeile angegebene Eigenschaft 'Größe' wird von diesem "
                       u8"Installationsprogramm nicht direkt unterstützt, aber trotzdem weitergegeben.") +
                  Expected(L"usage-ledger-de.txt"));
}

} // namespace
} // namespace quentry
