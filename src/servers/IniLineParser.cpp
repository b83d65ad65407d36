#include "servers/IniLineParser.h"

#include "servers/ConfigText.h"

namespace quentry {

IniLine ParseIniLine(std::wstring_view line) {
    IniLine result;
    const std::wstring_view trimmed = TrimSet(line, kIniLineTrimSet);
    if (trimmed.empty() || trimmed.starts_with(L"//") || trimmed.starts_with(L";")) {
        return result;
    }
    if (trimmed.starts_with(L"[")) {
        result.kind = IniLineKind::Section;
        result.text = TrimSet(trimmed, L"[]");
        return result;
    }
    const size_t equals = trimmed.find(L'=');
    if (equals == std::wstring_view::npos) {
        result.kind = IniLineKind::Continuation;
        result.text = TrimBlanks(trimmed);
        return result;
    }
    result.kind = IniLineKind::Entry;
    result.key = TrimBlanks(trimmed.substr(0, equals));
    result.text = trimmed.substr(equals + 1);
    return result;
}

} // namespace quentry
