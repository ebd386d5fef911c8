#include "clsProviderProperties.h"

#include "Engine.h"
#include "Enumerations.h"

namespace keystrand {

using namespace vt::automation;

namespace {
constexpr std::int32_t kVersion = 0x200;

template <class T>
void recordField(Members<T>& t, const char* name, std::int32_t T::*field) {
    t.get(name, [field](T& r, Args&) { return Variant(r.*field); });
    t.let(name, [field](T& r, Args&, const Variant& v) { r.*field = toInt32(v); });
}
template <class T>
void recordText(Members<T>& t, const char* name, std::string T::*field) {
    t.get(name, [field](T& r, Args&) { return Variant(r.*field); });
    t.let(name, [field](T& r, Args&, const Variant& v) { r.*field = toString(v); });
}
}  // namespace

void clsPROV_ENUMALGS::load(const AlgorithmRecord& r) {
    aiAlgid = r.id;
    dwBitLen = r.defaultLen;
    szName = r.name;
}

const Members<clsPROV_ENUMALGS>& clsPROV_ENUMALGS::members() {
    static const Members<clsPROV_ENUMALGS> m = [] {
        using R = clsPROV_ENUMALGS;
        Members<R> t("clsPROV_ENUMALGS");
        recordField(t, "aiAlgid", &R::aiAlgid);
        recordField(t, "dwBitLen", &R::dwBitLen);
        recordText(t, "szName", &R::szName);
        return t;
    }();
    return m;
}

void clsPROV_ENUMALGS_EX::load(const AlgorithmRecord& r) {
    aiAlgid = r.id;
    dwDefaultLen = r.defaultLen;
    dwMinLen = r.minLen;
    dwMaxLen = r.maxLen;
    dwProtocols = r.protocols;
    szName = r.name;
    szLongName = r.longName;
}

const Members<clsPROV_ENUMALGS_EX>& clsPROV_ENUMALGS_EX::members() {
    static const Members<clsPROV_ENUMALGS_EX> m = [] {
        using R = clsPROV_ENUMALGS_EX;
        Members<R> t("clsPROV_ENUMALGS_EX");
        recordField(t, "aiAlgid", &R::aiAlgid);
        recordField(t, "dwDefaultLen", &R::dwDefaultLen);
        recordField(t, "dwMinLen", &R::dwMinLen);
        recordField(t, "dwMaxLen", &R::dwMaxLen);
        recordField(t, "dwProtocols", &R::dwProtocols);
        recordText(t, "szName", &R::szName);
        recordText(t, "szLongName", &R::szLongName);
        return t;
    }();
    return m;
}

std::int32_t clsProviderProperties::longParam(std::int32_t param) const {
    const auto info = engine::contextInfo(context_);
    if (!info) return 0;
    switch (param) {
    case PP_VERSION: return kVersion;
    case PP_PROVTYPE: return info->provider->type;
    case PP_IMPTYPE: return CRYPT_IMPL_SOFTWARE;
    case PP_KEYSPEC: return AT_KEYEXCHANGE | AT_SIGNATURE;
    case PP_SIG_KEYSIZE_INC:
    case PP_KEYX_KEYSIZE_INC: return info->provider->keySizeStep;
    case PP_KEYSTORAGE: return CRYPT_SEC_DESCR;
    default: return 0;
    }
}

std::string clsProviderProperties::stringParam(std::int32_t param) const {
    const auto info = engine::contextInfo(context_);
    if (!info) return {};
    switch (param) {
    case PP_NAME: return info->provider->name;
    case PP_CONTAINER:
    case PP_UNIQUE_CONTAINER: return info->container;
    default: return {};
    }
}

std::string clsProviderProperties::version() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&H%X", static_cast<unsigned>(longParam(PP_VERSION)));
    return buf;
}

template <class Record>
Ref<Collection> clsProviderProperties::records() const {
    const auto info = engine::contextInfo(context_);
    if (!info) return nullptr;
    auto c = makeRef<Collection>();
    for (const auto& r : availableAlgorithms(*info->provider)) {
        auto rec = makeRef<Record>();
        rec->load(r);
        c->add(Variant(rec), std::to_string(c->count()));
    }
    return c;
}

Ref<Collection> clsProviderProperties::algorithms() const { return records<clsPROV_ENUMALGS>(); }

Ref<Collection> clsProviderProperties::algorithmsEx() const { return records<clsPROV_ENUMALGS_EX>(); }

Ref<Collection> clsProviderProperties::containers() const {
    const auto info = engine::contextInfo(context_);
    if (!info) return nullptr;
    auto c = makeRef<Collection>();
    for (const auto& name : engine::containerNames(*info->provider)) c->add(Variant(name), std::to_string(c->count()));
    return c;
}

const Members<clsProviderProperties>& clsProviderProperties::members() {
    static const Members<clsProviderProperties> m = [] {
        using P = clsProviderProperties;
        Members<P> t("clsProviderProperties");
        auto text = [&t](const char* name, std::int32_t param) {
            t.get(name, [param](P& p, Args&) { return Variant(p.stringParam(param)); });
        };
        auto number = [&t](const char* name, std::int32_t param) {
            t.get(name, [param](P& p, Args&) { return Variant(p.longParam(param)); });
        };
        auto collection = [](Ref<Collection> c) { return c ? Variant(c) : Variant::nothing(); };
        text("NAME", PP_NAME);
        t.get("VERSION", [](P& p, Args&) { return Variant(p.version()); });
        text("Container", PP_CONTAINER);
        number("PROVTYPE", PP_PROVTYPE);
        number("CLIENT_HWND", PP_CLIENT_HWND);
        number("ADMIN_PIN", PP_ADMIN_PIN);
        number("KEYEXCHANGE_PIN", PP_KEYEXCHANGE_PIN);
        number("SIGNATURE_PIN", PP_SIGNATURE_PIN);
        number("SIG_KEYSIZE_INC", PP_SIG_KEYSIZE_INC);
        number("KEYX_KEYSIZE_INC", PP_KEYX_KEYSIZE_INC);
        text("UNIQUE_CONTAINER", PP_UNIQUE_CONTAINER);
        number("SGC_INFO", PP_SGC_INFO);
        t.get("USE_HARDWARE_RNG", [](P& p, Args&) { return Variant(p.longParam(PP_USE_HARDWARE_RNG) != 0); });
        number("KEYSPEC", PP_KEYSPEC);
        number("APPLI_CERT", PP_APPLI_CERT);
        number("CERTCHAIN", PP_CERTCHAIN);
        number("CHANGE_PASSWORD", PP_CHANGE_PASSWORD);
        number("CONTEXT_INFO", PP_CONTEXT_INFO);
        t.get("ENUMALGS", [collection](P& p, Args&) { return collection(p.algorithms()); });
        t.get("ENUMALGS_EX", [collection](P& p, Args&) { return collection(p.algorithmsEx()); });
        t.get("ENUMCONTAINERS", [collection](P& p, Args&) { return collection(p.containers()); });
        number("IMPTYPE", PP_IMPTYPE);
        number("KEY_TYPE_SUBTYPE", PP_KEY_TYPE_SUBTYPE);
        number("KEYEXCHANGE_ALG", PP_KEYEXCHANGE_ALG);
        number("KEYEXCHANGE_KEYSIZE", PP_KEYEXCHANGE_KEYSIZE);
        t.get("KEYSET_SEC_DESCR", [](P&, Args&) { return fromBytes({}); });
        number("KEYSTORAGE", PP_KEYSTORAGE);
        number("SESSION_KEYSIZE", PP_SESSION_KEYSIZE);
        number("SIGNATURE_ALG", PP_SIGNATURE_ALG);
        number("SIGNATURE_KEYSIZE", PP_SIGNATURE_KEYSIZE);
        number("SYM_KEYSIZE", PP_SYM_KEYSIZE);
        number("ENUMEX_SIGNING_PROT", PP_ENUMEX_SIGNING_PROT);
        text("UI_PROMPT", PP_UI_PROMPT);
        return t;
    }();
    return m;
}

}  // namespace keystrand
