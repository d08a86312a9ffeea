#include "update/UpdateRun.h"

#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "update/MessageText.h"
#include "update/ServerSignature.h"
#include "update/ServerUrls.h"

#include <QDir>

#include <algorithm>
#include <limits>

namespace norvane {

namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

constexpr qint64 kServerTextLimit = 1024 * 1024; // the catalogue of the connection check
const QString kDistributorAddress = QStringLiteral("www.norvane.de");

} // namespace

UpdateRun::UpdateRun(UpdateRunServices services, UpdatePlan plan) : m_(services), m_plan(std::move(plan)) {}

UpdateOutcome UpdateRun::run() {
    m_.view.refreshStickCapacity();
    m_.view.processPendingEvents();

    if (freeBytes() < kMinimumFreeBytes) {
        report(QStringLiteral("Zuwenig Speicher verfügbar !"),
               {QStringLiteral("Sie benötigen mindestens 5 MB freien Speicherplatz am USB-Stick!"),
                QStringLiteral("Löschen Sie unbenötigte Daten und versuchen Sie es nochmal.")});
        return UpdateOutcome::NoRoom;
    }

    const MessageResult answer = m_.dialogs.messageBox(
        MessageIcon::None, MessageButtons::OkCancel, QStringLiteral("Wollen Sie updaten ?"),
        lines({QStringLiteral("Sie haben folgende Update Optionen gewählt:"),
               QStringLiteral("Receiver: Norvane ") + m_plan.firmName,
               QStringLiteral("Settings: ") + m_plan.settName, QString(),
               QStringLiteral("Updaten mit OK ?")}));
    if (answer != MessageResult::Ok || m_.view.windowClosed())
        return UpdateOutcome::NotConfirmed;

    if (m_.downloads
            .OpenURL(downloadFileUrl(m_.serverAddress, QStringLiteral("usb-list.csv")), QStringLiteral("0"),
                     0, kServerTextLimit)
            .isEmpty()) {
        report(QStringLiteral("Verbindungs-Fehler"),
               {QStringLiteral("Es konnte keine Verbindung hergestellt werden!"),
                QStringLiteral("Prüfen Sie Ihre Internetverbindung oder versuchen es später nochmal.")});
        return UpdateOutcome::NoConnection;
    }

    // A signed server names every package it serves: one it does not name is refused
    // before anything is written.
    if (m_plan.digests) {
        for (const QString& file : {m_plan.firmFile, m_plan.settFile}) {
            if (!file.isEmpty() && !m_plan.digests->digestOf(file + QStringLiteral(".txt"))) {
                refuseUnsigned(file);
                return UpdateOutcome::NotSigned;
            }
        }
    }

    // The firmware package is kept only when it arrived whole, so a receiver is never
    // flashed from a cut file.
    if (!fetchPackage(m_plan.firmFile, QStringLiteral("1")))
        return fetchFailure();

    bool complete = true;
    if (!unpackFirmware(complete))
        return UpdateOutcome::Damaged;

    if (!m_plan.settFile.isEmpty() && !fetchPackage(m_plan.settFile, QStringLiteral("2")))
        return fetchFailure();

    m_.view.showRunStatus(QStringLiteral("Update abgeschlossen"), QStringLiteral("Update abgeschlossen."));
    m_.view.refreshStickCapacity();
    m_.view.processPendingEvents();

    for (const QString& name : {QStringLiteral("autorun.inf"), QStringLiteral("norvstick.ico")}) {
        if (m_.stick.copyFromProgramFolder(name))
            m_written << m_.stick.packagePath(name);
        else
            complete = false;
    }

    // Everything written reaches the stick before the user is told to pull it.
    complete = m_.stick.flushAll(m_written) && complete;
    if (m_.view.windowClosed())
        return UpdateOutcome::Stopped;
    if (!complete) {
        report(QStringLiteral("Update unvollständig"),
               {QStringLiteral("Das Update konnte nicht vollständig auf den USB-Stick geschrieben werden."),
                QStringLiteral("Prüfen Sie den USB-Stick und versuchen Sie es nochmal.")});
        return UpdateOutcome::Incomplete;
    }

    m_.dialogs.messageBox(MessageIcon::None, MessageButtons::Ok, QStringLiteral("Update erfolgreich"),
                          lines({QStringLiteral("Update abgeschlossen"), QString(),
                                 QStringLiteral("Dieser Service wird KOSTENLOS zur Verfügung gestellt von"),
                                 QStringLiteral("TELVANO AUSTRIA - ") + kDistributorAddress}) +
                              NewLine + NewLine);
    m_.view.openWebPage(linkPageUrl(m_.serverAddress));
    return UpdateOutcome::Done;
}

// Downloads one package onto the stick; on failure tells the user which one and
// leaves the stick's files as they were.
bool UpdateRun::fetchPackage(const QString& file, const QString& kind) {
    if (m_.view.windowClosed())
        return false; // the window was closed while the run waited
    const QString target = m_.stick.packagePath(file);
    m_.view.showRunProgress(0, -1);
    // A package replaces one of the same name, so that file's room counts as free.
    const qint64 room = freeBytes() + m_.stick.existingSize(file);
    // Hashed while it streams: a package that does not match its signed digest is dropped
    // before it takes its name on the stick.
    const QByteArray digest =
        m_plan.digests ? m_plan.digests->digestOf(file + QStringLiteral(".txt")).value_or(QByteArray())
                       : QByteArray();
    const FileDownloadResult result = m_.downloads.DownloadToFile(
        downloadFileUrl(m_.serverAddress, file + QStringLiteral(".txt")), kind, 0, target, room,
        [this](qint64 received, qint64 total) { m_.view.showRunProgress(received, total); }, digest);
    m_.view.hideRunProgress();
    if (m_.view.windowClosed())
        return false;
    if (result.digestMismatch) {
        refuseUnsigned(file);
        return false;
    }
    if (!result.ok) {
        report(QStringLiteral("Download fehlgeschlagen"),
               {QStringLiteral("Das Paket „%1“ konnte nicht geladen werden.").arg(file), result.reason,
                QStringLiteral("Auf dem USB-Stick wurde nichts verändert.")});
        m_.view.showRunStatus(QStringLiteral("Update abgebrochen"),
                              QStringLiteral("Das Update wurde abgebrochen."));
        return false;
    }
    m_written << target;
    return true;
}

UpdateOutcome UpdateRun::fetchFailure() const {
    if (m_.view.windowClosed())
        return UpdateOutcome::Stopped;
    return m_notSigned ? UpdateOutcome::NotSigned : UpdateOutcome::DownloadFailed;
}

// Tells the user which package the server's signature does not cover, and what the stick
// holds: nothing new, or the firmware already when it is the channel list.
void UpdateRun::refuseUnsigned(const QString& file) {
    m_notSigned = true;
    report(QStringLiteral("Update abgebrochen"),
           {packageMismatchText(file),
            m_written.isEmpty()
                ? QStringLiteral("Auf dem USB-Stick wurde nichts verändert.")
                : QStringLiteral("Die Firmware ist bereits auf dem USB-Stick, die Senderliste wurde nicht "
                                 "geschrieben.")});
    m_.view.showRunStatus(QStringLiteral("Update abgebrochen"),
                          QStringLiteral("Das Update wurde abgebrochen."));
}

// Unpacks the firmware package into the stick's root, overwriting without a question.
// A result code from the archive library (already shown) leaves the run going with
// complete cleared; false when a member read back differently.
bool UpdateRun::unpackFirmware(bool& complete) {
    unzip::Plan plan;
    plan.mode = m_plan.root.isEmpty() ? unzip::Mode::List : unzip::Mode::Extract;
    plan.overwriteWithoutAsking = true;
    plan.recreateFolders = true;
    const qint64 room = freeBytes();
    m_.view.showRunStatus(QStringLiteral("Firmware wird entpackt..."),
                          QStringLiteral("Firmware wird entpackt."));
    const int code =
        m_.extraction.extract(m_.stick.packagePath(m_plan.firmFile), m_plan.root, plan, room,
                              [this](int done, int total) { m_.view.showRunProgress(done, total); });
    m_.view.hideRunProgress();
    if (code != 0) {
        complete = false;
        return true;
    }
    m_written << m_.extraction.extractedFiles();
    const QStringList damaged = m_.extraction.verifyExtracted();
    if (damaged.isEmpty())
        return true;
    report(
        QStringLiteral("Update fehlgeschlagen"),
        {QStringLiteral("Die Datei „%1“ wurde auf dem USB-Stick fehlerhaft gespeichert.")
             .arg(QDir::toNativeSeparators(damaged.first())),
         QStringLiteral("Der USB-Stick ist möglicherweise defekt. Verwenden Sie einen anderen USB-Stick.")});
    return false;
}

// The bytes this user may still write onto the stick; 0 when it cannot be measured.
qint64 UpdateRun::freeBytes() const {
    const std::optional<platform::DiskSpace> space = m_.drives.diskSpace(m_plan.root);
    if (!space)
        return 0;
    return qint64(std::min<std::uint64_t>(space->availableBytes, std::numeric_limits<qint64>::max()));
}

void UpdateRun::report(const QString& title, std::initializer_list<QString> text) {
    m_.dialogs.messageBox(MessageIcon::Critical, MessageButtons::Ok, title, lines(text));
}

} // namespace norvane
