#include "servers/ICBSIniFile.h"

#include "servers/ConfigText.h"
#include "servers/IniLineParser.h"

#include <algorithm>

namespace quentry {

ICBSIniFile::ICBSIniFile(std::wstring path, const std::vector<std::wstring>& lines)
    : m_path(std::move(path)) {
    Load(lines);
}

void ICBSIniFile::Load(const std::vector<std::wstring>& lines) {
    std::wstring section;
    std::wstring previousKey;
    std::wstring previousValue;
    for (const std::wstring& text : lines) {
        IniLine line = ParseIniLine(text);
        std::wstring key;
        std::wstring value;
        switch (line.kind) {
        case IniLineKind::Skipped:
            continue;
        case IniLineKind::Section:
            section = std::move(line.text);
            continue;
        case IniLineKind::Entry:
            key = std::move(line.key);
            value = std::move(line.text);
            break;
        case IniLineKind::Continuation:
            key = previousKey;
            value = previousValue + std::wstring(kIniContinuationBreak) + line.text;
            break;
        }
        SetValue(section, key, value);
        previousKey = std::move(key);
        previousValue = std::move(value);
    }
    m_modified = false;
}

IniSection* ICBSIniFile::FindSection(std::wstring_view name) const {
    for (const auto& section : m_sections) {
        if (SameTextIgnoringCase(section->name, name)) {
            return section.get();
        }
    }
    return nullptr;
}

const IniEntry* ICBSIniFile::FindEntry(std::wstring_view section, std::wstring_view key) const {
    const IniSection* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    for (const auto& entry : found->entries) {
        if (SameTextIgnoringCase(entry->key, key)) {
            return entry.get();
        }
    }
    return nullptr;
}

bool ICBSIniFile::HasKey(std::wstring_view section, std::wstring_view key) const {
    return FindEntry(section, key) != nullptr;
}

bool ICBSIniFile::HasKey(std::wstring_view path) const {
    const auto [section, key] = SplitPath(path, kPathSeparator);
    return HasKey(section, key);
}

std::wstring ICBSIniFile::GetValue(std::wstring_view section, std::wstring_view key) const {
    const IniEntry* entry = FindEntry(section, key);
    return entry == nullptr ? std::wstring() : entry->value;
}

std::wstring ICBSIniFile::GetValue(std::wstring_view path) const {
    const auto [section, key] = SplitPath(path, kPathSeparator);
    return GetValue(section, key);
}

bool ICBSIniFile::SetValue(std::wstring_view sectionName, std::wstring_view key, std::wstring_view value) {
    IniSection* section = FindSection(sectionName);
    if (section != nullptr) {
        auto& entries = section->entries;
        const auto found =
            std::find_if(entries.begin(), entries.end(), [&](const std::unique_ptr<IniEntry>& entry) {
                return SameTextIgnoringCase(entry->key, key);
            });
        if (found != entries.end()) {
            if (value.empty()) {
                entries.erase(found);
                m_modified = true;
                return true;
            }
            if ((*found)->value == value) {
                return false;
            }
            (*found)->value = value;
            m_modified = true;
            return true;
        }
    }
    if (value.empty()) {
        return false;
    }
    if (section == nullptr) {
        auto created = std::make_unique<IniSection>();
        created->name = sectionName;
        section = created.get();
        if (sectionName.empty()) {
            m_sections.insert(m_sections.begin(), std::move(created));
        } else {
            m_sections.push_back(std::move(created));
        }
        m_modified = true;
    }
    if (!key.empty()) {
        section->entries.push_back(
            std::make_unique<IniEntry>(IniEntry{std::wstring(key), std::wstring(value)}));
        m_modified = true;
    }
    return true;
}

bool ICBSIniFile::SetValue(std::wstring_view path, std::wstring_view value) {
    const auto [section, key] = SplitPath(path, kPathSeparator);
    return SetValue(section, key, value);
}

} // namespace quentry
