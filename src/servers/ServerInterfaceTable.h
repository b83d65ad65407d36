// The server interfaces the launcher knows: keys, services, property prefixes and defaults.
#pragma once

#include <string_view>

namespace quentry {

enum class ServerConfigFormat { Ini, Xml };

// Which keys of the configuration file hold the web servers' settings.
enum class ServerConfigKeys { Listen, ListenAdmin, Braxel, Xml };

struct ServerInterfaceRow {
    std::wstring_view key;
    std::wstring_view serviceName; // empty: the key
    std::wstring_view displayName; // followed by the version text unless versionInName is false
    bool versionInName;
    std::wstring_view prefix;
    int webPort;
    int sslPort;
    bool sslSupported;
    bool hasService;
    bool enableFixed;
    int startType;
    ServerConfigKeys configKeys;
};

// The row of a key (exact comparison); null for a key that is not in the table.
const ServerInterfaceRow* FindServerInterface(std::wstring_view key);

inline constexpr std::wstring_view kPellamKey = L"PellamServer";
inline constexpr std::wstring_view kTessaroAdminKey = L"Tessaro Server Admin Interface";
inline constexpr std::wstring_view kTessaroClientKey = L"Tessaro Server Client Interface";
inline constexpr std::wstring_view kTalvexKey = L"Talvex Server";
inline constexpr std::wstring_view kTalvexXbrlKey = L"Talvex+XBRL Server";
inline constexpr std::wstring_view kBrindleKey = L"Brindle Server";
inline constexpr std::wstring_view kBrindleWebKey = L"BrindleWeb Server";
inline constexpr std::wstring_view kBraxelKey = L"Braxel Server";

} // namespace quentry
