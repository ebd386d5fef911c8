#include "DssDhKeys.h"

#include "Enumerations.h"
#include "Errors.h"

#include <openssl/core_names.h>
#include <openssl/dh.h>
#include <openssl/dsa.h>
#include <openssl/param_build.h>

namespace keystrand::dssdh {

using namespace blob;

namespace {

constexpr std::uint32_t kDssMagic[4] = {0x31535344, 0x32535344, 0x33535344, 0x34535344};   // "DSS1".."DSS4"
constexpr std::uint32_t kDhMagic[4] = {0x31484400, 0x32484400, 0x33484400, 0x34484400};    // "\0DH1".."\0DH4"
constexpr std::size_t kDssQBytes = 20;
constexpr std::uint32_t kMinBits = 512, kMaxBits = 4096;
constexpr std::uint32_t kNoSeed = 0xFFFFFFFF;

std::uint32_t magic(Kind kind, bool isPrivate, bool version3) {
    return (kind == Kind::Dss ? kDssMagic : kDhMagic)[(version3 ? 2 : 0) + (isPrivate ? 1 : 0)];
}

const char* typeName(Kind kind) { return kind == Kind::Dss ? "DSA" : "DH"; }

Bytes noSeed() {
    Bytes s = le32(kNoSeed);
    s.resize(4 + 20, 0);
    return s;
}

struct Parts {
    Bn p, q, g, y, x;
};

Parts partsOf(EVP_PKEY* key) {
    return {bnParam(key, OSSL_PKEY_PARAM_FFC_P), bnParam(key, OSSL_PKEY_PARAM_FFC_Q),
            bnParam(key, OSSL_PKEY_PARAM_FFC_G), bnParam(key, OSSL_PKEY_PARAM_PUB_KEY),
            bnParam(key, OSSL_PKEY_PARAM_PRIV_KEY)};
}

// The domain alone, the public key, or the key pair: whatever parts are there.
ossl::Pkey fromParts(Kind kind, const Parts& s) {
    std::unique_ptr<OSSL_PARAM_BLD, decltype(&OSSL_PARAM_BLD_free)> bld(OSSL_PARAM_BLD_new(), OSSL_PARAM_BLD_free);
    if (!bld) fail(code::NoMemory);
    OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_FFC_P, s.p.get());
    if (s.q) OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_FFC_Q, s.q.get());
    OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_FFC_G, s.g.get());
    if (s.y) OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_PUB_KEY, s.y.get());
    if (s.x) OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_PRIV_KEY, s.x.get());
    std::unique_ptr<OSSL_PARAM, decltype(&OSSL_PARAM_free)> params(OSSL_PARAM_BLD_to_param(bld.get()), OSSL_PARAM_free);
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_name(ossl::context(), typeName(kind), nullptr));
    const int selection = s.x ? EVP_PKEY_KEYPAIR : s.y ? EVP_PKEY_PUBLIC_KEY : EVP_PKEY_KEY_PARAMETERS;
    EVP_PKEY* key = nullptr;
    if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1 ||
        EVP_PKEY_fromdata(ctx.get(), &key, selection, params.get()) != 1)
        fail(code::BadData);
    return ossl::adopt(key);
}

// y = g^x mod p, for a private blob that carries no y.
Bn publicOf(const Parts& s) {
    Bn y(BN_new());
    std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)> bc(BN_CTX_new_ex(ossl::context()), BN_CTX_free);
    if (!y || !bc) fail(code::NoMemory);
    BN_set_flags(s.x.get(), BN_FLG_CONSTTIME);
    if (BN_mod_exp(y.get(), s.g.get(), s.x.get(), s.p.get(), bc.get()) != 1) fail(code::BadData);
    return y;
}

// J = (p - 1) / q, written in version 3 blobs.
Bn cofactorOf(const Parts& s) {
    Bn j(BN_new()), pm1(BN_dup(s.p.get()));
    std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)> bc(BN_CTX_new_ex(ossl::context()), BN_CTX_free);
    if (!j || !pm1 || !bc || BN_sub_word(pm1.get(), 1) != 1 ||
        BN_div(j.get(), nullptr, pm1.get(), s.q.get(), bc.get()) != 1)
        fail(code::NoMemory);
    return j;
}

std::size_t widthOfBits(std::uint32_t bits) {
    if (bits > kMaxBits) fail(code::BadData);
    return (bits + 7) / 8;
}

// Width of x: a DSS x is below q; a Diffie-Hellman x is written as long as p in version 2.
std::size_t xWidth(Kind kind, const Parts& s, bool version3) {
    if (version3 && s.q) return byteWidth(s.q.get());
    return kind == Kind::Dss ? kDssQBytes : byteWidth(s.p.get());
}

Bytes readSeed(ByteSpan& in) {
    if (in.size() < 24) fail(code::BadData);
    Bytes seed(in.begin(), in.begin() + 24);
    in = in.subspan(24);
    return seed;
}

void checkDomain(Kind kind, const Parts& s, std::uint32_t bitlen) {
    if (!s.p || !s.g || bitlen % 8 != 0 || bitlen < kMinBits || std::uint32_t(BN_num_bits(s.p.get())) != bitlen)
        fail(code::BadData);
    if (kind == Kind::Dss && (!s.q || BN_num_bytes(s.q.get()) != int(kDssQBytes))) fail(code::BadData);
}

bool passes(EVP_PKEY* key, int (*check)(EVP_PKEY_CTX*)) {
    ossl::PkeyCtx c(EVP_PKEY_CTX_new_from_pkey(ossl::context(), key, nullptr));
    return c && check(c.get()) == 1;
}

}  // namespace

KeyData generate(Kind kind, int keyBits) {
    ossl::PkeyCtx pg(EVP_PKEY_CTX_new_from_name(ossl::context(), "DSA", nullptr));
    EVP_PKEY* params = nullptr;
    if (!pg || EVP_PKEY_paramgen_init(pg.get()) != 1 || EVP_PKEY_CTX_set_dsa_paramgen_bits(pg.get(), keyBits) != 1 ||
        EVP_PKEY_CTX_set_dsa_paramgen_q_bits(pg.get(), keyBits <= 1024 ? 160 : 256) != 1 ||
        EVP_PKEY_paramgen(pg.get(), &params) != 1)
        fail(code::InternalFailure);
    ossl::Pkey domain = ossl::adopt(params);
    // x in [1, q - 1] and y = g^x mod p by hand: OpenSSL's own key generation takes only the
    // (p, q) sizes of FIPS 186-4, and the platform's keys start at 512 bits.
    Parts s = partsOf(domain.get());
    if (!s.p || !s.q || !s.g) fail(code::InternalFailure);
    s.x.reset(BN_new());
    Bn range(BN_dup(s.q.get()));
    std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)> bc(BN_CTX_new_ex(ossl::context()), BN_CTX_free);
    if (!s.x || !range || !bc || BN_sub_word(range.get(), 1) != 1 ||
        BN_priv_rand_range_ex(s.x.get(), range.get(), 0, bc.get()) != 1 || BN_add_word(s.x.get(), 1) != 1)
        fail(code::InternalFailure);
    s.y = publicOf(s);
    return KeyData{fromParts(kind, s), noSeed(), true};
}

Bytes blobBody(Kind kind, const KeyData& key, bool withPrivate, bool version3) {
    Parts s = partsOf(key.pkey.get());
    if (!s.p || !s.g || !s.y) fail(code::BadKey);
    if (withPrivate && (!s.x || !key.hasPrivate)) fail(code::BadKeyState);
    const std::size_t pw = byteWidth(s.p.get());
    const Bytes seed = key.seed.size() == 24 ? key.seed : noSeed();
    Bytes out;
    put32(out, magic(kind, withPrivate, version3));
    if (!version3) {
        put32(out, std::uint32_t(pw * 8));
        if (kind == Kind::Dh && !withPrivate) {
            appendLe(out, s.y.get(), pw);
            return out;
        }
        appendLe(out, s.p.get(), pw);
        if (kind == Kind::Dss) appendLe(out, s.q.get(), kDssQBytes);
        appendLe(out, s.g.get(), pw);
        if (withPrivate) appendLe(out, s.x.get(), xWidth(kind, s, false));
        else appendLe(out, s.y.get(), pw);
        if (kind == Kind::Dss) out.insert(out.end(), seed.begin(), seed.end());
        return out;
    }
    Bn j = s.q ? cofactorOf(s) : nullptr;
    const std::size_t qw = s.q ? byteWidth(s.q.get()) : 0, jw = j ? byteWidth(j.get()) : 0;
    put32(out, std::uint32_t(pw * 8));
    put32(out, std::uint32_t(qw * 8));
    put32(out, std::uint32_t(jw * 8));
    if (withPrivate) put32(out, std::uint32_t(xWidth(kind, s, true) * 8));
    out.insert(out.end(), seed.begin(), seed.end());
    appendLe(out, s.p.get(), pw);
    if (s.q) appendLe(out, s.q.get(), qw);
    appendLe(out, s.g.get(), pw);
    if (j) appendLe(out, j.get(), jw);
    appendLe(out, s.y.get(), pw);
    if (withPrivate) appendLe(out, s.x.get(), xWidth(kind, s, true));
    return out;
}

KeyData fromBlobBody(Kind kind, ByteSpan in, bool isPrivate, EVP_PKEY* domain) {
    const std::uint32_t m = get32(in);
    const bool version3 = m == magic(kind, isPrivate, true);
    if (!version3 && m != magic(kind, isPrivate, false)) fail(code::BadData);
    Parts s;
    Bytes seed;
    std::uint32_t bitlen = 0;
    if (!version3) {
        bitlen = get32(in);
        const std::size_t pw = widthOfBits(bitlen);
        if (kind == Kind::Dh && !isPrivate) {
            if (!domain) fail(code::BadKey);
            Parts d = partsOf(domain);
            s.p = std::move(d.p), s.q = std::move(d.q), s.g = std::move(d.g);
            s.y = readLe(in, pw);
        } else {
            s.p = readLe(in, pw);
            if (kind == Kind::Dss) s.q = readLe(in, kDssQBytes);
            s.g = readLe(in, pw);
            if (isPrivate) s.x = readLe(in, kind == Kind::Dss ? kDssQBytes : pw);
            else s.y = readLe(in, pw);
            if (kind == Kind::Dss) seed = readSeed(in);
        }
    } else {
        bitlen = get32(in);
        const std::uint32_t qBits = get32(in), jBits = get32(in), xBits = isPrivate ? get32(in) : 0;
        seed = readSeed(in);
        const std::size_t pw = widthOfBits(bitlen);
        s.p = readLe(in, pw);
        if (qBits) s.q = readLe(in, widthOfBits(qBits));
        s.g = readLe(in, pw);
        if (jBits) readLe(in, widthOfBits(jBits));   // follows from p and q
        s.y = readLe(in, pw);
        if (isPrivate) s.x = readLe(in, widthOfBits(xBits));
    }
    checkDomain(kind, s, bitlen);
    if (isPrivate && !s.y) s.y = publicOf(s);
    KeyData key{fromParts(kind, s), seed.empty() ? noSeed() : std::move(seed), isPrivate};
    // Parts that do not belong together, or a public value outside the group, are refused
    // here rather than signing or agreeing on garbage. A Diffie-Hellman public value is
    // checked when it is agreed with.
    const bool sound = isPrivate ? passes(key.pkey.get(), EVP_PKEY_private_check) &&
                                       passes(key.pkey.get(), EVP_PKEY_pairwise_check)
                                 : kind == Kind::Dh || passes(key.pkey.get(), EVP_PKEY_public_check);
    if (!sound) fail(code::BadData);
    return key;
}

Bytes agree(EVP_PKEY* mine, EVP_PKEY* peer) {
    ossl::PkeyCtx c(EVP_PKEY_CTX_new_from_pkey(ossl::context(), mine, nullptr));
    if (!c || EVP_PKEY_derive_init(c.get()) != 1 || EVP_PKEY_CTX_set_dh_pad(c.get(), 1) != 1)
        fail(code::InternalFailure);
    if (EVP_PKEY_derive_set_peer(c.get(), peer) != 1) fail(code::BadData);
    std::size_t n = 0;
    if (EVP_PKEY_derive(c.get(), nullptr, &n) != 1) fail(code::BadData);
    Bytes z(n);
    if (EVP_PKEY_derive(c.get(), z.data(), &n) != 1) fail(code::BadData);
    z.resize(n);
    return reversed(std::move(z));
}

Bytes sign(EVP_PKEY* key, ByteSpan digest) {
    ossl::PkeyCtx c(EVP_PKEY_CTX_new_from_pkey(ossl::context(), key, nullptr));
    std::size_t n = 0;
    if (!c || EVP_PKEY_sign_init(c.get()) != 1 || EVP_PKEY_sign(c.get(), nullptr, &n, digest.data(), digest.size()) != 1)
        fail(code::InternalFailure);
    Bytes der(n);
    if (EVP_PKEY_sign(c.get(), der.data(), &n, digest.data(), digest.size()) != 1) fail(code::InternalFailure);
    const unsigned char* at = der.data();
    std::unique_ptr<DSA_SIG, decltype(&DSA_SIG_free)> sig(d2i_DSA_SIG(nullptr, &at, long(n)), DSA_SIG_free);
    if (!sig) fail(code::InternalFailure);
    const BIGNUM *r = nullptr, *s = nullptr;
    DSA_SIG_get0(sig.get(), &r, &s);
    Bytes out;
    appendLe(out, r, kDssQBytes);
    appendLe(out, s, kDssQBytes);
    return out;
}

bool verify(EVP_PKEY* key, ByteSpan digest, ByteSpan signature) {
    if (signature.size() != 2 * kDssQBytes) return false;
    ByteSpan in = signature;
    Bn r = readLe(in, kDssQBytes), s = readLe(in, kDssQBytes);
    std::unique_ptr<DSA_SIG, decltype(&DSA_SIG_free)> sig(DSA_SIG_new(), DSA_SIG_free);
    if (!sig || DSA_SIG_set0(sig.get(), r.get(), s.get()) != 1) fail(code::NoMemory);
    r.release(), s.release();
    unsigned char* der = nullptr;
    const int len = i2d_DSA_SIG(sig.get(), &der);
    if (len <= 0) fail(code::NoMemory);
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(der, [](unsigned char* p) { OPENSSL_free(p); });
    ossl::PkeyCtx c(EVP_PKEY_CTX_new_from_pkey(ossl::context(), key, nullptr));
    if (!c || EVP_PKEY_verify_init(c.get()) != 1) fail(code::InternalFailure);
    return EVP_PKEY_verify(c.get(), der, std::size_t(len), digest.data(), digest.size()) == 1;
}

std::optional<Bytes> param(Kind kind, EVP_PKEY* key, std::int32_t kp) {
    Parts s = partsOf(key);
    if (!s.p) return std::nullopt;
    const std::size_t pw = byteWidth(s.p.get());
    Bytes out;
    switch (kp) {
    case KP_P: appendLe(out, s.p.get(), pw); break;
    case KP_G: appendLe(out, s.g.get(), pw); break;
    case KP_Y: appendLe(out, s.y.get(), pw); break;
    case KP_Q:
        if (!s.q) return std::nullopt;
        appendLe(out, s.q.get(), byteWidth(s.q.get()));
        break;
    case KP_X:
        if (!s.x) return std::nullopt;
        appendLe(out, s.x.get(), xWidth(kind, s, false));
        break;
    default: return std::nullopt;
    }
    return out;
}

}  // namespace keystrand::dssdh
