// Before any Qt header: the automation runtime uses names Qt defines as macros.
#include "platform/report/ReportViewer.h"

#include "setup/frmReport.h"

#include "platform/settings/Settings.h"
#include "platform/text/Text.h"
#include "platform/widgets/WindowPlacement.h"
#include "setup/SetupSettings.h"

#include <QPointer>

namespace vt::setup {

namespace {
QPointer<frmReport> gViewerWindow;

}  // namespace

void bringToFront(QWidget* w) {
    if (w->isMinimized()) w->showNormal();
    w->show();
    w->raise();
    w->activateWindow();
}

bool viewerSwitch(const Settings& settings, std::string_view key) {
    const std::string stored = text::trim(settings.get("Viewer", key, "1"));
    // Any number but zero is on, fractions and large numbers too (no rounding to a whole one).
    if (!stored.empty() && stored.find_first_not_of("+-0123456789.") == std::string::npos &&
        stored.find_first_of("0123456789") != std::string::npos)
        return text::val(stored) != 0;
    if (text::equalsNoCase(stored, "False")) return false;
    return true;
}

// ---- frmReport ----

frmReport::frmReport(const Settings& settings, QWidget* parent) : QWidget(parent, Qt::Window), settings_(settings) {
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(QStringLiteral("Report Viewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    crxViewer_ = new report::ReportViewer(this);
    connect(crxViewer_, &report::ReportViewer::zoomLevelChanged, this, &frmReport::crxViewer_ZoomLevelChanged);
    resize(960, 720);
}

frmReport::~frmReport() = default;

frmReport* frmReport::instance() { return gViewerWindow; }

frmReport* frmReport::Show(const Settings& settings, std::shared_ptr<report::ReportDocument> report) {
    if (!gViewerWindow) {
        gViewerWindow = new frmReport(settings);
        widgets::CentreOverOwner(gViewerWindow);
    }
    gViewerWindow->Form_Load(std::move(report));
    bringToFront(gViewerWindow.data());
    return gViewerWindow;
}

void frmReport::Form_Load(std::shared_ptr<report::ReportDocument> report) {
    report::ReportViewer::setExportFolder(QString::fromStdString(folderSetting(settings_, "Export")));
    crxViewer_->setReportSource(std::move(report));
    for (std::string_view key : report::ReportViewer::switchNames())
        crxViewer_->setSwitch(key, viewerSwitch(settings_, key));
    crxViewer_->viewReport();
    Form_Resize();
}

void frmReport::Form_Resize() { crxViewer_->setGeometry(0, 0, width(), height()); }

void frmReport::crxViewer_ZoomLevelChanged(int level) {
    if (level != 100) crxViewer_->setZoomLevel(100);
}

void frmReport::resizeEvent(QResizeEvent*) { Form_Resize(); }

}  // namespace vt::setup
