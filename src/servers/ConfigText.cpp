#include "servers/ConfigText.h"

#include <climits>
#include <cwctype>

namespace quentry {

std::wstring_view TrimSet(std::wstring_view text, std::wstring_view set) {
    const size_t first = text.find_first_not_of(set);
    if (first == std::wstring_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] &&
            std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

int DecimalPrefix(std::wstring_view text) {
    long long number = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            break;
        }
        number = number * 10 + (c - L'0');
        if (number > INT_MAX) {
            return INT_MAX;
        }
    }
    return static_cast<int>(number);
}

} // namespace quentry
