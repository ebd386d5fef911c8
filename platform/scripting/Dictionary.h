#pragma once
// Scripting.Dictionary: items under unique keys, kept in the order they were added. Keys are
// strings (compared as CompareMode says), numbers (by value, whatever their subtype: 1 and 1.0
// are one key, "1" another), objects (by identity), Empty or Null. Errors carry the runtime's
// numbers: 457 for a key already there, 32811 for one that is not, 5 for a bad argument.

#include "Cycles.h"

#include "platform/automation/Object.h"

#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vt::scripting {

inline constexpr std::int32_t kElementNotFound = 32811;

class Dictionary final : public automation::Dispatch<Dictionary>, public Traceable {
public:
    Dictionary() : Traceable(static_cast<automation::Object&>(*this)) {}
    static const automation::Members<Dictionary>& members();
    std::unique_ptr<automation::Enumerator> enumerate() override;   // the keys
    void forEachValue(const std::function<void(const automation::Variant&)>& visit) const override;
    void dropValues() noexcept override;

    void add(const automation::Variant& key, const automation::Variant& item);
    bool exists(const automation::Variant& key) const;
    // Reading a key that is not there adds it with an Empty item.
    automation::Variant& item(const automation::Variant& key);
    void setItem(const automation::Variant& key, const automation::Variant& item);
    void renameKey(const automation::Variant& key, const automation::Variant& newKey);
    void remove(const automation::Variant& key);
    void removeAll();
    std::int32_t count() const noexcept { return std::int32_t(entries_.size()); }
    std::vector<automation::Variant> keys() const;
    std::vector<automation::Variant> items() const;

    automation::CompareMode compareMode() const noexcept { return mode_; }
    std::int32_t compareModeValue() const noexcept { return modeValue_; }
    // 0 binary, 1 text, 2 (database) as text; only while empty, else 5.
    void setCompareMode(std::int32_t mode);

private:
    struct Entry {
        automation::Variant key;
        automation::Variant item;
        std::size_t hash = 0;
    };
    using Iter = std::list<Entry>::iterator;

    // Error 5 for a value that cannot be a key (an array, an Error value).
    std::size_t hashOf(const automation::Variant& key) const;
    bool sameKey(const automation::Variant& a, const automation::Variant& b) const;
    bool find(const automation::Variant& key, std::size_t hash, Iter& found) const;
    Iter insert(const automation::Variant& key, const automation::Variant& item, std::size_t hash);
    void unindex(Iter it);

    std::list<Entry> entries_;
    std::unordered_multimap<std::size_t, Iter> index_;
    automation::CompareMode mode_ = automation::CompareMode::Binary;
    std::int32_t modeValue_ = 0;
};

}  // namespace vt::scripting
