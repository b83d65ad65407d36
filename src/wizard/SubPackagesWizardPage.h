// The page that offers the sub-packages at catalogue positions 2 to 6 as check boxes.
#pragma once

#include "wizard/WizardPageBase.h"

#include <vector>

namespace quentry {

class SubPackagesWizardPage : public WizardPageBase {
public:
    static constexpr int kTitleId = 1005;
    static constexpr int kDescriptionId = 1006;
    static constexpr int kFirstCheckBoxId = 1007;
    static constexpr int kFirstOfferedPosition = 2;
    static constexpr int kMaxCheckBoxes = 5;

    explicit SubPackagesWizardPage(CWizardDialog& frame) : WizardPageBase(frame, L"IncludedSubPackages") {}

    bool OnNext() override;
    void OnActivated() override;
    void CreateControls(HWND parent, int width, int height) override;
    void UpdateTexts() override;

private:
    HWND m_title = nullptr;
    HWND m_description = nullptr;
    // Check box i offers the package at position i + 2.
    std::vector<HWND> m_checkBoxes;
};

} // namespace quentry
