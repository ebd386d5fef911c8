// The certificate store's reader over one file of a store: PEM blocks (certificates, revocation
// lists, private keys) or one DER certificate or list. Every certificate it lists gives its names
// and dates, and its DER form reads back as the same certificate.

#include "FuzzCheck.h"
#include "Scratch.h"
#include "platform/certstore/CertStore.h"

#include <openssl/x509.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
fs::path gRoot;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gRoot = vt::fuzz::scratchFolder("certstore");
    fs::create_directories(gRoot / "CurrentUser" / "My");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vt::certstore;
    std::ofstream(gRoot / "CurrentUser" / "My" / "partner.cer", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    const Store store = Store::open(gRoot, Location::CurrentUser, "My");
    VT_FUZZ_CHECK(store.isOpen(), "the store did not open");
    VT_FUZZ_CHECK(store.unreadable().size() <= 1, "one file counted unreadable twice");
    VT_FUZZ_CHECK(store.certificates().empty() || store.unreadable().empty(), "a file both read and unreadable");
    for (const Certificate& c : store.certificates()) {
        for (int form = 1; form <= 8; ++form) {
            (void)c.name(NameForm(form), false);
            (void)c.name(NameForm(form), true);
        }
        (void)c.notBefore();
        (void)c.notAfter();
        const std::vector<std::uint8_t> der = c.der();
        if (der.empty()) continue;
        const unsigned char* p = der.data();
        X509* again = d2i_X509(nullptr, &p, long(der.size()));
        VT_FUZZ_CHECK(again != nullptr, "a certificate's DER form does not read back");
        VT_FUZZ_CHECK(X509_cmp(again, c.x509()) == 0, "a certificate's DER form reads back as another");
        X509_free(again);
    }
    return 0;
}
