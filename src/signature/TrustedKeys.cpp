#include "signature/TrustedKeys.h"

#include "platform/libraries/CryptoLibrary.h"
#include "platform/process/ProgramFolder.h"

namespace norvane {

namespace {

// A PEM public key is a few hundred bytes; anything much larger is no key file.
constexpr qint64 kKeyFileLimit = 16 * 1024;
constexpr int kMaxKeyFiles = 64;

// "*.pem" exactly: "KEY.PEM" or ".pem" alone are no key files.
bool isKeyFileName(const QString& name) {
    return name.endsWith(QLatin1String(".pem")) && name.size() > 4;
}

QString unwantedReason(const QString& name) {
    if (isKeyFileName(name))
        return QStringLiteral("more than %1 key files").arg(kMaxKeyFiles);
    if (name.endsWith(QLatin1String(".pem"), Qt::CaseInsensitive))
        return QStringLiteral("not named *.pem in lower case");
    return QStringLiteral("not named *.pem");
}

} // namespace

TrustedKeys TrustedKeys::fromProgramFolder(const QString& programFolder) {
    int keyFiles = 0;
    const auto wanted = [&](const QString& name) {
        return isKeyFileName(name) && ++keyFiles <= kMaxKeyFiles;
    };
    TrustedKeys keys;
    for (const platform::ProtectedFile& file :
         platform::readProtectedFolder(programFolder, QStringLiteral("keys"), kKeyFileLimit, wanted)) {
        QString refusal = file.refusal;
        if (refusal == QLatin1String("not wanted")) {
            if (file.name == QLatin1String("servers"))
                continue; // the servers that must sign, read on their own
            refusal = unwantedReason(file.name);
        } else if (refusal.isEmpty() && !keys.add(file.bytes)) {
            refusal = QStringLiteral("no Ed25519 public key");
        }
        if (!refusal.isEmpty())
            keys.m_skipped << QStringLiteral("keys/%1: %2").arg(file.name, refusal);
    }
    return keys;
}

TrustedKeys TrustedKeys::fromPem(const QList<QByteArray>& pemTexts) {
    TrustedKeys keys;
    for (const QByteArray& pem : pemTexts)
        keys.add(pem);
    return keys;
}

// Without libcrypto no key is taken, so nothing verifies.
bool TrustedKeys::add(const QByteArray& pem) {
    const CryptoLibrary* crypto = cryptoLibrary();
    if (crypto == nullptr)
        return false;
    std::unique_ptr<BIO, decltype(crypto->bio_free)> bio(
        crypto->bio_new_mem_buf(pem.constData(), int(pem.size())), crypto->bio_free);
    EVP_PKEY* key = bio ? crypto->pem_read_bio_pubkey(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    // A failed parse leaves its reasons queued; they belong to nobody.
    crypto->err_clear_error();
    if (key == nullptr)
        return false;
    if (crypto->evp_pkey_get_id(key) != EVP_PKEY_ED25519) {
        crypto->evp_pkey_free(key);
        return false;
    }
    m_keys.emplace_back(key, crypto->evp_pkey_free);
    return true;
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
