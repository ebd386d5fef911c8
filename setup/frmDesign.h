#pragma once
// The report designer window: the designer over the whole client area, editing the template it
// is handed until it closes. One window: a new template replaces the one shown (after asking to
// save unsaved changes) and the window comes to the front.

#include <QWidget>

#include <memory>

namespace vt::report {
class ReportDocument;
class ReportDesigner;
}  // namespace vt::report

namespace vt::setup {

class frmDesign : public QWidget {
    Q_OBJECT
public:
    explicit frmDesign(QWidget* parent = nullptr);
    ~frmDesign() override;

    static frmDesign* Show(std::shared_ptr<report::ReportDocument> report);
    static frmDesign* instance();

    void Form_Load(std::shared_ptr<report::ReportDocument> report);
    void Form_Resize();

    report::ReportDesigner* crxDesigner() const { return crxDesigner_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Asks whether to save changes: a QMessageBox button (Save, Discard, Cancel).
    virtual int askSave();

private:
    report::ReportDesigner* crxDesigner_ = nullptr;
};

}  // namespace vt::setup
