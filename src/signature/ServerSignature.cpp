#include "signature/ServerSignature.h"

#include "signature/Sha256.h"

namespace norvane {

namespace {

SignatureCheck refused(FailureKind kind) {
    return {SignatureState::Refused, {}, {kind}};
}

FailureKind missingSignature(ServerHistory::MustSign why) {
    switch (why) {
    case ServerHistory::MustSign::Listed:
        return FailureKind::SignatureRequired;
    case ServerHistory::MustSign::MemoryUnreadable:
        return FailureKind::SignatureRequiredBlind;
    case ServerHistory::MustSign::No:
    case ServerHistory::MustSign::SeenSigned:
        break;
    }
    return FailureKind::SignatureMissing;
}

} // namespace

SignatureCheck checkServerSignature(const QByteArray& manifest, const QByteArray& signature,
                                    const TrustedKeys& keys, const ServerHistory& history) {
    if (manifest.isEmpty()) {
        if (history.mustSign != ServerHistory::MustSign::No)
            return refused(missingSignature(history.mustSign));
        return {SignatureState::Unsigned, {}, {}};
    }
    if (signature.size() != kEd25519SignatureBytes)
        return refused(FailureKind::SignatureIncomplete);
    if (!keys.verify(manifest, signature))
        return refused(FailureKind::SignatureUntrusted);
    std::optional<Manifest> parsed = parseManifest(manifest);
    if (!parsed)
        return refused(FailureKind::SignedListDamaged);
    // Once a server's lists carry a serial, one without is as old as the first of them.
    if (history.serial && (!parsed->serial || *parsed->serial < *history.serial))
        return refused(FailureKind::SignedListOlder);
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

} // namespace norvane
