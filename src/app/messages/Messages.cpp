// The words of the update search, the signature checks and closing, and the one way
// from any failure value to its lines.

#include "app/messages/Messages.h"

#include "app/messages/MessageText.h"
#include "platform/Text.h"
#include "signature/ServerSignature.h"
#include "update/UpdateRunView.h"

namespace norvane::messages {

namespace {

// The signed list of a download server: a headline, then why.
QStringList signatureLines(const Failure& failure) {
    const QString mismatch =
        QStringLiteral("Die Dateien des Servers stimmen nicht mit ihrer Signatur überein.");
    switch (failure.kind) {
    case FailureKind::SignatureMissing:
        return {mismatch,
                QStringLiteral("Der Server hat seine Dateien bisher signiert, jetzt fehlt die Signatur.")};
    case FailureKind::SignatureRequired:
        return {mismatch,
                QStringLiteral("Der Server muss seine Dateien immer signieren, jetzt fehlt die Signatur.")};
    case FailureKind::SignatureRequiredBlind:
        return {mismatch, QStringLiteral("Solange die zuletzt geprüften Server nicht gelesen werden können, "
                                         "muss jeder Server seine Dateien signieren.")};
    case FailureKind::SignatureIncomplete:
        return {mismatch, QStringLiteral("Die Signatur der Prüfsummenliste fehlt oder ist unvollständig.")};
    case FailureKind::SignatureUntrusted:
        return {mismatch, QStringLiteral("Kein vertrauenswürdiger Schlüssel bestätigt die Signatur.")};
    case FailureKind::SignedListDamaged:
        return {mismatch, QStringLiteral("Die Prüfsummenliste des Servers ist fehlerhaft.")};
    case FailureKind::SignedListOlder:
        return {QStringLiteral("Die Dateien des Servers sind älter als die zuletzt geprüften.")};
    case FailureKind::ServerFileMismatch:
        return {
            mismatch,
            QStringLiteral("Die Datei „%1“ stimmt nicht mit ihrer Prüfsumme überein.").arg(failure.subject)};
    case FailureKind::PackageMismatch:
        return {QStringLiteral("Das Paket „%1“ stimmt nicht mit der Signatur des Servers überein.")
                    .arg(failure.subject)};
    default:
        return {};
    }
}

} // namespace

Box noConnection(const Failure& why) {
    QString text = lines({"Es konnte keine Internet-Verbindung hergestellt werden!", "",
                          "Die Internet Updatefunktion kann nicht verwendet werden!",
                          "Prüfen Sie Ihren Internetanschluss und starten Sie das Programm später nochmal."});
    const QStringList note = failureLines(why);
    if (!note.isEmpty())
        text += NewLine + NewLine + note.join(NewLine);
    return {.title = QStringLiteral("Verbindungs-Fehler"), .text = text};
}

Box programOutdated() {
    return {.title = QStringLiteral("Version abgelaufen."),
            .text = lines({"Eine neue Version des Programmes ist verfügbar!", "",
                           "Installieren Sie die aktuelle Version des Programmes.",
                           "Die Updateseite wird automatisch geöffnet."})};
}

Box signedServersUnreadable(const QString& folder) {
    return {
        .icon = platform::MessageIcon::Warning,
        .title = QStringLiteral("Signaturprüfung"),
        .text = lines(
            {QStringLiteral("Die zuletzt geprüften Server können nicht aus dem Ordner „%1“ gelesen werden.")
                 .arg(folder),
             "", "Solange das so bleibt, muss jeder Server seine Dateien signieren.",
             "Wenn Sie den Ordner löschen, vergisst das Programm die geprüften Server und "
             "beginnt von vorn."})};
}

Box signedServersUnwritable(const QString& folder) {
    return {.icon = platform::MessageIcon::Warning,
            .title = QStringLiteral("Signaturprüfung"),
            .text = lines({QStringLiteral(
                               "Die geprüfte Signatur des Servers kann nicht im Ordner „%1“ vermerkt werden.")
                               .arg(folder),
                           "",
                           "Beim nächsten Start könnte eine ältere oder unsignierte Fassung der Dateien "
                           "nicht erkannt werden."})};
}

Box chooseReceiverFirst() {
    return {.icon = platform::MessageIcon::Information,
            .title = QString::fromLatin1(platform::kProgramTitle),
            .text = QStringLiteral("Bitte wählen Sie zuerst Ihren Receiver aus.")};
}

Box labelTooLong(const QString& title) {
    return {.icon = platform::MessageIcon::Information,
            .title = title,
            .text = QStringLiteral("maximale Länge der Datenträgerbezeichnung ist 11 Zeichen")};
}

PanelText signatureStatus(SignatureState state, bool withSerial, const Failure& why) {
    switch (state) {
    case SignatureState::Signed:
        return {QStringLiteral("Signiert"),
                withSerial ? QStringLiteral("Die Dateien des Servers sind signiert und wurden geprüft.")
                           : QStringLiteral("Die Dateien des Servers sind signiert und wurden geprüft "
                                            "(ohne Seriennummer).")};
    case SignatureState::Unsigned:
        return {QStringLiteral("Nicht signiert"), QStringLiteral("Der Server signiert seine Dateien nicht.")};
    case SignatureState::Refused:
        break;
    }
    // The headline of the refusal, as below the connection message.
    return {QStringLiteral("Nicht signiert"), failureLines(why).value(0)};
}

Box saveChangesQuestion(const QString& title) {
    return {.icon = platform::MessageIcon::Information,
            .buttons = platform::MessageButtons::YesNo,
            .title = title,
            .text = QStringLiteral("Sie haben Informationen abgeändert.\r\nWollen Sie speichern?")};
}

PanelText downloadStatus(PackageKind kind, int dots) {
    const QString grown(dots, u'.');
    if (kind == PackageKind::Firmware)
        return {QStringLiteral("Firmware-Update ") + grown, QStringLiteral("Firmwareupdate läuft...")};
    return {QStringLiteral("Settings-Update ") + grown, QStringLiteral("Settingsupdate läuft...")};
}

QStringList failureLines(const Failure& failure) {
    switch (failure.kind) {
    case FailureKind::None:
        return {};
    case FailureKind::SignatureMissing:
    case FailureKind::SignatureRequired:
    case FailureKind::SignatureRequiredBlind:
    case FailureKind::SignatureIncomplete:
    case FailureKind::SignatureUntrusted:
    case FailureKind::SignedListDamaged:
    case FailureKind::SignedListOlder:
    case FailureKind::ServerFileMismatch:
    case FailureKind::PackageMismatch:
        return signatureLines(failure);
    // Writing to the stick, downloads and the update run
    case FailureKind::StickLink:
    case FailureKind::StickNameTooLong:
    case FailureKind::StickNoSpace:
    case FailureKind::StickReadOnly:
    case FailureKind::StickGone:
    case FailureKind::StickNotAFile:
    case FailureKind::StickBadName:
    case FailureKind::StickNameClash:
    case FailureKind::StickDamaged:
    case FailureKind::StickOther:
        return stickFailureLines(failure);
    case FailureKind::DownloadNoConnection:
    case FailureKind::DownloadHttpStatus:
    case FailureKind::DownloadInterrupted:
    case FailureKind::DownloadStalled:
    case FailureKind::DownloadTooLarge:
    case FailureKind::DownloadWrite:
    case FailureKind::DownloadOutOfMemory:
    case FailureKind::DownloadCancelled:
    case FailureKind::DownloadEmpty:
    case FailureKind::DownloadDigestMismatch:
        return {downloadReason(failure)};
    case FailureKind::ArchiveFailed:
    case FailureKind::UpdateBelowMinimum:
    case FailureKind::UpdateNeedsRoom:
    case FailureKind::UpdateNoConnection:
    case FailureKind::UpdateProgramFileMissing:
        return runFailureBox(failure, RunEnd::NotStarted).text.split(NewLine);
    case FailureKind::EjectBusy:
    case FailureKind::EjectFailed:
    case FailureKind::EjectTableUnwritable:
    case FailureKind::EjectNotOffered:
        return ejectFailureLines(failure);
    }
    return {};
}

} // namespace norvane::messages
