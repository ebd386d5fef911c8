#pragma once
// A map: the Segment and Element rows of one partner's transaction set in one version and one
// direction, in SegmentIndex and ElementIndex order, and the repository that reads and writes
// them. Values are always bound; a change of several rows is one transaction.

#include "platform/db/Database.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::maps {

// The four values that name a map (and its Transactions row, layout and report files).
struct MapKey {
    std::string partner, transaction, version, direction;
    // Partner_Transaction_Version_Direction: the base name of every file made from the map.
    std::string text() const;
    bool operator==(const MapKey&) const = default;
};

struct ElementRow {
    std::int64_t id = 0;   // row id; 0 for a row not stored yet
    std::string segment;   // the id of the segment the element belongs to
    std::int64_t segmentIndex = 0;
    std::int64_t elementIndex = 0;
    std::string elementName;
    std::string elementUsage = "O";   // M, O, C, X
    std::string type = "AN";          // ID, AN, DT, TM, R, N0..N9
    std::int64_t minimum = 1, maximum = 1;
    std::int64_t reference = 0;
    std::string format;
    bool exclude = false;
    std::string elementScript;
};

struct SegmentRow {
    std::int64_t id = 0;
    std::string segment;              // the segment id (BEG, N1, ...)
    std::int64_t segmentIndex = 0;    // position in the set, 1..N
    std::string segmentName;
    std::string segmentUsage = "O";   // M, O, F
    std::string level;                // H, D, S
    std::int64_t node = 1;            // loop level
    bool looping = false;
    std::int64_t maxUsageLoop = 1;    // 9999999 stands for ">1"
    std::int64_t placeholders = 1;    // occurrences the record layout reserves
    bool exclude = false;
    bool expanded = false;
    std::string segmentScript;
    std::vector<ElementRow> elements;   // in ElementIndex order
};

struct Map {
    MapKey key;
    std::vector<SegmentRow> segments;   // in SegmentIndex order
};

inline constexpr std::int64_t kManyUses = 9999999;   // MaxUsageLoop shown as ">1"

// The map's rows. Elements belong to the segment of their SegmentIndex whose id they carry
// (compared without case); an element of no segment is not read.
Map LoadMap(db::Database& db, const MapKey& key);

// The maps of the Transactions table in the designer's list order (by partner).
std::vector<MapKey> ListMaps(db::Database& db);

// Replaces every row of the map with `map`'s rows (ids are assigned anew and written back),
// all or nothing.
void SaveMap(db::Database& db, Map& map);

// Removes every row of the map, all or nothing.
void DeleteMap(db::Database& db, const MapKey& key);

// ---- Tree keys ----
// "Segment" & Format(Node, "00") & Format(SegmentIndex, "00"), and the element's key with
// Format(ElementIndex, "00") appended.
std::string SegmentKey(std::int64_t node, std::int64_t segmentIndex);
std::string ElementKey(std::int64_t node, std::int64_t segmentIndex, std::int64_t elementIndex);

struct TreeKey {
    enum Kind { Root, Segment, Element, Other } kind = Other;
    std::int16_t node = 0, segmentIndex = 0, elementIndex = 0;
};
// Reads a key back: the kind by "Segment", "Element" or "Root" in the key (without case, in that
// order), then the two-digit fields after removing the word.
TreeKey ParseTreeKey(std::string_view key);

// ---- Codes of the property lists (a code's list index is its position) ----
inline constexpr std::string_view kSegmentUsageItems[] = {"M = Mandatory", "O = Optional", "F = Floating"};
inline constexpr std::string_view kSegmentLevelItems[] = {"Heading", "Detail", "Summary"};
inline constexpr std::string_view kElementUsageItems[] = {"M = Mandatory", "O = Optional", "C = Conditional",
                                                          "X = Relational"};
inline constexpr std::string_view kElementTypeItems[] = {
    "ID = Identifier", "AN = Alphanumeric", "DT = Date",    "TM = Time",    "R = Decimal",
    "N0 = Numeric",    "N1 = Numeric",      "N2 = Numeric", "N3 = Numeric", "N4 = Numeric",
    "N5 = Numeric",    "N6 = Numeric",      "N7 = Numeric", "N8 = Numeric", "N9 = Numeric"};
// The list index of a stored code (exact comparison), or nothing for a code outside the list.
std::optional<int> SegmentUsageIndex(std::string_view code);
std::optional<int> SegmentLevelIndex(std::string_view code);
std::optional<int> ElementUsageIndex(std::string_view code);
std::optional<int> ElementTypeIndex(std::string_view code);
// The code of a list index ("" outside the list).
std::string SegmentUsageCode(int index);
std::string SegmentLevelCode(int index);
std::string ElementUsageCode(int index);
std::string ElementTypeCode(int index);

}  // namespace vt::maps
