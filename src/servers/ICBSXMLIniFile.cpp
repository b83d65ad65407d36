#include "servers/ICBSXMLIniFile.h"

#include "servers/ConfigText.h"

#include <algorithm>

namespace quentry {

namespace {

// A line in error is never a setting, even when a whole element stands before the fault.
bool IsSetting(const XmlIniLine& line, std::wstring_view section, std::wstring_view key) {
    return line.isElement && !line.isComment && !line.hasError &&
           SameTextIgnoringCase(line.section, section) && SameTextIgnoringCase(line.key, key);
}

} // namespace

ICBSXMLIniFile::ICBSXMLIniFile(std::wstring path, const std::vector<std::wstring>& lines)
    : m_path(std::move(path)) {
    Load(lines);
}

void ICBSXMLIniFile::Load(const std::vector<std::wstring>& lines) {
    for (const std::wstring& text : lines) {
        m_lines.push_back(std::make_unique<XmlIniLine>(ParseXmlLine(text)));
    }
    if (m_lines.empty()) {
        for (std::wstring_view text : {kDefaultDeclaration, kDefaultRootStart, kDefaultRootEnd}) {
            m_lines.push_back(std::make_unique<XmlIniLine>(ParseXmlLine(text)));
        }
    }
}

bool ICBSXMLIniFile::HasParseErrors() const {
    return std::any_of(m_lines.begin(), m_lines.end(), [](const auto& line) { return line->hasError; });
}

bool ICBSXMLIniFile::IsModified() const {
    return m_removedLines ||
           std::any_of(m_lines.begin(), m_lines.end(), [](const auto& line) { return line->modified; });
}

const XmlIniLine* ICBSXMLIniFile::FindSetting(std::wstring_view section, std::wstring_view key) const {
    for (const auto& line : m_lines) {
        if (IsSetting(*line, section, key)) {
            return line.get();
        }
    }
    return nullptr;
}

bool ICBSXMLIniFile::HasKey(std::wstring_view section, std::wstring_view key) const {
    return FindSetting(section, key) != nullptr;
}

bool ICBSXMLIniFile::HasKey(std::wstring_view path) const {
    const auto [section, key] = SplitPath(path, kPathSeparator);
    return HasKey(section, key);
}

std::wstring ICBSXMLIniFile::GetValue(std::wstring_view section, std::wstring_view key) const {
    const XmlIniLine* line = FindSetting(section, key);
    return line == nullptr ? std::wstring() : line->value;
}

std::wstring ICBSXMLIniFile::GetValue(std::wstring_view path) const {
    const auto [section, key] = SplitPath(path, kPathSeparator);
    return GetValue(section, key);
}

bool ICBSXMLIniFile::SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const auto found = std::find_if(m_lines.begin(), m_lines.end(),
                                    [&](const auto& line) { return IsSetting(*line, section, key); });
    if (found != m_lines.end()) {
        if (value.empty()) {
            m_lines.erase(found);
            m_removedLines = true;
            return true;
        }
        if ((*found)->value == value) {
            return false;
        }
        (*found)->value = value;
        (*found)->modified = true;
        return true;
    }
    if (value.empty() || key.empty()) {
        return false;
    }
    auto line = std::make_unique<XmlIniLine>();
    line->isElement = true;
    line->modified = true;
    line->section = section;
    line->key = key;
    line->value = value;
    line->text = XmlElementText(*line);
    // New settings go before the root element's end tag, or at the end when there is none.
    auto rootEnd = std::find_if(m_lines.rbegin(), m_lines.rend(), [](const auto& existing) {
        return TrimSet(existing->text, L" \t").starts_with(L"</config");
    });
    m_lines.insert(rootEnd == m_lines.rend() ? m_lines.end() : std::prev(rootEnd.base()), std::move(line));
    return true;
}

bool ICBSXMLIniFile::SetValue(std::wstring_view path, std::wstring_view value) {
    const auto [section, key] = SplitPath(path, kPathSeparator);
    return SetValue(section, key, value);
}

} // namespace quentry
