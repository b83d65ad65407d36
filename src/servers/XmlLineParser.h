// What one line of a server's XML configuration file holds: plain text, a setting element
// (<section.key>value</section.key>, or an empty element <key/>), a commented element, or
// something that cannot be read as either. Plain C++, no platform headers.
#pragma once

#include <string>
#include <string_view>

namespace quentry {

struct XmlIniLine {
    std::wstring text;      // the line as read
    bool isElement = false; // one complete element on this line
    bool isComment = false; // the line begins with "<!--"
    bool hasError = false;  // the line could not be read
    bool modified = false;  // rebuilt from section, key and value when written
    std::wstring section;   // element name before its first "."
    std::wstring key;       // element name after its first "." (the whole name without one)
    std::wstring value;     // text between start and end tag, as written
};

XmlIniLine ParseXmlLine(std::wstring_view text);

// The text of a line rebuilt from its section, key and value.
std::wstring XmlElementText(const XmlIniLine& line);

} // namespace quentry
