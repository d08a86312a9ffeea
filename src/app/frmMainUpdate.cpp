// The update run: the chosen firmware and channel list onto the stick, unpacked
// and flushed, with the autorun file and the icon beside them.

#include "app/MainTables.h"
#include "app/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/FileFlush.h"
#include "platform/Shell.h"
#include "stick/cDrive.h"
#include "ui_frmMain.h"
#include "update/ServerUrls.h"
#include "update/StickCopy.h"
#include "unzip/VBUnzBas.h"
#include "widgets/PictureBox.h"
#include "widgets/StatusPanel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QScopeGuard>
#include <algorithm>

namespace norvane {

namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

constexpr double kMinimumFreeBytes = 5.0 * 1024 * 1024;
constexpr qint64 kServerTextLimit = 1024 * 1024; // the catalogue of the connection check
const QString kDistributorAddress = QStringLiteral("www.norvane.de");

} // namespace

// What one run writes, fixed when it starts: choosing another receiver, list or
// stick in the middle of a run does not change it.
struct frmMain::UpdatePlan {
    QString root;
    QString firmName;
    QString firmFile;
    QString settName;
    QString settFile; // empty: no channel list
    QStringList written;
};

void frmMain::cmdChoose_Click() {
    if (m_updateRunning)
        return; // the button stays usable during a run; a second click starts nothing
    if (m_SelFirm < 0 || m_SelFirm >= kReceiverRows || m_catalogue.FirmFile[m_SelFirm].isEmpty()) {
        dialogs().messageBox(MessageIcon::Information, MessageButtons::Ok,
                             QString::fromLatin1(platform::kProgramTitle),
                             QStringLiteral("Bitte wählen Sie zuerst Ihren Receiver aus."));
        return;
    }
    m_updateRunning = true;
    const auto done = qScopeGuard([this] {
        m_updateRunning = false;
        m_runProgress->hide();
    });

    UpdatePlan plan;
    plan.root = ui->lblLW->text();
    plan.firmName = m_catalogue.FirmName[m_SelFirm];
    plan.firmFile = m_catalogue.FirmFile[m_SelFirm];
    plan.settName = m_SettName[m_SelSett + 1];
    if (m_SelSett >= 0)
        plan.settFile = m_catalogue.SettFile[m_SelFirm][m_SelSett];
    runUpdate(plan);
}

void frmMain::runUpdate(UpdatePlan& plan) {
    const QString programFolder = m_services.programFolder;
    m_drive->GetDriveCapacity();
    QApplication::processEvents();

    const double free = m_drive->TotalFreeSpace();
    if (free < kMinimumFreeBytes) {
        dialogs().messageBox(
            MessageIcon::Critical, MessageButtons::Ok, QStringLiteral("Zuwenig Speicher verfügbar !"),
            lines({QStringLiteral("Sie benötigen mindestens 5 MB freien Speicherplatz am USB-Stick!"),
                   QStringLiteral("Löschen Sie unbenötigte Daten und versuchen Sie es nochmal.")}));
        return;
    }

    const MessageResult answer = dialogs().messageBox(
        MessageIcon::None, MessageButtons::OkCancel, QStringLiteral("Wollen Sie updaten ?"),
        lines({QStringLiteral("Sie haben folgende Update Optionen gewählt:"),
               QStringLiteral("Receiver: Norvane ") + plan.firmName,
               QStringLiteral("Settings: ") + plan.settName, QString(), QStringLiteral("Updaten mit OK ?")}));
    if (answer != MessageResult::Ok || m_closed)
        return;

    const QString& server = m_services.serverAddress;
    if (OpenURL(downloadFileUrl(server, QStringLiteral("usb-list.csv")), QStringLiteral("0"), 0,
                kServerTextLimit)
            .isEmpty()) {
        dialogs().messageBox(
            MessageIcon::Critical, MessageButtons::Ok, QStringLiteral("Verbindungs-Fehler"),
            lines({QStringLiteral("Es konnte keine Verbindung hergestellt werden!"),
                   QStringLiteral("Prüfen Sie Ihre Internetverbindung oder versuchen es später nochmal.")}));
        return;
    }

    // The firmware package: streamed onto the stick under a temporary name and
    // kept only when it arrived whole, so a receiver is never flashed from a cut file.
    const QString firmPath = plan.root + plan.firmFile;
    if (!fetchPackage(plan, plan.firmFile, QStringLiteral("1")))
        return;

    bool complete = true;
    m_unzip->UnzipOptions = {};
    m_unzip->UnzipOptions[10] = 1; // overwrite existing files without asking
    m_unzip->UnzipOptions[9] = 1;  // recreate the archive's folders
    m_unzip->UnzipOptions[6] = 1;  // list only, unless there is a folder to extract into
    m_unzip->UnzipOptions[2] = 0;  // never ask before overwriting
    m_unzip->UnzipOptions[8] = 0;  // no archive comment
    m_unzip->includeList.clear();
    m_unzip->excludeList.clear();
    m_unzip->archivePath = firmPath;
    m_unzip->extractFolder = plan.root;
    if (!m_unzip->extractFolder.isEmpty())
        m_unzip->UnzipOptions[6] = 0;
    m_unzip->spaceLimitBytes = freeBytesOn(plan.root);
    m_unzip->onMember = [this](int doneMembers, int total) { showRunProgress(doneMembers, total); };
    setStatus(2, QStringLiteral("Firmware wird entpackt..."), QStringLiteral("Firmware wird entpackt."));
    const int code = m_unzip->UnzipArchive();
    m_runProgress->hide();
    if (code != 0) {
        complete = false;
    } else {
        plan.written << m_unzip->extractedFiles();
        const QStringList damaged = m_unzip->verifyExtracted();
        if (!damaged.isEmpty()) {
            dialogs().messageBox(
                MessageIcon::Critical, MessageButtons::Ok, QStringLiteral("Update fehlgeschlagen"),
                lines({QStringLiteral("Die Datei „%1“ wurde auf dem USB-Stick fehlerhaft gespeichert.")
                           .arg(QDir::toNativeSeparators(damaged.first())),
                       QStringLiteral("Der USB-Stick ist möglicherweise defekt. Verwenden Sie einen anderen "
                                      "USB-Stick.")}));
            return;
        }
    }

    if (!plan.settFile.isEmpty() && !fetchPackage(plan, plan.settFile, QStringLiteral("2")))
        return;

    setStatus(2, QStringLiteral("Update abgeschlossen"), QStringLiteral("Update abgeschlossen."));
    m_drive->GetDriveCapacity();
    QApplication::processEvents();

    for (const QString& name : {QStringLiteral("autorun.inf"), QStringLiteral("norvstick.ico")}) {
        if (copyReplacing(programFolder + name, plan.root + name))
            plan.written << plan.root + name;
        else
            complete = false;
    }

    // Everything written reaches the stick before the user is told to pull it.
    for (const QString& path : std::as_const(plan.written))
        complete = platform::flushFile(path) && complete;
    complete = platform::syncFileSystemOf(plan.root) && complete;
    if (m_closed)
        return;
    if (!complete) {
        dialogs().messageBox(
            MessageIcon::Critical, MessageButtons::Ok, QStringLiteral("Update unvollständig"),
            lines({QStringLiteral("Das Update konnte nicht vollständig auf den USB-Stick "
                                  "geschrieben werden."),
                   QStringLiteral("Prüfen Sie den USB-Stick und versuchen Sie es nochmal.")}));
        return;
    }

    dialogs().messageBox(MessageIcon::None, MessageButtons::Ok, QStringLiteral("Update erfolgreich"),
                         lines({QStringLiteral("Update abgeschlossen"), QString(),
                                QStringLiteral("Dieser Service wird KOSTENLOS zur Verfügung gestellt von"),
                                QStringLiteral("TELVANO AUSTRIA - ") + kDistributorAddress}) +
                             NewLine + NewLine);
    m_services.shell.openUrl(linkPageUrl(server));
}

// Downloads one package onto the stick; on failure tells the user which one and
// leaves the stick's files as they were.
bool frmMain::fetchPackage(UpdatePlan& plan, const QString& file, const QString& kind) {
    if (m_closed)
        return false; // the window was closed while the run waited
    const QString target = plan.root + file;
    showRunProgress(0, -1);
    // A package replaces one of the same name, so that file's room counts as free.
    const qint64 room = freeBytesOn(plan.root) + (QFileInfo(target).isFile() ? QFileInfo(target).size() : 0);
    const FileDownloadResult result = DownloadToFile(
        downloadFileUrl(m_services.serverAddress, file + QStringLiteral(".txt")), kind, 0, target, room,
        [this](qint64 received, qint64 total) { showRunProgress(received, total); });
    m_runProgress->hide();
    if (m_closed)
        return false;
    if (!result.ok) {
        dialogs().messageBox(
            MessageIcon::Critical, MessageButtons::Ok, QStringLiteral("Download fehlgeschlagen"),
            lines({QStringLiteral("Das Paket „%1“ konnte nicht geladen werden.").arg(file), result.reason,
                   QStringLiteral("Auf dem USB-Stick wurde nichts verändert.")}));
        setStatus(2, QStringLiteral("Update abgebrochen"), QStringLiteral("Das Update wurde abgebrochen."));
        return false;
    }
    plan.written << target;
    return true;
}

qint64 frmMain::freeBytesOn(const QString& root) {
    const std::optional<platform::DiskSpace> space = m_services.drives.diskSpace(root);
    return space ? qint64(space->availableBytes) : 0;
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

} // namespace norvane
