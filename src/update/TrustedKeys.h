#pragma once
// The public keys the program trusts to sign a server's files: Ed25519 keys in PEM
// files, checked with OpenSSL's libcrypto.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

struct evp_pkey_st;

namespace norvane {

inline constexpr qsizetype kEd25519SignatureBytes = 64;

class TrustedKeys {
public:
    // Every "*.pem" file directly in folder that holds an Ed25519 public key. Files that
    // are no PEM, hold another kind of key, are larger than a key file can be, or
    // are not readable are skipped: one bad file does not cost the others.
    static TrustedKeys fromFolder(const QString& folder);
    // The Ed25519 public keys among the PEM texts, in the same way.
    static TrustedKeys fromPem(const QList<QByteArray>& pemTexts);

    qsizetype count() const { return qsizetype(m_keys.size()); }
    // True when the signature is exactly 64 bytes and one of the keys verifies it as
    // an Ed25519 signature of exactly these bytes.
    bool verify(QByteArrayView message, QByteArrayView signature) const;

private:
    void add(const QByteArray& pem);
    std::vector<std::shared_ptr<evp_pkey_st>> m_keys;
};

} // namespace norvane
