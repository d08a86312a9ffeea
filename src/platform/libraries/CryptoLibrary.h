#pragma once
// OpenSSL's libcrypto, loaded on the first digest or signature check instead of with the
// program. Linked directly, it is mapped and relocated before main, which delays the
// window; the first check comes with the update search, seconds after the window is on
// screen.

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace norvane {

// The functions of libcrypto the digests and signature checks call, typed by OpenSSL's own
// declarations.
struct CryptoLibrary {
    decltype(&BIO_new_mem_buf) bio_new_mem_buf = nullptr;
    decltype(&BIO_free) bio_free = nullptr;
    decltype(&ERR_clear_error) err_clear_error = nullptr;
    decltype(&PEM_read_bio_PUBKEY) pem_read_bio_pubkey = nullptr;
    decltype(&EVP_PKEY_get_id) evp_pkey_get_id = nullptr;
    decltype(&EVP_PKEY_free) evp_pkey_free = nullptr;
    decltype(&EVP_MD_CTX_new) evp_md_ctx_new = nullptr;
    decltype(&EVP_MD_CTX_free) evp_md_ctx_free = nullptr;
    decltype(&EVP_sha256) evp_sha256 = nullptr;
    decltype(&EVP_DigestInit_ex) evp_digest_init_ex = nullptr;
    decltype(&EVP_DigestUpdate) evp_digest_update = nullptr;
    decltype(&EVP_DigestFinal_ex) evp_digest_final_ex = nullptr;
    decltype(&EVP_DigestVerifyInit) evp_digest_verify_init = nullptr;
    decltype(&EVP_DigestVerify) evp_digest_verify = nullptr;
};

// libcrypto loaded once per process and safe from any thread; null when the library
// cannot be loaded or lacks one of the functions. Without it no digest is computed and
// no signature verifies.
const CryptoLibrary* cryptoLibrary();

} // namespace norvane
