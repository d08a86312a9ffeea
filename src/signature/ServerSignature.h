#pragma once
// Whether the answer of a download server may be used: the signed list of digests
// (Manifest.h) checked against the trusted keys and the server's history.
//
//   no list, server need not sign         unsigned: used as the server files always were
//   list with a signature a key verifies  signed: every file must match its digest
//   the same, but an older serial         refused: a replayed older folder
//   anything else                         refused: a list without a valid signature,
//                                         a list that breaks the format, or no list
//                                         from a server that must sign (SignedServers.h)

#include "platform/Failure.h"
#include "signature/Manifest.h"
#include "signature/SignedServers.h"
#include "signature/TrustedKeys.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace norvane {

enum class SignatureState { Unsigned, Signed, Refused };

struct SignatureCheck {
    SignatureState state = SignatureState::Refused;
    Manifest manifest; // the verified list when Signed
    Failure failure;   // why, when Refused
};

// manifest and signature are the bodies fetched; empty when the server had none
// (or they could not be fetched: a stripped file looks the same).
SignatureCheck checkServerSignature(const QByteArray& manifest, const QByteArray& signature,
                                    const TrustedKeys& keys, const ServerHistory& history);

// The name of the first file whose bytes do not have the digest the list gives it
// (a file the list does not name counts as not matching); empty when all match.
QString firstMismatch(const Manifest& manifest, const QList<QPair<QString, QByteArray>>& files);

} // namespace norvane
