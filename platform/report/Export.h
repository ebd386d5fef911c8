#pragma once
// Export by the engine's format number. Everything but PDF is written here without painting;
// PDF is the painting library's (Engine.h). A format the engine cannot write is refused with an
// error naming it, and no file is written.

#include "Binding.h"
#include "Report.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace vt::report {

// The engine's format numbers.
namespace format {
inline constexpr int None = 0;
inline constexpr int ReportFile = 1;
inline constexpr int DIF = 2;
inline constexpr int RecordStyle = 3;
inline constexpr int CSV = 5;
inline constexpr int TSV = 6;
inline constexpr int CharSeparated = 7;
inline constexpr int Text = 8;
inline constexpr int TabText = 9;
inline constexpr int PaginatedText = 10;
inline constexpr int WKS = 11;
inline constexpr int WK1 = 12;
inline constexpr int WK3 = 13;
inline constexpr int WordDoc = 14;
inline constexpr int Excel5 = 21;
inline constexpr int Excel5Extended = 22;
inline constexpr int ODBC = 23;
inline constexpr int HTML32 = 24;
inline constexpr int Excel7 = 27;
inline constexpr int Excel7Extended = 28;
inline constexpr int Excel8 = 29;
inline constexpr int Excel8Extended = 30;
inline constexpr int PDF = 31;
inline constexpr int ReportFile7 = 33;
inline constexpr int ReportDefinition = 34;
inline constexpr int RTF = 35;
inline constexpr int HTML40 = 32;
inline constexpr int XML = 36;
}  // namespace format

struct FormatInfo {
    int number;
    std::string_view name;
    bool writable;
    std::string_view extension;   // of a file in the format, lower case, without the point; "" for none
};
// Every format number the engine knows, writable or not.
std::span<const FormatInfo> formatTable();
// The entry of a number, or null for a number the engine does not know.
const FormatInfo* findFormat(int number);

// The report's export options, as the program sets them before exporting.
struct ExportOptions {
    int destinationType = 1;     // 1: a disk file (the only destination)
    std::string diskFileName;    // the output file
    int formatType = format::None;
    std::string xmlFileName;     // where XML goes when set (else diskFileName)
    char separator = ',';        // character-separated values
    char quote = '"';
    int linesPerPage = 0;        // paginated text; 0: as many as the page holds
    // ODBC: the data source (its DSN), the login, and the new table ("" = the name of diskFileName).
    std::string odbcDataSource, odbcUser, odbcPassword, odbcTable;
};

// Throws ReportError naming the format when it cannot be written or is unknown.
void requireWritable(int number);

// Writes a format that needs no painting (every writable one but PDF) to `file`: first to a
// temporary file in the same folder, then renamed into place. ODBC goes to its data source.
void exportData(const Report& report, const DataTable* data, const RunInfo& run, const ExportOptions& options,
                const std::filesystem::path& file);

// The bytes of each writer (for tests and the benchmark).
std::string exportBytes(const Report& report, const DataTable* data, const RunInfo& run, const ExportOptions& options);

}  // namespace vt::report
