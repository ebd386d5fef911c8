#pragma once
// The record-based export table and the binary spreadsheet writers (internal to the engine).

#include "Binding.h"

#include <string>
#include <vector>

namespace vt::report::detail {

// Detail columns over the rows in report order.
struct ExportTable {
    std::string title;
    std::vector<ExportColumn> columns;
    const DataTable* data;
    std::vector<size_t> order;

    automation::Variant value(size_t col, size_t r) const { return exportValue(columns[col], *data, order[r]); }
    std::string text(size_t col, size_t r) const { return exportText(columns[col], *data, order[r]); }
    // Width of a column in characters: its object's width, else its data size (at least 8).
    int widthChars(size_t col) const;
    // An Excel-style number format for the column, from its object's Format picture ("" = none).
    std::string numberFormat(size_t col) const;
    bool isDateColumn(size_t col) const;
};

// Excel BIFF5 (Excel 5.0/7.0) or BIFF8 (Excel 97 on) workbook in a compound file.
std::string writeXls(const ExportTable& t, bool biff8, bool extended);
// Lotus 1-2-3 WKS (release 1A) or WK1 (release 2) worksheet.
std::string writeLotus(const ExportTable& t, bool wk1);
// Lotus 1-2-3 Release 3 worksheet (WK3): one sheet, numbers as extended reals.
std::string writeWk3(const ExportTable& t);

}  // namespace vt::report::detail
