#include "ToolOutput.h"

#include "common/WideText.h"

#include <windows.h>

#include <string>

namespace quentry::bundle {

namespace {

void WriteLine(DWORD which, std::wstring_view text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    std::wstring line(text);
    line += L"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(line);
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

void WriteOutputLine(std::wstring_view text) {
    WriteLine(STD_OUTPUT_HANDLE, text);
}
void WriteErrorLine(std::wstring_view text) {
    WriteLine(STD_ERROR_HANDLE, text);
}

} // namespace quentry::bundle
