#include "platform/libraries/CryptoLibrary.h"

#include "platform/libraries/LibraryFunction.h"

#include <QLibrary>

namespace norvane {

namespace {

using platform::resolveFunction;

// Never unloaded: keys loaded from it live as long as the program, and libcrypto cleans up
// its global state only when the process ends.
const CryptoLibrary* load() {
    static QLibrary library(QStringLiteral("crypto"), 3);
    if (!library.load())
        return nullptr;
    static CryptoLibrary crypto;
    const bool complete = resolveFunction(library, "BIO_new_mem_buf", crypto.bio_new_mem_buf) &&
                          resolveFunction(library, "BIO_free", crypto.bio_free) &&
                          resolveFunction(library, "ERR_clear_error", crypto.err_clear_error) &&
                          resolveFunction(library, "PEM_read_bio_PUBKEY", crypto.pem_read_bio_pubkey) &&
                          resolveFunction(library, "EVP_PKEY_get_id", crypto.evp_pkey_get_id) &&
                          resolveFunction(library, "EVP_PKEY_free", crypto.evp_pkey_free) &&
                          resolveFunction(library, "EVP_MD_CTX_new", crypto.evp_md_ctx_new) &&
                          resolveFunction(library, "EVP_MD_CTX_free", crypto.evp_md_ctx_free) &&
                          resolveFunction(library, "EVP_sha256", crypto.evp_sha256) &&
                          resolveFunction(library, "EVP_DigestInit_ex", crypto.evp_digest_init_ex) &&
                          resolveFunction(library, "EVP_DigestUpdate", crypto.evp_digest_update) &&
                          resolveFunction(library, "EVP_DigestFinal_ex", crypto.evp_digest_final_ex) &&
                          resolveFunction(library, "EVP_DigestVerifyInit", crypto.evp_digest_verify_init) &&
                          resolveFunction(library, "EVP_DigestVerify", crypto.evp_digest_verify);
    return complete ? &crypto : nullptr;
}

} // namespace

const CryptoLibrary* cryptoLibrary() {
    static const CryptoLibrary* const loaded = load();
    return loaded;
}

} // namespace norvane
