#include "TestCertificates.h"

#include "platform/certstore/CertStore.h"

#include <ctime>

namespace vt::certstore::test {
namespace {

namespace fs = std::filesystem;

class CertStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("vt-certstore-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        store = root / "CurrentUser" / "My";
        const auto& c = TestCertificates::get();
        // Listed by file name: the DER CA, then the leaf with its key in the same file, then
        // the CA again as PEM; a file of nothing readable and a hidden file are left out.
        copyFile(c.caDer, store / "a-ca.cer");
        copyFile(c.leafPem, store / "b-leaf.pem");
        appendFile(c.leafKey, store / "b-leaf.pem");
        copyFile(c.caPem, store / "c-ca.pem");
        std::ofstream(store / "d-notes.txt") << "not a certificate";
        copyFile(c.crlPem, store / "e-ca.crl");
        copyFile(c.crlDer, store / "f-ca.crl");
        copyFile(c.caPem, store / ".hidden.pem");
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root, store;
};

TEST_F(CertStoreTest, ListsInFileNameOrder) {
    const Store s = Store::open(root, Location::CurrentUser, "My");
    ASSERT_TRUE(s.isOpen());
    std::vector<std::string> listed;
    for (const auto& c : s.certificates()) listed.push_back(c.file().filename().string() + ":" + c.simpleName());
    EXPECT_EQ(listed, (std::vector<std::string>{"a-ca.cer:Alpha CA", "b-leaf.pem:Beta Leaf", "c-ca.pem:Alpha CA"}));
    EXPECT_EQ(s.unreadable(), std::vector<fs::path>{store / "d-notes.txt"});
    EXPECT_EQ(s.crlCount(), 2u);   // PEM and DER
    // The key in the leaf's file belongs to the leaf; the CA's key is not in the store.
    EXPECT_TRUE(s.certificates()[1].privateKey());
    EXPECT_FALSE(s.certificates()[0].privateKey());
}

TEST_F(CertStoreTest, NameForms) {
    const Store s = Store::open(root, Location::CurrentUser, "My");
    const Certificate& ca = s.certificates()[0];
    const Certificate& leaf = s.certificates()[1];
    struct Case { const Certificate* cert; NameForm form; bool issuer; const char* expected; };
    const Case cases[] = {
        {&ca, NameForm::SimpleDisplay, false, "Alpha CA"},
        {&ca, NameForm::SimpleDisplay, true, "Alpha CA"},   // self-signed
        {&ca, NameForm::Email, false, "alpha@example.com"},
        {&ca, NameForm::Dns, false, "alpha.example.com"},
        {&ca, NameForm::Url, false, "http://example.com/alpha"},
        {&ca, NameForm::Rdn, false, "C=US, O=Example Org, CN=Alpha CA"},
        {&ca, NameForm::Attribute, false, "Alpha CA"},
        {&ca, NameForm::Upn, false, ""},
        {&leaf, NameForm::Email, false, ""},
        {&leaf, NameForm::Dns, false, "Beta Leaf"},
        {&leaf, NameForm::Rdn, false, "O=Example Org, OU=\"Shipping, Receiving\", CN=Beta Leaf"},
        {&leaf, NameForm::SimpleDisplay, true, "Alpha CA"},
        {&leaf, NameForm::FriendlyDisplay, false, "Beta Leaf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.form)) + (c.issuer ? " issuer" : ""));
        EXPECT_EQ(c.cert->name(c.form, c.issuer), c.expected);
    }
    const std::int64_t now = std::time(nullptr);
    EXPECT_LE(leaf.notBefore(), now);
    EXPECT_NEAR(double(leaf.notAfter() - leaf.notBefore()), 10 * 86400.0, 60);
    EXPECT_EQ(ca.der().size(), fs::file_size(TestCertificates::get().caDer));
}

TEST_F(CertStoreTest, ADamagedBlockCostsOnlyItself) {
    const auto& c = TestCertificates::get();
    const fs::path bundle = root / "CurrentUser" / "Bundle";
    copyFile(c.caPem, bundle / "a.pem");
    std::ofstream(bundle / "a.pem", std::ios::app) << "-----BEGIN CERTIFICATE-----\nQUJDRA==\n-----END CERTIFICATE-----\n";
    appendFile(c.leafPem, bundle / "a.pem");
    appendFile(c.leafKey, bundle / "a.pem");
    std::ofstream(bundle / "b.pem") << "-----BEGIN CERTIFICATE-----\nQUJDRA==\n-----END CERTIFICATE-----\n";
    const Store s = Store::open(root, Location::CurrentUser, "Bundle");
    std::vector<std::string> listed;
    for (const auto& cert : s.certificates()) listed.push_back(cert.simpleName() + (cert.privateKey() ? "+key" : ""));
    EXPECT_EQ(listed, (std::vector<std::string>{"Alpha CA", "Beta Leaf+key"}));
    EXPECT_EQ(s.unreadable(), std::vector<fs::path>{bundle / "b.pem"});
}

TEST_F(CertStoreTest, MissingAndRefusedStores) {
    const Store empty = Store::open(root, Location::LocalMachine, "My");
    EXPECT_TRUE(empty.isOpen());
    EXPECT_TRUE(empty.certificates().empty());
    for (const char* bad : {"", "..", "a/b", "x..y"}) EXPECT_FALSE(Store::open(root, Location::CurrentUser, bad).isOpen()) << bad;
    EXPECT_EQ(locationFolder(Location::SmartCardUser), "SmartCardUser");
}

}  // namespace
}  // namespace vt::certstore::test
