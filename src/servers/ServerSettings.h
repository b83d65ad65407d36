// The settings of one server interface: its Windows service, its plain and SSL web servers, and
// the values they had when the page first showed them.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace quentry {

enum ServiceStartType : int {
    StartAutomatic = 2,
    StartOnDemand = 3,
    StartDisabled = 4,
    StartAutomaticDelayed = 5,
};

enum LogonAccountKind : int {
    AccountLocalSystem = 0,
    AccountLocalService = 1,
    AccountNetworkService = 2,
    AccountOtherUser = 3,
};

// "auto", "demand", "disabled", "auto-delayed"; "" for any other value.
std::wstring StartTypeText(int startType);
// "LocalSystem", "NT AUTHORITY\LocalService", "NT AUTHORITY\NetworkService", or userName.
std::wstring AccountNameOf(int accountKind, const std::wstring& userName);
// The kind an account name stands for (exact comparison); any other name is another user.
int AccountKindOf(const std::wstring& accountName);

struct ServerSettingsSource {
    std::wstring key;
    std::wstring configPath;
    std::wstring versionText;
    int packageIndex = 0;
    int recordIndex = 0;
    std::wstring label;
};

class ServerSettings {
public:
    // Defaults, then the interface's row of the table, then the existing service, then the
    // existing configuration file.
    explicit ServerSettings(ServerSettingsSource source);

    // Copies the current values into the initial ones.
    void TakeSnapshot();

    std::wstring key;
    std::wstring label;
    std::wstring propertyPrefix;
    int packageIndex = 0;
    int ownerIndex = 0;
    bool hasService = true;
    std::wstring serviceName;
    std::wstring displayName;
    int startType = StartAutomatic;
    int accountKind = AccountLocalSystem;
    std::wstring userName;
    std::wstring password; // plain text in memory only
    bool enableFixed = false;
    int webPort = 8080;
    bool webEnabled = true;
    bool sslSupported = true;
    int sslPort = 8083;
    bool sslEnabled = false;
    std::wstring certificatePath = L"C:\\path_to\\certificate";
    std::wstring privateKeyPath = L"C:\\path_to\\PrivateKey";

    int initialStartType = StartAutomatic;
    int initialAccountKind = AccountLocalSystem;
    std::wstring initialUserName;
    std::wstring initialPassword;
    int initialWebPort = 8080;
    bool initialWebEnabled = true;
    int initialSslPort = 8083;
    bool initialSslEnabled = false;
    std::wstring initialCertificatePath;
    std::wstring initialPrivateKeyPath;

private:
    void ApplyService();
    void ApplyConfigFile(const std::wstring& path);
};

using ServerSettingsList = std::vector<std::unique_ptr<ServerSettings>>;

} // namespace quentry
