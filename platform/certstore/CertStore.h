#pragma once
// Folder-backed certificate stores: one folder per store, "<root>/<location>/<store name>",
// holding certificate files (PEM or DER; a PEM file may hold several certificates, revocation
// lists and the private key of its certificate). A store lists its certificates in a stable
// order, by file name (byte order) and then by their order in the file, because positions in
// the list are stored by users.
//
// The default root is "$XDG_DATA_HOME/Keystrand/Certificates" (else
// "~/.local/share/Keystrand/Certificates"), shared by Keystrand and the Exchange signing.

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::certstore {

// Store locations, numbered as the signing settings store them.
enum class Location : int {
    LocalMachine = 1,
    CurrentUser = 2,
    ActiveDirectoryUser = 3,
    SmartCardUser = 4,
};
// The folder name of a location ("CurrentUser", ...).
std::string_view locationFolder(Location location);

std::filesystem::path defaultRoot();

// The forms of a certificate's subject or issuer name.
enum class NameForm : int {
    Email = 1,           // first e-mail alternative name, else the e-mail attribute
    Rdn = 2,             // "C=US, O=Example, CN=Example CA", in the certificate's order
    Attribute = 3,       // the common name
    SimpleDisplay = 4,   // common name, else unit, else organisation, else e-mail, else the first value
    FriendlyDisplay = 5, // as SimpleDisplay (files carry no friendly names)
    Dns = 6,             // first DNS alternative name, else the common name
    Url = 7,             // first URI alternative name
    Upn = 8,             // not carried by these stores: always ""
};

class Certificate {
public:
    Certificate(std::shared_ptr<X509> x509, std::filesystem::path file);

    X509* x509() const noexcept { return x509_.get(); }
    const std::filesystem::path& file() const noexcept { return file_; }
    // The name as 1252 text; "" when the certificate has none of that form.
    std::string name(NameForm form, bool issuer = false) const;
    std::string simpleName(bool issuer = false) const { return name(NameForm::SimpleDisplay, issuer); }
    // Seconds since 1970-01-01 UTC.
    std::int64_t notBefore() const;
    std::int64_t notAfter() const;
    std::vector<std::uint8_t> der() const;
    // The matching private key found in the store, or null.
    const std::shared_ptr<EVP_PKEY>& privateKey() const noexcept { return key_; }

private:
    friend class Store;
    std::shared_ptr<X509> x509_;
    std::filesystem::path file_;
    std::shared_ptr<EVP_PKEY> key_;
};

class Store {
public:
    // Reads the store's folder. A name that is empty or holds "/", "\0" or ".." opens nothing
    // (isOpen() false); a store whose folder does not exist is open and empty.
    static Store open(const std::filesystem::path& root, Location location, std::string_view name);
    static Store open(Location location, std::string_view name) { return open(defaultRoot(), location, name); }

    bool isOpen() const noexcept { return open_; }
    const std::filesystem::path& folder() const noexcept { return folder_; }
    const std::vector<Certificate>& certificates() const noexcept { return certificates_; }
    std::size_t crlCount() const noexcept { return crls_; }
    // Files that hold nothing readable (left out of the list).
    const std::vector<std::filesystem::path>& unreadable() const noexcept { return unreadable_; }

private:
    bool open_ = false;
    std::filesystem::path folder_;
    std::vector<Certificate> certificates_;
    std::size_t crls_ = 0;
    std::vector<std::filesystem::path> unreadable_;
};

}  // namespace vt::certstore
