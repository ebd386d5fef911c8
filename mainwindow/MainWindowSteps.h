#pragma once
// The steps of an Integrator run as the main window performs them on its Inbox list.

#include "integrator/Integrator.h"
#include "folders/Selection.h"

namespace vt::mainwindow {

class frmMain;

class MainWindowSteps final : public integrator::IntegratorSteps {
public:
    explicit MainWindowSteps(frmMain& main) : main_(main) {}
    std::vector<std::int64_t> selectInbox(const core::Services& s, const integrator::RowKey& key) override;
    bool acknowledge(const core::Services& s) override;
    bool runPlugin(const core::Services& s, int mode) override;
    bool printReport(const core::Services& s) override;
    bool exportReport(const core::Services& s) override;
    bool processOutbound(const core::Services& s, const integrator::RowKey& key, int position) override;

private:
    frmMain& main_;
    folders::FolderSelection inbox_;   // the selection the run works on, by row id
};

}  // namespace vt::mainwindow
