// The File, View and Tools commands that make reports of a list's selection and run partner
// plug-ins. Each command has logged its History row before it gets here; the work is in
// mainwindow/Reports.cpp, the windows are setup's frmReport and frmDesign.

// Before any Qt header: the automation runtime uses names Qt defines as macros.
#include "mainwindow/ReportEngineHost.h"
#include "platform/report/Document.h"

#include "core/Globals.h"
#include "folders/Selection.h"
#include "maps/RecordLayoutFile.h"
#include "mainwindow/frmMain.h"
#include "setup/PluginChoice.h"
#include "setup/frmDesign.h"
#include "setup/frmReport.h"

#include <string>
#include <system_error>

namespace vt::mainwindow {

ReportHost& frmMain::reportHost() {
    if (!reportHost_)
        reportHost_ = std::make_unique<EngineReportHost>(
            [this](std::shared_ptr<report::ReportDocument> doc) { setup::frmReport::Show(settings_, std::move(doc)); },
            [](std::shared_ptr<report::ReportDocument> doc) { setup::frmDesign::Show(std::move(doc)); });
    return *reportHost_;
}

bool frmMain::ExportReport(std::string_view table, bool unattended) {
    return mainwindow::ExportReport(services_, reportHost(), folderSelection(table), unattended);
}

bool frmMain::PrintReport(std::string_view table, bool unattended) {
    return mainwindow::PrintReport(services_, reportHost(), folderSelection(table), unattended);
}

bool frmMain::ViewReport(std::string_view table) {
    return mainwindow::ViewReport(services_, reportHost(), folderSelection(table));
}

bool frmMain::ActiveX(std::string_view table, int mode) {
    return mainwindow::ActiveX(services_, reportHost(), setup::pluginRegistry(settings_), folderSelection(table),
                               folderSelection("Recycled"), mode);
}

namespace {

// The record layout file of the selection's first item; empty when there is none.
std::filesystem::path layoutFileOf(const Settings& settings, const folders::FolderSelection& selection) {
    const std::vector<std::int64_t> ids = selection.selectedIds();
    if (ids.empty()) return {};
    try {
        auto q = core::gConnection().prepare("SELECT Partner, \"Transaction\", Version, Direction FROM \"" +
                                             std::string(folders::itemTable(selection.table)) + "\" WHERE Id = ?1");
        q.bind(1, ids.front());
        if (!q.step()) return {};
        return maps::RecordLayoutPath(settings, maps::MapKey{q.text(0), q.text(1), q.text(2), q.text(3)});
    } catch (...) {
        return {};   // a key that names no file has had its own report
    }
}

}  // namespace

void frmMain::reportCommand(const Folder& f, const std::function<void()>& run) {
    const int errorsBefore = errorsLogged_;
    run();
    if (errorsLogged_ == errorsBefore) return;
    // The translation logs a missing layout file without its name, and shows nothing.
    const std::filesystem::path layout = layoutFileOf(settings_, folderSelection(f.table));
    std::error_code ec;
    if (!layout.empty() && !std::filesystem::exists(layout, ec))
        messageBox("53 File not found: " + layout.string(), core::vbCritical | core::vbOKOnly, core::kApplicationName);
}

void frmMain::cmdExport() {
    if (Folder* f = selectedFolder(false)) reportCommand(*f, [&] { ExportReport(f->table, false); });
}

void frmMain::cmdPrint() {
    if (Folder* f = selectedFolder(false)) reportCommand(*f, [&] { PrintReport(f->table, false); });
}

void frmMain::cmdReportViewer() {
    if (Folder* f = selectedFolder(false)) reportCommand(*f, [&] { ViewReport(f->table); });
}

void frmMain::cmdDesignReport() {
    if (Folder* f = selectedFolder(false)) DesignReport(services_, reportHost(), folderSelection(f->table), TemplateKind::Viewer);
}

void frmMain::cmdDesignExport() {
    if (Folder* f = selectedFolder(false)) DesignReport(services_, reportHost(), folderSelection(f->table), TemplateKind::Export);
}

void frmMain::cmdDesignActiveX() {
    if (Folder* f = selectedFolder(false))
        DesignReport(services_, reportHost(), folderSelection(f->table), TemplateKind::ActiveX);
}

void frmMain::cmdActiveX() {
    if (Folder* f = selectedFolder(false)) reportCommand(*f, [&] { ActiveX(f->table, kPluginView); });
}

}  // namespace vt::mainwindow
