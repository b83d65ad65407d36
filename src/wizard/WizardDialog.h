// The wizard frame: the launcher's main window. It builds the page list of the run, shows one
// page at a time in its page area and routes Back, Next and Cancel through the pages.
#pragma once

#include "common/UniqueHandle.h"
#include "wizard/DialogBase.h"
#include "wizard/WizardRun.h"

#include <memory>
#include <string>
#include <vector>

namespace quentry {

class WizardPageBase;

class CWizardDialog : public CDialogBase {
public:
    static constexpr UINT kTemplateId = 154;
    static constexpr UINT kIconId = 133;
    static constexpr int kPageAreaId = 1036;
    static constexpr int kLanguageListId = 1015;
    static constexpr int kBackId = 1000;
    static constexpr int kNextId = IDOK;
    static constexpr int kCancelId = IDCANCEL;
    static constexpr int kMaxPages = 10;

    CWizardDialog(WizardRun& run, std::wstring title);
    ~CWizardDialog() override;

    WizardRun& Run() const { return m_run; }
    LanguageTable& Strings() const { return m_run.Languages(); }
    HBRUSH WhiteBrush() const { return static_cast<HBRUSH>(m_whiteBrush.Get()); }
    // The main product's name (catalogue position 0).
    std::wstring ProductName() const;

    void Next();
    void Back();
    void Cancel();
    // Records an installer result in the run's result (0 records nothing).
    void SetResult(uint32_t installerResult);

    bool IsNewInstall() const;
    bool IsModify() const;
    bool IsRepair() const;
    bool IsUninstall() const;
    bool HasNextPage() const;
    bool IsInteractive() const { return m_interactive; }
    bool HasTessaroServer() const { return m_hasTessaroServer; }
    bool HasServerProducts() const { return m_hasServerProducts; }
    bool HasSubPackages() const { return m_hasSubPackages; }
    const std::wstring& GetBackupProperties() const { return m_backupProperties; }
    const std::wstring& GetServiceProperties() const { return m_serviceProperties; }

    // Appends a page (its window is created at once, hidden) or, with none, an empty placeholder.
    void AddPage(std::unique_ptr<WizardPageBase> page);
    void UpdateTexts();
    void ShowLanguageList(bool show) const { ShowItem(kLanguageListId, show); }

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    int CurrentIndex() const { return m_current; }
    int FinishIndex() const { return m_finishIndex; }

    // The server-product scan of the catalogue's names: (hasTessaroServer, hasServerProducts).
    static std::pair<bool, bool> ScanServerProducts(const std::vector<std::wstring>& productNames);

protected:
    void OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;

private:
    WizardPageBase* Page(int index) const;
    void OnLanguageChanged();
    void BuildPages();

    WizardRun& m_run;
    std::wstring m_title;
    HICON m_icon = nullptr;
    UniqueGdiObject m_whiteBrush;
    bool m_hasTessaroServer = false;
    bool m_hasServerProducts = false;
    bool m_hasSubPackages = false;
    bool m_interactive = false;
    bool m_masterInstalled = false;
    std::wstring m_backupProperties;
    std::wstring m_serviceProperties;
    std::vector<std::unique_ptr<WizardPageBase>> m_pages;
    int m_current = 0;
    int m_finishIndex = -1;
};

// Runs the wizard of a run modally; false when its window could not be made.
bool RunWizardDialog(WizardRun& run, const std::wstring& title);

} // namespace quentry
