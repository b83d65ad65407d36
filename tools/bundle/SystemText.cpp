#include "SystemText.h"

#include "common/WideText.h"

namespace quentry::bundle {

std::wstring SystemText(DWORD error) {
    wchar_t buffer[512] = {};
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                          error, 0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() &&
           (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.')) {
        text.pop_back();
    }
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') {
            c = L' ';
        }
    }
    return text.empty() ? Format(L"error %lu", error) : Format(L"%s (error %lu)", text.c_str(), error);
}

} // namespace quentry::bundle
