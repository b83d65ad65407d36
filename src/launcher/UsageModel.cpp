#include "launcher/UsageModel.h"
#include "common/StringIds.h"

#include <span>

namespace quentry {

using namespace strings;

namespace {

std::shared_ptr<const UsageOption> Option(std::wstring syntax, unsigned descriptionId) {
    return std::make_shared<const UsageOption>(UsageOption{std::move(syntax), 0, descriptionId});
}

// A server property: its placeholder and description follow from the setting its name ends with.
struct Setting {
    const wchar_t* name;
    unsigned placeholderId;
    unsigned descriptionId;
};

constexpr Setting kWebEnabled{L"WebServer_Enabled", 1240, 1241};
constexpr Setting kWebHost{L"WebServer_Host", 1242, 1243};
constexpr Setting kWebPort{L"WebServer_Port", 1244, 1245};
constexpr Setting kSslEnabled{L"SSLWebServer_Enabled", 1240, 1241};
constexpr Setting kSslHost{L"SSLWebServer_Host", 1246, 1247};
constexpr Setting kSslPort{L"SSLWebServer_Port", 1248, 1249};
// The SSL host and port of the Talvex-style servers reuse the plain web server's descriptions.
constexpr Setting kSslHostShort{L"SSLWebServer_Host", 1246, 1243};
constexpr Setting kSslPortShort{L"SSLWebServer_Port", 1248, 1245};
constexpr Setting kCertificate{L"SSLWebServer_Certificate", 1250, 1251};
constexpr Setting kPrivateKey{L"SSLWebServer_PrivateKey", 1252, 1253};
constexpr Setting kDisplayName{L"Service_DisplayName", 1254, 1255};
constexpr Setting kStartType{L"Service_StartType", 1256, 1257};
constexpr Setting kUsername{L"Service_Username", 1258, 1259};
constexpr Setting kPassword{L"Service_Password", 1260, 1261};

constexpr Setting kSixWebSettings[] = {kWebEnabled, kWebHost, kWebPort, kSslEnabled, kSslHost, kSslPort};
constexpr Setting kEightWebSettings[] = {kWebEnabled,   kWebHost,      kWebPort,     kSslEnabled,
                                         kSslHostShort, kSslPortShort, kCertificate, kPrivateKey};
constexpr Setting kServiceSettings[] = {kDisplayName, kStartType, kUsername, kPassword};
constexpr Setting kCertificateSettings[] = {kCertificate, kPrivateKey};
constexpr Setting kPellamWebSettings[] = {kWebHost, kWebPort};

UsagePropertyGroup Group(unsigned titleId, const wchar_t* prefix, std::span<const Setting> settings) {
    UsagePropertyGroup group{titleId, {}};
    for (const Setting& setting : settings) {
        group.properties.push_back(UsageOption{std::wstring(prefix) + L"_" + setting.name,
                                               setting.placeholderId, setting.descriptionId});
    }
    return group;
}

} // namespace

std::vector<UsageCommand> BuildUsageCommands(const LanguageTable& languages, bool multiLanguage,
                                             int32_t packageCount) {
    auto placeholder = [&languages](unsigned id) { return L"<" + languages.LoadString(id) + L">"; };

    std::vector<std::shared_ptr<const UsageOption>> installOptions;
    if (multiLanguage) {
        installOptions.push_back(Option(L"lang=" + placeholder(kLanguageNameText), kLanguageId));
    }
    installOptions.push_back(Option(L"/q[n|r|f|b][+]", kUiLevelId));
    installOptions.push_back(
        Option(L"/L[i|w|e|a|r|u|c|m|o|v|x|*|+|!] " + placeholder(kLogFileText), kLoggingId));
    installOptions.push_back(Option(L"/m " + placeholder(kMifFileText), kMifId));
    if (packageCount > 1) {
        const std::wstring part = placeholder(kPackageNamePartText);
        installOptions.push_back(
            Option(L"SubPackages=all|none|" + part + L"{," + part + L"}", kSubPackagesId));
    }
    installOptions.push_back(Option(L"TRANSFORMS=" + placeholder(kTransformsText), kTransformsId));
    installOptions.push_back(
        Option(placeholder(kPropertyText) + L"=" + placeholder(kValueText), kPropertyId));

    return {
        {L"/h", kHelpId, {}},
        {L"", kInstallId, installOptions},
        {L"/f[p|o|e|d|c|a|u|m|s|v]", kRepairId, installOptions},
        {L"/x", kUninstallId, installOptions},
        {L"/a", kAdminId, installOptions},
        {L"/u", kExtractId, {}},
    };
}

std::vector<UsagePropertyGroup> BuildServerPropertyGroups(std::wstring_view name) {
    auto begins = [name](std::wstring_view prefix) { return name.substr(0, prefix.size()) == prefix; };
    std::vector<UsagePropertyGroup> groups;
    if (begins(L"Zorvat Brindle Server ")) {
        groups.push_back(Group(1263, L"BRWeb", kSixWebSettings));
        groups.push_back(Group(1264, L"BRWeb", kServiceSettings));
        groups.push_back(Group(1265, L"BR", kSixWebSettings));
        groups.push_back(Group(1266, L"BR", kServiceSettings));
        groups.push_back(Group(1276, L"BR", kCertificateSettings));
    }
    for (const wchar_t* server :
         {L"Zorvat PellamServer ", L"Zorvat Brindle Server ", L"Zorvat Talvex Server ",
          L"Zorvat Talvex+XBRL Server ", L"Zorvat Quorell Server ", L"Zorvat Tandrel Server ",
          L"Zorvat Tessaro Server ", L"Zorvat Braxel Server "}) {
        if (begins(server)) {
            groups.push_back(Group(1267, L"PL", kPellamWebSettings));
            groups.push_back(Group(1268, L"PL", kServiceSettings));
            break;
        }
    }
    if (begins(L"Zorvat Talvex Server ") || begins(L"Zorvat Brindle Server ")) {
        groups.push_back(Group(1269, L"TVX", kEightWebSettings));
        groups.push_back(Group(1270, L"TVX", kServiceSettings));
    }
    if (begins(L"Zorvat Braxel Server ")) {
        groups.push_back(Group(1325, L"BX", kEightWebSettings));
        groups.push_back(Group(1326, L"BX", kServiceSettings));
    }
    if (begins(L"Zorvat Talvex+XBRL Server ")) {
        groups.push_back(Group(1271, L"TXBRL", kEightWebSettings));
        groups.push_back(Group(1272, L"TXBRL", kServiceSettings));
    }
    if (begins(L"Zorvat Tessaro Server ")) {
        groups.push_back(Group(1273, L"TSRAdmin", kSixWebSettings));
        groups.push_back(Group(1274, L"TSRClient", kSixWebSettings));
        groups.push_back(Group(1275, L"TSR", kCertificateSettings));
        groups.push_back(Group(1278, L"TSR", kServiceSettings));
    }
    return groups;
}

} // namespace quentry
