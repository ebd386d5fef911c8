// Commands whose work lives in windows and operations that this build does not have yet. Each
// command has logged its History row before it gets here; these tell the user what is missing.

#include "mainwindow/frmMain.h"

#include "core/UiSink.h"

#include <string>

namespace vt::mainwindow {

void frmMain::notAvailable(std::string_view what) {
    messageBox(std::string(what) + " is not available in this version yet.", core::vbInformation | core::vbOKOnly,
               "Veltrane");
}

// ---- Reports and plug-ins ----
void frmMain::cmdExport() { notAvailable("Exporting reports"); }
void frmMain::cmdPrint() { notAvailable("Printing reports"); }
void frmMain::cmdReportViewer() { notAvailable("The Report Viewer"); }
void frmMain::cmdDesignReport() { notAvailable("The Report Designer"); }
void frmMain::cmdDesignExport() { notAvailable("The Report Designer"); }
void frmMain::cmdDesignActiveX() { notAvailable("The Report Designer"); }
void frmMain::cmdActiveX() { notAvailable("Running partner plug-ins"); }

// ---- Other windows ----
void frmMain::showPartners() { notAvailable("The Partners window"); }
void frmMain::showMapDesigner() { notAvailable("The Map Designer"); }
void frmMain::showExchange() { notAvailable("The Exchange window"); }

}  // namespace vt::mainwindow
