// The first page: the product's name and what the wizard is about to do.
#pragma once

#include "wizard/WizardPageBase.h"

namespace quentry {

class WelcomeWizardPage : public WizardPageBase {
public:
    static constexpr int kHeadingId = 1100;
    static constexpr int kProductNameId = 1101;
    static constexpr int kDescriptionId = 1102;
    static constexpr int kNoticeId = 1103;
    // Longer product names are drawn in the smaller bold font.
    static constexpr size_t kLongNameLength = 50;

    explicit WelcomeWizardPage(CWizardDialog& frame) : WizardPageBase(frame, L"Welcome") {}

    void OnActivated() override;
    void CreateControls(HWND parent, int width, int height) override;
    void UpdateTexts() override;

private:
    HWND m_heading = nullptr;
    HWND m_productName = nullptr;
    HWND m_description = nullptr;
    HWND m_notice = nullptr;
};

} // namespace quentry
