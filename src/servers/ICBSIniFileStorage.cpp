// The file side of the two configuration file classes: loading at construction and saving.
#include "servers/ConfigFileLines.h"
#include "servers/ICBSIniFile.h"
#include "servers/ICBSXMLIniFile.h"

namespace quentry {

ICBSIniFile::ICBSIniFile(std::wstring path)
    : ICBSIniFile(path, ReadConfigFileLines(path).value_or(std::vector<std::wstring>())) {}

bool ICBSIniFile::Save() {
    if (!m_modified) {
        return true;
    }
    std::vector<std::wstring> lines;
    for (const auto& section : m_sections) {
        if (!section->name.empty() || section != m_sections.front()) {
            lines.push_back(L"[" + section->name + L"]");
        }
        for (const auto& entry : section->entries) {
            lines.push_back(entry->key + L"=" + entry->value);
        }
    }
    if (!WriteConfigFileLines(m_path, lines)) {
        return false;
    }
    m_modified = false;
    return true;
}

ICBSXMLIniFile::ICBSXMLIniFile(std::wstring path)
    : ICBSXMLIniFile(path, ReadConfigFileLines(path).value_or(std::vector<std::wstring>())) {}

bool ICBSXMLIniFile::Save() {
    if (!IsModified()) {
        return true;
    }
    std::vector<std::wstring> lines;
    for (const auto& line : m_lines) {
        lines.push_back(line->modified ? XmlElementText(*line) : line->text);
    }
    if (!WriteConfigFileLines(m_path, lines)) {
        return false;
    }
    for (auto& line : m_lines) {
        if (line->modified) {
            line->text = XmlElementText(*line);
            line->modified = false;
        }
    }
    m_removedLines = false;
    return true;
}

} // namespace quentry
