#pragma once
// The collection object Keystrand hands out: items in the order added, optionally under unique
// string keys; Item takes a 1-based position (a number) or a key (a text); For Each walks it.

#include "platform/automation/Object.h"

#include <string>
#include <vector>

namespace keystrand {

class Collection final : public vt::automation::Dispatch<Collection> {
public:
    static const vt::automation::Members<Collection>& members();
    std::unique_ptr<vt::automation::Enumerator> enumerate() override;

    // Error 457 for a key already used.
    void add(vt::automation::Variant item, std::string key = {});
    // Error 5 when there is no such position or key.
    const vt::automation::Variant& item(const vt::automation::Variant& indexOrKey) const;
    const vt::automation::Variant& at(std::size_t position) const { return items_.at(position).second; }
    const vt::automation::Variant* find(std::string_view key) const;
    std::int32_t count() const noexcept { return std::int32_t(items_.size()); }
    void remove(const vt::automation::Variant& indexOrKey);

private:
    std::size_t indexOf(const vt::automation::Variant& indexOrKey) const;
    std::vector<std::pair<std::string, vt::automation::Variant>> items_;
};

}  // namespace keystrand
