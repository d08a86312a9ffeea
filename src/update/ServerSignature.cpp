#include "update/ServerSignature.h"

#include "update/Sha256.h"

namespace norvane {

namespace {

SignatureCheck refused(const QString& reason) {
    return {SignatureState::Refused, {}, reason};
}

} // namespace

SignatureCheck checkServerSignature(const QByteArray& manifest, const QByteArray& signature,
                                    const TrustedKeys& keys, bool seenSigned) {
    if (manifest.isEmpty()) {
        if (seenSigned)
            return refused(
                QStringLiteral("Der Server hat seine Dateien bisher signiert, jetzt fehlt die Signatur."));
        return {SignatureState::Unsigned, {}, {}};
    }
    if (signature.size() != kEd25519SignatureBytes)
        return refused(QStringLiteral("Die Signatur der Prüfsummenliste fehlt oder ist unvollständig."));
    if (!keys.verify(manifest, signature))
        return refused(QStringLiteral("Kein vertrauenswürdiger Schlüssel bestätigt die Signatur."));
    std::optional<Manifest> parsed = parseManifest(manifest);
    if (!parsed)
        return refused(QStringLiteral("Die Prüfsummenliste des Servers ist fehlerhaft."));
    return {SignatureState::Signed, std::move(*parsed), {}};
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

QString packageMismatchText(const QString& package) {
    return QStringLiteral("Das Paket „%1“ stimmt nicht mit der Signatur des Servers überein.").arg(package);
}

} // namespace norvane
