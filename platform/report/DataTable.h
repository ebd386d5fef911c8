#pragma once
// The rows a report runs over: a snapshot of an in-memory record set or of a database query's
// result, read by field name. Values keep their Variant subtypes (Null stays Null).

#include "platform/automation/Recordset.h"
#include "platform/automation/Variant.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vt::db {
class Statement;
}

namespace vt::report {

struct Column {
    std::string name;
    int type = automation::adtype::VarChar;   // ADO type number
    std::int32_t size = 0;
};

class DataTable {
public:
    std::vector<Column> columns;
    std::vector<std::vector<automation::Variant>> rows;

    // The column of that name (without regard to case), or -1.
    int find(std::string_view name) const noexcept;

    // The visible records of the record set, in its order; its position is left on the first
    // record afterwards. A closed record set gives its fields and no rows.
    static std::shared_ptr<DataTable> fromRecordset(automation::Recordset& rs);
    // Steps the statement to its end; column types follow the first value that is not Null.
    static std::shared_ptr<DataTable> fromQuery(db::Statement& query);
};

}  // namespace vt::report
