#pragma once
// apiComboMethods: the combo-box operations the library fills boxes with. Bound to no box,
// every member does nothing and answers 0, False or "".

#include "ComboTarget.h"

#include "platform/automation/Object.h"

#include <string>
#include <vector>

namespace keystrand {

class apiComboMethods final : public vt::automation::Dispatch<apiComboMethods> {
public:
    explicit apiComboMethods(ComboTarget* combo = nullptr) noexcept : combo_(combo) {}
    static const vt::automation::Members<apiComboMethods>& members();

    void setHandle(std::int32_t handle) noexcept { combo_ = comboFor(handle); }
    void setTarget(ComboTarget* combo) noexcept { combo_ = combo; }

    void showList();
    void hideList();
    // Appends the text and gives the new item `data`.
    void addItem(std::string_view description, std::int32_t data);
    std::int32_t itemData(std::int32_t item) const;
    std::int32_t selectedItemData() const;
    std::int32_t count() const;
    std::string text(std::int32_t item) const;
    void clearAll();
    // Empties the box, then appends the texts in order, each with its position as its data.
    void fill(const std::vector<std::string>& texts);
    void insertItem(std::int32_t position, std::string_view description);
    void deleteItem(std::int32_t position);
    bool isDropped() const;
    std::int32_t selectedItemIndex() const;   // -1 when nothing is selected
    // The selected item's text as a number (13 when it is none).
    std::int32_t selectedItemText() const;
    void selectItem(std::int32_t index);

private:
    ComboTarget* combo_;
};

}  // namespace keystrand
