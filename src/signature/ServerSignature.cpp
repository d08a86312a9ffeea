#include "signature/ServerSignature.h"

#include "signature/Sha256.h"

namespace norvane {

namespace {

SignatureCheck refused(const QString& reason) {
    return {SignatureState::Refused, {}, serverFilesMismatchNote(), reason};
}

QString missingSignatureReason(ServerHistory::MustSign why) {
    switch (why) {
    case ServerHistory::MustSign::Listed:
        return QStringLiteral("Der Server muss seine Dateien immer signieren, jetzt fehlt die Signatur.");
    case ServerHistory::MustSign::MemoryUnreadable:
        return QStringLiteral("Solange die zuletzt geprüften Server nicht gelesen werden können, "
                              "muss jeder Server seine Dateien signieren.");
    case ServerHistory::MustSign::No:
    case ServerHistory::MustSign::SeenSigned:
        break;
    }
    return QStringLiteral("Der Server hat seine Dateien bisher signiert, jetzt fehlt die Signatur.");
}

} // namespace

SignatureCheck checkServerSignature(const QByteArray& manifest, const QByteArray& signature,
                                    const TrustedKeys& keys, const ServerHistory& history) {
    if (manifest.isEmpty()) {
        if (history.mustSign != ServerHistory::MustSign::No)
            return refused(missingSignatureReason(history.mustSign));
        return {SignatureState::Unsigned, {}, {}, {}};
    }
    if (signature.size() != kEd25519SignatureBytes)
        return refused(QStringLiteral("Die Signatur der Prüfsummenliste fehlt oder ist unvollständig."));
    if (!keys.verify(manifest, signature))
        return refused(QStringLiteral("Kein vertrauenswürdiger Schlüssel bestätigt die Signatur."));
    std::optional<Manifest> parsed = parseManifest(manifest);
    if (!parsed)
        return refused(QStringLiteral("Die Prüfsummenliste des Servers ist fehlerhaft."));
    // Once a server's lists carry a serial, one without is as old as the first of them.
    if (history.serial && (!parsed->serial || *parsed->serial < *history.serial))
        return {SignatureState::Refused, {}, olderServerFilesNote(), {}};
    return {SignatureState::Signed, std::move(*parsed), {}, {}};
}

QString firstMismatch(const Manifest& manifest, const QList<QPair<QString, QByteArray>>& files) {
    for (const auto& [name, bytes] : files) {
        const std::optional<QByteArray> digest = manifest.digestOf(name);
        if (!digest || *digest != Sha256::of(bytes))
            return name;
    }
    return {};
}

QString serverFilesMismatchNote() {
    return QStringLiteral("Die Dateien des Servers stimmen nicht mit ihrer Signatur überein.");
}

QString olderServerFilesNote() {
    return QStringLiteral("Die Dateien des Servers sind älter als die zuletzt geprüften.");
}

QString packageMismatchText(const QString& package) {
    return QStringLiteral("Das Paket „%1“ stimmt nicht mit der Signatur des Servers überein.").arg(package);
}

} // namespace norvane
