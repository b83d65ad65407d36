#include "servers/IniLineParser.h"
#include "servers/XmlLineParser.h"

#include "common/WideText.h"

#include <gtest/gtest.h>

#include <string>

namespace quentry {
namespace {

struct XmlLineCase {
    std::wstring text;
    bool isElement;
    bool isComment;
    bool hasError;
    std::wstring section;
    std::wstring key;
    std::wstring value;
};

TEST(XmlLineParserTest, EachLineIsReadOnItsOwn) {
    const XmlLineCase cases[] = {
        {L"", false, false, false, L"", L"", L""},
        {L"  <?xml version=\"1.0\"?>", false, false, false, L"", L"", L""},
        {L"<config xmlns=\"x\">", false, false, false, L"", L"", L""},
        {L"<configuration>", false, false, false, L"", L"", L""},
        {L"</config>", false, false, false, L"", L"", L""},
        {L"<http.socket-port>8087</http.socket-port>", true, false, false, L"http", L"socket-port", L"8087"},
        {L"<a.b.c>v</a.b.c>  ", true, false, false, L"a", L"b.c", L"v"},
        {L"<port>1</port>", true, false, false, L"", L"port", L"1"},
        {L"<x.y/>", true, false, false, L"", L"x.y", L""},
        {L"<x.y/ >", false, false, true, L"", L"", L""},
        {L"<x.y attr=\"1\">v</x.y>", true, false, false, L"x", L"y", L"v"},
        {L"<x.y attr=\"1\"", false, false, true, L"x", L"y", L""},
        {L"<x.y", false, false, true, L"", L"", L""},
        // The first line of an element that goes on over two lines: neither a setting nor an error.
        {L"<http.socket-port>", false, false, false, L"http", L"socket-port", L""},
        {L"<http.socket-port>8087", false, false, false, L"http", L"socket-port", L""},
        {L"<x.y>v</x.z>", false, false, false, L"x", L"y", L""},
        {L"<x.y>v</x.y> more", true, false, true, L"x", L"y", L"v"},
        {L"8087</http.socket-port>", false, false, true, L"", L"", L""},
        {L"<!-- <x.y>v</x.y> -->", true, true, false, L"x", L"y", L"v"},
        {L"<!--<x.y>v</x.y>-->", true, true, false, L"x", L"y", L"v"},
        {L"<!-- words -->", false, true, false, L"", L"", L""},
        {L"<!-- <x.y>v</x.y> words -->", false, true, false, L"x", L"y", L"v"},
        {L"<!-- unended", false, true, true, L"", L"", L""},
        {L"<!-- --> after", true, true, true, L"", L"", L""},
        {L"<", false, false, true, L"", L"", L""},
        {L"<>v</>", true, false, false, L"", L"", L"v"},
    };
    for (const XmlLineCase& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        const XmlIniLine line = ParseXmlLine(c.text);
        EXPECT_EQ(line.text, c.text);
        EXPECT_EQ(line.isElement, c.isElement);
        EXPECT_EQ(line.isComment, c.isComment);
        EXPECT_EQ(line.hasError, c.hasError);
        EXPECT_FALSE(line.modified);
        EXPECT_EQ(line.section, c.section);
        EXPECT_EQ(line.key, c.key);
        EXPECT_EQ(line.value, c.value);
    }
}

TEST(IniLineParserTest, EachLineIsReadOnItsOwn) {
    struct Case {
        std::wstring text;
        IniLineKind kind;
        std::wstring key;
        std::wstring value;
    };
    const Case cases[] = {
        {L"", IniLineKind::Skipped, L"", L""},
        {L" \t\r\r\n", IniLineKind::Skipped, L"", L""},
        {L"  // comment", IniLineKind::Skipped, L"", L""},
        {L";comment=1", IniLineKind::Skipped, L"", L""},
        {L"/ not a comment", IniLineKind::Continuation, L"", L"/ not a comment"},
        {L"#hash", IniLineKind::Continuation, L"", L"#hash"},
        {L" [Listen] ", IniLineKind::Section, L"", L"Listen"},
        {L"[[a]b]]", IniLineKind::Section, L"", L"a]b"},
        {L"[]", IniLineKind::Section, L"", L""},
        {L"Port = 8087", IniLineKind::Entry, L"Port", L" 8087"},
        {L"\tkey\t=\tv = w\t\r", IniLineKind::Entry, L"key", L"\tv = w"},
        {L"=v", IniLineKind::Entry, L"", L"v"},
        {L"key=", IniLineKind::Entry, L"key", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        const IniLine line = ParseIniLine(c.text);
        EXPECT_EQ(line.kind, c.kind);
        EXPECT_EQ(line.key, c.key);
        EXPECT_EQ(line.text, c.value);
    }
}

} // namespace
} // namespace quentry
