#include "servers/XmlLineParser.h"

namespace quentry {

namespace {

bool IsWhiteSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

size_t SkipWhiteSpace(std::wstring_view text, size_t position) {
    while (position < text.size() && IsWhiteSpace(text[position])) {
        ++position;
    }
    return position;
}

// Reads the element at position (a "<"); false when the line is in error. position ends after
// the element, or where reading stopped.
bool ReadElement(std::wstring_view text, size_t& position, XmlIniLine& line, bool& stop) {
    size_t end = position + 1;
    while (end < text.size() && text[end] != L'/' && text[end] != L'>' && !IsWhiteSpace(text[end])) {
        ++end;
    }
    const std::wstring_view name = text.substr(position + 1, end - position - 1);
    if (end < text.size() && text[end] == L'/') {
        if (end + 1 >= text.size() || text[end + 1] != L'>') {
            return false;
        }
        line.isElement = true;
        line.key = name;
        line.value.clear();
        position = end + 2;
        return true;
    }
    if (end >= text.size()) {
        return false;
    }
    const size_t dot = name.find(L'.');
    if (dot != std::wstring_view::npos) {
        line.section = name.substr(0, dot);
        line.key = name.substr(dot + 1);
    } else {
        line.key = name;
    }
    // Attributes are skipped up to the end of the start tag.
    const size_t close = text.find(L'>', end);
    if (close == std::wstring_view::npos) {
        return false;
    }
    const std::wstring endTag = L"</" + std::wstring(name) + L">";
    const size_t endTagPosition = text.find(endTag, close + 1);
    if (endTagPosition == std::wstring_view::npos) {
        // An element that goes on over more lines is not a setting.
        line.isElement = false;
        stop = true;
        return true;
    }
    line.isElement = true;
    line.value = text.substr(close + 1, endTagPosition - close - 1);
    position = endTagPosition + endTag.size();
    return true;
}

} // namespace

XmlIniLine ParseXmlLine(std::wstring_view text) {
    XmlIniLine line;
    line.text = text;
    size_t position = SkipWhiteSpace(text, 0);
    const std::wstring_view rest = text.substr(position);
    if (rest.empty() || rest.starts_with(L"<?xml") || rest.starts_with(L"<confi") ||
        rest.starts_with(L"</config")) {
        return line;
    }
    if (rest.starts_with(L"<!--")) {
        line.isComment = true;
        position = SkipWhiteSpace(text, position + 4);
    }
    if (position < text.size() && text[position] == L'<') {
        bool stop = false;
        if (!ReadElement(text, position, line, stop)) {
            line.hasError = true;
            return line;
        }
        if (stop) {
            return line;
        }
    }
    position = SkipWhiteSpace(text, position);
    if (line.isComment) {
        line.isElement = text.substr(position).starts_with(L"-->");
        const size_t commentEnd = text.find(L"-->", position);
        if (commentEnd == std::wstring_view::npos) {
            line.hasError = true;
            return line;
        }
        position = SkipWhiteSpace(text, commentEnd + 3);
    }
    if (position < text.size()) {
        line.hasError = true;
    }
    return line;
}

std::wstring XmlElementText(const XmlIniLine& line) {
    const std::wstring name = line.section.empty() ? line.key : line.section + L"." + line.key;
    return L"<" + name + L">" + line.value + L"</" + name + L">";
}

} // namespace quentry
