#pragma once
// The query that reads a folder table in the order its list shows.

#include "platform/db/Database.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vt::core {

// What the query needs of a folder list: its table (the list's tag), the field names of its
// column headers in position order, the sort column's position and the order (0 ascending).
struct FolderList {
    std::string table;
    std::vector<std::string> columnKeys;
    int sortKey = 0;
    int sortOrder = 0;
};

struct BoxQuery {
    std::string sql;
    std::vector<db::Value> values;   // bound from ?1 in order
    db::Statement prepare(db::Database& db) const;
};

// SELECT * FROM <table> ORDER BY <sort field> ASC|DESC, then by row id so equal keys keep one
// order. Table and field come from fixed lists; anything else throws RunError (5, or 9 for a
// sort position without a column).
BoxQuery BuildBoxQuery(const FolderList& list);

// The fields of a folder table ("Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"),
// spelled as stored; empty for any other name.
std::span<const std::string_view> folderTableFields(std::string_view table);

}  // namespace vt::core
