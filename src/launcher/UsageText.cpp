#include "launcher/UsageText.h"
#include "common/StringIds.h"

#include <windows.h>

#include <set>

namespace quentry {

namespace {

constexpr size_t kLastColumn = 79;

// The end of the plain token that starts at start: the next blank after its first character, a
// line break, "%s" or a double quote, whichever comes first.
size_t PlainTokenEnd(std::wstring_view text, size_t start) {
    for (size_t i = start + 1; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L' ' || c == L'\n' || c == L'"' ||
            (c == L'%' && i + 1 < text.size() && text[i + 1] == L's')) {
            return i;
        }
    }
    return text.size();
}

} // namespace

std::wstring WrapText(std::wstring_view text, size_t indent, std::optional<std::wstring_view> programName) {
    if (text.empty()) {
        return {};
    }
    const std::wstring margin(indent, L' ');
    std::wstring out = margin;
    size_t column = indent;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'\n') {
            out += L'\n';
            out += margin;
            column = indent;
            ++i;
            if (i < text.size() && text[i] == L'\t') {
                out += L"    ";
                column = indent + 4;
                ++i;
            }
            continue;
        }
        std::wstring_view token;
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L's') {
            i += 2;
            if (!programName) {
                continue;
            }
            token = *programName;
        } else if (text[i] == L'"') {
            const size_t close = text.find(L'"', i + 1);
            const size_t end = close == std::wstring_view::npos ? text.size() : close + 1;
            token = text.substr(i, end - i);
            i = end;
        } else {
            const size_t end = PlainTokenEnd(text, i);
            token = text.substr(i, end - i);
            i = end;
        }
        if (column + token.size() > kLastColumn) {
            out += L'\n';
            out += margin;
            column = indent;
        }
        if (!token.empty() && token.front() == L' ' && column == indent) {
            token.remove_prefix(1);
        }
        out += token;
        column += token.size();
    }
    return out;
}

std::wstring UsageText(const LanguageTable& languages, const std::vector<UsageCommand>& commands,
                       const std::vector<UsagePropertyGroup>& groups, const std::wstring& programName) {
    const std::wstring_view program = programName;
    std::wstring out =
        L"\r\n" + programName + L" - " + languages.LoadString(strings::kSyntaxTitle) + L"\r\n\r\n";
    for (const UsageCommand& command : commands) {
        out += programName + L" " + command.syntax + L"\n" +
               WrapText(languages.LoadString(command.descriptionId), 4, program) + L"\r\n\r\n";
    }
    out += languages.LoadString(strings::kOptionsTitle) + L"\r\n";
    std::set<const UsageOption*> printed;
    for (const UsageCommand& command : commands) {
        for (const auto& option : command.options) {
            if (!printed.insert(option.get()).second) {
                continue;
            }
            out += L"    " + option->syntax + L"\n" +
                   WrapText(languages.LoadString(option->descriptionId), 8, program) + L"\r\n\r\n";
        }
    }
    out += WrapText(languages.LoadString(strings::kPropertiesTitle), 0, std::nullopt) + L"\r\n\r\n";
    for (const UsagePropertyGroup& group : groups) {
        out += WrapText(languages.LoadString(group.titleId), 4, std::nullopt) + L"\r\n";
        for (const UsageOption& property : group.properties) {
            out += L"        " + property.syntax + L"=" + languages.LoadString(property.placeholderId) +
                   L"\n" + WrapText(languages.LoadString(property.descriptionId), 12, std::nullopt) +
                   L"\r\n\r\n";
        }
    }
    return out;
}

std::wstring ProgramFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace quentry
