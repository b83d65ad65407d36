// The common utilities' tests start common_test_child.exe (TestChild.cpp) as a real second process.
#pragma once

#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "support/TestSupport.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace quentry::test {

inline std::wstring TestChildPath() {
    return BuildPath(L"bin\\common_test_child.exe");
}

inline std::wstring TestChildCommand(const std::wstring& arguments) {
    return L"\"" + TestChildPath() + L"\" " + arguments;
}

// Another process that holds a file open without sharing for a while. The constructor returns
// once the file is held.
class FileLock {
public:
    FileLock(const std::wstring& path, DWORD holdMs) {
        static std::atomic<int> counter{0};
        const std::wstring eventName =
            Format(L"QuentryTestFileLock-%lu-%d", ::GetCurrentProcessId(), counter++);
        UniqueKernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
        std::wstring commandLine =
            TestChildCommand(Format(L"lock \"%s\" %lu %s", path.c_str(), holdMs, eventName.c_str()));
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!ready || !::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
            return;
        }
        m_process.Reset(process.hProcess);
        ::CloseHandle(process.hThread);
        const HANDLE waits[] = {ready.Get(), m_process.Get()};
        m_held = ::WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    }
    ~FileLock() { WaitUntilReleased(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool IsHeld() const { return m_held; }
    bool StillHolding() const {
        return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
    }
    void WaitUntilReleased() {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 30000) != WAIT_OBJECT_0) {
            ::TerminateProcess(m_process.Get(), 1);
            ::WaitForSingleObject(m_process.Get(), 5000);
        }
        m_process.Reset();
    }

private:
    UniqueKernelHandle m_process;
    bool m_held = false;
};

} // namespace quentry::test
