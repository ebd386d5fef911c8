#include "maps/DesignerData.h"

#include "platform/db/Database.h"

namespace vt::maps {

std::vector<MapListRow> ListDesignerMaps(db::Database& db) {
    std::vector<MapListRow> out;
    auto q = db.prepare("SELECT Partner, \"Transaction\", Version, Direction, \"Group\", Versionoverride "
                        "FROM Transactions ORDER BY Partner ASC, Id ASC");
    while (q.step())
        out.push_back(MapListRow{MapKey{q.text(0), q.text(1), q.text(2), q.text(3)}, q.text(4), q.text(5)});
    return out;
}

bool StoreSegmentExpanded(db::Database& db, const MapKey& key, std::int64_t segmentIndex, bool expanded) {
    auto q = db.prepare("UPDATE Segment SET Expanded = ?1 WHERE Partner = ?2 AND Version = ?3 AND "
                        "\"Transaction\" = ?4 AND Direction = ?5 AND SegmentIndex = ?6");
    q.bindAll(expanded, key.partner, key.version, key.transaction, key.direction, segmentIndex);
    q.run();
    return db.scalarInt("SELECT changes()") > 0;
}

}  // namespace vt::maps
