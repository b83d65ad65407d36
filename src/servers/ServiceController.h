// One Windows service, read only: its configuration as the service control manager reports it.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace quentry {

class ServiceController {
public:
    ServiceController() = default;
    ~ServiceController() { CloseService(); }
    ServiceController(const ServiceController&) = delete;
    ServiceController& operator=(const ServiceController&) = delete;

    // Opens the manager and the service for reading and fills the fields. A service that is
    // missing or cannot be opened leaves no service handle and every field empty.
    void OpenService(const std::wstring& name);
    // Closes the service handle, then the manager handle.
    void CloseService();

    bool HasService() const { return m_serviceHandle.IsValid(); }
    bool HasManager() const { return m_managerHandle.IsValid(); }

    // Only reading is asked for, which the manager grants wherever full access would be granted.
    static constexpr DWORD kManagerAccess = SC_MANAGER_CONNECT;
    static constexpr DWORD kServiceAccess = SERVICE_QUERY_CONFIG;

    std::wstring serviceName;
    std::wstring displayName;
    std::wstring description;
    DWORD startType = 0;
    bool delayedAutoStart = false;
    std::wstring commandLine;
    std::wstring accountName;         // without a leading ".\"
    std::wstring reportedAccountName; // as the manager reported it

private:
    UniqueServiceHandle m_managerHandle;
    UniqueServiceHandle m_serviceHandle;
};

} // namespace quentry
