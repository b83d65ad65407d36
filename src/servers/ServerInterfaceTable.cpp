#include "servers/ServerInterfaceTable.h"

#include "servers/ServerSettings.h"

namespace quentry {

namespace {

constexpr ServerInterfaceRow kRows[] = {
    {kPellamKey, L"ZorvatPellamServer", L"Zorvat PellamServer ", true, L"PL", 8088, 8083, false, true, false,
     StartAutomatic, ServerConfigKeys::Listen},
    {kTessaroAdminKey, L"ZorvatTessaroServer", L"Zorvat Tessaro Server", false, L"TSRAdmin", 8085, 8086, true,
     true, false, StartAutomatic, ServerConfigKeys::ListenAdmin},
    {kTessaroClientKey, L"", L"", true, L"TSRClient", 8083, 8084, true, false, false, StartAutomatic,
     ServerConfigKeys::Listen},
    {kTalvexKey, L"ZorvatTalvexServer", L"Zorvat Talvex Server ", true, L"TVX", 8087, 463, true, true, false,
     StartOnDemand, ServerConfigKeys::Xml},
    {kTalvexXbrlKey, L"ZorvatTalvexXBRLServer", L"Zorvat Talvex+XBRL Server ", true, L"TXBRL", 8087, 463,
     true, true, false, StartOnDemand, ServerConfigKeys::Xml},
    {kBrindleKey, L"ZorvatBrindle", L"Zorvat Brindle ", true, L"BR", 4646, 4647, true, true, true,
     StartAutomatic, ServerConfigKeys::Listen},
    {kBrindleWebKey, L"ZorvatBrindleWeb", L"Zorvat Brindle Web ", true, L"BRWeb", 8082, 8089, true, true,
     false, StartAutomatic, ServerConfigKeys::Listen},
    {kBraxelKey, L"ZorvatBraxelServer", L"Zorvat Braxel Server ", true, L"BX", 29800, 8091, false, true,
     false, StartAutomatic, ServerConfigKeys::Braxel},
};

} // namespace

const ServerInterfaceRow* FindServerInterface(std::wstring_view key) {
    for (const ServerInterfaceRow& row : kRows) {
        if (row.key == key) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace quentry
