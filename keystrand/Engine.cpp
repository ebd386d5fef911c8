#include "Engine.h"

#include "DssDhKeys.h"
#include "EngineState.h"
#include "Enumerations.h"
#include "Errors.h"
#include "RsaKeys.h"

#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <cstdlib>

namespace keystrand {

namespace fs = std::filesystem;

namespace {
std::mutex rootMutex;
fs::path rootOverride;
}  // namespace

fs::path dataRoot() {
    {
        std::lock_guard lock(rootMutex);
        if (!rootOverride.empty()) return rootOverride;
    }
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return fs::path(x) / "Keystrand";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local" / "share" / "Keystrand";
}

void setDataRoot(const fs::path& root) {
    std::lock_guard lock(rootMutex);
    rootOverride = root;
}

namespace engine {

using namespace detail;

// ---- Contexts ----

Handle acquireContext(std::string_view container, std::string_view providerName, std::int32_t type, std::int32_t flags) {
    const std::uint32_t f = std::uint32_t(flags);
    constexpr std::uint32_t kVerify = 0xF0000000u;
    const ProviderInfo* provider = findProvider(providerName, type);
    if (!provider) {
        for (const auto& p : providerTable())
            if (providerName == p.name) fail(code::BadProviderType);
        fail(code::KeysetNotDefined);
    }
    if ((f & ~(kVerify | CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET)) != 0) fail(code::BadFlags);
    auto c = std::make_shared<Context>();
    c->provider = provider;
    if ((f & kVerify) == kVerify) {
        if (f & (CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET)) fail(code::BadFlags);
        c->verifyOnly = true;
        return table().add(c);
    }
    const std::string name = container.empty() ? defaultContainer() : std::string(container);
    if (!validContainerName(name)) fail(code::BadKeysetParameter);
    const fs::path folder = containersFolder(*provider) / name;
    std::error_code ec;
    const bool exists = fs::is_directory(folder, ec);
    if (f & CRYPT_DELETEKEYSET) {
        if (f & CRYPT_NEWKEYSET) fail(code::BadFlags);
        if (!exists) fail(code::BadKeyset);
        fs::remove_all(folder, ec);
        if (ec) fail(code::Permission);
        return 0;
    }
    if (f & CRYPT_NEWKEYSET) {
        if (exists) fail(code::Exists);
        makePrivateFolder(containersFolder(*provider));   // the names are the user's business too
        makePrivateFolder(folder);
    } else if (!exists) {
        fail(code::BadKeyset);
    }
    c->container = name;
    c->folder = folder;
    c->signature = loadKeyPair(folder, AT_SIGNATURE, *provider);
    c->exchange = loadKeyPair(folder, AT_KEYEXCHANGE, *provider);
    return table().add(c);
}

void releaseContext(Handle h) { table().remove<Context>(h, code::BadUid); }

std::optional<ContextInfo> contextInfo(Handle h) {
    try {
        auto c = context(h);
        return ContextInfo{c->provider, c->container, c->verifyOnly};
    } catch (const Failure&) {
        return std::nullopt;
    }
}

std::vector<std::string> containerNames(const ProviderInfo& provider) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(containersFolder(provider), ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Bytes random(Handle h, std::size_t length) {
    context(h);
    Bytes out(length);
    if (length && RAND_bytes_ex(ossl::context(), out.data(), length, 0) != 1) fail(code::InternalFailure);
    return out;
}

// ---- Hashes ----

Handle createHash(Handle ctx, std::int32_t algorithm, Handle key, std::int32_t flags) {
    auto c = context(ctx);
    if (flags != 0) fail(code::BadFlags);
    const AlgorithmInfo* info = findAlgorithm(algorithm);
    if (!info || (info->kind != AlgorithmKind::Hash && info->kind != AlgorithmKind::Mac) ||
        !providerAlgorithm(*c->provider, algorithm))
        fail(code::BadAlgorithm);
    auto h = std::make_shared<Hash>();
    h->context = ctx;
    h->algorithm = algorithm;
    if (algorithm == alg::MAC) {
        auto k = keyOf(key);
        const AlgorithmInfo* keyInfo = findAlgorithm(k->algorithm);
        if (!keyInfo || keyInfo->kind != AlgorithmKind::BlockCipher) fail(code::BadKey);
        h->mac = cipherContext(*k, true);
        h->macBlock = std::size_t(keyInfo->blockBits / 8);
    } else {
        if (key != 0) fail(code::BadKey);   // only the MAC takes a key
        h->digest.emplace(algorithm);
    }
    return table().add(h);
}

void hashData(Handle hash, ByteSpan data, std::int32_t flags) {
    auto h = hashOf(hash);
    if (flags != 0) fail(code::BadFlags);
    if (h->value) fail(code::BadHashState);
    if (h->digest) {
        h->digest->update(data);
        return;
    }
    // Only the chaining value matters: the cipher text goes through a small buffer.
    constexpr std::size_t kChunk = 1 << 16;
    Bytes scratch(std::min(data.size(), kChunk) + h->macBlock);
    for (std::size_t at = 0; at < data.size(); at += kChunk) {
        const std::size_t n = std::min(kChunk, data.size() - at);
        int out = 0;
        if (EVP_EncryptUpdate(h->mac.get(), scratch.data(), &out, data.data() + at, int(n)) != 1)
            fail(code::InternalFailure);
    }
}

Bytes hashValue(Handle hash) {
    auto h = hashOf(hash);
    if (!h->value) {
        if (h->digest) {
            h->value = h->digest->final();
        } else {
            // The padded final block is the last block of the cipher text: the MAC.
            Bytes last(2 * h->macBlock);
            int n = 0;
            if (EVP_EncryptFinal_ex(h->mac.get(), last.data(), &n) != 1 || std::size_t(n) != h->macBlock)
                fail(code::InternalFailure);
            last.resize(h->macBlock);
            h->value = std::move(last);
            h->mac.reset();
        }
    }
    return *h->value;
}

std::int32_t hashParam(Handle hash, std::int32_t param) {
    auto h = hashOf(hash);
    if (param == HP_ALGID) return h->algorithm;
    if (param == HP_HASHSIZE) return std::int32_t(h->digest ? h->digest->size() : h->macBlock);
    fail(code::BadType);
}

Handle hashContext(Handle hash) { return hashOf(hash)->context; }

namespace {
Bytes signedBlock(std::int32_t algorithm, const Bytes& value, std::int32_t flags) {
    Bytes tbs = (flags & CRYPT_NOHASHOID) ? Bytes{} : rsa::digestInfoPrefix(algorithm);
    tbs.insert(tbs.end(), value.begin(), value.end());
    return tbs;
}

// DSS signs SHA-1 values only.
void checkDssHash(const Hash& h) {
    if (h.algorithm != alg::SHA1) fail(code::BadAlgorithm);
}
}  // namespace

Bytes signHash(Handle hash, std::int32_t keySpec, std::int32_t flags) {
    auto h = hashOf(hash);
    if (flags & ~CRYPT_NOHASHOID) fail(code::BadFlags);
    const KeyPair pair = pairOf(*context(h->context), keySpec);
    if (!pair.pkey) fail(code::NoKey);
    if (pair.algorithm == alg::DSS_SIGN) {
        checkDssHash(*h);
        return dssdh::sign(pair.pkey.get(), hashValue(hash));
    }
    if (pair.algorithm != alg::RSA_SIGN && pair.algorithm != alg::RSA_KEYX) fail(code::BadKey);
    const Bytes tbs = signedBlock(h->algorithm, hashValue(hash), flags);
    return blob::reversed(rsa::run(pair.pkey.get(), EVP_PKEY_sign_init, EVP_PKEY_sign, tbs, code::BadLength));
}

void verifySignature(Handle hash, ByteSpan signature, Handle publicKey, std::int32_t flags) {
    auto h = hashOf(hash);
    auto k = keyOf(publicKey);
    if (flags & ~CRYPT_NOHASHOID) fail(code::BadFlags);
    if (!k->pkey) fail(code::BadKey);
    if (k->algorithm == alg::DSS_SIGN) {
        checkDssHash(*h);
        if (!dssdh::verify(k->pkey.get(), hashValue(hash), signature)) fail(code::BadSignature);
        return;
    }
    if (k->algorithm != alg::RSA_SIGN && k->algorithm != alg::RSA_KEYX) fail(code::BadKey);
    const Bytes tbs = signedBlock(h->algorithm, hashValue(hash), flags);
    const Bytes sig = blob::reversed(Bytes(signature.begin(), signature.end()));
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(ossl::context(), k->pkey.get(), nullptr));
    if (!ctx || EVP_PKEY_verify_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        fail(code::InternalFailure);
    if (EVP_PKEY_verify(ctx.get(), sig.data(), sig.size(), tbs.data(), tbs.size()) != 1) fail(code::BadSignature);
}

void destroyHash(Handle hash) { table().remove<Hash>(hash, code::BadHash); }

std::size_t liveHandles() { return table().size(); }

}  // namespace engine
}  // namespace keystrand
