#include "catalogue/PackageSelection.h"

#include "catalogue/InstalledProducts.h"
#include "catalogue/SetupPackage.h"
#include "launcher/SetupApp.h"

namespace quentry {

bool InitialSelection(CSetupApp& app, const SetupPackage& package) {
    const CSetupAppCommandLineInfo& commandLine = app.m_commandLine;
    if (commandLine.m_extractOnly) {
        return true;
    }
    if (commandLine.m_repair || commandLine.m_uninstall) {
        return package.m_installed;
    }
    if (package.m_isMain) {
        return true;
    }
    const bool mainInstalled =
        !app.m_packages.empty() && IsProductInstalled(app.Installer(), app.m_packages.front()->m_productCode);
    return mainInstalled ? package.m_installed : !package.m_installed;
}

void ApplySubPackagePatterns(CSetupApp& app, SetupPackage& package, const std::vector<std::wstring>& patterns,
                             bool none) {
    if (package.m_isMain || patterns.empty()) {
        return;
    }
    bool matched = false;
    for (const std::wstring& pattern : patterns) {
        if (package.m_productName.find(pattern) != std::wstring::npos) {
            matched = true;
            app.WriteLogLine(LogInfo, L"Avoid skipping of sub-package %s due to pattern '%s'.",
                             package.m_productName.c_str(), pattern.c_str());
        }
    }
    if (none || !matched) {
        app.WriteLogLine(LogInfo, L"skipped handling of package %s due to command line argument.",
                         package.m_productName.c_str());
        package.m_selected = false;
        return;
    }
    app.WriteLogLine(LogInfo, L"set default handling of package %s due to command line argument.",
                     package.m_productName.c_str());
    package.m_selected = true;
}

} // namespace quentry
