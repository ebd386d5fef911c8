#include "OdbcExport.h"

#include "Sheets.h"
#include "platform/odbc/Odbc.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <filesystem>
#include <optional>
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

// Amounts and decimals are exact: their columns take the data source's exact numeric type.
bool isExactType(int adoType) {
    switch (adoType) {
    case adtype::Currency: case adtype::Decimal: case adtype::Numeric: case adtype::VarNumeric:
    case adtype::UnsignedBigInt: return true;
    default: return false;
    }
}

odbc::Parameter::Kind kindOf(int adoType) {
    switch (adoType) {
    case adtype::Date:
    case adtype::DBDate:
    case adtype::DBTime:
    case adtype::DBTimeStamp: return odbc::Parameter::Kind::Timestamp;
    case adtype::BigInt: return odbc::Parameter::Kind::Exact;
    default:
        if (isExactType(adoType)) return odbc::Parameter::Kind::Exact;
        return automation::isTextType(adoType) ? odbc::Parameter::Kind::Text : odbc::Parameter::Kind::Number;
    }
}

// Whole numbers stay whole; floating numbers stay floating.
std::string_view numberType(int adoType) {
    switch (adoType) {
    case adtype::TinyInt: case adtype::SmallInt: case adtype::Integer: case adtype::UnsignedTinyInt:
    case adtype::UnsignedSmallInt: case adtype::Boolean: return "INTEGER";
    case adtype::UnsignedInt: case adtype::BigInt: return "BIGINT";
    default: return "DOUBLE PRECISION";
    }
}

// A number's exact decimal digits ("-199877.39"), or nothing for a value that is no number.
std::optional<std::string> exactText(const Variant& v) {
    if (!v.hasNumericType()) return std::nullopt;
    try {
        return automation::toDecimal(v).toString();
    } catch (const automation::Error&) {
        return std::nullopt;   // a floating number past the range of a decimal
    }
}

// Digits left and right of the point.
struct Digits {
    int whole = 1, fraction = 0;
};

Digits digitsOf(std::string_view s) {
    if (!s.empty() && s.front() == '-') s.remove_prefix(1);
    const size_t point = s.find('.');
    if (point == std::string_view::npos) return {std::max(1, int(s.size())), 0};
    return {std::max(1, int(point)), int(s.size() - point - 1)};
}

// The exact numeric type of the data source for `digits`: "NUMERIC(12,2)", or "" when it has
// none that holds them (SQLite keeps its "numeric" as a floating number).
std::string exactColumnType(odbc::Connection& db, const Digits& digits) {
    const int precision = digits.whole + digits.fraction;
    for (int sqlType : {odbc::sqltype::Numeric, odbc::sqltype::Decimal}) {
        std::vector<odbc::TypeInfo> types;
        try {
            types = db.types(sqlType);
        } catch (const odbc::Error&) {
            continue;
        }
        for (const odbc::TypeInfo& t : types) {
            if (t.columnSize > 0 && precision > t.columnSize) continue;
            if (t.maximumScale >= 0 && digits.fraction > t.maximumScale) continue;
            const std::string params = text::toLower(t.createParams);
            if (params.empty()) return t.name;
            if (params.find("precision") != std::string::npos && params.find("scale") != std::string::npos)
                return t.name + "(" + std::to_string(precision) + "," + std::to_string(digits.fraction) + ")";
        }
    }
    return {};
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

    if (t.columns.empty()) throw ReportError("The report has no fields to export into " + where);
    odbc::Connection db;
    try {
        db.open(odbc::attribute("DSN", o.odbcDataSource) + odbc::attribute("UID", o.odbcUser) +
                odbc::attribute("PWD", o.odbcPassword));
    } catch (const odbc::Error& e) {
        throw ReportError("The data source \"" + o.odbcDataSource + "\" cannot be opened: " + e.what() +
                          "; no records were exported");
    }

    // Each column typed by its data, text as long as its longest value; names made unique. An
    // exact column of a source without an exact numeric type holds the digits as text.
    std::vector<odbc::Parameter::Kind> kinds;
    std::vector<Digits> digits(t.columns.size());
    std::string create = "CREATE TABLE " + identifier(table) + " (";
    std::string insert = "INSERT INTO " + identifier(table) + " VALUES (";
    std::set<std::string> names;
    for (size_t c = 0; c < t.columns.size(); ++c) {
        const int type = t.columns[c].dataColumn < 0 ? adtype::VarChar : t.columns[c].type;
        kinds.push_back(kindOf(type));
        std::string name = t.columns[c].caption;
        for (int n = 2; !names.insert(text::toLower(name)).second; ++n) name = t.columns[c].caption + "_" + std::to_string(n);
        std::string columnType;
        if (kinds.back() == odbc::Parameter::Kind::Exact) {
            for (size_t r = 0; r < t.order.size(); ++r)
                if (const auto s = exactText(t.value(c, r))) {
                    const Digits d = digitsOf(*s);
                    digits[c].whole = std::max(digits[c].whole, d.whole);
                    digits[c].fraction = std::max(digits[c].fraction, d.fraction);
                }
            if (!isExactType(type)) columnType = numberType(type);
            else if ((columnType = exactColumnType(db, digits[c])).empty()) kinds.back() = odbc::Parameter::Kind::Text;
        }
        if (c) {
            create += ", ";
            insert += ", ";
        }
        create += identifier(name) + " ";
        switch (kinds.back()) {
        case odbc::Parameter::Kind::Timestamp: create += "TIMESTAMP"; break;
        case odbc::Parameter::Kind::Number: create += numberType(type); break;
        case odbc::Parameter::Kind::Exact: create += columnType; break;
        default: {
            // Digits, a sign and a point for an exact column.
            size_t longest = isExactType(type) ? size_t(digits[c].whole + digits[c].fraction + 2) : 1;
            if (!isExactType(type))
                for (size_t r = 0; r < t.order.size(); ++r) longest = std::max(longest, t.text(c, r).size());
            create += longest <= 4000 ? "VARCHAR(" + std::to_string(longest) + ")" : std::string("TEXT");
        }
        }
        insert += "?";
    }
    create += ")";
    insert += ")";

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
                const bool exact = kinds[c] == odbc::Parameter::Kind::Exact || isExactType(t.columns[c].type);
                std::optional<std::string> digitsText = exact ? exactText(v) : std::nullopt;
                if (v.isNull() || v.isEmpty()) {
                    p.null = true;
                } else if (p.kind == odbc::Parameter::Kind::Timestamp && v.type() == VarType::Date) {
                    const text::DateTime d = text::fromOleDate(v.dateValue().value);
                    p.year = d.year, p.month = d.month, p.day = d.day;
                    p.hour = d.hour, p.minute = d.minute, p.second = d.second;
                } else if (p.kind == odbc::Parameter::Kind::Exact && digitsText) {
                    p.text = std::move(*digitsText);
                    p.precision = digits[c].whole + digits[c].fraction;
                    p.scale = digits[c].fraction;
                } else if (p.kind == odbc::Parameter::Kind::Number && (v.hasNumericType() || v.type() == VarType::Boolean)) {
                    p.number = v.type() == VarType::Boolean ? (v.boolValue() ? -1 : 0) : automation::toDouble(v);
                } else if (p.kind == odbc::Parameter::Kind::Text && digitsText) {
                    p.text = std::move(*digitsText);
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
