#pragma once
// The public keys the program trusts to sign a server's files: Ed25519 keys in PEM
// files, checked with OpenSSL's libcrypto.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct evp_pkey_st;

namespace norvane {

inline constexpr qsizetype kEd25519SignatureBytes = 64;

class TrustedKeys {
public:
    // Every file named "*.pem" (in exactly this case) in the program folder's keys/ that
    // holds an Ed25519 public key and that only root or the program folder's owner can
    // have put there (platform::readProtectedFolder): a regular file, not a link, in a
    // folder that is none either, neither writable by group or others. Every other
    // entry is skipped, named in skipped(): one bad file does not cost the others.
    // keys/servers belongs there too and is no key (SignedServers.h).
    static TrustedKeys fromProgramFolder(const QString& programFolder);
    // The Ed25519 public keys among the PEM texts, in the same way.
    static TrustedKeys fromPem(const QList<QByteArray>& pemTexts);

    qsizetype count() const { return qsizetype(m_keys.size()); }
    // "keys/<name>: <why>" for every entry of keys/ that is not taken, in English.
    const QStringList& skipped() const { return m_skipped; }
    // True when the signature is exactly 64 bytes and one of the keys verifies it as
    // an Ed25519 signature of exactly these bytes.
    bool verify(QByteArrayView message, QByteArrayView signature) const;

private:
    bool add(const QByteArray& pem);
    std::vector<std::shared_ptr<evp_pkey_st>> m_keys;
    QStringList m_skipped;
};

} // namespace norvane
