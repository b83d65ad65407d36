#include "launcher/CommandLinePropertyCheck.h"
#include "common/StringIds.h"

#include "common/WideText.h"
#include "servers/ServerPropertyCheck.h"

namespace quentry {

namespace {

bool IsServerProperty(const std::vector<UsagePropertyGroup>& groups, std::wstring_view name) {
    for (const UsagePropertyGroup& group : groups) {
        for (const UsageOption& property : group.properties) {
            if (EqualsNoCase(property.syntax, name)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

PropertyCheckResult CheckCommandLineProperties(const std::vector<std::wstring>& properties,
                                               const std::vector<UsagePropertyGroup>& groups,
                                               const LanguageTable& languages) {
    PropertyCheckResult result;
    for (const std::wstring& property : properties) {
        const size_t equals = property.find(L'=');
        const std::wstring name = property.substr(0, equals);
        const std::wstring value =
            equals == std::wstring::npos ? std::wstring() : property.substr(equals + 1);
        if (EqualsNoCase(name, L"lang") || EqualsNoCase(name, L"SubPackages") ||
            EqualsNoCase(name, L"TRANSFORMS")) {
            continue;
        }
        if (IsServerProperty(groups, name)) {
            if (!CheckNumericProperty(languages, name, value, result.errors)) {
                result.ok = false;
            }
            continue;
        }
        result.warnings.push_back(languages.FormatString(strings::kUnsupportedProperty, name.c_str()));
    }
    return result;
}

} // namespace quentry
