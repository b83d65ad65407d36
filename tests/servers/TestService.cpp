#include "TestService.h"

namespace quentry::test {

TestService::TestService(const std::wstring& name, const std::wstring& displayName, DWORD startType,
                         const std::wstring& account, bool delayed, const std::wstring& description)
    : m_name(name) {
    Remove(name);
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        return;
    }
    const UniqueServiceHandle service(::CreateServiceW(
        manager.Get(), name.c_str(), displayName.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
        startType, SERVICE_ERROR_NORMAL, L"C:\\windows\\system32\\notepad.exe -service", nullptr, nullptr,
        nullptr, account.empty() ? nullptr : account.c_str(), account.empty() ? nullptr : L"unused"));
    if (!service) {
        return;
    }
    m_created = true;
    if (!description.empty()) {
        SERVICE_DESCRIPTIONW text{const_cast<wchar_t*>(description.c_str())};
        ::ChangeServiceConfig2W(service.Get(), SERVICE_CONFIG_DESCRIPTION, &text);
    }
    if (delayed) {
        SERVICE_DELAYED_AUTO_START_INFO info{TRUE};
        if (!::ChangeServiceConfig2W(service.Get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info)) {
            // Where the manager does not know this level, the flag is set where it keeps it.
            const DWORD one = 1;
            ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, (L"SYSTEM\\CurrentControlSet\\Services\\" + name).c_str(),
                              L"DelayedAutostart", REG_DWORD, &one, sizeof(one));
        }
    }
}

TestService::~TestService() {
    if (m_created) {
        Remove(m_name);
    }
}

void TestService::Remove(const std::wstring& name) {
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        return;
    }
    const UniqueServiceHandle service(::OpenServiceW(manager.Get(), name.c_str(), DELETE));
    if (service) {
        ::DeleteService(service.Get());
    }
}

} // namespace quentry::test
