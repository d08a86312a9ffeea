#pragma once
// SHA-256 from OpenSSL's libcrypto, fed piece by piece as a body arrives.

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>

struct evp_md_ctx_st;

namespace norvane {

struct CryptoLibrary;

inline constexpr qsizetype kSha256Bytes = 32;

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(const char* data, std::size_t size);
    // The 32 raw bytes of the digest of everything added; empty when libcrypto failed or
    // could not be loaded.
    // Ends the hashing: call once.
    QByteArray finish();

    static QByteArray of(QByteArrayView bytes);

private:
    const CryptoLibrary* m_crypto;
    evp_md_ctx_st* m_context;
    bool m_failed = false;
};

} // namespace norvane
