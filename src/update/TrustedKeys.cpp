#include "update/TrustedKeys.h"

#include "platform/Files.h"

#include <QDir>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace norvane {

namespace {

// A PEM public key is a few hundred bytes; anything much larger is no key file.
constexpr qint64 kKeyFileLimit = 16 * 1024;
constexpr int kMaxKeyFiles = 64;

} // namespace

TrustedKeys TrustedKeys::fromFolder(const QString& folder) {
    QList<QByteArray> texts;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*.pem")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names.mid(0, kMaxKeyFiles)) {
        if (const auto text = platform::readWholeFile(QDir(folder).filePath(name), kKeyFileLimit))
            texts << *text;
    }
    return fromPem(texts);
}

TrustedKeys TrustedKeys::fromPem(const QList<QByteArray>& pemTexts) {
    TrustedKeys keys;
    for (const QByteArray& pem : pemTexts)
        keys.add(pem);
    return keys;
}

void TrustedKeys::add(const QByteArray& pem) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.constData(), int(pem.size())),
                                                  &BIO_free);
    EVP_PKEY* key = bio ? PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    // A failed parse leaves its reasons queued; they belong to nobody.
    ERR_clear_error();
    if (key == nullptr)
        return;
    if (EVP_PKEY_get_id(key) != EVP_PKEY_ED25519) {
        EVP_PKEY_free(key);
        return;
    }
    m_keys.emplace_back(key, &EVP_PKEY_free);
}

bool TrustedKeys::verify(QByteArrayView message, QByteArrayView signature) const {
    if (signature.size() != kEd25519SignatureBytes)
        return false;
    for (const std::shared_ptr<evp_pkey_st>& key : m_keys) {
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
        // Ed25519 hashes the message itself: no digest is named, and it is verified in one call.
        const bool valid =
            context && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
            EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                             std::size_t(signature.size()),
                             reinterpret_cast<const unsigned char*>(message.data()),
                             std::size_t(message.size())) == 1;
        ERR_clear_error();
        if (valid)
            return true;
    }
    return false;
}

} // namespace norvane
