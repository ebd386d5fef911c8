#pragma once
// The report viewer window: the viewer over the whole client area, with the Viewer switches
// applied, holding the report it is handed until it closes. One window: handing a new report to
// the open window shows that one and brings it to the front.

#include <QWidget>

#include <memory>
#include <string_view>

namespace vt {
class Settings;
namespace report {
class ReportDocument;
class ReportViewer;
}  // namespace report
}  // namespace vt

namespace vt::setup {

// A Viewer switch as stored: a number (0 off, any other on, fractions included), else True/False;
// anything else and a missing key are on.
bool viewerSwitch(const Settings& settings, std::string_view key);

// Shows a window, restored from a minimised state, raised and active.
void bringToFront(QWidget* window);

class frmReport : public QWidget {
    Q_OBJECT
public:
    explicit frmReport(const Settings& settings, QWidget* parent = nullptr);
    ~frmReport() override;

    // The window (created on first use), showing `report`, modeless and in front.
    static frmReport* Show(const Settings& settings, std::shared_ptr<report::ReportDocument> report);
    // The open window, or null.
    static frmReport* instance();

    // Takes the report, applies the Viewer switches in their order and views it.
    void Form_Load(std::shared_ptr<report::ReportDocument> report);
    // The viewer fills the client area.
    void Form_Resize();
    // Any zoom but 100 per cent goes back to 100.
    void crxViewer_ZoomLevelChanged(int level);

    report::ReportViewer* crxViewer() const { return crxViewer_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    const Settings& settings_;
    report::ReportViewer* crxViewer_ = nullptr;
};

}  // namespace vt::setup
