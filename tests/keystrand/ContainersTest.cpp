// Key containers stay whole: lengths that could not be read back are refused before anything
// is written, a failed write keeps the key there was, and keys of odd lengths that earlier
// versions kept still open.

#include "Support.h"

#include "keystrand/Enumerations.h"
#include "keystrand/clsHash.h"
#include "keystrand/clsKey.h"
#include "keystrand/clsProviders.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>

#include <csignal>
#include <fstream>
#include <sys/resource.h>

namespace keystrand::test {
namespace {

using namespace vt::automation;

class KeptContainers : public DataRootTest {
protected:
    // A context on container `name` of provider `position`, made when `create`.
    Ref<clsProvider> open(int position, const std::string& name, bool create = false) {
        if (!list) list = makeRef<clsProviders>();
        Ref<clsProvider> p = list->item(position);
        p->acquire(name, create ? CRYPT_NEWKEYSET : 0);
        return p;
    }
    Bytes signaturePublicKey(clsProvider& p) {
        auto k = makeRef<clsKey>();
        k->getUserSignature(p.hContext());
        return k->exportKey(PUBLICKEYBLOB);
    }
    Ref<clsProviders> list;
};

TEST_F(KeptContainers, LengthsThatCannotBeReadBackAreRefused) {
    struct Case { int provider; std::int32_t bits; };
    // RSA pairs come in steps of 8 bits, DSS and Diffie-Hellman pairs in steps of 64.
    const Case refused[] = {{1, 1020}, {1, 513}, {1, 1028}, {3, 1000}, {3, 520}};
    for (int provider : {1, 3}) {
        Ref<clsProvider> p = open(provider, "Kept", true);
        auto key = makeRef<clsKey>();
        ASSERT_TRUE(key->generateSignature(p->hContext(), CRYPT_EXPORTABLE | (provider == 3 ? 512 << 16 : 1024 << 16)));
        const Bytes before = signaturePublicKey(*p);
        for (const auto& c : refused) {
            if (c.provider != provider) continue;
            SCOPED_TRACE(c.bits);
            const Error e = errorOf([&] { key->generateSignature(p->hContext(), c.bits << 16); });
            EXPECT_EQ(e.number, code::BadFlags);
            EXPECT_EQ(e.source, "clsKey.GenerateSignature");
            EXPECT_EQ(e.description, "Invalid flags specified.");
            EXPECT_EQ(errorOf([&] { key->generateExchangeKey(p->hContext(), c.bits << 16); }).number, code::BadFlags);
        }
        // The container opens again with the key it had.
        p->release();
        p = open(provider, "Kept");
        EXPECT_EQ(signaturePublicKey(*p), before);
        p->release();
    }
    // The two families keep their containers apart, and each lists its own.
    EXPECT_TRUE(std::filesystem::exists(root / "Containers" / "Kept" / "Signature.key"));
    EXPECT_TRUE(std::filesystem::exists(root / "DssContainers" / "Kept" / "Signature.key"));
    open(1, "RsaOnly", true)->release();
    auto names = [&](int provider) {
        Ref<clsProvider> p = open(provider, "Kept");
        const Variant list = getProperty(Variant(p->properties()), "ENUMCONTAINERS");
        std::vector<std::string> out;
        for (std::int32_t i = 0; i < toInt32(getProperty(list, "Count")); ++i)
            out.push_back(toString(getProperty(list, "Item", {Variant(std::to_string(i))})));
        p->release();
        return out;
    };
    EXPECT_EQ(names(1), (std::vector<std::string>{"Kept", "RsaOnly"}));
    EXPECT_EQ(names(3), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(errorOf([&] { open(3, "RsaOnly"); }).number, code::BadKeyset);
}

TEST_F(KeptContainers, AFailedWriteKeepsTheKeyThereWas) {
    Ref<clsProvider> p = open(3, "Writes", true);
    auto key = makeRef<clsKey>();
    key->generateSignature(p->hContext(), 512 << 16);
    const Bytes before = signaturePublicKey(*p);
    // The new key cannot be written whole (as on a full disk): it is refused, the old one stays.
    const Error e = [&] {
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = old;
        tiny.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
        const Error refused = errorOf([&] { key->generateSignature(p->hContext(), 512 << 16); });
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        return refused;
    }();
    EXPECT_EQ(e.number, code::Permission);
    EXPECT_EQ(signaturePublicKey(*p), before);
    p->release();
    p = open(3, "Writes");
    EXPECT_EQ(signaturePublicKey(*p), before);
}

// A 1020-bit pair as earlier versions kept it: flags, then the private blob body with the
// numbers in whole bytes (128 and 64).
void writeOldKeyFile(const std::filesystem::path& file) {
    EVP_PKEY* key = EVP_RSA_gen(1020);
    ASSERT_TRUE(key);
    Bytes data{1, 0, 0, 0, 'R', 'S', 'A', '2', 0xFC, 0x03, 0, 0, 1, 0, 1, 0};
    auto le = [&](const char* name, std::size_t width) { appendParam(key, name, width, data); };
    le(OSSL_PKEY_PARAM_RSA_N, 128);
    for (const char* part : {OSSL_PKEY_PARAM_RSA_FACTOR1, OSSL_PKEY_PARAM_RSA_FACTOR2, OSSL_PKEY_PARAM_RSA_EXPONENT1,
                             OSSL_PKEY_PARAM_RSA_EXPONENT2, OSSL_PKEY_PARAM_RSA_COEFFICIENT1})
        le(part, 64);
    le(OSSL_PKEY_PARAM_RSA_D, 128);
    EVP_PKEY_free(key);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

TEST_F(KeptContainers, OddLengthKeysOfEarlierVersionsOpen) {
    writeOldKeyFile(root / "Containers" / "Old" / "Signature.key");
    Ref<clsProvider> p = open(1, "Old");
    auto key = makeRef<clsKey>();
    ASSERT_TRUE(key->getUserSignature(p->hContext()));
    EXPECT_EQ(key->getLongKeyParam(KP_KEYLEN), 1020);
    Ref<clsHash> h = p->createHash(CALG_SHA1);
    h->addData(bytesOf("still signs"));
    const Bytes sig = h->sign();
    EXPECT_EQ(sig.size(), 128u);
    // Its own export is taken back by its own import, public and private.
    auto pub = makeRef<clsKey>();
    ASSERT_TRUE(pub->importKey(p->hContext(), key->exportKey(PUBLICKEYBLOB)));
    EXPECT_TRUE(h->verify(sig, *pub));
    auto again = makeRef<clsKey>();
    const Bytes priv = key->exportKey(PRIVATEKEYBLOB);
    ASSERT_TRUE(again->importKey(p->hContext(), priv, CRYPT_EXPORTABLE));
    EXPECT_EQ(again->exportKey(PRIVATEKEYBLOB), priv);
    p->release();
    p = open(1, "Old");   // the import wrote the pair again: it still opens
    EXPECT_EQ(signaturePublicKey(*p), pub->exportKey(PUBLICKEYBLOB));
}

}  // namespace
}  // namespace keystrand::test
