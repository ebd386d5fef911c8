#pragma once
// What the designer window reads and writes of the database beyond the map repository: the rows
// of its map list and the expanded state of a segment's node.

#include "maps/MapModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vt::maps {

// One row of the designer's map list.
struct MapListRow {
    MapKey key;
    std::string group;             // Transactions.Group
    std::string versionOverride;   // Transactions.Versionoverride
};

// Every Transactions row, by partner (rows of one partner in the order they were stored).
std::vector<MapListRow> ListDesignerMaps(db::Database& db);

// Stores whether the segment's node is expanded; false when the map has no such segment.
bool StoreSegmentExpanded(db::Database& db, const MapKey& key, std::int64_t segmentIndex, bool expanded);

}  // namespace vt::maps
