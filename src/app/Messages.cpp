#include "app/Messages.h"

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
    default:
        break;
    }
    return {};
}

} // namespace norvane::messages
