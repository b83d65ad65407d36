#include "wizard/PassThroughWizardPage.h"

#include "wizard/WizardDialog.h"

namespace quentry {

void PassThroughWizardPage::Activate() {
    WriteLog(L"Activating dialog %s");
    m_frame.Next();
}

} // namespace quentry
