#include "clsProvider.h"

#include "Engine.h"
#include "apiComboMethods.h"
#include "clsHash.h"
#include "clsProviderProperties.h"
#include "clsSystemCertStore.h"

namespace keystrand {

using namespace vt::automation;

clsProvider::~clsProvider() { releaseQuietly(); }

void clsProvider::releaseQuietly() noexcept {
    const std::int32_t held = std::exchange(context_, 0);
    if (held == 0) return;
    try {
        engine::releaseContext(held);
    } catch (...) {   // already gone, or nobody is left to tell
    }
}

Ref<clsSystemCertStore> clsProvider::systemCertStore() const {
    auto store = makeRef<clsSystemCertStore>();
    store->openStore(context_, "CA");
    return store;
}

Ref<clsProviderProperties> clsProvider::properties() const { return makeRef<clsProviderProperties>(context_); }

bool clsProvider::acquire(std::string_view container, std::int32_t flags) {
    return asMember("clsProvider", "Acquire", [&] {
        releaseQuietly();
        context_ = engine::acquireContext(container, name_, type_, flags);
        return true;
    });
}

bool clsProvider::release() {
    return asMember("clsProvider", "Release", [&] {
        engine::releaseContext(std::exchange(context_, 0));
        return true;
    });
}

Ref<clsHash> clsProvider::createHash(std::int32_t hashType, std::int32_t key, std::int32_t flags) const {
    auto hash = makeRef<clsHash>();
    hash->create(context_, hashType, key, flags);
    return hash;
}

namespace {
// The texts of a collection's items (none for Nothing).
template <class Text>
std::vector<std::string> textsOf(const Ref<Collection>& items, Text text) {
    std::vector<std::string> out;
    for (std::int32_t i = 0; items && i < items->count(); ++i) out.push_back(text(items->at(std::size_t(i))));
    return out;
}
}  // namespace

void clsProvider::loadContainers(ComboTarget* combo) const {
    apiComboMethods(combo).fill(textsOf(properties()->containers(), [](const Variant& v) { return toString(v); }));
}

void clsProvider::loadAlgorithms(ComboTarget* combo) const {
    apiComboMethods(combo).fill(textsOf(properties()->algorithmsEx(), [](const Variant& v) {
        return v.objectAs<clsPROV_ENUMALGS_EX>()->szLongName;
    }));
}

Bytes clsProvider::generateRandom(std::int32_t length) const {
    if (length < 1) return {};
    try {
        return engine::random(context_, std::size_t(length));
    } catch (const Failure&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
}

const Members<clsProvider>& clsProvider::members() {
    static const Members<clsProvider> m = [] {
        using P = clsProvider;
        Members<P> t("clsProvider");
        t.get("SystemCertStore", [](P& p, Args&) { return Variant(p.systemCertStore()); })
            .get("NAME", [](P& p, Args&) { return Variant(p.name()); })
            .get("ProviderType", [](P& p, Args&) { return Variant(p.providerType()); })
            .get("hContext", [](P& p, Args&) { return Variant(p.hContext()); })
            .get("Properties", [](P& p, Args&) { return Variant(p.properties()); })
            .method("Acquire", {0, 2}, [](P& p, Args& a) { return Variant(p.acquire(a.string(0), a.int32(1))); })
            .method("Release", {}, [](P& p, Args&) { return Variant(p.release()); })
            .method("CreateHash", {1, 3}, [](P& p, Args& a) {
                return Variant(p.createHash(a.int32(0), a.int32(1), a.int32(2)));
            })
            .method("apiLoadContainers", {1, 1}, [](P& p, Args& a) {
                p.loadContainers(comboFor(a.int32(0)));
                return Variant();
            })
            .method("apiLoadAlgorithms", {1, 1}, [](P& p, Args& a) {
                p.loadAlgorithms(comboFor(a.int32(0)));
                return Variant();
            })
            .method("GenerateRandom", {1, 1}, [](P& p, Args& a) { return fromBytes(p.generateRandom(a.int32(0))); });
        return t;
    }();
    return m;
}

}  // namespace keystrand
