#pragma once
// SQL extraction into the Import folder: a row's statement runs on the Integrator's ODBC
// connection with its date parameters filled in; the result becomes the record layout file
// "<key>.ADO" and the data file "<key>.IMP" (written beside them as temporary files and put in
// place together once both are complete) and the results grid, which the user may edit and save.

#include "core/Services.h"
#include "platform/text/Text.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::odbc {
class Connection;
}

namespace vt::integrator {

// The results grid: row 0 the field names, rows 1.. the records; one current cell. It remembers
// the key of the row whose result it holds, so a save goes to that row's data file.
struct ResultGrid {
    std::string key;
    std::vector<std::vector<std::string>> cells;
    std::size_t row = 1, col = 0;
    unsigned generation = 0;   // advanced by every clear: a new result
    bool noRecords = false;    // the result had none; row 1 is only a place to type one

    std::size_t rowCount() const { return cells.size(); }
    std::size_t colCount() const { return cells.empty() ? 0 : cells[0].size(); }
    void clear();

    // Editing of the current cell: Backspace (8) removes the last character, Tab (9) moves to the
    // next cell (wrapping to the next row, and from the last row to row 0); other characters from
    // 32 on are appended; every other control character is ignored.
    void keyPress(int ascii);
    // Delete: removes the current record row; never the header or the last record row.
    bool deleteRow();
    // A line-item status code from the pop-up menu replaces the current cell's text.
    void setCode(std::string_view code);
};

// The line-item status codes of the pop-up menu, in menu order, with their captions.
struct StatusCode {
    std::string_view code, caption;
};
const std::vector<StatusCode>& statusCodes();

// "'mm/dd/yyyy'" for each given date, put into the first "?" of the statement, start first.
std::string FillDateParameters(std::string_view sql, const std::optional<text::DateTime>& start,
                               const std::optional<text::DateTime>& end);

// The Import folder's path of the row's file with that extension (".ADO", ".IMP"); RunError 5
// for a key that would leave the folder.
std::filesystem::path importFile(const core::Services& s, std::string_view key, std::string_view extension);

// Runs `sql` (parameters already filled in) and, when it returns a rowset, fills `grid`, writes
// the file pair under `key` and logs "<n> record(s) returned from statement."; without a rowset
// logs "No rowset returned", clears the grid and writes nothing. TAB, CR and LF inside a value
// become blanks, each field so changed named once in a "Warning" row; Null is an empty value.
// Errors go to ReportError and leave the previous files in place. True when the files were written.
bool ExtractToImport(const core::Services& s, odbc::Connection& connection, std::string_view sql,
                     std::string_view key, ResultGrid& grid);

// Writes the grid's records (every value followed by a TAB) into the data file of the row the
// grid came from; the empty row of a result without records stays unwritten until something is
// typed into it. Errors go to ReportError; the previous file then stays.
bool SaveResultsToImportFile(const core::Services& s, const ResultGrid& grid);

// Writes `bytes` to `target` through a temporary file in the same folder. Throws on failure.
void writeWholeFile(const std::filesystem::path& target, std::string_view bytes);

}  // namespace vt::integrator
