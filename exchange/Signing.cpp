#include "exchange/Signing.h"

#include "core/RunError.h"

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>

#include <memory>

namespace vt::exchange {

int StoreLocationCode(std::string_view text) {
    if (text == "Local Machine Store") return int(certstore::Location::LocalMachine);
    if (text == "Current User Store") return int(certstore::Location::CurrentUser);
    if (text == "Active Directory User Store") return int(certstore::Location::ActiveDirectoryUser);
    if (text == "Smart Card User Store") return int(certstore::Location::SmartCardUser);
    return 0;
}

namespace {

[[noreturn]] void signingFailed() {
    const unsigned long code = ERR_peek_last_error();
    char text[256] = "The signature could not be made";
    if (code) ERR_error_string_n(code, text, sizeof text);
    ERR_clear_error();
    // Signing failures carry negative numbers, as the message that shows them expects.
    throw core::RunError(-long(ERR_GET_REASON(code) ? ERR_GET_REASON(code) : 1), text);
}

}  // namespace

std::string SignDetached(const certstore::Certificate& certificate, std::string_view content) {
    if (!certificate.privateKey())
        throw core::RunError(5, "The certificate has no private key in its store: it cannot sign.");
    std::unique_ptr<BIO, decltype(&BIO_free)> in(BIO_new_mem_buf(content.data(), int(content.size())), BIO_free);
    if (!in) signingFailed();
    std::unique_ptr<CMS_ContentInfo, decltype(&CMS_ContentInfo_free)> cms(
        CMS_sign(certificate.x509(), certificate.privateKey().get(), nullptr, in.get(), CMS_DETACHED | CMS_BINARY),
        CMS_ContentInfo_free);
    if (!cms) signingFailed();
    unsigned char* der = nullptr;
    const int length = i2d_CMS_ContentInfo(cms.get(), &der);
    if (length <= 0) signingFailed();
    std::string out(std::size_t(4 * ((length + 2) / 3)) + 1, '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), der, length);
    OPENSSL_free(der);
    out.resize(std::size_t(written));
    return out;
}

}  // namespace vt::exchange
