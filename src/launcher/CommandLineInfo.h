// The launcher's command line, in the style of the installer's own command-line tool: one mode
// option, a UI level, logging, a MIF file, the settings lang=, subPackages= and TRANSFORMS=,
// and NAME=VALUE installer properties.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quentry {

// Splits a whole command line, program name first, into its arguments by the platform's rules
// (blanks separate, double quotes group, backslashes before a quote escape it).
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// The command-line text after the program name (the first argument), as it was given.
std::wstring_view TextAfterProgramName(std::wstring_view commandLine);

class CSetupAppCommandLineInfo {
public:
    bool m_invalidSyntax = false;
    bool m_showHelp = false;
    bool m_extractOnly = false;
    bool m_adminInstall = false;
    bool m_uninstall = false;
    bool m_repair = false;
    uint32_t m_reinstallMode = 0;
    bool m_fastOem = false;
    uint32_t m_uiLevel = 133;
    std::wstring m_logFileName;
    uint32_t m_logMode = 919;
    uint32_t m_logAttributes = 0;
    bool m_expectLogFile = false;
    std::wstring m_commandLineTransforms;
    bool m_allUsersOne = false;
    bool m_fastOemRequested = false;
    std::vector<std::wstring> m_properties;
    bool m_expectMifFile = false;
    std::wstring m_mifFileName;
    bool m_validateOnly = false;
    std::wstring m_language;
    std::wstring m_subPackages;

    // Parses the whole process command line (program name first).
    void ParseCommandLine(std::wstring_view commandLine);
    // Parses the arguments after the program name; FinishParsing follows the last one (and does
    // not run when there are none).
    void ParseArguments(const std::vector<std::wstring>& arguments);
    void ParseArgument(const std::wstring& text, bool isFlag);
    bool ParsePropertyAssignment(const std::wstring& text);
    void FinishParsing();

    // Bit 2 of the UI level: none or basic UI, with or without the end dialog.
    bool IsQuiet() const { return (m_uiLevel & 2) != 0; }
    // The subPackages= patterns, split at ','; empty means every sub-package.
    std::vector<std::wstring> SubPackagePatterns() const;

private:
    void ParseFlag(const std::wstring& flag);
    void ParseUiLevel(const std::wstring& letters);
    void SetModeFlag(bool& flag);
};

} // namespace quentry
