#include "launcher/UsageModel.h"
#include "catalogue/MainProductName.h"
#include "common/LanguageTable.h"
#include "common/UniqueHandle.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

using Strings = std::vector<std::wstring>;

std::vector<unsigned> Titles(const std::vector<UsagePropertyGroup>& groups) {
    std::vector<unsigned> titles;
    for (const UsagePropertyGroup& group : groups) {
        titles.push_back(group.titleId);
    }
    return titles;
}

const UsagePropertyGroup* FindGroup(const std::vector<UsagePropertyGroup>& groups, unsigned titleId) {
    for (const UsagePropertyGroup& group : groups) {
        if (group.titleId == titleId) {
            return &group;
        }
    }
    return nullptr;
}

TEST(UsageModelTest, TheMainProductNameSelectsTheServerPropertyGroups) {
    const struct {
        const wchar_t* productName;
        std::vector<unsigned> titles;
    } cases[] = {
        {L"Zorvat Brindle Server 2026", {1263, 1264, 1265, 1266, 1276, 1267, 1268, 1269, 1270}},
        {L"Zorvat PellamServer 2026", {1267, 1268}},
        {L"Zorvat Talvex Server 2026", {1267, 1268, 1269, 1270}},
        {L"Zorvat Talvex+XBRL Server 2026", {1267, 1268, 1271, 1272}},
        {L"Zorvat Quorell Server 2026", {1267, 1268}},
        {L"Zorvat Tandrel Server 2026 R2", {1267, 1268}},
        {L"Zorvat Tessaro Server 2026", {1267, 1268, 1273, 1274, 1275, 1278}},
        {L"Zorvat Braxel Server 2026", {1267, 1268, 1325, 1326}},
        // The name must begin with the text, blank included, in the same case.
        {L"Zorvat Brindle Server", {}},
        {L"zorvat brindle server 2026", {}},
        {L" Zorvat Brindle Server 2026", {}},
        {L"Zorvat Brindle Client 2026", {}},
        {L"Zorvat Ledger 2026", {}},
        {L"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Titles(BuildServerPropertyGroups(c.productName)), c.titles) << c.productName;
    }
}

TEST(UsageModelTest, ServerPropertiesCarryTheirPrefixPlaceholderAndDescription) {
    struct Property {
        std::wstring name;
        unsigned placeholderId;
        unsigned descriptionId;
        bool operator==(const Property&) const = default;
    };
    auto properties = [](const wchar_t* product, unsigned titleId) {
        std::vector<Property> list;
        const auto groups = BuildServerPropertyGroups(product);
        if (const UsagePropertyGroup* group = FindGroup(groups, titleId)) {
            for (const UsageOption& option : group->properties) {
                list.push_back({option.syntax, option.placeholderId, option.descriptionId});
            }
        }
        return list;
    };
    // The SSL host and port of these servers reuse the plain web server's descriptions.
    EXPECT_EQ(properties(L"Zorvat Braxel Server 2026", 1325),
              (std::vector<Property>{
                  {L"BX_WebServer_Enabled", 1240, 1241},
                  {L"BX_WebServer_Host", 1242, 1243},
                  {L"BX_WebServer_Port", 1244, 1245},
                  {L"BX_SSLWebServer_Enabled", 1240, 1241},
                  {L"BX_SSLWebServer_Host", 1246, 1243},
                  {L"BX_SSLWebServer_Port", 1248, 1245},
                  {L"BX_SSLWebServer_Certificate", 1250, 1251},
                  {L"BX_SSLWebServer_PrivateKey", 1252, 1253},
              }));
    EXPECT_EQ(properties(L"Zorvat Talvex+XBRL Server 2026", 1272),
              (std::vector<Property>{
                  {L"TXBRL_Service_DisplayName", 1254, 1255},
                  {L"TXBRL_Service_StartType", 1256, 1257},
                  {L"TXBRL_Service_Username", 1258, 1259},
                  {L"TXBRL_Service_Password", 1260, 1261},
              }));
    const auto xbrlWeb = properties(L"Zorvat Talvex+XBRL Server 2026", 1271);
    ASSERT_EQ(xbrlWeb.size(), 8u);
    EXPECT_EQ(xbrlWeb[4], (Property{L"TXBRL_SSLWebServer_Host", 1246, 1243}));
    EXPECT_EQ(xbrlWeb[5], (Property{L"TXBRL_SSLWebServer_Port", 1248, 1245}));
    // Elsewhere the SSL server has descriptions of its own.
    const auto tessaroClient = properties(L"Zorvat Tessaro Server 2026", 1274);
    ASSERT_EQ(tessaroClient.size(), 6u);
    EXPECT_EQ(tessaroClient[4], (Property{L"TSRClient_SSLWebServer_Host", 1246, 1247}));
    EXPECT_EQ(tessaroClient[5], (Property{L"TSRClient_SSLWebServer_Port", 1248, 1249}));
}

TEST(UsageModelTest, InstallOptionsDependOnTheLanguageLayoutAndThePackageCount) {
    LanguageTable english;
    english.SelectByName(L"English");
    const Strings always = {L"/q[n|r|f|b][+]", L"/L[i|w|e|a|r|u|c|m|o|v|x|*|+|!] <LogFile>",
                            L"/m <MIF File>"};
    const std::wstring subPackages = L"SubPackages=all|none|<PackageNamePart>{,<PackageNamePart>}";
    const std::wstring lang = L"lang=<LanguageName>";
    const Strings tail = {L"TRANSFORMS=<Transforms>", L"<Property>=<Value>"};
    auto join = [](std::initializer_list<Strings> parts) {
        Strings all;
        for (const Strings& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    };
    const struct {
        bool multiLanguage;
        int32_t packageCount;
        Strings options;
    } cases[] = {
        {false, 0, join({always, tail})},        {false, 1, join({always, tail})},
        {false, -5, join({always, tail})},       {false, 2, join({always, {subPackages}, tail})},
        {true, 1, join({{lang}, always, tail})}, {true, 7, join({{lang}, always, {subPackages}, tail})},
    };
    for (const auto& c : cases) {
        const auto commands = BuildUsageCommands(english, c.multiLanguage, c.packageCount);
        ASSERT_EQ(commands.size(), 6u);
        const Strings syntaxes = {commands[0].syntax, commands[1].syntax, commands[2].syntax,
                                  commands[3].syntax, commands[4].syntax, commands[5].syntax};
        EXPECT_EQ(syntaxes, (Strings{L"/h", L"", L"/f[p|o|e|d|c|a|u|m|s|v]", L"/x", L"/a", L"/u"}));
        const std::vector<unsigned> descriptions = {commands[0].descriptionId, commands[1].descriptionId,
                                                    commands[2].descriptionId, commands[3].descriptionId,
                                                    commands[4].descriptionId, commands[5].descriptionId};
        EXPECT_EQ(descriptions, (std::vector<unsigned>{1062, 1063, 1065, 1066, 1064, 1067}));
        EXPECT_TRUE(commands[0].options.empty());
        EXPECT_TRUE(commands[5].options.empty());
        Strings options;
        for (const auto& option : commands[1].options) {
            options.push_back(option->syntax);
        }
        EXPECT_EQ(options, c.options) << c.multiLanguage << " " << c.packageCount;
        // The four install commands share one set of options.
        for (size_t i = 2; i <= 4; ++i) {
            EXPECT_EQ(commands[i].options, commands[1].options);
        }
    }
}

TEST(UsageModelTest, PlaceholdersAreLoadedInTheCurrentLanguage) {
    LanguageTable german;
    german.SelectByName(L"German");
    const auto commands = BuildUsageCommands(german, true, 2);
    Strings options;
    for (const auto& option : commands[1].options) {
        options.push_back(option->syntax);
    }
    EXPECT_EQ(options, (Strings{L"lang=<Sprachname>", L"/q[n|r|f|b][+]",
                                L"/L[i|w|e|a|r|u|c|m|o|v|x|*|+|!] <Protokolldatei>", L"/m <MIF-Datei>",
                                L"SubPackages=all|none|<Paketnamensteil>{,<Paketnamensteil>}",
                                L"TRANSFORMS=<Transformationen>", L"<Eigenschaft>=<Wert>"}));
}

// The fixture launchers, opened for their resources only.
UniqueModule OpenResources(const std::wstring& relative) {
    return UniqueModule(::LoadLibraryExW(test::BuildPath(relative).c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

TEST(UsageModelTest, NameAndCountAreReadFromTheBuildsOwnLanguageLayout) {
    const struct {
        const wchar_t* launcher;
        bool multiLanguage;
        const wchar_t* productName;
        int32_t packageCount;
    } cases[] = {
        {L"bin\\launcher-fixtures\\brindle-setup.exe", false, L"Zorvat Brindle Server 2026", 3},
        // A single-language build stored in German only.
        {L"bin\\launcher-fixtures\\ledger-setup.exe", false, L"Zorvat Ledger 2026", 2},
        // A multi-language build reads language 1033 only: nothing is found there.
        {L"bin\\launcher-fixtures\\ledger-setup.exe", true, L"", 0},
        {L"bin\\launcher-fixtures\\tessaro-setup.exe", true, L"Zorvat Tessaro Server 2026", 1},
        {L"bin\\quentry.exe", false, L"", 0},
        {L"bin\\quentry.exe", true, L"", 0},
    };
    for (const auto& c : cases) {
        const UniqueModule module = OpenResources(c.launcher);
        ASSERT_TRUE(module) << c.launcher;
        EXPECT_EQ(MainProductName(module.Get(), c.multiLanguage), c.productName) << c.launcher;
        EXPECT_EQ(PackageCountOf(module.Get(), c.multiLanguage), c.packageCount) << c.launcher;
    }
}

} // namespace
} // namespace quentry
