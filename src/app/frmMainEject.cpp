// "Auswerfen": the current stick flushed, every file system of its drive unmounted and,
// where the drive allows, the drive powered off, so that the user may pull it. The
// system answers later; the window keeps running meanwhile.

#include "app/frmMain.h"
#include "app/messages/Messages.h"
#include "platform/AsyncResult.h"
#include "platform/Dialogs.h"
#include "platform/Text.h"
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
    // The stick as the detection found it; the ejector checks it is still there.
    const std::optional<platform::DriveRecord> stick = m_drive->volumeRecord(root);
    setStickBusy(true);
    platform::Ejector::Done report = [this](const Failure& failure) {
        setStickBusy(false);
        // A window closed meanwhile shows nothing more.
        if (!m_closed)
            showEjectOutcome(failure);
    };
    if (!stick) {
        // Gone from the system meanwhile: nothing is ejected in its place.
        platform::deliverLater<Failure>(this, std::move(report), {FailureKind::EjectNotOffered, root});
        return;
    }
    m_services.ejector->eject(*stick, this, std::move(report));
}

void frmMain::showEjectOutcome(const Failure& failure) {
    using platform::MessageButtons;
    using platform::MessageIcon;
    const QString title = QString::fromLatin1(platform::kProgramTitle);
    if (failure.ok()) {
        // The stick is gone for the system: the panel shows what is left.
        cmdSearch_Click();
        dialogs().messageBox(MessageIcon::Information, MessageButtons::Ok, title,
                             messages::stickEjectedText());
        return;
    }
    dialogs().messageBox(MessageIcon::Critical, MessageButtons::Ok, title,
                         messages::ejectFailureLines(failure).join(NewLine));
}

} // namespace norvane
