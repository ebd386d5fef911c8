#include "EngineState.h"

#include "Enumerations.h"
#include "Errors.h"

namespace keystrand::engine::detail {

Handle Table::add(Entry e) {
    std::lock_guard lock(m_);
    do {
        next_ = next_ >= 0x7FFFFFF0 ? 1 : next_ + 1;
    } while (items_.count(next_));
    items_.emplace(next_, std::move(e));
    return next_;
}

std::size_t Table::size() {
    std::lock_guard lock(m_);
    return items_.size();
}

Table& table() {
    static Table* t = new Table;   // outlives every static object that still holds handles
    return *t;
}

std::shared_ptr<Context> context(Handle h) { return table().get<Context>(h, code::BadUid); }
std::shared_ptr<Hash> hashOf(Handle h) { return table().get<Hash>(h, code::BadHash); }
std::shared_ptr<Key> keyOf(Handle h) { return table().get<Key>(h, code::BadKey); }

const AlgorithmRecord& offered(const ProviderInfo& provider, std::int32_t algorithm) {
    const AlgorithmRecord* r = providerAlgorithm(provider, algorithm);
    if (!r) fail(code::BadAlgorithm);
    return *r;
}

std::int32_t requestedBits(const AlgorithmRecord& record, std::int32_t flags, std::int32_t step) {
    const std::int32_t bits = std::int32_t(std::uint32_t(flags) >> 16);
    if (bits == 0) return record.defaultLen;
    if (bits < record.minLen || bits > record.maxLen || bits % step != 0) fail(code::BadFlags);
    return bits;
}

AlgorithmKind kindOf(std::int32_t algorithm) {
    const AlgorithmInfo* info = findAlgorithm(algorithm);
    if (!info) fail(code::BadAlgorithm);
    return info->kind;
}

const AlgorithmInfo& symmetricAlgorithm(std::int32_t algorithm) {
    const AlgorithmInfo* info = findAlgorithm(algorithm);
    if (!info || (info->kind != AlgorithmKind::BlockCipher && info->kind != AlgorithmKind::StreamCipher))
        fail(code::BadAlgorithm);
    return *info;
}

std::size_t secretBytes(const AlgorithmInfo& info, std::int32_t bits) {
    return info.fixedKeyBytes ? std::size_t(info.fixedKeyBytes) : std::size_t(bits + 7) / 8;
}

void fixParity(const AlgorithmInfo& info, Bytes& secret) {
    if (info.id != alg::DES && info.id != alg::TRIPLE_DES && info.id != alg::TRIPLE_DES_112) return;
    for (auto& b : secret) {
        int ones = 0;
        for (int i = 1; i < 8; ++i) ones += (b >> i) & 1;
        b = std::uint8_t((b & 0xFE) | ((ones & 1) ? 0 : 1));
    }
}

bool symmetric(const Key& k) {
    const AlgorithmInfo* info = findAlgorithm(k.algorithm);
    return info && (info->kind == AlgorithmKind::BlockCipher || info->kind == AlgorithmKind::StreamCipher);
}

Bytes saltFor(const AlgorithmInfo& info, std::size_t secretBytes, std::int32_t flags,
              const std::function<Bytes()>& created) {
    constexpr std::size_t kSaltBytes = 11;
    if ((info.id != alg::RC2 && info.id != alg::RC4) || secretBytes != 5 || (flags & CRYPT_NO_SALT)) return {};
    if (!(flags & CRYPT_CREATE_SALT)) return Bytes(kSaltBytes, 0);
    Bytes salt = created();
    if (salt.size() < kSaltBytes) fail(code::BadLength);
    salt.resize(kSaltBytes);
    return salt;
}

std::shared_ptr<Key> newKey(const ProviderInfo* provider, std::int32_t algorithm, std::int32_t flags) {
    auto k = std::make_shared<Key>();
    k->provider = provider;
    k->algorithm = algorithm;
    k->flags = flags;
    return k;
}

ossl::CipherCtx cipherContext(const Key& k, bool encrypt) {
    const AlgorithmInfo* info = findAlgorithm(k.algorithm);
    ossl::Cipher cipher = ossl::fetchCipher(info->opensslName);
    ossl::CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!cipher || !ctx) fail(code::BadAlgorithm);
    const unsigned char zeroIv[16] = {};
    // The salt follows the key into the cipher's key schedule; RC2's effective length stays
    // the key's own.
    Bytes material = k.secret;
    material.insert(material.end(), k.salt.begin(), k.salt.end());
    struct Cleanse {
        Bytes& b;
        ~Cleanse() { OPENSSL_cleanse(b.data(), b.size()); }
    } cleanse{material};
    if (EVP_CipherInit_ex2(ctx.get(), cipher.get(), nullptr, nullptr, encrypt ? 1 : 0, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_key_length(ctx.get(), int(material.size())) != 1)
        fail(code::BadKey);
    if (k.algorithm == alg::RC2 &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_SET_RC2_KEY_BITS, int(k.secret.size() * 8), nullptr) != 1)
        fail(code::BadKey);
    if (EVP_CipherInit_ex2(ctx.get(), nullptr, material.data(), zeroIv, encrypt ? 1 : 0, nullptr) != 1)
        fail(code::BadKey);
    return ctx;
}

Bytes cipherRun(const Key& k, ByteSpan in, bool encrypt) {
    ossl::CipherCtx ctx = cipherContext(k, encrypt);
    Bytes out(in.size() + 32);
    int n = 0, tail = 0;
    if (EVP_CipherUpdate(ctx.get(), out.data(), &n, in.data(), int(in.size())) != 1) fail(code::BadData);
    if (EVP_CipherFinal_ex(ctx.get(), out.data() + n, &tail) != 1) fail(code::BadData);
    out.resize(std::size_t(n + tail));
    return out;
}

}  // namespace keystrand::engine::detail
