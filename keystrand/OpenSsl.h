#pragma once
// Keystrand's own OpenSSL library context: the default provider and the legacy one (MD4, DES,
// RC2, RC4, CAST) are loaded into it and nowhere else, so the process's default context keeps
// its own configuration.

#include <openssl/evp.h>

#include <memory>

namespace keystrand::ossl {

// The library's context; created on first use, lives for the process.
OSSL_LIB_CTX* context();
// Whether the legacy provider could be loaded into it.
bool legacyLoaded();

struct Free {
    void operator()(EVP_MD* p) const noexcept { EVP_MD_free(p); }
    void operator()(EVP_MD_CTX* p) const noexcept { EVP_MD_CTX_free(p); }
    void operator()(EVP_CIPHER* p) const noexcept { EVP_CIPHER_free(p); }
    void operator()(EVP_CIPHER_CTX* p) const noexcept { EVP_CIPHER_CTX_free(p); }
    void operator()(EVP_PKEY_CTX* p) const noexcept { EVP_PKEY_CTX_free(p); }
};
using Md = std::unique_ptr<EVP_MD, Free>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, Free>;
using Cipher = std::unique_ptr<EVP_CIPHER, Free>;
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, Free>;
using PkeyCtx = std::unique_ptr<EVP_PKEY_CTX, Free>;
// Keys are shared between key objects and key containers.
using Pkey = std::shared_ptr<EVP_PKEY>;
Pkey adopt(EVP_PKEY* key);

// Fetched from the library's context; null when this machine's OpenSSL cannot do it.
Md fetchDigest(const char* name);
Cipher fetchCipher(const char* name);

}  // namespace keystrand::ossl
