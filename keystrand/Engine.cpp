#include "Engine.h"

#include "Digest.h"
#include "Enumerations.h"
#include "Errors.h"
#include "OpenSsl.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/param_build.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <variant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// ---- RSA helpers ----

struct BnFree {
    void operator()(BIGNUM* b) const noexcept { BN_clear_free(b); }
};
using Bn = std::unique_ptr<BIGNUM, BnFree>;

Bn bnParam(EVP_PKEY* key, const char* name) {
    BIGNUM* b = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &b) != 1) return nullptr;
    return Bn(b);
}

void appendLe(Bytes& out, const BIGNUM* b, std::size_t width) {
    const std::size_t at = out.size();
    out.resize(at + width);
    if (BN_bn2lebinpad(b, out.data() + at, int(width)) < 0) fail(code::BadKey);
}

Bn readLe(ByteSpan& in, std::size_t width) {
    if (in.size() < width) fail(code::BadData);
    Bn b(BN_lebin2bn(in.data(), int(width), nullptr));
    in = in.subspan(width);
    if (!b) fail(code::NoMemory);
    return b;
}

void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}
std::uint32_t get32(ByteSpan& in) {
    if (in.size() < 4) fail(code::BadData);
    const std::uint32_t v = std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 |
                            std::uint32_t(in[3]) << 24;
    in = in.subspan(4);
    return v;
}
Bytes le32(std::uint32_t v) {
    Bytes b;
    put32(b, v);
    return b;
}

constexpr std::uint32_t kPublicMagic = 0x31415352;    // "RSA1"
constexpr std::uint32_t kPrivateMagic = 0x32415352;   // "RSA2"
constexpr std::uint8_t kBlobVersion = 2;

ossl::Pkey rsaFromParams(const BIGNUM* n, const BIGNUM* e, const BIGNUM* d, const BIGNUM* p, const BIGNUM* q,
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

int rsaBits(EVP_PKEY* key) { return EVP_PKEY_get_bits(key); }

ossl::Pkey generateRsa(int bits) {
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_name(ossl::context(), "RSA", nullptr));
    EVP_PKEY* key = nullptr;
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 || EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), bits) != 1 ||
        EVP_PKEY_generate(ctx.get(), &key) != 1)
        fail(code::InternalFailure);
    return ossl::adopt(key);
}

// PUBLICKEYBLOB / PRIVATEKEYBLOB body after the 8-byte header.
Bytes rsaBlobBody(EVP_PKEY* key, bool withPrivate) {
    const int bits = rsaBits(key);
    const std::size_t len = std::size_t(bits + 7) / 8, half = std::size_t(bits + 15) / 16;
    Bn n = bnParam(key, OSSL_PKEY_PARAM_RSA_N), e = bnParam(key, OSSL_PKEY_PARAM_RSA_E);
    if (!n || !e || BN_num_bytes(e.get()) > 4) fail(code::BadKey);
    Bytes out;
    put32(out, withPrivate ? kPrivateMagic : kPublicMagic);
    put32(out, std::uint32_t(bits));
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

// Reads the RSA body of a blob; `isPrivate` says which magic is expected.
ossl::Pkey rsaFromBlobBody(ByteSpan in, bool isPrivate) {
    if (get32(in) != (isPrivate ? kPrivateMagic : kPublicMagic)) fail(code::BadData);
    const std::uint32_t bits = get32(in);
    const std::uint32_t exponent = get32(in);
    if (bits < 256 || bits > 16384 || bits % 8 != 0) fail(code::BadData);
    const std::size_t len = bits / 8, half = (bits + 15) / 16;
    Bn e(BN_new());
    if (!e || BN_set_word(e.get(), exponent) != 1) fail(code::NoMemory);
    Bn n = readLe(in, len);
    // The key's length is its modulus's: a shorter one would export as a blob of another length.
    if (BN_num_bits(n.get()) != int(bits)) fail(code::BadData);
    if (!isPrivate) return rsaFromParams(n.get(), e.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    Bn p = readLe(in, half), q = readLe(in, half), dp = readLe(in, half), dq = readLe(in, half),
       qi = readLe(in, half), d = readLe(in, len);
    ossl::Pkey key = rsaFromParams(n.get(), e.get(), d.get(), p.get(), q.get(), dp.get(), dq.get(), qi.get());
    // Parts that do not belong together would sign garbage: refuse them here.
    ossl::PkeyCtx check(EVP_PKEY_CTX_new_from_pkey(ossl::context(), key.get(), nullptr));
    if (!check || EVP_PKEY_pairwise_check(check.get()) != 1) fail(code::BadData);
    return key;
}

Bytes reversed(Bytes b) {
    std::reverse(b.begin(), b.end());
    return b;
}

using PkeyOp = int (*)(EVP_PKEY_CTX*, unsigned char*, size_t*, const unsigned char*, size_t);

Bytes rsaRun(EVP_PKEY* key, int (*init)(EVP_PKEY_CTX*), PkeyOp op, ByteSpan in, std::int32_t failure) {
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

// DigestInfo prefixes of the hashes a signature names.
Bytes digestInfoPrefix(std::int32_t algorithm) {
    switch (algorithm) {
    case alg::MD2: return {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x02, 0x02, 0x05, 0x00, 0x04, 0x10};
    case alg::MD4: return {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x02, 0x04, 0x05, 0x00, 0x04, 0x10};
    case alg::MD5: return {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x02, 0x05, 0x05, 0x00, 0x04, 0x10};
    case alg::SHA1: return {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2b, 0x0e, 0x03, 0x02, 0x1a, 0x05, 0x00, 0x04, 0x14};
    case alg::SHA_256: return {0x30, 0x31, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01, 0x05, 0x00, 0x04, 0x20};
    case alg::SHA_384: return {0x30, 0x41, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02, 0x05, 0x00, 0x04, 0x30};
    case alg::SHA_512: return {0x30, 0x51, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03, 0x05, 0x00, 0x04, 0x40};
    default: return {};   // the SSL3 pair is signed bare
    }
}

// ---- Objects behind the handles ----

struct KeyPair {
    ossl::Pkey pkey;
    std::int32_t flags = 0;   // generation flags (CRYPT_EXPORTABLE)
};

struct Context {
    const ProviderInfo* provider = nullptr;
    std::string container;
    bool verifyOnly = false;
    fs::path folder;
    KeyPair signature, exchange;
};

struct Key {
    const ProviderInfo* provider = nullptr;
    std::int32_t algorithm = 0;
    std::int32_t flags = 0;
    Bytes secret;        // symmetric keys
    ossl::Pkey pkey;     // RSA keys
    bool hasPrivate = false;
};

struct Hash {
    Handle context = 0;
    std::int32_t algorithm = 0;
    std::optional<Digest> digest;   // every hash but the MAC
    std::shared_ptr<Key> macKey;     // the MAC: a block cipher's CBC over all the data
    Bytes macData;
    std::optional<Bytes> value;
};

using Entry = std::variant<std::shared_ptr<Context>, std::shared_ptr<Hash>, std::shared_ptr<Key>>;

class Table {
public:
    Handle add(Entry e) {
        std::lock_guard lock(m_);
        do {
            next_ = next_ >= 0x7FFFFFF0 ? 1 : next_ + 1;
        } while (items_.count(next_));
        items_.emplace(next_, std::move(e));
        return next_;
    }
    template <class T>
    std::shared_ptr<T> get(Handle h, std::int32_t bad) {
        std::lock_guard lock(m_);
        auto it = items_.find(h);
        if (it == items_.end() || !std::holds_alternative<std::shared_ptr<T>>(it->second)) fail(bad);
        return std::get<std::shared_ptr<T>>(it->second);
    }
    template <class T>
    void remove(Handle h, std::int32_t bad) {
        Entry gone;   // destroyed outside the lock
        {
            std::lock_guard lock(m_);
            auto it = items_.find(h);
            if (it == items_.end() || !std::holds_alternative<std::shared_ptr<T>>(it->second)) fail(bad);
            gone = std::move(it->second);
            items_.erase(it);
        }
    }
    std::size_t size() {
        std::lock_guard lock(m_);
        return items_.size();
    }

private:
    std::mutex m_;
    std::unordered_map<Handle, Entry> items_;
    Handle next_ = 0;
};

Table& table() {
    static Table* t = new Table;   // outlives every static object that still holds handles
    return *t;
}

std::shared_ptr<Context> context(Handle h) { return table().get<Context>(h, code::BadUid); }
std::shared_ptr<Hash> hashOf(Handle h) { return table().get<Hash>(h, code::BadHash); }
std::shared_ptr<Key> keyOf(Handle h) { return table().get<Key>(h, code::BadKey); }

// ---- Key containers ----

fs::path containersFolder() { return dataRoot() / "Containers"; }

std::string defaultContainer() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    return "Default";
}

bool validContainerName(std::string_view name) {
    if (name.empty() || name.size() > 260 || name == "." || name == "..") return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

void makePrivateFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) fail(code::Permission);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
}

const char* keyFileName(std::int32_t keySpec) { return keySpec == AT_SIGNATURE ? "Signature.key" : "Exchange.key"; }

void saveKeyPair(const fs::path& folder, std::int32_t keySpec, const KeyPair& pair) {
    Bytes data = le32(std::uint32_t(pair.flags));
    const Bytes body = rsaBlobBody(pair.pkey.get(), true);
    data.insert(data.end(), body.begin(), body.end());
    const fs::path target = folder / keyFileName(keySpec);
    const fs::path temp = folder / (std::string(keyFileName(keySpec)) + ".tmp");
    // Created private from the start: the key is never readable by others, not even briefly.
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool written = fd >= 0;
    for (std::size_t done = 0; written && done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0) written = false;
        else done += std::size_t(n);
    }
    if (fd >= 0) {
        if (::fsync(fd) != 0) written = false;
        if (::close(fd) != 0) written = false;
    }
    OPENSSL_cleanse(data.data(), data.size());
    std::error_code ec;
    if (written) fs::rename(temp, target, ec);
    if (!written || ec) {
        fs::remove(temp, ec);
        fail(code::Permission);
    }
}

KeyPair loadKeyPair(const fs::path& folder, std::int32_t keySpec) {
    std::ifstream in(folder / keyFileName(keySpec), std::ios::binary);
    if (!in) return {};
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ByteSpan s(data);
    KeyPair pair;
    try {
        pair.flags = std::int32_t(get32(s));
        pair.pkey = rsaFromBlobBody(s, true);
    } catch (const Failure&) {
        OPENSSL_cleanse(data.data(), data.size());
        fail(code::BadKeyset);
    }
    OPENSSL_cleanse(data.data(), data.size());
    return pair;
}

KeyPair& pairOf(Context& c, std::int32_t keySpec) {
    if (keySpec != AT_SIGNATURE && keySpec != AT_KEYEXCHANGE) fail(code::BadKey);
    return keySpec == AT_SIGNATURE ? c.signature : c.exchange;
}

// The context's new pair of that kind, kept in its container unless it is verify-only.
void setPair(Context& c, std::int32_t keySpec, const KeyPair& pair) {
    if (!c.verifyOnly) saveKeyPair(c.folder, keySpec, pair);
    pairOf(c, keySpec) = pair;
}

// ---- Key objects ----

std::shared_ptr<Key> newKey(const ProviderInfo* provider, std::int32_t algorithm, std::int32_t flags) {
    auto k = std::make_shared<Key>();
    k->provider = provider;
    k->algorithm = algorithm;
    k->flags = flags;
    return k;
}

// The engine's entry of a block or stream cipher; the bad-algorithm code for anything else.
const AlgorithmInfo& symmetricAlgorithm(std::int32_t algorithm) {
    const AlgorithmInfo* info = findAlgorithm(algorithm);
    if (!info || (info->kind != AlgorithmKind::BlockCipher && info->kind != AlgorithmKind::StreamCipher))
        fail(code::BadAlgorithm);
    return *info;
}

// ---- Symmetric keys ----

std::int32_t requestedBits(const AlgorithmRecord& record, std::int32_t flags) {
    const std::int32_t bits = std::int32_t(std::uint32_t(flags) >> 16);
    if (bits == 0) return record.defaultLen;
    if (bits < record.minLen || bits > record.maxLen) fail(code::BadFlags);
    return bits;
}

const AlgorithmRecord& offered(const ProviderInfo& provider, std::int32_t algorithm) {
    const AlgorithmRecord* r = providerAlgorithm(provider, algorithm);
    if (!r) fail(code::BadAlgorithm);
    return *r;
}

void fixDesParity(Bytes& key) {
    for (auto& b : key) {
        int ones = 0;
        for (int i = 1; i < 8; ++i) ones += (b >> i) & 1;
        b = std::uint8_t((b & 0xFE) | ((ones & 1) ? 0 : 1));
    }
}

std::size_t secretBytes(const AlgorithmInfo& info, std::int32_t bits) {
    return info.fixedKeyBytes ? std::size_t(info.fixedKeyBytes) : std::size_t(bits + 7) / 8;
}

Handle addSymmetric(const ProviderInfo& provider, const AlgorithmInfo& info, Bytes secret, std::int32_t flags) {
    if (info.fixedKeyBytes && info.id != alg::AES_128 && info.id != alg::AES_192 && info.id != alg::AES_256)
        fixDesParity(secret);
    auto k = newKey(&provider, info.id, flags);
    k->secret = std::move(secret);
    return table().add(k);
}

bool symmetric(const Key& k) {
    const AlgorithmInfo* info = findAlgorithm(k.algorithm);
    return info && (info->kind == AlgorithmKind::BlockCipher || info->kind == AlgorithmKind::StreamCipher);
}

Bytes cipherRun(const Key& k, ByteSpan in, bool encrypt) {
    const AlgorithmInfo* info = findAlgorithm(k.algorithm);
    ossl::Cipher cipher = ossl::fetchCipher(info->opensslName);
    ossl::CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!cipher || !ctx) fail(code::BadAlgorithm);
    const unsigned char zeroIv[16] = {};
    if (EVP_CipherInit_ex2(ctx.get(), cipher.get(), nullptr, nullptr, encrypt ? 1 : 0, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_key_length(ctx.get(), int(k.secret.size())) != 1)
        fail(code::BadKey);
    if (k.algorithm == alg::RC2 &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_SET_RC2_KEY_BITS, int(k.secret.size() * 8), nullptr) != 1)
        fail(code::BadKey);
    if (EVP_CipherInit_ex2(ctx.get(), nullptr, k.secret.data(), zeroIv, encrypt ? 1 : 0, nullptr) != 1)
        fail(code::BadKey);
    Bytes out(in.size() + 32);
    int n = 0, tail = 0;
    if (EVP_CipherUpdate(ctx.get(), out.data(), &n, in.data(), int(in.size())) != 1) fail(code::BadData);
    if (EVP_CipherFinal_ex(ctx.get(), out.data() + n, &tail) != 1) fail(code::BadData);
    out.resize(std::size_t(n + tail));
    return out;
}

}  // namespace

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
    const fs::path folder = containersFolder() / name;
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
        makePrivateFolder(containersFolder());   // the names are the user's business too
        makePrivateFolder(folder);
    } else if (!exists) {
        fail(code::BadKeyset);
    }
    c->container = name;
    c->folder = folder;
    c->signature = loadKeyPair(folder, AT_SIGNATURE);
    c->exchange = loadKeyPair(folder, AT_KEYEXCHANGE);
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

std::vector<std::string> containerNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(containersFolder(), ec), end; !ec && it != end; it.increment(ec))
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
        h->macKey = k;
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
    if (h->digest) h->digest->update(data);
    else h->macData.insert(h->macData.end(), data.begin(), data.end());
}

Bytes hashValue(Handle hash) {
    auto h = hashOf(hash);
    if (!h->value) {
        if (h->digest) {
            h->value = h->digest->final();
        } else {
            const Bytes all = cipherRun(*h->macKey, h->macData, true);
            const std::size_t block = std::size_t(findAlgorithm(h->macKey->algorithm)->blockBits / 8);
            h->value = Bytes(all.end() - std::ptrdiff_t(block), all.end());
        }
    }
    return *h->value;
}

std::int32_t hashParam(Handle hash, std::int32_t param) {
    auto h = hashOf(hash);
    if (param == HP_ALGID) return h->algorithm;
    if (param == HP_HASHSIZE)
        return std::int32_t(h->digest ? h->digest->size() : std::size_t(findAlgorithm(h->macKey->algorithm)->blockBits / 8));
    fail(code::BadType);
}

Handle hashContext(Handle hash) { return hashOf(hash)->context; }

namespace {
Bytes signedBlock(std::int32_t algorithm, const Bytes& value, std::int32_t flags) {
    Bytes tbs = (flags & CRYPT_NOHASHOID) ? Bytes{} : digestInfoPrefix(algorithm);
    tbs.insert(tbs.end(), value.begin(), value.end());
    return tbs;
}
}  // namespace

Bytes signHash(Handle hash, std::int32_t keySpec, std::int32_t flags) {
    auto h = hashOf(hash);
    if (flags & ~CRYPT_NOHASHOID) fail(code::BadFlags);
    const KeyPair& pair = pairOf(*context(h->context), keySpec);
    if (!pair.pkey) fail(code::NoKey);
    const Bytes tbs = signedBlock(h->algorithm, hashValue(hash), flags);
    return reversed(rsaRun(pair.pkey.get(), EVP_PKEY_sign_init, EVP_PKEY_sign, tbs, code::BadLength));
}

void verifySignature(Handle hash, ByteSpan signature, Handle publicKey, std::int32_t flags) {
    auto h = hashOf(hash);
    auto k = keyOf(publicKey);
    if (flags & ~CRYPT_NOHASHOID) fail(code::BadFlags);
    if (!k->pkey) fail(code::BadKey);
    const Bytes tbs = signedBlock(h->algorithm, hashValue(hash), flags);
    const Bytes sig = reversed(Bytes(signature.begin(), signature.end()));
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(ossl::context(), k->pkey.get(), nullptr));
    if (!ctx || EVP_PKEY_verify_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        fail(code::InternalFailure);
    if (EVP_PKEY_verify(ctx.get(), sig.data(), sig.size(), tbs.data(), tbs.size()) != 1) fail(code::BadSignature);
}

void destroyHash(Handle hash) { table().remove<Hash>(hash, code::BadHash); }

// ---- Keys ----

Handle generateKey(Handle ctx, std::int32_t algorithm, std::int32_t flags) {
    auto c = context(ctx);
    std::int32_t keySpec = 0;
    if (algorithm == AT_SIGNATURE || algorithm == alg::RSA_SIGN) keySpec = AT_SIGNATURE;
    if (algorithm == AT_KEYEXCHANGE || algorithm == alg::RSA_KEYX) keySpec = AT_KEYEXCHANGE;
    if (keySpec) {
        const AlgorithmRecord& r = offered(*c->provider, keySpec == AT_SIGNATURE ? alg::RSA_SIGN : alg::RSA_KEYX);
        const std::int32_t bits = requestedBits(r, flags);
        setPair(*c, keySpec, KeyPair{generateRsa(bits), flags & 0xFFFF});
        return userKey(ctx, keySpec);
    }
    const AlgorithmRecord& r = offered(*c->provider, algorithm);
    const AlgorithmInfo& info = symmetricAlgorithm(algorithm);
    Bytes secret(secretBytes(info, requestedBits(r, flags)));
    if (RAND_bytes_ex(ossl::context(), secret.data(), secret.size(), 0) != 1) fail(code::InternalFailure);
    return addSymmetric(*c->provider, info, std::move(secret), flags & 0xFFFF);
}

Handle deriveKey(Handle ctx, std::int32_t algorithm, Handle hash, std::int32_t flags) {
    auto c = context(ctx);
    auto h = hashOf(hash);
    const AlgorithmRecord& r = offered(*c->provider, algorithm);
    const AlgorithmInfo& info = symmetricAlgorithm(algorithm);
    const std::size_t need = secretBytes(info, requestedBits(r, flags));
    Bytes value = hashValue(hash);
    Bytes secret;
    if (value.size() >= need) {
        secret.assign(value.begin(), value.begin() + std::ptrdiff_t(need));
    } else {
        // Too short a hash value: stretch it through the hash of two padded blocks.
        Bytes inner(64, 0x36), outer(64, 0x5C);
        for (std::size_t i = 0; i < value.size() && i < 64; ++i) {
            inner[i] ^= value[i];
            outer[i] ^= value[i];
        }
        secret = Digest::of(h->algorithm, inner);
        const Bytes second = Digest::of(h->algorithm, outer);
        secret.insert(secret.end(), second.begin(), second.end());
        if (secret.size() < need) fail(code::BadLength);
        secret.resize(need);
    }
    OPENSSL_cleanse(value.data(), value.size());
    return addSymmetric(*c->provider, info, std::move(secret), flags & 0xFFFF);
}

Handle userKey(Handle ctx, std::int32_t keySpec) {
    auto c = context(ctx);
    const KeyPair& pair = pairOf(*c, keySpec);
    if (!pair.pkey) fail(code::NoKey);
    auto k = newKey(c->provider, keySpec == AT_SIGNATURE ? alg::RSA_SIGN : alg::RSA_KEYX, pair.flags);
    k->pkey = pair.pkey;
    k->hasPrivate = true;
    return table().add(k);
}

Handle importKey(Handle ctx, ByteSpan blob, Handle unwrapKey, std::int32_t flags) {
    auto c = context(ctx);
    if (blob.size() < 8) fail(code::BadData);
    const std::uint8_t type = blob[0];
    if (blob[1] != kBlobVersion || blob[2] != 0 || blob[3] != 0) fail(code::BadVersion);
    ByteSpan in = blob.subspan(4);
    const std::int32_t algorithm = std::int32_t(get32(in));
    if (type == PUBLICKEYBLOB || type == PRIVATEKEYBLOB) {
        if (algorithm != alg::RSA_SIGN && algorithm != alg::RSA_KEYX) fail(code::BadAlgorithm);
        offered(*c->provider, algorithm);
        auto k = newKey(c->provider, algorithm, flags & 0xFFFF);
        k->pkey = rsaFromBlobBody(in, type == PRIVATEKEYBLOB);
        k->hasPrivate = type == PRIVATEKEYBLOB;
        // An imported key pair becomes the context's own pair of its kind.
        if (k->hasPrivate)
            setPair(*c, algorithm == alg::RSA_SIGN ? AT_SIGNATURE : AT_KEYEXCHANGE, KeyPair{k->pkey, k->flags});
        return table().add(k);
    }
    const AlgorithmInfo& info = symmetricAlgorithm(algorithm);
    const AlgorithmRecord& r = offered(*c->provider, algorithm);
    Bytes secret;
    if (type == PLAINTEXTKEYBLOB) {
        const std::uint32_t size = get32(in);
        if (size != in.size()) fail(code::BadData);
        secret.assign(in.begin(), in.end());
    } else if (type == SIMPLEBLOB) {
        auto unwrap = keyOf(unwrapKey);
        if (!unwrap->pkey || !unwrap->hasPrivate) fail(code::BadKey);
        if (get32(in) != std::uint32_t(unwrap->algorithm)) fail(code::BadAlgorithm);
        const Bytes wrapped = reversed(Bytes(in.begin(), in.end()));
        secret = rsaRun(unwrap->pkey.get(), EVP_PKEY_decrypt_init, EVP_PKEY_decrypt, wrapped, code::BadData);
    } else {
        fail(code::BadType);
    }
    const std::size_t bits = secret.size() * 8;
    const bool fixedOk = info.fixedKeyBytes && secret.size() == std::size_t(info.fixedKeyBytes);
    if (!fixedOk && (info.fixedKeyBytes || bits < std::size_t(r.minLen) || bits > std::size_t(r.maxLen)))
        fail(code::BadData);
    auto k = newKey(c->provider, algorithm, flags & 0xFFFF);
    k->secret = std::move(secret);   // imported as given: parity bits are the sender's
    return table().add(k);
}

Bytes exportKey(Handle key, Handle wrapKey, std::int32_t blobType, std::int32_t flags) {
    auto k = keyOf(key);
    Bytes out{std::uint8_t(blobType), kBlobVersion, 0, 0};
    put32(out, std::uint32_t(k->algorithm));
    const bool exportable = (k->flags & CRYPT_EXPORTABLE) != 0;
    switch (blobType) {
    case PUBLICKEYBLOB: {
        if (!k->pkey || wrapKey != 0) fail(k->pkey ? code::BadKey : code::BadKeyState);
        const Bytes body = rsaBlobBody(k->pkey.get(), false);
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }
    case PRIVATEKEYBLOB: {
        if (!k->pkey || !k->hasPrivate || wrapKey != 0) fail(code::BadKeyState);
        if (!exportable) fail(code::BadKeyState);
        const Bytes body = rsaBlobBody(k->pkey.get(), true);
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }
    case PLAINTEXTKEYBLOB:
        if (!symmetric(*k) || wrapKey != 0) fail(code::BadKeyState);
        if (!exportable) fail(code::BadKeyState);
        put32(out, std::uint32_t(k->secret.size()));
        out.insert(out.end(), k->secret.begin(), k->secret.end());
        return out;
    case SIMPLEBLOB: {
        if (!symmetric(*k)) fail(code::BadKeyState);
        if (!exportable) fail(code::BadKeyState);
        auto wrap = keyOf(wrapKey);
        if (!wrap->pkey || wrap->algorithm != alg::RSA_KEYX) fail(code::BadKey);
        put32(out, std::uint32_t(wrap->algorithm));
        const Bytes wrapped =
            reversed(rsaRun(wrap->pkey.get(), EVP_PKEY_encrypt_init, EVP_PKEY_encrypt, k->secret, code::BadLength));
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
    const int rsaKeyBits = k->pkey ? rsaBits(k->pkey.get()) : 0;
    switch (param) {
    case KP_ALGID: return le32(std::uint32_t(k->algorithm));
    case KP_BLOCKLEN:
        if (block) return le32(std::uint32_t(info->blockBits));
        return le32(std::uint32_t(rsaKeyBits));
    case KP_KEYLEN: return le32(std::uint32_t(k->pkey ? rsaKeyBits : int(k->secret.size() * 8)));
    case KP_EFFECTIVE_KEYLEN:
        if (k->algorithm == alg::RC2) return le32(std::uint32_t(k->secret.size() * 8));
        return std::nullopt;
    case KP_PERMISSIONS: {
        std::uint32_t p = CRYPT_ENCRYPT | CRYPT_DECRYPT | CRYPT_READ | CRYPT_WRITE | CRYPT_MAC;
        if (k->flags & CRYPT_EXPORTABLE) p |= CRYPT_EXPORT;
        return le32(p);
    }
    case KP_IV:
        if (block) return Bytes(std::size_t(info->blockBits / 8), 0);
        return std::nullopt;
    case KP_PADDING:
        if (block) return le32(PKCS5_PADDING);
        return std::nullopt;
    case KP_MODE:
        if (block) return le32(CRYPT_MODE_CBC);
        return std::nullopt;
    case KP_MODE_BITS:
        if (block) return le32(8);
        return std::nullopt;
    default: return std::nullopt;
    }
}

Bytes encrypt(Handle key, Handle hash, ByteSpan plain) {
    auto k = keyOf(key);
    if (hash != 0) hashData(hash, plain, 0);
    if (symmetric(*k)) return cipherRun(*k, plain, true);
    if (k->algorithm != alg::RSA_KEYX) fail(code::BadKey);
    return reversed(rsaRun(k->pkey.get(), EVP_PKEY_encrypt_init, EVP_PKEY_encrypt, plain, code::BadLength));
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
        const Bytes in = reversed(Bytes(cipherText.begin(), cipherText.end()));
        plain = rsaRun(k->pkey.get(), EVP_PKEY_decrypt_init, EVP_PKEY_decrypt, in, code::BadData);
    }
    if (hash != 0) hashData(hash, plain, 0);
    return plain;
}

void destroyKey(Handle key) { table().remove<Key>(key, code::BadKey); }

std::size_t liveHandles() { return table().size(); }

}  // namespace engine
}  // namespace keystrand
