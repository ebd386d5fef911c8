#include "Algorithms.h"

#include "Enumerations.h"
#include "OpenSsl.h"

#include <map>
#include <mutex>

namespace keystrand {

namespace {

using K = AlgorithmKind;
constexpr AlgorithmInfo kAlgorithms[] = {
    {alg::MD2, K::Hash, nullptr, 128, 0},
    {alg::MD4, K::Hash, "MD4", 128, 0},
    {alg::MD5, K::Hash, "MD5", 128, 0},
    {alg::SHA1, K::Hash, "SHA1", 160, 0},
    {alg::SSL3_SHAMD5, K::Hash, nullptr, 288, 0},
    {alg::MAC, K::Mac, nullptr, 0, 0},
    {alg::SHA_256, K::Hash, "SHA256", 256, 0},
    {alg::SHA_384, K::Hash, "SHA384", 384, 0},
    {alg::SHA_512, K::Hash, "SHA512", 512, 0},
    {alg::DES, K::BlockCipher, "DES-CBC", 64, 8},
    {alg::TRIPLE_DES_112, K::BlockCipher, "DES-EDE-CBC", 64, 16},
    {alg::TRIPLE_DES, K::BlockCipher, "DES-EDE3-CBC", 64, 24},
    {alg::RC2, K::BlockCipher, "RC2-CBC", 64, 0},
    {alg::CAST, K::BlockCipher, "CAST5-CBC", 64, 0},
    {alg::AES_128, K::BlockCipher, "AES-128-CBC", 128, 16},
    {alg::AES_192, K::BlockCipher, "AES-192-CBC", 128, 24},
    {alg::AES_256, K::BlockCipher, "AES-256-CBC", 128, 32},
    {alg::RC4, K::StreamCipher, "RC4", 0, 0},
    {alg::RSA_SIGN, K::RsaSignature, nullptr, 0, 0},
    {alg::RSA_KEYX, K::RsaExchange, nullptr, 0, 0},
    {alg::DSS_SIGN, K::DssSignature, nullptr, 0, 0},
    {alg::DH_SF, K::DhExchange, nullptr, 0, 0},
    {alg::DH_EPHEM, K::DhExchange, nullptr, 0, 0},
    {alg::AGREEDKEY_ANY, K::AgreedKey, nullptr, 0, 0},
};

// Records shared by the providers; each list below names them in its own order.
constexpr AlgorithmRecord kRc2{alg::RC2, 128, 40, 128, 0, "RC2", "RC2 block cipher"};
constexpr AlgorithmRecord kRc4{alg::RC4, 128, 40, 128, 0, "RC4", "RC4 stream cipher"};
constexpr AlgorithmRecord kDes{alg::DES, 56, 56, 56, 0, "DES", "Data Encryption Standard (DES)"};
constexpr AlgorithmRecord kDes112{alg::TRIPLE_DES_112, 112, 112, 112, 0, "3DES TWO KEY", "Two Key Triple DES"};
constexpr AlgorithmRecord kDes168{alg::TRIPLE_DES, 168, 168, 168, 0, "3DES", "Three Key Triple DES"};
constexpr AlgorithmRecord kCast{alg::CAST, 128, 40, 128, 0, "CAST", "CAST-128 block cipher"};
constexpr AlgorithmRecord kSha1{alg::SHA1, 160, 160, 160, CRYPT_FLAG_SIGNING, "SHA-1", "Secure Hash Algorithm (SHA-1)"};
constexpr AlgorithmRecord kMd2{alg::MD2, 128, 128, 128, CRYPT_FLAG_SIGNING, "MD2", "Message Digest 2 (MD2)"};
constexpr AlgorithmRecord kMd4{alg::MD4, 128, 128, 128, CRYPT_FLAG_SIGNING, "MD4", "Message Digest 4 (MD4)"};
constexpr AlgorithmRecord kMd5{alg::MD5, 128, 128, 128, CRYPT_FLAG_SIGNING, "MD5", "Message Digest 5 (MD5)"};
constexpr AlgorithmRecord kMac{alg::MAC, 0, 0, 0, 0, "MAC", "Message Authentication Code"};
constexpr AlgorithmRecord kSsl3{alg::SSL3_SHAMD5, 288, 288, 288, 0, "SSL3 SHAMD5", "SSL3 SHA-1 and MD5 hash"};
constexpr AlgorithmRecord kRsaSign{alg::RSA_SIGN, 1024, 512, 16384, CRYPT_FLAG_SIGNING, "RSA_SIGN", "RSA Signature"};
constexpr AlgorithmRecord kRsaKeyx{alg::RSA_KEYX, 1024, 512, 16384, 0, "RSA_KEYX", "RSA Key Exchange"};

// The basic provider: 40 to 56-bit RC2 and RC4, RSA exchange keys of at most 1024 bits.
constexpr AlgorithmRecord kBasic[] = {
    {alg::RC2, 40, 40, 56, 0, "RC2", "RC2 block cipher"},
    {alg::RC4, 40, 40, 56, 0, "RC4", "RC4 stream cipher"},
    kDes, kSha1, kMd2, kMd4, kMd5, kMac, kSsl3, kRsaSign,
    {alg::RSA_KEYX, 1024, 512, 1024, 0, "RSA_KEYX", "RSA Key Exchange"},
};

constexpr AlgorithmRecord kFull[] = {kRc2, kRc4, kDes, kDes112, kDes168, kCast, kSha1,
                                     kMd2, kMd4, kMd5, kMac, kSsl3, kRsaSign, kRsaKeyx};

constexpr AlgorithmRecord kAes[] = {
    {alg::AES_128, 128, 128, 128, 0, "AES 128", "Advanced Encryption Standard 128 bit"},
    {alg::AES_192, 192, 192, 192, 0, "AES 192", "Advanced Encryption Standard 192 bit"},
    {alg::AES_256, 256, 256, 256, 0, "AES 256", "Advanced Encryption Standard 256 bit"},
    kRc2, kRc4, kDes, kDes112, kDes168, kCast, kSha1,
    {alg::SHA_256, 256, 256, 256, CRYPT_FLAG_SIGNING, "SHA-256", "Secure Hash Algorithm (SHA-256)"},
    {alg::SHA_384, 384, 384, 384, CRYPT_FLAG_SIGNING, "SHA-384", "Secure Hash Algorithm (SHA-384)"},
    {alg::SHA_512, 512, 512, 512, CRYPT_FLAG_SIGNING, "SHA-512", "Secure Hash Algorithm (SHA-512)"},
    kMd2, kMd4, kMd5, kMac, kSsl3, kRsaSign, kRsaKeyx,
};

// DSS keys as FIPS 186-2 has them (512 to 1024 bits, q of 160 bits); Diffie-Hellman keys up
// to 4096 bits. Both on fresh domain parameters per key, in steps of 64 bits.
constexpr AlgorithmRecord kDssDh[] = {
    kRc2, kRc4, kDes, kDes112, kDes168, kSha1, kMd5, kMac,
    {alg::DSS_SIGN, 1024, 512, 1024, CRYPT_FLAG_SIGNING, "DSA_SIGN", "Digital Signature Algorithm"},
    {alg::DH_SF, 1024, 512, 4096, 0, "DH_SF", "Diffie-Hellman Store and Forward"},
    {alg::DH_EPHEM, 1024, 512, 4096, 0, "DH_EPHEM", "Diffie-Hellman Ephemeral"},
};

constexpr ProviderInfo kProviders[] = {
    {"Keystrand Basic RSA Provider", PROV_RSA_FULL, kBasic, 8},
    {"Keystrand Full RSA Provider", PROV_RSA_FULL, kFull, 8},
    {"Keystrand RSA and AES Provider", PROV_RSA_AES, kAes, 8},
    {"Keystrand DSS and Diffie-Hellman Provider", PROV_DSS_DH, kDssDh, 64},
};

bool probe(const AlgorithmInfo& a) {
    if (!a.opensslName) return true;   // our own code, or RSA from the default provider
    if (a.kind == AlgorithmKind::Hash) return bool(ossl::fetchDigest(a.opensslName));
    return bool(ossl::fetchCipher(a.opensslName));
}

}  // namespace

const AlgorithmInfo* findAlgorithm(std::int32_t id) {
    for (const auto& a : kAlgorithms)
        if (a.id == id) return &a;
    return nullptr;
}

bool algorithmAvailable(std::int32_t id) {
    static std::mutex m;
    static std::map<std::int32_t, bool> known;
    const AlgorithmInfo* a = findAlgorithm(id);
    if (!a) return false;
    std::lock_guard lock(m);
    auto it = known.find(id);
    if (it == known.end()) it = known.emplace(id, probe(*a)).first;
    return it->second;
}

namespace {
// The MAC runs over one of the provider's block ciphers: without any, it cannot be made.
bool offeredHere(const ProviderInfo& provider, const AlgorithmRecord& record) {
    if (!algorithmAvailable(record.id)) return false;
    if (record.id != alg::MAC) return true;
    for (const auto& r : provider.algorithms) {
        const AlgorithmInfo* info = findAlgorithm(r.id);
        if (info && info->kind == AlgorithmKind::BlockCipher && algorithmAvailable(r.id)) return true;
    }
    return false;
}

}  // namespace

std::span<const ProviderInfo> providerTable() { return kProviders; }

bool dssFamily(const ProviderInfo& provider) { return provider.type == PROV_DSS_DH || provider.type == PROV_DSS; }

const ProviderInfo* findProvider(std::string_view name, std::int32_t type) {
    for (const auto& p : kProviders)
        if (name == p.name && type == p.type) return &p;
    return nullptr;
}

std::vector<AlgorithmRecord> availableAlgorithms(const ProviderInfo& provider) {
    std::vector<AlgorithmRecord> out;
    for (const auto& r : provider.algorithms)
        if (offeredHere(provider, r)) out.push_back(r);
    return out;
}

const AlgorithmRecord* providerAlgorithm(const ProviderInfo& provider, std::int32_t id) {
    for (const auto& r : provider.algorithms)
        if (r.id == id) return offeredHere(provider, r) ? &r : nullptr;
    return nullptr;
}

}  // namespace keystrand
