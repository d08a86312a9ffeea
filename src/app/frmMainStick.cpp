// The stick panel's handlers of the main window.

#include "app/frmMain.h"
#include "stick/cDrive.h"
#include "ui_frmMain.h"

namespace norvane {

void frmMain::cmbSize_Click() {
    if (m_drive->p_GetDriveLetters(QStringLiteral("0")).isEmpty()) {
        // No stick yet: detect afresh. Taking the found stick into use and
        // showing its capacity follow with the stick detection.
        m_drive->mp_GetDriveTyps();
    }
    SetLabelCap();
}

void frmMain::SetLabelCap() {
    for (QLabel* label : lblSize)
        label->setText(ui->cmbSize->currentText());
}

void frmMain::chkAuto_Click() {
    m_AutoDetect = ui->chkAuto->isChecked();
}

} // namespace norvane
