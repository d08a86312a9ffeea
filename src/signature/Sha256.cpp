#include "signature/Sha256.h"

#include "platform/libraries/CryptoLibrary.h"

namespace norvane {

Sha256::Sha256()
    : m_crypto(cryptoLibrary()), m_context(m_crypto != nullptr ? m_crypto->evp_md_ctx_new() : nullptr) {
    m_failed =
        m_context == nullptr || m_crypto->evp_digest_init_ex(m_context, m_crypto->evp_sha256(), nullptr) != 1;
}

Sha256::~Sha256() {
    if (m_context != nullptr)
        m_crypto->evp_md_ctx_free(m_context);
}

void Sha256::add(const char* data, std::size_t size) {
    if (!m_failed && size > 0)
        m_failed = m_crypto->evp_digest_update(m_context, data, size) != 1;
}

QByteArray Sha256::finish() {
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int length = 0;
    if (m_failed ||
        m_crypto->evp_digest_final_ex(m_context, reinterpret_cast<unsigned char*>(digest.data()), &length) !=
            1 ||
        length != kSha256Bytes) {
        m_failed = true;
        return {};
    }
    m_failed = true; // the context is spent
    digest.truncate(length);
    return digest;
}

QByteArray Sha256::of(QByteArrayView bytes) {
    Sha256 hash;
    hash.add(bytes.data(), static_cast<std::size_t>(bytes.size()));
    return hash.finish();
}

} // namespace norvane
