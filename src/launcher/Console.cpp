#include "launcher/Console.h"

#include "common/WideText.h"

#include <windows.h>

namespace quentry {

namespace {

bool g_attached = false;
HANDLE g_consoleOutput = INVALID_HANDLE_VALUE;

// Where the text goes: a console (WriteConsoleW) or a file or pipe (WriteFile, UTF-8).
HANDLE OutputHandle(bool& isConsole) {
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (output != nullptr && output != INVALID_HANDLE_VALUE) {
        isConsole = ::GetConsoleMode(output, &mode) != FALSE;
        return output;
    }
    // A program without standard output that attached to its parent's console writes to it directly.
    if (g_attached && g_consoleOutput == INVALID_HANDLE_VALUE) {
        g_consoleOutput = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    }
    isConsole = g_consoleOutput != INVALID_HANDLE_VALUE;
    return g_consoleOutput;
}

} // namespace

void AttachParentConsole() {
    static bool tried = false;
    if (tried) {
        return;
    }
    tried = true;
    using AttachConsoleFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto attach = kernel ? reinterpret_cast<AttachConsoleFn>(
                               reinterpret_cast<void*>(::GetProcAddress(kernel, "AttachConsole")))
                         : nullptr;
    if (attach != nullptr) {
        g_attached = attach(ATTACH_PARENT_PROCESS) != FALSE;
    }
}

void ConsoleWrite(std::wstring_view text, bool newline) {
    std::wstring line(text);
    if (newline) {
        line += L"\r\n";
    }
    if (line.empty()) {
        return;
    }
    bool isConsole = false;
    HANDLE output = OutputHandle(isConsole);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    if (isConsole &&
        ::WriteConsoleW(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
        return;
    }
    const std::string bytes = ToUtf8(line);
    ::WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace quentry
