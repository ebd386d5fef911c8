#pragma once
// Reports of a folder list's unique selection: view, print, export and the three template
// designers, and the partner plug-in runner. The selection is translated through its map into a
// record set, which a template of the Reports folder lays out. What needs a screen or a printer
// goes through ReportHost, so the Integrator runs print, export and plug-ins without a window.

#include "core/Services.h"
#include "folders/Selection.h"
#include "folders/UniqueSelection.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vt::report {
class ReportDocument;
}
namespace vt::automation {
class ClassRegistry;
}

namespace vt::mainwindow {

// Where opened reports go. Export and print throw report::ReportError (or any error) on failure.
class ReportHost {
public:
    virtual ~ReportHost() = default;
    // Writes the file the document's export options name, with no prompt.
    virtual void exportReport(report::ReportDocument& doc) = 0;
    // Prints without a dialog.
    virtual void printReport(report::ReportDocument& doc, int copies) = 0;
    // Shows the report in the viewer window, modeless; the window keeps the document.
    virtual void viewReport(std::shared_ptr<report::ReportDocument> doc) = 0;
    // Opens the template in the designer window, modeless.
    virtual void designReport(std::shared_ptr<report::ReportDocument> doc) = 0;
};

// What each template is for.
enum class TemplateKind { Viewer, Export, ActiveX };

// The template of a selection key: Reports folder [/Export | /ActiveX] / key.RPT. RunError 52
// when the key could name a file outside its folder.
std::filesystem::path ReportTemplatePath(const Settings& settings, TemplateKind kind, std::string_view key);
// The export file: Export folder / key.<extension of the format index>.
std::filesystem::path ExportFilePath(const Settings& settings, std::string_view key, int formatIndex);

// The ExportFormat (0 to 27) of the set's Transactions row. A set without a row, or a value out
// of range, is reported (ReportError) and gives nothing: no export is made in a format nobody chose.
std::optional<int> GetExportFormat(const core::Services& s, std::string_view partner, std::string_view transaction,
                                   std::string_view version, std::string_view direction);

// Translates the selection (marking its rows "Opened", "Exported" once the file is written) and
// exports it through the export template. A missing template, when a person asked (neither the
// argument nor the sink is unattended): a Yes/No box offers to make it from the set's viewer
// report, else from its map's field definitions (History "Info" "Export Report Created: <path>"),
// and the export goes on; with nothing to make it from, a critical box "Export Report Not Found:
// <path>". Unattended, or No: History "Error" "Export Report Not Found <path>" and nothing made.
// Other failures go to the error reporter (no box when the sink is unattended). True when the
// file was written.
bool ExportReport(const core::Services& s, ReportHost& host, const folders::FolderSelection& list, bool unattended);
// Translates the selection and prints one copy through the viewer template; an empty record set
// prints nothing. A missing template: box "Veiwer Report Not Found: <path>" unless unattended,
// History "Viewer Report Not Found: <path>". True when printed.
bool PrintReport(const core::Services& s, ReportHost& host, const folders::FolderSelection& list, bool unattended);
// Translates the selection and shows it in the viewer; a missing template is logged only.
bool ViewReport(const core::Services& s, ReportHost& host, const folders::FolderSelection& list);
// Opens the selection's template of that kind in the designer; nothing is translated. A missing
// template: box and History "<Viewer|Export|ActiveX> Report Not Found: <path>"; a missing export
// template is offered as ExportReport offers it, and the one made is opened.
bool DesignReport(const core::Services& s, ReportHost& host, const folders::FolderSelection& list, TemplateKind kind);

// What the plug-in runner does with the plug-in's report when the plug-in answers True.
enum PluginMode : int { kPluginView = 0, kPluginPrint = 1, kPluginExport = 2 };

// Runs the set's plug-in class (the Transactions row's ActiveX field) through `registry`: the
// selection is translated (for "862" also the Recycled list's selection, `recycled`), and the
// class's method "ActiveX" gets six by-reference arguments: new data, previous data (Nothing but
// for 862), Partner, Transaction, Version, Direction. On True the plug-in template (ActiveX
// subfolder of Reports) is laid over the record set argument 0 then holds, and is viewed (0),
// printed (1), exported (2) or left (any other mode). True only when the plug-in answered True
// and the report step ran. Errors go to the error reporter; an empty translation or a plug-in
// answering False ends silently. `unattended`: no box, as for the other report commands.
bool ActiveX(const core::Services& s, ReportHost& host, automation::ClassRegistry& registry,
             const folders::FolderSelection& list, const folders::FolderSelection& recycled, int mode,
             bool unattended = false);

}  // namespace vt::mainwindow
