// The stick panel of the main window: its handlers, and the view through which
// the drive object shows the current stick.

#include "app/frmAuswahl.h"
#include "app/frmMain.h"
#include "app/messages/Messages.h"
#include "platform/Dialogs.h"
#include "platform/files/Files.h"
#include "stick/cDrive.h"
#include "storage/basINI.h"
#include "ui_frmMain.h"
#include "widgets/PictureBox.h"
#include "widgets/StatusPanel.h"
#include "widgets/cProgressBar.h"

#include <QKeyEvent>
#include <QPixmap>

namespace norvane {

namespace {

constexpr int kMaxLabelLength = 11;

// Keys that produce a character code: every printable key, Backspace, Enter
// and Escape; Delete and the cursor keys do not.
bool producesCharacter(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Delete:
        return false;
    default:
        return !key.text().isEmpty() && key.text().at(0).isPrint();
    }
}

} // namespace

void frmMain::cmbSize_Click() {
    if (m_detectionDeferred) {
        SetLabelCap(); // the detection follows the first paint
        return;
    }
    if (!m_drive->p_GetDriveLetters(cDrive::kFirst).isEmpty()) {
        m_drive->GetDriveCapacity();
    } else {
        // No stick yet: detect afresh; a stick found shows its capacity.
        m_drive->detectStick();
    }
    SetLabelCap();
}

void frmMain::SetLabelCap() {
    for (QLabel* label : lblSize)
        label->setText(ui->cmbSize->currentText());
}

void frmMain::chkAuto_Click() {
    m_AutoDetect = ui->chkAuto->checkState() != Qt::Unchecked;
}

void frmMain::cmdSearch_Click() {
    m_drive->detectStick();
    SetLabelCap();
}

void frmMain::Command1_Click() {
    const QString label = ui->txtDT_Cap->text();
    if (label.size() <= kMaxLabelLength) {
        if (m_stickBusy)
            return;
        // Without a stick there is no volume to rename. Nothing is shown of the result;
        // the stick's buttons wait for it.
        setStickBusy(true);
        m_drive->mp_SetDriveName(m_drive->p_GetDriveLetters(cDrive::kFirst), label, this,
                                 [this] { setStickBusy(false); });
        return;
    }
    showBox(messages::labelTooLong(windowTitle()));
    ui->txtDT_Cap->setSelection(kMaxLabelLength, label.size() - kMaxLabelLength);
    ui->txtDT_Cap->setFocus();
}

void frmMain::txtDT_Cap_Validate() {
    // The beginning of the label stays visible once the focus has left.
    ui->txtDT_Cap->setCursorPosition(0);
}

void frmMain::cmdOpen_Click() {
    if (m_drive->p_GetDT_Count() != 1)
        return;
    // Only a folder on the stick: USB.ini comes with the stick and may name anything.
    const QString root = ui->lblLW->text();
    m_drive->OpenDir(platform::folderBelowRoot(root, cDrive::pathOnStick(root, m_drive->mp_StandardPfad())));
}

void frmMain::SavePath() {
    QString root = m_drive->p_GetDriveLetters(cDrive::kFirst);
    if (root.isEmpty())
        return; // no stick: no USB.ini to write, and never the root of some other drive
    m_services.ini.WriteINIValue(root + cDrive::kInfoFile, QStringLiteral("Open"), QStringLiteral("Dir"),
                                 ui->txtOpenPath->text());
}

void frmMain::cmdSaveOnStick_Click() {
    SavePath();
    ui->cmdSaveOnStick->setEnabled(false);
    m_PathChanged = false;
}

void frmMain::txtOpenPath_KeyPress() {
    ui->cmdSaveOnStick->setEnabled(true);
    m_PathChanged = true;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // After the paint has been put on screen, not inside it.
    if (watched == this && event->type() == QEvent::Paint && m_detectionDeferred)
        QMetaObject::invokeMethod(this, &frmMain::detectAfterFirstPaint, Qt::QueuedConnection);
    if (watched == ui->txtOpenPath && event->type() == QEvent::KeyPress &&
        producesCharacter(static_cast<const QKeyEvent&>(*event)))
        txtOpenPath_KeyPress();
    if (watched == ui->txtDT_Cap && event->type() == QEvent::FocusOut)
        txtDT_Cap_Validate();
    return QMainWindow::eventFilter(watched, event);
}

// The view of the drive object.

void frmMain::setDriveCaption(const QString& root) {
    ui->lblLW->setText(root);
    recoverStick(root);
}

QString frmMain::openPathText() const {
    return ui->txtOpenPath->text();
}

void frmMain::setOpenPathText(const QString& text) {
    ui->txtOpenPath->setText(text);
}

void frmMain::setVolumeLabelText(const QString& label) {
    ui->txtDT_Cap->setText(label);
}

void frmMain::setFileSystemText(const QString& fileSystem) {
    ui->txtFAT->setText(fileSystem);
}

void frmMain::showStickFound(bool found, const QString& picturePath) {
    const messages::StickPresenceTexts texts = messages::stickPresenceTexts(found);
    setUpdateButton(found, texts.updateCaption);
    setStickStatus(picturePath, texts.statusText, found, texts.statusToolTip);
}

void frmMain::setUpdateButton(bool enabled, const QString& caption) {
    setChooseEnabled(enabled);
    ui->cmdChoose->setText(caption);
}

void frmMain::setStickStatus(const QString& picturePath, const QString& text, bool enabled,
                             const QString& toolTip) {
    StatusPanel& panel = statusPanel(1);
    // A missing picture leaves the panel without one; the text still tells.
    panel.setPicture(QPixmap(picturePath));
    panel.setText(text);
    panel.setEnabled(enabled);
    panel.setToolTip(toolTip);
    m_stickShown = enabled;
    updateEjectButton();
}

int frmMain::unitPosition() const {
    return ui->cmbSize->currentIndex();
}

int frmMain::unitPower() const {
    return ui->cmbSize->currentData().toInt();
}

void frmMain::setSizeCaptions(const QString& total, const QString& free, const QString& used) {
    ui->lblHDSize->setText(total);
    ui->lblHDFree->setText(free);
    ui->lblHDUsed->setText(used);
}

void frmMain::setSwatchColours(Rgb used, Rgb free) {
    const auto paint = [](QLabel* swatch, Rgb colour) {
        swatch->setAutoFillBackground(true);
        QPalette palette = swatch->palette();
        palette.setColor(QPalette::Window, QColor(colour.red, colour.green, colour.blue));
        swatch->setPalette(palette);
    };
    paint(ui->lblHDUsedColor, used);
    paint(ui->lblHDFreeColor, free);
}

void frmMain::showFillBar(int percent) {
    m_fillPercent = percent;
    cProgressBar bar;
    bar.StartFarbe(100, 0, 0);
    bar.EndFarbe(200, 0, 0);
    bar.ShowProgress(*ui->Picture1, percent, 0, 100, true);
}

void frmMain::clearFillBar() {
    m_fillPercent = -1;
    ui->Picture1->Cls();
}

void frmMain::showDrivePicker() {
    // One picker at a time: an open one shows the fresh rows. A new one is modeless and
    // owned by this window; it deletes itself when closed.
    frmAuswahl* picker = nullptr;
    for (frmAuswahl* open : findChildren<frmAuswahl*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (open->isVisible())
            picker = open;
    }
    if (picker)
        picker->fillRows();
    else
        picker = new frmAuswahl(*m_drive, this);
    picker->show();
    picker->raise();
    picker->activateWindow();
}

} // namespace norvane
