#include "clsProviders.h"

#include "Algorithms.h"
#include "apiComboMethods.h"

namespace keystrand {

using namespace vt::automation;

clsProviders::clsProviders() { getProviders(); }

void clsProviders::getProviders() {
    for (const auto& p : providerTable())
        items_.emplace_back(std::to_string(items_.size()), makeRef<clsProvider>(p.name, p.type));
}

Ref<clsProvider> clsProviders::item(const Variant& indexOrKey) const {
    const std::string key = toText(indexOrKey);
    if (key.empty()) return nullptr;
    for (const auto& [k, p] : items_)
        if (k == key) return p;
    raise(err::InvalidCall);
}

Ref<clsProvider> clsProviders::item(std::int32_t position) const { return item(Variant(position)); }

void clsProviders::loadComboBox(ComboTarget* combo) const {
    std::vector<std::string> names;
    for (const auto& [key, p] : items_) names.push_back(p->name());
    apiComboMethods(combo).fill(names);
}

std::int32_t clsProviders::locateProvider(std::string_view name, std::int32_t type) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].second->name() == name && items_[i].second->providerType() == type) return std::int32_t(i);
    return -1;
}

std::unique_ptr<Enumerator> clsProviders::enumerate() {
    std::vector<Variant> all;
    for (const auto& [key, p] : items_) all.emplace_back(p);
    return std::make_unique<VectorEnumerator>(std::move(all));
}

const Members<clsProviders>& clsProviders::members() {
    static const Members<clsProviders> m = [] {
        using L = clsProviders;
        Members<L> t("clsProviders");
        t.get("Item", {1, 1}, [](L& l, Args& a) {
             Ref<clsProvider> p = l.item(a.value(0));
             return p ? Variant(p) : Variant::nothing();
         })
            .defaultMember("Item")
            .get("Count", [](L& l, Args&) { return Variant(l.count()); })
            .method("LoadComboBox", {1, 1}, [](L& l, Args& a) {
                l.loadComboBox(comboFor(a.int32(0)));
                return Variant();
            })
            .method("LocateProvider", {2, 2}, [](L& l, Args& a) {
                return Variant(std::int16_t(l.locateProvider(a.string(0), a.int32(1))));
            })
            .method("GetProviders", {}, [](L& l, Args&) {
                l.getProviders();
                return Variant::nothing();
            });
        return t;
    }();
    return m;
}

}  // namespace keystrand
