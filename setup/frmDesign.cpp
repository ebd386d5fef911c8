// Before any Qt header: the automation runtime uses names Qt defines as macros.
#include "platform/report/ReportDesigner.h"

#include "setup/frmDesign.h"

#include "platform/widgets/BoxTitle.h"
#include "platform/widgets/WindowPlacement.h"
#include "setup/frmReport.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPointer>

namespace vt::setup {

namespace {
QPointer<frmDesign> gDesignerWindow;
}  // namespace

frmDesign::frmDesign(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmDesign"));
    setWindowTitle(QStringLiteral("Report Designer"));
    setAttribute(Qt::WA_DeleteOnClose);
    crxDesigner_ = new report::ReportDesigner(this);
    resize(1000, 720);
}

frmDesign::~frmDesign() = default;

frmDesign* frmDesign::instance() { return gDesignerWindow; }

frmDesign* frmDesign::Show(std::shared_ptr<report::ReportDocument> report) {
    if (!gDesignerWindow) {
        gDesignerWindow = new frmDesign();
        widgets::CentreOverOwner(gDesignerWindow);
    }
    // Another template replaces the one on the canvas only when nothing unsaved is lost.
    if (gDesignerWindow->crxDesigner_->isModified() && gDesignerWindow->crxDesigner_->reportObject() != report) {
        const int answer = gDesignerWindow->askSave();
        if (answer == QMessageBox::Cancel) {
            bringToFront(gDesignerWindow.data());
            return gDesignerWindow;
        }
        if (answer == QMessageBox::Save && !gDesignerWindow->crxDesigner_->save()) return gDesignerWindow;
    }
    gDesignerWindow->Form_Load(std::move(report));
    bringToFront(gDesignerWindow.data());
    return gDesignerWindow;
}

void frmDesign::Form_Load(std::shared_ptr<report::ReportDocument> report) {
    crxDesigner_->setReportObject(std::move(report));
    Form_Resize();
}

void frmDesign::Form_Resize() { crxDesigner_->setGeometry(0, 0, width(), height()); }

void frmDesign::resizeEvent(QResizeEvent*) { Form_Resize(); }

int frmDesign::askSave() {
    const auto& doc = crxDesigner_->reportObject();
    const QString name = doc ? QString::fromStdString(doc->path().filename().string()) : QString();
    return widgets::ShowBox(this, QMessageBox::Question, windowTitle(), QStringLiteral("Save the changes to %1?").arg(name),
                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
}

void frmDesign::closeEvent(QCloseEvent* event) {
    if (crxDesigner_->isModified()) {
        const int answer = askSave();
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !crxDesigner_->save())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

}  // namespace vt::setup
