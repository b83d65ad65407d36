#include "wizard/FinishWizardPage.h"

#include "wizard/WizardDialog.h"

namespace quentry {

namespace {

constexpr unsigned kFinishButton = 55;
constexpr unsigned kCompleted = 28;
constexpr unsigned kAborted = 29;
constexpr unsigned kClosingLine = 33;

struct OutcomeTexts {
    unsigned success;
    unsigned failure;
    unsigned advice; // after a failure; 0 for none
};

} // namespace

void FinishWizardPage::CreateControls(HWND, int width, int height) {
    AddProductBitmap(0, 10);
    m_title = AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 63, 13, width, 33, kTitleId, m_frame.TitleFont());
    m_result = AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 63, 33, width, 73, kResultId, m_frame.TextFont());
    m_advice = AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, 73, width, 133, kAdviceId, m_frame.TextFont());
    m_closing = AddControl(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, height - 30, width, height - 10, kClosingId,
                           m_frame.TextFont());
}

void FinishWizardPage::OnActivated() {
    ::EnableWindow(m_frame.Item(CWizardDialog::kBackId), FALSE);
    ::SetFocus(m_frame.Item(CWizardDialog::kNextId));
    Show();
}

void FinishWizardPage::UpdateTexts() {
    ::SetWindowTextW(m_frame.Item(CWizardDialog::kNextId), m_strings.LoadString(kFinishButton).c_str());
    const bool success = m_frame.Run().ResultCode() == 0;
    const OutcomeTexts texts = m_frame.IsRepair()      ? OutcomeTexts{44, 48, 0}
                               : m_frame.IsUninstall() ? OutcomeTexts{43, 46, 1046}
                               : m_frame.IsModify()    ? OutcomeTexts{45, 47, 0}
                                                       : OutcomeTexts{30, 31, 32};
    const std::wstring product = m_frame.ProductName();
    ::SetWindowTextW(m_title, m_strings.LoadString(success ? kCompleted : kAborted).c_str());
    ::SetWindowTextW(
        m_result, m_strings.FormatString(success ? texts.success : texts.failure, product.c_str()).c_str());
    const std::wstring advice =
        success || texts.advice == 0 ? std::wstring() : m_strings.LoadString(texts.advice);
    ::SetWindowTextW(m_advice, advice.c_str());
    ::SetWindowTextW(m_closing, m_strings.LoadString(kClosingLine).c_str());
}

} // namespace quentry
