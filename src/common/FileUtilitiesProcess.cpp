// The process half of ICBSFileUtilities: running a command line with extra environment variables.
#include "common/FileUtilities.h"

#include "common/UniqueHandle.h"

#include <optional>
#include <vector>

namespace quentry::ICBSFileUtilities {
namespace {

std::optional<std::wstring> EnvironmentValue(const std::wstring& name) {
    std::vector<wchar_t> buffer(256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length =
            ::GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::wstring(); // present and empty
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
    return std::nullopt;
}

// Sets the overrides for the life of the object; on destruction the variables that existed before
// get their old values back. Variables that did not exist keep the override.
class EnvironmentOverride {
public:
    explicit EnvironmentOverride(const std::map<std::wstring, std::wstring>& overrides) {
        for (const auto& [name, value] : overrides) {
            if (std::optional<std::wstring> old = EnvironmentValue(name)) {
                m_saved.emplace_back(name, std::move(*old));
            }
            ::SetEnvironmentVariableW(name.c_str(), value.c_str());
        }
    }
    ~EnvironmentOverride() {
        for (const auto& [name, value] : m_saved) {
            ::SetEnvironmentVariableW(name.c_str(), value.c_str());
        }
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_saved;
};

} // namespace

int RunProcess(const std::wstring& commandLine, bool wait, const std::wstring& workingFolder,
               const std::map<std::wstring, std::wstring>& environmentOverrides, DWORD timeoutMs,
               bool showWindow) {
    EnvironmentOverride environment(environmentOverrides);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    PROCESS_INFORMATION process{};
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    const DWORD flags = showWindow ? 0 : CREATE_NO_WINDOW;
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process)) {
        return -1;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    if (!wait) {
        return 0;
    }
    if (::WaitForSingleObject(processHandle.Get(), timeoutMs) == WAIT_TIMEOUT) {
        ::OutputDebugStringW(kTerminateMessage);
        ::TerminateProcess(processHandle.Get(), kTimedOutExitCode);
        // Termination completes asynchronously; until it has, the exit code reads STILL_ACTIVE.
        ::WaitForSingleObject(processHandle.Get(), 5000);
    }
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(processHandle.Get(), &exitCode)) {
        exitCode = 0;
    }
    return static_cast<int>(exitCode);
}

} // namespace quentry::ICBSFileUtilities
