// A server's line-oriented XML configuration file: every line kept as read, settings found as
// elements named "section.key" on a line of their own. Paths are "section.key".
#pragma once

#include "servers/ICBSIniFileBase.h"
#include "servers/XmlLineParser.h"

#include <memory>
#include <string>
#include <vector>

namespace quentry {

class ICBSXMLIniFile : public ICBSIniFileBase {
public:
    // Reads the file; a missing or unreadable file gives the three default lines only.
    explicit ICBSXMLIniFile(std::wstring path);
    // The object the file of these lines gives (the lines as read, without their line ends).
    ICBSXMLIniFile(std::wstring path, const std::vector<std::wstring>& lines);

    bool HasContent() const override { return !m_lines.empty(); }
    bool HasParseErrors() const override;
    bool IsModified() const override;
    bool HasKey(std::wstring_view section, std::wstring_view key) const override;
    bool HasKey(std::wstring_view path) const override;
    std::wstring GetValue(std::wstring_view section, std::wstring_view key) const override;
    std::wstring GetValue(std::wstring_view path) const override;
    // Changes the value of the setting's line, or adds a line before the root's end tag; an empty
    // value removes the setting's line.
    bool SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) override;
    bool SetValue(std::wstring_view path, std::wstring_view value) override;
    bool Save() override;

    const std::vector<std::unique_ptr<XmlIniLine>>& Lines() const { return m_lines; }

    static constexpr std::wstring_view kPathSeparator = L".";
    // The lines of an empty file, in memory only.
    static constexpr std::wstring_view kDefaultDeclaration = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    static constexpr std::wstring_view kDefaultRootStart =
        L"<config xmlns=\"http://www.zorvat.com/schemas/server/config\">";
    static constexpr std::wstring_view kDefaultRootEnd = L"</config>";

private:
    void Load(const std::vector<std::wstring>& lines);
    const XmlIniLine* FindSetting(std::wstring_view section, std::wstring_view key) const;

    std::wstring m_path;
    bool m_removedLines = false;
    std::vector<std::unique_ptr<XmlIniLine>> m_lines;
};

} // namespace quentry
