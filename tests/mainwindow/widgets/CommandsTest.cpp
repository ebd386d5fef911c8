#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <QApplication>

#include <set>

namespace {

namespace fs = std::filesystem;
namespace core = vt::core;
using namespace vt::test;

// ---- Commands ----

struct CommandCase {
    const char* name;
    const char* history;   // nullptr: the command writes no row
};

const CommandCase kMenuCommands[] = {
    {"mnuOpenInbound", "Selected [File] - [Open] - [Inbound]"},
    {"mnuOpenOutbound", "Selected [File] - [Open] - [Outbound]"},
    {"mnuExport", "Selected [File] - [Export]"},
    {"mnuPrint", "Selected [Print] - [Report]"},
    {"mnuPrintSetup", "Selected [File] - [Print Setup]"},
    {"mnuProperties", "Selected [File] - [Properties]"},
    {"mnuExit", "Selected [File] - [Exit]"},
    {"mnuSelectionFilter", "Selected [Edit] - [Selection Filter]"},
    {"mnuSelectAll", "Selected [Edit] - [Select All]"},
    {"mnuEditData", "Selected [Edit] - [Edit Data]"},
    {"mnuFind", "Selected [Edit] - [Find]"},
    {"mnuDelete", "Selected [Edit] - [Delete]"},
    {"mnuMarkAsClosed", "Selected [Edit] - [Mark As Closed]"},
    {"mnuFolderBar", "Selected [View] - [Folder Bar]"},
    {"mnuStatusBar", "Selected [View] - [Status Bar]"},
    {"mnuSortByColumn", "Selected [View] - [Sort By]"},
    {"mnuSortByColumn2", "Selected [View] - [Sort By]"},
    {"mnuAscending", "Selected [View] - [Sort Order] - [Ascending]"},
    {"mnuDescending", "Selected [View] - [Sort Order] - [Descending]"},
    {"mnuColumns", "Selected [View] - [Columns]"},
    {"mnuReportViewer", "Selected [View] - [Report]"},
    {"mnuRefresh", "Selected [View] - [Refresh]"},
    {"mnuPartners", "Selected [Setup] - [Partners]"},
    {"mnuMap", "Selected [Setup] - [Map Designer]"},
    {"mnuOptions", "Selected [Setup] - [Options]"},
    {"mnuAccount", "Selected [Setup] - [Account]"},
    {"mnuExchange", "Selected [Tools] - [Exchange]"},
    {"mnuActiveX", "Selected [ActiveX]"},
    {"mnuGenerateAcknowledgement", "Selected [Tools] - [Generate Acknowledgement]"},
    {"mnuIntegrator", "Selected [Tools] - [Integrator]"},
    {"mnuValidate", "Selected [Tools] - [Validate]"},
    {"mnuDesignReport", "Selected [Tools] - [Designer] - [Viewer Report]"},
    {"mnuDesignExport", "Selected [Tools] - [Designer] - [Export Report]"},
    {"mnuDesignActiveX", "Selected [Tools] - [Designer] - [ActiveX Report]"},
    {"mnuHelpContents", nullptr},
    {"mnuAbout", nullptr},
    {"mnuOutbox", nullptr},
    {"mnuSent", nullptr},
};

class Commands : public MainWindow {
protected:
    // The Inbox shown with a selected item, so every item command is on.
    void startInInbox() {
        before([](vt::db::Database& db) {
            addItem(db, "Inbox");
            addItem(db, "Outbox");
        });
        start();
        click("Inbox");
        main->boxAnswers.clear();
    }
    // Runs `run` and returns the History rows it wrote; a question it asks is answered No.
    std::vector<std::string> logged(const std::function<void()>& run) {
        main->boxAnswers = {core::vbNo};
        const long long last = lastHistoryIndex();
        run();
        return historySince(last);
    }
    static std::vector<std::string> expected(const char* history) {
        return history ? std::vector<std::string>{history} : std::vector<std::string>{};
    }
    // The command's own row comes first; what the command then does may log more.
    static std::vector<std::string> first(std::vector<std::string> rows) {
        if (rows.size() > 1) rows.resize(1);
        return rows;
    }
};

TEST_F(Commands, EveryMenuCommandWritesItsHistoryTextFirst) {
    startInInbox();
    for (const CommandCase& c : kMenuCommands) {
        QAction* a = main->commandAction(c.name);
        ASSERT_NE(a, nullptr) << c.name;
        // Move To is enabled only where it moves from; the handler is what is tested here.
        if (!a->isEnabled()) a->setEnabled(true);
        EXPECT_EQ(first(logged([&] { a->trigger(); })), expected(c.history)) << c.name;
    }
    EXPECT_TRUE(main->isVisible());
    // Tools > Exchange... shows the Exchange window.
    const auto windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::any_of(windows.begin(), windows.end(), [](QWidget* w) {
        return w->objectName() == QLatin1String("frmExchange") && w->isVisible();
    }));
    // Setup > Map Designer... shows the designer window, loaded with the maps.
    EXPECT_TRUE(std::any_of(windows.begin(), windows.end(), [](QWidget* w) {
        return w->objectName() == QLatin1String("frmMap") && w->isVisible();
    }));
    EXPECT_NE(main->integratorWindow(), nullptr);
    EXPECT_EQ(main->dialogs, (std::vector<std::string>{"open Open Inbound", "open Open Outbound", "printer",
                                                       "dialog frmProperties", "input Find: Find What:",
                                                       "dialog frmColumns", "dialog frmPartners", "dialog frmOptions",
                                                       "dialog frmAccount", "help Welcome.htm", "dialog frmAbout"}));
}

TEST_F(Commands, ReportAndPluginCommandsActOnlyOnTheFourSetFolders) {
    startInInbox();
    settings.set("Folders", "Reports", (home.path / "Reports").string());
    const CommandCase commands[] = {
        {"mnuExport", "Selected [File] - [Export]"},
        {"mnuPrint", "Selected [Print] - [Report]"},
        {"mnuReportViewer", "Selected [View] - [Report]"},
        {"mnuDesignReport", "Selected [Tools] - [Designer] - [Viewer Report]"},
        {"mnuDesignExport", "Selected [Tools] - [Designer] - [Export Report]"},
        {"mnuDesignActiveX", "Selected [Tools] - [Designer] - [ActiveX Report]"},
        {"mnuActiveX", "Selected [ActiveX]"},
    };
    for (const char* node : {"History", "Exchange"}) {
        click(node);
        main->boxes.clear();
        for (const CommandCase& c : commands)
            EXPECT_EQ(logged([&] { main->runCommand(c.name); }), expected(c.history)) << node << " " << c.name;
        EXPECT_TRUE(main->boxes.empty()) << node;
    }
    // On the Inbox the designers look for the selection's template and say where it was looked for.
    click("Inbox");
    main->boxes.clear();
    const std::string path = (home.path / "Reports" / "ActiveX" / "ACME_850_004010_.RPT").string();   // the rows have no direction
    EXPECT_EQ(logged([&] { main->runCommand("mnuDesignActiveX"); }),
              (std::vector<std::string>{"Selected [Tools] - [Designer] - [ActiveX Report]",
                                        "ActiveX Report Not Found: " + path}));
    EXPECT_EQ(main->boxes, std::vector<std::string>{"16 Veltrane: ActiveX Report Not Found: " + path});
}

TEST_F(Commands, ToolbarButtonsAndDropDownsRunTheMenuCommands) {
    startInInbox();
    struct Case {
        const char* button;   // the toolbar action
        const char* entry;    // a drop-down entry's key, or nullptr for the button itself
        const char* history;
    };
    const Case cases[] = {
        {"tbrOpen", nullptr, "Selected [File] - [Open] - [Inbound]"},
        {"tbrOpen", "Inbound", "Selected [File] - [Open] - [Inbound]"},
        {"tbrOpen", "Outbound", "Selected [File] - [Open] - [Outbound]"},
        {"tbrOptions", nullptr, "Selected [Setup] - [Options]"},
        {"tbrPartners", nullptr, "Selected [Setup] - [Partners]"},
        {"tbrProperties", nullptr, "Selected [File] - [Properties]"},
        {"tbrDelete", nullptr, "Selected [Edit] - [Delete]"},
        {"tbrViewer", nullptr, "Selected [View] - [Report]"},
        {"tbrDesigner", nullptr, "Selected [Tools] - [Designer] - [Viewer Report]"},
        {"tbrDesigner", "Viewer", "Selected [Tools] - [Designer] - [Viewer Report]"},
        {"tbrDesigner", "Export", "Selected [Tools] - [Designer] - [Export Report]"},
        {"tbrDesigner", "ActiveX", "Selected [Tools] - [Designer] - [ActiveX Report]"},
        {"tbrFind", nullptr, "Selected [Edit] - [Find]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + (c.entry ? c.entry : ""));
        QAction* button = main->commandAction(c.button);
        ASSERT_NE(button, nullptr);
        if (!c.entry) {
            auto* tool = qobject_cast<QToolButton*>(main->toolbar()->widgetForAction(button));
            ASSERT_NE(tool, nullptr);
            EXPECT_EQ(first(logged([&] { QTest::mouseClick(tool, Qt::LeftButton, {}, QPoint(8, tool->height() / 2)); })),
                      expected(c.history));
            continue;
        }
        ASSERT_NE(button->menu(), nullptr);
        QAction* entry = nullptr;
        for (QAction* e : button->menu()->actions())
            if (e->data().toString() == QLatin1String(c.entry)) entry = e;
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(first(logged([&] { entry->trigger(); })), expected(c.history));
    }
    // Captions and tooltips as the toolbar shows them.
    QStringList captions, tips;
    for (QAction* a : main->toolbar()->actions()) {
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        if (!a->isSeparator()) tips << a->toolTip();
    }
    EXPECT_EQ(captions.join(','), QStringLiteral("Open,-,Options,Partners,-,Properties,-,Delete,-,Viewer,Designer,-,Find"));
    EXPECT_EQ(tips.join(','), QStringLiteral("Open,Options,Partners,Properties,Delete,Report Viewer,Report Designer,Find"));
}

TEST_F(Commands, PopupEntriesRunTheMenuCommandsAndMoveToWritesNoneOfItsOwn) {
    startInInbox();
    const CommandCase cases[] = {
        {"mnuPopupSelectionFilter", "Selected [Edit] - [Selection Filter]"},
        {"mnuPopupSelectAll", "Selected [Edit] - [Select All]"},
        {"mnuPopupReportViewer", "Selected [View] - [Report]"},
        {"mnuPopupProperties", "Selected [File] - [Properties]"},
        {"mnuPopupValidate", "Selected [Tools] - [Validate]"},
        {"mnuPopUpRefresh", "Selected [View] - [Refresh]"},
        {"mnuOutbox", nullptr},
        {"mnuSent", nullptr},
    };
    QStringList entries;
    for (QAction* a : main->popupMenu()->actions()) entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(entries.join(','), QStringLiteral("&Selection Filter,Select &All,-,&Report Viewer...,-,&Properties,-,"
                                                "&Validate,-,Re&fresh,-,&Move To"));
    // The pop-up's forwarding entries run the menu command even when its menu entry is off.
    main->commandAction("mnuProperties")->setEnabled(false);
    for (const CommandCase& c : cases) {
        QAction* a = main->commandAction(c.name);
        ASSERT_NE(a, nullptr) << c.name;
        a->setEnabled(true);
        EXPECT_EQ(first(logged([&] { a->trigger(); })), expected(c.history)) << c.name;
    }
}

// Help > Contents did nothing on a desktop without a web browser.
TEST_F(Commands, HelpContentsWithoutABrowserShowsTheWelcomePageInTheProgram) {
    start();
    main->realHelp = true;
    for (bool browser : {true, false}) {
        SCOPED_TRACE(browser);
        main->hasBrowser = browser;
        main->dialogs.clear();
        QString shown;
        main->onDialog = [&](QDialog& dialog) {
            if (auto* text = dialog.findChild<QTextBrowser*>(QStringLiteral("txtHelp"))) shown = text->toPlainText();
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Veltrane Help"));
            return int(QDialog::Rejected);
        };
        main->runCommand("mnuHelpContents");
        std::vector<std::string> expected{"help Welcome.htm", "browser Welcome.htm"};
        if (!browser) expected.push_back("dialog frmHelp");
        EXPECT_EQ(main->dialogs, expected);
        EXPECT_EQ(shown.contains(QStringLiteral("Welcome to Veltrane")), !browser) << shown.left(80).toStdString();
    }
}

TEST_F(Commands, MenusShowTheirCaptionsShortcutsAndSeparators) {
    load();
    auto describe = [&](const char* menuName) {
        QStringList out;
        QMenu* menu = main->findChild<QMenu*>(menuName);
        if (!menu) return QStringLiteral("missing");
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) {
                out << QStringLiteral("-");
                continue;
            }
            QString item = a->text();
            if (!a->shortcut().isEmpty()) item += QLatin1Char('\t') + a->shortcut().toString();
            out << item;
        }
        return out.join(QLatin1Char('|'));
    };
    QStringList bar;
    for (QAction* a : main->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar.join('|'), QStringLiteral("&File|&Edit|&View|&Setup|&Tools|&Help"));
    EXPECT_EQ(describe("mnuFile"), QStringLiteral("&Open|-|&Export\tCtrl+E|-|&Print...|Print Set&up...|-|"
                                                  "P&roperties...\tCtrl+P|-|E&xit\tCtrl+X"));
    EXPECT_EQ(describe("mnuOpenMenu"), QStringLiteral("&Inbound...|&Outbound..."));
    EXPECT_EQ(describe("mnuEdit"), QStringLiteral("&Selection Filter|Select &All\tCtrl+A|-|&Edit Data|-|&Find...\tCtrl+F|-|"
                                                  "&Delete\tShift+Del|-|&Mark as Closed"));
    EXPECT_EQ(describe("mnuView"), QStringLiteral("&Folder Bar|&Status Bar|-|Sort &By|Sort &Order|&Columns...|-|"
                                                  "Report &Viewer...|-|&Refresh          F5"));
    EXPECT_EQ(describe("mnuSortOrderMenu"), QStringLiteral("&Ascending|&Descending"));
    EXPECT_EQ(describe("mnuSetup"), QStringLiteral("&Partners...\tCtrl+T|-|&Map Designer...|-|&Options...|-|&Account..."));
    EXPECT_EQ(describe("mnuTools"), QStringLiteral("&Exchange...|-|&ActiveX|-|&Generate Acknowledgement|-|&Integrator...|-|"
                                                   "&Validate\tCtrl+V|-|&Designer"));
    EXPECT_EQ(describe("mnuDesignerMenu"), QStringLiteral("&Viewer Report...|&Export Report...|&ActiveX Report..."));
    EXPECT_EQ(describe("mnuHelp"), QStringLiteral("&Contents...\tF1|-|&About Veltrane..."));
    // Sort By lists the columns of the list refreshed last (Exchange, at load), each with its key.
    EXPECT_EQ(describe("mnuSortByMenu"), QStringLiteral("&Type|&Index|&Date|Ti&me|&User|D&escription"));
    EXPECT_TRUE(main->commandAction("mnuSortByColumn")->isChecked());
    EXPECT_TRUE(main->commandAction("mnuAscending")->isChecked());
}

// ---- Command state per folder ----

const char* const kItemCommands[] = {
    "mnuExport",   "mnuPrint",       "mnuProperties", "mnuSelectionFilter", "mnuSelectAll",
    "mnuColumns",  "mnuEditData",    "mnuFind",       "mnuDelete",          "mnuMarkAsClosed",
    "mnuSortBy",   "mnuSortOrder",   "mnuReportViewer", "mnuRefresh",       "mnuGenerateAcknowledgement",
    "mnuValidate", "mnuDesigner",    "tbrProperties", "tbrDelete",          "tbrSeparatorAfterDelete",
    "tbrViewer",   "tbrDesigner",    "tbrFind",
};
const char* const kAlwaysOn[] = {"mnuOpen",      "mnuPrintSetup", "mnuExit",  "mnuFolderBar", "mnuStatusBar",
                                 "mnuIntegrator", "mnuPartners",  "tbrOpen", "tbrOptions",   "tbrPartners"};

TEST_F(MainWindow, CommandStateFollowsTheFolderAndItsSelection) {
    before([](vt::db::Database& db) {
        addItem(db, "Inbox");
        addItem(db, "Outbox");
        addItem(db, "Sent");
        addLog(db, "History", "Info", "Earlier");
    });
    start();
    const std::set<std::string> all(std::begin(kItemCommands), std::end(kItemCommands));
    std::set<std::string> notInbox = all;
    notInbox.erase("mnuExport");
    notInbox.erase("mnuGenerateAcknowledgement");
    struct Case {
        const char* node;
        std::set<std::string> on;
        bool outboxMove, sentMove;   // Move To > Outbox, Move To > Sent
        const char* caption;
        const char* panel1;
        bool preview;
    };
    const Case cases[] = {
        {"Inbox", all, false, false, "Veltrane - Inbox", "1 item(s) ", true},
        {"Outbox", notInbox, false, true, "Veltrane - Outbox", "1 item(s) ", true},
        {"Sent", notInbox, true, false, "Veltrane - Sent", "1 item(s) ", true},
        {"Recycled", {}, false, false, "Veltrane - Recycled", "0 item(s) ", true},
        {"History", {"mnuSortBy", "mnuSortOrder", "mnuRefresh"}, false, false, "Veltrane - History", "1 item(s) ", false},
        {"Exchange", {}, false, false, "Veltrane - Exchange", "0 item(s) ", false},
        {"Top", {}, false, false, "Veltrane - Local", "", false},
        {"Root", {}, false, false, "Veltrane - Folders", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        click(c.node);
        for (const char* name : kItemCommands) EXPECT_EQ(enabled(name), c.on.count(name) == 1) << name;
        for (const char* name : kAlwaysOn) EXPECT_TRUE(enabled(name)) << name;
        if (std::string(c.node) != "Top" && std::string(c.node) != "Root" && std::string(c.node) != "History" &&
            std::string(c.node) != "Exchange") {
            EXPECT_EQ(enabled("mnuOutbox"), c.outboxMove);
            EXPECT_EQ(enabled("mnuSent"), c.sentMove);
        }
        EXPECT_EQ(main->windowTitle().toStdString(), c.caption);
        EXPECT_EQ(main->statusText(1), c.panel1);
        EXPECT_EQ(main->previewShown(), c.preview);
        EXPECT_EQ(main->welcomeShown(), std::string(c.node) == "Top" || std::string(c.node) == "Root");
    }

    click("Recycled");
    EXPECT_TRUE(main->messageShown());
    EXPECT_EQ(main->messageText(), "There are no Items in this view.");
    EXPECT_EQ(main->folderBarText(), " Recycled");

    // The preview shows one segment a line with the partner's terminator.
    click("Inbox");
    EXPECT_FALSE(main->messageShown());
    EXPECT_EQ(main->previewText(), "ST*850*0001\nBEG*00*SA*PO1\nSE*3*0001\n");

    // Collapsing "Folders" while a list is shown goes back to the welcome pane.
    click("Sent");
    main->folderNode("Root")->setExpanded(false);
    QApplication::processEvents();
    EXPECT_TRUE(main->welcomeShown());
    EXPECT_TRUE(main->folderList("Sent")->isHidden());
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Veltrane - Folders"));
    EXPECT_FALSE(enabled("mnuProperties"));
}

TEST_F(MainWindow, RefreshReloadsTheSelectedFolderAndKeepsTheSelectedPosition) {
    before([](vt::db::Database& db) {
        for (int i = 0; i < 5; ++i) addItem(db, "Inbox", "P" + std::to_string(i));
    });
    start();
    click("Inbox");
    QTreeView* list = main->folderList("Inbox");
    list->selectionModel()->setCurrentIndex(list->model()->index(4, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    conn().exec("DELETE FROM Inbox WHERE Partner IN ('P0', 'P1')");
    main->runCommand("mnuRefresh");
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (3)"));
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].row(), 2);
}

// ---- The window's own boxes ----

TEST(MessageBoxes, MapStylesToButtonsIconsAndAnswers) {
    application();
    vt::MemorySettings settings;
    vt::FixedClock clock{vt::text::DateTime{2024, 3, 5, 14, 7, 9}};
    vt::mainwindow::frmMain window(settings, clock);
    struct Case {
        int style;
        QMessageBox::Icon icon;
        std::vector<QMessageBox::StandardButton> buttons;   // in display order
        QMessageBox::StandardButton defaultButton;
        QMessageBox::StandardButton press;
        int answer;
    };
    const Case cases[] = {
        {core::vbOKOnly, QMessageBox::NoIcon, {QMessageBox::Ok}, QMessageBox::Ok, QMessageBox::Ok, core::vbOK},
        {core::vbYesNo | core::vbQuestion, QMessageBox::Question, {QMessageBox::Yes, QMessageBox::No},
         QMessageBox::Yes, QMessageBox::No, core::vbNo},
        {core::vbYesNoCancel | core::vbExclamation | core::vbDefaultButton3, QMessageBox::Warning,
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, QMessageBox::Cancel, QMessageBox::Yes, core::vbYes},
        {core::vbOKCancel | core::vbInformation | core::vbDefaultButton2, QMessageBox::Information,
         {QMessageBox::Ok, QMessageBox::Cancel}, QMessageBox::Cancel, QMessageBox::Cancel, core::vbCancel},
        {core::vbRetryCancel | core::vbCritical, QMessageBox::Critical, {QMessageBox::Retry, QMessageBox::Cancel},
         QMessageBox::Retry, QMessageBox::Retry, core::vbRetry},
        {core::vbAbortRetryIgnore, QMessageBox::NoIcon, {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore},
         QMessageBox::Abort, QMessageBox::Ignore, core::vbIgnore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Veltrane"));
            EXPECT_EQ(box->text(), QStringLiteral("line one\nline two"));
            EXPECT_EQ(box->icon(), c.icon);
            QMessageBox::StandardButtons expected;
            for (auto b : c.buttons) expected |= b;
            EXPECT_EQ(box->standardButtons(), expected);
            EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(c.defaultButton));
            box->button(c.press)->click();
        });
        EXPECT_EQ(window.messageBox("line one\r\nline two", c.style, "Veltrane"), c.answer);
        EXPECT_TRUE(seen);
    }
}

TEST(MessageBoxes, EscapeAnswersCancelOrTheOnlyButtonButNeverAYesNoQuestion) {
    application();
    vt::MemorySettings settings;
    vt::FixedClock clock{vt::text::DateTime{2024, 3, 5, 14, 7, 9}};
    vt::mainwindow::frmMain window(settings, clock);
    struct Case {
        int style;
        bool escapeAnswers;   // otherwise the box stays open and Yes is clicked
        int answer;
    };
    const Case cases[] = {
        {core::vbOKOnly, true, core::vbOK},
        {core::vbOKCancel, true, core::vbCancel},
        {core::vbYesNoCancel, true, core::vbCancel},
        {core::vbYesNo | core::vbQuestion, false, core::vbYes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        bool stayedOpen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &escape);
            box->close();
            if (!box->isVisible()) return;
            stayedOpen = true;
            box->button(QMessageBox::Yes)->click();
        });
        EXPECT_EQ(window.messageBox("Save Changes?", c.style, "Veltrane"), c.answer);
        EXPECT_EQ(stayedOpen, !c.escapeAnswers);
    }
}

TEST_F(MainWindow, RightClickOnAnItemOpensThePopupMenu) {
    before([](vt::db::Database& db) { addItem(db, "Sent"); });
    start();
    click("Sent");
    QTreeView* list = main->folderList("Sent");
    QWidget* shownPopup = nullptr;
    QTimer::singleShot(0, [&] {
        shownPopup = QApplication::activePopupWidget();
        if (shownPopup) shownPopup->close();
    });
    const QRect item = list->visualRect(list->model()->index(0, 1));
    QContextMenuEvent e(QContextMenuEvent::Mouse, item.center(), list->viewport()->mapToGlobal(item.center()));
    QApplication::sendEvent(list->viewport(), &e);
    EXPECT_EQ(shownPopup, main->popupMenu());
    // Only the Sent folder may move items back to the Outbox.
    EXPECT_TRUE(main->commandAction("mnuOutbox")->isEnabled());
    EXPECT_FALSE(main->commandAction("mnuSent")->isEnabled());
}

}  // namespace
