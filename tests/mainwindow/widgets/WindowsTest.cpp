// How the windows treat a new user: boxes over the window that asked, windows opened over the main
// window, no window closed by a stray key or without a word about its schedules, the focused pane
// plain to see, log descriptions in the free width, a busy exit that still paints, errors pointed
// to, and Print Setup choosing the printer.

#include "integrator/frmIntegrator.h"
#include "maps/ScriptEditor.h"
#include "maps/frmMap.h"
#include "setup/frmDesign.h"
#include "setup/frmReport.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QAbstractItemView>
#include <QCursor>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

namespace vt::test {
namespace {

class Windows : public MainWindow {
protected:
    ~Windows() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmReport") || w->objectName() == QLatin1String("frmDesign") ||
                w->objectName() == QLatin1String("frmMap") || w->objectName() == QLatin1String("frmExchange"))
                w->deleteLater();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The main window where a user has it: shown, active, away from the screen's corner.
    void startActive() {
        start();
        main->setGeometry(100, 80, 680, 480);
        activate(main.get());
    }
    static void activate(QWidget* w) {
        w->activateWindow();
        for (int i = 0; i < 5 && QApplication::activeWindow() != w; ++i) QApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), w);
    }
    static QWidget* topLevel(const char* name) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
        return nullptr;
    }
    // A window stands centred over the main window, as far as the screen allows: on a screen
    // too small for it, it keeps to the screen's edge.
    void expectCentredOverMain(const QWidget* w) {
        ASSERT_NE(w, nullptr);
        const QRect area = main->screen()->availableGeometry();
        const QRect f = w->frameGeometry(), m = main->frameGeometry();
        auto centred = [](int ownerStart, int ownerSize, int size, int areaStart, int areaSize) {
            return std::clamp(ownerStart + (ownerSize - size) / 2, areaStart, std::max(areaStart, areaStart + areaSize - size));
        };
        EXPECT_NEAR(f.x(), centred(m.x(), m.width(), f.width(), area.x(), area.width()), 2) << w->objectName().toStdString();
        EXPECT_NEAR(f.y(), centred(m.y(), m.height(), f.height(), area.y(), area.height()), 2) << w->objectName().toStdString();
    }
};

// ---- Boxes belong to the window that asked; windows open over the main window ----

// The Exchange window's own questions (a new network's name, saving its changes) come up over it,
// not over the main window behind it.
TEST_F(Windows, TheExchangeWindowsQuestionsComeUpOverIt) {
    startActive();
    main->runCommand("mnuExchange");
    QWidget* exchange = topLevel("frmExchange");
    ASSERT_NE(exchange, nullptr);
    activate(exchange);
    main->boxOwners.clear();
    main->inputAnswers = {std::string("Alpha123")};
    main->boxAnswers = {core::vbYes};
    for (const char* button : {"cmdAddNetwork", "cmdModify", "cmdModify"}) {
        auto* b = exchange->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    EXPECT_EQ(main->dialogs.back(), "input Veltrane: Enter Network Name:");
    EXPECT_EQ(main->boxes.back(), "36 Veltrane: Save Network Changes?");
    EXPECT_EQ(main->boxOwners, (std::vector<QWidget*>{exchange, exchange}));
}

TEST_F(Windows, BoxesBelongToTheWindowThatAsked) {
    startActive();
    EXPECT_EQ(main->boxOwner(), main.get());
    main->runCommand("mnuMap");
    QWidget* designer = topLevel("frmMap");
    ASSERT_NE(designer, nullptr);
    activate(designer);
    EXPECT_EQ(main->boxOwner(), designer);

    // The real boxes of the main window, answered as a user would, remember their owner.
    QWidget* boxParent = nullptr;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        boxParent = box->parentWidget();
        static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(main->frmMain::messageBox("Question?", core::vbYesNo | core::vbQuestion, "Veltrane"), core::vbNo);
    EXPECT_EQ(boxParent, designer);
    activate(designer);   // as the desktop gives the asking window back its activation

    QWidget* inputParent = nullptr;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inputParent = box->parentWidget();
        box->setTextValue(QStringLiteral("N1"));
        box->accept();
    });
    EXPECT_EQ(main->frmMain::inputBox("Enter Segment ID:", "Veltrane", ""), std::optional<std::string>("N1"));
    EXPECT_EQ(inputParent, designer);

    // A modal window in front owns what it asks.
    QDialog modal(main.get());
    modal.setObjectName(QStringLiteral("frmModal"));
    QWidget* ownerWhileModal = nullptr;
    QTimer::singleShot(0, [&] {
        ownerWhileModal = main->boxOwner();
        modal.reject();
    });
    modal.exec();
    EXPECT_EQ(ownerWhileModal, &modal);
}

TEST_F(Windows, TheIntegratorExchangeAndReportWindowsOpenOverTheMainWindow) {
    startActive();
    main->runCommand("mnuIntegrator");
    expectCentredOverMain(main->integratorWindow());
    EXPECT_GT(main->integratorWindow()->x(), 100);   // far from the screen's corner
    EXPECT_GT(main->integratorWindow()->y(), 50);
    // A second showing leaves the window where the user put it.
    main->integratorWindow()->move(10, 10);
    main->runCommand("mnuIntegrator");
    EXPECT_EQ(main->integratorWindow()->pos(), QPoint(10, 10));

    activate(main.get());
    main->runCommand("mnuExchange");
    expectCentredOverMain(topLevel("frmExchange"));

    activate(main.get());
    setup::frmReport::Show(settings, nullptr);
    expectCentredOverMain(setup::frmReport::instance());
    activate(main.get());
    setup::frmDesign::Show(nullptr);
    expectCentredOverMain(setup::frmDesign::instance());
}

// ---- No window closes by accident ----

class ScheduledWindows : public Windows {
protected:
    ScheduledWindows() {
        before([](vt::db::Database& db) {
            db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction, CheckInterval, \"Interval\") "
                    "VALUES ('ACME', '850', '004010', 'I', 1, 1)");
            db.exec("INSERT INTO Internet (Network, CheckInterval, \"Interval\") VALUES ('VAN', 1, 0)");
        });
    }
};

TEST_F(ScheduledWindows, ClosingTheIntegratorWithScheduledRowsAsksFirst) {
    startActive();
    main->runCommand("mnuIntegrator");
    integrator::frmIntegrator* w = main->integratorWindow();
    ASSERT_NE(w, nullptr);
    const std::string question =
        "36 Veltrane: Scheduled runs stop when the Integrator is closed.\r\n\r\nClose the Integrator?";
    main->boxes.clear();
    main->boxAnswers = {core::vbNo};
    w->cmdClose_Click();
    EXPECT_EQ(main->boxes, std::vector<std::string>{question});
    EXPECT_TRUE(w->isVisible());
    // The close box asks the same.
    main->boxAnswers = {core::vbNo};
    w->windowHandle()->close();
    EXPECT_EQ(main->boxes.size(), 2u);
    EXPECT_TRUE(w->isVisible());
    main->boxAnswers = {core::vbYes};
    w->cmdClose_Click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->integratorWindow(), nullptr);
}

TEST_F(ScheduledWindows, ClosingTheExchangeWindowWithScheduledNetworksAsksFirst) {
    startActive();
    main->runCommand("mnuExchange");
    QWidget* w = topLevel("frmExchange");
    ASSERT_NE(w, nullptr);
    auto* close = w->findChild<QPushButton*>(QStringLiteral("cmdClose"));
    ASSERT_NE(close, nullptr);
    main->boxes.clear();
    main->boxAnswers = {core::vbNo};
    close->click();
    EXPECT_EQ(main->boxes, std::vector<std::string>{"36 Veltrane: Scheduled sessions stop when the Exchange window is "
                                                    "closed.\r\n\r\nClose the Exchange window?"});
    EXPECT_TRUE(w->isVisible());
    main->boxAnswers = {core::vbNo};
    w->windowHandle()->close();
    EXPECT_TRUE(w->isVisible());
    main->boxAnswers = {core::vbYes};
    w->windowHandle()->close();
    EXPECT_FALSE(w->isVisible());
}

// The program's exit closes them without a second question: "Exit Veltrane?" was asked.
TEST_F(ScheduledWindows, TheExitClosesScheduledWindowsWithoutAskingAgain) {
    startActive();
    main->runCommand("mnuIntegrator");
    main->runCommand("mnuExchange");
    main->boxes.clear();
    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuExit");
    EXPECT_EQ(main->boxes, std::vector<std::string>{"36 Veltrane: Exit Veltrane?"});
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_EQ(topLevel("frmIntegrator"), nullptr);
    EXPECT_EQ(topLevel("frmExchange"), nullptr);
}

TEST_F(ScheduledWindows, AKeyMeantForATabPageNeverPressesAButtonBelowTheTabs) {
    startActive();
    main->runCommand("mnuIntegrator");
    integrator::frmIntegrator* w = main->integratorWindow();
    activate(w);
    QTabBar* tabs = w->sstSchedule()->tabBar();
    // A control of the Data Source page has the focus and is switched off, as a button that has
    // done its work is: the focus falls on to the buttons below the tabs.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    QWidget* control = w->cmdConnect();
    control->setEnabled(true);
    control->setFocus(Qt::MouseFocusReason);
    control->setEnabled(false);
    QWidget* fallen = QApplication::focusWidget();
    ASSERT_NE(qobject_cast<QPushButton*>(fallen), nullptr);
    ASSERT_FALSE(w->sstSchedule()->isAncestorOf(fallen));

    // The Query page: its SQL box is greyed, so a click into it takes no focus; the Space meant
    // for it must press nothing.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
    QTest::mouseClick(w->txtSQL()->viewport(), Qt::LeftButton);
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus == tabs || w->sstSchedule()->currentWidget()->isAncestorOf(focus)) << focus->metaObject()->className();
    main->boxes.clear();
    QTest::keyClick(focus, Qt::Key_Space);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(main->boxes.empty());
    EXPECT_EQ(main->integratorWindow(), w);
}

// The pane keys act on shows its selection in the highlight colour; another pane's is quieter.
TEST_F(Windows, TheFocusedPaneIsPlainToSee) {
    before([](vt::db::Database& db) { addItem(db, "Inbox"); });
    startActive();
    click("Inbox");
    QTreeView* list = main->folderList("Inbox");
    QTreeWidget* tree = main->folderTree();
    auto highlight = [](QWidget* w) { return w->palette().color(QPalette::Active, QPalette::Highlight); };
    list->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(list->hasFocus());
    EXPECT_NE(highlight(list), highlight(tree));
    EXPECT_EQ(highlight(list), QApplication::palette().color(QPalette::Active, QPalette::Highlight));
    tree->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(highlight(tree), QApplication::palette().color(QPalette::Active, QPalette::Highlight));
    EXPECT_NE(highlight(list), highlight(tree));
}

// ---- Results where the user looks ----

TEST_F(Windows, LogDescriptionsTakeTheFreeWidthAndWidthsHoldAcrossRefreshes) {
    before([](vt::db::Database& db) {
        addItem(db, "Inbox");
        addLog(db, "History", "Error", "ACME_850_004010_I - Segment Sequence - Verify Mapping, a longer description");
        addLog(db, "Exchange", "Info", "Receive Session Completed for network VAN with 3 files");
    });
    startActive();
    for (const char* log : {"History", "Exchange"}) {
        SCOPED_TRACE(log);
        click(log);
        QTreeView* list = main->folderList(log);
        QHeaderView* header = list->header();
        ASSERT_EQ(header->count(), 6);
        // The description ends at the list's right edge, whatever the window's width.
        auto fillsTheList = [&] {
            int sum = 0;
            for (int i = 0; i < 6; ++i) sum += header->sectionSize(i);
            EXPECT_EQ(sum, list->viewport()->width());
            for (int i = 0; i < 5; ++i) EXPECT_GT(header->sectionSize(5), header->sectionSize(i)) << i;
        };
        main->setGeometry(0, 0, 800, 600);
        main->picVSplit_MouseDown(1, 0, 0);
        main->picVSplit_MouseUp(1, 1600 - main->vSplitPos(), 0);
        QApplication::processEvents();
        fillsTheList();
        const int wide = header->sectionSize(5);
        main->resize(main->width() - 100, main->height());
        QApplication::processEvents();
        fillsTheList();
        EXPECT_LT(header->sectionSize(5), wide);
        std::vector<int> widths;
        for (int i = 0; i < 6; ++i) widths.push_back(header->sectionSize(i));
        main->lvw_KeyDown(log, 116);   // F5
        main->lvw_ColumnClick(log, 2);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(header->sectionSize(i), widths[size_t(i)]) << i;
    }
    // The icon column of a transaction-set list keeps its width through clicks and refreshes.
    click("Inbox");
    QHeaderView* inbox = main->folderList("Inbox")->header();
    const int icon = inbox->sectionSize(0);
    main->lvw_ItemClick("Inbox", 0);
    main->lvw_KeyDown("Inbox", 116);
    main->lvw_ColumnClick("Inbox", 1);
    EXPECT_EQ(inbox->sectionSize(0), icon);
}

TEST_F(Windows, TheStatusTextPointsToHistoryWhenACommandLoggedErrors) {
    before([](vt::db::Database& db) { addItem(db, "Inbox", "ACME", "Closed", "No", "ST*850*0001~BEG*00~SE*3*0001~"); });
    startActive();
    click("Inbox");
    // No map for the set: validation logs its finding as an error.
    main->runCommand("mnuValidate");
    const std::string status = main->statusText(1);
    EXPECT_NE(status.find("Errors: 1"), std::string::npos) << status;
    EXPECT_NE(status.find("see the History folder"), std::string::npos) << status;
    // The next command starts from a clean status bar.
    main->runCommand("mnuHelpContents");
    EXPECT_EQ(main->statusText(1), "");
}

TEST_F(Windows, AReportWhoseRecordLayoutIsMissingSaysWhichFile) {
    before([](vt::db::Database& db) {
        db.exec("INSERT INTO Inbox (Partner, \"Transaction\", Version, Direction, Status, Acknowledged, TSet) "
                "VALUES ('ACME', '850', '004010', 'I', 'Closed', 'No', 'ST*850*0001~SE*2*0001~')");
        db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction) VALUES ('ACME', '850', '004010', 'I')");
    });
    const fs::path activeX = home.path / "ActiveX";
    fs::create_directories(activeX);
    settings.set("Folders", "ActiveX", activeX.string());
    startActive();
    click("Inbox");
    const fs::path layout = activeX / "ACME_850_004010_I.ADO";
    for (const char* command : {"mnuPrint", "mnuReportViewer", "mnuExport"}) {
        SCOPED_TRACE(command);
        main->boxes.clear();
        main->runCommand(command);
        ASSERT_FALSE(main->boxes.empty());
        EXPECT_EQ(main->boxes.back(), "16 Veltrane: 53 File not found: " + layout.string());
    }
}

// ---- Exit never looks hung ----

TEST_F(Windows, ExitCompactsWithABusyNoteWhileTheWindowStaysPainted) {
    startActive();
    bool noteShown = false, busyPointer = false;
    std::string said;
    QTimer::singleShot(0, [&] {
        auto* note = qobject_cast<QProgressDialog*>(topLevel("frmCompacting"));
        noteShown = note != nullptr;
        busyPointer = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        said = main->statusText(1);
    });
    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuExit");
    EXPECT_TRUE(noteShown);
    EXPECT_TRUE(busyPointer);
    EXPECT_EQ(said, "Compacting the database, please wait...");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(topLevel("frmCompacting"), nullptr);
    EXPECT_TRUE(fs::exists(dbFolder / "Veltrane.mdb"));
    EXPECT_FALSE(fs::exists(dbFolder / "NewVeltrane.mdb"));
}

// The designer's unsaved edits are asked about before anything of the exit runs: its Cancel keeps
// the program, and the connection its save needs, open.
TEST_F(Windows, ExitAsksForTheDesignersUnsavedEditsFirst) {
    before([](vt::db::Database& db) {
        db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction) VALUES ('ACME', '850', '004010', 'I')");
        db.exec("INSERT INTO Segment (Partner, \"Transaction\", Version, Direction, Segment, SegmentIndex, Node) "
                "VALUES ('ACME', '850', '004010', 'I', 'BEG', 1, 1)");
        db.exec("INSERT INTO Element (Partner, \"Transaction\", Version, Direction, Segment, SegmentIndex, ElementIndex) "
                "VALUES ('ACME', '850', '004010', 'I', 'BEG', 1, 1)");
    });
    startActive();
    main->runCommand("mnuMap");
    maps::frmMap* designer = maps::LoadedMapDesigner();
    ASSERT_NE(designer, nullptr);
    designer->txtScript()->setPlainText(QStringLiteral("objScript.Skip"));
    const std::string exitQuestion = "36 Veltrane: Exit Veltrane?";
    const std::string segmentQuestion = "35 Veltrane: Segment Properties\rSave Changes?";
    main->boxes.clear();
    main->boxAnswers = {core::vbYes, core::vbCancel};
    main->runCommand("mnuExit");
    EXPECT_EQ(main->boxes, (std::vector<std::string>{exitQuestion, segmentQuestion}));
    EXPECT_FALSE(main->isUnloaded());
    EXPECT_TRUE(conn().isOpen());
    EXPECT_TRUE(designer->isVisible());

    main->boxes.clear();
    main->boxAnswers = {core::vbYes, core::vbYes};
    main->runCommand("mnuExit");
    EXPECT_EQ(main->boxes, (std::vector<std::string>{exitQuestion, segmentQuestion}));
    EXPECT_TRUE(main->isUnloaded());
    vt::db::Database db;
    core::openApplicationDatabase(db, dbFolder);
    EXPECT_EQ(db.scalarText("SELECT SegmentScript FROM Segment WHERE SegmentIndex = 1"), "objScript.Skip");
}

// ---- Print Setup and Help ----

TEST_F(Windows, PrintSetupChoosesThePrinterPrintsGoTo) {
    startActive();
    main->printerAnswer = mainwindow::frmMain::PrinterChoice{"", (home.path / "out.pdf").string()};
    main->runCommand("mnuPrintSetup");
    EXPECT_EQ(main->printerChoice().outputFile, (home.path / "out.pdf").string());
    main->printerAnswer.reset();   // cancelled: the choice stays
    main->runCommand("mnuPrintSetup");
    EXPECT_EQ(main->printerChoice().outputFile, (home.path / "out.pdf").string());

    // The real dialog offers OK, not Print: it prints nothing itself.
    QString okText;
    main->onDialog = [&](QDialog& dialog) {
        for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>())
            if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) okText = ok->text();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Print Setup"));
        return int(QDialog::Rejected);
    };
    EXPECT_EQ(main->realPrinterSetup({}), std::nullopt);
    EXPECT_EQ(okText, QStringLiteral("OK"));
}

// Debian always has sensible-browser, and often a text-mode www-browser: neither shows a page.
TEST(WebBrowser, OnlyAGraphicalBrowserCounts) {
    TempFolder bin("bin"), data("data");
    auto tool = [&](const char* name, const char* body = "exit 0") {
        const fs::path p = bin.path / name;
        std::ofstream(p) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(p, fs::perms::owner_all);
    };
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    } saved[] = {{"PATH", {}}, {"BROWSER", {}}, {"XDG_DATA_HOME", {}}, {"XDG_DATA_DIRS", {}}};
    for (Saved& s : saved)
        if (const char* v = std::getenv(s.name)) s.value = v;
    ::setenv("PATH", bin.path.c_str(), 1);
    ::unsetenv("BROWSER");
    ::setenv("XDG_DATA_HOME", data.path.c_str(), 1);
    ::setenv("XDG_DATA_DIRS", data.path.c_str(), 1);

    EXPECT_FALSE(mainwindow::frmMain::webBrowserAvailable());   // no xdg-open
    tool("xdg-open");
    tool("sensible-browser");
    tool("www-browser");
    tool("xdg-mime", "echo firefox-esr.desktop");
    EXPECT_FALSE(mainwindow::frmMain::webBrowserAvailable());   // the desktop file names nothing installed
    fs::create_directories(data.path / "applications");
    std::ofstream(data.path / "applications" / "firefox-esr.desktop") << "[Desktop Entry]\nType=Application\n";
    EXPECT_TRUE(mainwindow::frmMain::webBrowserAvailable());
    fs::remove(data.path / "applications" / "firefox-esr.desktop");
    tool("x-www-browser");
    EXPECT_TRUE(mainwindow::frmMain::webBrowserAvailable());

    for (const Saved& s : saved)
        if (s.value) ::setenv(s.name, s.value->c_str(), 1);
        else ::unsetenv(s.name);
}

}  // namespace
}  // namespace vt::test
