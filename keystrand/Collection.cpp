#include "Collection.h"

#include "platform/text/Text.h"

namespace keystrand {

using namespace vt::automation;

const Members<Collection>& Collection::members() {
    static const Members<Collection> m = [] {
        Members<Collection> t("Collection");
        t.method("Add", {1, 2}, [](Collection& c, Args& a) {
             c.add(a.raw(0), a.string(1));
             return Variant();
         })
            .get("Item", {1, 1}, [](Collection& c, Args& a) { return c.item(a.value(0)); })
            .get("Count", [](Collection& c, Args&) { return Variant(c.count()); })
            .method("Remove", {1, 1}, [](Collection& c, Args& a) {
                c.remove(a.value(0));
                return Variant();
            })
            .defaultMember("Item");
        return t;
    }();
    return m;
}

std::unique_ptr<Enumerator> Collection::enumerate() {
    std::vector<Variant> items;
    for (const auto& [key, item] : items_) items.push_back(item);
    return std::make_unique<VectorEnumerator>(std::move(items));
}

void Collection::add(Variant item, std::string key) {
    if (!key.empty() && find(key)) raise(457, {}, "This key is already associated with an element of this collection");
    items_.emplace_back(std::move(key), std::move(item));
}

const Variant* Collection::find(std::string_view key) const {
    for (const auto& [k, item] : items_)
        if (!k.empty() && vt::text::equalsNoCase(k, key)) return &item;
    return nullptr;
}

std::size_t Collection::indexOf(const Variant& indexOrKey) const {
    if (indexOrKey.isString()) {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (!items_[i].first.empty() && vt::text::equalsNoCase(items_[i].first, indexOrKey.stringValue())) return i;
        raise(err::InvalidCall);
    }
    const std::int32_t n = toInt32(indexOrKey);
    if (n < 1 || std::size_t(n) > items_.size()) raise(err::InvalidCall);
    return std::size_t(n - 1);
}

const Variant& Collection::item(const Variant& indexOrKey) const { return items_[indexOf(indexOrKey)].second; }

void Collection::remove(const Variant& indexOrKey) { items_.erase(items_.begin() + std::ptrdiff_t(indexOf(indexOrKey))); }

}  // namespace keystrand
