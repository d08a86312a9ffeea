// The words of writing to the stick, the downloads, the update run and the archive
// extraction.

#include "app/messages/MessageText.h"
#include "app/messages/Messages.h"
#include "platform/Text.h"
#include "update/StagedUpdate.h"
#include "update/UpdateRunView.h"

#include <QDir>

namespace norvane::messages {

namespace {

QString quoted(const QString& name) {
    return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(name));
}

QString nothingChanged() {
    return QStringLiteral("Auf dem USB-Stick wurde nichts verändert.");
}

const QString kUpdateFailed = QStringLiteral("Update fehlgeschlagen");
const QString kTooLittleRoom = QStringLiteral("Zuwenig Speicher verfügbar !");

} // namespace

QStringList stickFailureLines(const Failure& failure) {
    const QString& name = failure.subject;
    const QString& other = failure.other;
    const QString file = quoted(name);
    switch (failure.kind) {
    case FailureKind::StickLink:
        return {QStringLiteral("%1 auf dem USB-Stick ist eine Verknüpfung auf eine andere Stelle.").arg(file),
                QStringLiteral("Aus Sicherheitsgründen wird sie nicht überschrieben. Entfernen Sie die "
                               "Verknüpfung vom USB-Stick und versuchen Sie es nochmal.")};
    case FailureKind::StickNameTooLong:
        return {QStringLiteral("Der Name %1 ist für das Dateisystem des USB-Sticks zu lang.").arg(file),
                QStringLiteral("Die Datei wurde nicht geschrieben.")};
    case FailureKind::StickBadName:
        return {QStringLiteral("Der Name %1 ist auf dem USB-Stick nicht erlaubt.").arg(file),
                QStringLiteral("FAT erlaubt in Namen keines der Zeichen : * ? \" < > | und keinen Punkt "
                               "und kein Leerzeichen am Ende. Es wurde nichts entpackt.")};
    case FailureKind::StickNameClash:
        if (name != other && name.toCaseFolded() == other.toCaseFolded())
            return {
                QStringLiteral("Die Namen %1 und %2 unterscheiden sich nur in der Groß- und "
                               "Kleinschreibung.")
                    .arg(file, quoted(other)),
                QStringLiteral("Auf dem USB-Stick wären beide dieselbe Datei. Es wurde nichts entpackt.")};
        return {QStringLiteral("Das Archiv enthält %1 und %2, die auf dem USB-Stick derselbe Name wären.")
                    .arg(file, quoted(other)),
                QStringLiteral("Auf dem USB-Stick wären beide dieselbe Datei. Es wurde nichts entpackt.")};
    case FailureKind::StickNoSpace:
        return {QStringLiteral("Auf dem USB-Stick ist nicht genügend Speicherplatz für %1.").arg(file),
                QStringLiteral("Löschen Sie unbenötigte Daten und versuchen Sie es nochmal.")};
    case FailureKind::StickReadOnly:
        return {QStringLiteral("Der USB-Stick ist schreibgeschützt: %1 konnte nicht geschrieben werden.")
                    .arg(file),
                QStringLiteral("Heben Sie den Schreibschutz auf und versuchen Sie es nochmal.")};
    case FailureKind::StickGone:
        if (name.isEmpty())
            return {
                QStringLiteral("Der USB-Stick wurde während des Updates entfernt."),
                QStringLiteral("Stecken Sie den USB-Stick wieder ein und starten Sie das Update nochmal.")};
        return {QStringLiteral("Der USB-Stick wurde während des Updates entfernt: %1 konnte nicht "
                               "geschrieben werden.")
                    .arg(file),
                QStringLiteral("Stecken Sie den USB-Stick wieder ein und starten Sie das Update nochmal.")};
    case FailureKind::StickNotAFile:
        return {QStringLiteral("Auf dem USB-Stick steht ein Ordner, wo die Datei %1 hingehört.").arg(file),
                QStringLiteral("Entfernen Sie den Ordner und versuchen Sie es nochmal.")};
    case FailureKind::StickDamaged:
        return {QStringLiteral("Die Datei %1 wurde auf dem USB-Stick fehlerhaft gespeichert.").arg(file),
                QStringLiteral(
                    "Der USB-Stick ist möglicherweise defekt. Verwenden Sie einen anderen USB-Stick.")};
    default:
        break;
    }
    return {QStringLiteral("Die Datei %1 konnte nicht auf den USB-Stick geschrieben werden.").arg(file),
            QStringLiteral("Prüfen Sie den USB-Stick und versuchen Sie es nochmal.")};
}

QString downloadReason(const Failure& failure) {
    switch (failure.kind) {
    case FailureKind::None:
        return {};
    case FailureKind::DownloadNoConnection:
        return QStringLiteral("Keine Verbindung zum Server.");
    case FailureKind::DownloadHttpStatus:
        return QStringLiteral("Der Server meldet den Fehler %1.").arg(failure.code);
    case FailureKind::DownloadInterrupted:
        return QStringLiteral("Die Verbindung wurde unterbrochen.");
    case FailureKind::DownloadStalled:
        return QStringLiteral("Der Server antwortet nicht.");
    case FailureKind::DownloadTooLarge:
        return QStringLiteral("Die Datei ist größer als der freie Speicherplatz.");
    case FailureKind::DownloadWrite:
        return QStringLiteral("Die Datei konnte nicht geschrieben werden.");
    case FailureKind::DownloadOutOfMemory:
        return QStringLiteral("Nicht genügend Arbeitsspeicher.");
    case FailureKind::DownloadCancelled:
        return QStringLiteral("Der Download wurde abgebrochen.");
    case FailureKind::DownloadEmpty:
        return QStringLiteral("Der Server hat eine leere Datei geschickt.");
    case FailureKind::DownloadDigestMismatch:
        return QStringLiteral("Die Datei stimmt nicht mit der Signatur des Servers überein.");
    default:
        break;
    }
    return stickFailureLines(failure).join(u' ');
}

Box confirmUpdateBox(const QString& firmName, const QString& settName) {
    return {platform::MessageIcon::None, platform::MessageButtons::OkCancel,
            QStringLiteral("Wollen Sie updaten ?"),
            QStringList{QStringLiteral("Sie haben folgende Update Optionen gewählt:"),
                        QStringLiteral("Receiver: Norvane ") + firmName,
                        QStringLiteral("Settings: ") + settName, QString(),
                        QStringLiteral("Updaten mit OK ?")}
                .join(NewLine)};
}

Box runFailureBox(const Failure& failure, RunEnd end) {
    QString title = kUpdateFailed;
    QStringList text;
    switch (failure.kind) {
    case FailureKind::UpdateBelowMinimum:
        title = kTooLittleRoom;
        text = {QStringLiteral("Sie benötigen mindestens 5 MB freien Speicherplatz am USB-Stick!"),
                QStringLiteral("Löschen Sie unbenötigte Daten und versuchen Sie es nochmal.")};
        break;
    case FailureKind::UpdateNeedsRoom:
        title = kTooLittleRoom;
        text = {QStringLiteral("Für dieses Update werden %1 MB freier Speicherplatz am USB-Stick benötigt.")
                    .arg(failure.code)};
        break;
    case FailureKind::UpdateNoConnection:
        title = QStringLiteral("Verbindungs-Fehler");
        text = {QStringLiteral("Es konnte keine Verbindung hergestellt werden!"),
                QStringLiteral("Prüfen Sie Ihre Internetverbindung oder versuchen es später nochmal.")};
        break;
    case FailureKind::PackageMismatch:
        title = QStringLiteral("Update abgebrochen");
        text = failureLines(failure);
        break;
    case FailureKind::UpdateProgramFileMissing:
        text = {QStringLiteral("Die Datei %1 fehlt im Programmordner.").arg(quoted(failure.subject)),
                QStringLiteral("Installieren Sie das Programm neu.")};
        break;
    case FailureKind::ArchiveFailed:
        text = {QStringLiteral("Das Firmware-Paket „%1“ konnte nicht entpackt werden (Fehler %2).")
                    .arg(failure.subject)
                    .arg(failure.code)};
        break;
    default:
        text = stickFailureLines(failure);
        break;
    }
    if (end == RunEnd::NothingChanged)
        text << nothingChanged();
    if (end == RunEnd::CompletedLater) {
        title = QStringLiteral("Update unvollständig");
        text << QStringLiteral("Das Update wird beim nächsten Einstecken des USB-Sticks abgeschlossen.");
    }
    return {.title = title, .text = text.join(NewLine)};
}

Box downloadFailedBox(const QString& package, const Failure& failure) {
    return {.title = QStringLiteral("Download fehlgeschlagen"),
            .text = QStringList{QStringLiteral("Das Paket „%1“ konnte nicht geladen werden.").arg(package),
                                downloadReason(failure), nothingChanged()}
                        .join(NewLine)};
}

Box updateDoneBox() {
    return {platform::MessageIcon::None, platform::MessageButtons::Ok, QStringLiteral("Update erfolgreich"),
            QStringList{QStringLiteral("Update abgeschlossen"), QString(),
                        QStringLiteral("Dieser Service wird KOSTENLOS zur Verfügung gestellt von"),
                        QStringLiteral("TELVANO AUSTRIA - www.norvane.de")}
                    .join(NewLine) +
                NewLine + NewLine};
}

PanelText runPhaseStatus(RunPhase phase) {
    switch (phase) {
    case RunPhase::Unpacking:
        return {QStringLiteral("Firmware wird entpackt..."), QStringLiteral("Firmware wird entpackt.")};
    case RunPhase::Staged:
        return {QStringLiteral("Update abgeschlossen"), QStringLiteral("Update abgeschlossen.")};
    case RunPhase::Cancelled:
        break;
    }
    return {QStringLiteral("Update abgebrochen"), QStringLiteral("Das Update wurde abgebrochen.")};
}

QString recoveryText(const Recovery& recovery) {
    QStringList said;
    if (recovery.completed > 0)
        said << QStringLiteral("Ein unterbrochenes Update wurde auf dem USB-Stick abgeschlossen.");
    else if (recovery.discarded)
        said << QStringLiteral("Reste eines abgebrochenen Updates wurden vom USB-Stick entfernt.");
    if (recovery.strays > 0)
        said << QStringLiteral("%1 unvollständige Dateien früherer Updates wurden entfernt.")
                    .arg(recovery.strays);
    return said.join(u' ');
}

Box unzipReplaceBox(const QString& fileName) {
    return {platform::MessageIcon::Warning, platform::MessageButtons::YesNoCancel,
            QStringLiteral("VBUnZip32 - File Already Exists!"),
            QStringLiteral("Overwrite ") + fileName + u'?'};
}

QString unzipPasswordPrompt() {
    return QStringLiteral("Please Enter The Password!");
}

Box unzipResultBox(int code) {
    return {platform::MessageIcon::None, platform::MessageButtons::Ok,
            QString::fromUtf8(platform::kProgramTitle), QString::number(code)};
}

} // namespace norvane::messages
