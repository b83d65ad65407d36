#include "wizard/WizardDialog.h"

#include "common/WideText.h"
#include "wizard/FinishWizardPage.h"
#include "wizard/PassThroughWizardPage.h"
#include "wizard/SubPackagesWizardPage.h"
#include "wizard/WelcomeWizardPage.h"
#include "wizard/WizardPageBase.h"

namespace quentry {

namespace {

constexpr unsigned kTitleString = 1;
constexpr unsigned kNextString = 54;
constexpr unsigned kBackString = 56;
constexpr unsigned kCancelString = 57;

} // namespace

CWizardDialog::CWizardDialog(WizardRun& run, std::wstring title)
    : CDialogBase(kTemplateId, run.Resources(),
                  run.Languages().Current() ? run.Languages().Current()->langId : LANGID{1033}, true),
      m_run(run), m_title(std::move(title)),
      m_icon(static_cast<HICON>(::LoadImageW(run.Resources(), MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 0, 0,
                                             LR_DEFAULTSIZE | LR_SHARED))),
      m_whiteBrush(::CreateSolidBrush(RGB(255, 255, 255))) {}

CWizardDialog::~CWizardDialog() = default;

std::wstring CWizardDialog::ProductName() const {
    return m_run.PackageCount() > 0 ? m_run.ProductName(0) : std::wstring();
}

std::pair<bool, bool> CWizardDialog::ScanServerProducts(const std::vector<std::wstring>& productNames) {
    // The workflow server's products are named "... Brindle Server ..."; the lower-case spelling
    // is accepted as well.
    static constexpr const wchar_t* kServerNames[] = {L"PellamServer",       L"Brindle Server",
                                                      L"brindle Server",     L"Talvex Server",
                                                      L"Talvex+XBRL Server", L"Braxel Server"};
    bool servers = false;
    for (const std::wstring& name : productNames) {
        if (name.find(L"Tessaro Server") != std::wstring::npos) {
            return {true, true};
        }
        for (const wchar_t* server : kServerNames) {
            if (name.find(server) != std::wstring::npos) {
                servers = true;
                break;
            }
        }
    }
    return {false, servers};
}

WizardPageBase* CWizardDialog::Page(int index) const {
    return index >= 0 && index < PageCount() ? m_pages[static_cast<size_t>(index)].get() : nullptr;
}

void CWizardDialog::OnInitDialog() {
    std::vector<std::wstring> names;
    for (int i = 0; i < m_run.PackageCount(); ++i) {
        names.push_back(m_run.ProductName(i));
    }
    std::tie(m_hasTessaroServer, m_hasServerProducts) = ScanServerProducts(names);
    m_hasSubPackages = m_run.PackageCount() > 2;
    m_interactive = (m_run.UiLevel() & 5) == 5;
    if (!m_interactive) {
        ::ShowWindow(Window(), SW_HIDE);
    }
    m_masterInstalled = m_run.PackageCount() > 0 && m_run.IsProductInstalled(0);
    // Pages are keyboard-reachable children of the page area.
    HWND pageArea = Item(kPageAreaId);
    ::SetWindowLongPtrW(pageArea, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(pageArea, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ::SetWindowLongPtrW(pageArea, GWL_STYLE, ::GetWindowLongPtrW(pageArea, GWL_STYLE) | WS_CLIPCHILDREN);
    BuildPages();

    m_current = 0;
    if (WizardPageBase* first = Page(0)) {
        first->Activate();
    }
    EnableItem(kBackId, false);

    ::SetWindowTextW(Window(), m_title.c_str());
    if (m_icon != nullptr) {
        ::SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
        ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    }
    UpdateTexts();
    if (m_interactive && Page(m_current) != nullptr) {
        ::ShowWindow(Window(), SW_SHOW);
    }
}

void CWizardDialog::BuildPages() {
    AddPage(std::make_unique<WelcomeWizardPage>(*this));
    if (m_hasSubPackages) {
        AddPage(std::make_unique<SubPackagesWizardPage>(*this));
    }
    AddPage(std::make_unique<PassThroughWizardPage>(*this, L"UnpackMSIFromEXE"));
    AddPage(std::make_unique<PassThroughWizardPage>(*this, L"Install (hidden)"));
    if (m_run.PackageCount() == 1) {
        AddPage(nullptr);
    }
    m_finishIndex = PageCount();
    AddPage(std::make_unique<FinishWizardPage>(*this));
}

void CWizardDialog::AddPage(std::unique_ptr<WizardPageBase> page) {
    if (PageCount() >= kMaxPages) {
        return;
    }
    if (page) {
        RECT area{};
        ::GetClientRect(Item(kPageAreaId), &area);
        const RECT rect{20, 10, area.right - 20, area.bottom - 10};
        page->Create(Item(kPageAreaId), rect);
    }
    m_pages.push_back(std::move(page));
}

void CWizardDialog::Next() {
    if (WizardPageBase* page = Page(m_current)) {
        const bool moveOn = page->OnNext();
        page->Deactivate();
        if (moveOn) {
            ++m_current;
        }
    }
    if (m_run.ResultCode() != 0 && !m_run.ResultReported()) {
        m_run.ReportResult();
        if (m_finishIndex > 0 && m_current != m_finishIndex) {
            m_current = m_finishIndex;
            ::ShowWindow(Window(), SW_SHOW);
            HWND top = ::GetAncestor(Window(), GA_ROOT);
            ::SetForegroundWindow(top);
            ::SetActiveWindow(top);
        } else {
            m_current = PageCount();
        }
    }
    if (WizardPageBase* page = Page(m_current)) {
        EnableItem(kBackId, true);
        page->Activate();
    } else {
        EndDialog(IDOK);
    }
}

void CWizardDialog::Back() {
    WizardPageBase* page = Page(m_current);
    if (page == nullptr) {
        return;
    }
    page->Deactivate();
    page->OnBack();
    if (m_current > 0) {
        --m_current;
        if (m_current == 0) {
            EnableItem(kBackId, false);
        }
        if (WizardPageBase* previous = Page(m_current)) {
            previous->Activate();
        }
        return;
    }
    Cancel();
}

void CWizardDialog::Cancel() {
    if (WizardPageBase* page = Page(m_current)) {
        if (!page->OnCancel()) {
            return;
        }
        page->Deactivate();
    }
    if (m_finishIndex > 0 && m_current != m_finishIndex) {
        if (m_run.ResultCode() != 0 && !m_run.ResultReported()) {
            m_run.ReportResult();
        }
        m_current = m_finishIndex;
        Page(m_current)->Activate();
        return;
    }
    EndDialog(IDCANCEL);
}

void CWizardDialog::SetResult(uint32_t installerResult) {
    if (installerResult != 0) {
        m_run.RecordInstallerResult(installerResult);
    }
}

bool CWizardDialog::IsRepair() const {
    return m_run.IsRepairRun();
}

bool CWizardDialog::IsUninstall() const {
    return m_run.IsUninstallRun();
}

bool CWizardDialog::IsModify() const {
    return m_masterInstalled && !IsRepair() && !IsUninstall();
}

bool CWizardDialog::IsNewInstall() const {
    return !m_masterInstalled && !IsRepair() && !IsUninstall();
}

bool CWizardDialog::HasNextPage() const {
    return m_current >= 0 && m_current + 1 < PageCount() && Page(m_current + 1) != nullptr;
}

void CWizardDialog::UpdateTexts() {
    LanguageTable& strings = Strings();
    ::SetWindowTextW(Window(), strings.FormatString(kTitleString, ProductName().c_str()).c_str());
    SetItemText(kNextId, strings.LoadString(kNextString));
    SetItemText(kCancelId, strings.LoadString(kCancelString));
    SetItemText(kBackId, strings.LoadString(kBackString));
    if (m_run.MultiLanguageResources()) {
        HWND list = Item(kLanguageListId);
        ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
        const LanguageInfo* current = strings.Current();
        for (const LanguageInfo& row : strings.Rows()) {
            const LRESULT at =
                ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.displayName.c_str()));
            if (current != nullptr && row.displayName == current->displayName) {
                ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
            }
        }
    }
    if (WizardPageBase* page = Page(m_current)) {
        page->UpdateTexts();
    }
}

void CWizardDialog::OnLanguageChanged() {
    HWND list = Item(kLanguageListId);
    const LRESULT selected = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        return;
    }
    const LRESULT length = ::SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == CB_ERR) {
        return;
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    Strings().SelectByName(text);
    UpdateTexts();
}

bool CWizardDialog::OnCommand(WORD id, WORD code) {
    switch (id) {
    case kNextId:
        Next();
        return true;
    case kCancelId:
        Cancel();
        return true;
    case kBackId:
        if (code == BN_CLICKED) {
            Back();
        }
        return true;
    case kLanguageListId:
        if (code == CBN_SELCHANGE) {
            OnLanguageChanged();
        }
        return true;
    default:
        return false;
    }
}

bool RunWizardDialog(WizardRun& run, const std::wstring& title) {
    CWizardDialog dialog(run, title);
    return dialog.DoModal() != -1;
}

} // namespace quentry
