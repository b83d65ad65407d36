#include "servers/ServiceController.h"

#include <vector>

namespace quentry {

namespace {

// A query whose size is learnt by a first call without buffer.
template <typename Query> std::vector<BYTE> QueryWithSize(Query query) {
    DWORD needed = 0;
    if (query(nullptr, 0, &needed) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) {
        return {};
    }
    std::vector<BYTE> buffer(needed);
    if (!query(buffer.data(), needed, &needed)) {
        return {};
    }
    return buffer;
}

std::wstring TextOf(const wchar_t* text) {
    return text == nullptr ? std::wstring() : std::wstring(text);
}

// Where the manager cannot answer the delayed-start query (some platforms do not know that
// level), the flag is read where the manager keeps it: the service's DelayedAutostart value.
bool StoredDelayedAutoStart(const std::wstring& name) {
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\" + name;
    DWORD value = 0;
    DWORD size = sizeof(value);
    return ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"DelayedAutostart", RRF_RT_REG_DWORD, nullptr,
                          &value, &size) == ERROR_SUCCESS &&
           value != 0;
}

} // namespace

void ServiceController::OpenService(const std::wstring& name) {
    CloseService();
    serviceName.clear();
    displayName.clear();
    description.clear();
    startType = 0;
    delayedAutoStart = false;
    commandLine.clear();
    accountName.clear();
    reportedAccountName.clear();

    m_managerHandle.Reset(::OpenSCManagerW(nullptr, nullptr, kManagerAccess));
    if (!m_managerHandle) {
        return;
    }
    m_serviceHandle.Reset(::OpenServiceW(m_managerHandle.Get(), name.c_str(), kServiceAccess));
    if (!m_serviceHandle) {
        return;
    }
    serviceName = name;
    const SC_HANDLE service = m_serviceHandle.Get();
    const std::vector<BYTE> config = QueryWithSize([service](BYTE* buffer, DWORD size, DWORD* needed) {
        return ::QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer), size,
                                     needed) != FALSE;
    });
    if (!config.empty()) {
        const auto* info = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(config.data());
        startType = info->dwStartType;
        displayName = TextOf(info->lpDisplayName);
        commandLine = TextOf(info->lpBinaryPathName);
        reportedAccountName = TextOf(info->lpServiceStartName);
        accountName =
            reportedAccountName.starts_with(L".\\") ? reportedAccountName.substr(2) : reportedAccountName;
    }
    const auto config2 = [service](DWORD level) {
        return QueryWithSize([service, level](BYTE* buffer, DWORD size, DWORD* needed) {
            return ::QueryServiceConfig2W(service, level, buffer, size, needed) != FALSE;
        });
    };
    const std::vector<BYTE> delayed = config2(SERVICE_CONFIG_DELAYED_AUTO_START_INFO);
    if (delayed.size() >= sizeof(SERVICE_DELAYED_AUTO_START_INFO)) {
        delayedAutoStart =
            reinterpret_cast<const SERVICE_DELAYED_AUTO_START_INFO*>(delayed.data())->fDelayedAutostart !=
            FALSE;
    } else {
        delayedAutoStart = StoredDelayedAutoStart(name);
    }
    const std::vector<BYTE> described = config2(SERVICE_CONFIG_DESCRIPTION);
    if (described.size() >= sizeof(SERVICE_DESCRIPTIONW)) {
        description = TextOf(reinterpret_cast<const SERVICE_DESCRIPTIONW*>(described.data())->lpDescription);
    }
}

void ServiceController::CloseService() {
    m_serviceHandle.Reset();
    m_managerHandle.Reset();
}

} // namespace quentry
