#pragma once
// Validation of transaction sets against their partner's map: the order of the segments against
// the map positions, how often each position is used, and the length of each element. A set
// stops at its first finding, which goes to the History log; each checked row ends "Validated"
// or "Error".

#include "core/Services.h"
#include "folders/Selection.h"
#include "folders/UniqueSelection.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vt::folders {

class ItemProgress;

// The preview pane while a set is checked: the set one segment a line, and the segment in hand.
struct ValidationPreview {
    std::function<void(std::string_view text)> show;
    std::function<void(std::size_t offset, std::size_t length)> select;
};

// A partner's map as the validator reads it, loaded once for a run.
class ValidationMap {
public:
    struct Element {
        bool exclude = false;
        std::int64_t minimum = 0, maximum = 0;
    };
    struct Segment {
        std::string id;
        std::int64_t index = 0;          // SegmentIndex, the map position
        std::int64_t node = 1;
        std::int64_t maxUsageLoop = 0;
        std::vector<Element> elements;   // in ElementIndex order
        int slot = 0;                    // one per distinct position, for the usage counts
    };

    // Reads the Segment and Element rows of the kind. A database failure leaves the map
    // unreadable, which fails every set checked against it.
    static ValidationMap Load(const core::Services& s, const SelectionKind& kind);

    bool readable() const { return readable_; }
    std::size_t segmentCount() const { return segments_.size(); }
    int slotCount() const { return slots_; }
    // The first row at the position whose id equals `id` without regard to case, or null.
    const Segment* find(std::string_view id, std::int64_t position) const;

private:
    bool readable_ = false;
    std::vector<Segment> segments_;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> byPosition_;
    int slots_ = 0;
};

// Checks one set; true when it passes. The first finding is logged by the check itself.
// `progress`, when given, is ticked after every segment (it yields to window events).
bool ValidateTransactionSet(const core::Services& s, const ValidationMap& map, std::string_view tset,
                            std::string_view segmentTerminator, std::string_view elementSeparator,
                            std::string_view subElementSeparator, const ValidationPreview& preview = {},
                            ItemProgress* progress = nullptr);
// The same for one set, reading the map of the kind first.
bool ValidateTransactionSet(const core::Services& s, std::string_view partner, std::string_view transaction,
                            std::string_view version, std::string_view direction, std::string_view tset,
                            std::string_view segmentTerminator, std::string_view elementSeparator,
                            std::string_view subElementSeparator);

// Tools > Validate: checks the selected rows of one kind, writes their Status, refreshes the list
// and logs "P_T_V_D Validated: n Errors: m". The caller logs the menu command first.
void ValidateBox(const core::Services& s, const FolderSelection& list, const ValidationPreview& preview = {});

}  // namespace vt::folders
