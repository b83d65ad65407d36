#include "common/SystemText.h"

#include "common/WideText.h"

namespace quentry {

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return {};
    }
    std::wstring text(buffer, length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') {
            c = L' ';
        }
    }
    return text;
}

std::wstring SystemText(DWORD error) {
    std::wstring text = SystemErrorText(error);
    while (!text.empty() && (text.back() == L'.' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? Format(L"error %lu", error) : Format(L"%s (error %lu)", text.c_str(), error);
}

} // namespace quentry
