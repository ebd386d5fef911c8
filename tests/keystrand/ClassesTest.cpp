#include "Support.h"

#include "../platform/certstore/TestCertificates.h"

#include "keystrand/ByteInputStream.h"
#include "keystrand/Encoder.h"
#include "keystrand/Enumerations.h"
#include "keystrand/clsHash.h"
#include "keystrand/clsKey.h"
#include "keystrand/clsProviders.h"
#include "keystrand/clsSystemCertStore.h"

namespace keystrand::test {
namespace {

using namespace vt::automation;

class Classes : public ::testing::Test {
protected:
    void SetUp() override {
        list = makeRef<clsProviders>();
        provider = list->item(2);
        provider->acquire("", CRYPT_VERIFYCONTEXT);
        ctx = provider->hContext();
    }
    Ref<clsProviders> list;
    Ref<clsProvider> provider;
    std::int32_t ctx = 0;
};

TEST_F(Classes, HashMembers) {
    Ref<clsHash> md5 = provider->createHash(CALG_MD5);
    EXPECT_FALSE(md5->addData({}));
    EXPECT_TRUE(md5->addData(bytesOf("abc")));
    EXPECT_EQ(md5->toHex(), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(md5->toString().size(), 8u);
    EXPECT_EQ(md5->size(), 16);
    EXPECT_EQ(md5->hashType(), CALG_MD5);
    const Error late = errorOf([&] { md5->addData(bytesOf("d")); });
    EXPECT_EQ(late.number, code::BadHashState);
    EXPECT_EQ(late.source, "clsHash.AddData");

    Ref<clsHash> sha = provider->createHash(CALG_SHA1);
    EXPECT_EQ(sha->size(), 20);
    EXPECT_EQ(sha->hashType(), 0x8004);
    auto key = makeRef<clsKey>();
    EXPECT_EQ(errorOf([&] { sha->verify({}, *key); }).number, err::SubscriptOutOfRange);
    const Error noKey = errorOf([&] { sha->sign(); });
    EXPECT_EQ(noKey.number, code::NoKey);
    EXPECT_EQ(noKey.source, "clsHash.Sign");
    const Error badAlg = errorOf([&] { provider->createHash(CALG_HMAC); });
    EXPECT_EQ(badAlg.number, code::BadAlgorithm);
    EXPECT_EQ(badAlg.source, "clsHash.Create");

    // Signing with the context's signature key, checked with the public key in a clsKey.
    auto sigKey = makeRef<clsKey>();
    EXPECT_TRUE(sigKey->generateSignature(ctx, 512 << 16));
    sha->addData(bytesOf("interchange"));
    const Bytes sig = sha->sign();
    auto pub = makeRef<clsKey>();
    pub->importKey(ctx, sigKey->exportKey(PUBLICKEYBLOB));
    EXPECT_TRUE(sha->verify(sig, *pub));
    Bytes bad = sig;
    bad[0] ^= 1;
    const Error mismatch = errorOf([&] { sha->verify(bad, *pub); });
    EXPECT_EQ(mismatch.number, code::BadSignature);
    EXPECT_EQ(mismatch.source, "clsHash.Verify");

    // A hash ends its handle when it ends.
    const std::size_t live = engine::liveHandles();
    md5.reset();
    EXPECT_EQ(engine::liveHandles(), live - 1);
}

TEST_F(Classes, KeyCipherTypesAndBuffers) {
    auto key = makeRef<clsKey>();
    EXPECT_EQ(key->hKey(), 0);
    key->generate(ctx, alg::RC4);
    EXPECT_EQ(key->cipherAlgorithmType(), ALG_TYPE_STREAM);
    const Bytes plain = bytesOf("stream text");
    const Bytes cipher = key->encrypt(plain);
    EXPECT_EQ(cipher.size(), plain.size());
    // Decrypting returns the plain text and leaves the caller's array as it was.
    Variant slot = fromBytes(cipher);
    const Variant back = call(Variant(key), "Decrypt", {slot});
    EXPECT_EQ(toBytes(back), plain);
    EXPECT_EQ(toBytes(slot), cipher);

    // Loading over a loaded key frees the old one.
    const std::size_t live = engine::liveHandles();
    key->generate(ctx, alg::DES);
    EXPECT_EQ(engine::liveHandles(), live);
    EXPECT_EQ(key->cipherAlgorithmType(), ALG_TYPE_BLOCK);
    EXPECT_EQ(key->getLongKeyParam(KP_BLOCKLEN), 64);
    EXPECT_EQ(getProperty(Variant(key), "BLOCKLEN"), Variant(64));
    EXPECT_EQ(getProperty(Variant(key), "algId"), Variant(alg::DES));
    EXPECT_EQ(toBytes(getProperty(Variant(key), "IV")).size(), 8u);
    EXPECT_EQ(getProperty(Variant(key), "modulusP"), Variant(0));
    const Bytes ten(10, 7), sixtyFour(64, 9);
    const Bytes c10 = key->encrypt(ten);
    EXPECT_EQ(c10.size(), 16u);
    EXPECT_EQ(key->decrypt(c10), ten);
    EXPECT_EQ(key->encrypt(sixtyFour).size(), 72u);

    const Error empty = errorOf([&] { key->encrypt({}); });
    EXPECT_EQ(empty.number, err::SubscriptOutOfRange);
    EXPECT_EQ(empty.source, "clsKey.Encrypt");
    // The last plain byte is padding 6; changing the byte above it in the chaining block makes it
    // 0, which no padding is (random cipher text would pass as padding once in about 256 runs).
    Bytes badPadding = c10;
    badPadding[7] ^= 0x06;
    const Error corrupt = errorOf([&] { key->decrypt(badPadding); });
    EXPECT_EQ(corrupt.number, code::BadData);
    EXPECT_EQ(corrupt.source, "clsKey.Decrypt");

    auto hashKey = makeRef<clsKey>();
    EXPECT_EQ(hashKey->cipherAlgorithmType(), 0);   // no key: reads 0
    EXPECT_EQ(errorOf([&] { hashKey->importKey(ctx, {}); }).source, "clsKey.Import");
    const Error noUser = errorOf([&] { hashKey->getUserExchangeKey(ctx); });
    EXPECT_EQ(noUser.number, code::NoKey);
    EXPECT_EQ(noUser.source, "clsKey.GetUserExchangeKey");
    const Error dh = errorOf([&] { hashKey->generateDhEphemeral(ctx); });
    EXPECT_EQ(dh.source, "clsKey.GenerateDH_Ephemeral");

    auto triple = makeRef<clsKey>();
    triple->generate(ctx, alg::TRIPLE_DES);
    EXPECT_EQ(triple->cipherAlgorithmType(), ALG_TYPE_BLOCK);
    EXPECT_EQ(triple->getLongKeyParam(KP_BLOCKLEN), 64);

    // A key derived from a hash, and the hash receiving the plain text of an encryption.
    Ref<clsHash> h = provider->createHash(CALG_SHA1);
    h->addData(bytesOf("secret"));
    auto derived = makeRef<clsKey>();
    EXPECT_TRUE(derived->derive(*h, alg::AES_256, CRYPT_EXPORTABLE));
    EXPECT_EQ(derived->getLongKeyParam(KP_KEYLEN), 256);
    Ref<clsHash> seen = provider->createHash(CALG_MD5);
    derived->encrypt(bytesOf("abc"), seen->handle());
    EXPECT_EQ(seen->toHex(), "900150983CD24FB0D6963F7D28E17F72");
}

// The DSS and Diffie-Hellman provider through the classes: keys of both kinds, their long
// parameters only as byte arrays, signatures checked by a public key in a clsKey, and the MAC.
TEST(ClassesDss, KeysParametersSignaturesAndMac) {
    auto list = makeRef<clsProviders>();
    Ref<clsProvider> p = list->item(3);
    ASSERT_EQ(p->providerType(), PROV_DSS_DH);
    p->acquire("", CRYPT_VERIFYCONTEXT);
    const std::int32_t ctx = p->hContext();
    EXPECT_EQ(getProperty(Variant(p->properties()), "SIG_KEYSIZE_INC"), Variant(64));
    EXPECT_EQ(getProperty(Variant(p->properties()), "KEYX_KEYSIZE_INC"), Variant(64));

    auto dh = makeRef<clsKey>();
    EXPECT_TRUE(dh->generateDhStoreForward(ctx, 512 << 16));
    EXPECT_EQ(getProperty(Variant(dh), "algId"), Variant(alg::DH_SF));
    EXPECT_EQ(dh->getByteArrKeyParam(KP_P).size(), 64u);
    EXPECT_EQ(toBytes(call(Variant(dh), "GetByteArrKeyParam", {Variant(KP_Y)})).size(), 64u);
    struct Refusal { std::function<void()> read; std::int32_t number; const char* source; };
    const Refusal refusals[] = {
        {[&] { getProperty(Variant(dh), "modulusP"); }, code::MoreData, "clsKey.modulusP"},
        {[&] { getProperty(Variant(dh), "generatorG"); }, code::MoreData, "clsKey.generatorG"},
        {[&] { dh->getLongKeyParam(KP_Y); }, code::MoreData, "clsKey.GetLongKeyParam"},
        {[&] { getProperty(Variant(dh), "X"); }, code::BadKeyState, "clsKey.X"},   // not exportable
        {[&] { dh->getByteArrKeyParam(KP_X); }, code::BadKeyState, "clsKey.GetByteArrKeyParam"},
        {[&] { dh->encrypt(bytesOf("x")); }, code::BadKey, "clsKey.Encrypt"},
    };
    for (const auto& r : refusals) {
        const Error e = errorOf(r.read);
        EXPECT_EQ(e.number, r.number) << r.source;
        EXPECT_EQ(e.source, r.source);
    }
    EXPECT_EQ(errorOf([&] { getProperty(Variant(dh), "X"); }).description, "Key not valid for use in specified state.");
    EXPECT_EQ(errorOf([&] { dh->getLongKeyParam(KP_P); }).description, "More data is available.");
    EXPECT_EQ(getProperty(Variant(dh), "KEYLEN"), Variant(512));

    // A public value agreed with our private key gives the agreed key.
    auto agreed = makeRef<clsKey>();
    EXPECT_TRUE(agreed->importKey(ctx, dh->exportKey(PUBLICKEYBLOB), 0, dh->hKey()));
    EXPECT_EQ(getProperty(Variant(agreed), "algId"), Variant(alg::AGREEDKEY_ANY));
    auto ephemeral = makeRef<clsKey>();
    EXPECT_TRUE(ephemeral->generateDhEphemeral(ctx, 512 << 16));
    EXPECT_EQ(getProperty(Variant(ephemeral), "algId"), Variant(alg::DH_EPHEM));

    auto sigKey = makeRef<clsKey>();
    EXPECT_TRUE(sigKey->generateSignature(ctx, 512 << 16));
    EXPECT_EQ(getProperty(Variant(sigKey), "algId"), Variant(alg::DSS_SIGN));
    EXPECT_EQ(sigKey->getByteArrKeyParam(KP_Q).size(), 20u);
    Ref<clsHash> sha = p->createHash(CALG_SHA1);
    sha->addData(bytesOf("interchange"));
    const Bytes sig = sha->sign();
    EXPECT_EQ(sig.size(), 40u);
    auto pub = makeRef<clsKey>();
    pub->importKey(ctx, sigKey->exportKey(PUBLICKEYBLOB));
    EXPECT_TRUE(sha->verify(sig, *pub));
    Ref<clsHash> md5 = p->createHash(CALG_MD5);
    md5->addData(bytesOf("interchange"));
    const Error notSha = errorOf([&] { md5->sign(); });
    EXPECT_EQ(notSha.number, code::BadAlgorithm);
    EXPECT_EQ(notSha.source, "clsHash.Sign");

    // FIPS 113's DES MAC of its message, then the pad block.
    auto des = makeRef<clsKey>();
    Bytes blob{PLAINTEXTKEYBLOB, 2, 0, 0, 0x01, 0x66, 0, 0, 8, 0, 0, 0};
    for (auto b : unhex("0123456789abcdef")) blob.push_back(b);
    ASSERT_TRUE(des->importKey(ctx, blob));
    Ref<clsHash> mac = p->createHash(CALG_MAC, des->hKey());
    mac->addData(bytesOf(std::string("7654321 Now is the time for \0\0\0\0", 32)));
    EXPECT_EQ(mac->toHex(), "112633EB7B8D80AA");
    EXPECT_EQ(mac->size(), 8);
    EXPECT_EQ(mac->hashType(), CALG_MAC);
}

TEST(ByteQueue, FirstInFirstOut) {
    auto q = makeRef<ByteInputStream>();
    q->addLast(Bytes{1, 2, 3});
    q->addLast(Bytes{4, 5});
    q->addLast(Bytes{});
    EXPECT_EQ(q->size(), 5);
    EXPECT_EQ(q->getFirst(2), (Bytes{1, 2}));
    EXPECT_EQ(q->size(), 3);
    EXPECT_EQ(q->peekFirst(10), (Bytes{3, 4, 5}));
    EXPECT_EQ(q->size(), 3);
    EXPECT_EQ(errorOf([&] { q->peekFirst(0); }).number, err::SubscriptOutOfRange);
    q->removeFirst(3);
    EXPECT_EQ(q->size(), 0);
    EXPECT_EQ(errorOf([&] { q->getAll(); }).number, err::SubscriptOutOfRange);
    // No memory addresses through this library.
    for (const char* member : {"AddPtrLast", "GetAllToPtr", "PtrFirst"}) {
        const Error e = errorOf([&] {
            if (std::string(member) == "PtrFirst") getProperty(Variant(q), member);
            else if (std::string(member) == "AddPtrLast") call(Variant(q), member, {Variant(0), Variant(2)});
            else call(Variant(q), member, {Variant(0)});
        });
        EXPECT_EQ(e.number, code::NotSupported) << member;
        EXPECT_EQ(e.source, std::string("ByteInputStream.") + member);
    }
}

TEST(EncoderConversions, Table) {
    const Variant enc(makeRef<Encoder>());
    struct Case { const char* member; Variant arg; Variant expected; };
    const Case cases[] = {
        {"ByteArrayToHexString", fromBytes({0, 15, 255}), Variant("000FFF")},
        {"ByteArrayToHexString", fromBytes({}), Variant("")},
        {"StringToHexString", Variant("abc"), Variant("616263")},
        {"HexStringToByteArray", Variant("616263"), fromBytes({97, 98, 99})},
        {"HexStringToByteArray", Variant("0aFF10"), fromBytes({10, 255, 16})},
        {"HexStringToByteArray", Variant(""), fromBytes({})},
        {"byteArrayToString", fromBytes({97, 98, 99}), Variant("abc")},
        {"stringToByteArray", Variant("\xe9z"), fromBytes({0xe9, 'z'})},
        {"ByteToHexString", Variant(std::uint8_t(10)), Variant("0A")},
        {"CharToHexString", Variant("abc"), Variant("61")},
        {"HexToVal", Variant("7f"), Variant(127.0)},
        {"HexToVal", Variant("g1"), Variant(0.0)},
        {"HexToVal", Variant("FFFF"), Variant(-1.0)},
        {"HexToVal", Variant("10000"), Variant(65536.0)},
        {"HexToVal", Variant("FFFFFFFF"), Variant(-1.0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.member) + " " + toText(c.arg.isArray() ? Variant("<array>") : c.arg));
        EXPECT_EQ(call(enc, c.member, {c.arg}), c.expected);
    }
    EXPECT_EQ(errorOf([&] { call(enc, "HexStringToByteArray", {Variant("abc")}); }).number, err::InvalidCall);
    EXPECT_EQ(errorOf([&] { call(enc, "HexToVal", {Variant("123456789")}); }).number, err::Overflow);
}

TEST(ByteArguments, ReadWhereTheyLie) {
    Variant caller = Variant::bytes("abc");
    const ByteArg arg(caller);
    EXPECT_EQ(arg.span().data(), caller.arrayValue().bytes().data());
    // A caller writing to its array meanwhile gets a copy of its own.
    caller.arrayValue().writableBytes()[0] = 'X';
    EXPECT_EQ(std::string(arg.span().begin(), arg.span().end()), "abc");

    EXPECT_EQ(toBytes(Variant::array({Variant(1), Variant("2"), Variant(255.0)})), (Bytes{1, 2, 255}));
    const struct {
        Variant value;
        std::int32_t error;
    } refused[] = {
        {Variant("abc"), err::TypeMismatch},
        {Variant::array({Variant(256)}), err::Overflow},
        {Variant(SafeArray({{0, 1}, {0, 1}}, VarType::Byte)), err::TypeMismatch},
    };
    for (const auto& r : refused) EXPECT_EQ(errorOf([&] { ByteArg{r.value}; }).number, r.error);
}

class CertStores : public DataRootTest {};

TEST_F(CertStores, StoreOfTheProviderListsTheCaFolder) {
    const auto& c = vt::certstore::test::TestCertificates::get();
    const auto folder = root / "Certificates" / "CurrentUser" / "CA";
    vt::certstore::test::copyFile(c.caPem, folder / "1.pem");
    vt::certstore::test::copyFile(c.leafPem, folder / "2.pem");
    vt::certstore::test::copyFile(c.caDer, folder / "3.cer");
    vt::certstore::test::copyFile(c.crlPem, folder / "4.crl");

    auto list = makeRef<clsProviders>();
    Variant store(list->item(0)->systemCertStore());
    EXPECT_EQ(getProperty(store, "NumberOfCERTs"), Variant(3));
    EXPECT_EQ(getProperty(store, "NumberOfCRLs"), Variant(1));
    EXPECT_EQ(getProperty(store, "NumberOfCTLs"), Variant(0));
    EXPECT_EQ(getProperty(store, "ctls"), Variant(0));
    EXPECT_EQ(getProperty(store, "crls"), Variant(0));
    EXPECT_EQ(toString(getProperty(store, "LOCALIZED_NAME")), "Intermediate Certification Authorities");
    EXPECT_TRUE(call(store, "certsNames", {Variant(std::int16_t(3))}).isNothing());
    Variant leaf = call(store, "certsNames", {Variant(std::int16_t(1))});
    Variant ca = call(store, "certsNames", {Variant(std::int16_t(0))});
    EXPECT_EQ(toString(getProperty(leaf, "SIMPLEDisplayName")), "Beta Leaf");
    EXPECT_EQ(toString(getProperty(leaf, "IssuerSIMPLEDisplayName")), "Alpha CA");
    EXPECT_EQ(toString(getProperty(leaf, "EMAILName")), "");
    EXPECT_EQ(toString(getProperty(ca, "IssuerSIMPLEDisplayName")), toString(getProperty(ca, "SIMPLEDisplayName")));
    EXPECT_EQ(toString(getProperty(ca, "EMAILName")), "alpha@example.com");
    EXPECT_EQ(toString(getProperty(ca, "IssuerRDNName")), "C=US, O=Example Org, CN=Alpha CA");
    // A names object holds its own certificate: it outlives its store.
    store.clear();
    list.reset();
    EXPECT_EQ(toString(getProperty(leaf, "FriendlyDisplayName")), "Beta Leaf");
}

}  // namespace
}  // namespace keystrand::test
