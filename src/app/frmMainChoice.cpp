// Choosing a receiver and a channel list, and the warranty-check page.

#include "app/frmMain.h"
#include "platform/Shell.h"
#include "ui_frmMain.h"
#include "update/ServerUrls.h"
#include "widgets/OptionButton.h"

#include <QFile>

namespace norvane {

void frmMain::showReceiverPicture(int row) {
    const QString& name = m_catalogue.FirmPic[row];
    QPixmap picture;
    if (isPlainFileName(name))
        picture.load(m_services.programFolder + name);
    if (picture.isNull()) {
        // A picture that cannot be loaded leaves the frame empty; the model
        // name stays readable for screen readers.
        ui->Image1->clear();
    } else {
        ui->Image1->setPixmap(
            picture.scaled(ui->Image1->minimumSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    ui->Image1->setAccessibleName(Firm_Option[row]->text());
}

void frmMain::Firm_Option_Click(int index) {
    m_SelFirm = qint16(index);
    showReceiverPicture(index);
    ui->lbl_firmstand->setText(QStringLiteral("Stand: ") + m_catalogue.FirmStand[index]);
    ui->lbl_Aenderung->setText(m_catalogue.FirmAenderung[index]);
    for (int list = 0; list < kChannelLists; ++list) {
        if (hasChannelList(m_catalogue, index, list)) {
            Sett_Option[list]->setEnabled(true);
            continue;
        }
        Sett_Option[list]->setEnabled(false);
        if (m_SelSett == list) {
            m_SelSett = -1;
            Sett_Option[list]->setChecked(false); // deselecting runs no handler
            ui->lbl_settstand->setText(QStringLiteral("Stand: Nicht verfügbar"));
            ui->lbl_reihenfolge->setText(m_Reihenfolge[list]);
        }
    }
}

void frmMain::Sett_Option_Click(int index) {
    m_SelSett = qint16(index);
    // Lists are enabled only while a receiver is chosen; guard all the same.
    const QString stand = m_SelFirm >= 0 ? m_catalogue.SettStand[m_SelFirm][index] : QString();
    ui->lbl_settstand->setText(QStringLiteral("Stand: ") + stand);
    ui->lbl_reihenfolge->setText(m_Reihenfolge[index]);
}

void frmMain::Cmdgarantiecheck_Click() {
    m_services.shell.openUrl(warrantyCheckUrl(m_services.serverAddress));
}

} // namespace norvane
