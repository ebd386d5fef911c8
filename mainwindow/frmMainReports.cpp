// The File, View and Tools commands that make reports of a list's selection and run partner
// plug-ins. Each command has logged its History row before it gets here; the work is in
// mainwindow/Reports.cpp, the windows are setup's frmReport and frmDesign.

// Before any Qt header: the automation runtime uses names Qt defines as macros.
#include "mainwindow/ReportEngineHost.h"
#include "platform/report/Document.h"
#include "platform/report/Engine.h"

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
            [](std::shared_ptr<report::ReportDocument> doc) { setup::frmDesign::Show(std::move(doc)); },
            [this](report::PrintOptions& o) {   // the choice of Print Setup
                o.printerName = printer_.printerName;
                o.outputFile = printer_.outputFile;
            });
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

void frmMain::cmdExport() {
    if (Folder* f = selectedFolder(false)) ExportReport(f->table, false);
}

void frmMain::cmdPrint() {
    if (Folder* f = selectedFolder(false)) PrintReport(f->table, false);
}

void frmMain::cmdReportViewer() {
    if (Folder* f = selectedFolder(false)) ViewReport(f->table);
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
    if (Folder* f = selectedFolder(false)) ActiveX(f->table, kPluginView);
}

}  // namespace vt::mainwindow
