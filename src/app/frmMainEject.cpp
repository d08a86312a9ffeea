// "Auswerfen": the current stick flushed, unmounted and, where the drive allows,
// powered off, so that the user may pull it.

#include "app/MainTables.h"
#include "app/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/Ejector.h"
#include "stick/cDrive.h"
#include "ui_frmMain.h"

namespace norvane {

void frmMain::updateEjectButton() {
    ui->cmdEject->setEnabled(m_stickShown && !m_updateRunning && m_services.ejector != nullptr);
}

void frmMain::cmdEject_Click() {
    const QString root = m_drive->p_GetDriveLetters(cDrive::kFirst);
    // A run writes to the stick; it is never pulled from under it.
    if (root.isEmpty() || m_updateRunning || !m_services.ejector)
        return;
    const platform::EjectOutcome outcome = m_services.ejector->eject(root);
    using platform::EjectResult;
    using platform::MessageButtons;
    using platform::MessageIcon;
    const QString title = QString::fromLatin1(platform::kProgramTitle);
    switch (outcome.result) {
    case EjectResult::Ejected:
        // The stick is gone for the system: the panel shows what is left.
        cmdSearch_Click();
        dialogs().messageBox(MessageIcon::Information, MessageButtons::Ok, title,
                             QStringLiteral("Der USB-Stick kann jetzt entfernt werden."));
        return;
    case EjectResult::Busy:
        dialogs().messageBox(
            MessageIcon::Critical, MessageButtons::Ok, title,
            lines({QStringLiteral("Der USB-Stick wird noch verwendet und kann nicht ausgeworfen werden."),
                   QStringLiteral("Schließen Sie alle Dateien und Fenster, die den USB-Stick verwenden, und "
                                  "versuchen Sie es nochmal."),
                   QString(), outcome.detail}));
        return;
    case EjectResult::Failed:
        dialogs().messageBox(MessageIcon::Critical, MessageButtons::Ok, title,
                             lines({QStringLiteral("Der USB-Stick konnte nicht ausgeworfen werden."),
                                    QString(), outcome.detail}));
        return;
    case EjectResult::NotOffered:
        dialogs().messageBox(
            MessageIcon::Critical, MessageButtons::Ok, title,
            lines({QStringLiteral("Der USB-Stick konnte nicht ausgeworfen werden."),
                   QStringLiteral("Der Systemdienst UDisks2 ist nicht erreichbar oder kennt diesen USB-Stick "
                                  "nicht.")}));
        return;
    }
}

} // namespace norvane
