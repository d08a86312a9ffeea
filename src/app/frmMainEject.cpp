// "Auswerfen": the current stick flushed, every file system of its drive unmounted and,
// where the drive allows, the drive powered off, so that the user may pull it. The
// system answers later; the window keeps running meanwhile.

#include "app/MainTables.h"
#include "app/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/udisks/Ejector.h"
#include "stick/cDrive.h"
#include "ui_frmMain.h"

namespace norvane {

void frmMain::updateEjectButton() {
    ui->cmdEject->setEnabled(m_stickShown && !m_updateRunning && !m_stickBusy &&
                             m_services.ejector != nullptr);
}

void frmMain::setChooseEnabled(bool enabled) {
    m_chooseEnabled = enabled;
    ui->cmdChoose->setEnabled(enabled && !m_stickBusy);
}

void frmMain::setStickBusy(bool busy) {
    m_stickBusy = busy;
    for (QPushButton* button : {ui->Command1, ui->cmdOpen, ui->cmdSearch})
        button->setEnabled(!busy);
    setChooseEnabled(m_chooseEnabled);
    updateEjectButton();
}

void frmMain::cmdEject_Click() {
    const QString root = m_drive->p_GetDriveLetters(cDrive::kFirst);
    // A run writes to the stick; it is never pulled from under it.
    if (root.isEmpty() || m_updateRunning || m_stickBusy || !m_services.ejector)
        return;
    setStickBusy(true);
    m_services.ejector->eject(root, this, [this](const platform::EjectOutcome& outcome) {
        setStickBusy(false);
        // A window closed meanwhile shows nothing more.
        if (!m_closed)
            showEjectOutcome(outcome);
    });
}

void frmMain::showEjectOutcome(const platform::EjectOutcome& outcome) {
    using platform::EjectResult;
    using platform::MessageButtons;
    using platform::MessageIcon;
    const QString title = QString::fromLatin1(platform::kProgramTitle);
    // Another file system of the stick's drive could not be unmounted: the stick itself
    // is still mounted and stays.
    const QString other =
        outcome.otherFileSystem.isEmpty()
            ? QString()
            : QStringLiteral(
                  "Auf dem USB-Stick ist außerdem „%1“ eingehängt und kann nicht abgemeldet werden.")
                  .arg(outcome.otherFileSystem);
    switch (outcome.result) {
    case EjectResult::Ejected:
        // The stick is gone for the system: the panel shows what is left.
        cmdSearch_Click();
        dialogs().messageBox(MessageIcon::Information, MessageButtons::Ok, title,
                             QStringLiteral("Der USB-Stick kann jetzt entfernt werden."));
        return;
    case EjectResult::Busy: {
        QStringList text{
            QStringLiteral("Der USB-Stick wird noch verwendet und kann nicht ausgeworfen werden.")};
        if (!other.isEmpty())
            text << other;
        text << QStringLiteral("Schließen Sie alle Dateien und Fenster, die den USB-Stick verwenden, und "
                               "versuchen Sie es nochmal.")
             << QString() << outcome.detail;
        dialogs().messageBox(MessageIcon::Critical, MessageButtons::Ok, title, text.join(NewLine));
        return;
    }
    case EjectResult::Failed: {
        QStringList text{QStringLiteral("Der USB-Stick konnte nicht ausgeworfen werden.")};
        if (!other.isEmpty())
            text << other;
        text << QString() << outcome.detail;
        dialogs().messageBox(MessageIcon::Critical, MessageButtons::Ok, title, text.join(NewLine));
        return;
    }
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
