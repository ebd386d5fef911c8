#include "mainwindow/Reports.h"

#include "core/ErrorReporter.h"
#include "core/ExportFormats.h"
#include "core/Globals.h"
#include "core/Registry.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "core/Savepoint.h"
#include "folders/OutputFile.h"
#include "maps/MapReport.h"
#include "maps/MapTranslator.h"
#include "maps/RecordLayoutFile.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Recordset.h"
#include "platform/db/Database.h"
#include "platform/report/Document.h"
#include "platform/report/ReportFile.h"
#include "platform/settings/Settings.h"
#include "setup/SetupSettings.h"

#include <system_error>
#include <vector>

namespace vt::mainwindow {

namespace fs = std::filesystem;

namespace {

// Partner names and the like end up in file names: nothing may lead out of the folder.
void requireSafeNamePart(std::string_view key) {
    if (key.empty() || !folders::IsPlainNamePart(key)) throw core::RunError(52, "Bad file name or number");
}

bool fileExists(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

std::string_view templateName(TemplateKind kind) {
    switch (kind) {
    case TemplateKind::Export: return "Export";
    case TemplateKind::ActiveX: return "ActiveX";
    default: return "Viewer";
    }
}

// Both the argument and the sink can say nobody is watching.
bool boxesAllowed(const core::Services& s, bool unattended) { return !unattended && !s.ui.unattended(); }

void showCritical(const core::Services& s, const std::string& text) {
    s.ui.messageBox(text, core::vbCritical | core::vbOKOnly, core::kApplicationName);
}

// The common start: the selection's kind, or nothing (no selected item, or refused).
std::optional<folders::SelectionKind> uniqueKind(const core::Services& s, const folders::FolderSelection& list) {
    if (!list.anySelected()) return std::nullopt;
    return folders::UniqueSelection(s, list);
}

// The selection's records through its map. The translation logs a missing record layout file
// without its name: a person who started the command is shown which file it is.
automation::Ref<automation::Recordset> translated(const core::Services& s, const folders::FolderSelection& list,
                                                  const folders::SelectionKind& kind, bool unattended) {
    auto record = maps::TranslateAll(s, list, maps::MapKeyOf(kind), false, true);
    if (!record && boxesAllowed(s, unattended)) {
        const fs::path layout = maps::RecordLayoutPath(s.settings, maps::MapKeyOf(kind));
        if (!fileExists(layout)) showCritical(s, "53 File not found: " + layout.string());
    }
    return record;
}

std::shared_ptr<report::ReportDocument> openTemplate(const fs::path& path) {
    return report::ReportDocument::open(path, 1);
}

// A person whose set has no export template yet may have it made, so a first export is possible:
// from the set's viewer report, else from its map's field definitions.
enum class Offer { Made, Declined, Impossible };
Offer offerExportTemplate(const core::Services& s, const folders::SelectionKind& kind, const fs::path& path) {
    const fs::path viewer = report::findReportFile(ReportTemplatePath(s.settings, TemplateKind::Viewer, kind.key()));
    const bool fromViewer = fileExists(viewer);
    const maps::MapKey map = maps::MapKeyOf(kind);
    bool fromMap = false;
    if (!fromViewer) {
        try {
            fromMap = maps::MapHasReportFields(s, map);
        } catch (...) {
            // No map to make it from: the template stays missing.
        }
    }
    if (!fromViewer && !fromMap) return Offer::Impossible;
    const std::string source = fromViewer ? "the viewer report " + viewer.string() : "the map's field definitions";
    if (s.ui.messageBox("Export Report Not Found: " + path.string() + "\r\n\r\nCreate it from " + source + "?",
                        core::vbYesNo | core::vbQuestion, core::kApplicationName) != core::vbYes)
        return Offer::Declined;
    fs::create_directories(path.parent_path());
    if (fromViewer) {
        report::Report r = report::loadReport(viewer);
        // The definition file the viewer report names stands beside it.
        if (!r.dataDefinition.empty() && fs::path(r.dataDefinition).is_relative()) {
            const fs::path named = (viewer.parent_path() / r.dataDefinition).lexically_relative(path.parent_path());
            if (!named.empty()) r.dataDefinition = named.generic_string();
        }
        report::saveReport(r, path);
    } else {
        maps::WriteStarterReport(s, map, path);
    }
    core::LogHistory(s, "Info", "Export Report Created: " + path.string());
    return Offer::Made;
}

// The ODBC export goes into the data source the set's Integrator row names, as a table named by
// the selection key.
constexpr int kOdbcIndex = 18;
void setOdbcSource(const core::Services& s, report::ExportOptions& o, const folders::SelectionKind& kind) {
    auto& q = s.db.cached(
        "SELECT DataSourceName, UserId, Password FROM Transactions WHERE Partner = ?1 AND \"Transaction\" = ?2 "
        "AND Version = ?3 AND Direction = ?4 ORDER BY Id LIMIT 1");
    q.reset();
    q.bindAll(kind.partner, kind.transaction, kind.version, kind.direction);
    if (q.step()) {
        o.odbcDataSource = q.text(0);
        o.odbcUser = q.text(1);
        o.odbcPassword = q.text(2);
    }
    q.reset();
    o.odbcTable = kind.key();
}

// Export options as the export commands set them, then the export itself.
void exportTo(const core::Services& s, ReportHost& host, report::ReportDocument& doc, const folders::SelectionKind& kind,
              int formatIndex) {
    auto& o = doc.exportOptions();
    o.destinationType = 1;
    o.diskFileName = ExportFilePath(s.settings, kind.key(), formatIndex).string();
    o.formatType = core::GetExportFormatType(formatIndex);
    if (formatIndex == 27) o.xmlFileName = o.diskFileName;
    if (formatIndex == kOdbcIndex) setOdbcSource(s, o, kind);
    host.exportReport(doc);
}

// The translated rows become "Exported" only now that the file is there.
void markExported(const core::Services& s, const folders::FolderSelection& list) {
    const std::string table(folders::itemTable(list.table));
    core::Savepoint batch(s.db, "mark_exported");
    auto& write = s.db.cached("UPDATE \"" + table + "\" SET Status = 'Exported' WHERE Id = ?1 AND Status = 'Opened'");
    for (std::int64_t id : list.selectedIds()) {
        write.reset();
        write.bind(1, id);
        write.run();
    }
    batch.release();
    s.ui.folderChanged(table);
}

}  // namespace

fs::path ReportTemplatePath(const Settings& settings, TemplateKind kind, std::string_view key) {
    requireSafeNamePart(key);
    fs::path folder = setup::folderSetting(settings, "Reports");
    if (kind == TemplateKind::Export) folder /= "Export";
    if (kind == TemplateKind::ActiveX) folder /= "ActiveX";
    return folder / (std::string(key) + ".RPT");
}

fs::path ExportFilePath(const Settings& settings, std::string_view key, int formatIndex) {
    requireSafeNamePart(key);
    return fs::path(setup::folderSetting(settings, "Export")) /
           (std::string(key) + "." + core::GetExportFormatName(formatIndex));
}

std::optional<int> GetExportFormat(const core::Services& s, std::string_view partner, std::string_view transaction,
                                   std::string_view version, std::string_view direction) {
    try {
        auto& q = s.db.cached(
            "SELECT ExportFormat FROM Transactions WHERE Partner = ?1 AND \"Transaction\" = ?2 AND Version = ?3 "
            "AND Direction = ?4 ORDER BY Id LIMIT 1");
        q.reset();
        q.bindAll(partner, transaction, version, direction);
        const std::string set = std::string(partner) + "_" + std::string(transaction) + "_" + std::string(version) +
                                "_" + std::string(direction);
        if (!q.step()) {
            q.reset();
            throw core::RunError(3021, "No export format: transaction set " + set + " is not set up for partner " +
                                           std::string(partner) + ".");
        }
        const std::int64_t index = q.int64(0);
        q.reset();
        if (index < 0 || index >= core::kExportFormatCount)
            throw core::RunError(5, "Export format " + std::to_string(index) + " of transaction set " + set +
                                        " is not one of 0 to 27.");
        return int(index);
    } catch (...) {
        core::ReportError(s);
        return std::nullopt;
    }
}

bool ExportReport(const core::Services& s, ReportHost& host, const folders::FolderSelection& list, bool unattended) {
    try {
        const auto kind = uniqueKind(s, list);
        if (!kind) return false;
        auto record = translated(s, list, *kind, unattended);
        if (!record) return false;

        const fs::path path = ReportTemplatePath(s.settings, TemplateKind::Export, kind->key());
        if (!fileExists(path)) {
            const bool asked = boxesAllowed(s, unattended);
            const Offer offer = asked ? offerExportTemplate(s, *kind, path) : Offer::Impossible;
            if (offer != Offer::Made) {
                if (asked && offer == Offer::Impossible) showCritical(s, "Export Report Not Found: " + path.string());
                core::LogHistory(s, "Error", "Export Report Not Found " + path.string());
                return false;
            }
        }
        auto doc = openTemplate(path);
        doc->setDataSource(record);
        const auto format = GetExportFormat(s, kind->partner, kind->transaction, kind->version, kind->direction);
        if (!format) return false;
        exportTo(s, host, *doc, *kind, *format);
        markExported(s, list);
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

bool PrintReport(const core::Services& s, ReportHost& host, const folders::FolderSelection& list, bool unattended) {
    try {
        const auto kind = uniqueKind(s, list);
        if (!kind) return false;
        auto record = translated(s, list, *kind, unattended);
        // A failed translation has been logged; an empty one prints nothing.
        if (!record || record->recordCount() == 0) return false;

        const fs::path path = ReportTemplatePath(s.settings, TemplateKind::Viewer, kind->key());
        if (!fileExists(path)) {
            if (boxesAllowed(s, unattended)) showCritical(s, "Veiwer Report Not Found: " + path.string());
            core::LogHistory(s, "Error", "Viewer Report Not Found: " + path.string());
            return false;
        }
        auto doc = openTemplate(path);
        doc->setDataSource(record);
        host.printReport(*doc, 1);
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

bool ViewReport(const core::Services& s, ReportHost& host, const folders::FolderSelection& list) {
    try {
        const auto kind = uniqueKind(s, list);
        if (!kind) return false;
        auto record = translated(s, list, *kind, false);
        if (!record) return false;

        const fs::path path = ReportTemplatePath(s.settings, TemplateKind::Viewer, kind->key());
        if (!fileExists(path)) {
            core::LogHistory(s, "Error", "Viewer Report Not Found: " + path.string());
            return false;
        }
        auto doc = openTemplate(path);
        doc->setDataSource(record);
        host.viewReport(std::move(doc));
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

bool DesignReport(const core::Services& s, ReportHost& host, const folders::FolderSelection& list, TemplateKind kind) {
    try {
        const auto selection = uniqueKind(s, list);
        if (!selection) return false;
        const fs::path path = ReportTemplatePath(s.settings, kind, selection->key());
        if (!fileExists(path)) {
            const std::string text = std::string(templateName(kind)) + " Report Not Found: " + path.string();
            const bool asked = !s.ui.unattended();
            const Offer offer =
                asked && kind == TemplateKind::Export ? offerExportTemplate(s, *selection, path) : Offer::Impossible;
            if (offer != Offer::Made) {
                if (asked && offer == Offer::Impossible) showCritical(s, text);
                core::LogHistory(s, "Error", text);
                return false;
            }
        }
        host.designReport(openTemplate(path));
        s.ui.yield();
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

bool ActiveX(const core::Services& s, ReportHost& host, automation::ClassRegistry& registry,
             const folders::FolderSelection& list, const folders::FolderSelection& recycled, int mode,
             bool unattended) {
    using automation::Recordset;
    using automation::Variant;
    try {
        const auto kind = uniqueKind(s, list);
        if (!kind) return false;

        const std::string className =
            core::GetTransactionActiveX(s, kind->partner, kind->transaction, kind->version, kind->direction, false);
        // A set without a chosen plug-in is named with the place to choose one.
        if (className.empty())
            throw core::RunError(429, "No plug-in is chosen for " + kind->partner + " " + kind->transaction + " " +
                                          kind->version + " " + kind->direction +
                                          ": choose one in Setup > Partners, on the Transactions tab (column ActiveX).");
        const automation::ObjectRef plugin = registry.create(className);
        if (!plugin) throw core::RunError(429, "ActiveX component can't create object: '" + className + "'");

        const maps::MapKey key = maps::MapKeyOf(*kind);
        automation::Ref<Recordset> newData = translated(s, list, *kind, unattended);
        if (!newData || newData->recordCount() == 0) return false;
        automation::Ref<Recordset> oldData;
        if (kind->transaction == "862") {
            folders::FolderSelection previous = recycled;
            previous.table = "Recycled";
            oldData = maps::TranslateAll(s, previous, key, false, true);
            if (!oldData || oldData->recordCount() == 0) return false;
        }

        std::vector<Variant> args{Variant(newData),
                                  oldData ? Variant(oldData) : Variant::nothing(),
                                  Variant(kind->partner),
                                  Variant(kind->transaction),
                                  Variant(kind->version),
                                  Variant(kind->direction)};
        std::vector<Variant*> slots;
        for (Variant& a : args) slots.push_back(&a);
        const Variant answer = plugin->invoke("ActiveX", automation::InvokeKind::Method, slots);
        // Whatever the plug-in left in the first two arguments is what the report works on.
        newData = automation::Ref<Recordset>(args[0].objectAs<Recordset>());
        oldData = automation::Ref<Recordset>(args[1].objectAs<Recordset>());
        if (!automation::toBool(answer)) return false;
        if (!newData) throw core::typeMismatchError();

        const fs::path path = ReportTemplatePath(s.settings, TemplateKind::ActiveX, kind->key());
        auto doc = openTemplate(path);
        doc->setDataSource(newData);
        if (mode == kPluginView) {
            host.viewReport(doc);
        } else if (mode == kPluginPrint) {
            host.printReport(*doc, 1);
        } else if (mode == kPluginExport) {
            const auto format = GetExportFormat(s, kind->partner, kind->transaction, kind->version, kind->direction);
            if (!format) return false;
            exportTo(s, host, *doc, *kind, *format);
        }
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

}  // namespace vt::mainwindow
