// DSS and Diffie-Hellman keys of the DSS provider, checked against the FIPS 186-2 example
// and against OpenSSL reading the blobs written here (and writing the ones read here).

#include "Support.h"

#include "keystrand/Enumerations.h"
#include "keystrand/Errors.h"
#include "keystrand/OpenSsl.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/dsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <functional>

namespace keystrand::test {
namespace {

using namespace engine;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kDss = "Keystrand DSS and Diffie-Hellman Provider";

// FIPS 186-2, Appendix 5: the example DSA key, k, and the signature of "abc".
const char* const kP =
    "8df2a494492276aa3d25759bb06869cbeac0d83afb8d0cf7cbb8324f0d7882e5d0762fc5b7210eafc2e9adac32ab7aac49693dfbf83724c2ec0736ee31c80291";
const char* const kQ = "c773218c737ec8ee993b4f2ded30f48edace915f";
const char* const kG =
    "626d027839ea0a13413163a55b4cb500299d5522956cefcb3bff10f399ce2c2e71cb9de5fa24babf58e5b79521925c9cc42e9f6f464b088cc572af53e6d78802";
const char* const kX = "2070b3223dba372fde1c0ffc7b2e3b498b260614";
const char* const kY =
    "19131871d75b1612a819f29d78d1b0d7346f7aa77bb62a859bfd6c5675da9d212d3a36ef1672ef660b8c7c255cc0ec74858fba33f44c06699630a76b030ee333";
const char* const kR = "8bac1ab66410435cb7181f95b16ab97c92b341c0";
const char* const kS = "41e2345f1f56df2458f426d155b4ba2db6dcd8c8";

Bytes le(const char* bigEndianHex, std::size_t width) {
    Bytes b = unhex(bigEndianHex);
    std::reverse(b.begin(), b.end());
    b.resize(width, 0);
    return b;
}
void append(Bytes& out, const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); }
void append32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}
std::uint32_t read32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}
Bytes header(std::uint8_t type, std::int32_t algorithm, std::uint8_t version = 2) {
    Bytes h{type, version, 0, 0};
    append32(h, std::uint32_t(algorithm));
    return h;
}
Bytes noSeed() {
    Bytes s;
    append32(s, 0xFFFFFFFF);
    s.resize(24, 0);
    return s;
}

// The example key as the platform's version 2 blobs, written here field by field.
Bytes exampleBlob(bool isPrivate) {
    Bytes b = header(isPrivate ? PRIVATEKEYBLOB : PUBLICKEYBLOB, alg::DSS_SIGN);
    append(b, bytesOf(isPrivate ? "DSS2" : "DSS1"));
    append32(b, 512);
    append(b, le(kP, 64)), append(b, le(kQ, 20)), append(b, le(kG, 64));
    append(b, isPrivate ? le(kX, 20) : le(kY, 64));
    append(b, noSeed());
    return b;
}

BIGNUM* bn(const Bytes& littleEndian) { return BN_lebin2bn(littleEndian.data(), int(littleEndian.size()), nullptr); }

// OpenSSL's own DSA public key from little-endian p, q, g and y.
ossl::Pkey opensslDsa(const Bytes& p, const Bytes& q, const Bytes& g, const Bytes& y) {
    return opensslKey("DSA", EVP_PKEY_PUBLIC_KEY,
                      {{OSSL_PKEY_PARAM_FFC_P, p}, {OSSL_PKEY_PARAM_FFC_Q, q}, {OSSL_PKEY_PARAM_FFC_G, g},
                       {OSSL_PKEY_PARAM_PUB_KEY, y}});
}

// OpenSSL checks our r || s (20 bytes each, least significant first) over a SHA-1 of `text`.
bool opensslVerifies(EVP_PKEY* key, const Bytes& signature, const std::string& text) {
    DSA_SIG* sig = DSA_SIG_new();
    DSA_SIG_set0(sig, BN_lebin2bn(signature.data(), 20, nullptr), BN_lebin2bn(signature.data() + 20, 20, nullptr));
    unsigned char* der = nullptr;
    const int len = i2d_DSA_SIG(sig, &der);
    DSA_SIG_free(sig);
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_DigestVerifyInit(md, nullptr, EVP_sha1(), nullptr, key);
    const int ok = EVP_DigestVerify(md, der, std::size_t(len), reinterpret_cast<const unsigned char*>(text.data()), text.size());
    EVP_MD_CTX_free(md);
    OPENSSL_free(der);
    return ok == 1;
}

Handle dssContext() { return acquireContext("", kDss, PROV_DSS_DH, CRYPT_VERIFYCONTEXT); }

Handle sha1Of(Handle ctx, const std::string& text) {
    const Handle h = createHash(ctx, alg::SHA1, 0, 0);
    hashData(h, bytesOf(text), 0);
    return h;
}

TEST(Dss, Fips186ExampleVerifiesAndSigns) {
    const Handle ctx = dssContext();
    const Handle pub = importKey(ctx, exampleBlob(false), 0, 0);
    const Handle h = sha1Of(ctx, "abc");
    Bytes signature = le(kR, 20);
    append(signature, le(kS, 20));
    EXPECT_NO_THROW(verifySignature(h, signature, pub, 0));
    Bytes bad = signature;
    bad[25] ^= 1;
    EXPECT_EQ(failureOf([&] { verifySignature(h, bad, pub, 0); }), code::BadSignature);
    EXPECT_EQ(failureOf([&] { verifySignature(h, Bytes(signature.begin(), signature.end() - 1), pub, 0); }),
              code::BadSignature);

    // The private blob carries x alone: y follows, and the key becomes the context's own.
    const Handle priv = importKey(ctx, exampleBlob(true), 0, CRYPT_EXPORTABLE);
    EXPECT_EQ(hex(*keyParam(priv, KP_Y)), hex(le(kY, 64)));
    EXPECT_EQ(hex(*keyParam(priv, KP_X)), hex(le(kX, 20)));
    const Handle h2 = sha1Of(ctx, "abc");
    const Bytes ours = signHash(h2, AT_SIGNATURE, 0);
    ASSERT_EQ(ours.size(), 40u);
    EXPECT_NO_THROW(verifySignature(h2, ours, pub, 0));
    ossl::Pkey reader = opensslDsa(le(kP, 64), le(kQ, 20), le(kG, 64), le(kY, 64));
    ASSERT_TRUE(reader);
    EXPECT_TRUE(opensslVerifies(reader.get(), ours, "abc"));
    EXPECT_TRUE(opensslVerifies(reader.get(), signature, "abc"));

    // DSS signs SHA-1 values only.
    const Handle md5 = createHash(ctx, alg::MD5, 0, 0);
    hashData(md5, bytesOf("abc"), 0);
    EXPECT_EQ(failureOf([&] { signHash(md5, AT_SIGNATURE, 0); }), code::BadAlgorithm);
    // A y that does not belong to the domain is refused at import.
    Bytes forged = exampleBlob(false);
    forged[8 + 8 + 64 + 20 + 64] ^= 1;
    EXPECT_EQ(failureOf([&] { importKey(ctx, forged, 0, 0); }), code::BadData);
    for (Handle x : {pub, priv}) destroyKey(x);
    for (Handle x : {h, h2, md5}) destroyHash(x);
    releaseContext(ctx);
}

TEST(Dss, GeneratedKeyBlobsOfBothVersions) {
    const Handle ctx = dssContext();
    const Handle key = generateKey(ctx, AT_SIGNATURE, CRYPT_EXPORTABLE | (576 << 16));
    EXPECT_EQ(read32(*keyParam(key, KP_ALGID), 0), std::uint32_t(alg::DSS_SIGN));
    EXPECT_EQ(read32(*keyParam(key, KP_KEYLEN), 0), 576u);

    // Version 2: the documented layout, read by OpenSSL, which checks our signature.
    const Bytes pub = exportKey(key, 0, PUBLICKEYBLOB, 0);
    ASSERT_EQ(pub.size(), 8u + 8 + 72 + 20 + 72 + 72 + 24);
    EXPECT_EQ(hex(Bytes(pub.begin(), pub.begin() + 8)), "0602000000220000");
    EXPECT_EQ(std::string(pub.begin() + 8, pub.begin() + 12), "DSS1");
    EXPECT_EQ(read32(pub, 12), 576u);
    EXPECT_EQ(read32(pub, pub.size() - 24), 0xFFFFFFFFu);   // no seed to check the primes by
    auto at = [&](std::size_t from, std::size_t n) { return Bytes(pub.begin() + from, pub.begin() + from + n); };
    ossl::Pkey reader = opensslDsa(at(16, 72), at(88, 20), at(108, 72), at(180, 72));
    ASSERT_TRUE(reader);
    const Handle h = sha1Of(ctx, "interchange");
    EXPECT_TRUE(opensslVerifies(reader.get(), signHash(h, AT_SIGNATURE, 0), "interchange"));
    EXPECT_EQ(hex(at(16, 72)), hex(*keyParam(key, KP_P)));
    EXPECT_EQ(hex(at(88, 20)), hex(*keyParam(key, KP_Q)));

    const Bytes priv = exportKey(key, 0, PRIVATEKEYBLOB, 0);
    ASSERT_EQ(priv.size(), 8u + 8 + 72 + 20 + 72 + 20 + 24);
    EXPECT_EQ(std::string(priv.begin() + 8, priv.begin() + 12), "DSS2");
    const Handle again = importKey(ctx, priv, 0, CRYPT_EXPORTABLE);
    EXPECT_EQ(exportKey(again, 0, PRIVATEKEYBLOB, 0), priv);
    EXPECT_EQ(exportKey(again, 0, PUBLICKEYBLOB, 0), pub);

    // Version 3: p, q, g, j = (p - 1) / q and y (and x), each as long as its bit length says.
    const Bytes pub3 = exportKey(key, 0, PUBLICKEYBLOB, CRYPT_BLOB_VER3);
    EXPECT_EQ(pub3[1], 3);
    EXPECT_EQ(std::string(pub3.begin() + 8, pub3.begin() + 12), "DSS3");
    EXPECT_EQ(read32(pub3, 12), 576u);
    EXPECT_EQ(read32(pub3, 16), 160u);
    const std::size_t jBytes = read32(pub3, 20) / 8;
    EXPECT_EQ(pub3.size(), 8u + 16 + 24 + 72 + 20 + 72 + jBytes + 72);
    BIGNUM *p = bn(at(16, 72)), *q = bn(at(88, 20)), *j = BN_lebin2bn(pub3.data() + 48 + 72 + 20 + 72, int(jBytes), nullptr);
    BN_CTX* bc = BN_CTX_new();
    BN_mul(j, j, q, bc);
    BN_add_word(j, 1);
    EXPECT_EQ(BN_cmp(j, p), 0);
    BN_CTX_free(bc);
    for (BIGNUM* b : {p, q, j}) BN_free(b);
    const Bytes priv3 = exportKey(key, 0, PRIVATEKEYBLOB, CRYPT_BLOB_VER3);
    EXPECT_EQ(std::string(priv3.begin() + 8, priv3.begin() + 12), "DSS4");
    const Handle fromV3 = importKey(ctx, priv3, 0, CRYPT_EXPORTABLE);
    EXPECT_EQ(exportKey(fromV3, 0, PRIVATEKEYBLOB, 0), priv);
    const Handle pubFromV3 = importKey(ctx, pub3, 0, 0);
    EXPECT_EQ(exportKey(pubFromV3, 0, PUBLICKEYBLOB, 0), pub);
    EXPECT_FALSE(keyParam(pubFromV3, KP_X));

    // Lengths come in steps of 64 bits, from 512 to 1024.
    for (int bits : {520, 1000, 1088, 448})
        EXPECT_EQ(failureOf([&] { generateKey(ctx, AT_SIGNATURE, bits << 16); }), code::BadFlags) << bits;
    const Handle locked = generateKey(ctx, alg::DSS_SIGN, 512 << 16);
    EXPECT_EQ(failureOf([&] { exportKey(locked, 0, PRIVATEKEYBLOB, 0); }), code::BadKeyState);
    EXPECT_EQ(failureOf([&] { keyParam(locked, KP_X); }), code::BadKeyState);
    for (Handle x : {key, again, fromV3, pubFromV3, locked}) destroyKey(x);
    destroyHash(h);
    releaseContext(ctx);
}

// OpenSSL's agreed value of two keys, from their blobs: x of one, y of the other, p.
Bytes opensslAgreement(const Bytes& p, const Bytes& x, const Bytes& y) {
    BIGNUM *bp = bn(p), *bx = bn(x), *by = bn(y), *z = BN_new();
    BN_CTX* bc = BN_CTX_new();
    BN_mod_exp(z, by, bx, bp, bc);
    Bytes out(p.size());
    BN_bn2lebinpad(z, out.data(), int(out.size()));
    BN_CTX_free(bc);
    for (BIGNUM* b : {bp, bx, by, z}) BN_free(b);
    return out;
}

TEST(Dh, AgreementBetweenTwoKeys) {
    const Handle ctx = dssContext();
    const Handle a = generateKey(ctx, alg::DH_EPHEM, CRYPT_EXPORTABLE | (512 << 16));
    const Bytes aPriv = exportKey(a, 0, PRIVATEKEYBLOB, 0);
    ASSERT_EQ(aPriv.size(), 8u + 8 + 3 * 64);
    EXPECT_EQ(hex(Bytes(aPriv.begin() + 8, aPriv.begin() + 12)), "00444832");   // "\0DH2"
    // The partner's key on the same domain: its own x, written into a private blob here.
    Bytes bPriv(aPriv.begin(), aPriv.begin() + 8 + 8 + 2 * 64);
    Bytes xB = le("5b3c0d9e7f1a2b4c6d8e9fa1b2c3d4e5f60718293a4b5c6d7e8f90112233", 64);
    append(bPriv, xB);
    const Handle b = importKey(ctx, bPriv, 0, CRYPT_EXPORTABLE);
    EXPECT_EQ(hex(*keyParam(b, KP_P)), hex(*keyParam(a, KP_P)));

    const Bytes aPub = exportKey(a, 0, PUBLICKEYBLOB, 0), bPub = exportKey(b, 0, PUBLICKEYBLOB, 0);
    ASSERT_EQ(aPub.size(), 8u + 8 + 64);
    EXPECT_EQ(hex(Bytes(aPub.begin() + 8, aPub.begin() + 12)), "00444831");   // "\0DH1"
    const Handle atA = importKey(ctx, bPub, a, CRYPT_EXPORTABLE);
    const Handle atB = importKey(ctx, aPub, b, CRYPT_EXPORTABLE);
    EXPECT_EQ(read32(*keyParam(atA, KP_ALGID), 0), std::uint32_t(alg::AGREEDKEY_ANY));
    EXPECT_EQ(read32(*keyParam(atA, KP_KEYLEN), 0), 512u);

    // Both sides hold the same session key once it is given a cipher: the first 24 bytes of
    // y^x mod p, least significant first, with DES parity.
    setKeyAlgorithm(atA, alg::TRIPLE_DES);
    setKeyAlgorithm(atB, alg::TRIPLE_DES);
    Bytes expected = opensslAgreement(Bytes(aPriv.begin() + 16, aPriv.begin() + 80), xB,
                                      Bytes(aPub.begin() + 16, aPub.end()));
    expected.resize(24);
    for (auto& v : expected) {
        int ones = 0;
        for (int i = 1; i < 8; ++i) ones += (v >> i) & 1;
        v = std::uint8_t((v & 0xfe) | ((ones & 1) ? 0 : 1));
    }
    const Bytes keyA = exportKey(atA, 0, PLAINTEXTKEYBLOB, 0);
    EXPECT_EQ(hex(Bytes(keyA.begin() + 12, keyA.end())), hex(expected));
    EXPECT_EQ(exportKey(atB, 0, PLAINTEXTKEYBLOB, 0), keyA);
    const Bytes secret = bytesOf("agreed between two keys");
    EXPECT_EQ(decrypt(atB, 0, encrypt(atA, 0, secret)), secret);

    // Version 3 public blobs carry the domain; the same value comes out.
    const Handle v3 = importKey(ctx, exportKey(b, 0, PUBLICKEYBLOB, CRYPT_BLOB_VER3), a, CRYPT_EXPORTABLE);
    setKeyAlgorithm(v3, alg::TRIPLE_DES);
    EXPECT_EQ(exportKey(v3, 0, PLAINTEXTKEYBLOB, 0), keyA);

    // Refusals: no private key to agree with, a key of another domain, a value outside it.
    EXPECT_EQ(failureOf([&] { importKey(ctx, bPub, 0, 0); }), code::BadKey);
    const Handle other = generateKey(ctx, alg::DH_EPHEM, 512 << 16);
    EXPECT_EQ(failureOf([&] { importKey(ctx, exportKey(other, 0, PUBLICKEYBLOB, CRYPT_BLOB_VER3), a, 0); }),
              code::BadData);
    Bytes one = header(PUBLICKEYBLOB, alg::DH_EPHEM);
    append(one, unhex("00444831"));
    append32(one, 512);
    append(one, le("01", 64));
    EXPECT_EQ(failureOf([&] { importKey(ctx, one, a, 0); }), code::BadData);
    EXPECT_EQ(failureOf([&] { setKeyAlgorithm(a, alg::TRIPLE_DES); }), code::BadKeyState);
    EXPECT_EQ(failureOf([&] { encrypt(a, 0, secret); }), code::BadKey);
    for (Handle x : {a, b, atA, atB, v3, other}) destroyKey(x);
    releaseContext(ctx);
}

TEST(Dh, BlobRoundTripsAndParameters) {
    const Handle ctx = dssContext();
    const Handle k = generateKey(ctx, AT_KEYEXCHANGE, CRYPT_EXPORTABLE | (512 << 16));
    EXPECT_EQ(read32(*keyParam(k, KP_ALGID), 0), std::uint32_t(alg::DH_SF));
    const Bytes priv = exportKey(k, 0, PRIVATEKEYBLOB, 0);
    const Handle back = importKey(ctx, priv, 0, CRYPT_EXPORTABLE);
    EXPECT_EQ(exportKey(back, 0, PRIVATEKEYBLOB, 0), priv);
    EXPECT_EQ(exportKey(back, 0, PUBLICKEYBLOB, 0), exportKey(k, 0, PUBLICKEYBLOB, 0));
    const Bytes priv3 = exportKey(k, 0, PRIVATEKEYBLOB, CRYPT_BLOB_VER3);
    EXPECT_EQ(hex(Bytes(priv3.begin() + 8, priv3.begin() + 12)), "00444834");   // "\0DH4"
    const Handle back3 = importKey(ctx, priv3, 0, CRYPT_EXPORTABLE);
    EXPECT_EQ(exportKey(back3, 0, PRIVATEKEYBLOB, CRYPT_BLOB_VER3), priv3);
    EXPECT_EQ(exportKey(back3, 0, PRIVATEKEYBLOB, 0), priv);

    // p, g and y as long as p; q as it is; x only of a key that may be exported.
    EXPECT_EQ(keyParam(k, KP_P)->size(), 64u);
    EXPECT_EQ(keyParam(k, KP_G)->size(), 64u);
    EXPECT_EQ(keyParam(k, KP_Y)->size(), 64u);
    EXPECT_EQ(keyParam(k, KP_Q)->size(), 20u);
    EXPECT_EQ(hex(*keyParam(k, KP_X)), hex(Bytes(priv.begin() + 16 + 128, priv.end())));
    // A version 2 private blob has no q; the key works without it.
    EXPECT_FALSE(keyParam(back, KP_Q));
    EXPECT_TRUE(keyParam(back3, KP_Q));
    // The exchange pair is the context's own; DH keys neither sign nor encrypt.
    const Handle user = userKey(ctx, AT_KEYEXCHANGE);
    EXPECT_EQ(exportKey(user, 0, PUBLICKEYBLOB, 0), exportKey(back3, 0, PUBLICKEYBLOB, 0));
    const Handle h = sha1Of(ctx, "x");
    EXPECT_EQ(failureOf([&] { signHash(h, AT_KEYEXCHANGE, 0); }), code::BadKey);
    EXPECT_EQ(failureOf([&] { verifySignature(h, Bytes(40, 1), user, 0); }), code::BadKey);
    EXPECT_EQ(failureOf([&] { encrypt(user, 0, bytesOf("x")); }), code::BadKey);
    EXPECT_EQ(failureOf([&] { generateKey(ctx, alg::DH_SF, 4160 << 16); }), code::BadFlags);
    EXPECT_EQ(failureOf([&] { generateKey(ctx, alg::RSA_KEYX, 0); }), code::BadAlgorithm);
    for (Handle x : {k, back, back3, user}) destroyKey(x);
    destroyHash(h);
    releaseContext(ctx);
}

// Every blob of the new kinds cut short at every length, and with its length fields or its
// private value spoiled, is refused without harm.
TEST(DssDhBlobs, DamagedOnesAreRefused) {
    const Handle ctx = dssContext();
    const Handle dss = generateKey(ctx, AT_SIGNATURE, CRYPT_EXPORTABLE | (512 << 16));
    const Handle dh = generateKey(ctx, AT_KEYEXCHANGE, CRYPT_EXPORTABLE | (512 << 16));
    struct Blob { Bytes bytes; Handle agreeWith; };
    std::vector<Blob> blobs;
    for (std::int32_t version : {std::int32_t(0), std::int32_t(CRYPT_BLOB_VER3)}) {
        blobs.push_back({exportKey(dss, 0, PUBLICKEYBLOB, version), 0});
        blobs.push_back({exportKey(dss, 0, PRIVATEKEYBLOB, version), 0});
        blobs.push_back({exportKey(dh, 0, PUBLICKEYBLOB, version), dh});
        blobs.push_back({exportKey(dh, 0, PRIVATEKEYBLOB, version), 0});
    }
    for (const auto& b : blobs) {
        SCOPED_TRACE(hex(Bytes(b.bytes.begin(), b.bytes.begin() + 12)));
        // The whole blob is taken; each shorter one is refused.
        Handle whole = 0;
        EXPECT_NO_THROW(whole = importKey(ctx, b.bytes, b.agreeWith, 0));
        destroyKey(whole);
        for (std::size_t n = 0; n < b.bytes.size(); n += (n < 64 ? 1 : 7))
            EXPECT_NE(failureOf([&] { importKey(ctx, Bytes(b.bytes.begin(), b.bytes.begin() + n), b.agreeWith, 0); }), 0)
                << n;
        for (std::uint32_t bits : {0u, 7u, 504u, 520u, 4104u, 0xFFFFFFFFu}) {
            Bytes spoiled = b.bytes;
            for (int i = 0; i < 4; ++i) spoiled[12 + i] = std::uint8_t(bits >> (8 * i));
            EXPECT_NE(failureOf([&] { importKey(ctx, spoiled, b.agreeWith, 0); }), 0) << bits;
        }
    }
    // A private value of zero, or one that is not below q, is no key.
    Bytes zeroX = exportKey(dss, 0, PRIVATEKEYBLOB, 0);
    std::fill(zeroX.end() - 24 - 20, zeroX.end() - 24, 0);
    EXPECT_EQ(failureOf([&] { importKey(ctx, zeroX, 0, 0); }), code::BadData);
    Bytes bigX = exportKey(dss, 0, PRIVATEKEYBLOB, 0);
    std::fill(bigX.end() - 24 - 20, bigX.end() - 24, 0xFF);
    EXPECT_EQ(failureOf([&] { importKey(ctx, bigX, 0, 0); }), code::BadData);
    for (Handle x : {dss, dh}) destroyKey(x);
    releaseContext(ctx);
}

}  // namespace
}  // namespace keystrand::test
