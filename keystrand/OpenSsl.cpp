#include "OpenSsl.h"

#include <openssl/provider.h>

namespace keystrand::ossl {

namespace {
struct Loaded {
    OSSL_LIB_CTX* ctx = nullptr;
    bool legacy = false;
    Loaded() {
        ctx = OSSL_LIB_CTX_new();
        OSSL_PROVIDER_load(ctx, "default");
        legacy = OSSL_PROVIDER_load(ctx, "legacy") != nullptr;
    }
};
const Loaded& loaded() {
    static const Loaded l;   // never freed: objects may still use it at process exit
    return l;
}
}  // namespace

OSSL_LIB_CTX* context() { return loaded().ctx; }
bool legacyLoaded() { return loaded().legacy; }

Pkey adopt(EVP_PKEY* key) { return Pkey(key, [](EVP_PKEY* p) { EVP_PKEY_free(p); }); }

Md fetchDigest(const char* name) { return Md(EVP_MD_fetch(context(), name, nullptr)); }
Cipher fetchCipher(const char* name) { return Cipher(EVP_CIPHER_fetch(context(), name, nullptr)); }

}  // namespace keystrand::ossl
