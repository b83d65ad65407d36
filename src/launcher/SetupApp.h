// The launcher context: one object per process that owns the command line, the languages, the
// log and the result of the run, and runs the start-up sequence and the shutdown.
#pragma once

#include "catalogue/PackageResources.h"
#include "common/LanguageTable.h"
#include "common/Status.h"
#include "launcher/CommandLineInfo.h"
#include "launcher/LauncherLog.h"
#include "launcher/SetupResult.h"
#include "launcher/UsageModel.h"

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quentry {

class IWindowsInstaller;
class CSetupApp;
class SetupPackage;

// The steps of the start-up sequence that belong to other parts of the launcher. Each has a
// neutral default (checks pass, nothing to validate, no catalogue, no wizard) until the part
// that owns it puts the real one in place; tests replace them to reach every branch.
struct LauncherSteps {
    std::function<bool(CSetupApp&)> validateResources;
    std::function<bool(CSetupApp&)> checkWindowsVersion;
    std::function<bool(CSetupApp&)> hasDirect2D;
    std::function<bool(CSetupApp&)> isAnotherLauncherRunning;
    std::function<bool(CSetupApp&)> hasInstallRights;
    // Usage model and property check; checkProperties returns false with an error text.
    std::function<void(CSetupApp&)> buildUsageModel;
    std::function<bool(CSetupApp&, std::wstring& errorText)> checkProperties;
    std::function<void(CSetupApp&)> printUsage;
    // The main product's name (PRODUCT_NAME_0), then the catalogue and the already-installed
    // handling, then the wizard; and the clean-up of unpack folders at exit.
    std::function<std::wstring(CSetupApp&)> mainProductName;
    std::function<void(CSetupApp&)> buildCatalogue;
    std::function<void(CSetupApp&)> runWizard;
    std::function<void(CSetupApp&)> deleteUnpackFolders;
    // Shows a message box; returns the button pressed.
    std::function<int(CSetupApp&, const std::wstring& text, UINT style)> messageBox;

    // The steps of the launcher as built today.
    static LauncherSteps Default();
};

class CSetupApp {
public:
    // Construction: result record, language table, command line parsed from commandLine (the
    // whole process command line), log level, log file, start banner.
    CSetupApp(std::wstring_view commandLine, IWindowsInstaller& installer, LauncherSteps steps,
              HMODULE resources = nullptr);
    ~CSetupApp();
    CSetupApp(const CSetupApp&) = delete;
    CSetupApp& operator=(const CSetupApp&) = delete;

    // The start-up sequence; always false, so that ExitInstance follows.
    bool InitInstance();
    // Shutdown; returns the result code, the process exit code.
    int ExitInstance();
    // The start-up sequence and the shutdown, with nothing thrown leaving them: an unexpected
    // failure is logged and ends the run with code 1, or 2 once an installer call was made.
    int Run();

    // Records a launcher result code (any thread); 1603 when code is not 0, else 0.
    int SetSetupResult(int32_t code);
    // Turns a lower layer's failure into the run's outcome: its line goes to the log; when the run
    // has no failure yet, it becomes the result, and a failure with a message of its own shows it
    // (unless quiet) and asks the run to end. Nothing for a success.
    void RecordFailure(const Status& status);
    // Logs and shows a recorded, unreported result once.
    void ReportSetupResult();
    // The log text of the result, with the system's text for the error behind it.
    std::wstring ResultText() const;
    // Posts a quit request to the main thread; on any other thread that thread then ends.
    void PostQuit(int exitCode);
    // A message box with the application title; nothing at all when the run is quiet.
    int ShowMessage(const std::wstring& text, UINT style);

    bool IsQuiet() const { return m_commandLine.IsQuiet(); }
    void WriteLog(int level, const wchar_t* format, ...);
    // A launcher line, printf-style: the launcher's tag, the text, a line break.
    void WriteLogLine(int level, const wchar_t* format, ...);

    IWindowsInstaller& Installer() { return m_installer; }
    HMODULE ResourceModule() const { return m_resources; }
    // The package strings of this build, in its language layout.
    PackageStringSource PackageStrings() const { return {m_resources, m_multiLanguageResources}; }
    const std::wstring& Title() const { return m_title; }
    void SetTitle(const std::wstring& title) { m_title = title; }

    CSetupAppCommandLineInfo m_commandLine;
    LanguageTable m_languages;
    LauncherLog m_log;
    SetupResult m_result;
    int32_t m_packageCount = 0;
    std::vector<std::unique_ptr<SetupPackage>> m_packages;
    bool m_legacyLayout = false;
    bool m_multiLanguageResources = false;
    std::wstring m_osName;
    std::wstring m_minimumOsName;
    uint32_t m_osMajorVersion = 0;
    uint32_t m_osMinorVersion = 0;
    uint16_t m_osServicePackMajor = 0;
    uint16_t m_osServicePackMinor = 0;
    // The welcome page's sentence naming the supported Windows versions.
    unsigned m_welcomeTextId = 35;
    bool m_is64BitOs = false;
    bool m_is64BitPackage = false;
    std::vector<UsageCommand> m_usageCommands;
    std::vector<UsagePropertyGroup> m_serverPropertyGroups;
    bool m_quitPosted = false;

private:
    void ChooseLanguage();
    bool RunStartupBranches();
    void RealRun();
    void WriteStopBanner();
    int EndAfterUnexpectedFailure(const std::wstring& what);

    IWindowsInstaller& m_installer;
    LauncherSteps m_steps;
    HMODULE m_resources;
    DWORD m_mainThreadId;
    // The resource directory can be read; when it cannot, nothing is asked of it.
    bool m_resourcesSound;
    std::wstring m_title;
    std::wstring m_commandLineText;
};

// The executable's fixed file version as "major.minor.build.revision".
std::wstring ModuleFileVersion(HMODULE module);

} // namespace quentry
