#include "servers/ServerProperties.h"

#include "servers/ConfigText.h"
#include "servers/ServerInterfaceTable.h"

#include <algorithm>
#include <set>

namespace quentry {

namespace {

constexpr unsigned kTessaroAdminLabel = 1308;
constexpr unsigned kTessaroClientLabel = 1309;

bool Contains(const std::wstring& text, std::wstring_view part) {
    return text.find(part) != std::wstring::npos;
}

struct PropertyItem {
    std::wstring prefix;
    std::wstring name;
    std::wstring value;
};

// P_NAME=VALUE: P before the first "_", NAME up to the first "=", VALUE trimmed and without one
// pair of enclosing double quotes. None for an entry without "_" or "=".
std::optional<PropertyItem> SplitProperty(const std::wstring& entry) {
    const size_t underscore = entry.find(L'_');
    const size_t equals = entry.find(L'=');
    if (underscore == std::wstring::npos || equals == std::wstring::npos || equals < underscore) {
        return std::nullopt;
    }
    PropertyItem item{entry.substr(0, underscore), entry.substr(underscore + 1, equals - underscore - 1),
                      std::wstring(TrimBlanks(std::wstring_view(entry).substr(equals + 1)))};
    if (item.value.size() >= 2 && item.value.front() == L'"' && item.value.back() == L'"') {
        item.value = item.value.substr(1, item.value.size() - 2);
    }
    return item;
}

// The prefix of the service, certificate and private-key properties.
std::wstring ServicePrefix(const std::wstring& prefix) {
    return SameTextIgnoringCase(prefix, L"TSRAdmin") ? std::wstring(L"TSR") : prefix;
}

void ApplyProperty(ServerSettings& record, const PropertyItem& item) {
    if (SameTextIgnoringCase(item.prefix, ServicePrefix(record.propertyPrefix))) {
        const std::wstring& name = item.name;
        if (SameTextIgnoringCase(name, L"Service_DisplayName")) {
            record.displayName = item.value;
        } else if (SameTextIgnoringCase(name, L"Service_StartType")) {
            static constexpr std::pair<std::wstring_view, int> kTypes[] = {
                {L"auto", StartAutomatic},
                {L"demand", StartOnDemand},
                {L"auto-delayed", StartAutomaticDelayed},
                {L"disabled", StartDisabled}};
            for (const auto& [text, type] : kTypes) {
                if (SameTextIgnoringCase(item.value, text)) {
                    record.startType = type;
                }
            }
        } else if (SameTextIgnoringCase(name, L"Service_Username")) {
            record.accountKind = AccountKindOf(item.value);
            if (record.accountKind == AccountOtherUser) {
                record.userName = item.value;
            }
        } else if (name == L"Service_Password") {
            record.password = item.value;
        } else if (SameTextIgnoringCase(name, L"SSLWebServer_Certificate")) {
            record.certificatePath = item.value;
        } else if (SameTextIgnoringCase(name, L"SSLWebServer_PrivateKey")) {
            record.privateKeyPath = item.value;
        }
    }
    if (SameTextIgnoringCase(item.prefix, record.propertyPrefix)) {
        const std::wstring& name = item.name;
        const int number = DecimalPrefix(item.value);
        if (SameTextIgnoringCase(name, L"WebServer_Port")) {
            record.webPort = number;
        } else if (SameTextIgnoringCase(name, L"WebServer_Enabled")) {
            record.webEnabled = number != 0;
        } else if (SameTextIgnoringCase(name, L"SSLWebServer_Port")) {
            record.sslPort = number;
        } else if (SameTextIgnoringCase(name, L"SSLWebServer_Enabled")) {
            record.sslEnabled = number != 0;
        }
    }
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

} // namespace

size_t CollectServerSettings(const std::vector<ServerPackage>& packages, const LanguageTable& languages,
                             const ServerFolders& folders, ServerSettingsList& list) {
    for (size_t index = 0; index < packages.size(); ++index) {
        const ServerPackage& package = packages[index];
        const std::wstring& name = package.productName;
        const std::wstring& config = folders.configFolder;
        const auto configPath = [&](const std::wstring& relative) {
            return config.empty() ? std::wstring() : config + relative;
        };
        const auto add = [&](std::wstring_view key, const std::wstring& path, const std::wstring& label) {
            ServerSettingsSource source{std::wstring(key),
                                        path,
                                        package.versionText,
                                        static_cast<int>(index),
                                        static_cast<int>(list.size()),
                                        label};
            list.push_back(std::make_unique<ServerSettings>(std::move(source)));
        };
        const std::wstring talvexFolder =
            ProgramFilesFolderFor(folders.programFilesFolder, name) + L"\\Zorvat\\";
        const auto talvexPath = [&](const wchar_t* product) {
            return folders.programFilesFolder.empty()
                       ? std::wstring()
                       : talvexFolder + product + package.versionYear + L"\\etc\\server_config.xml";
        };
        if (Contains(name, L"PellamServer")) {
            add(kPellamKey, configPath(L"\\PellamServer\\server.cfg"), L"");
        } else if (Contains(name, L"Tessaro Server")) {
            const std::wstring path = configPath(L"\\TessaroServer\\tessaroserver.cfg");
            add(kTessaroAdminKey, path, languages.LoadString(kTessaroAdminLabel));
            add(kTessaroClientKey, path, languages.LoadString(kTessaroClientLabel));
        } else if (Contains(name, L"Talvex Server")) {
            add(kTalvexKey, talvexPath(L"TalvexServer"), L"");
        } else if (Contains(name, L"Talvex+XBRL Server")) {
            add(kTalvexXbrlKey, talvexPath(L"TalvexXBRLServer"), L"");
        } else if (Contains(name, L"Brindle Server")) {
            const std::wstring data = L"\\BrindleServer" + package.versionYear + L"\\data\\";
            add(kBrindleKey, configPath(data + L"brindle.ini"), L"");
            add(kBrindleWebKey, configPath(data + L"brindleweb.ini"), L"");
        } else if (Contains(name, L"Braxel Server") && !Contains(name, L"Client")) {
            add(kBraxelKey, configPath(L"\\BraxelServer" + package.versionYear + L"\\server_config.ini"),
                L"");
        }
    }
    return list.size();
}

void LinkServerOwners(ServerSettingsList& list) {
    const auto lastIndex = [&](auto matches) {
        int found = -1;
        for (size_t i = 0; i < list.size(); ++i) {
            if (matches(*list[i])) {
                found = static_cast<int>(i);
            }
        }
        return found;
    };
    const int brindleWeb =
        lastIndex([](const ServerSettings& r) { return r.serviceName == L"ZorvatBrindleWeb"; });
    const int brindle = lastIndex([](const ServerSettings& r) { return r.serviceName == L"ZorvatBrindle"; });
    if (brindleWeb >= 0 && brindle >= 0) {
        list[brindleWeb]->ownerIndex = brindle;
    }
    const int client = lastIndex([](const ServerSettings& r) { return r.propertyPrefix == L"TSRClient"; });
    const int admin = lastIndex([](const ServerSettings& r) { return r.propertyPrefix == L"TSRAdmin"; });
    if (client >= 0 && admin >= 0) {
        list[client]->ownerIndex = admin;
    }
}

void ApplyServerCommandLine(ServerSettingsList& list, size_t packageCount,
                            const std::vector<std::wstring>& properties) {
    LinkServerOwners(list);
    std::vector<std::wstring> copy = properties;
    const bool hasPellamStart = std::any_of(copy.begin(), copy.end(), [](const std::wstring& entry) {
        return entry.starts_with(L"PL_Service_StartType=");
    });
    if (packageCount > 0 && !hasPellamStart) {
        copy.push_back(L"PL_Service_StartType=auto-delayed");
    }
    for (const std::wstring& entry : copy) {
        const std::optional<PropertyItem> item = SplitProperty(entry);
        if (!item) {
            continue;
        }
        for (auto& record : list) {
            ApplyProperty(*record, *item);
        }
    }
    for (auto& record : list) {
        record->TakeSnapshot();
    }
}

ServerPropertiesResult BuildServerProperties(ServerSettingsList& list,
                                             const std::vector<ServerPackage>& packages,
                                             std::vector<std::wstring>& properties,
                                             IPasswordQuestion* question, const PasswordEncryption& encrypt,
                                             const LogSink& log) {
    ServerPropertiesResult result;
    std::set<std::wstring> emitted;
    const auto append = [&](const std::wstring& name, const std::wstring& value) {
        result.text += name + L"=" + value + L" ";
        emitted.insert(name);
    };
    for (auto& pointer : list) {
        ServerSettings& r = *pointer;
        if (r.packageIndex < 0 || static_cast<size_t>(r.packageIndex) >= packages.size() ||
            !packages[r.packageIndex].selected) {
            continue;
        }
        const std::wstring& o = r.propertyPrefix;
        const std::wstring s = ServicePrefix(o);
        if (r.webPort != r.initialWebPort) {
            append(o + L"_WebServer_Port", std::to_wstring(r.webPort));
        }
        if (r.webEnabled != r.initialWebEnabled) {
            append(o + L"_WebServer_Enabled", r.webEnabled ? L"1" : L"0");
        }
        if (r.sslSupported) {
            if (r.sslPort != r.initialSslPort) {
                append(o + L"_SSLWebServer_Port", std::to_wstring(r.sslPort));
            }
            if (r.sslEnabled != r.initialSslEnabled) {
                append(o + L"_SSLWebServer_Enabled", r.sslEnabled ? L"1" : L"0");
            }
            if (r.certificatePath != r.initialCertificatePath) {
                append(s + L"_SSLWebServer_Certificate", Quoted(r.certificatePath));
            }
            if (r.privateKeyPath != r.initialPrivateKeyPath) {
                append(s + L"_SSLWebServer_PrivateKey", Quoted(r.privateKeyPath));
            }
        }
        if (r.startType != r.initialStartType) {
            append(s + L"_Service_StartType", Quoted(StartTypeText(r.startType)));
        }
        const bool otherUser = r.accountKind == AccountOtherUser;
        if (otherUser || r.accountKind != r.initialAccountKind || r.userName != r.initialUserName) {
            append(s + L"_Service_Username", Quoted(AccountNameOf(r.accountKind, r.userName)));
        }
        if (!otherUser) {
            continue;
        }
        if (r.password.empty() && question != nullptr) {
            std::optional<std::wstring> answer = question->AskPassword(r.displayName, r.userName);
            if (!answer) {
                return {ServerPropertiesStatus::Cancelled, L"", L""};
            }
            r.password = std::move(*answer);
        }
        const std::optional<std::wstring> cipherText = encrypt(r.password);
        if (!cipherText) {
            std::wstring line = L"The password of the service " + r.serviceName +
                                L" cannot be encrypted; it is not passed on in plain text.";
            if (log) {
                log(LogError, line);
            }
            return {ServerPropertiesStatus::Failed, L"", std::move(line)};
        }
        append(s + L"_Service_Password", Quoted(*cipherText));
    }
    std::erase_if(properties, [&](const std::wstring& entry) {
        return emitted.count(entry.substr(0, entry.find(L'='))) != 0;
    });
    return result;
}

} // namespace quentry
