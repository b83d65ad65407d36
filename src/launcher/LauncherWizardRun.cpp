#include "launcher/LauncherWizardRun.h"

#include "catalogue/InstalledProducts.h"
#include "catalogue/SetupPackage.h"
#include "launcher/SetupApp.h"
#include "wizard/WizardDialog.h"

namespace quentry {

HMODULE LauncherWizardRun::Resources() const {
    return m_app.ResourceModule();
}

LanguageTable& LauncherWizardRun::Languages() {
    return m_app.m_languages;
}

void LauncherWizardRun::WriteLog(int level, const std::wstring& line) {
    m_app.m_log.WriteLine(level, line);
}

uint32_t LauncherWizardRun::UiLevel() const {
    return m_app.m_commandLine.m_uiLevel;
}

bool LauncherWizardRun::IsRepairRun() const {
    return m_app.m_commandLine.m_repair;
}

bool LauncherWizardRun::IsUninstallRun() const {
    return m_app.m_commandLine.m_uninstall;
}

bool LauncherWizardRun::MultiLanguageResources() const {
    return m_app.m_multiLanguageResources;
}

unsigned LauncherWizardRun::WelcomeTextId() const {
    return m_app.m_welcomeTextId;
}

int LauncherWizardRun::PackageCount() const {
    return static_cast<int>(m_app.m_packages.size());
}

std::wstring LauncherWizardRun::ProductName(int index) const {
    return m_app.m_packages.at(static_cast<size_t>(index))->m_productName;
}

bool LauncherWizardRun::IsSelected(int index) const {
    return m_app.m_packages.at(static_cast<size_t>(index))->m_selected;
}

void LauncherWizardRun::SetSelected(int index, bool selected) {
    m_app.m_packages.at(static_cast<size_t>(index))->m_selected = selected;
}

bool LauncherWizardRun::IsProductInstalled(int index) {
    return quentry::IsProductInstalled(m_app.Installer(),
                                       m_app.m_packages.at(static_cast<size_t>(index))->m_productCode);
}

int32_t LauncherWizardRun::ResultCode() const {
    return m_app.m_result.code;
}

bool LauncherWizardRun::ResultReported() const {
    return m_app.m_result.reported;
}

void LauncherWizardRun::RecordResult(int32_t code) {
    m_app.SetSetupResult(code);
}

void LauncherWizardRun::RecordInstallerResult(uint32_t installerResult) {
    if (installerResult == 0) {
        return;
    }
    m_app.m_result = SetupResult{ResultCodeForInstallerError(installerResult),
                                 static_cast<int32_t>(installerResult), false};
}

void LauncherWizardRun::ReportResult() {
    m_app.ReportSetupResult();
}

void RunWizard(CSetupApp& app) {
    LauncherWizardRun run(app);
    if (!RunWizardDialog(run, app.Title())) {
        // Nothing of the run happened: it must not end as a success.
        app.WriteLogLine(LogError, L"The wizard window could not be created (error %lu).", ::GetLastError());
        app.SetSetupResult(InstallationFailed);
    }
}

} // namespace quentry
