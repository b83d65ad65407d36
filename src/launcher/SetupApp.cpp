#include "launcher/SetupApp.h"
#include "common/StringIds.h"
#include "launcher/CommandLineMask.h"

#include "catalogue/SetupPackage.h"
#include "common/ResourceReader.h"
#include "common/SystemText.h"
#include "common/WideText.h"
#include "engine/WindowsInstaller.h"
#include "launcher/Console.h"

#include <exception>
#include <vector>

namespace quentry {

namespace {

std::wstring LocalTimeText() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return Format(L"%04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
}

} // namespace

std::wstring ModuleFileVersion(HMODULE module) {
    wchar_t path[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(module, path, static_cast<DWORD>(std::size(path)) - 1);
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        return L"0.0.0.0";
    }
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::GetFileVersionInfoW(path, 0, size, data.data()) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
        info == nullptr || infoSize < sizeof(VS_FIXEDFILEINFO)) {
        return L"0.0.0.0";
    }
    return Format(L"%i.%i.%i.%i", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                  HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
}

CSetupApp::CSetupApp(std::wstring_view commandLine, IWindowsInstaller& installer, LauncherSteps steps,
                     HMODULE resources)
    : m_languages(resources), m_installer(installer), m_steps(std::move(steps)),
      m_resources(resources ? resources : ::GetModuleHandleW(nullptr)),
      m_mainThreadId(::GetCurrentThreadId()), m_resourcesSound(ResourceDirectoryIsSound(m_resources)) {
    if (m_resourcesSound) {
        m_title =
            LanguageTable::LoadStringNear(m_resources, strings::kDefaultTitle, ::GetUserDefaultUILanguage());
    }
    if (m_title.empty()) {
        m_title = m_languages.LoadString(strings::kDefaultTitle);
    }
    m_commandLineText = TextAfterProgramName(commandLine);
    m_commandLine.ParseCommandLine(commandLine);
    m_log.Configure(m_commandLine.m_logFileName, m_commandLine.m_logMode, m_commandLine.m_logAttributes);
    m_log.Open((m_commandLine.m_logAttributes & 1) == 0);
    m_log.WriteText(LogError, L"=== Quentry started: " + LocalTimeText() + L" Build type: SHIP ANSI " +
                                  (m_resourcesSound ? ModuleFileVersion(m_resources) : L"0.0.0.0") + L"\r\n");
}

CSetupApp::~CSetupApp() {
    m_log.Close();
}

void CSetupApp::WriteLog(int level, const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    m_log.WriteV(level, format, arguments);
    va_end(arguments);
}

void CSetupApp::WriteLogLine(int level, const wchar_t* format, ...) {
    if (level > m_log.Level()) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    const std::wstring text = FormatV(format, arguments);
    va_end(arguments);
    m_log.WriteLine(level, text);
}

bool CSetupApp::InitInstance() {
    // The command line as it was given (it may hold '%': written verbatim), with the values of
    // service passwords hidden: the installer still gets them.
    m_log.WriteLine(LogWarning, L"CommandLine: " + MaskServicePasswords(m_commandLineText));
    if (m_resourcesSound) {
        ChooseLanguage();
    }
    if (m_resourcesSound && m_steps.buildUsageModel) {
        m_steps.buildUsageModel(*this);
    }
    if (RunStartupBranches()) {
        RealRun();
    }
    ReportSetupResult();
    PostQuit(m_result.code);
    m_quitPosted = true;
    return false;
}

void CSetupApp::ChooseLanguage() {
    m_languages.SelectByName(L"English");
    m_multiLanguageResources = IsMultiLanguageBuild(m_resources);
    if (m_multiLanguageResources) {
        if (!m_commandLine.m_language.empty()) {
            m_languages.SelectByName(m_commandLine.m_language);
        } else {
            m_languages.SelectByLangId(::GetUserDefaultUILanguage());
        }
        return;
    }
    // A single-language build: the language the OS resource was stored in fixes the wizard's.
    static constexpr std::pair<LANGID, const wchar_t*> kProbes[] = {
        {1031, L"German"}, {1034, L"Spanish"}, {1036, L"French"}, {1041, L"Japanese"}};
    for (const auto& [language, name] : kProbes) {
        if (HasPackageResource(m_resources, L"OS", language)) {
            m_languages.SelectByName(name);
            return;
        }
    }
    m_languages.SelectByName(L"English");
}

// Takes the first branch that applies; true when the run goes on to the real run.
bool CSetupApp::RunStartupBranches() {
    std::wstring propertyErrors;
    const bool propertiesOk = !m_steps.checkProperties || m_steps.checkProperties(*this, propertyErrors);

    if (m_commandLine.m_validateOnly) {
        m_log.WriteText(LogInfo, L"Validation if all necessary resources have been compiled into setup.");
        if (m_steps.validateResources && !m_steps.validateResources(*this)) {
            m_log.WriteText(LogError, L"Validation failed!");
            m_result = SetupResult{InstallerCorrupted, 0, true};
        }
        return false;
    }
    if (!m_resourcesSound) {
        // Every later step reads the resources; the platform's resource functions trust their
        // directory, so none of them may see it.
        m_log.WriteLine(LogError, L"The resource directory of this installer is damaged.");
        SetSetupResult(InstallerCorrupted);
        return false;
    }
    if (m_commandLine.m_showHelp || m_commandLine.m_invalidSyntax) {
        AttachParentConsole();
        if (m_steps.printUsage) {
            m_steps.printUsage(*this);
        }
        return false;
    }
    if (m_steps.checkWindowsVersion && !m_steps.checkWindowsVersion(*this)) {
        WriteLogLine(LogWarning, L"Setup not allowed to run on %s", m_osName.c_str());
        if (!IsQuiet()) {
            ShowMessage(m_languages.FormatString(strings::kWindowsNotAllowed, m_osName.c_str(),
                                                 m_minimumOsName.c_str()),
                        MB_ICONERROR);
        }
        SetSetupResult(IncompatibleWindows);
        return false;
    }
    if (m_steps.hasDirect2D && !m_steps.hasDirect2D(*this)) {
        m_log.WriteText(LogWarning, L"No Direct2D found on this machine.");
        if (!IsQuiet()) {
            ShowMessage(m_languages.LoadString(strings::kNoDirect2D), MB_ICONERROR);
        }
        SetSetupResult(Direct2DMissing);
        return false;
    }
    if (!propertiesOk) {
        AttachParentConsole();
        ConsoleWrite({}, true);
        ConsoleWrite(propertyErrors, true);
        ConsoleWrite({}, true);
        return false;
    }
    if (m_steps.isAnotherLauncherRunning && m_steps.isAnotherLauncherRunning(*this)) {
        m_log.WriteLine(LogError, L"Setup already in progress.");
        SetSetupResult(AlreadyRunning);
        return false;
    }
    if (m_steps.hasInstallRights && !m_steps.hasInstallRights(*this)) {
        m_log.WriteLine(LogError, L"User has no sufficient rights to run setup.");
        SetSetupResult(NoAdminRights);
        return false;
    }
    return true;
}

void CSetupApp::RealRun() {
    const std::wstring productName =
        m_steps.mainProductName ? m_steps.mainProductName(*this) : std::wstring();
    m_title = m_languages.FormatString(strings::kTitleWithProduct, productName.c_str());
    m_log.WriteLine(LogInfo, L"Reading package information.");
    if (m_steps.buildCatalogue) {
        m_steps.buildCatalogue(*this);
    }
    if (m_result.code != Success) {
        return;
    }
    m_log.WriteLine(LogInfo, L"All information collected. Start processing.");
    if (m_steps.runWizard) {
        m_steps.runWizard(*this);
    }
}

int CSetupApp::ExitInstance() {
    m_log.WriteLine(LogInfo, L"entering ExitInstance ");
    if (m_quitPosted) {
        // Serve what is still queued until the quit request of the start-up sequence arrives.
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    if (!m_commandLine.m_uninstall && !m_commandLine.m_repair && m_steps.deleteUnpackFolders) {
        m_steps.deleteUnpackFolders(*this);
    }
    WriteStopBanner();
    return m_result.code;
}

int CSetupApp::Run() {
    try {
        InitInstance();
        return ExitInstance();
    } catch (const std::exception& failure) {
        return EndAfterUnexpectedFailure(FromCodePage(failure.what(), CP_ACP));
    } catch (...) {
        return EndAfterUnexpectedFailure(L"unknown exception");
    }
}

int CSetupApp::EndAfterUnexpectedFailure(const std::wstring& what) {
    // Whatever was half done is not finished: once the installer has been called the machine may
    // have changed, before that the launcher itself could not go on.
    const int32_t code = m_log.WasHandedToInstaller() ? InstallationFailed : InstallerCorrupted;
    m_result = SetupResult{code, 0, true};
    try {
        m_log.Open(false);
        m_log.WriteLine(LogError, L"Unexpected failure, the run ends: " + what);
        WriteStopBanner();
    } catch (...) {
        // Nothing more can be told; the exit code still says it.
    }
    return code;
}

void CSetupApp::WriteStopBanner() {
    m_log.WriteText(LogError, L"=== Quentry stopped: " + LocalTimeText() + L"\r\n");
}

int CSetupApp::SetSetupResult(int32_t code) {
    m_result = SetupResult{code, 0, false};
    return code != Success ? 1603 : 0;
}

void CSetupApp::RecordFailure(const Status& status) {
    if (status.Ok()) {
        return;
    }
    if (!status.logText.empty()) {
        m_log.WriteLine(LogError, status.logText);
    }
    if (m_result.code != Success) {
        // The run already has its outcome: the first failure is the one reported.
        return;
    }
    switch (status.notice) {
    case FailureNotice::AtEnd:
        SetSetupResult(status.code);
        break;
    case FailureNotice::Message:
        ShowMessage(m_languages.FormatString(status.messageId, status.messageArgument.c_str()),
                    MB_ICONEXCLAMATION | MB_OK);
        m_result = SetupResult{status.code, 0, true};
        PostQuit(1603);
        break;
    case FailureNotice::Given:
        m_result = SetupResult{status.code, 0, true};
        break;
    }
}

std::wstring CSetupApp::ResultText() const {
    std::wstring text = ResultLogText(m_result.code);
    if (m_result.installerError == 0) {
        return text;
    }
    const std::wstring systemText = SystemErrorText(static_cast<DWORD>(m_result.installerError));
    if (systemText.empty()) {
        return text;
    }
    return Format(L"%s (%d - %s)", text.c_str(), m_result.installerError, systemText.c_str());
}

void CSetupApp::ReportSetupResult() {
    if (m_result.code == Success || m_result.reported) {
        return;
    }
    WriteLogLine(LogInfo, L"ERROR: %s", ResultText().c_str());
    if (!IsQuiet()) {
        if (unsigned id = ResultMessageId(m_result.code); id != 0) {
            ShowMessage(m_languages.FormatString(id), MB_ICONEXCLAMATION | MB_OK);
        }
    }
    m_result.reported = true;
}

void CSetupApp::PostQuit(int exitCode) {
    if (::GetCurrentThreadId() == m_mainThreadId) {
        ::PostQuitMessage(exitCode);
        return;
    }
    ::PostThreadMessageW(m_mainThreadId, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
    ::ExitThread(static_cast<DWORD>(exitCode));
}

int CSetupApp::ShowMessage(const std::wstring& text, UINT style) {
    if (IsQuiet()) {
        return 0;
    }
    if (m_steps.messageBox) {
        return m_steps.messageBox(*this, text, style);
    }
    return ::MessageBoxW(nullptr, text.c_str(), m_title.c_str(), style);
}

} // namespace quentry
