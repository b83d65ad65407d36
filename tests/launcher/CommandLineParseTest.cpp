#include "launcher/CommandLineInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

using Strings = std::vector<std::wstring>;

CSetupAppCommandLineInfo Parse(const std::wstring& arguments) {
    CSetupAppCommandLineInfo info;
    info.ParseCommandLine(L"\"C:\\Program Files\\Zorvat\\setup.exe\" " + arguments);
    return info;
}

TEST(CommandLineParseTest, WithoutArgumentsEverySettingKeepsItsDefault) {
    for (const wchar_t* commandLine : {L"setup.exe", L"\"C:\\a b\\setup.exe\"", L"setup.exe   ", L""}) {
        CSetupAppCommandLineInfo info;
        info.ParseCommandLine(commandLine);
        EXPECT_FALSE(info.m_invalidSyntax || info.m_showHelp || info.m_extractOnly || info.m_adminInstall ||
                     info.m_uninstall || info.m_repair || info.m_fastOem || info.m_expectLogFile ||
                     info.m_allUsersOne || info.m_fastOemRequested || info.m_expectMifFile ||
                     info.m_validateOnly)
            << commandLine;
        EXPECT_EQ(info.m_reinstallMode, 0u);
        EXPECT_EQ(info.m_uiLevel, 133u);
        EXPECT_EQ(info.m_logMode, 919u);
        EXPECT_EQ(info.m_logAttributes, 0u);
        EXPECT_TRUE(info.m_logFileName.empty() && info.m_commandLineTransforms.empty() &&
                    info.m_properties.empty() && info.m_mifFileName.empty() && info.m_language.empty() &&
                    info.m_subPackages.empty());
        EXPECT_FALSE(info.IsQuiet());
    }
}

// Everything a flag can set, compared as a whole so that a flag that sets too much is caught.
struct FlagOutcome {
    bool invalid = false;
    bool help = false;
    bool admin = false;
    bool repair = false;
    bool uninstall = false;
    bool extract = false;
    bool validate = false;
    uint32_t uiLevel = 133;
    uint32_t reinstallMode = 0;
    uint32_t logMode = 919;
    uint32_t logAttributes = 0;
    bool expectLog = false;
    bool expectMif = false;

    static FlagOutcome Of(const CSetupAppCommandLineInfo& info) {
        return {info.m_invalidSyntax, info.m_showHelp,    info.m_adminInstall,  info.m_repair,
                info.m_uninstall,     info.m_extractOnly, info.m_validateOnly,  info.m_uiLevel,
                info.m_reinstallMode, info.m_logMode,     info.m_logAttributes, info.m_expectLogFile,
                info.m_expectMifFile};
    }
    bool operator==(const FlagOutcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const FlagOutcome& o) {
    return out << "invalid " << o.invalid << " help " << o.help << " admin " << o.admin << " repair "
               << o.repair << " uninstall " << o.uninstall << " extract " << o.extract << " validate "
               << o.validate << " ui " << o.uiLevel << " reinstall " << o.reinstallMode << " log "
               << o.logMode << "/" << o.logAttributes << " expectLog " << o.expectLog << " expectMif "
               << o.expectMif;
}

FlagOutcome Invalid(uint32_t uiLevel = 133) {
    FlagOutcome o;
    o.invalid = true;
    o.uiLevel = uiLevel;
    return o;
}
FlagOutcome UiLevel(uint32_t level) {
    FlagOutcome o;
    o.uiLevel = level;
    return o;
}
FlagOutcome Repair(uint32_t mode) {
    FlagOutcome o;
    o.repair = true;
    o.reinstallMode = mode;
    return o;
}
FlagOutcome Log(uint32_t mode, uint32_t attributes) {
    FlagOutcome o;
    o.logMode = mode;
    o.logAttributes = attributes;
    o.expectLog = true;
    return o;
}

TEST(CommandLineParseTest, FlagsSetWhatTheirTableSays) {
    FlagOutcome help;
    help.help = true;
    FlagOutcome admin;
    admin.admin = true;
    FlagOutcome uninstall;
    uninstall.uninstall = true;
    FlagOutcome extract;
    extract.extract = true;
    FlagOutcome validate;
    validate.validate = true;
    FlagOutcome mif;
    mif.expectMif = true;

    const struct {
        const wchar_t* arguments;
        FlagOutcome expected;
    } cases[] = {
        // Whole flags ignore case, and '-' serves as well as '/'.
        {L"/?", help},
        {L"/h", help},
        {L"-H", help},
        {L"/help", Invalid()},
        {L"/a", admin},
        {L"-A", admin},
        {L"/x", uninstall},
        {L"/X", uninstall},
        {L"/u", extract},
        {L"/v", validate},
        {L"/V", validate},
        {L"/m", mif},
        {L"/M", mif},
        {L"/ax", Invalid()},
        // Repair: no letters means a, m, u, s, v; letters after f are lowercase only.
        {L"/f", Repair(1984)},
        {L"/F", Repair(1984)},
        {L"/fa", Repair(64)},
        {L"/fpoedcamusv", Repair(2 | 4 | 8 | 16 | 32 | 64 | 128 | 256 | 512 | 1024)},
        {L"/fA", Repair(0)},
        {L"/fz", Repair(0)},
        // UI levels.
        {L"/q", UiLevel(2)},
        {L"/Q", UiLevel(2)},
        {L"/qn", UiLevel(2)},
        {L"/qb", UiLevel(3)},
        {L"/qr", UiLevel(4)},
        {L"/qf", UiLevel(5)},
        {L"/q+", UiLevel(130)},
        {L"/qn+", UiLevel(130)},
        {L"/qb+", UiLevel(131)},
        {L"/qr+", UiLevel(132)},
        {L"/qf+", UiLevel(133)},
        {L"/qN", Invalid(2)},
        {L"/QN", Invalid(2)},
        {L"/qx", Invalid(2)},
        {L"/qnb", Invalid(2)},
        {L"/q+n", Invalid(130)},
        {L"/q++", Invalid(130)},
        {L"/qn++", Invalid(130)},
        {L"/qb+x", Invalid(131)},
        // Logging: letters replace the default mode; '+' and '!' are attributes.
        {L"/L*v!", Log(8095, 2)},
        {L"/l", Log(919, 0)},
        {L"/Lie+", Log(16 | 2, 1)},
        {L"/Lmewuioarcvx!+", Log(1 | 2 | 4 | 8 | 16 | 128 | 256 | 512 | 2048 | 4096 | 8192, 3)},
        {L"/LZ", Log(0, 0)},
        // Not understood.
        {L"/", Invalid()},
        {L"-", Invalid()},
        {L"/z", Invalid()},
        {L"//q", Invalid()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FlagOutcome::Of(Parse(c.arguments)), c.expected) << c.arguments;
    }
}

TEST(CommandLineParseTest, AFourthModeOptionMakesTheCommandLineInvalid) {
    const struct {
        const wchar_t* arguments;
        bool invalid;
        bool admin, repair, uninstall, extract;
    } cases[] = {
        {L"/a /x /u", false, true, false, true, true},
        {L"/a /a /a /a", false, true, false, false, false},
        {L"/a /x /u /f", true, true, false, true, true},
        {L"/f /x /u /a", true, false, true, true, true},
        {L"/u /x /f /a /u", true, false, true, true, true},
    };
    for (const auto& c : cases) {
        const CSetupAppCommandLineInfo info = Parse(c.arguments);
        EXPECT_EQ(info.m_invalidSyntax, c.invalid) << c.arguments;
        EXPECT_EQ(info.m_adminInstall, c.admin) << c.arguments;
        EXPECT_EQ(info.m_repair, c.repair) << c.arguments;
        EXPECT_EQ(info.m_uninstall, c.uninstall) << c.arguments;
        EXPECT_EQ(info.m_extractOnly, c.extract) << c.arguments;
    }
}

TEST(CommandLineParseTest, PlainArgumentsFollowTheFirstRuleThatMatches) {
    const struct {
        const wchar_t* arguments;
        bool invalid;
        const wchar_t* transforms;
        const wchar_t* language;
        const wchar_t* subPackages;
        const wchar_t* logFile;
        const wchar_t* mifFile;
        Strings properties;
    } cases[] = {
        {L"TRANSFORMS=a.mst;b.mst", false, L"a.mst;b.mst", L"", L"", L"", L"", {}},
        // Only the first TRANSFORMS= is the launcher's; a second one is an ordinary property.
        {L"transforms=a.mst TRANSFORMS=b.mst", false, L"a.mst", L"", L"", L"", L"", {L"TRANSFORMS=b.mst"}},
        {L"lang=German LANG=french", false, L"", L"french", L"", L"", L"", {}},
        {L"subPackages=ALL", false, L"", L"", L"", L"", L"", {}},
        {L"SUBPACKAGES=\\\"all\\\"", false, L"", L"", L"", L"", L"", {}},
        {L"subPackages=\\\"Server,Client\\\"", false, L"", L"", L"Server,Client", L"", L"", {}},
        {L"subPackages=none subPackages=Web", false, L"", L"", L"Web", L"", L"", {}},
        {L"/L*v log.txt /m status.mif", false, L"", L"", L"", L"log.txt", L"status.mif", {}},
        // Both files expected: the MIF file is served first.
        {L"/L /m first second", false, L"", L"", L"", L"second", L"first", {}},
        // lang= is taken as the language even while a log file name is expected.
        {L"/L lang=German setup.log", false, L"", L"German", L"", L"setup.log", L"", {}},
        // A second file name after the first has arrived is a plain argument again.
        {L"/L one.log two.log", true, L"", L"", L"", L"one.log", L"", {}},
        {L"/L one.log A=1", false, L"", L"", L"", L"one.log", L"", {L"A=1"}},
        {L"foo", true, L"", L"", L"", L"", L"", {}},
        {L"\"\"", true, L"", L"", L"", L"", L"", {}},
        // An empty argument after /L is the (empty) log file name: no log, nothing invalid.
        {L"/L \"\"", false, L"", L"", L"", L"", L"", {}},
    };
    for (const auto& c : cases) {
        const CSetupAppCommandLineInfo info = Parse(c.arguments);
        EXPECT_EQ(info.m_invalidSyntax, c.invalid) << c.arguments;
        EXPECT_EQ(info.m_commandLineTransforms, c.transforms) << c.arguments;
        EXPECT_EQ(info.m_language, c.language) << c.arguments;
        EXPECT_EQ(info.m_subPackages, c.subPackages) << c.arguments;
        EXPECT_EQ(info.m_logFileName, c.logFile) << c.arguments;
        EXPECT_EQ(info.m_mifFileName, c.mifFile) << c.arguments;
        EXPECT_EQ(info.m_properties, c.properties) << c.arguments;
    }
}

TEST(CommandLineParseTest, LogAndMifFlagsAtTheEndLeaveTheirFileNamesEmpty) {
    const CSetupAppCommandLineInfo log = Parse(L"/qn /L*v");
    EXPECT_FALSE(log.m_invalidSyntax);
    EXPECT_TRUE(log.m_expectLogFile);
    EXPECT_EQ(log.m_logFileName, L"");
    EXPECT_EQ(log.m_logMode, 3999u | 4096u);

    const CSetupAppCommandLineInfo mif = Parse(L"/qn /m");
    EXPECT_FALSE(mif.m_invalidSyntax);
    EXPECT_TRUE(mif.m_expectMifFile);
    EXPECT_EQ(mif.m_mifFileName, L"");
}

TEST(CommandLineParseTest, SubPackagePatternsAreTheCommaSeparatedParts) {
    EXPECT_EQ(Parse(L"subPackages=Server,Client").SubPackagePatterns(), (Strings{L"Server", L"Client"}));
    EXPECT_EQ(Parse(L"subPackages=none").SubPackagePatterns(), (Strings{L"none"}));
    EXPECT_EQ(Parse(L"subPackages=a,,b,").SubPackagePatterns(), (Strings{L"a", L"", L"b", L""}));
    EXPECT_EQ(Parse(L"subPackages=all").SubPackagePatterns(), Strings{});
}

TEST(CommandLineParseTest, PropertiesAreTrimmedAndQuotedAsTheInstallerNeedsThem) {
    const struct {
        const wchar_t* arguments;
        Strings properties;
        bool invalid = false;
    } cases[] = {
        {L"MYPROP=", {L"MYPROP=\"\""}},
        {L"MYPROP=\"\"", {L"MYPROP=\"\""}},
        {L"\"MYPROP=a b\"", {L"MYPROP=\"a b\""}},
        {L"MYPROP=\"a b\"", {L"MYPROP=\"a b\""}},
        {L"\" NAME = value \"", {L"NAME=value"}},
        {L"\"NAME =\t a b \t\"", {L"NAME=\"a b\""}},
        // A value that already begins with a double quote is left as it is.
        {L"\"DIR=\\\"C:\\x y\\\"\"", {L"DIR=\"C:\\x y\""}},
        {L"\"A=\\\"x\\\" y\"", {L"A=\"x\" y"}},
        {L"\"A=x\ty\"", {L"A=x\ty"}},
        {L"A=b=c", {L"A=b=c"}},
        {L"=5", {L"=5"}},
        // Unquoted, the blank splits the arguments and the second one is not understood.
        {L"NAME=Größe Ä", {L"NAME=Größe"}, true},
        {L"\"NAME=Größe Ä\" 名前=値", {L"NAME=\"Größe Ä\"", L"名前=値"}},
        {L"A=1 B=2 A=3", {L"A=1", L"B=2", L"A=3"}},
    };
    for (const auto& c : cases) {
        const CSetupAppCommandLineInfo info = Parse(c.arguments);
        EXPECT_EQ(info.m_invalidSyntax, c.invalid) << c.arguments;
        EXPECT_EQ(info.m_properties, c.properties) << c.arguments;
    }
}

TEST(CommandLineParseTest, FastOemReachesTheInstallerOnlyInAQuietFirstInstallationForAllUsers) {
    const struct {
        const wchar_t* arguments;
        bool fastOem;
        Strings properties;
    } cases[] = {
        {L"FASTOEM=1 ALLUSERS=1 /qn", true, {L"FASTOEM=1", L"ALLUSERS=1"}},
        {L"/qb+ ALLUSERS=1 FASTOEM=1", true, {L"ALLUSERS=1", L"FASTOEM=1"}},
        {L"\" FASTOEM = 1 \" ALLUSERS=1 /q", true, {L"FASTOEM=1", L"ALLUSERS=1"}},
        {L"FASTOEM=1 ALLUSERS=1", false, {L"ALLUSERS=1"}},
        {L"FASTOEM=1 ALLUSERS=1 /qr", false, {L"ALLUSERS=1"}},
        {L"FASTOEM=1 /qn", false, {}},
        {L"FASTOEM=1 ALLUSERS=2 /qn", false, {L"ALLUSERS=2"}},
        {L"FASTOEM=1 ALLUSERS=1 /qn /x", false, {L"ALLUSERS=1"}},
        {L"FASTOEM=1 ALLUSERS=1 /qn /a", false, {L"ALLUSERS=1"}},
        {L"FASTOEM=1 ALLUSERS=1 /qn /fa", false, {L"ALLUSERS=1"}},
        {L"FASTOEM=1 A=1 FASTOEM=1", false, {L"A=1"}},
        // Only the exact name and value count; anything else is an ordinary property.
        {L"fastoem=1 ALLUSERS=1", false, {L"fastoem=1", L"ALLUSERS=1"}},
        {L"FASTOEM=2 ALLUSERS=1 /qn", false, {L"FASTOEM=2", L"ALLUSERS=1"}},
        {L"ALLUSERS=1 /qn", false, {L"ALLUSERS=1"}},
    };
    for (const auto& c : cases) {
        const CSetupAppCommandLineInfo info = Parse(c.arguments);
        EXPECT_EQ(info.m_fastOem, c.fastOem) << c.arguments;
        EXPECT_EQ(info.m_properties, c.properties) << c.arguments;
    }
}

TEST(CommandLineParseTest, ArgumentsAreSplitAsTheSystemSplitsThem) {
    const struct {
        const wchar_t* commandLine;
        Strings arguments;
    } cases[] = {
        {L"setup.exe a b", {L"setup.exe", L"a", L"b"}},
        {L"setup.exe\t a \t b ", {L"setup.exe", L"a", L"b"}},
        {L"\"C:\\Program Files\\setup.exe\" /q", {L"C:\\Program Files\\setup.exe", L"/q"}},
        {L"setup.exe \"a b\" c", {L"setup.exe", L"a b", L"c"}},
        {L"setup.exe a\"b c\"d", {L"setup.exe", L"ab cd"}},
        {L"setup.exe \"\"", {L"setup.exe", L""}},
        // Backslashes are literal unless they stand before a double quote.
        {L"setup.exe C:\\tmp\\x.log", {L"setup.exe", L"C:\\tmp\\x.log"}},
        {L"setup.exe a\\\"b", {L"setup.exe", L"a\"b"}},
        {L"setup.exe \"a\\\\\" b", {L"setup.exe", L"a\\", L"b"}},
        {L"setup.exe a\\\\\\\"b", {L"setup.exe", L"a\\\"b"}},
        // An unbalanced quote runs to the end.
        {L"setup.exe \"unbalanced /q x", {L"setup.exe", L"unbalanced /q x"}},
        {L"setup.exe A=\"b", {L"setup.exe", L"A=b"}},
        // The program name ends at its closing quote, and is empty when the line starts blank.
        {L"\"C:\\a b\\setup.exe\"/q x", {L"C:\\a b\\setup.exe", L"/q", L"x"}},
        {L"  /q x", {L"", L"/q", L"x"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.commandLine), c.arguments) << c.commandLine;
    }
}

TEST(CommandLineParseTest, TheLoggedTextIsWhatFollowsTheProgramName) {
    const struct {
        const wchar_t* commandLine;
        const wchar_t* rest;
    } cases[] = {
        {L"\"C:\\a b\\setup.exe\" /q A=100%s", L"/q A=100%s"},
        {L"setup.exe   /x  \"B=c d\"", L"/x  \"B=c d\""},
        {L"setup.exe", L""},
        {L"\"C:\\unterminated /q", L""},
        {L"\"C:\\a b\\setup.exe\"/q x", L"/q x"},
        {L"  /q x", L"/q x"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextAfterProgramName(c.commandLine), c.rest) << c.commandLine;
    }
}

TEST(CommandLineParseTest, HugeAndMalformedArgumentsNeitherCrashNorLoseText) {
    const std::wstring huge(100000, L'x');

    CSetupAppCommandLineInfo property = Parse(L"P=" + huge);
    EXPECT_FALSE(property.m_invalidSyntax);
    ASSERT_EQ(property.m_properties.size(), 1u);
    EXPECT_EQ(property.m_properties[0], L"P=" + huge);

    const CSetupAppCommandLineInfo quoted = Parse(L"\"P=" + huge + L" y\"");
    ASSERT_EQ(quoted.m_properties.size(), 1u);
    EXPECT_EQ(quoted.m_properties[0], L"P=\"" + huge + L" y\"");

    EXPECT_TRUE(Parse(huge).m_invalidSyntax);
    EXPECT_TRUE(Parse(L"/" + huge).m_invalidSyntax);
    EXPECT_TRUE(Parse(L"/q" + huge).m_invalidSyntax);

    const CSetupAppCommandLineInfo log = Parse(L"/L" + huge + L" " + huge);
    EXPECT_EQ(log.m_logFileName, huge);
    EXPECT_EQ(log.m_logMode, 8192u); // every letter is an 'x'

    // Quotes around a subPackages= value are removed however many there are.
    CSetupAppCommandLineInfo quotes;
    quotes.ParseArguments({L"subPackages=" + std::wstring(100000, L'"') + L"x" + std::wstring(100000, L'"')});
    EXPECT_FALSE(quotes.m_invalidSyntax);
    EXPECT_EQ(quotes.m_subPackages, L"x");

    const std::wstring hugeLang = L"lang=" + huge;
    EXPECT_EQ(Parse(hugeLang).m_language, huge);
}

} // namespace
} // namespace quentry
