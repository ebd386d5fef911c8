#pragma once
// Binding a template to its rows: the record order the groups and sorts give, the value of a
// field by name and the text a field or special field shows.

#include "DataTable.h"
#include "Report.h"
#include "platform/text/Text.h"

#include <string>
#include <string_view>
#include <vector>

namespace vt::report {

// What the special fields show besides page numbers.
struct RunInfo {
    text::DateTime printed;   // when the report was made
    text::DateTime dataRead;  // when its data was taken
};

// Row indexes in report order: by each group field, then each sort field (a stable sort).
std::vector<size_t> reportOrder(const Report& report, const DataTable& data);

// Orders two values as the report sorts them: Null first, numbers before text, text without
// regard to case.
int compareValues(const automation::Variant& a, const automation::Variant& b);

// The text a value shows under a Format picture ("" = general); Null and Empty show nothing.
std::string formatValue(const automation::Variant& v, std::string_view picture);

// A field that is not in the data shows this, so the gap is seen and the report still runs.
std::string missingFieldText(std::string_view field);

// The text of a field object for one row (row may be -1: no current row shows nothing).
std::string fieldText(const ReportObject& o, const DataTable* data, long row);

// The text of a special field; page and pages count from 1.
std::string specialText(const ReportObject& o, const RunInfo& run, long recordNumber, int page, int pages);

// The detail columns the record-based exports write: the detail section's field objects from
// left to right (then top to bottom); every data column when the details show no field.
struct ExportColumn {
    std::string caption;            // the field name
    const ReportObject* object;     // null for a data column taken without an object
    int dataColumn;                 // -1 when the field is not in the data
    int type;                       // ADO type number of the data column (VarChar when missing)
};
std::vector<ExportColumn> exportColumns(const Report& report, const DataTable& data);

// The cell of one export column for one row: the value itself (for spreadsheets) and its text.
automation::Variant exportValue(const ExportColumn& c, const DataTable& data, size_t row);
std::string exportText(const ExportColumn& c, const DataTable& data, size_t row);

}  // namespace vt::report
