#include "core/ExportFormats.h"

#include <array>

namespace vt::core {

namespace {

// PDF (20) and record style (21) carry the engine's numbers of their own formats, so an export
// never writes another format under their extensions.
constexpr std::array<ExportFormat, kExportFormatCount> kFormats = {{
    {"Character-separated values (CHR)", "CHR", 7},
    {"Comma-separated values (CSV)", "CSV", 5},
    {"Crystal Reports (RPT)", "RPT", 1},
    {"Crystal Reports 7.0 (RPT)", "RPT", 33},
    {"Data Interchange Format (DIF)", "DIF", 2},
    {"Rich Text (Exact) Format (RTF)", "RTF", 35},
    {"Excel 5.0 (XLS)", "XLS", 21},
    {"Excel 5.0 (Extended) (XLS)", "XLS", 22},
    {"Excel 7.0 (XLS)", "XLS", 27},
    {"Excel 7.0 (Extended) (XLS)", "XLS", 28},
    {"Excel 8.0 (XLS)", "XLS", 29},
    {"Excel 8.0 (Extended) (XLS)", "XLS", 30},
    {"HTML 3.2 Standard (HTM)", "HTM", 24},
    {"HTML 4.0 (HTM)", "HTM", 32},
    {"Lotus 1-2-3 (WK1)", "WK1", 12},
    {"Lotus 1-2-3 (WK3)", "WK3", 13},
    {"Lotus 1-2-3 (WKS)", "WKS", 11},
    {"No Format", "No Format", 0},
    {"ODBC", "ODBC", 23},
    {"Paginated Text (TXT)", "TXT", 10},
    {"Portable Document Format (PDF)", "PDF", 31},
    {"Record style (REC)", "REC", 3},
    {"Report definition (TXT)", "TXT", 34},
    {"Tab-separated text (TTX)", "TTX", 9},
    {"Tab-separated values (TSV)", "TSV", 6},
    {"Text (TXT)", "TXT", 8},
    {"Word for Windows document (DOC)", "DOC", 14},
    {"XML (XML)", "XML", 36},
}};

}  // namespace

std::span<const ExportFormat, kExportFormatCount> exportFormats() { return kFormats; }

std::string GetExportFormatName(int index) {
    if (index < 0 || index >= kExportFormatCount) return "";
    return std::string(kFormats[size_t(index)].extension);
}

int GetExportFormatType(int index) {
    if (index < 0 || index >= kExportFormatCount) return 0;
    return kFormats[size_t(index)].engineNumber;
}

}  // namespace vt::core
