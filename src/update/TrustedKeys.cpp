#include "update/TrustedKeys.h"

#include "platform/Files.h"
#include "update/CryptoLibrary.h"

#include <QDir>

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

// Without libcrypto no key is taken, so nothing verifies.
void TrustedKeys::add(const QByteArray& pem) {
    const CryptoLibrary* crypto = cryptoLibrary();
    if (crypto == nullptr)
        return;
    std::unique_ptr<BIO, decltype(crypto->bio_free)> bio(
        crypto->bio_new_mem_buf(pem.constData(), int(pem.size())), crypto->bio_free);
    EVP_PKEY* key = bio ? crypto->pem_read_bio_pubkey(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    // A failed parse leaves its reasons queued; they belong to nobody.
    crypto->err_clear_error();
    if (key == nullptr)
        return;
    if (crypto->evp_pkey_get_id(key) != EVP_PKEY_ED25519) {
        crypto->evp_pkey_free(key);
        return;
    }
    m_keys.emplace_back(key, crypto->evp_pkey_free);
}

bool TrustedKeys::verify(QByteArrayView message, QByteArrayView signature) const {
    const CryptoLibrary* crypto = cryptoLibrary();
    if (crypto == nullptr || signature.size() != kEd25519SignatureBytes)
        return false;
    for (const std::shared_ptr<evp_pkey_st>& key : m_keys) {
        std::unique_ptr<EVP_MD_CTX, decltype(crypto->evp_md_ctx_free)> context(crypto->evp_md_ctx_new(),
                                                                               crypto->evp_md_ctx_free);
        // Ed25519 hashes the message itself: no digest is named, and it is verified in one call.
        const bool valid =
            context &&
            crypto->evp_digest_verify_init(context.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
            crypto->evp_digest_verify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                                      std::size_t(signature.size()),
                                      reinterpret_cast<const unsigned char*>(message.data()),
                                      std::size_t(message.size())) == 1;
        crypto->err_clear_error();
        if (valid)
            return true;
    }
    return false;
}

} // namespace norvane
