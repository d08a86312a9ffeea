// The end of the main window: the question for an edited standard path, the
// program settings, the window procedure and the program's objects.

#include "app/frmMain.h"
#include "platform/Dialogs.h"
#include "winproc/basDeklare.h"

#include <QCloseEvent>

namespace norvane {

void frmMain::closeEvent(QCloseEvent* event) {
    // The close is never refused; it runs its sequence once.
    if (!m_closed)
        Form_QueryUnload();
    event->accept();
}

void frmMain::Form_QueryUnload() {
    m_closed = true;
    if (m_PathChanged) {
        const platform::MessageResult answer = dialogs().messageBox(
            platform::MessageIcon::Information, platform::MessageButtons::YesNo, windowTitle(),
            QStringLiteral("Sie haben Informationen abgeändert.\r\nWollen Sie speichern?"));
        if (answer == platform::MessageResult::Yes)
            SavePath();
    }
    SaveSettings();
    m_winProc->UnhookWindow();
    Unload_Prog();
}

void frmMain::Unload_Prog() {
    // The drive object and the window go with the window's destruction, after any
    // handler still running below this close has returned.
}

} // namespace norvane
