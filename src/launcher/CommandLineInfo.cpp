#include "launcher/CommandLineInfo.h"

#include "common/WideText.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

namespace quentry {

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments;
    const std::wstring text(commandLine);
    int count = 0;
    // The system's own splitter, so that arguments are exactly what other programs see.
    std::unique_ptr<LPWSTR, decltype(&::LocalFree)> argv(::CommandLineToArgvW(text.c_str(), &count),
                                                         &::LocalFree);
    if (!argv) {
        return arguments;
    }
    for (int i = 0; i < count; ++i) {
        arguments.emplace_back(argv.get()[i]);
    }
    return arguments;
}

std::wstring_view TextAfterProgramName(std::wstring_view commandLine) {
    // The program name ends at the closing quote when it starts with one, else at the first
    // blank or tab, as the splitter sees it.
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') {
            ++i;
        }
    }
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) {
        ++i;
    }
    return commandLine.substr(i);
}

void CSetupAppCommandLineInfo::ParseCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments = SplitCommandLine(commandLine);
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    ParseArguments(arguments);
}

void CSetupAppCommandLineInfo::ParseArguments(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) {
        return;
    }
    for (const std::wstring& argument : arguments) {
        if (!argument.empty() && (argument[0] == L'-' || argument[0] == L'/')) {
            ParseArgument(argument.substr(1), true);
        } else {
            ParseArgument(argument, false);
        }
    }
    FinishParsing();
}

void CSetupAppCommandLineInfo::SetModeFlag(bool& flag) {
    const int others =
        int{m_adminInstall} + int{m_repair} + int{m_uninstall} + int{m_extractOnly} - int{flag};
    if (others >= 3) {
        m_invalidSyntax = true;
        return;
    }
    flag = true;
}

void CSetupAppCommandLineInfo::ParseFlag(const std::wstring& flag) {
    if (flag.empty()) {
        m_invalidSyntax = true;
        return;
    }
    const wchar_t first = flag[0];
    const std::wstring rest = flag.substr(1);
    if ((first == L'?' || first == L'h' || first == L'H') && rest.empty()) {
        m_showHelp = true;
    } else if ((first == L'a' || first == L'A') && rest.empty()) {
        SetModeFlag(m_adminInstall);
    } else if ((first == L'x' || first == L'X') && rest.empty()) {
        SetModeFlag(m_uninstall);
    } else if ((first == L'u' || first == L'U') && rest.empty()) {
        SetModeFlag(m_extractOnly);
    } else if ((first == L'v' || first == L'V') && rest.empty()) {
        m_validateOnly = true;
    } else if ((first == L'm' || first == L'M') && rest.empty()) {
        m_expectMifFile = true;
    } else if (first == L'f' || first == L'F') {
        SetModeFlag(m_repair);
        if (rest.empty()) {
            m_reinstallMode = 1984;
        }
        for (wchar_t letter : rest) {
            static constexpr std::pair<wchar_t, uint32_t> kBits[] = {
                {L'p', 2},  {L'o', 4},   {L'e', 8},   {L'd', 16},  {L'c', 32},
                {L'a', 64}, {L'm', 128}, {L'u', 256}, {L's', 512}, {L'v', 1024},
            };
            for (const auto& [bitLetter, bit] : kBits) {
                if (letter == bitLetter) {
                    m_reinstallMode |= bit;
                }
            }
        }
    } else if (first == L'q' || first == L'Q') {
        ParseUiLevel(rest);
    } else if (first == L'l' || first == L'L') {
        if (!rest.empty()) {
            m_logMode = 0;
            static constexpr std::pair<wchar_t, uint32_t> kBits[] = {
                {L'm', 1},   {L'e', 2},   {L'w', 4},    {L'u', 8},    {L'i', 16},   {L'o', 128},
                {L'a', 256}, {L'r', 512}, {L'c', 2048}, {L'v', 4096}, {L'x', 8192}, {L'*', 3999},
            };
            for (wchar_t letter : rest) {
                if (letter == L'+') {
                    m_logAttributes |= 1;
                } else if (letter == L'!') {
                    m_logAttributes |= 2;
                }
                for (const auto& [bitLetter, bit] : kBits) {
                    if (letter == bitLetter) {
                        m_logMode |= bit;
                    }
                }
            }
        }
        m_expectLogFile = true;
    } else {
        m_invalidSyntax = true;
    }
}

void CSetupAppCommandLineInfo::ParseUiLevel(const std::wstring& letters) {
    // q, then n, b, r or f with an optional '+', or '+' alone; the level keeps what was read
    // before a character that does not fit.
    m_uiLevel = 2;
    if (letters.empty()) {
        return;
    }
    switch (letters[0]) {
    case L'n':
        m_uiLevel = 2;
        break;
    case L'b':
        m_uiLevel = 3;
        break;
    case L'r':
        m_uiLevel = 4;
        break;
    case L'f':
        m_uiLevel = 5;
        break;
    case L'+':
        m_uiLevel = 130;
        break;
    default:
        m_invalidSyntax = true;
        return;
    }
    if (letters.size() == 1) {
        return;
    }
    if (letters[0] == L'+' || letters[1] != L'+') {
        m_invalidSyntax = true;
        return;
    }
    m_uiLevel |= 128;
    if (letters.size() > 2) {
        m_invalidSyntax = true;
    }
}

void CSetupAppCommandLineInfo::ParseArgument(const std::wstring& text, bool isFlag) {
    if (isFlag) {
        ParseFlag(text);
        return;
    }
    if (StartsWithNoCase(text, L"TRANSFORMS=") && m_commandLineTransforms.empty()) {
        m_commandLineTransforms = text.substr(11);
    } else if (StartsWithNoCase(text, L"lang=")) {
        m_language = text.substr(5);
    } else if (StartsWithNoCase(text, L"subPackages=")) {
        // The value without the double quotes at either end.
        const size_t first = text.find_first_not_of(L'"', 12);
        const std::wstring value = first == std::wstring::npos
                                       ? std::wstring()
                                       : text.substr(first, text.find_last_not_of(L'"') + 1 - first);
        m_subPackages = EqualsNoCase(value, L"all") ? std::wstring() : value;
    } else if (m_expectMifFile && m_mifFileName.empty()) {
        m_mifFileName = text;
        m_expectMifFile = false;
    } else if (m_expectLogFile && m_logFileName.empty()) {
        m_logFileName = text;
        m_expectLogFile = false;
    } else if (!ParsePropertyAssignment(text)) {
        m_invalidSyntax = true;
    }
}

namespace {

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

bool CSetupAppCommandLineInfo::ParsePropertyAssignment(const std::wstring& text) {
    const size_t equals = text.find(L'=');
    if (equals == std::wstring::npos) {
        return false;
    }
    const std::wstring name = TrimBlanks(text.substr(0, equals));
    std::wstring value = TrimBlanks(text.substr(equals + 1));
    if (name == L"FASTOEM" && value == L"1") {
        m_fastOemRequested = true;
    }
    if (name == L"ALLUSERS" && value == L"1") {
        m_allUsersOne = true;
    }
    if (value.find(L' ') != std::wstring::npos && value.front() != L'"') {
        value = L"\"" + value + L"\"";
    } else if (value.empty()) {
        value = L"\"\"";
    }
    m_properties.push_back(name + L"=" + value);
    return true;
}

void CSetupAppCommandLineInfo::FinishParsing() {
    if (!m_adminInstall && !m_repair && !m_uninstall && IsQuiet() && m_allUsersOne) {
        m_fastOem = m_fastOemRequested;
        return;
    }
    if (m_fastOemRequested) {
        std::erase(m_properties, std::wstring(L"FASTOEM=1"));
    }
}

std::vector<std::wstring> CSetupAppCommandLineInfo::SubPackagePatterns() const {
    std::vector<std::wstring> patterns;
    if (m_subPackages.empty()) {
        return patterns;
    }
    size_t start = 0;
    for (;;) {
        const size_t comma = m_subPackages.find(L',', start);
        patterns.push_back(m_subPackages.substr(start, comma - start));
        if (comma == std::wstring::npos) {
            break;
        }
        start = comma + 1;
    }
    return patterns;
}

} // namespace quentry
