#include "servers/ICBSIniFile.h"
#include "servers/ICBSXMLIniFile.h"

#include "common/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

struct Lookup {
    std::wstring path;
    bool found;
    std::wstring value;
};

struct FileCase {
    const char* name;
    std::string bytes; // the file as it is on disk
    bool hasContent;
    bool hasParseErrors;
    std::vector<Lookup> lookups;
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

template <typename File> void CheckFile(const FileCase& c) {
    test::ScratchFolder folder;
    const std::wstring path = folder.File(L"server.cfg");
    ASSERT_TRUE(test::WriteBytes(path, c.bytes));
    File file(path);
    EXPECT_EQ(file.HasContent(), c.hasContent);
    EXPECT_EQ(file.HasParseErrors(), c.hasParseErrors);
    EXPECT_FALSE(file.IsModified());
    for (const Lookup& lookup : c.lookups) {
        SCOPED_TRACE(ToUtf8(lookup.path));
        EXPECT_EQ(file.HasKey(lookup.path), lookup.found);
        EXPECT_EQ(file.GetValue(lookup.path), lookup.value);
    }
    // Reading never writes: the file is as it was.
    EXPECT_TRUE(file.Save());
    EXPECT_EQ(test::ReadBytes(path), c.bytes);
}

class IniFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(IniFileTest, ReadsAsTheServersWriteIt) {
    CheckFile<ICBSIniFile>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniFileTest,
    ::testing::Values(
        FileCase{"CommentsOnly",
                 "// a comment\r\n; another\r\n\r\n   \r\n\t// indented\r\n",
                 false,
                 false,
                 {{L"::", false, L""}}},
        FileCase{"Empty", "", false, false, {{L"Listen::port", false, L""}}},
        FileCase{"KeysBeforeTheFirstSection",
                 "port=1\r\n[Listen]\r\nport=2\r\n",
                 true,
                 false,
                 {{L"::port", true, L"1"}, {L"port", true, L"1"}, {L"Listen::port", true, L"2"}}},
        FileCase{"BlanksAroundTheEqualsSign",
                 "[Listen]\r\nPort = 8087\r\nactive=1\r\n",
                 true,
                 false,
                 {{L"Listen::port", true, L" 8087"},
                  {L"LISTEN::PORT", true, L" 8087"},
                  {L"listen::Active", true, L"1"}}},
        FileCase{"ContinuationLines",
                 "[SSL]\r\ncertificate=X\r\n  second part \r\n#third\r\nprivate_key=K\r\n",
                 true,
                 false,
                 {{L"SSL::certificate", true, L"X\r\n\tsecond part\r\n\t#third"},
                  {L"SSL::private_key", true, L"K"}}},
        FileCase{"HashLinesContinueTheValue",
                 "[Listen]\r\nport=80\r\n# not a comment\r\n",
                 true,
                 false,
                 {{L"Listen::port", true, L"80\r\n\t# not a comment"}}},
        FileCase{"MergedSectionsAndTheLastValue",
                 "[Listen]\r\nport=1\r\n[ListenSSL]\r\nport=2\r\n[LISTEN]\r\nactive=1\r\nport=3\r\n",
                 true,
                 false,
                 {{L"Listen::port", true, L"3"},
                  {L"Listen::active", true, L"1"},
                  {L"ListenSSL::port", true, L"2"}}},
        FileCase{"AnEmptyValueRemovesTheKey",
                 "[Listen]\r\nport=1\r\nport=\r\nactive=\r\n",
                 true,
                 false,
                 {{L"Listen::port", false, L""}, {L"Listen::active", false, L""}}},
        FileCase{"LinesEndingInCrCrLf",
                 "[Listen]\r\r\nport=4646\r\r\n",
                 true,
                 false,
                 {{L"Listen::port", true, L"4646"}}},
        FileCase{"BracketsAndTheFirstEqualsSign",
                 "[[SSL]]\r\ncertificate=C:\\a=b\r\n",
                 true,
                 false,
                 {{L"SSL::certificate", true, L"C:\\a=b"}}},
        FileCase{"NoSeparatorInThePath",
                 "[Listen]\r\nport=1\r\n",
                 true,
                 false,
                 {{L"port", false, L""}, {L"Listen:port", false, L""}}},
        FileCase{"LastLineWithoutLineEnd",
                 "[Listen]\r\nport=8088",
                 true,
                 false,
                 {{L"Listen::port", true, L"8088"}}},
        FileCase{"ALineBeforeAnyKey",
                 "[Listen]\r\nstray words\r\n",
                 true,
                 false,
                 {{L"Listen::port", false, L""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFileMissingTest, AMissingFileHasNoContent) {
    test::ScratchFolder folder;
    ICBSIniFile file(folder.File(L"absent.cfg"));
    EXPECT_FALSE(file.HasContent());
    EXPECT_FALSE(file.HasKey(L"Listen::port"));
    EXPECT_TRUE(file.Save());
    EXPECT_FALSE(test::FileExists(folder.File(L"absent.cfg")));
}

TEST(IniFileSetValueTest, ChangesAreReportedAndTheEmptySectionComesFirst) {
    ICBSIniFile file(L"unused.cfg", std::vector<std::wstring>{L"[Listen]", L"port=1"});
    EXPECT_FALSE(file.SetValue(L"listen::port", L"1"));
    EXPECT_FALSE(file.IsModified());
    EXPECT_TRUE(file.SetValue(L"Listen::port", L"2"));
    EXPECT_TRUE(file.IsModified());
    EXPECT_FALSE(file.SetValue(L"Other::key", L""));
    EXPECT_TRUE(file.SetValue(L"::top", L"t"));
    ASSERT_EQ(file.Sections().size(), 2u);
    EXPECT_EQ(file.Sections().front()->name, L"");
    EXPECT_TRUE(file.SetValue(L"Listen::port", L""));
    EXPECT_FALSE(file.HasKey(L"Listen::port"));
}

class XmlFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(XmlFileTest, ReadsAsTheServersWriteIt) {
    CheckFile<ICBSXMLIniFile>(GetParam());
}

const std::string kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<config xmlns=\"x\">\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, XmlFileTest,
    ::testing::Values(
        FileCase{"Settings",
                 kXmlHead +
                     "  <http.socket-port>8087</http.socket-port>\r\n\t<http.enable>1</http.enable>\r\n"
                     "<https.certificate>C:\\certs\\a.pem</https.certificate>\r\n</config>\r\n",
                 true,
                 false,
                 {{L"http.socket-port", true, L"8087"},
                  {L"HTTP.Socket-Port", true, L"8087"},
                  {L"http.enable", true, L"1"},
                  {L"https.certificate", true, L"C:\\certs\\a.pem"},
                  {L"https.enable", false, L""}}},
        FileCase{"CommentedElement",
                 kXmlHead + "<!-- <http.socket-port>9000</http.socket-port> -->\r\n<!-- plain words -->\r\n"
                            "</config>\r\n",
                 true,
                 false,
                 {{L"http.socket-port", false, L""}}},
        FileCase{"CommentedElementBeforeTheSetting",
                 kXmlHead + "<!--<http.socket-port>9000</http.socket-port>-->\r\n"
                            "<http.socket-port>8087</http.socket-port>\r\n</config>\r\n",
                 true,
                 false,
                 {{L"http.socket-port", true, L"8087"}}},
        FileCase{"ElementSplitOverTwoLines",
                 kXmlHead + "<http.socket-port>\r\n8087</http.socket-port>\r\n</config>\r\n",
                 true,
                 true,
                 {{L"http.socket-port", false, L""}}},
        FileCase{"ElementSplitAfterItsValue",
                 kXmlHead + "<http.socket-port>8087\r\n</http.socket-port>\r\n</config>\r\n",
                 true,
                 true,
                 {{L"http.socket-port", false, L""}}},
        FileCase{"AttributesAndEntities",
                 kXmlHead +
                     "<https.certificate type=\"pem\" a='b'>C:\\a&amp;b &lt;x&gt;</https.certificate>\r\n"
                     "</config>\r\n",
                 true,
                 false,
                 {{L"https.certificate", true, L"C:\\a&amp;b &lt;x&gt;"}}},
        FileCase{"ValueKeptAsWritten",
                 kXmlHead + "<http.enable> 1 </http.enable>\r\n</config>\r\n",
                 true,
                 false,
                 {{L"http.enable", true, L" 1 "}}},
        FileCase{"EmptyElement",
                 kXmlHead + "<flag/>\r\n<http.x/>\r\n</config>\r\n",
                 true,
                 false,
                 {{L"flag", true, L""}, {L"http.x", false, L""}}},
        FileCase{"BrokenLines",
                 kXmlHead + "<a.b/ >\r\n<a.c\r\n<a.d x=\"1\"\r\n<!-- unended\r\n"
                            "<a.e>1</a.e> trailing\r\n<http.enable>1</http.enable>\r\n</config>\r\n",
                 true,
                 true,
                 {{L"a.e", false, L""}, {L"a.d", false, L""}, {L"http.enable", true, L"1"}}},
        FileCase{"NameWithoutDot",
                 kXmlHead + "<port>1</port>\r\n</config>\r\n",
                 true,
                 false,
                 {{L"port", true, L"1"}, {L".port", true, L"1"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XmlFileMissingTest, AMissingFileHoldsTheThreeDefaultLinesOnly) {
    test::ScratchFolder folder;
    ICBSXMLIniFile file(folder.File(L"absent.xml"));
    EXPECT_TRUE(file.HasContent());
    EXPECT_FALSE(file.HasParseErrors());
    ASSERT_EQ(file.Lines().size(), 3u);
    EXPECT_EQ(file.Lines()[0]->text, ICBSXMLIniFile::kDefaultDeclaration);
    EXPECT_EQ(file.Lines()[2]->text, L"</config>");
    for (const auto& line : file.Lines()) {
        EXPECT_FALSE(line->isElement);
    }
    EXPECT_TRUE(file.Save());
    EXPECT_FALSE(test::FileExists(folder.File(L"absent.xml")));
}

TEST(XmlFileSetValueTest, ANewSettingGoesBeforeTheRootEnd) {
    test::ScratchFolder folder;
    const std::wstring path = folder.File(L"server_config.xml");
    ICBSXMLIniFile file(
        path, std::vector<std::wstring>{L"<config>", L"<http.enable>1</http.enable>", L"</config>"});
    EXPECT_FALSE(file.SetValue(L"http.enable", L"1"));
    EXPECT_TRUE(file.SetValue(L"http.enable", L"0"));
    EXPECT_TRUE(file.SetValue(L"http.socket-port", L"81"));
    EXPECT_TRUE(file.IsModified());
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(test::ReadBytes(path), "<config>\r\n<http.enable>0</http.enable>\r\n<http.socket-port>81</"
                                     "http.socket-port>\r\n</config>\r\n");
    ICBSXMLIniFile reread(path);
    EXPECT_EQ(reread.GetValue(L"http.socket-port"), L"81");
}

} // namespace
} // namespace quentry
