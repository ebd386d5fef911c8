#pragma once
// The report export formats, by the index stored in Transactions.ExportFormat (0 to 27).

#include <span>
#include <string>
#include <string_view>

namespace vt::core {

struct ExportFormat {
    std::string_view label;       // as offered in the export format list
    std::string_view extension;   // of the export file, without the point
    int engineNumber;             // the report engine's format number
};

inline constexpr int kExportFormatCount = 28;

std::span<const ExportFormat, kExportFormatCount> exportFormats();

// The extension of the format; an empty text outside 0 to 27.
std::string GetExportFormatName(int index);
// The report engine's number of the format; 0 outside 0 to 27.
int GetExportFormatType(int index);

}  // namespace vt::core
