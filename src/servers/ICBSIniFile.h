// A server's ini file: sections of keys with values, read once at construction. Section and key
// names compare ignoring case; paths are "section::key".
#pragma once

#include "servers/ICBSIniFileBase.h"

#include <memory>
#include <string>
#include <vector>

namespace quentry {

struct IniEntry {
    std::wstring key;
    std::wstring value;
};

struct IniSection {
    std::wstring name; // empty for the keys before the first section header
    std::vector<std::unique_ptr<IniEntry>> entries;
};

class ICBSIniFile : public ICBSIniFileBase {
public:
    // Reads the file; a missing or unreadable file gives an object without content.
    explicit ICBSIniFile(std::wstring path);
    // The object the file of these lines gives (the lines as read, without their line ends).
    ICBSIniFile(std::wstring path, const std::vector<std::wstring>& lines);

    bool HasContent() const override { return !m_sections.empty(); }
    bool HasParseErrors() const override { return false; }
    bool IsModified() const override { return m_modified; }
    bool HasKey(std::wstring_view section, std::wstring_view key) const override;
    bool HasKey(std::wstring_view path) const override;
    std::wstring GetValue(std::wstring_view section, std::wstring_view key) const override;
    std::wstring GetValue(std::wstring_view path) const override;
    bool SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) override;
    bool SetValue(std::wstring_view path, std::wstring_view value) override;
    bool Save() override;

    const std::vector<std::unique_ptr<IniSection>>& Sections() const { return m_sections; }

    static constexpr std::wstring_view kPathSeparator = L"::";

private:
    void Load(const std::vector<std::wstring>& lines);
    IniSection* FindSection(std::wstring_view name) const;
    const IniEntry* FindEntry(std::wstring_view section, std::wstring_view key) const;

    std::wstring m_path;
    bool m_modified = false;
    std::vector<std::unique_ptr<IniSection>> m_sections;
};

} // namespace quentry
