#include "support/SigningKey.h"

#include <QCryptographicHash>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <stdexcept>

namespace norvane::test {

SigningKey::SigningKey() : m_key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), &EVP_PKEY_free) {
    if (!m_key)
        throw std::runtime_error("no Ed25519 key");
}

QByteArray SigningKey::publicPem() const {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    PEM_write_bio_PUBKEY(bio.get(), m_key.get());
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, size);
}

QByteArray SigningKey::sign(const QByteArray& message) const {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    QByteArray signature(64, '\0');
    std::size_t size = std::size_t(signature.size());
    if (EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, m_key.get()) != 1 ||
        EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size,
                       reinterpret_cast<const unsigned char*>(message.constData()),
                       std::size_t(message.size())) != 1)
        throw std::runtime_error("signing failed");
    return signature;
}

QByteArray manifestOf(const QList<QPair<QString, QByteArray>>& files) {
    QByteArray text;
    for (const auto& [name, bytes] : files)
        text +=
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + "  " + name.toUtf8() + "\n";
    return text;
}

} // namespace norvane::test
