#include "support/TestSupport.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace quentry::test {

std::wstring WindowsPathOf(const std::string& unixPath) {
    std::wstring path = L"Z:" + FromUtf8(unixPath);
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return path;
}

std::wstring BuildPath(const std::wstring& relative) {
    return WindowsPathOf(QUENTRY_BUILD_DIR) + L"\\" + relative;
}

std::wstring SourcePath(const std::wstring& relative) {
    return WindowsPathOf(QUENTRY_SOURCE_DIR) + L"\\" + relative;
}

std::wstring LauncherPath() {
    return BuildPath(L"bin\\quentry.exe");
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_path = Format(L"%squentry-test-%lu-%d", temp, ::GetCurrentProcessId(), counter++);
    RemoveTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(m_path);
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}

ProcessResult RunCommand(const std::wstring& commandLine, DWORD timeoutMs, bool mergeErrorOutput) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    UniqueKernelHandle reader(readEnd);
    UniqueKernelHandle writer(writeEnd);
    ::SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.Get();
    startup.hStdError = mergeErrorOutput ? writer.Get() : ::GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring mutableLine = commandLine;
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process)) {
        result.exitCode = static_cast<DWORD>(-1);
        return result;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    writer.Reset();

    // Read the output on this thread while waiting, so that a full pipe cannot block the child.
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    char buffer[4096];
    for (;;) {
        DWORD available = 0;
        while (::PeekNamedPipe(reader.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            DWORD read = 0;
            if (!::ReadFile(reader.Get(), buffer, sizeof(buffer), &read, nullptr) || read == 0) {
                break;
            }
            result.output.append(buffer, read);
        }
        if (::WaitForSingleObject(processHandle.Get(), 20) == WAIT_OBJECT_0) {
            break;
        }
        if (::GetTickCount64() > deadline) {
            ::TerminateProcess(processHandle.Get(), 255);
            ::WaitForSingleObject(processHandle.Get(), 5000);
            result.timedOut = true;
            break;
        }
    }
    DWORD read = 0;
    while (::ReadFile(reader.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        result.output.append(buffer, read);
    }
    ::GetExitCodeProcess(processHandle.Get(), &result.exitCode);
    return result;
}

namespace {

// A full drive path in the form the file functions take beyond MAX_PATH, so that the tests can
// make and read the long paths they give the programs under test.
std::wstring AnyLength(const std::wstring& path) {
    const bool drivePath = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    return drivePath && path.size() >= MAX_PATH ? L"\\\\?\\" + path : path;
}

} // namespace

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(AnyLength(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::wstring& path) {
    UniqueFileHandle file(::CreateFileW(AnyLength(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFileHandle file(::CreateFileW(AnyLength(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW((AnyLength(folder + L"\\*")).c_str(), &found));
    if (!search) {
        return names;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(found.cFileName);
        }
    } while (::FindNextFileW(search.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring ReadUtf16(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

} // namespace quentry::test
