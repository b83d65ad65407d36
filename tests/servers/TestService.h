// A Windows service made for real in the test prefix and deleted again at the end.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace quentry::test {

class TestService {
public:
    // account empty: LocalSystem. password is handed to the manager as given.
    TestService(const std::wstring& name, const std::wstring& displayName, DWORD startType,
                const std::wstring& account = L"", bool delayed = false,
                const std::wstring& description = L"");
    ~TestService();
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;
    bool Created() const { return m_created; }

    // Removes a service left behind by an earlier run.
    static void Remove(const std::wstring& name);

private:
    std::wstring m_name;
    bool m_created = false;
};

} // namespace quentry::test
