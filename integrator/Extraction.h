#pragma once
// SQL extraction into the Import folder: a row's statement runs on the Integrator's ODBC
// connection with its date parameters filled in; the result becomes the record layout file
// "<key>.ADO" and the data file "<key>.IMP" (written while the rows are fetched and put in place
// together once both are complete) and the results grid, a view over the data file that the user
// may edit and save.

#include "core/Services.h"
#include "integrator/ResultGrid.h"
#include "platform/odbc/Odbc.h"
#include "platform/text/Text.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vt::integrator {

// "'mm/dd/yyyy'" for each given date, put into the first "?" of the statement, start first.
std::string FillDateParameters(std::string_view sql, const std::optional<text::DateTime>& start,
                               const std::optional<text::DateTime>& end);

// The Import folder's path of the row's file with that extension (".ADO", ".IMP"); RunError 5
// for a key that would leave the folder.
std::filesystem::path importFile(const core::Services& s, std::string_view key, std::string_view extension);

// How the window follows and stops an extraction under way. The statement runs on another
// thread while the caller's thread waits, letting window events run (UiSink::yield).
struct ExtractionControl {
    // A driver call that lasts longer is cancelled, whether or not the driver keeps the query
    // time-out it is given.
    int timeoutSeconds = odbc::kQueryTimeoutSeconds;
    // Set while the extraction yields: it stops, and the files stay as they were.
    bool cancel = false;
    // Hears the count of records read, on the waiting thread, about every 50 ms.
    std::function<void(std::uint64_t)> progress;
};

// Runs `sql` (parameters already filled in) and, when it returns a rowset, writes the file pair
// under `key`, shows the result in `grid` and logs "<n> record(s) returned from statement.";
// without a rowset logs "No rowset returned", clears the grid and writes nothing. TAB, CR and LF
// inside a value become blanks, each field so changed named once in a "Warning" row; Null is an
// empty value. Errors go to ReportError (a cancel only to a "Warning" row) and leave the previous
// files in place; the records read before them stay in the grid, marked incomplete. True when the
// files were written.
bool ExtractToImport(const core::Services& s, odbc::Connection& connection, std::string_view sql,
                     std::string_view key, ResultGrid& grid, ExtractionControl* control = nullptr);

// Writes the grid's layout and records (every value followed by a TAB) as the file pair of the
// row the grid came from; a result that did not finish is saved only after the user confirms.
// Errors go to ReportError; the previous pair then stays.
bool SaveResultsToImportFile(const core::Services& s, const ResultGrid& grid);

}  // namespace vt::integrator
