// "Starte Update": the plan of the update run from the choice and the stick, and what
// the window shows of the run.

#include "app/frmMain.h"
#include "app/messages/Messages.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/files/StickSession.h"
#include "stick/cDrive.h"
#include "ui_frmMain.h"
#include "unzip/VBUnzBas.h"
#include "update/UnzipExtraction.h"
#include "update/UpdateRun.h"
#include "widgets/StatusPanel.h"

#include <QProgressBar>
#include <QScopeGuard>
#include <QThread>

#include <algorithm>
#include <memory>

namespace norvane {

void frmMain::cmdChoose_Click() {
    if (m_updateRunning || m_stickBusy)
        return; // the button stays usable during a run; a second click starts nothing
    if (m_SelFirm < 0 || m_SelFirm >= kReceiverRows || m_catalogue.FirmFile[m_SelFirm].isEmpty()) {
        showBox(messages::chooseReceiverFirst());
        return;
    }
    m_updateRunning = true;
    updateEjectButton(); // the stick is never pulled from under a run
    const auto done = qScopeGuard([this] {
        m_updateRunning = false;
        m_runProgress->hide();
        updateEjectButton();
    });

    UpdatePlan plan;
    plan.root = ui->lblLW->text();
    plan.firmName = m_catalogue.FirmName[m_SelFirm];
    plan.firmFile = m_catalogue.FirmFile[m_SelFirm];
    plan.settName = m_SettName[m_SelSett + 1];
    if (m_SelSett >= 0)
        plan.settFile = m_catalogue.SettFile[m_SelFirm][m_SelSett];
    plan.digests = m_signedManifest;

    // A recovery started when the stick was taken into use finishes before the run
    // looks at the same stick.
    if (m_stickRecovery)
        m_stickRecovery->wait();
    // The stick's root is opened once, here; every step of the run writes through it.
    platform::StickSession stick(plan.root);
    UnzipExtraction extraction(*m_unzip, m_drive->mp_FileSystem());
    UpdateRun run(UpdateRunServices{.view = *this,
                                    .drives = m_services.drives,
                                    .downloads = m_downloader,
                                    .extraction = extraction,
                                    .stick = stick,
                                    .programFolder = m_services.programFolder,
                                    .serverAddress = m_services.serverAddress},
                  std::move(plan));
    const UpdateOutcome outcome = run.run();
    // After the success message the next thing to do is to eject the stick.
    m_updateRunning = false;
    updateEjectButton();
    if (outcome == UpdateOutcome::Done && !m_closed)
        ui->cmdEject->setFocus();
}

// Finishes or clears what an interrupted update left on a stick that is taken into use,
// on a thread of its own; the window's state is left alone, only the stick panel's tool
// tip says what was done.
void frmMain::recoverStick(const QString& root) {
    if (root.isEmpty())
        m_recoveredRoot.clear();
    if (root.isEmpty() || root == m_recoveredRoot)
        return;
    m_recoveredRoot = root;
    if (m_stickRecovery)
        m_stickRecovery->wait();
    auto result = std::make_shared<Recovery>();
    QThread* thread = QThread::create([root, result] {
        platform::StickSession stick(root);
        *result = StagedUpdate::recover(stick);
    });
    m_stickRecovery = thread;
    connect(thread, &QThread::finished, this, [this, thread, root, result] {
        thread->deleteLater();
        const QString said = messages::recoveryText(*result);
        StatusPanel& panel = statusPanel(1);
        if (!said.isEmpty() && ui->lblLW->text() == root)
            panel.setToolTip(panel.toolTip() + u' ' + said);
    });
    thread->start();
}

void frmMain::refreshStickCapacity() {
    m_drive->GetDriveCapacity();
}

bool frmMain::windowClosed() const {
    return m_closed;
}

bool frmMain::confirmUpdate(const QString& firmName, const QString& settName) {
    return showBox(messages::confirmUpdateBox(firmName, settName)) == platform::MessageResult::Ok;
}

void frmMain::showRunPhase(RunPhase phase) {
    const messages::PanelText status = messages::runPhaseStatus(phase);
    setStatus(2, status.text, status.toolTip);
}

void frmMain::showRecovery(const Recovery& recovery) {
    const QString said = messages::recoveryText(recovery);
    setStatus(2, said, said);
}

void frmMain::tellFailure(const Failure& failure, RunEnd end) {
    showBox(messages::runFailureBox(failure, end));
}

void frmMain::tellDownloadFailed(const QString& package, const Failure& failure) {
    showBox(messages::downloadFailedBox(package, failure));
}

void frmMain::tellDone() {
    showBox(messages::updateDoneBox());
}

// The determinate bar beside the status text; a busy bar while the size is unknown.
void frmMain::showRunProgress(qint64 done, qint64 total) {
    if (total <= 0) {
        m_runProgress->setRange(0, 0);
    } else {
        // In per mille, so sizes beyond the range of int fit.
        m_runProgress->setRange(0, 1000);
        m_runProgress->setValue(int(std::clamp<qint64>(done * 1000 / total, 0, 1000)));
    }
    m_runProgress->show();
}

void frmMain::hideRunProgress() {
    m_runProgress->hide();
}

void frmMain::openWebPage(const QString& url) {
    m_services.shell.openUrl(url);
}

} // namespace norvane
