// The main window's way into the format wizard.

#include "app/frmMain.h"
#include "format/Form1.h"

namespace norvane {

void frmMain::cmdtest_Click() {
    // An open wizard is brought to the front in its current step; a closed one
    // starts afresh at step 1.
    Form1* wizard = nullptr;
    for (Form1* open : findChildren<Form1*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (open->isVisible())
            wizard = open;
    }
    if (!wizard) {
        wizard = new Form1(
            {.drives = m_services.drives, .dialogs = dialogs(), .programFolder = m_services.programFolder},
            this);
    }
    wizard->show();
    wizard->raise();
    wizard->activateWindow();
}

} // namespace norvane
