#include "Support.h"

#include "keystrand/Digest.h"
#include "keystrand/Enumerations.h"
#include "keystrand/Errors.h"
#include "keystrand/OpenSsl.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>

#include <fstream>

#include <sys/stat.h>

namespace keystrand::test {
namespace {

using namespace engine;

constexpr const char* kFull = "Keystrand Full RSA Provider";
constexpr const char* kAes = "Keystrand RSA and AES Provider";

Handle verifyContext(const char* provider = kAes, std::int32_t type = PROV_RSA_AES) {
    return acquireContext("", provider, type, CRYPT_VERIFYCONTEXT);
}

// Published vectors: RFC 1319 (MD2), RFC 1320 (MD4), RFC 1321 (MD5), FIPS 180 (SHA).
TEST(Digests, KnownAnswers) {
    const std::string alpha = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string digits;
    for (int i = 0; i < 8; ++i) digits += "1234567890";
    struct Case { std::int32_t alg; std::string text; const char* digest; };
    const Case cases[] = {
        {alg::MD2, "", "8350e5a3e24c153df2275c9f80692773"},
        {alg::MD2, "a", "32ec01ec4a6dac72c0ab96fb34c0b5d1"},
        {alg::MD2, "abc", "da853b0d3f88d99b30283a69e6ded6bb"},
        {alg::MD2, "message digest", "ab4f496bfb2a530b219ff33031fe06b0"},
        {alg::MD2, "abcdefghijklmnopqrstuvwxyz", "4e8ddff3650292ab5a4108c3aa47940b"},
        {alg::MD2, alpha, "da33def2a42df13975352846c30338cd"},
        {alg::MD2, digits, "d5976f79d83d3a0dc9806c3c66f3efd8"},
        {alg::MD4, "", "31d6cfe0d16ae931b73c59d7e0c089c0"},
        {alg::MD4, "abc", "a448017aaf21d8525fc10ae87aa6729d"},
        {alg::MD4, "message digest", "d9130a8164549fe818874806e1c7014b"},
        {alg::MD4, digits, "e33b4ddc9c38f2199c3e7b164fcc0536"},
        {alg::MD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {alg::MD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {alg::MD5, digits, "57edf4a22be3c955ac49da2e2107b67a"},
        {alg::SHA1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {alg::SHA1, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {alg::SHA_256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {alg::SSL3_SHAMD5, "abc", "900150983cd24fb0d6963f7d28e17f72a9993e364706816aba3e25717850c26c9cd0d89d"},
    };
    const Handle ctx = verifyContext();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " / " + std::to_string(c.alg));
        EXPECT_EQ(hex(Digest::of(c.alg, bytesOf(c.text))), c.digest);
        // The same through a hash handle, the text given in two pieces.
        const Handle h = createHash(ctx, c.alg, 0, 0);
        const auto all = bytesOf(c.text);
        const std::size_t half = all.size() / 2;
        hashData(h, std::span(all).first(half), 0);
        hashData(h, std::span(all).subspan(half), 0);
        EXPECT_EQ(hex(hashValue(h)), c.digest);
        EXPECT_EQ(hashParam(h, HP_HASHSIZE) * 2, std::int32_t(std::string(c.digest).size()));
        EXPECT_EQ(hashParam(h, HP_ALGID), c.alg);
        destroyHash(h);
    }
    // A million "a" (MD2 over many blocks and the checksum's carry).
    Digest md2(alg::MD2);
    const std::vector<std::uint8_t> chunk(1000, 'a');
    for (int i = 0; i < 1000; ++i) md2.update(chunk);
    EXPECT_EQ(hex(md2.final()), "8c0a09ff1216ecaf95c8130953c62efd");
    releaseContext(ctx);
}

// The legacy algorithms come from Keystrand's own context; the process's default context stays
// without them.
TEST(Digests, LegacyProviderOnlyInOwnContext) {
    ASSERT_TRUE(ossl::legacyLoaded());
    EXPECT_TRUE(ossl::fetchDigest("MD4"));
    EXPECT_TRUE(ossl::fetchCipher("RC4"));
    EVP_CIPHER* global = EVP_CIPHER_fetch(nullptr, "RC4", nullptr);
    EXPECT_EQ(global, nullptr);
    EVP_CIPHER_free(global);
}

std::vector<std::uint8_t> plaintextBlob(std::int32_t alg, const std::vector<std::uint8_t>& key) {
    std::vector<std::uint8_t> b{PLAINTEXTKEYBLOB, 2, 0, 0};
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(std::uint32_t(alg) >> (8 * i)));
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(key.size() >> (8 * i)));
    b.insert(b.end(), key.begin(), key.end());
    return b;
}

// Block ciphers run in CBC from a zero IV, so the first cipher block is the published
// single-block answer; the last block is the padding.
TEST(Ciphers, KnownAnswers) {
    struct Case { std::int32_t alg; const char* key; const char* plain; const char* cipher; std::int32_t flags = 0; };
    const Case cases[] = {
        {alg::DES, "0123456789abcdef", "4e6f772069732074", "3fa40e8a984d4815"},                 // FIPS 81
        {alg::TRIPLE_DES, "0123456789abcdef23456789abcdef01456789abcdef0123", "5468652071756663",
         "a826fd8ce53b855f"},
        {alg::RC2, "0000000000000000", "0000000000000000", "ebb773f993278eff"},                 // RFC 2268
        {alg::RC2, "ffffffffffffffff", "ffffffffffffffff", "278b27e42e2f0d49"},
        {alg::RC2, "3000000000000000", "1000000000000001", "30649edf9be7d2c2"},
        {alg::CAST, "0123456712345678234567893456789a", "0123456789abcdef", "238b4fe5847e44b2"},  // RFC 2144
        {alg::AES_128, "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
         "69c4e0d86a7b0430d8cdb78070b4c55a"},                                                   // FIPS 197
        {alg::RC4, "0102030405", "00000000000000000000000000000000", "b2396305f03dc027ccc3524a0a1118a8",
         CRYPT_NO_SALT},                                                                        // RFC 6229
        // A 40-bit key without that flag takes 11 zero bytes of salt: RC4 of the key padded with
        // zeros to 16 bytes (openssl enc -rc4 -K 0102030405).
        {alg::RC4, "0102030405", "00000000000000000000000000000000", "ee5441e6b38c2d5a75a6db590a1cbd2a"},
        {alg::RC4, "536563726574", "41747461636b206174206461776e", "45a01f645fc35b383552544b9bf5"},
    };
    const Handle ctx = verifyContext();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.alg) + " " + c.key);
        const Handle k = importKey(ctx, plaintextBlob(c.alg, unhex(c.key)), 0, CRYPT_EXPORTABLE | c.flags);
        const auto plain = unhex(c.plain);
        const auto out = encrypt(k, 0, plain);
        const std::string expected = c.cipher;
        EXPECT_EQ(hex(out).substr(0, expected.size()), expected);
        if (c.alg == alg::RC4) EXPECT_EQ(out.size(), plain.size());
        else EXPECT_EQ(out.size(), plain.size() + std::size_t(keyParam(k, KP_BLOCKLEN)->at(0) / 8));
        EXPECT_EQ(decrypt(k, 0, out), plain);
        destroyKey(k);
    }
    releaseContext(ctx);
}

TEST(Ciphers, DecryptRefusesBadLengthAndPadding) {
    const Handle ctx = verifyContext();
    const Handle k = importKey(ctx, plaintextBlob(alg::DES, unhex("0123456789abcdef")), 0, 0);
    EXPECT_EQ(failureOf([&] { decrypt(k, 0, unhex("00112233")); }), code::BadData);
    EXPECT_EQ(failureOf([&] { decrypt(k, 0, unhex("0011223344556677")); }), code::BadData);
    destroyKey(k);
    releaseContext(ctx);
}

// The MAC is the last block of the block cipher's CBC (zero IV, padded) over all the data.
TEST(Digests, MacIsTheLastCbcBlock) {
    const Handle ctx = verifyContext();
    const auto keyBytes = unhex("0123456789abcdef23456789abcdef01456789abcdef0123");
    const Handle key = importKey(ctx, plaintextBlob(alg::TRIPLE_DES, keyBytes), 0, 0);
    const Handle mac = createHash(ctx, alg::MAC, key, 0);
    const auto data = bytesOf("7654321 Now is the time for ");
    hashData(mac, std::span(data).first(5), 0);
    hashData(mac, std::span(data).subspan(5), 0);
    EXPECT_EQ(hashParam(mac, HP_HASHSIZE), 8);

    EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new();
    const unsigned char iv[8] = {};
    std::vector<std::uint8_t> out(data.size() + 16);
    int n = 0, tail = 0;
    EVP_EncryptInit_ex(c, EVP_des_ede3_cbc(), nullptr, keyBytes.data(), iv);
    EVP_EncryptUpdate(c, out.data(), &n, data.data(), int(data.size()));
    EVP_EncryptFinal_ex(c, out.data() + n, &tail);
    EVP_CIPHER_CTX_free(c);
    EXPECT_EQ(hex(hashValue(mac)), hex(std::vector<std::uint8_t>(out.begin() + n + tail - 8, out.begin() + n + tail)));

    EXPECT_EQ(failureOf([&] { createHash(ctx, alg::MAC, 0, 0); }), code::BadKey);
    const Handle stream = generateKey(ctx, alg::RC4, 0);
    EXPECT_EQ(failureOf([&] { createHash(ctx, alg::MAC, stream, 0); }), code::BadKey);
    EXPECT_EQ(failureOf([&] { createHash(ctx, alg::MD5, key, 0); }), code::BadKey);
    destroyHash(mac);
    for (Handle k : {key, stream}) destroyKey(k);
    releaseContext(ctx);
}

// A hash value shorter than the key is stretched through the two padded blocks.
TEST(Keys, DeriveFollowsTheDocumentedStretch) {
    const Handle ctx = verifyContext();
    const Handle h = createHash(ctx, alg::SHA1, 0, 0);
    hashData(h, bytesOf("password"), 0);
    const auto value = hashValue(h);
    const Handle k = deriveKey(ctx, alg::TRIPLE_DES, h, CRYPT_EXPORTABLE);
    const auto blob = exportKey(k, 0, PLAINTEXTKEYBLOB, 0);
    std::vector<std::uint8_t> inner(64, 0x36), outer(64, 0x5c);
    for (std::size_t i = 0; i < value.size(); ++i) inner[i] ^= value[i], outer[i] ^= value[i];
    auto expected = Digest::of(alg::SHA1, inner);
    const auto second = Digest::of(alg::SHA1, outer);
    expected.insert(expected.end(), second.begin(), second.end());
    expected.resize(24);
    for (auto& b : expected) {   // odd parity, as every DES key
        int ones = 0;
        for (int i = 1; i < 8; ++i) ones += (b >> i) & 1;
        b = std::uint8_t((b & 0xfe) | ((ones & 1) ? 0 : 1));
    }
    EXPECT_EQ(hex(std::vector<std::uint8_t>(blob.begin() + 12, blob.end())), hex(expected));
    // A 128-bit RC4 key is the first 16 bytes of an MD5 value as it stands.
    const Handle m = createHash(ctx, alg::MD5, 0, 0);
    hashData(m, bytesOf("abc"), 0);
    const Handle rc4 = deriveKey(ctx, alg::RC4, m, CRYPT_EXPORTABLE | (128 << 16));
    const auto rc4Blob = exportKey(rc4, 0, PLAINTEXTKEYBLOB, 0);
    EXPECT_EQ(hex(std::vector<std::uint8_t>(rc4Blob.begin() + 12, rc4Blob.end())), "900150983cd24fb0d6963f7d28e17f72");
    for (Handle x : {k, rc4}) destroyKey(x);
    for (Handle x : {h, m}) destroyHash(x);
    releaseContext(ctx);
}

// An independent reader of the public blob: RSAPUBKEY then the modulus, least significant byte
// first.
ossl::Pkey publicKeyFromBlob(const std::vector<std::uint8_t>& blob) {
    EXPECT_EQ(blob[0], PUBLICKEYBLOB);
    EXPECT_EQ(std::string(blob.begin() + 8, blob.begin() + 12), "RSA1");
    const std::uint32_t bits = blob[12] | blob[13] << 8 | blob[14] << 16 | std::uint32_t(blob[15]) << 24;
    EXPECT_EQ(blob.size(), 20 + bits / 8);
    return opensslKey("RSA", EVP_PKEY_PUBLIC_KEY,
                      {{OSSL_PKEY_PARAM_RSA_N, std::vector<std::uint8_t>(blob.begin() + 20, blob.end())},
                       {OSSL_PKEY_PARAM_RSA_E, std::vector<std::uint8_t>(blob.begin() + 16, blob.begin() + 20)}});
}

// Signatures are PKCS #1 v1.5 over the DigestInfo, least significant byte first: OpenSSL checks
// the reversed bytes with the key read from our public blob, and our verify takes them back.
TEST(Rsa, SignatureByteOrderAndBlob) {
    const Handle ctx = verifyContext(kFull, PROV_RSA_FULL);
    const Handle sigKey = generateKey(ctx, AT_SIGNATURE, 512 << 16);
    const auto pub = exportKey(sigKey, 0, PUBLICKEYBLOB, 0);
    ossl::Pkey reader = publicKeyFromBlob(pub);
    ASSERT_TRUE(reader);
    const Handle h = createHash(ctx, alg::SHA1, 0, 0);
    hashData(h, bytesOf("abc"), 0);
    auto sig = signHash(h, AT_SIGNATURE, 0);
    ASSERT_EQ(sig.size(), 64u);
    std::vector<std::uint8_t> bigEndian(sig.rbegin(), sig.rend());
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    ASSERT_EQ(EVP_DigestVerifyInit(md, nullptr, EVP_sha1(), nullptr, reader.get()), 1);
    EXPECT_EQ(EVP_DigestVerify(md, bigEndian.data(), bigEndian.size(), reinterpret_cast<const unsigned char*>("abc"), 3), 1);
    EVP_MD_CTX_free(md);

    const Handle pubKey = importKey(ctx, pub, 0, 0);
    EXPECT_NO_THROW(verifySignature(h, sig, pubKey, 0));
    sig[10] ^= 1;
    EXPECT_EQ(failureOf([&] { verifySignature(h, sig, pubKey, 0); }), code::BadSignature);
    // Hash data after the value was read is refused.
    EXPECT_EQ(failureOf([&] { hashData(h, bytesOf("x"), 0); }), code::BadHashState);
    for (Handle x : {sigKey, pubKey}) destroyKey(x);
    destroyHash(h);
    releaseContext(ctx);
}

// A private blob written here from an OpenSSL key (every number least significant byte first)
// is read by the library, becomes the context's signature key, and signs what OpenSSL checks.
TEST(Rsa, ImportsAnIndependentlyWrittenPrivateBlob) {
    EVP_PKEY* key = EVP_RSA_gen(512);
    ASSERT_TRUE(key);
    auto le = [&](const char* name, std::size_t width, std::vector<std::uint8_t>& out) {
        appendParam(key, name, width, out);
    };
    std::vector<std::uint8_t> blob{PRIVATEKEYBLOB, 2, 0, 0, 0x00, 0x24, 0, 0, 'R', 'S', 'A', '2', 0, 2, 0, 0, 1, 0, 1, 0};
    le(OSSL_PKEY_PARAM_RSA_N, 64, blob);
    for (const char* part : {OSSL_PKEY_PARAM_RSA_FACTOR1, OSSL_PKEY_PARAM_RSA_FACTOR2, OSSL_PKEY_PARAM_RSA_EXPONENT1,
                             OSSL_PKEY_PARAM_RSA_EXPONENT2, OSSL_PKEY_PARAM_RSA_COEFFICIENT1})
        le(part, 32, blob);
    le(OSSL_PKEY_PARAM_RSA_D, 64, blob);

    const Handle ctx = verifyContext(kFull, PROV_RSA_FULL);
    const Handle k = importKey(ctx, blob, 0, 0);
    const Handle h = createHash(ctx, alg::MD5, 0, 0);
    hashData(h, bytesOf("abc"), 0);
    const auto sig = signHash(h, AT_SIGNATURE, 0);
    std::vector<std::uint8_t> bigEndian(sig.rbegin(), sig.rend());
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    ASSERT_EQ(EVP_DigestVerifyInit(md, nullptr, EVP_md5(), nullptr, key), 1);
    EXPECT_EQ(EVP_DigestVerify(md, bigEndian.data(), bigEndian.size(), reinterpret_cast<const unsigned char*>("abc"), 3), 1);
    EVP_MD_CTX_free(md);
    EVP_PKEY_free(key);
    destroyHash(h);
    destroyKey(k);
    releaseContext(ctx);
}

TEST(Rsa, BlobRoundTrips) {
    const Handle ctx = verifyContext(kFull, PROV_RSA_FULL);
    const Handle pair = generateKey(ctx, AT_KEYEXCHANGE, CRYPT_EXPORTABLE | (512 << 16));
    const auto priv = exportKey(pair, 0, PRIVATEKEYBLOB, 0);
    // header 8, RSAPUBKEY 12, modulus 64, five halves of 32, private exponent 64
    ASSERT_EQ(priv.size(), 8u + 12 + 64 + 5 * 32 + 64);
    EXPECT_EQ(std::string(priv.begin() + 8, priv.begin() + 12), "RSA2");
    const Handle again = importKey(ctx, priv, 0, CRYPT_EXPORTABLE);
    EXPECT_EQ(exportKey(again, 0, PRIVATEKEYBLOB, 0), priv);

    // A session key wrapped for the exchange key and unwrapped again.
    const Handle session = generateKey(ctx, alg::RC4, CRYPT_EXPORTABLE);
    const auto plain = exportKey(session, 0, PLAINTEXTKEYBLOB, 0);
    const auto wrapped = exportKey(session, pair, SIMPLEBLOB, 0);
    EXPECT_EQ(wrapped.size(), 8u + 4 + 64);
    const Handle unwrapped = importKey(ctx, wrapped, again, CRYPT_EXPORTABLE);
    EXPECT_EQ(exportKey(unwrapped, 0, PLAINTEXTKEYBLOB, 0), plain);

    // RSA encryption of data, and refusals.
    const auto secret = bytesOf("twelve bytes");
    EXPECT_EQ(decrypt(again, 0, encrypt(pair, 0, secret)), secret);
    const Handle locked = generateKey(ctx, alg::RC2, 0);
    EXPECT_EQ(failureOf([&] { exportKey(locked, 0, PLAINTEXTKEYBLOB, 0); }), code::BadKeyState);
    EXPECT_EQ(failureOf([&] { exportKey(locked, 0, OPAQUEKEYBLOB, 0); }), code::BadType);
    EXPECT_EQ(failureOf([&] { importKey(ctx, std::vector<std::uint8_t>{8, 2, 0, 0, 1, 0x66, 0, 0}, 0, 0); }), code::BadData);
    // A modulus shorter than the length the blob states is no key of that length: it would
    // export as a blob of another length, which no import takes.
    auto shortModulus = exportKey(pair, 0, PUBLICKEYBLOB, 0);
    shortModulus[8 + 12 + 63] = 0;
    EXPECT_EQ(failureOf([&] { importKey(ctx, shortModulus, 0, 0); }), code::BadData);
    for (Handle x : {pair, again, session, unwrapped, locked}) destroyKey(x);
    releaseContext(ctx);
}

TEST(Keys, ParametersAndLengths) {
    const Handle ctx = verifyContext(kFull, PROV_RSA_FULL);
    auto long32 = [](const std::optional<std::vector<std::uint8_t>>& v) {
        return v ? std::int32_t(v->at(0) | v->at(1) << 8 | v->at(2) << 16 | v->at(3) << 24) : -1;
    };
    const Handle des = generateKey(ctx, alg::TRIPLE_DES, 0);
    EXPECT_EQ(long32(keyParam(des, KP_BLOCKLEN)), 64);
    EXPECT_EQ(long32(keyParam(des, KP_ALGID)), alg::TRIPLE_DES);
    EXPECT_EQ(long32(keyParam(des, KP_MODE)), CRYPT_MODE_CBC);
    EXPECT_EQ(keyParam(des, KP_IV)->size(), 8u);
    EXPECT_FALSE(keyParam(des, KP_P));
    const Handle rc4 = generateKey(ctx, alg::RC4, 56 << 16);
    EXPECT_EQ(long32(keyParam(rc4, KP_KEYLEN)), 56);
    EXPECT_EQ(long32(keyParam(rc4, KP_BLOCKLEN)), 0);
    EXPECT_EQ(failureOf([&] { generateKey(ctx, alg::RC4, 256 << 16); }), code::BadFlags);
    EXPECT_EQ(failureOf([&] { generateKey(ctx, alg::AES_128, 0); }), code::BadAlgorithm);   // not this provider's
    EXPECT_EQ(failureOf([&] { userKey(ctx, AT_KEYEXCHANGE); }), code::NoKey);
    for (Handle x : {des, rc4}) destroyKey(x);
    releaseContext(ctx);
}

class Containers : public DataRootTest {};

TEST_F(Containers, KeysPersistInPrivateFolders) {
    auto flags = CRYPT_NEWKEYSET;
    EXPECT_EQ(failureOf([&] { acquireContext("Alice", kFull, PROV_RSA_FULL, 0); }), code::BadKeyset);
    Handle ctx = acquireContext("Alice", kFull, PROV_RSA_FULL, flags);
    const Handle k = generateKey(ctx, AT_SIGNATURE, CRYPT_EXPORTABLE | (512 << 16));
    const auto pub = exportKey(k, 0, PUBLICKEYBLOB, 0);
    destroyKey(k);
    releaseContext(ctx);
    EXPECT_EQ(failureOf([&] { acquireContext("Alice", kFull, PROV_RSA_FULL, flags); }), code::Exists);
    EXPECT_EQ(failureOf([&] { acquireContext("../x", kFull, PROV_RSA_FULL, flags); }), code::BadKeysetParameter);

    const auto folder = root / "Containers" / "Alice";
    struct stat st{};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((folder / "Signature.key").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ctx = acquireContext("Alice", kFull, PROV_RSA_FULL, 0);
    const Handle again = userKey(ctx, AT_SIGNATURE);
    EXPECT_EQ(exportKey(again, 0, PUBLICKEYBLOB, 0), pub);
    EXPECT_EQ(containerNames(*findProvider(kFull, PROV_RSA_FULL)), std::vector<std::string>{"Alice"});
    destroyKey(again);
    releaseContext(ctx);
    // A damaged key file makes the key set unusable rather than giving a wrong key.
    {
        std::fstream f(folder / "Signature.key", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(100);
        f.put('\x55');
    }
    EXPECT_EQ(failureOf([&] { acquireContext("Alice", kFull, PROV_RSA_FULL, 0); }), code::BadKeyset);
    EXPECT_EQ(acquireContext("Alice", kFull, PROV_RSA_FULL, CRYPT_DELETEKEYSET), 0);
    EXPECT_TRUE(containerNames(*findProvider(kFull, PROV_RSA_FULL)).empty());
}

TEST(Contexts, RefusalsAndHandles) {
    EXPECT_EQ(failureOf([] { acquireContext("", "No Such Provider", PROV_RSA_FULL, CRYPT_VERIFYCONTEXT); }),
              code::KeysetNotDefined);
    EXPECT_EQ(failureOf([] { acquireContext("", kFull, PROV_DSS, CRYPT_VERIFYCONTEXT); }), code::BadProviderType);
    EXPECT_EQ(failureOf([] { releaseContext(0); }), code::BadUid);
    const Handle ctx = verifyContext();
    releaseContext(ctx);
    EXPECT_EQ(failureOf([&] { releaseContext(ctx); }), code::BadUid);
    EXPECT_EQ(failureOf([] { destroyHash(12345678); }), code::BadHash);
}

TEST(Errors, NumbersAndTexts) {
    struct Case { std::int32_t number; std::uint32_t value; const char* text; };
    const Case cases[] = {
        {2, 2, "The system cannot find the file specified."},
        {code::InvalidParameter, 87, "The parameter is incorrect."},
        {code::NoMoreItems, 259, "No more data is available."},
        {code::BadUid, 0x80090001u, "Bad UID."},
        {code::BadData, 0x80090005u, "Bad Data."},
        {code::BadSignature, 0x80090006u, "Invalid Signature."},
        {code::BadAlgorithm, 0x80090008u, "Invalid algorithm specified."},
        {code::BadKeyState, 0x8009000Bu, "Key not valid for use in specified state."},
        {code::NoKey, 0x8009000Du, "Key does not exist."},
        {code::Exists, 0x8009000Fu, "Object already exists."},
        {code::BadKeyset, 0x80090016u, "Keyset does not exist"},
        {code::BadKeysetParameter, 0x8009001Fu, "The keyset parameter is invalid."},
        {std::int32_t(0x80091234u), 0x80091234u, "Unknown error &H80091234"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::uint32_t(c.number), c.value);
        EXPECT_EQ(apiErrorText(c.number), c.text);
    }
}

}  // namespace
}  // namespace keystrand::test
