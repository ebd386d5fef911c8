#pragma once
// The report files made from a map and the guideline of a map. CreateMapReport writes the map's
// field-definition file "<Reports>/<key>.ttx" from its stored rows (the same field names as the
// translated Record) and, once, the starter report "<key>.RPT" with a title block; a report
// that exists (as ".RPT" or ".rpt") is never touched again, so the user's design survives map
// edits. The guideline is the delivered "Guideline.rpt" bound to the rows of the guideline query.

#include "core/Services.h"
#include "maps/MapModel.h"
#include "platform/automation/Recordset.h"
#include "platform/db/Database.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace vt {
class Settings;
}
namespace vt::report {
class Report;
class ReportDocument;
}

namespace vt::maps {

// Setting Folders/Reports, else the data root.
std::filesystem::path ReportsFolder(const Settings& settings);

// The record set the report files describe: never opened, one field per included element of
// every included segment's Placeholders passes, named and typed as in the record layout
// ("ID"/"AN" 200, "DT" 7, "TM" 134, "R" 4, "N0".."N9" 131 without precision), sized by Maximum;
// elements of other type codes give no field. Throws on a duplicate name or an overflow.
automation::Ref<automation::Recordset> MapReportFields(const Map& map);

// Writes the map's ".ttx" and, when no report of the map exists yet, its starter ".RPT" (title
// "<Partner>_<Transaction>_<Version>", "Outbound" or "Inbound" for Direction "O" or anything else,
// the data time and "page N of M"). Errors go to ReportError; false then, and what was written
// before the error stays.
bool CreateMapReport(const core::Services& s, const MapKey& key);
// The starter report's title block in its first section: the title across the page, the
// direction caption under it, the data time and "page N of M".
void AddMapTitleBlock(report::Report& report, const MapKey& key);
// Whether the map has a field a report can show (an element of a type the report files take).
bool MapHasReportFields(const core::Services& s, const MapKey& key);
// Writes a starter report of the map, made as CreateMapReport makes its own, as `file` (a
// template of another kind, asked for by a person); the ".ttx" is written again first, and the
// report names it from where it stands. Throws on failure.
void WriteStarterReport(const core::Services& s, const MapKey& key, const std::filesystem::path& file);

// The guideline rows of a map's partner, transaction and version (both directions), with the
// twenty columns the template binds to: Partner, Version, Transactions, Description, Segment,
// SegmentName, SegmentIndex, SegmentUsage, MaxUsageLoop, SegmentLevel, Looping, Node,
// ElementName, ElementIndex, Reference, ElementUsage, Type, Minimum, Maximum, Exclude. Excluded
// elements are left out; an excluded segment's elements are listed.
db::Statement GuidelineQuery(db::Database& db, const MapKey& key);

// "Guideline.rpt" of the Reports folder (either case of the extension), else the delivered one,
// opened with the guideline rows as its data, for the report viewer. Errors go to ReportError;
// null then.
std::shared_ptr<report::ReportDocument> OpenGuideline(const core::Services& s, const MapKey& key);

}  // namespace vt::maps
