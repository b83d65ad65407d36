#include "servers/ServerPropertyCheck.h"
#include "common/StringIds.h"

#include "common/WideText.h"

#include <cwchar>

namespace quentry {

namespace {

bool IsPortSetting(std::wstring_view name) {
    const size_t underscore = name.find(L'_');
    const std::wstring_view setting =
        underscore == std::wstring_view::npos ? std::wstring_view() : name.substr(underscore + 1);
    return EqualsNoCase(setting, L"WebServer_Port") || EqualsNoCase(setting, L"SSLWebServer_Port");
}

} // namespace

bool CheckNumericProperty(const LanguageTable& languages, std::wstring_view name, std::wstring_view value,
                          std::wstring& errors) {
    if (!IsPortSetting(name) || value.empty()) {
        return true;
    }
    const std::wstring text(value);
    wchar_t* end = nullptr;
    std::wcstol(text.c_str(), &end, 10);
    if (end == text.c_str() + text.size()) {
        return true;
    }
    errors += languages.FormatString(strings::kNotNumeric, std::wstring(name).c_str());
    errors += L"\n";
    return false;
}

} // namespace quentry
