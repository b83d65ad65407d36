// A small program the common utilities' tests start as a child process. Its first argument says
// what to do:
//   lock PATH MS EVENT     open PATH without sharing, signal the named EVENT, hold it MS ms
//   sleep MS CODE          sleep MS ms, then exit with CODE
//   write-after MS PATH    sleep MS ms, then create PATH
//   env NAME PATH          write the variable's value (or "<unset>") to PATH
//   cwd PATH               write the working folder to PATH
//   console PATH           write "1" when the process has a console window, else "0"
//   nested SHOW PATH       run "console PATH" through RunProcess with show window SHOW (0 or 1)
// Text files are UTF-8. Bad arguments exit with 100.
#include "common/FileUtilities.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

bool WriteText(const wchar_t* path, const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                              nullptr, nullptr);
    }
    HANDLE file =
        ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

DWORD Number(const wchar_t* text) {
    return static_cast<DWORD>(std::wcstoul(text, nullptr, 10));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        return 100;
    }
    const std::wstring mode = argv[1];
    if (mode == L"lock" && argc == 5) {
        HANDLE file = ::CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return 2;
        }
        HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]);
        if (ready != nullptr) {
            ::SetEvent(ready);
            ::CloseHandle(ready);
        }
        ::Sleep(Number(argv[3]));
        ::CloseHandle(file);
        return 0;
    }
    if (mode == L"sleep" && argc == 4) {
        ::Sleep(Number(argv[2]));
        return static_cast<int>(Number(argv[3]));
    }
    if (mode == L"write-after" && argc == 4) {
        ::Sleep(Number(argv[2]));
        return WriteText(argv[3], L"written") ? 0 : 3;
    }
    if (mode == L"env" && argc == 4) {
        wchar_t value[1024] = {};
        const DWORD length = ::GetEnvironmentVariableW(argv[2], value, ARRAYSIZE(value));
        const bool unset = length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND;
        return WriteText(argv[3], unset ? std::wstring(L"<unset>") : std::wstring(value, length)) ? 0 : 3;
    }
    if (mode == L"cwd" && argc == 3) {
        wchar_t folder[MAX_PATH * 2] = {};
        const DWORD length = ::GetCurrentDirectoryW(ARRAYSIZE(folder), folder);
        return WriteText(argv[2], std::wstring(folder, length)) ? 0 : 3;
    }
    if (mode == L"console" && argc == 3) {
        return WriteText(argv[2], ::GetConsoleWindow() != nullptr ? L"1" : L"0") ? 0 : 3;
    }
    if (mode == L"nested" && argc == 4) {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        const std::wstring commandLine = std::wstring(L"\"") + self + L"\" console \"" + argv[3] + L"\"";
        return quentry::ICBSFileUtilities::RunProcess(commandLine, true, L"", {}, 60000,
                                                      Number(argv[2]) != 0);
    }
    return 100;
}
