// The designer window offscreen: its load order and vocabularies (not doubled on reopen), the map
// list and segment tree, the panels' fill and changed flags, the script editor's Tab key, a drag
// from the reference tree, the tabs, the layout limits and stored layout, and an inbound test run.

#include "DesignerFixture.h"

#include "maps/ReferenceTree.h"
#include "maps/ScriptEditor.h"
#include "setup/frmReport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace vt::test {
namespace {

using maps::Bar;
using maps::frmMap;

std::string str(const QString& s) { return s.toStdString(); }

std::vector<std::string> items(QComboBox* box) {
    std::vector<std::string> out;
    for (int i = 0; i < box->count(); ++i) out.push_back(str(box->itemText(i)));
    return out;
}

// The root texts of the reference tree with their child counts.
std::string referenceRoots(QTreeWidget* tree) {
    std::string out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* r = tree->topLevelItem(i);
        out += (i ? " " : "") + str(r->text(0)) + ":" + std::to_string(r->childCount());
    }
    return out;
}

QTreeWidgetItem* referenceNode(QTreeWidget* tree, const QString& root, const QString& text) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* r = tree->topLevelItem(i);
        if (r->text(0) != root) continue;
        if (text.isEmpty()) return r;
        for (int c = 0; c < r->childCount(); ++c)
            if (r->child(c)->text(0) == text) return r->child(c);
    }
    return nullptr;
}

struct Designer : ::testing::Test {
    DesignerDb d;
    std::unique_ptr<frmMap> w;
    std::vector<std::string> previews;
    std::vector<bool> enabledDuringRun;
    std::vector<bool> closedDuringRun;
    folders::FolderSelection inbox{"Inbox", {}, {}, std::nullopt};

    frmMap& open() {
        frmMap::Host host;
        host.inbox = [this] { return std::optional<folders::FolderSelection>(inbox); };
        host.preview = [this](std::string_view text) {
            previews.emplace_back(text);
            enabledDuringRun.push_back(w->lvwTSets()->isEnabled() || w->tvwTSets()->isEnabled() ||
                                       w->fraSegment()->isEnabled() || w->sstControls()->isEnabled() ||
                                       w->mnuClose()->isEnabled());
            // The panes must outlive the run: the window stays.
            closedDuringRun.push_back(w->close());
        };
        w = std::make_unique<frmMap>(d.services, host);
        w->Form_Load();
        return *w;
    }
    template <class T>
    T* control(const char* name) {
        return qobject_cast<T*>(w->control(name));
    }
    void click(const char* key) { w->tvwTSets_NodeClick(key); }
};

TEST_F(Designer, LoadsItsListsInOrderAndOpensOnTheFirstMap) {
    open();
    EXPECT_EQ(items(control<QComboBox>("cboSegmentUsage")),
              (std::vector<std::string>{"M = Mandatory", "O = Optional", "F = Floating"}));
    EXPECT_EQ(items(control<QComboBox>("cboSegmentLevel")), (std::vector<std::string>{"Heading", "Detail", "Summary"}));
    EXPECT_EQ(items(control<QComboBox>("cboElementUsage")),
              (std::vector<std::string>{"M = Mandatory", "O = Optional", "C = Conditional", "X = Relational"}));
    const auto types = items(control<QComboBox>("cboElementType"));
    ASSERT_EQ(types.size(), 15u);
    EXPECT_EQ(types[4], "R = Decimal");
    EXPECT_EQ(types[14], "N9 = Numeric");

    QTreeWidget* list = w->lvwTSets();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    QStringList headers;
    for (int i = 0; i < list->columnCount(); ++i) headers << list->headerItem()->text(i);
    EXPECT_EQ(headers.join(QLatin1Char('|')), QStringLiteral("Partner|TSet|Version|I/O|Group|Override"));
    EXPECT_EQ(str(list->topLevelItem(1)->text(5)), "004010VICS");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));

    EXPECT_EQ(w->loadedMapKey(), "ACME_850_004010_I");
    EXPECT_EQ(w->selectedNodeKey(), "Segment0101");
    EXPECT_EQ(str(control<QLineEdit>("txtSegment")->text()), "BEG");
    EXPECT_FALSE(w->fraSegment()->isHidden());
    EXPECT_TRUE(w->fraElement()->isHidden());
    EXPECT_FALSE(w->segmentDirty() || w->elementDirty());
    EXPECT_EQ(referenceRoots(w->tvwReference()),
              "Record:29 Methods:9 Properties:15 Functions:93 Statements:27 Operators:21");
    EXPECT_EQ(w->tabs()->currentIndex(), 0);
    EXPECT_EQ(str(w->tabs()->tabText(0)), "Expression Builder");
    EXPECT_TRUE(d.ui.eventsStartingWith("box").empty());

    // Closing and opening again builds every list anew, not on top of the old one.
    w->mnuClose_Click();
    EXPECT_EQ(d.settings.get("Map", "State"), "0");
    open();
    EXPECT_EQ(control<QComboBox>("cboSegmentUsage")->count(), 3);
    EXPECT_EQ(control<QComboBox>("cboElementType")->count(), 15);
    EXPECT_EQ(w->lvwTSets()->topLevelItemCount(), 3);
    EXPECT_EQ(referenceRoots(w->tvwReference()),
              "Record:29 Methods:9 Properties:15 Functions:93 Statements:27 Operators:21");
}

TEST_F(Designer, TheOneInstanceIsMadeAgainAfterClose) {
    frmMap& first = maps::MapDesigner(d.services, {});
    EXPECT_EQ(maps::LoadedMapDesigner(), &first);
    EXPECT_EQ(first.lvwTSets()->topLevelItemCount(), 3);
    first.mnuClose_Click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(maps::LoadedMapDesigner(), nullptr);
    frmMap& second = maps::MapDesigner(d.services, {});
    EXPECT_EQ(second.lvwTSets()->topLevelItemCount(), 3);
    EXPECT_EQ(second.tvwReference()->topLevelItemCount(), 6);
    second.mnuClose_Click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(Designer, AnEmptyMapListShowsTheSegmentPanelAndNoTree) {
    d.db.exec("DELETE FROM Transactions");
    open();
    EXPECT_EQ(w->lvwTSets()->topLevelItemCount(), 0);
    EXPECT_EQ(w->tvwTSets()->topLevelItemCount(), 0);
    EXPECT_FALSE(w->fraSegment()->isHidden());
    EXPECT_TRUE(w->fraElement()->isHidden());
    EXPECT_EQ(w->tvwReference()->topLevelItemCount(), 0);
    EXPECT_TRUE(d.ui.eventsStartingWith("box").empty());
}

TEST_F(Designer, TheTreeNestsLoopsAndChoosingAMapRebuildsIt) {
    open();
    QTreeWidgetItem* n3 = w->treeNode("Segment0205");
    ASSERT_NE(n3, nullptr);
    EXPECT_EQ(str(n3->text(0)), "N3");
    EXPECT_EQ(str(n3->parent()->data(0, Qt::UserRole).toString()), "Segment0104");
    EXPECT_EQ(str(w->treeNode("Segment0106")->parent()->text(0)), "ACME_850_004010_I");
    EXPECT_EQ(str(w->treeNode("Element010101")->text(0)), "BEG01 - ");
    EXPECT_EQ(str(w->treeNode("Element010605")->text(0)), "PO105 - Exclude");
    // A node wider than the pane scrolls sideways instead of being cut.
    QTreeWidgetItem* deep = w->treeNode("Element010605");
    QTreeWidget* tree = deep->treeWidget();
    tree->resize(120, 200);
    tree->scrollToItem(deep);
    QApplication::processEvents();
    const QRect cell = tree->visualItemRect(deep);
    EXPECT_GE(tree->header()->sectionViewportPosition(0) + tree->columnWidth(0),
              cell.x() + tree->fontMetrics().horizontalAdvance(deep->text(0)));
    EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);

    w->lvwTSets_ItemClick(2);
    EXPECT_EQ(w->loadedMapKey(), "BETA_850_004010_O");
    EXPECT_EQ(str(w->treeNode("Segment0203")->parent()->text(0)), "PO1");
    EXPECT_EQ(referenceRoots(w->tvwReference()),
              "Results:0 Record:4 Methods:8 Properties:2 Functions:93 Statements:27 Operators:21");
}

TEST_F(Designer, PanelsFillFromTheRowsAndTrackChanges) {
    d.db.exec("UPDATE Segment SET MaxUsageLoop = 9999999, SegmentName = 'Beginning', Level = 'H', "
              "SegmentScript = 'x = 1' || char(13) || char(10) || 'y = 2' WHERE SegmentIndex = 1");
    d.db.exec("UPDATE Element SET Type = 'N7', ElementName = 'Quantity', Format = '##0' "
              "WHERE SegmentIndex = 6 AND ElementIndex = 2 AND \"Transaction\" = '850'");
    d.db.exec("UPDATE Element SET Type = 'n7' WHERE SegmentIndex = 6 AND ElementIndex = 3 AND \"Transaction\" = '850'");
    open();
    EXPECT_EQ(str(control<QLineEdit>("txtMaxUsageLoop")->text()), ">1");
    EXPECT_EQ(str(control<QLineEdit>("txtSegmentName")->text()), "Beginning");
    EXPECT_EQ(control<QComboBox>("cboSegmentLevel")->currentIndex(), 0);
    EXPECT_EQ(w->scriptText(), "x = 1\r\ny = 2");
    EXPECT_EQ(str(control<QLineEdit>("txtPlaceholders")->text()), "1");

    // An id typed for Add is no change; a description is.
    control<QLineEdit>("txtSegment")->setText("ZZ");
    EXPECT_FALSE(w->segmentDirty());
    control<QLineEdit>("txtSegmentName")->setText("Changed");
    EXPECT_TRUE(w->segmentDirty());

    // Another map: the change is offered for saving into its own map first; No drops it.
    d.ui.boxAnswers = {core::vbNo};
    w->lvwTSets_ItemClick(1);
    EXPECT_FALSE(w->segmentDirty());
    EXPECT_EQ(d.ui.eventsStartingWith("box"),
              std::vector<std::string>{"box 36 Veltrane: Segment Properties\rSave Changes?"});
    EXPECT_EQ(d.db.scalarText("SELECT SegmentName FROM Segment WHERE Partner = 'ACME' AND \"Transaction\" = '850' "
                              "AND SegmentIndex = 1"),
              "Beginning");
    w->lvwTSets_ItemClick(0);

    click("Element010602");
    EXPECT_FALSE(w->fraElement()->isHidden());
    EXPECT_TRUE(w->fraSegment()->isHidden());
    EXPECT_EQ(w->panelKey(), "Element010602");
    EXPECT_EQ(control<QComboBox>("cboElementType")->currentIndex(), 12);
    EXPECT_EQ(str(control<QLineEdit>("txtElementName")->text()), "Quantity");
    EXPECT_EQ(str(control<QLineEdit>("txtFormat")->text()), "##0");
    EXPECT_FALSE(w->elementDirty());
    click("Element010603");   // "n7" is no code: the list stays where it was
    EXPECT_EQ(control<QComboBox>("cboElementType")->currentIndex(), 12);

    w->txtScript()->insertPlainText(QStringLiteral("x"));
    EXPECT_TRUE(w->elementDirty());
    EXPECT_FALSE(w->segmentDirty());
}

TEST_F(Designer, UnsavedPanelsAskBeforeAnotherNodeIsShown) {
    open();
    const std::string question = "box 36 Veltrane: Segment Properties\rSave Changes?";
    auto name = [&] {
        return d.db.scalarText(
            "SELECT SegmentName FROM Segment WHERE Partner = 'ACME' AND \"Transaction\" = '850' AND SegmentIndex = 1");
    };
    // No: the element is shown and the edit is gone.
    control<QLineEdit>("txtSegmentName")->setText("Beginning");
    d.ui.boxAnswers = {core::vbNo};
    click("Element010101");
    EXPECT_EQ(d.ui.eventsStartingWith("box"), std::vector<std::string>{question});
    EXPECT_EQ(w->panelKey(), "Element010101");
    EXPECT_EQ(name(), "");

    // Yes: the segment is saved and shown again instead of the element.
    click("Segment0101");
    control<QLineEdit>("txtSegmentName")->setText("Beginning");
    d.ui.events.clear();
    d.ui.boxAnswers = {core::vbYes};
    click("Element010102");
    EXPECT_EQ(d.ui.eventsStartingWith("box"), std::vector<std::string>{question});
    EXPECT_EQ(name(), "Beginning");
    EXPECT_EQ(w->panelKey(), "Segment0101");
    EXPECT_EQ(w->selectedNodeKey(), "Segment0101");
    EXPECT_FALSE(w->fraSegment()->isHidden());
    EXPECT_FALSE(w->segmentDirty());

    // The same segment clicked again asks too; the script of an element asks for the element.
    w->txtScript()->setPlainText(QStringLiteral("x = 1"));
    d.ui.events.clear();
    d.ui.boxAnswers = {core::vbNo};
    click("Segment0101");
    EXPECT_EQ(d.ui.eventsStartingWith("box"), std::vector<std::string>{question});
    click("Element010102");
    w->txtScript()->setPlainText(QStringLiteral("y = 2"));
    d.ui.events.clear();
    d.ui.boxAnswers = {core::vbYes};
    click("Segment0102");
    EXPECT_EQ(d.ui.eventsStartingWith("box"),
              std::vector<std::string>{"box 36 Veltrane: Element Properties\rSave Changes?"});
    EXPECT_EQ(d.db.scalarText("SELECT ElementScript FROM Element WHERE Partner = 'ACME' AND \"Transaction\" = '850' "
                              "AND SegmentIndex = 1 AND ElementIndex = 2"),
              "y = 2");
    EXPECT_EQ(w->panelKey(), "Element010102");
}

TEST_F(Designer, PanelButtonsEditTheMapAndRebuildTheTree) {
    open();
    auto press = [&](const char* name) { static_cast<QToolButton*>(w->control(name))->click(); };
    auto ids = [&] {
        return d.db.scalarText("SELECT group_concat(Segment, ' ') FROM (SELECT Segment FROM Segment WHERE "
                               "Partner = 'ACME' AND \"Transaction\" = '850' ORDER BY SegmentIndex)");
    };
    // The id of a new segment is asked for; a refused one comes back to be corrected.
    d.ui.inputAnswers = {std::string("c"), std::string(" cur ")};
    press("cmdAddSegment");
    EXPECT_EQ(d.ui.eventsStartingWith("input"),
              (std::vector<std::string>{"input Veltrane: Enter Segment ID: []", "input Veltrane: Enter Segment ID: [c]"}));
    EXPECT_EQ(d.ui.eventsStartingWith("box"), std::vector<std::string>{"box 16 Veltrane: Invalid Segment Length Min(2)"});
    EXPECT_EQ(ids(), "BEG CUR REF DTM N1 N3 PO1 PID CTT");
    EXPECT_EQ(w->selectedNodeKey(), "Segment0102");
    EXPECT_EQ(str(w->treeNode("Segment0102")->text(0)), "CUR");
    EXPECT_EQ(str(control<QLineEdit>("txtSegment")->text()), "CUR");
    EXPECT_TRUE(control<QLineEdit>("txtSegment")->isReadOnly());   // Save keeps the id
    d.ui.events.clear();
    press("cmdDuplicateSegment");   // cancelled: nothing changes
    EXPECT_EQ(d.ui.eventsStartingWith("input"), std::vector<std::string>{"input Veltrane: Enter Segment ID: [CUR]"});
    EXPECT_EQ(ids(), "BEG CUR REF DTM N1 N3 PO1 PID CTT");

    control<QLineEdit>("txtPlaceholders")->setText("0");
    press("cmdSaveSegment");
    EXPECT_EQ(str(control<QLineEdit>("txtPlaceholders")->text()), "1");
    EXPECT_FALSE(w->segmentDirty());

    d.ui.boxAnswers = {core::vbYes};
    press("cmdDeleteSegment");
    EXPECT_EQ(d.ui.eventsStartingWith("box").back(), "box 36 Veltrane: Delete 02CUR Segment");
    EXPECT_EQ(ids(), "BEG REF DTM N1 N3 PO1 PID CTT");
    EXPECT_EQ(w->selectedNodeKey(), "Segment0101");

    click("Element010102");
    press("cmdAddElement");
    EXPECT_NE(w->treeNode("Element010106"), nullptr);
    EXPECT_EQ(w->selectedNodeKey().substr(0, 7), "Element");
}

TEST_F(Designer, FileMenuShowsTheGuidelineOfTheMap) {
    open();
    w->mnuGuideline()->trigger();
    ASSERT_NE(setup::frmReport::instance(), nullptr);
    EXPECT_TRUE(d.ui.eventsStartingWith("box").empty());
    setup::frmReport::instance()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(Designer, ClicksStoreTheExpandedStateAndTheRootLocksThePanels) {
    open();
    auto expanded = [&] { return d.db.scalarInt("SELECT Expanded FROM Segment WHERE \"Transaction\" = '850' AND SegmentIndex = 4"); };
    click("Segment0104");
    EXPECT_EQ(expanded(), 1);
    w->tvwTSets_Collapse("Segment0104");
    EXPECT_EQ(expanded(), 0);
    click("Root");
    EXPECT_FALSE(w->fraSegment()->isEnabled());
    EXPECT_FALSE(w->sstControls()->isEnabled());
    EXPECT_FALSE(w->fraSegment()->isHidden());
    click("Segment0104");
    EXPECT_TRUE(w->fraSegment()->isEnabled());
    EXPECT_TRUE(w->sstControls()->isEnabled());
}

TEST_F(Designer, TabTypesATabWhateverTheModifier) {
    open();
    maps::ScriptEditor* ed = w->txtScript();
    ed->setPlainText(QStringLiteral("ab"));
    QTextCursor c = ed->textCursor();
    c.setPosition(1);
    ed->setTextCursor(c);
    QTest::keyClick(ed, Qt::Key_Tab);
    QTest::keyClick(ed, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(ed, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(str(ed->toPlainText()), "a\t\t\tb");
    // A selection is replaced.
    c.setPosition(0);
    c.setPosition(2, QTextCursor::KeepAnchor);
    ed->setTextCursor(c);
    QTest::keyClick(ed, Qt::Key_Tab);
    EXPECT_EQ(str(ed->toPlainText()), "\t\t\tb");
    EXPECT_TRUE(ed->font().fixedPitch() || QFontInfo(ed->font()).fixedPitch());
}

TEST_F(Designer, ADraggedNodeDropsItsExactText) {
    open();
    click("Element010101");
    w->txtScript()->setPlainText(QStringLiteral("ab"));
    w->txtScript()->show();
    w->txtScript()->resize(400, 200);
    struct Case {
        const char* root;
        const char* node;
        const char* expected;
    } cases[] = {
        {"Properties", "objScript.CurrentElement", "objScript.CurrentElement"},
        {"Operators", "<=", "<="},
        {"Functions", "", "Functions"},
        {"Methods", "objScript.LinesToRecord Record ", "objScript.LinesToRecord Record "},
    };
    for (const Case& c : cases) {
        QTreeWidgetItem* item = referenceNode(w->tvwReference(), QString::fromLatin1(c.root), QString::fromLatin1(c.node));
        ASSERT_NE(item, nullptr) << c.node;
        std::unique_ptr<QMimeData> data(w->tvwReference()->dragData(item));
        EXPECT_EQ(str(data->text()), c.expected);

        // Dropped at the start of the editor: inserted there, the tree keeps its node.
        w->txtScript()->setPlainText(QStringLiteral("ab"));
        d.services.ui.status(1, "");
        const int before = w->tvwReference()->topLevelItemCount();
        QWidget* target = w->txtScript()->viewport();
        const QPointF at(1, 1);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_EQ(str(w->txtScript()->toPlainText()), std::string(c.expected) + "ab");
        EXPECT_EQ(w->tvwReference()->topLevelItemCount(), before);
        EXPECT_TRUE(w->elementDirty());
    }
}

TEST_F(Designer, TabsShowTheirPanesAndTheCentreBar) {
    open();
    auto shown = [&] {
        return std::string(w->txtScript()->isHidden() ? "-" : "S") + (w->tvwReference()->isHidden() ? "-" : "R") +
               (w->bar(Bar::VSplitCenter)->isHidden() ? "-" : "C") + (w->txtImmediate()->isHidden() ? "-" : "I") +
               (w->txtTransaction()->isHidden() ? "-" : "T");
    };
    EXPECT_EQ(shown(), "SRC--");
    w->tabs()->setCurrentIndex(1);
    EXPECT_EQ(shown(), "---I-");
    w->tabs()->setCurrentIndex(2);
    EXPECT_EQ(shown(), "----T");
    w->tabs()->setCurrentIndex(0);
    EXPECT_EQ(shown(), "SRC--");
    // Whatever tab was last shown, the window opens on the first.
    w->tabs()->setCurrentIndex(2);
    w->mnuClose_Click();
    open();
    EXPECT_EQ(w->tabs()->currentIndex(), 0);
    EXPECT_EQ(shown(), "SRC--");
}

TEST_F(Designer, LayoutDefaultsLimitsAndTheStoredRectangle) {
    open();
    const double tpp = w->twipsPerPixel();
    const QRect screen = w->screen()->geometry();
    EXPECT_NEAR(w->width() * tpp, screen.width() * tpp * 0.75, tpp);
    EXPECT_NEAR(w->pos().x() * tpp, (screen.width() * tpp - screen.width() * tpp * 0.75) / 2, tpp);
    // The bars start from the design size and the resize pulls them inside the window.
    const maps::DesignerBars b = w->bars();
    EXPECT_EQ(b.vl, 6000);
    EXPECT_LE(b.vr, w->clientWidth() - 1000);
    EXPECT_LE(b.hs, w->clientHeight() - 2000);

    // The window's smallest size: 8400 high, 6000 wide.
    w->resize(w->width(), int(8000 / tpp));
    w->Form_Resize();
    EXPECT_NEAR(w->height() * tpp, 8400, tpp);
    w->resize(int(5000 / tpp), w->height());
    w->Form_Resize();
    EXPECT_NEAR(w->width() * tpp, 6000, tpp);

    // Bars released beyond their limits rest at them; a right button ends a drag like a release.
    w->resize(int(15000 / tpp), int(12000 / tpp));
    w->Form_Resize();
    w->bar_MouseDown(Bar::VSplitCenter, 1, 50, 10);
    EXPECT_TRUE(w->barDragging(Bar::VSplitCenter));
    w->bar_MouseMove(Bar::VSplitCenter, 1, -2000, 10);
    w->bar_MouseUp(Bar::VSplitCenter, 1, -5000, 10);
    EXPECT_FALSE(w->barDragging(Bar::VSplitCenter));
    EXPECT_EQ(w->bars().vc, 3500);
    w->bar_MouseDown(Bar::HSplit, 1, 10, 50);
    w->bar_MouseUp(Bar::HSplit, 1, 10, -6000);
    EXPECT_EQ(w->bars().hs, 4300);
    const maps::DesignerBars before = w->bars();
    w->bar_MouseDown(Bar::VSplitRight, 2, 40, 0);
    EXPECT_FALSE(w->barDragging(Bar::VSplitRight));
    EXPECT_EQ(w->bars().vr, before.vr + 40);
    w->bar_MouseDown(Bar::VSplitRight, 1, 40, 0);
    w->bar_MouseUp(Bar::VSplitRight, 1, -(w->bars().vr - w->bars().vl - 500), 0);
    EXPECT_EQ(w->bars().vr, w->bars().vl + 1000);

    // A maximized window keeps its stored normal rectangle.
    w->MainLayout("SAVE");
    const std::string width = d.settings.get("Map", "Width");
    EXPECT_EQ(width, std::to_string(int(std::lround(w->width() * tpp))));
    EXPECT_EQ(d.settings.get("Map", "VSplitCenter"), "3500");
    EXPECT_EQ(d.settings.get("Map", "HSplit"), "4300");
    w->setWindowState(Qt::WindowMaximized);
    d.settings.set("Map", "Width", "12345");
    w->MainLayout("save");
    EXPECT_EQ(d.settings.get("Map", "State"), "2");
    EXPECT_EQ(d.settings.get("Map", "Width"), "12345");
    w->MainLayout("store");   // not an action: nothing is written
    w->setWindowState(Qt::WindowNoState);
    d.settings.set("Map", "Width", "9000");
    d.settings.set("Map", "Height", "9000");
    d.settings.set("Map", "VSplitLeft", "4000");
    w->MainLayout("Load");
    EXPECT_NEAR(w->width() * tpp, 9000, tpp);
    EXPECT_EQ(w->bars().vl, 4000);
}

TEST_F(Designer, AnInboundTestRunEchoesIntoThePanesWithTheControlsOff) {
    d.addSet(set850("0001", "PO-1"));
    d.addSet(set810(), "810");
    open();
    inbox = d.list("Inbox", {0});
    static_cast<QToolButton*>(w->control("cmdSegmentProcess"))->click();
    ASSERT_EQ(previews.size(), 1u);
    EXPECT_EQ(enabledDuringRun, std::vector<bool>{false});
    EXPECT_EQ(closedDuringRun, std::vector<bool>{false});
    EXPECT_TRUE(w->lvwTSets()->isEnabled() && w->tvwTSets()->isEnabled() && w->sstControls()->isEnabled() &&
                w->mnuClose()->isEnabled());
    const std::string transaction = str(w->txtTransaction()->toPlainText());
    EXPECT_EQ(transaction.substr(0, 27), "ST*850*0001\nBEG*00*SA*PO-1*");
    // The last segment matched is the one selected.
    EXPECT_EQ(str(w->txtTransaction()->textCursor().selectedText()), "CTT");
    const std::string immediate = str(w->txtImmediate()->toPlainText());
    EXPECT_NE(immediate.find("1BEG03 = PO-1"), std::string::npos) << immediate;
    EXPECT_EQ(d.column("Inbox", "Status"), "Opened|Closed");
    // The result shows in the designer, where the user looks, not only behind it.
    EXPECT_EQ(w->statusText(), "ACME_850_004010_I Translated: 1 Errors: 0");

    // A set that fails points to the History folder for the why.
    d.db.exec("UPDATE Segment SET SegmentScript = 'x = 1 / 0' WHERE Partner = 'ACME' AND \"Transaction\" = '850' "
              "AND SegmentIndex = 1");
    d.ui.boxAnswers = {core::vbOK};
    w->cmdProcess_Click();
    const std::string said = w->statusText();
    EXPECT_NE(said.find("ACME_850_004010_I Translated: 1 Errors: 1"), std::string::npos) << said;
    // The pointer first, where a narrow window cannot cut it off.
    EXPECT_LT(said.find("errors logged: see the History folder"), said.find("ACME_850_004010_I Translated")) << said;
    d.db.exec("UPDATE Segment SET SegmentScript = '' WHERE Partner = 'ACME' AND \"Transaction\" = '850'");

    // The Inbox selection must be of the map chosen in the list.
    inbox = d.list("Inbox", {1});
    w->cmdProcess_Click();
    EXPECT_EQ(d.ui.eventsStartingWith("box").back(),
              "box 48 Veltrane: Selected Inbox Transaction does not match currently selected Transaction");
    inbox = d.list("Inbox", {});
    w->cmdProcess_Click();
    EXPECT_EQ(d.ui.eventsStartingWith("box").back(), "box 48 Veltrane: The Inbox is empty! ");

    // An outbound map runs the outbound translator; without the Integrator's files it fails,
    // logged, and the designer is usable again.
    w->lvwTSets_ItemClick(2);
    d.ui.history.clear();
    static_cast<QToolButton*>(w->control("cmdSegmentProcess"))->click();
    ASSERT_FALSE(d.ui.history.empty());
    EXPECT_EQ(d.ui.history.back().type, "Error");
    EXPECT_TRUE(w->lvwTSets()->isEnabled() && w->sstControls()->isEnabled());
    EXPECT_NE(w->statusText().find("see the History folder"), std::string::npos) << w->statusText();
}

// What is typed into the panels is stored nowhere else: closing asks, and Cancel keeps the
// window with the edits.
TEST_F(Designer, ClosingWithUnsavedEditsAsksSaveDiscardOrCancel) {
    auto stored = [&](const char* column, const char* where) {
        return d.db.scalarText(std::string("SELECT ") + column + " FROM " +
                               (std::string(column) == "ElementScript" ? "Element" : "Segment") +
                               " WHERE Partner = 'ACME' AND \"Transaction\" = '850' AND " + where);
    };
    const std::string segmentQuestion = "box 35 Veltrane: Segment Properties\rSave Changes?";
    open();
    w->show();
    EXPECT_TRUE(w->close());   // nothing edited: no question
    EXPECT_TRUE(d.ui.eventsStartingWith("box").empty());

    open();
    w->show();
    w->txtScript()->setPlainText(QStringLiteral("objScript.Skip"));
    d.ui.boxAnswers = {core::vbCancel};
    w->mnuClose()->trigger();
    EXPECT_EQ(d.ui.eventsStartingWith("box"), std::vector<std::string>{segmentQuestion});
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->scriptText(), "objScript.Skip");
    EXPECT_TRUE(w->segmentDirty());

    // The close box asks the same; Yes saves, and the script is there in the next window.
    d.ui.events.clear();
    d.ui.boxAnswers = {core::vbYes};
    w->windowHandle()->close();
    EXPECT_EQ(d.ui.eventsStartingWith("box"), std::vector<std::string>{segmentQuestion});
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(stored("SegmentScript", "SegmentIndex = 1"), "objScript.Skip");
    open();
    EXPECT_EQ(w->scriptText(), "objScript.Skip");

    // No drops the edit of an element and closes.
    w->show();
    click("Element010102");
    const std::string before = stored("ElementScript", "SegmentIndex = 1 AND ElementIndex = 2");
    w->txtScript()->setPlainText(QStringLiteral("y = 2"));
    d.ui.events.clear();
    d.ui.boxAnswers = {core::vbNo};
    EXPECT_TRUE(w->close());
    EXPECT_EQ(d.ui.eventsStartingWith("box"),
              std::vector<std::string>{"box 35 Veltrane: Element Properties\rSave Changes?"});
    EXPECT_EQ(stored("ElementScript", "SegmentIndex = 1 AND ElementIndex = 2"), before);
}

}  // namespace
}  // namespace vt::test
