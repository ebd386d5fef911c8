// The algorithm list of every provider, in order; run twice: with this machine's OpenSSL, and
// with the legacy provider out of reach, where what it alone offers drops out of the lists.

#include "FakeCombo.h"
#include "Support.h"

#include "keystrand/Algorithms.h"
#include "keystrand/Enumerations.h"
#include "keystrand/Errors.h"
#include "keystrand/OpenSsl.h"
#include "keystrand/clsHash.h"
#include "keystrand/clsKey.h"
#include "keystrand/clsProviderProperties.h"
#include "keystrand/clsProviders.h"

#include <cstdlib>

namespace keystrand::test {
namespace {

using namespace vt::automation;

std::string shortNames(clsProvider& p) {
    p.acquire("", CRYPT_VERIFYCONTEXT);
    FakeCombo box;
    p.loadAlgorithms(&box);
    Ref<Collection> records = p.properties()->algorithmsEx();
    std::string names;
    for (std::int32_t i = 0; i < records->count(); ++i) {
        if (i) names += ",";
        names += toString(getProperty(records->at(std::size_t(i)), "szName"));
    }
    EXPECT_EQ(box.count(), records->count());
    p.release();
    return names;
}

TEST(AlgorithmLists, PerProviderInOrder) {
    const bool legacy = std::getenv("OPENSSL_MODULES") == nullptr;
    ASSERT_EQ(ossl::legacyLoaded(), legacy);
    auto list = makeRef<clsProviders>();
    // Without the legacy provider the basic provider keeps no block cipher, so no MAC either.
    const char* expected[2][4] = {
        {"RC2,RC4,DES,SHA-1,MD2,MD4,MD5,MAC,SSL3 SHAMD5,RSA_SIGN,RSA_KEYX",
         "RC2,RC4,DES,3DES TWO KEY,3DES,CAST,SHA-1,MD2,MD4,MD5,MAC,SSL3 SHAMD5,RSA_SIGN,RSA_KEYX",
         "AES 128,AES 192,AES 256,RC2,RC4,DES,3DES TWO KEY,3DES,CAST,SHA-1,SHA-256,SHA-384,SHA-512,MD2,MD4,MD5,MAC,"
         "SSL3 SHAMD5,RSA_SIGN,RSA_KEYX",
         "RC2,RC4,DES,3DES TWO KEY,3DES,SHA-1,MD5,MAC,DSA_SIGN,DH_SF,DH_EPHEM"},
        {"SHA-1,MD2,MD5,SSL3 SHAMD5,RSA_SIGN,RSA_KEYX",
         "3DES TWO KEY,3DES,SHA-1,MD2,MD5,MAC,SSL3 SHAMD5,RSA_SIGN,RSA_KEYX",
         "AES 128,AES 192,AES 256,3DES TWO KEY,3DES,SHA-1,SHA-256,SHA-384,SHA-512,MD2,MD5,MAC,SSL3 SHAMD5,RSA_SIGN,"
         "RSA_KEYX",
         "3DES TWO KEY,3DES,SHA-1,MD5,MAC,DSA_SIGN,DH_SF,DH_EPHEM"},
    };
    ASSERT_EQ(list->count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(shortNames(*list->item(i)), expected[legacy ? 0 : 1][i]) << i;

    // The records' names fit their fixed fields (with the terminating zero): 20 and 40.
    for (const auto& provider : providerTable())
        for (const auto& r : provider.algorithms) {
            EXPECT_LT(std::string_view(r.name).size(), 20u) << r.name;
            EXPECT_LT(std::string_view(r.longName).size(), 40u) << r.longName;
        }

    // What is not listed is refused.
    Ref<clsProvider> p = list->item(1);
    p->acquire("", CRYPT_VERIFYCONTEXT);
    if (!legacy) {
        try {
            p->createHash(CALG_MD4);
            ADD_FAILURE() << "MD4 without the legacy provider";
        } catch (const Error& e) {
            EXPECT_EQ(e.number, code::BadAlgorithm);
        }
    }
    p->createHash(CALG_MD2)->addData(bytesOf("abc"));

    // A MAC the list does not offer is refused too.
    Ref<clsProvider> basic = list->item(0);
    basic->acquire("", CRYPT_VERIFYCONTEXT);
    auto key = makeRef<clsKey>();
    if (legacy) {
        key->generate(basic->hContext(), alg::DES);
        EXPECT_EQ(basic->createHash(CALG_MAC, key->hKey())->size(), 8);
    } else {
        try {
            basic->createHash(CALG_MAC);
            ADD_FAILURE() << "a MAC without a block cipher";
        } catch (const Error& e) {
            EXPECT_EQ(e.number, code::BadAlgorithm);
        }
    }
}

}  // namespace
}  // namespace keystrand::test
