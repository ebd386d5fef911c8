// Tools > Integrator and the run steps the Integrator asks of the main window.

#include "maps/MapTranslator.h"

#include "core/ErrorReporter.h"
#include "integrator/frmIntegrator.h"
#include "folders/Acknowledgement.h"
#include "mainwindow/MainWindowSteps.h"
#include "mainwindow/Reports.h"
#include "folders/UniqueSelection.h"
#include "mainwindow/frmMain.h"
#include "platform/widgets/WindowPlacement.h"
#include "setup/PluginChoice.h"

namespace vt::mainwindow {

std::vector<std::int64_t> MainWindowSteps::selectInbox(const core::Services& s, const integrator::RowKey& key) {
    inbox_ = main_.folderSelection("Inbox");
    const bool any = folders::MakeUniqueSelection(s, inbox_, key.partner, key.transaction, key.version, key.direction);
    main_.applySelection(inbox_);
    return any ? inbox_.selectedIds() : std::vector<std::int64_t>{};
}

bool MainWindowSteps::acknowledge(const core::Services& s) { return folders::GenerateAcknowledgement(s, inbox_); }

// Unattended: no box, failures go to History.
bool MainWindowSteps::runPlugin(const core::Services& s, int mode) {
    return ActiveX(s, main_.reportHost(), setup::pluginRegistry(s.settings), inbox_, main_.folderSelection("Recycled"),
                   mode, true);
}
bool MainWindowSteps::printReport(const core::Services& s) { return PrintReport(s, main_.reportHost(), inbox_, true); }
bool MainWindowSteps::exportReport(const core::Services& s) { return ExportReport(s, main_.reportHost(), inbox_, true); }

// The map is named by its key; the position in the Integrator's list plays no part.
bool MainWindowSteps::processOutbound(const core::Services& s, const integrator::RowKey& key, int) {
    return maps::SharedTranslator()
        .ProcessOutbound(s, maps::MapKey{key.partner, key.transaction, key.version, key.direction}, false)
        .empty();
}

integrator::frmIntegrator* frmMain::integratorWindow() const { return frmIntegrator_; }

void frmMain::showIntegrator() {
    if (!frmIntegrator_) {
        if (!integratorSteps_) integratorSteps_ = std::make_unique<MainWindowSteps>(*this);
        frmIntegrator_ = new integrator::frmIntegrator(services_, *integratorSteps_, this);
        frmIntegrator_->Form_Load();
        widgets::CentreOverOwner(frmIntegrator_, this);
    }
    frmIntegrator_->show();
    frmIntegrator_->raise();
    frmIntegrator_->activateWindow();
}

}  // namespace vt::mainwindow
