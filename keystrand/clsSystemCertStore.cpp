#include "clsSystemCertStore.h"

#include "Engine.h"
#include "Enumerations.h"

#include "platform/text/Text.h"

namespace keystrand {

using namespace vt::automation;
namespace cs = vt::certstore;

std::string clsCertNames::name(std::int32_t form, bool issuer) const {
    if (form < CERT_NAME_EMAIL_TYPE || form > CERT_NAME_UPN_TYPE) return {};
    return certificate_.name(cs::NameForm(form), issuer);
}

const Members<clsCertNames>& clsCertNames::members() {
    static const Members<clsCertNames> m = [] {
        using N = clsCertNames;
        Members<N> t("clsCertNames");
        struct Form { const char* member; std::int32_t form; };
        static constexpr Form forms[] = {
            {"FriendlyDisplayName", CERT_NAME_FRIENDLY_DISPLAY_TYPE}, {"ATTRName", CERT_NAME_ATTR_TYPE},
            {"DNSName", CERT_NAME_DNS_TYPE}, {"EMAILName", CERT_NAME_EMAIL_TYPE}, {"RDNName", CERT_NAME_RDN_TYPE},
            {"SIMPLEDisplayName", CERT_NAME_SIMPLE_DISPLAY_TYPE}, {"UPNName", CERT_NAME_UPN_TYPE},
            {"URLName", CERT_NAME_URL_TYPE},
        };
        for (const Form& f : forms) {
            const std::int32_t form = f.form;
            t.get(f.member, [form](N& n, Args&) { return Variant(n.name(form, false)); });
            t.get(std::string("Issuer") + f.member, [form](N& n, Args&) { return Variant(n.name(form, true)); });
        }
        return t;
    }();
    return m;
}

void clsSystemCertStore::openStore(std::int32_t context, std::string_view name) {
    context_ = context;
    name_ = std::string(name);
    store_ = cs::Store::open(dataRoot() / "Certificates", cs::Location::CurrentUser, name);
}

std::string clsSystemCertStore::localizedName() const {
    if (!isOpen()) return {};
    struct Known { const char* name; const char* text; };
    static constexpr Known known[] = {
        {"My", "Personal"},
        {"Root", "Trusted Root Certification Authorities"},
        {"CA", "Intermediate Certification Authorities"},
        {"AddressBook", "Other People"},
        {"Trust", "Enterprise Trust"},
        {"Disallowed", "Untrusted Certificates"},
    };
    for (const Known& k : known)
        if (vt::text::equalsNoCase(name_, k.name)) return k.text;
    return {};
}

std::int32_t clsSystemCertStore::numberOfCerts() const {
    return isOpen() ? std::int32_t(store_->certificates().size()) : 0;
}

std::int32_t clsSystemCertStore::numberOfCrls() const { return isOpen() ? std::int32_t(store_->crlCount()) : 0; }

Ref<clsCertNames> clsSystemCertStore::certsNames(std::int32_t index) const {
    if (!isOpen() || index < 0 || std::size_t(index) >= store_->certificates().size()) return nullptr;
    return makeRef<clsCertNames>(store_->certificates()[std::size_t(index)]);
}

const Members<clsSystemCertStore>& clsSystemCertStore::members() {
    static const Members<clsSystemCertStore> m = [] {
        using S = clsSystemCertStore;
        Members<S> t("clsSystemCertStore");
        t.get("LOCALIZED_NAME", [](S& s, Args&) { return Variant(s.localizedName()); })
            .get("UnknownProp", [](S&, Args&) { return Variant(std::int32_t(0)); })
            .get("NumberOfCERTs", [](S& s, Args&) { return Variant(s.numberOfCerts()); })
            .get("NumberOfCRLs", [](S& s, Args&) { return Variant(s.numberOfCrls()); })
            .get("NumberOfCTLs", [](S&, Args&) { return Variant(std::int32_t(0)); })
            .method("certsNames", {1, 1}, [](S& s, Args& a) {
                Ref<clsCertNames> n = s.certsNames(a.int32(0));
                return n ? Variant(n) : Variant::nothing();
            })
            .get("ctls", [](S&, Args&) { return Variant(std::int32_t(0)); })
            .get("crls", [](S&, Args&) { return Variant(std::int32_t(0)); });
        return t;
    }();
    return m;
}

}  // namespace keystrand
