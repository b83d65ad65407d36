#include "servers/ServerSettings.h"

#include "servers/ConfigText.h"
#include "servers/ICBSIniFile.h"
#include "servers/ICBSXMLIniFile.h"
#include "servers/ServerInterfaceTable.h"
#include "servers/ServiceController.h"

#include <windows.h>

namespace quentry {

namespace {

constexpr wchar_t kLocalSystem[] = L"LocalSystem";
constexpr wchar_t kLocalService[] = L"NT AUTHORITY\\LocalService";
constexpr wchar_t kNetworkService[] = L"NT AUTHORITY\\NetworkService";

// A value of the file, trimmed of blanks and tabs, applied only when the file holds the key.
template <typename Apply> void ReadKey(const ICBSIniFileBase& file, std::wstring_view path, Apply apply) {
    if (file.HasKey(path)) {
        apply(std::wstring(TrimBlanks(file.GetValue(path))));
    }
}

struct WebKeys {
    const wchar_t* port;
    const wchar_t* active;
    const wchar_t* sslPort;
    const wchar_t* sslActive;
};

} // namespace

std::wstring StartTypeText(int startType) {
    switch (startType) {
    case StartAutomatic:
        return L"auto";
    case StartOnDemand:
        return L"demand";
    case StartDisabled:
        return L"disabled";
    case StartAutomaticDelayed:
        return L"auto-delayed";
    default:
        return L"";
    }
}

std::wstring AccountNameOf(int accountKind, const std::wstring& userName) {
    switch (accountKind) {
    case AccountLocalSystem:
        return kLocalSystem;
    case AccountLocalService:
        return kLocalService;
    case AccountNetworkService:
        return kNetworkService;
    default:
        return userName;
    }
}

int AccountKindOf(const std::wstring& accountName) {
    if (accountName == kLocalSystem) {
        return AccountLocalSystem;
    }
    if (accountName == kLocalService) {
        return AccountLocalService;
    }
    if (accountName == kNetworkService) {
        return AccountNetworkService;
    }
    return AccountOtherUser;
}

ServerSettings::ServerSettings(ServerSettingsSource source)
    : key(source.key), label(source.label.empty() ? source.key : source.label),
      packageIndex(source.packageIndex), ownerIndex(source.recordIndex), serviceName(source.key),
      displayName(source.key + L" " + source.versionText) {
    if (const ServerInterfaceRow* row = FindServerInterface(key)) {
        if (!row->serviceName.empty()) {
            serviceName = row->serviceName;
        }
        if (!row->displayName.empty()) {
            displayName = std::wstring(row->displayName) + (row->versionInName ? source.versionText : L"");
        }
        propertyPrefix = row->prefix;
        webPort = row->webPort;
        sslPort = row->sslPort;
        startType = row->startType;
        enableFixed = row->enableFixed;
        sslSupported = row->sslSupported;
        hasService = row->hasService;
    }
    ApplyService();
    ApplyConfigFile(source.configPath);
    TakeSnapshot();
}

void ServerSettings::ApplyService() {
    ServiceController service;
    service.OpenService(serviceName);
    if (!service.HasService()) {
        return;
    }
    serviceName = service.serviceName;
    startType = static_cast<int>(service.startType);
    if (startType == StartAutomatic && service.delayedAutoStart) {
        startType = StartAutomaticDelayed;
    }
    userName = service.accountName;
    accountKind = AccountKindOf(userName);
    password.clear();
    service.CloseService();
}

void ServerSettings::ApplyConfigFile(const std::wstring& path) {
    if (path.empty()) {
        return;
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    const ServerInterfaceRow* row = FindServerInterface(key);
    const ServerConfigKeys keys = row == nullptr ? ServerConfigKeys::Listen : row->configKeys;
    const auto number = [](const std::wstring& value) { return DecimalPrefix(value); };
    if (keys == ServerConfigKeys::Xml) {
        const ICBSXMLIniFile file(path);
        ReadKey(file, L"http.socket-port", [&](const std::wstring& v) { webPort = number(v); });
        ReadKey(file, L"http.enable", [&](const std::wstring& v) { webEnabled = v == L"1"; });
        ReadKey(file, L"https.socket-port", [&](const std::wstring& v) { sslPort = number(v); });
        ReadKey(file, L"https.enable", [&](const std::wstring& v) { sslEnabled = v == L"1"; });
        ReadKey(file, L"https.certificate", [&](const std::wstring& v) { certificatePath = v; });
        ReadKey(file, L"https.private-key", [&](const std::wstring& v) { privateKeyPath = v; });
        return;
    }
    const ICBSIniFile file(path);
    if (keys == ServerConfigKeys::Braxel) {
        ReadKey(file, L"BraxelServer::http.socket-port", [&](const std::wstring& v) { webPort = number(v); });
        ReadKey(file, L"BraxelServer::http.enable",
                [&](const std::wstring& v) { webEnabled = SameTextIgnoringCase(v, L"true"); });
    } else {
        const WebKeys names =
            keys == ServerConfigKeys::ListenAdmin
                ? WebKeys{L"ListenAdmin::port", L"ListenAdmin::active", L"ListenAdminSSL::port",
                          L"ListenAdminSSL::active"}
                : WebKeys{L"Listen::port", L"Listen::active", L"ListenSSL::port", L"ListenSSL::active"};
        ReadKey(file, names.port, [&](const std::wstring& v) { webPort = number(v); });
        ReadKey(file, names.active, [&](const std::wstring& v) { webEnabled = number(v) != 0; });
        ReadKey(file, names.sslPort, [&](const std::wstring& v) { sslPort = number(v); });
        ReadKey(file, names.sslActive, [&](const std::wstring& v) { sslEnabled = number(v) != 0; });
    }
    ReadKey(file, L"SSL::certificate", [&](const std::wstring& v) { certificatePath = v; });
    ReadKey(file, L"SSL::private_key", [&](const std::wstring& v) { privateKeyPath = v; });
}

void ServerSettings::TakeSnapshot() {
    initialStartType = startType;
    initialAccountKind = accountKind;
    initialUserName = userName;
    initialPassword = password;
    initialWebPort = webPort;
    initialWebEnabled = webEnabled;
    initialSslPort = sslPort;
    initialSslEnabled = sslEnabled;
    initialCertificatePath = certificatePath;
    initialPrivateKeyPath = privateKeyPath;
}

} // namespace quentry
