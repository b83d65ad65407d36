// A page with nothing to show: when it becomes current it moves the wizard on at once. Stands
// where the unpack and install steps of the run take their turn.
#pragma once

#include "wizard/WizardPageBase.h"

namespace quentry {

class PassThroughWizardPage : public WizardPageBase {
public:
    PassThroughWizardPage(CWizardDialog& frame, std::wstring name) : WizardPageBase(frame, std::move(name)) {}

    void Activate() override;
    void CreateControls(HWND, int, int) override {}
    void UpdateTexts() override {}
};

} // namespace quentry
