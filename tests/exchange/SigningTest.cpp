// SendAS2: a detached signature of a fresh Outbox interchange, checked by an independent reader
// (the openssl command) against the test's own certificate.
#include "ExchangeFixture.h"
#include "exchange/Signing.h"

#include <cstdlib>

namespace vt::test {
namespace {

class Signing : public ExchangeTest {
protected:
    fs::path store, signerCert;

    void SetUp() override {
        ExchangeTest::SetUp();
        const fs::path data = scratch.folder() / "xdg";
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        store = data / "Keystrand" / "Certificates" / "CurrentUser" / "My";
        fs::create_directories(store);
        // Row 1: a certificate without its key; row 2: the signer, its key in the same file.
        makeCertificate("Other Party", store / "1-other.pem", false);
        signerCert = scratch.folder() / "signer.pem";
        makeCertificate("Veltrane Signer", store / "2-signer.pem", true);
        fs::copy_file(store / "2-signer.pem.cert", signerCert);
        fs::remove(store / "2-signer.pem.cert");
        view.choices = {{"Current User Store", "My", 1}};
    }
    void TearDown() override {
        ::unsetenv("XDG_DATA_HOME");
        ExchangeTest::TearDown();
    }
    void makeCertificate(const std::string& cn, const fs::path& file, bool withKey) {
        const fs::path key = scratch.folder() / "key.pem", cert = file.string() + ".cert";
        const std::string cmd = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj '/CN=" + cn + "' -keyout '" +
                                key.string() + "' -out '" + cert.string() + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        writeAll(file, readAll(cert) + (withKey ? readAll(key) : ""));
        if (!withKey) fs::remove(cert);
    }
    // The openssl command's verdict on a signature of `content`.
    bool verifies(const std::string& base64, const fs::path& content) {
        std::string pem = "-----BEGIN CMS-----\n";
        for (std::size_t i = 0; i < base64.size(); i += 64) pem += base64.substr(i, 64) + "\n";
        pem += "-----END CMS-----\n";
        const fs::path sig = scratch.folder() / "sig.pem";
        writeAll(sig, pem);
        const std::string cmd = "openssl cms -verify -binary -inform PEM -in '" + sig.string() + "' -content '" +
                                content.string() + "' -CAfile '" + signerCert.string() +
                                "' -purpose any -out /dev/null >/dev/null 2>&1";
        return std::system(cmd.c_str()) == 0;
    }
};

TEST_F(Signing, SecondRowSignsANewOutboxFileThatOpensslVerifies) {
    load(outboundPo().text());
    const std::string signature = sessions->SendAS2(0);
    ASSERT_FALSE(signature.empty()) << (scratch.ui.events.empty() ? "" : scratch.ui.events.back());
    const fs::path file = sessions->exchange().LocaleFile;
    EXPECT_EQ(file.extension(), ".OC");
    ASSERT_TRUE(fs::exists(file));
    EXPECT_TRUE(verifies(signature, file));
    // The same signature does not fit other content.
    const fs::path other = scratch.folder() / "other.edi";
    writeAll(other, readAll(file) + "x");
    EXPECT_FALSE(verifies(signature, other));
}

TEST_F(Signing, RefusalsSayWhyAndWriteNothing) {
    load(outboundPo().text());
    struct Case {
        const char* name;
        exchange::SigningChoice choice;
        std::string box;   // "" when nothing is shown
    };
    const Case cases[] = {
        {"no store name", {"Current User Store", "", 1}, ""},
        {"no location", {"Elsewhere", "My", 1}, ""},
        {"no row selected", {"Current User Store", "My", -1}, "box 0 Veltrane: Signing failed: No certificate is selected"},
        {"row beyond the store", {"Current User Store", "My", 2},
         "box 0 Veltrane: Signing failed: The certificate chosen is no longer in the store"},
        {"certificate without key", {"Current User Store", "My", 0},
         "box 0 Veltrane: Signing failed: The certificate has no private key in its store: it cannot sign."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.choices = {c.choice};
        scratch.ui.events.clear();
        EXPECT_EQ(sessions->SendAS2(0), "");
        EXPECT_EQ(scratch.ui.events, c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box});
        EXPECT_TRUE(filesIn(outbound).empty());
    }
    scratch.ui.events.clear();
    EXPECT_EQ(sessions->SendAS2(3), "");   // no such network
    EXPECT_EQ(scratch.ui.events,
              std::vector<std::string>{"box 0 Veltrane: Signing failed: Subscript out of range: there is no network 3"});
}

TEST_F(Signing, ScriptGetsTheSignature) {
    load(outboundPo().text());
    ASSERT_TRUE(sessions->RunReceiveScript(network("s = SendAS2(0) : LogSession Left(s, 3) & Len(s) Mod 4")));
    EXPECT_EQ(view.session, "MII0\r\n");
}

TEST(StoreLocations, CodesByEntryText) {
    const std::pair<const char*, int> cases[] = {{"Local Machine Store", 1},         {"Current User Store", 2},
                                                 {"Active Directory User Store", 3}, {"Smart Card User Store", 4},
                                                 {"current user store", 0},          {"", 0}};
    for (const auto& [text, code] : cases) EXPECT_EQ(exchange::StoreLocationCode(text), code) << text;
}

}  // namespace
}  // namespace vt::test
