#include "CertStore.h"

#include "platform/text/Text.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace vt::certstore {

namespace fs = std::filesystem;

std::string_view locationFolder(Location location) {
    switch (location) {
    case Location::LocalMachine: return "LocalMachine";
    case Location::CurrentUser: return "CurrentUser";
    case Location::ActiveDirectoryUser: return "ActiveDirectoryUser";
    case Location::SmartCardUser: return "SmartCardUser";
    }
    return "CurrentUser";
}

fs::path defaultRoot() {
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return fs::path(x) / "Keystrand" / "Certificates";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local" / "share" / "Keystrand" / "Certificates";
}

namespace {

std::string entryText(const X509_NAME_ENTRY* e) {
    unsigned char* utf8 = nullptr;
    const int n = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(e));
    if (n < 0) return {};
    std::string s(reinterpret_cast<char*>(utf8), std::size_t(n));
    OPENSSL_free(utf8);
    return text::utf8ToAnsi(s);
}

std::string attribute(const X509_NAME* name, int nid) {
    const int i = X509_NAME_get_index_by_NID(name, nid, -1);
    return i < 0 ? std::string() : entryText(X509_NAME_get_entry(name, i));
}

std::string altName(X509* x, bool issuer, int type) {
    auto* names = static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(x, issuer ? NID_issuer_alt_name : NID_subject_alt_name, nullptr, nullptr));
    if (!names) return {};
    std::string out;
    for (int i = 0; i < sk_GENERAL_NAME_num(names) && out.empty(); ++i) {
        const GENERAL_NAME* g = sk_GENERAL_NAME_value(names, i);
        if (g->type != type) continue;
        const ASN1_IA5STRING* s = g->d.ia5;
        out.assign(reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)), std::size_t(ASN1_STRING_length(s)));
    }
    GENERAL_NAMES_free(names);
    return text::utf8ToAnsi(out);
}

std::string rdnKey(const ASN1_OBJECT* obj) {
    switch (OBJ_obj2nid(obj)) {
    case NID_pkcs9_emailAddress: return "E";
    case NID_stateOrProvinceName: return "S";
    case NID_givenName: return "G";
    case NID_undef: break;
    default: {
        const char* sn = OBJ_nid2sn(OBJ_obj2nid(obj));
        if (sn) return sn;
    }
    }
    char buf[128];
    OBJ_obj2txt(buf, sizeof buf, obj, 1);
    return buf;
}

std::string rdnValue(std::string v) {
    const bool quote = v.empty() || v.front() == ' ' || v.back() == ' ' ||
                       v.find_first_of(",+=\"\n<>#;") != std::string::npos;
    if (!quote) return v;
    std::string q = "\"";
    for (char c : v) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::int64_t toSeconds(const ASN1_TIME* t) {
    std::tm tm{};
    if (!t || ASN1_TIME_to_tm(t, &tm) != 1) return 0;
    return std::int64_t(timegm(&tm));
}

int noPassword(char*, int, int, void*) { return -1; }   // encrypted keys are left alone

bool validName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

}  // namespace

Certificate::Certificate(std::shared_ptr<X509> x509, fs::path file) : x509_(std::move(x509)), file_(std::move(file)) {}

std::string Certificate::name(NameForm form, bool issuer) const {
    X509* x = x509_.get();
    const X509_NAME* nm = issuer ? X509_get_issuer_name(x) : X509_get_subject_name(x);
    switch (form) {
    case NameForm::Email: {
        std::string s = altName(x, issuer, GEN_EMAIL);
        return s.empty() ? attribute(nm, NID_pkcs9_emailAddress) : s;
    }
    case NameForm::Rdn: {
        std::string s;
        for (int i = 0; i < X509_NAME_entry_count(nm); ++i) {
            const X509_NAME_ENTRY* e = X509_NAME_get_entry(nm, i);
            if (i) s += ", ";
            s += rdnKey(X509_NAME_ENTRY_get_object(e)) + "=" + rdnValue(entryText(e));
        }
        return s;
    }
    case NameForm::Attribute: return attribute(nm, NID_commonName);
    case NameForm::SimpleDisplay:
    case NameForm::FriendlyDisplay:
        for (int nid : {NID_commonName, NID_organizationalUnitName, NID_organizationName, NID_pkcs9_emailAddress}) {
            std::string s = attribute(nm, nid);
            if (!s.empty()) return s;
        }
        return X509_NAME_entry_count(nm) > 0 ? entryText(X509_NAME_get_entry(nm, 0)) : std::string();
    case NameForm::Dns: {
        std::string s = altName(x, issuer, GEN_DNS);
        return s.empty() ? attribute(nm, NID_commonName) : s;
    }
    case NameForm::Url: return altName(x, issuer, GEN_URI);
    case NameForm::Upn: return {};
    }
    return {};
}

std::int64_t Certificate::notBefore() const { return toSeconds(X509_get0_notBefore(x509_.get())); }
std::int64_t Certificate::notAfter() const { return toSeconds(X509_get0_notAfter(x509_.get())); }

std::vector<std::uint8_t> Certificate::der() const {
    unsigned char* buf = nullptr;
    const int n = i2d_X509(x509_.get(), &buf);
    if (n <= 0) return {};
    std::vector<std::uint8_t> out(buf, buf + n);
    OPENSSL_free(buf);
    return out;
}

Store Store::open(const fs::path& root, Location location, std::string_view name) {
    Store s;
    if (!validName(name)) return s;
    s.open_ = true;
    s.folder_ = root / std::string(locationFolder(location)) / std::string(name);
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(s.folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string fn = it->path().filename().string();
        if (!fn.empty() && fn[0] != '.' && it->is_regular_file(ec)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() < b.filename().string();
    });

    std::vector<std::shared_ptr<EVP_PKEY>> keys;
    constexpr std::uintmax_t kLargestFile = 4u << 20;   // far above any certificate file
    for (const fs::path& file : files) {
        if (fs::file_size(file, ec) > kLargestFile || ec) {
            s.unreadable_.push_back(file);
            continue;
        }
        std::ifstream in(file, std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::size_t found = 0;
        constexpr std::string_view kBegin = "-----BEGIN";
        if (data.find(kBegin) != std::string::npos) {
            // Block by block: a damaged block costs only itself, not the certificates beside it
            // (which would move every later position in the list).
            for (std::size_t at = data.find(kBegin); at != std::string::npos;) {
                const std::size_t next = data.find(kBegin, at + kBegin.size());
                const std::size_t end = next == std::string::npos ? data.size() : next;
                BIO* bio = BIO_new_mem_buf(data.data() + at, int(end - at));
                STACK_OF(X509_INFO)* infos = PEM_X509_INFO_read_bio(bio, nullptr, noPassword, nullptr);
                BIO_free(bio);
                for (int i = 0; infos && i < sk_X509_INFO_num(infos); ++i) {
                    X509_INFO* info = sk_X509_INFO_value(infos, i);
                    if (info->x509) {
                        X509_up_ref(info->x509);
                        s.certificates_.emplace_back(std::shared_ptr<X509>(info->x509, X509_free), file);
                        ++found;
                    }
                    if (info->crl) ++s.crls_, ++found;
                    if (info->x_pkey && info->x_pkey->dec_pkey) {
                        EVP_PKEY_up_ref(info->x_pkey->dec_pkey);
                        keys.emplace_back(info->x_pkey->dec_pkey, EVP_PKEY_free);
                        ++found;
                    }
                }
                sk_X509_INFO_pop_free(infos, X509_INFO_free);
                at = next;
            }
        } else {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
            if (X509* x = d2i_X509(nullptr, &p, long(data.size()))) {
                s.certificates_.emplace_back(std::shared_ptr<X509>(x, X509_free), file);
                ++found;
            } else {
                p = reinterpret_cast<const unsigned char*>(data.data());
                if (X509_CRL* crl = d2i_X509_CRL(nullptr, &p, long(data.size()))) {
                    X509_CRL_free(crl);
                    ++s.crls_, ++found;
                }
            }
        }
        if (!found) s.unreadable_.push_back(file);
    }
    for (Certificate& c : s.certificates_)
        for (const auto& k : keys)
            if (X509_check_private_key(c.x509(), k.get()) == 1) {
                c.key_ = k;
                break;
            }
    return s;
}

}  // namespace vt::certstore
