#include "integrator/frmIntegrator.h"
#include "tests/integrator/IntegratorFixture.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace vt::integrator {
namespace {

using test::IntegratorDb;
using test::Item;

struct Window : ::testing::Test {
    static void SetUpTestSuite() { test::application(); }
    IntegratorDb t;
    test::FakeSteps steps;
    std::unique_ptr<frmIntegrator> w;
    frmIntegrator& open() {
        w = std::make_unique<frmIntegrator>(t.services, steps);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->Form_Load();
        w->show();
        QApplication::processEvents();
        return *w;
    }
};

TEST_F(Window, AnEmptyTableOpensWithNothingToDo) {
    open();
    EXPECT_EQ(w->windowTitle(), "Integrator");
    EXPECT_EQ(w->lvwTSets()->topLevelItemCount(), 0);
    EXPECT_FALSE(w->cmdModify()->isEnabled());
    EXPECT_FALSE(w->lvwTSets()->isEnabled());
    EXPECT_FALSE(w->cmdProcess()->isEnabled());
    EXPECT_FALSE(w->cmdConnect()->isEnabled());
    EXPECT_FALSE(w->chkTime()->isEnabled());
    EXPECT_TRUE(w->lblEmpty()->isVisible());   // says where transaction sets come from
    EXPECT_FALSE(w->cmdSave()->isEnabled());
    EXPECT_EQ(w->sstSchedule()->count(), 5);
    EXPECT_EQ(w->cboInterval()->count(), 6);
    EXPECT_EQ(w->cboExportFormat()->count(), 28);
    EXPECT_EQ(w->cboExportFormat()->itemText(5), "Rich Text (Exact) Format (RTF)");
}

TEST_F(Window, RowsShowTheirSettingsAndModifySwitchesTheControls) {
    t.addRow({"B", "850", "004010", "I", "Password = 'pw'"});
    t.addRow({"A", "810", "004010", "O", "CheckInterval = 1, \"Interval\" = 1"});
    open();
    ASSERT_EQ(w->lvwTSets()->topLevelItemCount(), 2);
    EXPECT_FALSE(w->lblEmpty()->isVisible());
    EXPECT_EQ(w->lvwTSets()->topLevelItem(0)->text(0), "A");
    EXPECT_EQ(w->windowTitle(), "Integrator -- A_810_004010_O");
    EXPECT_EQ(w->lblDescription()->text(), "Every 30 Minutes");
    EXPECT_EQ(w->chkInterval()->checkState(), Qt::Checked);
    EXPECT_EQ(w->cboInterval()->currentIndex(), 1);
    EXPECT_TRUE(w->chkAcknowledge()->isHidden());
    w->lvwTSets_ItemClick(1);
    EXPECT_EQ(w->windowTitle(), "Integrator -- B_850_004010_I");
    EXPECT_FALSE(w->chkAcknowledge()->isHidden());
    EXPECT_FALSE(w->chkPrint()->isHidden());
    EXPECT_EQ(w->txtPassword()->text(), "pw");
    EXPECT_EQ(w->lblDescription()->text(), "No Event Scheduled");

    w->cmdModify()->click();
    EXPECT_EQ(w->cmdModify()->text(), "Save");
    EXPECT_TRUE(w->chkTime()->isEnabled());
    EXPECT_FALSE(w->lvwTSets()->isEnabled());
    EXPECT_FALSE(w->cmdProcess()->isEnabled());
    w->chkInterval()->click();
    w->chkTime()->click();   // ticking one schedule unticks the other
    EXPECT_FALSE(w->chkInterval()->isChecked());
    w->txtPassword()->setText("new");
    emit w->txtPassword()->textEdited("new");
    t.ui.boxAnswers = {core::vbYes};
    w->cmdModify()->click();
    EXPECT_EQ(w->cmdModify()->text(), "&Modify");
    EXPECT_EQ(t.db.scalarText("SELECT Password || CheckTime FROM Transactions WHERE Partner = 'B'"), "new1");
    EXPECT_TRUE(w->lvwTSets()->isEnabled());
}

// The order in which Tab visits `boxes`, starting at the first (inner widgets of a box count as it).
std::vector<QWidget*> tabOrder(const std::vector<QWidget*>& boxes) {
    std::vector<QWidget*> seen{boxes.front()};
    for (QWidget* at = boxes.front()->nextInFocusChain(); at != boxes.front(); at = at->nextInFocusChain())
        for (QWidget* b : boxes)
            if ((at == b || b->isAncestorOf(at)) && std::find(seen.begin(), seen.end(), b) == seen.end())
                seen.push_back(b);
    return seen;
}

TEST_F(Window, TabFollowsTheLayoutOfTheDataSourceAndQueryTabs) {
    open();
    const std::vector<QWidget*> source = {w->cboDataSourceName(), w->txtUserId(), w->txtPassword(),
                                          w->txtDatabase(), w->cboDriver(), w->txtServer()};
    EXPECT_EQ(tabOrder(source), source);
    const std::vector<QWidget*> query = {w->txtSQL(), w->chkStartDate(), w->dtpStartDate(), w->mskMinus(),
                                         w->chkEndDate(), w->dtpEndDate(), w->mskPlus(), w->cmdExecute()};
    EXPECT_EQ(tabOrder(query), query);
    EXPECT_TRUE(w->txtSQL()->tabChangesFocus());
}

TEST_F(Window, CloseIsRefusedDuringARun) {
    t.addRow({});
    open();
    steps.inbox = {t.add("Inbox", Item{})};
    bool visibleAfterClose = false, processEnabled = true;
    steps.during = [&] {
        w->cmdClose_Click();
        visibleAfterClose = w->isVisible();
        processEnabled = w->cmdProcess()->isEnabled();
    };
    w->cmdProcess()->click();
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(processEnabled);
    EXPECT_TRUE(w->cmdProcess()->isEnabled());
    w->cmdClose_Click();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Window, ExtractionFillsTheGridWhichIsEditedAndSaved) {
    {
        odbc::Connection source;
        source.open("Driver=VtSQLite3;" + odbc::attribute("Database", t.source.string()));
        source.execute("CREATE TABLE po (PO VARCHAR(10), Qty INTEGER)");
        source.execute("INSERT INTO po VALUES ('A', 1), ('B', 2), ('C', 3)");
    }
    t.addRow({"ACME", "855", "004010", "O", t.sqliteSettings("SELECT PO, Qty FROM po ORDER BY PO")});
    open();
    w->cmdConnect()->click();
    EXPECT_TRUE(w->cmdExecute()->isEnabled());
    EXPECT_FALSE(w->cmdModify()->isEnabled());
    EXPECT_FALSE(w->cmdSave()->isEnabled());   // no result to save yet
    w->cmdExecute()->click();
    EXPECT_TRUE(w->cmdSave()->isEnabled());
    EXPECT_EQ(w->sstSchedule()->currentIndex(), 4);
    QTableView* grid = w->msfgResults();
    ASSERT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "Qty");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTest::keyClicks(grid, "5");
    QTest::keyClick(grid, Qt::Key_Return);   // no line break in a value
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "15");
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    grid->setCurrentIndex(grid->model()->index(1, 1));
    w->mnuPopup()->actions().at(7)->trigger();   // Item Rejected
    EXPECT_EQ(grid->model()->index(1, 1).data().toString(), "IR");
    w->cmdSave_Click();
    EXPECT_EQ(t.read(t.import / "ACME_855_004010_O.IMP"), "A\t15\t\r\nC\tIR\t\r\n");
    w->cmdDisconnect()->click();
    EXPECT_FALSE(w->cmdExecute()->isEnabled());
    EXPECT_NE(t.history().find("Info:Disconnected from data source - VtSQLite3"), std::string::npos);
}

// The window's events run while an extraction waits on the driver.
struct PumpingSink : test::RecordingUiSink {
    void yield() override { QApplication::processEvents(); }
};

TEST_F(Window, ALongExtractionShowsItsProgressAndCancelStopsIt) {
    t.addRow({"ACME", "855", "004010", "O",
              t.sqliteSettings("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n")});
    PumpingSink sink;
    const core::Services s{t.db, sink, t.clock, t.settings};
    w = std::make_unique<frmIntegrator>(s, steps);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->Form_Load();
    w->show();
    EXPECT_FALSE(w->cmdCancel()->isVisible());
    w->cmdConnect()->click();
    bool shown = false, closed = true;
    QString during;
    QTimer::singleShot(400, w.get(), [&] {
        shown = w->cmdCancel()->isVisible() && w->cmdCancel()->isEnabled() && w->lblProgress()->isVisible();
        during = w->lblProgress()->text();
        w->close();   // refused while the statement runs
        closed = !w->isVisible();
        w->cmdCancel()->click();
    });
    w->cmdExecute()->click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(during, "Running the statement...");
    EXPECT_FALSE(closed);
    EXPECT_FALSE(w->cmdCancel()->isVisible());
    EXPECT_TRUE(w->cmdExecute()->isEnabled());
    EXPECT_EQ(t.history().substr(t.history().rfind('|') + 1),
              "Warning:Extraction of ACME_855_004010_O cancelled after 0 records; its files are unchanged.");
    EXPECT_TRUE(sink.eventsStartingWith("box").empty());
}

}  // namespace
}  // namespace vt::integrator

namespace vt::test {
namespace {

TEST_F(MainWindow, ExitWaitsForARunningIntegratorBeforeClosingTheDatabase) {
    before([](db::Database& db) {
        db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction) VALUES ('ACME', '850', "
                "'004010', 'I')");
    });
    start();
    FakeSteps steps;
    steps.inbox = {1};
    bool openDuringRun = false;
    steps.during = [&] {
        main->close();
        openDuringRun = conn().isOpen() && !main->isUnloaded();
    };
    integrator::Integrator run(main->services(), steps);
    run.Load();
    run.cmdProcess_Click();
    EXPECT_TRUE(openDuringRun);
    QTest::qWait(250);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_FALSE(conn().isOpen());
}

TEST_F(MainWindow, ToolsIntegratorOpensTheWindowWithTheMainWindowsSteps) {
    before([](db::Database& db) {
        db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction) VALUES ('ACME', '850', "
                "'004010', 'I')");
    });
    start();
    main->commandAction("mnuIntegrator")->trigger();
    integrator::frmIntegrator* w = main->integratorWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->lvwTSets()->topLevelItemCount(), 1);
    // Nothing in the Inbox: the run only warns, through the main window's own steps.
    const long long mark = lastHistoryIndex();
    w->cmdProcess()->click();
    EXPECT_EQ(historySince(mark),
              (std::vector<std::string>{"There are no Transactions to process! ACME_850_004010_I"}));

    // An Inbox row makes the run reach the export, whose translation finds no record layout for the
    // set: the export fails and the row stays.
    conn().exec("INSERT INTO Inbox (Partner, \"Transaction\", Version, Direction) VALUES ('ACME', '850', '004010', 'I')");
    main->RefreshBox("Inbox");
    const long long mark2 = lastHistoryIndex();
    w->cmdProcess()->click();
    EXPECT_EQ(historySince(mark2),
              (std::vector<std::string>{"53 File not found", "Process Failed - ACME_850_004010_I"}));
    EXPECT_EQ(conn().scalarInt("SELECT count(*) FROM Inbox"), 1);

    main->close();
    EXPECT_FALSE(conn().isOpen());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->integratorWindow(), nullptr);
}

}  // namespace
}  // namespace vt::test
