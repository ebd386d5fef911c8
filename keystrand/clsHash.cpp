#include "clsHash.h"

#include "Engine.h"
#include "Enumerations.h"
#include "Hex.h"
#include "clsKey.h"

#include "platform/text/Text.h"

namespace keystrand {

using namespace vt::automation;

namespace {
constexpr const char* kClass = "clsHash";
}

clsHash::~clsHash() { take(0); }

void clsHash::take(std::int32_t handle) noexcept {
    const std::int32_t old = std::exchange(handle_, handle);
    if (old == 0) return;
    try {
        engine::destroyHash(old);
    } catch (...) {
    }
}

bool clsHash::create(std::int32_t context, std::int32_t algorithm, std::int32_t key, std::int32_t flags) {
    context_ = context;
    return asMember(kClass, "Create", [&] {
        take(engine::createHash(context, algorithm, key, flags));
        return true;
    });
}

bool clsHash::verify(ByteSpan signature, const clsKey& publicKey, std::int32_t flags) {
    return asMember(kClass, "Verify", [&] {
        if (signature.empty()) raise(err::SubscriptOutOfRange);
        engine::verifySignature(handle_, signature, publicKey.hKey(), flags);
        return true;
    });
}

Bytes clsHash::sign(std::int32_t flags) {
    return asMember(kClass, "Sign", [&] { return engine::signHash(handle_, AT_SIGNATURE, flags); });
}

bool clsHash::addData(ByteSpan data, std::int32_t flags) {
    if (data.empty()) return false;
    return asMember(kClass, "AddData", [&] {
        engine::hashData(handle_, data, flags);
        return true;
    });
}

Bytes clsHash::value() {
    return asMember(kClass, "Value", [&] { return engine::hashValue(handle_); });
}

std::string clsHash::toString() {
    return asMember(kClass, "ToString", [&] {
        const Bytes v = value();
        std::string s;
        for (std::size_t i = 0; i < v.size(); i += 2) {
            const char32_t unit = v[i] | (i + 1 < v.size() ? char32_t(v[i + 1]) << 8 : 0);
            const int ansi = vt::text::unicodeToAnsi(unit);
            s += char(ansi < 0 ? '?' : ansi);
        }
        return s;
    });
}

std::string clsHash::toHex() {
    return asMember(kClass, "ToHex", [&] { return bytesToHex(value()); });
}

std::int32_t clsHash::size() {
    return asMember(kClass, "GetHashParam", [&] { return engine::hashParam(handle_, HP_HASHSIZE); });
}

std::int32_t clsHash::hashType() {
    return asMember(kClass, "GetHashParam", [&] { return engine::hashParam(handle_, HP_ALGID); });
}

const Members<clsHash>& clsHash::members() {
    static const Members<clsHash> m = [] {
        using H = clsHash;
        Members<H> t("clsHash");
        t.get("mvarHnd", [](H& h, Args&) { return Variant(h.handle()); })
            .let("mvarHnd", [](H& h, Args&, const Variant& v) { h.setHandle(toInt32(v)); })
            .method("Verify", {2, 3}, [](H& h, Args& a) {
                clsKey* key = a.raw(1).objectAs<clsKey>();
                if (!key) raise(err::TypeMismatch);
                return Variant(h.verify(ByteArg(a.value(0)), *key, a.int32(2)));
            })
            .method("Sign", {0, 1}, [](H& h, Args& a) { return fromBytes(h.sign(a.int32(0))); })
            .method("AddData", {1, 2}, [](H& h, Args& a) { return Variant(h.addData(ByteArg(a.value(0)), a.int32(1))); })
            .get("Value", [](H& h, Args&) { return fromBytes(h.value()); })
            .get("ToString", [](H& h, Args&) { return Variant(h.toString()); })
            .get("ToHex", [](H& h, Args&) { return Variant(h.toHex()); })
            .get("Size", [](H& h, Args&) { return Variant(h.size()); })
            .get("hashType", [](H& h, Args&) { return Variant(h.hashType()); });
        return t;
    }();
    return m;
}

}  // namespace keystrand
