#pragma once
// Edit > Select All and Edit > Selection Filter on a folder list. Both hand the new selection back
// in the list; the window applies it.

#include "core/Services.h"
#include "folders/Selection.h"

#include <array>
#include <string_view>

namespace vt {
class Settings;
}

namespace vt::folders {

// A field the selection filter can compare, as settings section "Filter" names it.
struct FilterField {
    std::string_view key;     // the setting, as the column caption
    std::string_view field;   // the folder table's field
    bool byDefault;
};
// The twelve, in the order the options window lists them.
const std::array<FilterField, 12>& filterFields();
// The field's setting as a truth value: "True"/"False" in any case, or a number (0 is False);
// anything else throws a type mismatch.
bool filterSetting(const Settings& settings, const FilterField& f);

// Selects every row, but only when at least one is selected already.
void SelectAllItems(FolderSelection& list);

// Adds to the selection every row that agrees with the last selected row in the fields ticked in
// settings section "Filter" (Partner, Transaction, Version, Date and Time by default); rows that
// do not agree keep their state. Fields are compared exactly, from the folder table, so a ticked
// field counts also when its column is hidden. Only the four transaction-set folders are filtered.
void SelectionFilter(const core::Services& s, FolderSelection& list);

}  // namespace vt::folders
