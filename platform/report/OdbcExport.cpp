#include "OdbcExport.h"

#include "Sheets.h"
#include "platform/odbc/Odbc.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace vt::report {

using automation::Variant;
using automation::VarType;
namespace adtype = automation::adtype;

namespace {

std::string identifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

odbc::Parameter::Kind kindOf(int adoType) {
    switch (adoType) {
    case adtype::Date:
    case adtype::DBDate:
    case adtype::DBTime:
    case adtype::DBTimeStamp: return odbc::Parameter::Kind::Timestamp;
    default: return automation::isTextType(adoType) ? odbc::Parameter::Kind::Text : odbc::Parameter::Kind::Number;
    }
}

// Whole numbers stay whole and decimals exact; floating numbers stay floating.
std::string_view numberType(int adoType) {
    switch (adoType) {
    case adtype::TinyInt: case adtype::SmallInt: case adtype::Integer: case adtype::UnsignedTinyInt:
    case adtype::UnsignedSmallInt: case adtype::Boolean: return "INTEGER";
    case adtype::UnsignedInt: case adtype::BigInt: case adtype::UnsignedBigInt: return "BIGINT";
    case adtype::Currency: case adtype::Decimal: case adtype::Numeric: return "NUMERIC";
    default: return "DOUBLE PRECISION";
    }
}

std::string tableName(const ExportOptions& o) {
    if (!o.odbcTable.empty()) return o.odbcTable;
    const std::string stem = std::filesystem::path(o.diskFileName).stem().string();
    return stem.empty() ? "Report" : stem;
}

}  // namespace

void exportOdbc(const Report& report, const DataTable* data, const ExportOptions& o) {
    if (o.odbcDataSource.empty())
        throw ReportError("No ODBC data source is chosen for the export; no records were exported");
    DataTable empty;
    const detail::ExportTable t{report.title, exportColumns(report, data ? *data : empty), data ? data : &empty,
                                reportOrder(report, data ? *data : empty)};
    const std::string table = tableName(o);
    const std::string where = "the table \"" + table + "\" of the data source \"" + o.odbcDataSource + "\"";

    // Each column typed by its data, text as long as its longest value; names made unique.
    std::vector<odbc::Parameter::Kind> kinds;
    std::string create = "CREATE TABLE " + identifier(table) + " (";
    std::string insert = "INSERT INTO " + identifier(table) + " VALUES (";
    std::set<std::string> names;
    for (size_t c = 0; c < t.columns.size(); ++c) {
        const int type = t.columns[c].dataColumn < 0 ? adtype::VarChar : t.columns[c].type;
        kinds.push_back(kindOf(type));
        std::string name = t.columns[c].caption;
        for (int n = 2; !names.insert(text::toLower(name)).second; ++n) name = t.columns[c].caption + "_" + std::to_string(n);
        size_t longest = 1;
        if (kinds.back() == odbc::Parameter::Kind::Text)
            for (size_t r = 0; r < t.order.size(); ++r) longest = std::max(longest, t.text(c, r).size());
        if (c) {
            create += ", ";
            insert += ", ";
        }
        create += identifier(name) + " ";
        switch (kinds.back()) {
        case odbc::Parameter::Kind::Timestamp: create += "TIMESTAMP"; break;
        case odbc::Parameter::Kind::Number: create += numberType(type); break;
        default: create += longest <= 4000 ? "VARCHAR(" + std::to_string(longest) + ")" : std::string("TEXT");
        }
        insert += "?";
    }
    create += ")";
    insert += ")";
    if (t.columns.empty()) throw ReportError("The report has no fields to export into " + where);

    odbc::Connection db;
    try {
        db.open(odbc::attribute("DSN", o.odbcDataSource) + odbc::attribute("UID", o.odbcUser) +
                odbc::attribute("PWD", o.odbcPassword));
    } catch (const odbc::Error& e) {
        throw ReportError("The data source \"" + o.odbcDataSource + "\" cannot be opened: " + e.what() +
                          "; no records were exported");
    }
    // A table already there keeps its rows: the export makes a new one or none.
    bool exists = true;
    try {
        db.execute("SELECT * FROM " + identifier(table) + " WHERE 1 = 0");
    } catch (const odbc::Error&) {
        exists = false;
    }
    if (exists) throw ReportError("T" + where.substr(1) + " already exists; no records were exported");
    try {
        db.setAutoCommit(false);
        db.execute(create);
        odbc::Prepared add = db.prepare(insert);
        std::vector<odbc::Parameter> row(t.columns.size());
        for (size_t r = 0; r < t.order.size(); ++r) {
            for (size_t c = 0; c < t.columns.size(); ++c) {
                odbc::Parameter& p = row[c];
                p = {};
                p.kind = kinds[c];
                const Variant v = t.value(c, r);
                if (v.isNull() || v.isEmpty()) {
                    p.null = true;
                } else if (p.kind == odbc::Parameter::Kind::Timestamp && v.type() == VarType::Date) {
                    const text::DateTime d = text::fromOleDate(v.dateValue().value);
                    p.year = d.year, p.month = d.month, p.day = d.day;
                    p.hour = d.hour, p.minute = d.minute, p.second = d.second;
                } else if (p.kind == odbc::Parameter::Kind::Number && (v.hasNumericType() || v.type() == VarType::Boolean)) {
                    p.number = v.type() == VarType::Boolean ? (v.boolValue() ? -1 : 0) : automation::toDouble(v);
                } else {
                    p.kind = odbc::Parameter::Kind::Text;
                    p.text = t.text(c, r);
                }
            }
            add.run(row);
        }
        db.commit();
    } catch (const odbc::Error& e) {
        db.rollback();
        throw ReportError("The records could not be written into " + where + ": " + e.what() +
                          "; no records were exported");
    }
}

}  // namespace vt::report
