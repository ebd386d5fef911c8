#pragma once
// clsProviders: the provider list, the one class a client creates to start. It holds every
// provider of the fixed provider table in its order, under the keys "0", "1", ... (the key of
// an item is its 0-based position when added).

#include "ComboTarget.h"
#include "clsProvider.h"

#include <vector>

namespace keystrand {

class clsProviders final : public vt::automation::Dispatch<clsProviders> {
public:
    clsProviders();
    static const vt::automation::Members<clsProviders>& members();
    std::unique_ptr<vt::automation::Enumerator> enumerate() override;

    // The provider under the key that is the text of `indexOrKey` (Item(1) and Item("1") are
    // the second); Nothing for an empty text; error 5 for a key the list does not hold.
    vt::automation::Ref<clsProvider> item(const vt::automation::Variant& indexOrKey) const;
    vt::automation::Ref<clsProvider> item(std::int32_t position) const;
    std::int32_t count() const noexcept { return std::int32_t(items_.size()); }
    // Empties the box, then lists the provider names; item n's data is n.
    void loadComboBox(ComboTarget* combo) const;
    // Position of the first provider of that exact name and type; -1 when none.
    std::int32_t locateProvider(std::string_view name, std::int32_t type) const;
    // Appends every provider of the table (again).
    void getProviders();

private:
    std::vector<std::pair<std::string, vt::automation::Ref<clsProvider>>> items_;
};

}  // namespace keystrand
