// What one line of a server's ini file says, before it is stored: nothing, a section header, a
// key with its value, or more text for the previous value. Plain C++, no platform headers.
#pragma once

#include <string>
#include <string_view>

namespace quentry {

enum class IniLineKind {
    Skipped,      // empty, or a comment ("//" or ";" at its start)
    Section,      // "[name]": text holds the name
    Entry,        // "key=value": key and text (the value, not trimmed)
    Continuation, // a line without "=": text is more of the previous value
};

struct IniLine {
    IniLineKind kind = IniLineKind::Skipped;
    std::wstring key;
    std::wstring text;
};

// The characters trimmed from both ends of every line before it is looked at: blank, tab, CR
// and LF (a line written as CR CR LF reaches the reader with a CR left at its end).
inline constexpr std::wstring_view kIniLineTrimSet = L" \t\r\r\n";
// What a continuation line adds before its text.
inline constexpr std::wstring_view kIniContinuationBreak = L"\r\n\t";

IniLine ParseIniLine(std::wstring_view line);

} // namespace quentry
