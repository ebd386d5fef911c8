#include "clsKey.h"

#include "ByteInputStream.h"
#include "Engine.h"
#include "Enumerations.h"
#include "clsHash.h"

namespace keystrand {

using namespace vt::automation;

namespace {
constexpr const char* kClass = "clsKey";

struct KeyProperty {
    const char* member;
    std::int32_t param;
    bool bytes;
    const char* source = nullptr;   // the member's own name when null
};
constexpr KeyProperty kProperties[] = {
    {"algId", KP_ALGID, false, "ALGID"},
    {"BLOCKLEN", KP_BLOCKLEN, false},
    {"Certificate", KP_CERTIFICATE, false, "CERTIFICATE"},
    {"CLEAR_KEY", KP_CLEAR_KEY, false},
    {"CLIENT_RANDOM", KP_CLIENT_RANDOM, false},
    {"EFFECTIVE_KEYLEN", KP_EFFECTIVE_KEYLEN, false},
    {"generatorG", KP_G, false},
    {"INFO", KP_INFO, false},
    {"IV", KP_IV, true},
    {"KEYLEN", KP_KEYLEN, false},
    {"MODE", KP_MODE, false},
    {"MODE_BITS", KP_MODE_BITS, false},
    {"modulusP", KP_P, false},
    {"padding", KP_PADDING, false, "PADDING"},
    {"PERMISSIONS", KP_PERMISSIONS, false},
    {"PRECOMP_MD5", KP_PRECOMP_MD5, false},
    {"PRECOMP_SHA", KP_PRECOMP_SHA, false},
    {"PUB_EX_LEN", KP_PUB_EX_LEN, false},
    {"PUB_EX_VAL", KP_PUB_EX_VAL, false},
    {"primeQ", KP_Q, false},
    {"RA", KP_RA, false},
    {"RB", KP_RB, false},
    {"RP", KP_RP, false},
    {"SALT", KP_SALT, true},
    {"SALT_EX", KP_SALT_EX, true},
    {"SCHANNEL_ALG", KP_SCHANNEL_ALG, false},
    {"SERVER_RANDOM", KP_SERVER_RANDOM, false},
    {"X", KP_X, false},
    {"Y", KP_Y, false},
};
}  // namespace

clsKey::~clsKey() { take(0); }

void clsKey::take(std::int32_t handle) noexcept {
    const std::int32_t old = std::exchange(handle_, handle);
    if (old == 0) return;
    try {
        engine::destroyKey(old);
    } catch (...) {
    }
}

template <class F>
bool clsKey::load(std::string_view member, F&& newHandle) {
    return asMember(kClass, member, [&] {
        take(newHandle());
        return true;
    });
}

Bytes clsKey::exportKey(std::int32_t blobType, std::int32_t flags, std::int32_t wrapKey) {
    return asMember(kClass, "Export", [&] { return engine::exportKey(handle_, wrapKey, blobType, flags); });
}

bool clsKey::importKey(std::int32_t context, ByteSpan blob, std::int32_t flags, std::int32_t publicKey) {
    return load("Import", [&] {
        if (blob.empty()) raise(err::SubscriptOutOfRange);
        return engine::importKey(context, blob, publicKey, flags);
    });
}

bool clsKey::getUserSignature(std::int32_t context) {
    return load("GetUserSignature", [&] { return engine::userKey(context, AT_SIGNATURE); });
}

bool clsKey::getUserExchangeKey(std::int32_t context) {
    return load("GetUserExchangeKey", [&] { return engine::userKey(context, AT_KEYEXCHANGE); });
}

std::int32_t clsKey::cipherAlgorithmType() {
    return asMember(kClass, "CipherAlgorithmType", [&] {
        const std::int32_t id = getLongKeyParam(KP_ALGID);
        std::int32_t type = 0;
        if (id & ALG_TYPE_STREAM) type = ALG_TYPE_STREAM;
        if (id & 0x600) type = ALG_TYPE_BLOCK;
        return type;
    });
}

bool clsKey::generate(std::int32_t context, std::int32_t algorithm, std::int32_t flags) {
    return load("Generate", [&] { return engine::generateKey(context, algorithm, flags); });
}

bool clsKey::generateExchangeKey(std::int32_t context, std::int32_t flags) {
    return load("GenerateExchangeKey", [&] { return engine::generateKey(context, AT_KEYEXCHANGE, flags); });
}

bool clsKey::generateSignature(std::int32_t context, std::int32_t flags) {
    return load("GenerateSignature", [&] { return engine::generateKey(context, AT_SIGNATURE, flags); });
}

bool clsKey::generateDhStoreForward(std::int32_t context, std::int32_t flags) {
    return load("GenerateDH_StoreForward", [&] { return engine::generateKey(context, alg::DH_SF, flags); });
}

bool clsKey::generateDhEphemeral(std::int32_t context, std::int32_t flags) {
    return load("GenerateDH_Ephemeral", [&] { return engine::generateKey(context, alg::DH_EPHEM, flags); });
}

bool clsKey::derive(const clsHash& hash, std::int32_t cipher, std::int32_t flags) {
    return load("Derive", [&] {
        return engine::deriveKey(engine::hashContext(hash.handle()), cipher, hash.handle(), flags);
    });
}

std::int32_t clsKey::getLongKeyParam(std::int32_t param, std::int32_t flags) {
    const Bytes v = keyParam("GetLongKeyParam", param, flags);
    // A longer value (the primes and values of DSS and Diffie-Hellman keys, an IV) is read
    // whole through GetByteArrKeyParam, never cut to its first bytes.
    if (v.size() > 4) raiseLibrary(kClass, "GetLongKeyParam", code::MoreData);
    std::uint32_t n = 0;
    for (std::size_t i = 0; i < v.size(); ++i) n |= std::uint32_t(v[i]) << (8 * i);
    return std::int32_t(n);
}

Bytes clsKey::getByteArrKeyParam(std::int32_t param, std::int32_t flags) {
    return keyParam("GetByteArrKeyParam", param, flags);
}

Bytes clsKey::keyParam(std::string_view member, std::int32_t param, std::int32_t) {
    if (handle_ == 0) return {};   // no key: nothing to read, as for a parameter the key does not have
    return asMember(kClass, member, [&] { return engine::keyParam(handle_, param).value_or(Bytes{}); });
}

Bytes clsKey::encrypt(ByteSpan data, std::int32_t hash, std::int32_t) {
    return asMember(kClass, "Encrypt", [&] {
        const std::int32_t type = cipherAlgorithmType();
        ByteInputStream out;
        if (type == ALG_TYPE_BLOCK && getLongKeyParam(KP_BLOCKLEN) >= 1 && !data.empty())
            out.addLast(engine::encrypt(handle_, hash, data));
        else if (type == ALG_TYPE_STREAM && !data.empty())
            out.addLast(engine::encrypt(handle_, hash, data));
        return out.getAll();   // nothing encrypted: error 9, as the empty queue answers
    });
}

Bytes clsKey::decrypt(ByteSpan data, std::int32_t hash, std::int32_t) {
    return asMember(kClass, "Decrypt", [&]() -> Bytes {
        const std::int32_t type = cipherAlgorithmType();
        if (type == ALG_TYPE_BLOCK) {
            if (getLongKeyParam(KP_BLOCKLEN) <= 0) return {};
            if (data.empty()) raise(err::SubscriptOutOfRange);
            return engine::decrypt(handle_, hash, data);
        }
        if (type == ALG_TYPE_STREAM) {
            if (data.empty()) raise(err::SubscriptOutOfRange);
            return engine::decrypt(handle_, hash, data);
        }
        return {};
    });
}

const Members<clsKey>& clsKey::members() {
    static const Members<clsKey> m = [] {
        using K = clsKey;
        Members<K> t("clsKey");
        t.get("hKey", [](K& k, Args&) { return Variant(k.hKey()); })
            .method("Export", {1, 3}, [](K& k, Args& a) { return fromBytes(k.exportKey(a.int32(0), a.int32(1), a.int32(2))); })
            .method("Import", {2, 4}, [](K& k, Args& a) {
                return Variant(k.importKey(a.int32(0), ByteArg(a.value(1)), a.int32(2), a.int32(3)));
            })
            .method("GetUserSignature", {1, 1}, [](K& k, Args& a) { return Variant(k.getUserSignature(a.int32(0))); })
            .method("GetUserExchangeKey", {1, 1}, [](K& k, Args& a) { return Variant(k.getUserExchangeKey(a.int32(0))); })
            .get("CipherAlgorithmType", [](K& k, Args&) { return Variant(k.cipherAlgorithmType()); })
            .method("GenerateExchangeKey", {1, 2}, [](K& k, Args& a) { return Variant(k.generateExchangeKey(a.int32(0), a.int32(1))); })
            .method("GenerateSignature", {1, 2}, [](K& k, Args& a) { return Variant(k.generateSignature(a.int32(0), a.int32(1))); })
            .method("Generate", {2, 3}, [](K& k, Args& a) { return Variant(k.generate(a.int32(0), a.int32(1), a.int32(2))); })
            .method("GenerateDH_StoreForward", {1, 2}, [](K& k, Args& a) { return Variant(k.generateDhStoreForward(a.int32(0), a.int32(1))); })
            .method("GenerateDH_Ephemeral", {1, 2}, [](K& k, Args& a) { return Variant(k.generateDhEphemeral(a.int32(0), a.int32(1))); })
            .method("Derive", {2, 3}, [](K& k, Args& a) {
                clsHash* hash = a.raw(0).objectAs<clsHash>();
                if (!hash) raise(err::TypeMismatch, "clsKey.Derive");
                return Variant(k.derive(*hash, a.int32(1), a.int32(2)));
            })
            .method("GetLongKeyParam", {1, 2}, [](K& k, Args& a) { return Variant(k.getLongKeyParam(a.int32(0), a.int32(1))); })
            .method("GetByteArrKeyParam", {1, 2}, [](K& k, Args& a) { return fromBytes(k.getByteArrKeyParam(a.int32(0), a.int32(1))); })
            .method("Encrypt", {1, 3}, [](K& k, Args& a) { return fromBytes(k.encrypt(ByteArg(a.value(0)), a.int32(1), a.int32(2))); })
            .method("Decrypt", {1, 3}, [](K& k, Args& a) { return fromBytes(k.decrypt(ByteArg(a.value(0)), a.int32(1), a.int32(2))); });
        for (const KeyProperty& p : kProperties) {
            if (p.bytes)
                t.get(p.member, [p](K& k, Args&) {
                    return asMember(kClass, p.source ? p.source : p.member, [&] { return fromBytes(k.getByteArrKeyParam(p.param)); });
                });
            else
                t.get(p.member, [p](K& k, Args&) {
                    return asMember(kClass, p.source ? p.source : p.member, [&] { return Variant(k.getLongKeyParam(p.param)); });
                });
        }
        return t;
    }();
    return m;
}

}  // namespace keystrand
