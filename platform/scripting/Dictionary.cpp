#include "Dictionary.h"

#include "platform/text/Text.h"

#include <functional>

namespace vt::scripting {

using namespace vt::automation;

namespace {

enum class KeyKind { String, Number, Object, Empty, Null, Invalid };

KeyKind kindOf(const Variant& v) {
    if (v.isString()) return KeyKind::String;
    if (v.isObject()) return KeyKind::Object;
    if (v.isEmpty()) return KeyKind::Empty;
    if (v.isNull()) return KeyKind::Null;
    if (v.hasNumericType() || v.type() == VarType::Boolean || v.type() == VarType::Date) return KeyKind::Number;
    return KeyKind::Invalid;
}

double numberOf(const Variant& v) {
    const double d = toDouble(v);
    return d == 0 ? 0.0 : d;   // -0 and 0 are one key
}

}  // namespace

std::size_t Dictionary::hashOf(const Variant& key) const {
    switch (kindOf(key)) {
    case KeyKind::String:
        return std::hash<std::string>{}(mode_ == CompareMode::Text ? text::toLower(key.stringValue()) : key.stringValue());
    case KeyKind::Number: return std::hash<double>{}(numberOf(key)) ^ 0x9e3779b97f4a7c15ull;
    case KeyKind::Object: return std::hash<const void*>{}(key.object());
    case KeyKind::Empty: return 0x51;
    case KeyKind::Null: return 0x52;
    case KeyKind::Invalid: break;
    }
    raise(err::InvalidCall);
}

bool Dictionary::sameKey(const Variant& a, const Variant& b) const {
    const KeyKind k = kindOf(a);
    if (k != kindOf(b)) return false;
    switch (k) {
    case KeyKind::String: return compareStrings(a.stringValue(), b.stringValue(), mode_) == 0;
    case KeyKind::Number: return numberOf(a) == numberOf(b);
    case KeyKind::Object: return a.object() == b.object();
    default: return true;
    }
}

bool Dictionary::find(const Variant& key, std::size_t hash, Iter& found) const {
    const auto [first, last] = index_.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (sameKey(it->second->key, key)) {
            found = it->second;
            return true;
        }
    return false;
}

Dictionary::Iter Dictionary::insert(const Variant& key, const Variant& item, std::size_t hash) {
    entries_.push_back(Entry{key, item, hash});
    const Iter it = std::prev(entries_.end());
    index_.emplace(hash, it);
    return it;
}

void Dictionary::unindex(Iter it) {
    const auto [first, last] = index_.equal_range(it->hash);
    for (auto i = first; i != last; ++i)
        if (i->second == it) {
            index_.erase(i);
            return;
        }
}

void Dictionary::add(const Variant& key, const Variant& item) {
    const std::size_t h = hashOf(key);
    Iter it;
    if (find(key, h, it)) raise(457);
    insert(key, item, h);
}

bool Dictionary::exists(const Variant& key) const {
    Iter it;
    return find(key, hashOf(key), it);
}

Variant& Dictionary::item(const Variant& key) {
    const std::size_t h = hashOf(key);
    Iter it;
    if (!find(key, h, it)) it = insert(key, Variant(), h);
    return it->item;
}

void Dictionary::setItem(const Variant& key, const Variant& value) {
    const std::size_t h = hashOf(key);
    Iter it;
    if (find(key, h, it))
        it->item = value;
    else
        insert(key, value, h);
}

void Dictionary::renameKey(const Variant& key, const Variant& newKey) {
    Iter it;
    if (!find(key, hashOf(key), it)) raise(kElementNotFound, {}, "Element not found");
    const std::size_t h = hashOf(newKey);
    Iter taken;
    // Renaming a key to itself (or to another spelling of it under text comparison) is allowed.
    if (find(newKey, h, taken) && taken != it) raise(457);
    unindex(it);
    it->key = newKey;
    it->hash = h;
    index_.emplace(h, it);
}

void Dictionary::remove(const Variant& key) {
    Iter it;
    if (!find(key, hashOf(key), it)) raise(kElementNotFound, {}, "Element not found");
    unindex(it);
    entries_.erase(it);
}

void Dictionary::forEachValue(const std::function<void(const Variant&)>& visit) const {
    for (const Entry& e : entries_) {
        visit(e.key);
        visit(e.item);
    }
}

void Dictionary::dropValues() noexcept {
    // Emptied first: what the items release may look at the dictionary again.
    std::list<Entry> old = std::move(entries_);
    entries_.clear();
    index_.clear();
    old.clear();
}

void Dictionary::removeAll() {
    index_.clear();
    entries_.clear();
}

std::vector<Variant> Dictionary::keys() const {
    std::vector<Variant> out;
    out.reserve(entries_.size());
    for (const Entry& e : entries_) out.push_back(e.key);
    return out;
}

std::vector<Variant> Dictionary::items() const {
    std::vector<Variant> out;
    out.reserve(entries_.size());
    for (const Entry& e : entries_) out.push_back(e.item);
    return out;
}

void Dictionary::setCompareMode(std::int32_t mode) {
    if (mode < 0 || mode > 2 || !entries_.empty()) raise(err::InvalidCall);
    modeValue_ = mode;
    mode_ = mode == 0 ? CompareMode::Binary : CompareMode::Text;
}

std::unique_ptr<Enumerator> Dictionary::enumerate() { return std::make_unique<VectorEnumerator>(keys()); }

const Members<Dictionary>& Dictionary::members() {
    using D = Dictionary;
    static const Members<D> m = [] {
        Members<D> t("Dictionary");
        auto assign = [](D& d, Args& a, const Variant& v) { d.setItem(a.raw(0), v); };
        t.method("Add", {2, 2}, [](D& d, Args& a) {
             d.add(a.raw(0), a.raw(1));
             return Variant();
         })
            .method("Exists", {1, 1}, [](D& d, Args& a) { return Variant(d.exists(a.raw(0))); })
            .get("Item", {1, 1}, [](D& d, Args& a) { return d.item(a.raw(0)); })
            .let("Item", {1, 1}, assign)
            .set("Item", {1, 1}, assign)
            .let("Key", {1, 1}, [](D& d, Args& a, const Variant& v) { d.renameKey(a.raw(0), v); })
            .method("Items", {}, [](D& d, Args&) { return Variant::array(d.items()); })
            .method("Keys", {}, [](D& d, Args&) { return Variant::array(d.keys()); })
            .method("Remove", {1, 1}, [](D& d, Args& a) {
                d.remove(a.raw(0));
                return Variant();
            })
            .method("RemoveAll", {}, [](D& d, Args&) {
                d.removeAll();
                return Variant();
            })
            .get("Count", [](D& d, Args&) { return Variant(d.count()); })
            .get("CompareMode", [](D& d, Args&) { return Variant(d.compareModeValue()); })
            .let("CompareMode", [](D& d, Args&, const Variant& v) { d.setCompareMode(toInt32(v)); })
            .defaultMember("Item");
        return t;
    }();
    return m;
}

}  // namespace vt::scripting
