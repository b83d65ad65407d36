#include "launcher/CommandLineInfo.h"

#include "common/WideText.h"

#include <algorithm>

namespace quentry {

std::vector<std::wstring> SplitArguments(std::wstring_view text) {
    std::vector<std::wstring> arguments;
    size_t i = 0;
    const size_t n = text.size();
    for (;;) {
        while (i < n && (text[i] == L' ' || text[i] == L'\t')) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        std::wstring argument;
        bool quoted = false;
        while (i < n && (quoted || (text[i] != L' ' && text[i] != L'\t'))) {
            if (text[i] == L'\\') {
                size_t slashes = 0;
                while (i < n && text[i] == L'\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && text[i] == L'"') {
                    // 2n backslashes and a quote: n backslashes, the quote delimits;
                    // 2n+1 backslashes and a quote: n backslashes and a literal quote.
                    argument.append(slashes / 2, L'\\');
                    if (slashes % 2 == 1) {
                        argument.push_back(L'"');
                        ++i;
                    }
                } else {
                    argument.append(slashes, L'\\');
                }
            } else if (text[i] == L'"') {
                if (quoted && i + 1 < n && text[i + 1] == L'"') {
                    // A doubled quote inside quotes stands for one literal quote.
                    argument.push_back(L'"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument.push_back(text[i]);
                ++i;
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::wstring_view TextAfterProgramName(std::wstring_view commandLine) {
    size_t i = 0;
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) {
        ++i;
    }
    // The program name ends at the closing quote when it starts with one, else at the first blank.
    if (i < commandLine.size() && commandLine[i] == L'"') {
        size_t close = commandLine.find(L'"', i + 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    }
    while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') {
        ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) {
        ++i;
    }
    return commandLine.substr(i);
}

void CSetupAppCommandLineInfo::ParseCommandLine(std::wstring_view commandLine) {
    ParseArguments(SplitArguments(TextAfterProgramName(commandLine)));
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
    const int others = int{m_adminInstall} + int{m_repair} + int{m_uninstall} + int{m_extractOnly} - int{flag};
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
                {L'p', 2},   {L'o', 4},   {L'e', 8},   {L'd', 16},  {L'c', 32},
                {L'a', 64},  {L'm', 128}, {L'u', 256}, {L's', 512}, {L'v', 1024},
            };
            for (const auto& [bitLetter, bit] : kBits) {
                if (letter == bitLetter) {
                    m_reinstallMode |= bit;
                }
            }
        }
    } else if (first == L'q' || first == L'Q') {
        if (rest.size() > 2) {
            m_invalidSyntax = true;
            return;
        }
        m_uiLevel = 2;
        if (rest.empty()) {
            return;
        }
        switch (rest[0]) {
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
            if (rest.size() > 1) {
                m_invalidSyntax = true;
            }
            return;
        default:
            m_invalidSyntax = true;
            return;
        }
        if (rest.size() == 2) {
            if (rest[1] == L'+') {
                m_uiLevel |= 128;
            } else {
                m_invalidSyntax = true;
            }
        }
    } else if (first == L'l' || first == L'L') {
        if (!rest.empty()) {
            m_logMode = 0;
            static constexpr std::pair<wchar_t, uint32_t> kBits[] = {
                {L'm', 1},   {L'e', 2},    {L'w', 4},    {L'u', 8},    {L'i', 16},   {L'o', 128},
                {L'a', 256}, {L'r', 512},  {L'c', 2048}, {L'v', 4096}, {L'x', 8192}, {L'*', 3999},
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
        std::wstring value = text.substr(12);
        while (!value.empty() && value.front() == L'"') {
            value.erase(value.begin());
        }
        while (!value.empty() && value.back() == L'"') {
            value.pop_back();
        }
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
