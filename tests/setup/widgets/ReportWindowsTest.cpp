// The report viewer and designer windows over a grouped report: the Viewer switches one by one,
// the zoom hold, the viewer filling the window, a new report replacing the shown one; the
// viewer's pages, search, group tree, drill-down and refresh; the designer moving, adding and
// deleting objects and grouping, saving a template that reopens identically.

// Before any Qt header: the automation runtime uses names Qt defines as macros.
#include "platform/automation/Recordset.h"
#include "platform/report/Document.h"
#include "platform/report/Engine.h"
#include "platform/report/Export.h"
#include "platform/report/FieldDefs.h"
#include "platform/report/ReportDesigner.h"
#include "platform/report/ReportViewer.h"

#include "platform/settings/Settings.h"
#include "platform/widgets/AccessKeys.h"
#include "setup/frmDesign.h"
#include "setup/frmReport.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace vt;
using automation::Variant;
using report::ObjectId;
using report::ReportDocument;
using vt::test::application;

// 60 items of three partners, grouped by partner.
automation::Ref<automation::Recordset> items(int count = 60) {
    auto rs = automation::Recordset::create();
    rs->appendField("Partner", automation::adtype::VarChar, 20);
    rs->appendField("Item", automation::adtype::VarChar, 20);
    rs->appendField("Qty", automation::adtype::Integer);
    rs->open();
    const char* partners[] = {"ACME", "BOLT", "CORE"};
    for (int i = 0; i < count; ++i) {
        rs->addNew();
        rs->setValue(0, Variant(partners[i % 3]));
        rs->setValue(1, Variant("Item " + std::to_string(i + 1)));
        rs->setValue(2, Variant(std::int32_t(i * 3)));
        rs->update();
    }
    return rs;
}

report::Report groupedReport() {
    report::Report r;
    r.title = "Items";
    r.addTextObject(1, "Items by partner", 0, 0).font.size = 14;
    r.section(report::SectionKind::ReportHeader).height = 400;
    r.addGroup("Partner");
    r.addFieldObject(3, "Partner", 0, 0).font.bold = true;
    auto& item = r.addFieldObject(4, "Item", 360, 0);
    item.name = "ItemField";
    r.addFieldObject(4, "Qty", 3000, 0).align = report::Align::Right;
    r.addSpecialField(r.sectionCount() - 1, 17, 4000, 0);
    return r;
}

std::shared_ptr<ReportDocument> groupedDocument(const automation::Ref<automation::Recordset>& rs = items()) {
    auto doc = std::make_shared<ReportDocument>(groupedReport());
    doc->setDataSource(rs);
    return doc;
}

class ReportWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application(); }
    void TearDown() override {
        for (QWidget* w : {static_cast<QWidget*>(setup::frmReport::instance()),
                           static_cast<QWidget*>(setup::frmDesign::instance())})
            if (w) delete w;
    }
    MemorySettings settings;
};

TEST_F(ReportWindows, EachViewerSwitchStoredAsZeroTurnsOffExactlyItsPart) {
    // The order the window applies them in.
    const std::vector<std::string_view> order = {
        "AnimationControl",    "DisplayBackgroundEdge", "DisplayBorder",         "DisplayGroupTree",
        "DisplayTabs",         "DisplayToolbar",        "EnableCloseButton",     "EnableDrillDown",
        "EnableGroupTree",     "EnablePrintButton",     "EnableProgressControl", "EnableRefreshButton",
        "EnableSearchControl", "SearchExpertButton",    "SelectExpertButton",    "EnableStopButton",
        "EnableToolbar",       "EnableZoomControl",     "ExportButton",          "HelpButton",
        "NavigationControls",  "PopupMenu"};
    const auto names = report::ReportViewer::switchNames();
    ASSERT_EQ(std::vector<std::string_view>(names.begin(), names.end()), order);
    {
        setup::frmReport w(settings);
        w.Form_Load(groupedDocument());
        for (std::string_view n : names) EXPECT_TRUE(w.crxViewer()->switchValue(n)) << n;
    }
    for (std::string_view off : names) {
        MemorySettings s;
        s.set("Viewer", off, "0");
        setup::frmReport w(s);
        w.Form_Load(groupedDocument());
        for (std::string_view n : names) EXPECT_EQ(w.crxViewer()->switchValue(n), n != off) << off << " / " << n;
    }
    // Any other number is on; the truth words are read too; anything else keeps the default.
    struct Stored {
        const char* text;
        bool on;
    };
    for (const Stored& st : {Stored{"1", true}, Stored{"-1", true}, Stored{"7", true}, Stored{"0.4", true},
                             Stored{"99999", true}, Stored{" 0 ", false}, Stored{"0.0", false},
                             Stored{"False", false}, Stored{"true", true}, Stored{"x", true}}) {
        MemorySettings s;
        s.set("Viewer", "DisplayGroupTree", st.text);
        EXPECT_EQ(setup::viewerSwitch(s, "DisplayGroupTree"), st.on) << st.text;
    }
}

TEST_F(ReportWindows, TheSwitchesReachTheWidgetsUsersSee) {
    settings.set("Viewer", "DisplayToolbar", "0");
    settings.set("Viewer", "EnableZoomControl", "0");
    settings.set("Viewer", "EnablePrintButton", "0");
    settings.set("Viewer", "DisplayTabs", "0");
    setup::frmReport w(settings);
    w.Form_Load(groupedDocument());
    w.show();
    QApplication::processEvents();
    auto* v = w.crxViewer();
    EXPECT_FALSE(v->toolbar()->isVisible());
    EXPECT_FALSE(v->tabs()->isVisible());
    EXPECT_TRUE(v->groupTree()->isVisible());
    EXPECT_FALSE(v->zoomControl()->isEnabled());
    EXPECT_TRUE(v->searchControl()->isEnabled());
    EXPECT_FALSE(v->action("print")->isEnabled());
    EXPECT_TRUE(v->action("export")->isEnabled());
}

TEST_F(ReportWindows, AViewerWithoutAReportSaysSoReadably) {
    setup::frmReport w(settings);
    w.Form_Load(nullptr);
    w.show();
    QApplication::processEvents();
    auto* page = w.crxViewer()->findChild<QWidget*>(QStringLiteral("pageCanvas"));
    ASSERT_TRUE(page);
    EXPECT_GT(page->width(), QFontMetrics(page->font()).horizontalAdvance(QStringLiteral("No report")));
    EXPECT_GT(page->height(), 2 * QFontMetrics(page->font()).height());
    EXPECT_EQ(w.crxViewer()->progressControl()->text(), QStringLiteral("0 records"));
}

// The viewer's pop-up reaches each entry with a key of its own, and the toolbar buttons it shares
// entries with keep their plain captions.
TEST_F(ReportWindows, TheViewersPopUpHasAnAccessKeyForEachEntry) {
    report::ReportViewer v;
    QStringList keys;
    for (QAction* a : v.popupMenu()->actions()) {
        if (a->isSeparator()) continue;
        const QChar key = widgets::AccessKey(a->text());
        EXPECT_FALSE(key.isNull()) << a->text().toStdString();
        EXPECT_FALSE(keys.contains(key)) << a->text().toStdString();
        keys << key;
    }
    EXPECT_EQ(keys.size(), 8);
    auto* print = v.findChild<QToolBar*>(QStringLiteral("toolbar"))->widgetForAction(v.action("print"));
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(qobject_cast<QToolButton*>(print)->text(), QStringLiteral("Print"));
}

TEST_F(ReportWindows, ZoomReturnsTo100AndTheViewerFillsTheWindow) {
    setup::frmReport w(settings);
    w.Form_Load(groupedDocument());
    w.show();
    for (int zoom : {150, 50, 400}) {
        w.crxViewer()->setZoomLevel(zoom);
        EXPECT_EQ(w.crxViewer()->zoomLevel(), 100) << zoom;
        EXPECT_EQ(w.crxViewer()->zoomControl()->currentText(), QStringLiteral("100%"));
    }
    for (QSize size : {QSize(700, 500), QSize(1100, 300), QSize(400, 900)}) {
        w.resize(size);
        QApplication::processEvents();
        EXPECT_EQ(w.crxViewer()->geometry(), QRect(QPoint(0, 0), size));
    }
}

TEST_F(ReportWindows, ANewReportReplacesTheShownOneInTheSameWindow) {
    auto first = groupedDocument(items(6));
    auto second = groupedDocument(items(60));
    setup::frmReport* w = setup::frmReport::Show(settings, first);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Report Viewer"));
    EXPECT_EQ(w->objectName(), QStringLiteral("frmReport"));
    EXPECT_EQ(w->crxViewer()->pageCount(), 1);
    EXPECT_EQ(setup::frmReport::Show(settings, second), w);
    EXPECT_EQ(w->crxViewer()->reportSource(), second);
    EXPECT_GT(w->crxViewer()->pageCount(), 1);
    // Closing releases the report.
    std::weak_ptr<ReportDocument> held = second;
    first.reset();
    second.reset();
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(setup::frmReport::instance(), nullptr);
    EXPECT_TRUE(held.expired());
}

TEST_F(ReportWindows, ViewerPagesSearchGroupTreeDrillDownAndRefresh) {
    auto rs = items(60);
    auto doc = groupedDocument(rs);
    report::ReportViewer v;
    v.setReportSource(doc);
    v.viewReport();
    v.resize(900, 700);
    const int pages = v.pageCount();
    ASSERT_GT(pages, 1);
    EXPECT_EQ(v.groupTree()->topLevelItemCount(), 3);
    EXPECT_EQ(v.groupTree()->topLevelItem(1)->text(0), QStringLiteral("BOLT"));

    // Item 60 is a CORE item: last group, last page.
    ASSERT_TRUE(v.findNext(QStringLiteral("item 60")));
    EXPECT_EQ(v.currentPage(), pages - 1);
    EXPECT_FALSE(v.findNext(QStringLiteral("Item 61")));
    ASSERT_TRUE(v.findNext(QStringLiteral("BOLT"), QStringLiteral("Partner")));

    v.drillDown(1);
    EXPECT_EQ(v.viewCount(), 2);
    EXPECT_EQ(v.currentView(), 1);
    EXPECT_EQ(v.tabs()->tabText(1), QStringLiteral("BOLT"));
    EXPECT_EQ(v.groupTree()->topLevelItemCount(), 1);
    int bolts = 0;
    for (const auto& page : v.currentLayout()->pages)
        for (const auto& item : page.items)
            if (item.object && item.object->name == "ItemField") ++bolts;
    EXPECT_EQ(bolts, 20);
    v.closeView();
    EXPECT_EQ(v.viewCount(), 1);

    // Refresh takes the record set again.
    rs->addNew();
    rs->setValue(0, Variant("DOCK"));
    rs->setValue(1, Variant("Item 61"));
    rs->setValue(2, Variant(std::int32_t(1)));
    rs->update();
    v.refresh();
    EXPECT_EQ(v.groupTree()->topLevelItemCount(), 4);
    EXPECT_TRUE(v.findNext(QStringLiteral("Item 61")));

    // Keys on the page turn pages.
    v.showPage(0);
    auto* page = v.findChild<QWidget*>(QStringLiteral("pageCanvas"));
    ASSERT_TRUE(page);
    QTest::keyClick(page, Qt::Key_PageDown);
    EXPECT_EQ(v.currentPage(), 1);
    QTest::keyClick(page, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(v.currentPage(), v.pageCount() - 1);
    // Home and End as the viewer's help names them.
    QTest::keyClick(page, Qt::Key_Home);
    EXPECT_EQ(v.currentPage(), 0);
    QTest::keyClick(page, Qt::Key_End);
    EXPECT_EQ(v.currentPage(), v.pageCount() - 1);
}

// A viewer whose save dialog answers with a typed name and a chosen format.
class AnsweringViewer : public report::ReportViewer {
public:
    QString typed;
    int format = report::format::None;
    QString offered;

protected:
    QString chooseExportFile(QString* chosenFilter) override {
        offered = exportFilter();
        for (const QString& f : offered.split(QStringLiteral(";;")))
            if (formatOfFilter(f) == format) *chosenFilter = f;
        return typed;
    }
};

TEST_F(ReportWindows, TheRecordCountAndTheSearchHintReadProperly) {
    for (const auto& [rows, shown] : {std::pair{1, "1 record"}, std::pair{2, "2 records"}}) {
        report::ReportViewer v;
        v.setReportSource(groupedDocument(items(rows)));
        v.viewReport();
        EXPECT_EQ(v.progressControl()->text(), QString::fromLatin1(shown));
    }
    // A toolbar too narrow for its buttons squeezes the box down to its least width.
    report::ReportViewer v;
    QLineEdit* search = v.searchControl();
    EXPECT_GE(std::max(search->minimumWidth(), search->minimumSizeHint().width()),
              search->fontMetrics().horizontalAdvance(search->placeholderText()));
}

TEST_F(ReportWindows, TheViewersExportOffersEachFormatWithItsExtensionAndAddsIt) {
    vt::test::TempFolder dir("viewer-export");
    const QString folder = QString::fromStdString(dir.path.string()) + QLatin1Char('/');
    struct Case {
        const char* typed;
        int format;
        const char* written;
    } cases[] = {
        {"items", report::format::CSV, "items.csv"},
        {"upper.CSV", report::format::CSV, "upper.CSV"},
        {"items.v1", report::format::Excel8, "items.v1.xls"},
        {"paged", report::format::PDF, "paged.pdf"},
        {"notes", report::format::ReportDefinition, "notes.txt"},
    };
    for (const Case& c : cases) {
        AnsweringViewer v;
        v.setReportSource(groupedDocument());
        v.viewReport();
        v.typed = folder + QString::fromLatin1(c.typed);
        v.format = c.format;
        v.action("export")->trigger();
        EXPECT_TRUE(fs::exists(dir.path / c.written)) << c.typed;
        EXPECT_FALSE(v.offered.contains(QStringLiteral("(*)"))) << c.typed;
    }
    EXPECT_TRUE(report::ReportViewer::exportFilter().contains(QStringLiteral("Comma-separated values (CSV) (*.csv *.CSV)")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 5);
}

// The export dialog opens in the Export folder, on the format of the last export (PDF before
// any), with the report's name; ODBC, which makes no file, is not among the file formats.
TEST_F(ReportWindows, TheExportDialogStartsInTheExportFolderWithTheLastFormat) {
    vt::test::TempFolder dir("viewer-export-start");
    settings.set("Folders", "Export", dir.path.string());
    vt::test::TempFolder reports("viewer-export-template");
    ReportDocument(groupedReport()).save(reports.path / "ACME_850_004010_I.RPT");
    auto doc = ReportDocument::open(reports.path / "ACME_850_004010_I.RPT", 1);
    doc->setDataSource(items());
    setup::frmReport* w = setup::frmReport::Show(settings, doc);
    report::ReportViewer* v = w->crxViewer();
    auto dialog = v->exportDialog();
    EXPECT_EQ(fs::path(dialog->directory().absolutePath().toStdString()), fs::canonical(dir.path));
    EXPECT_EQ(report::ReportViewer::formatOfFilter(dialog->selectedNameFilter()), report::ReportViewer::lastExportFormat());
    EXPECT_FALSE(report::ReportViewer::exportFilter().contains(QStringLiteral("ODBC")));
    ASSERT_FALSE(dialog->selectedFiles().isEmpty());
    EXPECT_EQ(fs::path(dialog->selectedFiles().front().toStdString()).stem(), "ACME_850_004010_I");

    // An export in another format makes that one the first offered next time.
    AnsweringViewer other;
    other.setReportSource(doc);
    other.viewReport();
    other.typed = QString::fromStdString((dir.path / "last").string());
    other.format = report::format::Excel8;
    other.action("export")->trigger();
    ASSERT_TRUE(fs::exists(dir.path / "last.xls"));
    EXPECT_EQ(report::ReportViewer::lastExportFormat(), report::format::Excel8);
    EXPECT_EQ(report::ReportViewer::formatOfFilter(v->exportDialog()->selectedNameFilter()), report::format::Excel8);
}

// At 1024 pixels wide every part of the toolbar is on it; none is pushed into its overflow menu.
TEST_F(ReportWindows, TheToolbarFitsAWindow1024PixelsWide) {
    setup::frmReport* w = setup::frmReport::Show(settings, groupedDocument());
    w->resize(1024, 700);
    w->show();
    QApplication::processEvents();
    QToolBar* bar = w->crxViewer()->toolbar();
    EXPECT_LE(bar->sizeHint().width(), bar->width());
    for (QAction* a : bar->actions()) {
        if (a->isSeparator()) continue;
        QWidget* part = bar->widgetForAction(a);
        ASSERT_NE(part, nullptr) << a->text().toStdString();
        EXPECT_TRUE(part->isVisible()) << a->text().toStdString();
        EXPECT_LE(part->geometry().right(), bar->width()) << a->text().toStdString();
    }
}

// A report without records says so on its page.
TEST_F(ReportWindows, AReportWithoutRecordsSaysSoOnItsPage) {
    setup::frmReport* w = setup::frmReport::Show(settings, groupedDocument(items(0)));
    const report::Layout* layout = w->crxViewer()->currentLayout();
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->pages.size(), 1u);
    bool said = false;
    for (const auto& it : layout->pages[0].items) said = said || it.text == report::kNoRecordsText;
    EXPECT_TRUE(said);
}

// Presses on a point of the designer canvas, drags by (dx, dy) pixels and lets go.
void drag(QWidget* canvas, QPoint from, QPoint by) {
    auto send = [canvas](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at), canvas->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(canvas, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, from + by / 2, Qt::LeftButton);
    send(QEvent::MouseMove, from + by, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + by, Qt::NoButton);
}

TEST_F(ReportWindows, TheDesignerMovesEditsAndSavesATemplateThatReopensIdentically) {
    vt::test::TempFolder dir("design");
    const fs::path file = dir.path / "ACME_850_004010_I.RPT";
    ReportDocument(groupedReport()).save(file);
    auto doc = ReportDocument::open(file, 1);

    setup::frmDesign* w = setup::frmDesign::Show(doc);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Report Designer"));
    auto* d = w->crxDesigner();
    EXPECT_EQ(d->reportObject(), doc);

    // Drag the details' item field 30 pixels right and 0 down.
    const int details = 4;
    const auto& field = doc->report().section(details).objects[0];
    const double scale = d->canvas()->logicalDpiX() / 1440.0;
    const int top = report::sectionTops(doc->report())[details - 1];
    const QPoint at(110 + int((field.left + 200) * scale), 10 + int((top + field.top + 100) * scale));
    drag(d->canvas(), at, QPoint(30, 0));
    EXPECT_EQ(d->selection(), (ObjectId{details, 0}));
    EXPECT_NEAR(doc->report().section(details).objects[0].left, 360 + 30 / scale, 2 / scale);
    EXPECT_EQ(doc->report().section(details).objects[0].top, 0);
    EXPECT_TRUE(d->isModified());

    // Keys, a new text, a deleted field, a second group.
    QTest::keyClick(d, Qt::Key_Down);
    EXPECT_EQ(doc->report().section(details).objects[0].top, 20);
    // The arrows move what was just clicked, not the scroll bars around it.
    QTest::keyClick(d->canvas(), Qt::Key_Up);
    EXPECT_EQ(doc->report().section(details).objects[0].top, 0);
    QTest::keyClick(d->canvas(), Qt::Key_Down);
    EXPECT_EQ(doc->report().section(details).objects[0].top, 20);
    d->addObject(report::ObjectKind::Text, 2, 0, 0, "Item");
    d->select({details, 1});
    d->deleteSelected();
    EXPECT_EQ(doc->report().section(details).objects.size(), 1u);
    d->groupBy("Item");
    EXPECT_EQ(doc->report().groups().size(), 2u);

    // Every property of the item field edited in the panel, the colour through its dialog.
    d->select({details, 0});
    QWidget* panel = d->propertiesPanel();
    auto* fontName = panel->findChild<QComboBox*>("fontName");
    ASSERT_TRUE(fontName && fontName->count() > 1);
    const QString family = fontName->itemText(fontName->currentIndex() == 0 ? 1 : 0);
    fontName->setCurrentIndex(fontName->findText(family));
    panel->findChild<QSpinBox*>("fontSize")->setValue(12);
    for (const char* box : {"bold", "italic", "underline", "canGrow"}) panel->findChild<QCheckBox*>(box)->setChecked(true);
    panel->findChild<QComboBox*>("align")->setCurrentIndex(2);
    auto* format = panel->findChild<QLineEdit*>("format");
    ASSERT_TRUE(format->isEnabled());
    format->setText(QStringLiteral(">@@@@"));
    emit format->editingFinished();
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
            dialog->accept();
        }
    });
    panel->findChild<QPushButton*>("color")->click();
    {
        const report::ReportObject& o = doc->report().section(details).objects[0];
        EXPECT_EQ(o.font.name, family.toStdString());
        EXPECT_EQ(o.font.size, 12);
        EXPECT_TRUE(o.font.bold && o.font.italic && o.font.underline && o.canGrow);
        EXPECT_EQ(o.align, report::Align::Right);
        EXPECT_EQ(o.format, ">@@@@");
        EXPECT_EQ(o.color, 0x123456u);
    }
    // A size the panel shows rounded is kept when something else is edited.
    doc->report().section(3).objects[0].font.size = 10.5;
    d->select({3, 0});
    panel->findChild<QCheckBox*>("italic")->setChecked(true);
    EXPECT_TRUE(doc->report().section(3).objects[0].font.italic);
    EXPECT_EQ(doc->report().section(3).objects[0].font.size, 10.5);

    ASSERT_TRUE(d->save());
    EXPECT_FALSE(d->isModified());
    const auto reopened = ReportDocument::open(file, 1);
    EXPECT_TRUE(reopened->report() == doc->report());
    EXPECT_FALSE(reopened->report() == groupedReport());

    // The preview shows the template as it is now.
    QWidget* preview = d->preview();
    ASSERT_TRUE(preview);
    auto* viewer = preview->findChild<report::ReportViewer*>();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->pageCount(), 1);
    preview->close();
}

// Closing the designer over unsaved edits asks first; the answer decides.
TEST_F(ReportWindows, ClosingTheDesignerOverUnsavedEditsAsksFirst) {
    struct Answering : setup::frmDesign {
        int answer = 0, asked = 0;
        int askSave() override {
            ++asked;
            return answer;
        }
    };
    struct Case {
        int answer;
        bool closes, saved;
    };
    for (const Case& c : {Case{QMessageBox::Cancel, false, false}, Case{QMessageBox::Discard, true, false},
                          Case{QMessageBox::Save, true, true}}) {
        SCOPED_TRACE(c.answer);
        vt::test::TempFolder dir("close");
        const fs::path file = dir.path / "ACME_850_004010_I.RPT";
        ReportDocument(groupedReport()).save(file);
        auto doc = ReportDocument::open(file, 1);
        QPointer<Answering> w = new Answering;
        w->answer = c.answer;
        w->Form_Load(doc);
        w->show();
        w->crxDesigner()->select({4, 0});
        w->crxDesigner()->deleteSelected();
        ASSERT_TRUE(w->crxDesigner()->isModified());
        w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(w.isNull(), c.closes);
        if (w) EXPECT_EQ(w->asked, 1);
        EXPECT_EQ(ReportDocument::open(file, 1)->report().section(4).objects.size(), c.saved ? 1u : 2u);
        delete w.data();
    }
}

TEST_F(ReportWindows, DraggingTheResizeHandleResizesTheObject) {
    auto doc = std::make_shared<ReportDocument>(groupedReport());
    auto* d = setup::frmDesign::Show(doc)->crxDesigner();
    const int details = 4;
    d->select({details, 0});
    const report::ReportObject& field = doc->report().section(details).objects[0];
    const int width = field.width, height = field.height;
    const double scale = d->canvas()->logicalDpiX() / 1440.0;
    const int top = report::sectionTops(doc->report())[details - 1];
    const QPoint corner(110 + int((field.left + field.width) * scale), 10 + int((top + field.top + field.height) * scale));
    drag(d->canvas(), corner, QPoint(30, 12));
    EXPECT_NEAR(field.width, width + 30 / scale, 2 / scale);
    EXPECT_NEAR(field.height, height + 12 / scale, 2 / scale);
    EXPECT_EQ(field.left, 360);
    EXPECT_EQ(field.top, 0);
    EXPECT_TRUE(d->isModified());
}

TEST_F(ReportWindows, EverySectionOfTheDesignerCanBePickedByItsNameEvenAnEmptyOne) {
    auto doc = std::make_shared<ReportDocument>(groupedReport());
    ASSERT_EQ(doc->report().section(doc->report().sectionCount()).height, 0);   // the report footer
    setup::frmDesign* w = setup::frmDesign::Show(doc);
    auto* d = w->crxDesigner();
    QWidget* canvas = d->canvas();
    std::set<int> picked;
    for (int y = 0; y < canvas->height(); ++y) {
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(20, y));
        if (d->selection().section > 0) picked.insert(d->selection().section);
    }
    EXPECT_EQ(int(picked.size()), doc->report().sectionCount());
}

}  // namespace

namespace {

// A starter report's field boxes are as wide as the field's size; the designer shows each field's
// name whole in its box anyway, in a smaller font where it must, never larger than the report's.
TEST(ReportDesignerView, FieldBoxesShowTheirNameWhole) {
    application();
    using automation::adtype::Integer;
    using automation::adtype::VarChar;
    const std::vector<report::Column> fields = {
        {"1XX0101", VarChar, 2}, {"1BEG0301", VarChar, 22}, {"2PO10201", Integer, 0}, {"Qty", Integer, 0},
        {"3CTT01WWWWWWWWWW", VarChar, 1}};
    const report::Report starter = report::starterReport(fields, "Items");
    const report::Report shown = report::withFieldNamesWhole(starter);
    int fieldsSeen = 0;
    for (int n = 1; n <= starter.sectionCount(); ++n)
        for (size_t i = 0; i < starter.section(n).objects.size(); ++i) {
            const report::ReportObject& before = starter.section(n).objects[i];
            const report::ReportObject& after = shown.section(n).objects[i];
            if (before.kind != report::ObjectKind::Field) {
                EXPECT_EQ(after.width, before.width);
                continue;
            }
            ++fieldsSeen;
            SCOPED_TRACE(before.field);
            const QString name = QStringLiteral("{%1}").arg(QString::fromStdString(before.field));
            EXPECT_LE(QFontMetricsF(report::qtFont(after.font)).horizontalAdvance(name), after.width);
            EXPECT_LE(after.font.size, before.font.size);
            EXPECT_GE(after.width, before.width);
            // The box grows only when the smallest font is not enough.
            if (after.width > before.width) EXPECT_LE(after.font.size, 6.0);
        }
    EXPECT_EQ(fieldsSeen, 5);
}

}  // namespace
