// Tools > Integrator and the run steps the Integrator asks of the main window.

#include "core/ErrorReporter.h"
#include "integrator/frmIntegrator.h"
#include "mainwindow/Acknowledgement.h"
#include "mainwindow/MainWindowSteps.h"
#include "mainwindow/UniqueSelection.h"
#include "mainwindow/frmMain.h"

namespace vt::mainwindow {

namespace {

bool notAvailableYet(const core::Services& s, std::string_view what) {
    core::LogHistory(s, "Error", std::string(what) + " is not available yet");
    return false;
}

}  // namespace

std::vector<std::int64_t> MainWindowSteps::selectInbox(const core::Services& s, const integrator::RowKey& key) {
    inbox_ = main_.folderSelection("Inbox");
    const bool any = MakeUniqueSelection(s, inbox_, key.partner, key.transaction, key.version, key.direction);
    main_.applySelection(inbox_);
    return any ? inbox_.selectedIds() : std::vector<std::int64_t>{};
}

bool MainWindowSteps::acknowledge(const core::Services& s) { return GenerateAcknowledgement(s, inbox_); }

// Waiting for the plug-in runner and the report commands of the main window.
bool MainWindowSteps::runPlugin(const core::Services& s, int) { return notAvailableYet(s, "Running partner plug-ins"); }
bool MainWindowSteps::printReport(const core::Services& s) { return notAvailableYet(s, "Printing reports"); }
bool MainWindowSteps::exportReport(const core::Services& s) { return notAvailableYet(s, "Exporting reports"); }

// Waiting for the outbound translator.
bool MainWindowSteps::processOutbound(const core::Services& s, const integrator::RowKey&, int) {
    return notAvailableYet(s, "The outbound translator");
}

integrator::frmIntegrator* frmMain::integratorWindow() const { return frmIntegrator_; }

void frmMain::showIntegrator() {
    if (!frmIntegrator_) {
        if (!integratorSteps_) integratorSteps_ = std::make_unique<MainWindowSteps>(*this);
        frmIntegrator_ = new integrator::frmIntegrator(services_, *integratorSteps_, this);
        frmIntegrator_->Form_Load();
    }
    frmIntegrator_->show();
    frmIntegrator_->raise();
    frmIntegrator_->activateWindow();
}

}  // namespace vt::mainwindow
