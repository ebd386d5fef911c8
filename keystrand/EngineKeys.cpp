// The engine's keys: generation, derivation, the context's own pairs, blobs, parameters and
// one-call encryption.

#include "DssDhKeys.h"
#include "Engine.h"
#include "EngineState.h"
#include "Enumerations.h"
#include "Errors.h"
#include "RsaKeys.h"

#include <openssl/rand.h>

namespace keystrand::engine {

using namespace detail;

namespace {

constexpr std::uint8_t kBlobVersion = 2, kBlobVersion3 = 3;

bool isDssDh(std::int32_t algorithm) {
    return algorithm == alg::DSS_SIGN || algorithm == alg::DH_SF || algorithm == alg::DH_EPHEM;
}

dssdh::Kind dssDhKind(std::int32_t algorithm) {
    return algorithm == alg::DSS_SIGN ? dssdh::Kind::Dss : dssdh::Kind::Dh;
}

KeyPair newPair(std::int32_t algorithm, int bits, std::int32_t flags) {
    KeyPair pair;
    pair.algorithm = algorithm;
    pair.flags = flags;
    if (isDssDh(algorithm)) {
        dssdh::KeyData d = dssdh::generate(dssDhKind(algorithm), bits);
        pair.pkey = std::move(d.pkey);
        pair.seed = std::move(d.seed);
    } else {
        pair.pkey = rsa::generate(bits);
    }
    return pair;
}

Handle addSymmetric(const ProviderInfo& provider, const AlgorithmInfo& info, Bytes secret, Bytes salt,
                    std::int32_t flags) {
    fixParity(info, secret);
    auto k = newKey(&provider, info.id, flags);
    k->secret = std::move(secret);
    k->salt = std::move(salt);
    return table().add(k);
}

Bytes randomBytes(std::size_t n) {
    Bytes out(n);
    if (n && RAND_bytes_ex(ossl::context(), out.data(), out.size(), 0) != 1) fail(code::InternalFailure);
    return out;
}

// The key pair an algorithm of the generating members names: AT_SIGNATURE and AT_KEYEXCHANGE
// stand for the provider's own kinds. 0 for anything that is no pair.
std::int32_t pairSpec(const ProviderInfo& provider, std::int32_t& algorithm) {
    const bool dss = dssFamily(provider);
    switch (algorithm) {
    case AT_SIGNATURE: algorithm = dss ? alg::DSS_SIGN : alg::RSA_SIGN; return AT_SIGNATURE;
    case AT_KEYEXCHANGE: algorithm = dss ? alg::DH_SF : alg::RSA_KEYX; return AT_KEYEXCHANGE;
    case alg::RSA_SIGN:
    case alg::DSS_SIGN: return AT_SIGNATURE;
    case alg::RSA_KEYX:
    case alg::DH_SF: return AT_KEYEXCHANGE;
    default: return 0;
    }
}

// The platform's rule: the first bytes of the hash value; but a key longer than the value,
// and a 3DES or AES key from a hash that is not SHA-2, come from the value stretched through
// two hashes of it on the 0x36 and 0x5C pads.
Bytes derivedSecret(std::int32_t hashAlgorithm, const Bytes& value, std::int32_t cipher, std::size_t need) {
    const bool sha2 = hashAlgorithm == alg::SHA_256 || hashAlgorithm == alg::SHA_384 || hashAlgorithm == alg::SHA_512;
    const bool stretched = cipher == alg::TRIPLE_DES || cipher == alg::TRIPLE_DES_112 || cipher == alg::AES_128 ||
                           cipher == alg::AES_192 || cipher == alg::AES_256;
    if (value.size() >= need && (sha2 || !stretched)) return Bytes(value.begin(), value.begin() + std::ptrdiff_t(need));
    Bytes inner(64, 0x36), outer(64, 0x5C);
    for (std::size_t i = 0; i < value.size() && i < 64; ++i) {
        inner[i] ^= value[i];
        outer[i] ^= value[i];
    }
    Bytes secret = Digest::of(hashAlgorithm, inner);
    const Bytes second = Digest::of(hashAlgorithm, outer);
    secret.insert(secret.end(), second.begin(), second.end());
    if (secret.size() < need) fail(code::BadLength);
    secret.resize(need);
    return secret;
}

Handle importDssDh(Context& c, std::int32_t algorithm, bool isPrivate, ByteSpan body, Handle agreeWith,
                   std::int32_t flags) {
    const dssdh::Kind kind = dssDhKind(algorithm);
    if (kind == dssdh::Kind::Dh && !isPrivate) {
        // A partner's public value, agreed with our private key of the same domain.
        auto mine = keyOf(agreeWith);
        if (!mine->pkey || !mine->hasPrivate || (mine->algorithm != alg::DH_SF && mine->algorithm != alg::DH_EPHEM))
            fail(code::BadKey);
        const dssdh::KeyData peer = dssdh::fromBlobBody(kind, body, false, mine->pkey.get());
        auto k = newKey(c.provider, alg::AGREEDKEY_ANY, flags);
        k->secret = dssdh::agree(mine->pkey.get(), peer.pkey.get());
        return table().add(k);
    }
    dssdh::KeyData d = dssdh::fromBlobBody(kind, body, isPrivate, nullptr);
    auto k = newKey(c.provider, algorithm, flags);
    k->pkey = d.pkey;
    k->seed = d.seed;
    k->hasPrivate = isPrivate;
    // An imported pair becomes the context's own pair of its kind; an ephemeral key does not.
    if (isPrivate && algorithm != alg::DH_EPHEM)
        setPair(c, kind == dssdh::Kind::Dss ? AT_SIGNATURE : AT_KEYEXCHANGE, KeyPair{d.pkey, flags, algorithm, d.seed});
    return table().add(k);
}

Bytes publicBody(const Key& k, bool withPrivate, bool version3) {
    if (isDssDh(k.algorithm))
        return dssdh::blobBody(dssDhKind(k.algorithm), {k.pkey, k.seed, k.hasPrivate}, withPrivate, version3);
    return rsa::blobBody(k.pkey.get(), withPrivate);
}

}  // namespace

Handle generateKey(Handle ctx, std::int32_t algorithm, std::int32_t flags) {
    auto c = context(ctx);
    const ProviderInfo& provider = *c->provider;
    if (const std::int32_t keySpec = pairSpec(provider, algorithm)) {
        const AlgorithmRecord& r = offered(provider, algorithm);
        // Key lengths come in the provider's steps: a key of any other length could not be
        // written to its container and read back.
        const std::int32_t bits = requestedBits(r, flags, provider.keySizeStep);
        setPair(*c, keySpec, newPair(algorithm, bits, flags & 0xFFFF));
        return userKey(ctx, keySpec);
    }
    const AlgorithmRecord& r = offered(provider, algorithm);
    if (algorithm == alg::DH_EPHEM) {
        const KeyPair pair = newPair(algorithm, requestedBits(r, flags, provider.keySizeStep), flags & 0xFFFF);
        auto k = newKey(&provider, algorithm, pair.flags);
        k->pkey = pair.pkey;
        k->seed = pair.seed;
        k->hasPrivate = true;
        return table().add(k);
    }
    const AlgorithmInfo& info = symmetricAlgorithm(algorithm);
    Bytes secret = randomBytes(secretBytes(info, requestedBits(r, flags)));
    Bytes salt = saltFor(info, secret.size(), flags, [] { return randomBytes(11); });
    return addSymmetric(provider, info, std::move(secret), std::move(salt), flags & 0xFFFF);
}

Handle deriveKey(Handle ctx, std::int32_t algorithm, Handle hash, std::int32_t flags) {
    auto c = context(ctx);
    auto h = hashOf(hash);
    const AlgorithmRecord& r = offered(*c->provider, algorithm);
    const AlgorithmInfo& info = symmetricAlgorithm(algorithm);
    const std::size_t need = secretBytes(info, requestedBits(r, flags));
    Bytes value = hashValue(hash);
    Bytes secret = derivedSecret(h->algorithm, value, algorithm, need);
    // A created salt is the hash value's next bytes after the key.
    Bytes salt = saltFor(info, need, flags, [&] {
        return value.size() > need ? Bytes(value.begin() + std::ptrdiff_t(need), value.end()) : Bytes{};
    });
    OPENSSL_cleanse(value.data(), value.size());
    return addSymmetric(*c->provider, info, std::move(secret), std::move(salt), flags & 0xFFFF);
}

Handle userKey(Handle ctx, std::int32_t keySpec) {
    auto c = context(ctx);
    const KeyPair& pair = pairOf(*c, keySpec);
    if (!pair.pkey) fail(code::NoKey);
    auto k = newKey(c->provider, pair.algorithm, pair.flags);
    k->pkey = pair.pkey;
    k->seed = pair.seed;
    k->hasPrivate = true;
    return table().add(k);
}

Handle importKey(Handle ctx, ByteSpan blob, Handle unwrapKey, std::int32_t flags) {
    auto c = context(ctx);
    if (blob.size() < 8) fail(code::BadData);
    const std::uint8_t type = blob[0], version = blob[1];
    if (blob[2] != 0 || blob[3] != 0) fail(code::BadVersion);
    ByteSpan in = blob.subspan(4);
    const std::int32_t algorithm = std::int32_t(blob::get32(in));
    if ((type == PUBLICKEYBLOB || type == PRIVATEKEYBLOB) && isDssDh(algorithm)) {
        if (version != kBlobVersion && version != kBlobVersion3) fail(code::BadVersion);
        offered(*c->provider, algorithm);
        return importDssDh(*c, algorithm, type == PRIVATEKEYBLOB, in, unwrapKey, flags & 0xFFFF);
    }
    if (version != kBlobVersion) fail(code::BadVersion);
    if (type == PUBLICKEYBLOB || type == PRIVATEKEYBLOB) {
        if (algorithm != alg::RSA_SIGN && algorithm != alg::RSA_KEYX) fail(code::BadAlgorithm);
        offered(*c->provider, algorithm);
        auto k = newKey(c->provider, algorithm, flags & 0xFFFF);
        k->pkey = rsa::fromBlobBody(in, type == PRIVATEKEYBLOB);
        k->hasPrivate = type == PRIVATEKEYBLOB;
        // An imported key pair becomes the context's own pair of its kind.
        if (k->hasPrivate)
            setPair(*c, algorithm == alg::RSA_SIGN ? AT_SIGNATURE : AT_KEYEXCHANGE,
                    KeyPair{k->pkey, k->flags, algorithm, {}});
        return table().add(k);
    }
    const AlgorithmInfo& info = symmetricAlgorithm(algorithm);
    const AlgorithmRecord& r = offered(*c->provider, algorithm);
    Bytes secret;
    if (type == PLAINTEXTKEYBLOB) {
        const std::uint32_t size = blob::get32(in);
        if (size != in.size()) fail(code::BadData);
        secret.assign(in.begin(), in.end());
    } else if (type == SIMPLEBLOB) {
        auto unwrap = keyOf(unwrapKey);
        if (!unwrap->pkey || !unwrap->hasPrivate || (unwrap->algorithm != alg::RSA_KEYX && unwrap->algorithm != alg::RSA_SIGN))
            fail(code::BadKey);
        if (blob::get32(in) != std::uint32_t(unwrap->algorithm)) fail(code::BadAlgorithm);
        const Bytes wrapped = blob::reversed(Bytes(in.begin(), in.end()));
        secret = rsa::run(unwrap->pkey.get(), EVP_PKEY_decrypt_init, EVP_PKEY_decrypt, wrapped, code::BadData);
    } else {
        fail(code::BadType);
    }
    const std::size_t bits = secret.size() * 8;
    const bool fixedOk = info.fixedKeyBytes && secret.size() == std::size_t(info.fixedKeyBytes);
    if (!fixedOk && (info.fixedKeyBytes || bits < std::size_t(r.minLen) || bits > std::size_t(r.maxLen)))
        fail(code::BadData);
    auto k = newKey(c->provider, algorithm, flags & 0xFFFF);
    k->salt = saltFor(info, secret.size(), flags & ~CRYPT_CREATE_SALT, [] { return Bytes{}; });
    k->secret = std::move(secret);   // imported as given: parity bits are the sender's
    return table().add(k);
}

Bytes exportKey(Handle key, Handle wrapKey, std::int32_t blobType, std::int32_t flags) {
    auto k = keyOf(key);
    const bool version3 = (flags & CRYPT_BLOB_VER3) && isDssDh(k->algorithm);
    Bytes out{std::uint8_t(blobType), version3 ? kBlobVersion3 : kBlobVersion, 0, 0};
    blob::put32(out, std::uint32_t(k->algorithm));
    const bool exportable = (k->flags & CRYPT_EXPORTABLE) != 0;
    switch (blobType) {
    case PUBLICKEYBLOB: {
        if (!k->pkey || wrapKey != 0) fail(k->pkey ? code::BadKey : code::BadKeyState);
        const Bytes body = publicBody(*k, false, version3);
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }
    case PRIVATEKEYBLOB: {
        if (!k->pkey || !k->hasPrivate || wrapKey != 0) fail(code::BadKeyState);
        if (!exportable) fail(code::BadKeyState);
        Bytes body = publicBody(*k, true, version3);
        out.insert(out.end(), body.begin(), body.end());
        OPENSSL_cleanse(body.data(), body.size());
        return out;
    }
    case PLAINTEXTKEYBLOB:
        if (!symmetric(*k) || wrapKey != 0) fail(code::BadKeyState);
        if (!exportable) fail(code::BadKeyState);
        blob::put32(out, std::uint32_t(k->secret.size()));
        out.insert(out.end(), k->secret.begin(), k->secret.end());
        return out;
    case SIMPLEBLOB: {
        if (!symmetric(*k)) fail(code::BadKeyState);
        if (!exportable) fail(code::BadKeyState);
        auto wrap = keyOf(wrapKey);
        if (!wrap->pkey || wrap->algorithm != alg::RSA_KEYX) fail(code::BadKey);
        blob::put32(out, std::uint32_t(wrap->algorithm));
        const Bytes wrapped = blob::reversed(
            rsa::run(wrap->pkey.get(), EVP_PKEY_encrypt_init, EVP_PKEY_encrypt, k->secret, code::BadLength));
        out.insert(out.end(), wrapped.begin(), wrapped.end());
        return out;
    }
    default:
        fail(code::BadType);
    }
}

std::optional<Bytes> keyParam(Handle key, std::int32_t param) {
    auto k = keyOf(key);
    const AlgorithmInfo* info = findAlgorithm(k->algorithm);
    const bool block = info && info->kind == AlgorithmKind::BlockCipher;
    const int keyBits = k->pkey ? EVP_PKEY_get_bits(k->pkey.get()) : 0;
    switch (param) {
    case KP_ALGID: return blob::le32(std::uint32_t(k->algorithm));
    case KP_BLOCKLEN:
        if (block) return blob::le32(std::uint32_t(info->blockBits));
        return blob::le32(std::uint32_t(keyBits));
    case KP_KEYLEN: return blob::le32(std::uint32_t(k->pkey ? keyBits : int(k->secret.size() * 8)));
    case KP_EFFECTIVE_KEYLEN:
        if (k->algorithm == alg::RC2) return blob::le32(std::uint32_t(k->secret.size() * 8));
        return std::nullopt;
    case KP_PERMISSIONS: {
        std::uint32_t p = CRYPT_ENCRYPT | CRYPT_DECRYPT | CRYPT_READ | CRYPT_WRITE | CRYPT_MAC;
        if (k->flags & CRYPT_EXPORTABLE) p |= CRYPT_EXPORT;
        return blob::le32(p);
    }
    case KP_IV:
        if (block) return Bytes(std::size_t(info->blockBits / 8), 0);
        return std::nullopt;
    case KP_SALT:
        if (!k->salt.empty()) return k->salt;
        return std::nullopt;
    case KP_PADDING:
        if (block) return blob::le32(PKCS5_PADDING);
        return std::nullopt;
    case KP_MODE:
        if (block) return blob::le32(CRYPT_MODE_CBC);
        return std::nullopt;
    case KP_MODE_BITS:
        if (block) return blob::le32(8);
        return std::nullopt;
    case KP_P:
    case KP_G:
    case KP_Q:
    case KP_Y:
    case KP_X:
        if (!isDssDh(k->algorithm)) return std::nullopt;
        // The private value leaves only a key that may be exported.
        if (param == KP_X && k->hasPrivate && !(k->flags & CRYPT_EXPORTABLE)) fail(code::BadKeyState);
        return dssdh::param(dssDhKind(k->algorithm), k->pkey.get(), param);
    default: return std::nullopt;
    }
}

void setKeyAlgorithm(Handle key, std::int32_t algorithm) {
    auto k = keyOf(key);
    if (k->algorithm != alg::AGREEDKEY_ANY) fail(code::BadKeyState);
    const AlgorithmRecord& r = offered(*k->provider, algorithm);
    const AlgorithmInfo& info = symmetricAlgorithm(algorithm);
    const std::size_t need = secretBytes(info, r.defaultLen);
    if (need > k->secret.size()) fail(code::BadLength);
    Bytes secret(k->secret.begin(), k->secret.begin() + std::ptrdiff_t(need));
    fixParity(info, secret);
    OPENSSL_cleanse(k->secret.data(), k->secret.size());
    k->secret = std::move(secret);
    k->algorithm = algorithm;
}

Bytes encrypt(Handle key, Handle hash, ByteSpan plain) {
    auto k = keyOf(key);
    if (hash != 0) hashData(hash, plain, 0);
    if (symmetric(*k)) return cipherRun(*k, plain, true);
    if (k->algorithm != alg::RSA_KEYX) fail(code::BadKey);
    return blob::reversed(rsa::run(k->pkey.get(), EVP_PKEY_encrypt_init, EVP_PKEY_encrypt, plain, code::BadLength));
}

Bytes decrypt(Handle key, Handle hash, ByteSpan cipherText) {
    auto k = keyOf(key);
    Bytes plain;
    if (symmetric(*k)) {
        const AlgorithmInfo* info = findAlgorithm(k->algorithm);
        if (info->kind == AlgorithmKind::BlockCipher && cipherText.size() % std::size_t(info->blockBits / 8) != 0)
            fail(code::BadData);
        plain = cipherRun(*k, cipherText, false);
    } else {
        if (k->algorithm != alg::RSA_KEYX || !k->hasPrivate) fail(code::BadKey);
        const Bytes in = blob::reversed(Bytes(cipherText.begin(), cipherText.end()));
        plain = rsa::run(k->pkey.get(), EVP_PKEY_decrypt_init, EVP_PKEY_decrypt, in, code::BadData);
    }
    if (hash != 0) hashData(hash, plain, 0);
    return plain;
}

void destroyKey(Handle key) { table().remove<Key>(key, code::BadKey); }

}  // namespace keystrand::engine
