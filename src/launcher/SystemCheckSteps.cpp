#include "launcher/SystemCheckSteps.h"

#include "launcher/SetupApp.h"

namespace quentry {

bool ApplyWindowsVersionCheck(CSetupApp& app, const RunningWindows& running, const std::wstring& osResource) {
    const WindowsVersionCheck check = CheckWindowsVersion(running, osResource, app.m_log.Sink());
    app.m_osMajorVersion = running.major;
    app.m_osMinorVersion = running.minor;
    app.m_osServicePackMajor = running.servicePackMajor;
    app.m_osServicePackMinor = running.servicePackMinor;
    app.m_osName = check.osName;
    app.m_minimumOsName = check.minimumOsName;
    app.m_welcomeTextId = check.welcomeTextId;
    app.m_is64BitOs = check.is64BitOs;
    return check.allowed;
}

} // namespace quentry
