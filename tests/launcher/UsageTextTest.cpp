#include "launcher/UsageText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quentry {
namespace {

TEST(UsageTextTest, WrapTextBreaksBeforeColumn80AndIndentsEveryLine) {
    const std::wstring a72(72, L'a');
    const std::wstring a75(75, L'a');
    const std::wstring x90(90, L'x');
    const struct {
        std::wstring text;
        size_t indent;
        std::optional<std::wstring_view> program;
        std::wstring expected;
    } cases[] = {
        {L"", 4, L"p.exe", L""},
        {L"Display this message.", 4, L"p.exe", L"    Display this message."},
        // A line may reach column 79; the blank that led the token carried over is dropped.
        {a75 + L" bcd e", 0, std::nullopt, a75 + L" bcd\ne"},
        {a75 + L" bcde", 0, std::nullopt, a75 + L"\nbcde"},
        {a75 + L" bcde", 2, std::nullopt, L"  " + a75 + L"\n  bcde"},
        // Line breaks, and a tab right after one: four more blanks.
        {L"a\n\t%s /q\nb", 4, L"p.exe", L"    a\n        p.exe /q\n    b"},
        {L"a\n\nb", 2, std::nullopt, L"  a\n  \n  b"},
        {L"\n\tx", 0, std::nullopt, L"\n    x"},
        {L"a\tb", 0, std::nullopt, L"a\tb"},
        // "%s" is the program name, or nothing.
        {L"Use %s now", 0, L"setup.exe", L"Use setup.exe now"},
        {L"Use %s now", 0, std::nullopt, L"Use  now"},
        {L"x%sy", 0, L"P", L"xPy"},
        // A quoted text is one token, blanks and all; the blank before it is a token of its own.
        {a72 + L" \"b c d\"", 0, std::nullopt, a72 + L" \n\"b c d\""},
        {L"say \"abc def", 2, std::nullopt, L"  say \"abc def"},
        {L"a  b", 0, std::nullopt, L"a  b"},
        // A token longer than a line stands alone on its line, after a break.
        {x90, 4, std::nullopt, L"    \n    " + x90},
        {L"ab " + x90 + L" cd", 0, std::nullopt, L"ab\n" + x90 + L"\ncd"},
        // A trailing blank stays when it fits.
        {L"end. ", 0, std::nullopt, L"end. "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WrapText(c.text, c.indent, c.program), c.expected) << c.text;
    }
}

TEST(UsageTextTest, TheProgramNameIsTheFileNameOfThisExecutable) {
    EXPECT_EQ(ProgramFileName(), L"launcher_tests.exe");
}

} // namespace
} // namespace quentry
