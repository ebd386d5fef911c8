#pragma once
// The editing commands of the map designer as one service over the current map: saving the
// segment and element panels, adding, deleting, moving, re-levelling and duplicating rows. Each
// command reads the map, changes it and writes it back in one transaction, so a failure leaves
// the map as it was (the error goes to ReportError). A command returns what the tree should do
// next; the window rebuilds the tree and selects `selectedKey` when `changed`.
//
// Structural commands (add, delete, move, in/out, duplicate) do not look at the panels' changed
// flags: the window asks MapPanels::confirmPendingEdits first, so unsaved panel values are saved
// into their own row (or dropped) before rows move.

#include "core/Services.h"
#include "maps/MapModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::maps {

// The segment panel as the window shows it.
struct SegmentPanel {
    bool looping = false, exclude = false;
    std::string segment;        // txtSegment: the id of a segment to add or duplicate
    std::string segmentName;
    int usageIndex = -1;        // cboSegmentUsage; -1 nothing chosen
    int levelIndex = -1;        // cboSegmentLevel
    std::string loopLevel;      // txtLoopLevel (shown only; In/Out change it)
    std::string maxUsageLoop;   // ">1" stands for 9999999
    std::string script;
    std::string placeholders;
    bool operator==(const SegmentPanel&) const = default;
};

// The element panel as the window shows it.
struct ElementPanel {
    bool exclude = false;
    std::string reference, elementName;
    int usageIndex = -1;   // cboElementUsage
    int typeIndex = -1;    // cboElementType
    std::string maximum, minimum;
    std::string script, format;
    bool operator==(const ElementPanel&) const = default;
};

struct EditResult {
    bool changed = false;      // rows were written: rebuild the tree
    std::string selectedKey;   // the node to select after the rebuild
};

// The tree's parent of each segment (its position, -1 for the root), as the designer nests them:
// level 1 under the root, a deeper level under the segment before it, the same or a shallower
// level beside the segment before it. Siblings share a parent; the commands use the same rule.
std::vector<int> SegmentParents(const Map& map);

// MaxUsageLoop of a panel text: "0" gives 1, ">1" 9999999, another number its whole value, any
// other text 1.
std::int64_t MaxUsageLoopOf(std::string_view text);
// The panel's corrections before an element is written, put back into the panel: Reference,
// Minimum and Maximum that are not numbers become "1"; Maximum is capped at 32760, then raised to
// Minimum.
void NormaliseElementPanel(ElementPanel& panel);
// A segment id typed for Add or Duplicate: trimmed and upper-cased, at least two characters of
// A-Z and 0-9. The refusal's message text when it is not.
std::optional<std::string> CheckSegmentId(std::string_view typed, std::string* refusal);

class MapEditor {
public:
    MapEditor(const core::Services& s, MapKey map) : s_(s), key_(std::move(map)) {}
    const MapKey& map() const { return key_; }

    // ---- Segments ----
    // Writes the panel into the segment of `key` (the id, Node and Expanded stay), then rewrites
    // the record layout file and the map report files. A Placeholders of 0 becomes "1" in the panel.
    EditResult SaveSegment(std::string_view key, SegmentPanel& panel);
    // Inserts segment `typedId` after the selected one, at its loop level, with one element; the
    // later segments move down with their elements. Refused with a box for a bad id; nothing for
    // a map of 99 segments.
    EditResult AddSegment(std::string_view selectedKey, std::string_view typedId);
    // Asks "Delete <nn><id> Segment", then removes the segment and its elements and closes the gap;
    // the first segment is refused ("Last Segment Not Allowed").
    EditResult DeleteSegment(std::string_view selectedKey);
    // Loop levels: In lowers, Out raises the segment's Node against the row before it; every later
    // segment takes the new level. Nothing for a segment without a previous sibling.
    EditResult SegmentIn(std::string_view selectedKey);
    EditResult SegmentOut(std::string_view selectedKey);
    // Swaps the segment with its previous (next) sibling when that is the adjacent row.
    EditResult SegmentUp(std::string_view selectedKey);
    EditResult SegmentDown(std::string_view selectedKey);
    // Inserts a copy after the selected segment: fields from the panel (normalised as Save does),
    // id `typedId`, the selected segment's loop level and copies of its stored elements.
    EditResult DuplicateSegment(std::string_view selectedKey, std::string_view typedId, SegmentPanel& panel);

    // ---- Elements ----
    // Writes the normalised panel into the element of `key`, then rewrites the layout and report
    // files.
    EditResult SaveElement(std::string_view key, ElementPanel& panel);
    // Appends an element to the selected element's segment (nothing at 99 elements).
    EditResult AddElement(std::string_view selectedKey);
    // Asks "Delete <id><nn> Element"; the only element of a segment is refused
    // ("Last Element Not Allowed").
    EditResult DeleteElement(std::string_view selectedKey);
    EditResult MoveElementUp(std::string_view selectedKey);
    EditResult MoveElementDown(std::string_view selectedKey);
    // Appends a copy of the panel (normalised as Save does; Reference not taken) to the segment.
    EditResult DuplicateElement(std::string_view selectedKey, ElementPanel& panel);

    // Stores whether the segment's node is expanded (the tree's expand and collapse).
    void SetExpanded(std::string_view segmentKey, bool expanded);

private:
    template <class Change>
    EditResult edit(Change change);
    void writeDerivedFiles();

    const core::Services& s_;
    MapKey key_;
};

}  // namespace vt::maps
