#include "maps/MapReport.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "folders/OutputFile.h"
#include "maps/RecordLayoutFile.h"
#include "platform/automation/Recordset.h"
#include "platform/report/Document.h"
#include "platform/report/FieldDefs.h"
#include "platform/settings/Settings.h"

#include <algorithm>
#include <cmath>

namespace vt::maps {

namespace {

bool fileExists(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::exists(file, ec);
}

// The report of a base name as the program opens it (".RPT"), or a lower-case one made elsewhere.
std::optional<std::filesystem::path> existingReport(const std::filesystem::path& folder, const std::string& name) {
    for (const char* extension : {".RPT", ".rpt"})
        if (fileExists(folder / (name + extension))) return folder / (name + extension);
    return std::nullopt;
}

// The starter report of the fields as `file`, with the title block; it names its definition file
// from its own folder.
void writeStarter(const core::Services& s, const MapKey& key, automation::Recordset& fields,
                  const std::filesystem::path& fieldDefs, const std::filesystem::path& file) {
    report::createReportOnRuntimeDS(fields, file, fieldDefs, true, false);
    auto doc = report::ReportDocument::open(file, 1, &s.clock);
    AddMapTitleBlock(doc->report(), key);
    const std::filesystem::path named = fieldDefs.lexically_relative(file.parent_path());
    doc->report().dataDefinition = (named.empty() ? fieldDefs.filename() : named).generic_string();
    doc->save(file, 2048);
}

}  // namespace

std::filesystem::path ReportsFolder(const Settings& settings) { return FoldersSetting(settings, "Reports"); }

automation::Ref<automation::Recordset> MapReportFields(const Map& map) {
    auto fields = automation::Recordset::create();
    for (const LayoutField& f : RecordLayoutFields(map)) {
        if (f.adoType == 0) continue;
        fields->appendField(f.name, f.adoType, std::int32_t(f.size), 4);
    }
    return fields;
}

void AddMapTitleBlock(report::Report& r, const MapKey& key) {
    auto caption = [&](std::string text, int top) -> report::ReportObject& {
        report::ReportObject& o = r.addTextObject(1, std::move(text), 0, top);
        o.font.size = 18;
        o.font.bold = true;
        o.color = report::colorFromBgr(0x808000);
        o.height = 400;
        o.width = 8500;
        return o;
    };
    report::ReportObject& title = caption(key.partner + "_" + key.transaction + "_" + key.version, 0);
    // The title stands on one line across the page, in a smaller size when a long partner name
    // would not fit at 18 points (a bold character takes at most about 0.72 of the size).
    title.width = std::max(title.width, r.page.width - r.page.marginLeft - r.page.marginRight);
    const double fits = title.width / (0.72 * 20 * double(std::max<size_t>(1, title.text.size())));
    if (fits < title.font.size) title.font.size = std::max(6.0, std::floor(fits * 2) / 2);
    report::ReportObject& direction = caption(key.direction == "O" ? "Outbound" : "Inbound", 400);
    direction.borderStyle = 1;
    direction.borderColor = report::colorFromBgr(0x100080);
    r.addSpecialField(1, 5, 0, 900);
    r.addSpecialField(1, 17, 2000, 900);
}

bool CreateMapReport(const core::Services& s, const MapKey& key) {
    try {
        for (const std::string* part : {&key.partner, &key.transaction, &key.version, &key.direction})
            if (!folders::IsPlainNamePart(*part)) throw core::invalidCallError();
        const Map map = LoadMap(s.db, key);
        auto fields = MapReportFields(map);
        const std::filesystem::path folder = ReportsFolder(s.settings);
        const std::string name = key.text();
        const std::filesystem::path fieldDefs = folder / (name + ".ttx");
        report::createFieldDefFile(*fields, fieldDefs, true);
        if (existingReport(folder, name)) return true;

        writeStarter(s, key, *fields, fieldDefs, folder / (name + ".RPT"));
        report::createFieldDefFile(*fields, fieldDefs, true);
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

bool MapHasReportFields(const core::Services& s, const MapKey& key) {
    return MapReportFields(LoadMap(s.db, key))->fieldCount() > 0;
}

void WriteStarterReport(const core::Services& s, const MapKey& key, const std::filesystem::path& file) {
    for (const std::string* part : {&key.partner, &key.transaction, &key.version, &key.direction})
        if (!folders::IsPlainNamePart(*part)) throw core::invalidCallError();
    auto fields = MapReportFields(LoadMap(s.db, key));
    const std::filesystem::path fieldDefs = ReportsFolder(s.settings) / (key.text() + ".ttx");
    report::createFieldDefFile(*fields, fieldDefs, true);
    writeStarter(s, key, *fields, fieldDefs, file);
}

db::Statement GuidelineQuery(db::Database& db, const MapKey& key) {
    auto q = db.prepare(
        "SELECT Transactions.Partner AS Partner, Transactions.Version AS Version, "
        "Transactions.\"Transaction\" AS Transactions, Transactions.Description AS Description, "
        "Segment.Segment AS Segment, Segment.SegmentName AS SegmentName, Element.SegmentIndex AS SegmentIndex, "
        "Segment.SegmentUsage AS SegmentUsage, Segment.MaxUsageLoop AS MaxUsageLoop, Segment.Level AS SegmentLevel, "
        "Segment.Looping AS Looping, Segment.Node AS Node, Element.ElementName AS ElementName, "
        "Element.ElementIndex AS ElementIndex, Element.Reference AS Reference, Element.ElementUsage AS ElementUsage, "
        "Element.Type AS Type, Element.Minimum AS Minimum, Element.Maximum AS Maximum, Element.Exclude AS Exclude "
        "FROM (Transactions INNER JOIN Segment ON Transactions.Partner = Segment.Partner "
        "AND Transactions.Version = Segment.Version AND Transactions.\"Transaction\" = Segment.\"Transaction\" "
        "AND Transactions.Direction = Segment.Direction) "
        "INNER JOIN Element ON Segment.Partner = Element.Partner AND Segment.Version = Element.Version "
        "AND Segment.\"Transaction\" = Element.\"Transaction\" AND Segment.Segment = Element.Segment "
        "AND Segment.SegmentIndex = Element.SegmentIndex AND Segment.Direction = Element.Direction "
        "WHERE Element.Exclude = 0 AND Segment.Partner = ?1 AND Segment.Version = ?2 AND "
        "Segment.\"Transaction\" = ?3");
    q.bindAll(key.partner, key.version, key.transaction);
    return q;
}

std::shared_ptr<report::ReportDocument> OpenGuideline(const core::Services& s, const MapKey& key) {
    try {
        auto query = GuidelineQuery(s.db, key);
        const std::filesystem::path own = ReportsFolder(s.settings);
        const std::filesystem::path file = existingReport(own, "Guideline").value_or(shareFolder() / "Guideline.rpt");
        auto doc = report::ReportDocument::open(file, 1, &s.clock);
        doc->setDataSource(query);
        return doc;
    } catch (...) {
        core::ReportError(s);
        return nullptr;
    }
}

}  // namespace vt::maps
