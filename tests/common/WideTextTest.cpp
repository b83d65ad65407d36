#include "common/WideText.h"

#include <gtest/gtest.h>

namespace quentry {
namespace {

// Exact conversions refuse a text the code page cannot carry as it is, rather than hand back a
// look-alike: a file name or a database string that changed on the way is a wrong result.
TEST(WideTextTest, ExactConversionsRefuseWhatTheCodePageCannotCarry) {
    const struct {
        const wchar_t* text;
        UINT codePage;
        const char* expected; // nullptr: refused
    } narrow[] = {
        {L"Readme.txt", 1252, "Readme.txt"},
        {L"Gr\u00FC\u00DFe", 1252,
         "Gr\xFC\xDF"
         "e"},
        {L"Ku\u0308che", 1252,
         "K\xFC"
         "che"},                          // a decomposed umlaut is composed
        {L"\u0101", 1252, nullptr},       // best fit would be "a"
        {L"\u221E", 1252, nullptr},       // best fit would be "8"
        {L"\u65E5\u672C", 1252, nullptr}, // no code at all: the default character
        {L"\u65E5\u672C", 932, "\x93\xFA\x96\x7B"},
        {L"\u00E9", CP_UTF8, "\xC3\xA9"},
        {L"a\xD800z", CP_UTF8, nullptr}, // a lone surrogate is no text
    };
    for (const auto& c : narrow) {
        const std::string converted = ToCodePageExact(c.text, c.codePage);
        EXPECT_EQ(converted, c.expected ? c.expected : "") << ToUtf8(c.text) << " in " << c.codePage;
    }
    EXPECT_EQ(FromCodePageExact("\xC3\xA9", CP_UTF8), L"\u00E9");
    EXPECT_EQ(FromCodePageExact("\xC3", CP_UTF8), L""); // cut off in the middle of a character
    EXPECT_EQ(FromCodePageExact("\x93\xFA", 932), L"\u65E5");
    // The lenient conversions keep going.
    EXPECT_FALSE(ToCodePage(L"\u65E5", 1252).empty());
}

} // namespace
} // namespace quentry
