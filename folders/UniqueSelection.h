#pragma once
// One kind of transaction set at a time: one partner, transaction set, version and direction,
// because validation, acknowledgements, reports and plug-ins need one map, template or plug-in.

#include "core/Services.h"
#include "folders/Selection.h"

#include <optional>
#include <string>
#include <string_view>

namespace vt::folders {

struct SelectionKind {
    std::string partner, transaction, version, direction;
    std::string text() const;   // joined by "," (ACME,850,004010,I)
    std::string key() const;    // joined by "_", the selection key of file names
    bool operator==(const SelectionKind&) const = default;
};

// The kind shared by the selected rows (four empty values when none is selected); nothing when the
// list has no current item, or after telling the user that the selection mixes kinds.
std::optional<SelectionKind> UniqueSelection(const core::Services& s, const FolderSelection& list);

// The same as text: the kind joined by ",", or "" (no current item, mixed kinds, or a failure).
std::string IsSelectionUnique(const core::Services& s, const FolderSelection& list);

// Selects exactly the rows of the given kind (exact comparison) and deselects every other;
// true when at least one row was selected.
bool MakeUniqueSelection(const core::Services& s, FolderSelection& list, std::string_view partner,
                         std::string_view transaction, std::string_view version, std::string_view direction);

}  // namespace vt::folders
