// The end of the main window: the question for an edited standard path, the
// program settings, the window procedure and the program's objects.

#include "app/frmMain.h"
#include "app/messages/Messages.h"
#include "format/Form1.h"
#include "platform/Dialogs.h"
#include "winproc/basDeklare.h"

#include <QCloseEvent>

namespace norvane {

void frmMain::closeEvent(QCloseEvent* event) {
    // A disk being formatted must not lose the wizard that waits for its formatter.
    for (const Form1* wizard : findChildren<Form1*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (wizard->formatRunning()) {
            event->ignore();
            return;
        }
    }
    // Otherwise the close is never refused; it runs its sequence once.
    if (!m_closed)
        Form_QueryUnload();
    event->accept();
}

void frmMain::Form_QueryUnload() {
    m_closed = true;
    if (m_PathChanged) {
        const platform::MessageResult answer = showBox(messages::saveChangesQuestion(windowTitle()));
        if (answer == platform::MessageResult::Yes)
            SavePath();
    }
    SaveSettings();
    m_winProc->UnhookWindow();
    Unload_Prog();
}

void frmMain::Unload_Prog() {
    // A download still running ends now: its temporary file is removed and the
    // update run stops without writing more. The drive object and the window go
    // with the window's destruction, after any handler still running below this
    // close has returned.
    cancelDownloads();
}

} // namespace norvane
