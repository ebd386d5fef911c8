// Derived keys and MACs against answers made outside the library: the platform's own
// documented samples, a partner's published answer, FIPS 113, and expected keys computed
// from the documented derivation rule with Python's hashlib and the openssl command.

#include "Support.h"

#include "keystrand/Enumerations.h"
#include "keystrand/Errors.h"

namespace keystrand::test {
namespace {

using namespace engine;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kBasic = "Keystrand Basic RSA Provider";
constexpr const char* kAes = "Keystrand RSA and AES Provider";

Handle hashOf(Handle ctx, std::int32_t algorithm, const std::string& text) {
    const Handle h = createHash(ctx, algorithm, 0, 0);
    hashData(h, bytesOf(text), 0);
    return h;
}

// The key bytes of an exportable key, as its PLAINTEXTKEYBLOB carries them.
std::string keyHex(Handle key) {
    const Bytes blob = exportKey(key, 0, PLAINTEXTKEYBLOB, 0);
    return hex(Bytes(blob.begin() + 12, blob.end()));
}

// The platform's key derivation sample: the MD5 of "1134-kelp" gives a 40-bit RC4 key whose
// salt is zero, or the hash's next 11 bytes when asked for; and a partner's AES-128 key of
// SHA-1("my_key"), published as 13606B772B52B5F83BE4FF04572EB8 (its last byte cut off there).
TEST(Derive, DocumentedSamples) {
    const Handle basic = acquireContext("", kBasic, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
    const Handle h = hashOf(basic, alg::MD5, "1134-kelp");
    EXPECT_EQ(hex(hashValue(h)), "7340e6e274b8ea399395aa29d638b52a");
    Bytes plain;
    for (int i = 0; i < 32; ++i) plain.push_back(std::uint8_t(i));
    struct Case { std::int32_t flags; const char* salt; const char* cipher; };
    const Case cases[] = {
        {0, "0000000000000000000000", "2659de2444fa369c110cbb9db6a2bd24042ee3ba7276f3278dd5b42f56cff8c9"},
        {CRYPT_CREATE_SALT, "b8ea399395aa29d638b52a",
         "47f45de2cc3b871b95bcfc39fb86d305daa291fb80f12a22c3b9ec91dd9faf50"},
        // No salt: a true 40-bit key (openssl enc -rc4-40).
        {CRYPT_NO_SALT, "", "e21578e95ab37636d3601237f08c7e6fece0aca5e970e5909dad37e3b0686920"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        const Handle k = deriveKey(basic, alg::RC4, h, CRYPT_EXPORTABLE | c.flags);
        EXPECT_EQ(keyHex(k), "7340e6e274");
        EXPECT_EQ(hex(keyParam(k, KP_SALT).value_or(Bytes{})), c.salt);
        EXPECT_EQ(hex(encrypt(k, 0, plain)), c.cipher);
        destroyKey(k);
    }
    // An imported 40-bit key takes the zero salt too, unless told otherwise.
    const Handle imported = importKey(basic, exportKey(deriveKey(basic, alg::RC4, h, CRYPT_EXPORTABLE), 0, PLAINTEXTKEYBLOB, 0), 0, 0);
    EXPECT_EQ(hex(encrypt(imported, 0, plain)), cases[0].cipher);

    const Handle aes = acquireContext("", kAes, PROV_RSA_AES, CRYPT_VERIFYCONTEXT);
    const Handle sha = hashOf(aes, alg::SHA1, "my_key");
    const Handle k = deriveKey(aes, alg::AES_128, sha, CRYPT_EXPORTABLE);
    EXPECT_EQ(keyHex(k).substr(0, 30), "13606b772b52b5f83be4ff04572eb8");
    destroyKey(k);
    destroyKey(imported);
    for (Handle x : {h, sha}) destroyHash(x);
    for (Handle x : {basic, aes}) releaseContext(x);
}

// Every cipher of the AES provider from every hash it offers, at the default lengths, from
// the hash of "Veltrane derive". 3DES and AES keys from hashes that are not SHA-2 are
// stretched; every other key is the hash value's first bytes. DES-family keys have odd parity.
TEST(Derive, EveryCipherFromEveryHash) {
    struct Case { std::int32_t hash; std::int32_t cipher; const char* key; };
    const Case cases[] = {
        {alg::MD2, alg::AES_128, "8e9e140e21ac28fe6c123f36fe5861c4"},
        {alg::MD2, alg::AES_192, "8e9e140e21ac28fe6c123f36fe5861c470d7f579fe53473d"},
        {alg::MD2, alg::AES_256, "8e9e140e21ac28fe6c123f36fe5861c470d7f579fe53473d842d6dc3b80f3396"},
        {alg::MD2, alg::RC2, "746efea548e85fb954a7657b435bfef5"},
        {alg::MD2, alg::RC4, "746efea548e85fb954a7657b435bfef5"},
        {alg::MD2, alg::DES, "756efea449e95eb9"},
        {alg::MD2, alg::TRIPLE_DES_112, "8f9e150e20ad29fe6d133e37fe5861c4"},
        {alg::MD2, alg::TRIPLE_DES, "8f9e150e20ad29fe6d133e37fe5861c470d6f479fe52463d"},
        {alg::MD2, alg::CAST, "746efea548e85fb954a7657b435bfef5"},
        {alg::MD4, alg::AES_128, "03b023ab05602d00b3219d66c65ed6d3"},
        {alg::MD4, alg::AES_192, "03b023ab05602d00b3219d66c65ed6d383034169267a2b73"},
        {alg::MD4, alg::AES_256, "03b023ab05602d00b3219d66c65ed6d383034169267a2b7370bfb7820a7978e2"},
        {alg::MD4, alg::RC2, "920753e1e8acb20ee9e2abb17b051af7"},
        {alg::MD4, alg::RC4, "920753e1e8acb20ee9e2abb17b051af7"},
        {alg::MD4, alg::DES, "920752e0e9adb30e"},
        {alg::MD4, alg::TRIPLE_DES_112, "02b023ab04612c01b3209d67c75ed6d3"},
        {alg::MD4, alg::TRIPLE_DES, "02b023ab04612c01b3209d67c75ed6d383024068267a2a73"},
        {alg::MD4, alg::CAST, "920753e1e8acb20ee9e2abb17b051af7"},
        {alg::MD5, alg::AES_128, "72e9be8247d17a9a24a0d54604a32d04"},
        {alg::MD5, alg::AES_192, "72e9be8247d17a9a24a0d54604a32d047382bf3eefcd4812"},
        {alg::MD5, alg::AES_256, "72e9be8247d17a9a24a0d54604a32d047382bf3eefcd4812a14482e62ad35dd1"},
        {alg::MD5, alg::RC2, "1d20e2d75b702c237c6c430807617b5c"},
        {alg::MD5, alg::RC4, "1d20e2d75b702c237c6c430807617b5c"},
        {alg::MD5, alg::DES, "1c20e3d65b702c23"},
        {alg::MD5, alg::TRIPLE_DES_112, "73e9bf8346d07a9b25a1d54604a22c04"},
        {alg::MD5, alg::TRIPLE_DES, "73e9bf8346d07a9b25a1d54604a22c047383bf3eefcd4913"},
        {alg::MD5, alg::CAST, "1d20e2d75b702c237c6c430807617b5c"},
        {alg::SHA1, alg::AES_128, "586d639d899c28d914158d346216525a"},
        {alg::SHA1, alg::AES_192, "586d639d899c28d914158d346216525a63da9a364a9ba88d"},
        {alg::SHA1, alg::AES_256, "586d639d899c28d914158d346216525a63da9a364a9ba88dfac0db655e80cd23"},
        {alg::SHA1, alg::RC2, "ceed2e51d3c8cea6201259630b3235fa"},
        {alg::SHA1, alg::RC4, "ceed2e51d3c8cea6201259630b3235fa"},
        {alg::SHA1, alg::DES, "ceec2f51d3c8cea7"},
        {alg::SHA1, alg::TRIPLE_DES_112, "586d629d899d29d915158c346216525b"},
        {alg::SHA1, alg::TRIPLE_DES, "586d629d899d29d915158c346216525b62da9b374a9ba88c"},
        {alg::SHA1, alg::CAST, "ceed2e51d3c8cea6201259630b3235fa"},
        {alg::SHA_256, alg::AES_128, "33732cf569c09778c7f9099c406e3c5a"},
        {alg::SHA_256, alg::AES_192, "33732cf569c09778c7f9099c406e3c5ac56fbbc8b90308a2"},
        {alg::SHA_256, alg::AES_256, "33732cf569c09778c7f9099c406e3c5ac56fbbc8b90308a2c410d870bacd9199"},
        {alg::SHA_256, alg::RC2, "33732cf569c09778c7f9099c406e3c5a"},
        {alg::SHA_256, alg::RC4, "33732cf569c09778c7f9099c406e3c5a"},
        {alg::SHA_256, alg::DES, "32732cf468c19779"},
        {alg::SHA_256, alg::TRIPLE_DES_112, "32732cf468c19779c7f8089d406e3d5b"},
        {alg::SHA_256, alg::TRIPLE_DES, "32732cf468c19779c7f8089d406e3d5bc46ebac8b90208a2"},
        {alg::SHA_256, alg::CAST, "33732cf569c09778c7f9099c406e3c5a"},
        {alg::SHA_384, alg::AES_128, "9e8cc7fb0a3b460486374b493f4cfa7a"},
        {alg::SHA_384, alg::AES_192, "9e8cc7fb0a3b460486374b493f4cfa7a27011ca2c7470445"},
        {alg::SHA_384, alg::AES_256, "9e8cc7fb0a3b460486374b493f4cfa7a27011ca2c7470445eda088188a1b466c"},
        {alg::SHA_384, alg::RC2, "9e8cc7fb0a3b460486374b493f4cfa7a"},
        {alg::SHA_384, alg::RC4, "9e8cc7fb0a3b460486374b493f4cfa7a"},
        {alg::SHA_384, alg::DES, "9e8cc7fb0b3b4604"},
        {alg::SHA_384, alg::TRIPLE_DES_112, "9e8cc7fb0b3b460486374a493e4cfb7a"},
        {alg::SHA_384, alg::TRIPLE_DES, "9e8cc7fb0b3b460486374a493e4cfb7a26011ca2c7460445"},
        {alg::SHA_384, alg::CAST, "9e8cc7fb0a3b460486374b493f4cfa7a"},
        {alg::SHA_512, alg::AES_128, "36fb1c86dcb8aa10d53de17acefa227c"},
        {alg::SHA_512, alg::AES_192, "36fb1c86dcb8aa10d53de17acefa227c56d47725f87cfb9c"},
        {alg::SHA_512, alg::AES_256, "36fb1c86dcb8aa10d53de17acefa227c56d47725f87cfb9cd8e1980324190060"},
        {alg::SHA_512, alg::RC2, "36fb1c86dcb8aa10d53de17acefa227c"},
        {alg::SHA_512, alg::RC4, "36fb1c86dcb8aa10d53de17acefa227c"},
        {alg::SHA_512, alg::DES, "37fb1c86dcb9ab10"},
        {alg::SHA_512, alg::TRIPLE_DES_112, "37fb1c86dcb9ab10d53de07acefb237c"},
        {alg::SHA_512, alg::TRIPLE_DES, "37fb1c86dcb9ab10d53de07acefb237c57d57625f87cfb9d"},
        {alg::SHA_512, alg::CAST, "36fb1c86dcb8aa10d53de17acefa227c"},
    };
    const Handle ctx = acquireContext("", kAes, PROV_RSA_AES, CRYPT_VERIFYCONTEXT);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.hash) + " -> " + std::to_string(c.cipher));
        const Handle h = hashOf(ctx, c.hash, "Veltrane derive");
        const Handle k = deriveKey(ctx, c.cipher, h, CRYPT_EXPORTABLE);
        EXPECT_EQ(keyHex(k), c.key);
        destroyKey(k);
        destroyHash(h);
    }
    releaseContext(ctx);
}

// CALG_MAC: the last block of the block cipher's CBC over the data from a zero IV, the final
// block padded as encryption pads it. FIPS 113's DES MAC of "7654321 Now is the time for "
// (zero-filled) is the chaining value before that pad block; the rest from openssl enc.
TEST(Macs, KnownAnswers) {
    struct Case { std::int32_t cipher; const char* key; std::string data; const char* mac; };
    const Case cases[] = {
        {alg::DES, "0123456789abcdef", std::string("7654321 Now is the time for \0\0\0\0", 32), "112633eb7b8d80aa"},
        {alg::TRIPLE_DES, "0123456789abcdef23456789abcdef01456789abcdef0123", "Veltrane MAC over AES",
         "9dfe5f3e91705721"},
        {alg::AES_128, "000102030405060708090a0b0c0d0e0f", "Veltrane MAC over AES", "54ac36fdb22adaefeb7f81ba28470eb5"},
        {alg::AES_256, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "Veltrane MAC over AES",
         "2d6553783c969c3346a880229612509b"},
        {alg::RC2, "00112233445566778899aabbccddeeff", "", "78eee98275b7e9f9"},
    };
    const Handle ctx = acquireContext("", kAes, PROV_RSA_AES, CRYPT_VERIFYCONTEXT);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Bytes blob{PLAINTEXTKEYBLOB, 2, 0, 0};
        const Bytes key = unhex(c.key);
        for (int i = 0; i < 4; ++i) blob.push_back(std::uint8_t(std::uint32_t(c.cipher) >> (8 * i)));
        for (int i = 0; i < 4; ++i) blob.push_back(std::uint8_t(key.size() >> (8 * i)));
        blob.insert(blob.end(), key.begin(), key.end());
        const Handle k = importKey(ctx, blob, 0, 0);
        const Handle mac = createHash(ctx, alg::MAC, k, 0);
        const Bytes data = bytesOf(c.data);
        // In pieces that split blocks: only the chaining value is kept between them.
        for (std::size_t at = 0; at < data.size(); at += 5)
            hashData(mac, std::span(data).subspan(at, std::min<std::size_t>(5, data.size() - at)), 0);
        EXPECT_EQ(hex(hashValue(mac)), c.mac);
        EXPECT_EQ(std::size_t(hashParam(mac, HP_HASHSIZE)), std::string(c.mac).size() / 2);
        if (c.cipher == alg::DES) EXPECT_EQ(hex(encrypt(k, 0, data)).substr(48, 16), "f1d30f6849312ca4");
        destroyHash(mac);
        destroyKey(k);
    }
    releaseContext(ctx);
}

}  // namespace
}  // namespace keystrand::test
