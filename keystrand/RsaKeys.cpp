#include "RsaKeys.h"

#include "Enumerations.h"
#include "Errors.h"

#include <openssl/core_names.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>

namespace keystrand::rsa {

using namespace blob;

namespace {

constexpr std::uint32_t kPublicMagic = 0x31415352;    // "RSA1"
constexpr std::uint32_t kPrivateMagic = 0x32415352;   // "RSA2"

ossl::Pkey fromParams(const BIGNUM* n, const BIGNUM* e, const BIGNUM* d, const BIGNUM* p, const BIGNUM* q,
                      const BIGNUM* dp, const BIGNUM* dq, const BIGNUM* qi) {
    std::unique_ptr<OSSL_PARAM_BLD, decltype(&OSSL_PARAM_BLD_free)> bld(OSSL_PARAM_BLD_new(), OSSL_PARAM_BLD_free);
    if (!bld) fail(code::NoMemory);
    OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_N, n);
    OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_E, e);
    if (d) {
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_D, d);
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_FACTOR1, p);
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_FACTOR2, q);
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_EXPONENT1, dp);
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_EXPONENT2, dq);
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_COEFFICIENT1, qi);
    }
    std::unique_ptr<OSSL_PARAM, decltype(&OSSL_PARAM_free)> params(OSSL_PARAM_BLD_to_param(bld.get()), OSSL_PARAM_free);
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_name(ossl::context(), "RSA", nullptr));
    EVP_PKEY* key = nullptr;
    if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1 ||
        EVP_PKEY_fromdata(ctx.get(), &key, d ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY, params.get()) != 1)
        fail(code::BadData);
    return ossl::adopt(key);
}

}  // namespace

ossl::Pkey generate(int bits) {
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_name(ossl::context(), "RSA", nullptr));
    EVP_PKEY* key = nullptr;
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 || EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), bits) != 1 ||
        EVP_PKEY_generate(ctx.get(), &key) != 1)
        fail(code::InternalFailure);
    return ossl::adopt(key);
}

Bytes blobBody(EVP_PKEY* key, bool withPrivate) {
    const int keyBits = EVP_PKEY_get_bits(key);
    const std::size_t len = std::size_t(keyBits + 7) / 8, half = std::size_t(keyBits + 15) / 16;
    Bn n = bnParam(key, OSSL_PKEY_PARAM_RSA_N), e = bnParam(key, OSSL_PKEY_PARAM_RSA_E);
    if (!n || !e || BN_num_bytes(e.get()) > 4) fail(code::BadKey);
    Bytes out;
    put32(out, withPrivate ? kPrivateMagic : kPublicMagic);
    put32(out, std::uint32_t(keyBits));
    put32(out, std::uint32_t(BN_get_word(e.get())));
    appendLe(out, n.get(), len);
    if (!withPrivate) return out;
    const char* names[] = {OSSL_PKEY_PARAM_RSA_FACTOR1, OSSL_PKEY_PARAM_RSA_FACTOR2, OSSL_PKEY_PARAM_RSA_EXPONENT1,
                           OSSL_PKEY_PARAM_RSA_EXPONENT2, OSSL_PKEY_PARAM_RSA_COEFFICIENT1};
    for (const char* name : names) {
        Bn b = bnParam(key, name);
        if (!b) fail(code::BadKeyState);
        appendLe(out, b.get(), half);
    }
    Bn d = bnParam(key, OSSL_PKEY_PARAM_RSA_D);
    if (!d) fail(code::BadKeyState);
    appendLe(out, d.get(), len);
    return out;
}

ossl::Pkey fromBlobBody(ByteSpan in, bool isPrivate) {
    if (get32(in) != (isPrivate ? kPrivateMagic : kPublicMagic)) fail(code::BadData);
    const std::uint32_t keyBits = get32(in);
    const std::uint32_t exponent = get32(in);
    if (keyBits < 256 || keyBits > 16384) fail(code::BadData);
    // Rounded up: keys of a length that is no multiple of 8, which earlier versions made and
    // kept in containers, read back whole.
    const std::size_t len = (keyBits + 7) / 8, half = (keyBits + 15) / 16;
    Bn e(BN_new());
    if (!e || BN_set_word(e.get(), exponent) != 1) fail(code::NoMemory);
    Bn n = readLe(in, len);
    // The key's length is its modulus's: a shorter one would export as a blob of another length.
    if (BN_num_bits(n.get()) != int(keyBits)) fail(code::BadData);
    if (!isPrivate) return fromParams(n.get(), e.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    Bn p = readLe(in, half), q = readLe(in, half), dp = readLe(in, half), dq = readLe(in, half),
       qi = readLe(in, half), d = readLe(in, len);
    ossl::Pkey key = fromParams(n.get(), e.get(), d.get(), p.get(), q.get(), dp.get(), dq.get(), qi.get());
    // Parts that do not belong together would sign garbage: refuse them here.
    ossl::PkeyCtx check(EVP_PKEY_CTX_new_from_pkey(ossl::context(), key.get(), nullptr));
    if (!check || EVP_PKEY_pairwise_check(check.get()) != 1) fail(code::BadData);
    return key;
}

Bytes run(EVP_PKEY* key, int (*init)(EVP_PKEY_CTX*), PkeyOp op, ByteSpan in, std::int32_t failure) {
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(ossl::context(), key, nullptr));
    if (!ctx || init(ctx.get()) != 1 || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        fail(code::InternalFailure);
    std::size_t n = 0;
    if (op(ctx.get(), nullptr, &n, in.data(), in.size()) != 1) fail(failure);
    Bytes out(n);
    if (op(ctx.get(), out.data(), &n, in.data(), in.size()) != 1) fail(failure);
    out.resize(n);
    return out;
}

Bytes digestInfoPrefix(std::int32_t algorithm) {
    switch (algorithm) {
    case alg::MD2: return {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x02, 0x02, 0x05, 0x00, 0x04, 0x10};
    case alg::MD4: return {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x02, 0x04, 0x05, 0x00, 0x04, 0x10};
    case alg::MD5: return {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x02, 0x05, 0x05, 0x00, 0x04, 0x10};
    case alg::SHA1: return {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2b, 0x0e, 0x03, 0x02, 0x1a, 0x05, 0x00, 0x04, 0x14};
    case alg::SHA_256: return {0x30, 0x31, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01, 0x05, 0x00, 0x04, 0x20};
    case alg::SHA_384: return {0x30, 0x41, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02, 0x05, 0x00, 0x04, 0x30};
    case alg::SHA_512: return {0x30, 0x51, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03, 0x05, 0x00, 0x04, 0x40};
    default: return {};
    }
}

}  // namespace keystrand::rsa
