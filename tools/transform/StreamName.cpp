#include "StreamName.h"

namespace quentry::transform {

namespace {

constexpr size_t kMaxEncodedLength = 31;

// The position of a character in the packing alphabet 0-9 A-Z a-z . _, or -1.
int AlphabetIndex(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'A' && c <= L'Z') {
        return c - L'A' + 10;
    }
    if (c >= L'a' && c <= L'z') {
        return c - L'a' + 36;
    }
    if (c == L'.') {
        return 62;
    }
    if (c == L'_') {
        return 63;
    }
    return -1;
}

} // namespace

std::wstring EncodeStreamName(const std::wstring& name, bool table) {
    std::wstring encoded;
    if (table) {
        encoded += wchar_t{0x4840};
    }
    for (size_t i = 0; i < name.size(); ++i) {
        const int first = AlphabetIndex(name[i]);
        if (first < 0) {
            encoded += name[i];
            continue;
        }
        const int second = i + 1 < name.size() ? AlphabetIndex(name[i + 1]) : -1;
        if (second < 0) {
            encoded += static_cast<wchar_t>(0x4800 + first);
        } else {
            encoded += static_cast<wchar_t>(0x3800 + first + (second << 6));
            ++i;
        }
    }
    if (encoded.size() > kMaxEncodedLength) {
        return {};
    }
    return encoded;
}

} // namespace quentry::transform
