#include "DataTable.h"

#include "platform/db/Database.h"
#include "platform/text/Text.h"

namespace vt::report {

using automation::Variant;
namespace adtype = automation::adtype;

int DataTable::find(std::string_view name) const noexcept {
    for (size_t i = 0; i < columns.size(); ++i)
        if (text::equalsNoCase(columns[i].name, name)) return int(i);
    return -1;
}

std::shared_ptr<DataTable> DataTable::fromRecordset(automation::Recordset& rs) {
    auto t = std::make_shared<DataTable>();
    const size_t n = rs.fieldCount();
    for (size_t i = 0; i < n; ++i) {
        const auto& def = rs.fieldDef(i);
        t->columns.push_back({def.name, def.type, def.definedSize});
    }
    if (!rs.isOpen()) return t;
    rs.update();
    if (rs.recordCount() == 0) return t;
    t->rows.reserve(size_t(rs.recordCount()));
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        std::vector<Variant> row;
        row.reserve(n);
        for (size_t i = 0; i < n; ++i) row.push_back(rs.value(i));
        t->rows.push_back(std::move(row));
    }
    rs.moveFirst();
    return t;
}

std::shared_ptr<DataTable> DataTable::fromQuery(db::Statement& q) {
    auto t = std::make_shared<DataTable>();
    const int n = q.columnCount();
    std::vector<bool> typed(size_t(n), false);
    for (int i = 0; i < n; ++i) t->columns.push_back({q.columnName(i), adtype::VarChar, 0});
    while (q.step()) {
        std::vector<Variant> row;
        row.reserve(size_t(n));
        for (int i = 0; i < n; ++i) {
            const db::Value v = q.value(i);
            Column& c = t->columns[size_t(i)];
            if (std::holds_alternative<std::monostate>(v)) {
                row.push_back(Variant::null());
                continue;
            }
            if (auto* iv = std::get_if<std::int64_t>(&v)) {
                if (*iv >= INT32_MIN && *iv <= INT32_MAX) row.push_back(Variant(std::int32_t(*iv)));
                else row.push_back(Variant(double(*iv)));
                if (!typed[size_t(i)]) c.type = adtype::Integer;
            } else if (auto* dv = std::get_if<double>(&v)) {
                row.push_back(Variant(*dv));
                if (!typed[size_t(i)]) c.type = adtype::Double;
            } else {
                const auto& s = std::get<std::string>(v);
                row.push_back(Variant(s));
                if (!typed[size_t(i)]) c.type = adtype::VarChar;
                c.size = std::max<std::int32_t>(c.size, std::int32_t(s.size()));
            }
            typed[size_t(i)] = true;
        }
        t->rows.push_back(std::move(row));
    }
    return t;
}

}  // namespace vt::report
