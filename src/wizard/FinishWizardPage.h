// The last page: the outcome of the run in words fitting its mode.
#pragma once

#include "wizard/WizardPageBase.h"

namespace quentry {

class FinishWizardPage : public WizardPageBase {
public:
    static constexpr int kTitleId = 1110;
    static constexpr int kResultId = 1111;
    static constexpr int kAdviceId = 1112;
    static constexpr int kClosingId = 1113;

    explicit FinishWizardPage(CWizardDialog& frame) : WizardPageBase(frame, L"Finish") {}

    bool OnCancel() override { return true; }
    void OnActivated() override;
    void CreateControls(HWND parent, int width, int height) override;
    void UpdateTexts() override;

private:
    HWND m_title = nullptr;
    HWND m_result = nullptr;
    HWND m_advice = nullptr;
    HWND m_closing = nullptr;
};

} // namespace quentry
