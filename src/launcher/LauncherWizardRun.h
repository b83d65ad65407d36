// The wizard's view of the launcher context, and the launcher's step that runs the wizard.
#pragma once

#include "wizard/WizardRun.h"

namespace quentry {

class CSetupApp;

class LauncherWizardRun final : public WizardRun {
public:
    explicit LauncherWizardRun(CSetupApp& app) : m_app(app) {}

    HMODULE Resources() const override;
    LanguageTable& Languages() override;
    void WriteLog(int level, const std::wstring& line) override;
    uint32_t UiLevel() const override;
    bool IsRepairRun() const override;
    bool IsUninstallRun() const override;
    bool MultiLanguageResources() const override;
    unsigned WelcomeTextId() const override;
    int PackageCount() const override;
    std::wstring ProductName(int index) const override;
    bool IsSelected(int index) const override;
    void SetSelected(int index, bool selected) override;
    bool IsProductInstalled(int index) override;
    int32_t ResultCode() const override;
    bool ResultReported() const override;
    void RecordResult(int32_t code) override;
    void RecordInstallerResult(uint32_t installerResult) override;
    void ReportResult() override;

private:
    CSetupApp& m_app;
};

// Runs the wizard with the application title; a wizard whose window cannot be made ends the run
// as a failed installation.
void RunWizard(CSetupApp& app);

} // namespace quentry
