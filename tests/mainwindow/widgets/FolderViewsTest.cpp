// The folder lists as the user drives them: refreshes, selection, preview, sorting, the column
// chooser and the lists' mouse and keyboard events.

#include "mainwindow/ColumnChoices.h"
#include "mainwindow/frmColumns.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QAbstractItemModelTester>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace {

namespace core = vt::core;
using namespace vt::test;
using vt::mainwindow::frmColumns;

struct Row {
    std::string partner = "ACME";
    std::string date = "03/05/2024";
    std::string status = "Closed";
    std::string ack = "No";
    std::string tset = "ST*850*0001~BEG*00*SA*PO1~SE*3*0001~";
    std::string receiver = "RECEIVER";
};

void addRow(vt::db::Database& db, const std::string& table, const Row& r) {
    auto st = db.prepare("INSERT INTO \"" + table +
                         "\" (Partner, \"Transaction\", Version, \"Date\", \"Time\", Status, Acknowledged, TSet, "
                         "ReceiverID) VALUES (?1, '850', '004010', ?2, '14:07', ?3, ?4, ?5, ?6)");
    st.bindAll(r.partner, r.date, r.status, r.ack, r.tset, r.receiver);
    st.run();
}

class FolderViews : public MainWindow {
protected:
    QTreeView* list(const char* table) { return main->folderList(table); }
    vt::mainwindow::FolderModel* model(const char* table) { return main->folderModel(table); }
    // Selects the rows given (the first becomes the current one), as clicks with Ctrl would.
    void select(const char* table, std::initializer_list<int> rows) {
        QItemSelectionModel* sel = list(table)->selectionModel();
        sel->clearSelection();
        bool first = true;
        for (int r : rows) {
            const QModelIndex i = model(table)->index(r, 0);
            if (first) sel->setCurrentIndex(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            else sel->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            first = false;
        }
    }
    std::vector<int> selectedRows(const char* table) {
        std::vector<int> out;
        for (const QModelIndex& i : list(table)->selectionModel()->selectedRows()) out.push_back(i.row());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> column(const char* table, const char* key) {
        std::vector<std::string> out;
        for (int r = 0; r < model(table)->rowCount(); ++r) out.push_back(model(table)->value(r, key));
        return out;
    }
    // Counts the refreshes of a list by the fills of its model.
    int countFills(const char* table) {
        auto* counter = new int(0);
        counters.emplace_back(counter);
        QObject::connect(model(table), &QAbstractItemModel::modelReset, [counter] { ++*counter; });
        return int(counters.size() - 1);
    }
    // A refresh resets its model twice: emptied, then filled.
    int fills(int counter) const { return *counters[size_t(counter)] / 2; }
    std::vector<std::unique_ptr<int>> counters;
};

// ---- Refresh ----

TEST_F(FolderViews, ARefreshAskedForDuringARefreshRunsOnceAfterwards) {
    before([](vt::db::Database& db) { addItem(db, "Inbox"); });
    start();
    click("Inbox");
    const int inbox = countFills("Inbox"), outbox = countFills("Outbox");
    std::string seen;
    QTimer::singleShot(0, [&] {
        seen = main->messageShown() ? main->messageText() : "hidden";
        addItem(conn(), "Inbox");
        addItem(conn(), "Outbox");
        main->RefreshBox("Inbox");
        main->RefreshBox("Inbox");
        main->RefreshBox("Outbox");
        // Nothing ran yet: the list is being filled.
        EXPECT_EQ(fills(inbox), 0);
    });
    main->RefreshBox("Inbox");
    EXPECT_EQ(seen, "Generating View");
    EXPECT_EQ(fills(inbox), 2);
    EXPECT_EQ(fills(outbox), 1);
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (2)"));
    EXPECT_EQ(main->folderNode("Outbox")->text(0), QStringLiteral("Outbox (1)"));
    EXPECT_FALSE(main->messageShown());
    // Later refreshes run as usual.
    main->RefreshBox("Outbox");
    EXPECT_EQ(fills(outbox), 2);
}

TEST_F(FolderViews, RefreshRestoresOneSelectedPosition) {
    struct Case {
        std::vector<int> before;   // selected rows of five
        int remaining;             // rows left in the table
        std::vector<int> after;
    };
    const Case cases[] = {
        {{4}, 3, {2}},      // past the end: the last row
        {{1, 3}, 5, {1}},   // the first selected only
        {{0}, 5, {0}},
        {{}, 5, {0}},       // nothing selected: the first row
        {{2}, 5, {2}},
        {{3}, 0, {}},
    };
    before([](vt::db::Database& db) {
        for (int i = 0; i < 5; ++i) addItem(db, "Inbox", "P" + std::to_string(i));
    });
    start();
    click("Inbox");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.before) + " of " + std::to_string(c.remaining));
        conn().exec("DELETE FROM Inbox");
        for (int i = 0; i < 5; ++i) addItem(conn(), "Inbox", "P" + std::to_string(i));
        main->RefreshBox("Inbox");
        QItemSelectionModel* sel = list("Inbox")->selectionModel();
        sel->clear();
        for (int r : c.before) sel->select(model("Inbox")->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        // The item clicked last is the current one; the first selected is what is kept.
        if (!c.before.empty()) sel->setCurrentIndex(model("Inbox")->index(c.before.back(), 0), QItemSelectionModel::NoUpdate);
        conn().exec("DELETE FROM Inbox WHERE Id NOT IN (SELECT Id FROM Inbox ORDER BY Id LIMIT " +
                    std::to_string(c.remaining) + ")");
        main->RefreshBox("Inbox");
        EXPECT_EQ(selectedRows("Inbox"), c.after);
    }
    // The empty list says so, empties the preview and switches the item commands off.
    EXPECT_TRUE(main->messageShown());
    EXPECT_EQ(main->messageText(), "There are no Items in this view.");
    EXPECT_EQ(main->previewText(), "");
    EXPECT_FALSE(main->commandAction("mnuProperties")->isEnabled());
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (0)"));
}

TEST_F(FolderViews, AListNotShownGetsItsLabelButNoMessageOrPreview) {
    before([](vt::db::Database& db) {
        addItem(db, "Inbox");
        addLog(db, "Exchange", "Info", "Session");
    });
    start();
    click("Inbox");
    const std::string preview = main->previewText();
    addRow(conn(), "Sent", Row{.tset = "ST*856*0001~SE*2*0001~"});
    main->RefreshBox("Sent");
    EXPECT_EQ(main->folderNode("Sent")->text(0), QStringLiteral("Sent (1)"));
    EXPECT_EQ(main->previewText(), preview);
    EXPECT_FALSE(main->messageShown());
    // An empty log shows no message.
    click("History");
    conn().exec("DELETE FROM History");
    main->RefreshBox("History");
    EXPECT_EQ(main->folderNode("History")->text(0), QStringLiteral("History (0)"));
    EXPECT_FALSE(main->messageShown());
}

TEST_F(FolderViews, ALogDescriptionCutByItsColumnShowsWholeOnHover) {
    start();
    const std::string longText(300, 'x');
    core::LogHistory(main->services(), "Error", "9 " + longText);
    click("History");
    auto* m = model("History");
    int description = -1;
    for (int c = 0; c < m->columnCount(); ++c)
        if (m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == QStringLiteral("Description")) description = c;
    ASSERT_GE(description, 0);
    const QString whole = QString::fromStdString("9 " + longText);
    int row = -1;
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, description).data().toString() == whole) row = r;
    ASSERT_GE(row, 0);
    EXPECT_EQ(m->index(row, description).data(Qt::ToolTipRole).toString(), whole);
    EXPECT_FALSE(m->index(row, 0).data(Qt::ToolTipRole).isValid());
}

TEST_F(FolderViews, ARefreshLeavesThePreviewAndMessageOfTheFolderOnView) {
    before([](vt::db::Database& db) { addItem(db, "Inbox"); });
    start();
    // The empty Outbox on view while the Inbox is refilled behind it.
    click("Outbox");
    addItem(conn(), "Inbox");
    main->RefreshBox("Inbox");
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (2)"));
    EXPECT_TRUE(main->messageShown());
    EXPECT_EQ(main->messageText(), "There are no Items in this view.");
    EXPECT_EQ(main->previewText(), "");
    EXPECT_FALSE(main->commandAction("mnuProperties")->isEnabled());

    // The user moves to the Outbox while the Inbox on view is being filled.
    click("Inbox");
    QTimer::singleShot(0, [&] { click("Outbox"); });
    main->RefreshBox("Inbox");
    EXPECT_TRUE(main->folderList("Inbox")->isHidden());
    EXPECT_TRUE(main->messageShown());
    EXPECT_EQ(main->messageText(), "There are no Items in this view.");
    EXPECT_EQ(main->previewText(), "");
    EXPECT_FALSE(main->commandAction("mnuProperties")->isEnabled());
}

TEST_F(FolderViews, PreviewShowsOneSegmentALineWithThePartnersTerminator) {
    struct Case {
        const char* partner;
        const char* tset;
        const char* shown;
    };
    const Case cases[] = {
        {"ACME", "ST*850*1~BEG*00~SE*3*1~", "ST*850*1\nBEG*00\nSE*3*1\n"},
        {"CRLF", "ST*850*1\r\nSE*2*1\r\n", "ST*850*1\nSE*2*1\n"},
        {"NOBODY", "ST*850*1~SE*2*1~", "ST*850*1~SE*2*1~"},   // no partner row: as stored
    };
    before([&](vt::db::Database& db) {
        db.exec("INSERT INTO Partner (Partner, Segment, element, Sub) VALUES ('CRLF', 0, 42, 62)");
        for (const Case& c : cases) addRow(db, "Inbox", Row{.partner = c.partner, .tset = c.tset});
    });
    start();
    click("Inbox");
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(cases[i].partner);
        select("Inbox", {i});
        main->lvw_ItemClick("Inbox", i);
        EXPECT_EQ(main->previewText(), cases[i].shown);
    }
    // With several items selected the preview keeps what it shows.
    select("Inbox", {0, 1, 2});
    main->lvw_ItemClick("Inbox", 0);
    EXPECT_EQ(main->previewText(), cases[2].shown);

    // A click on an item, and moving to one with the keyboard.
    QTreeView* inbox = list("Inbox");
    QTest::mouseClick(inbox->viewport(), Qt::LeftButton, {}, inbox->visualRect(model("Inbox")->index(1, 2)).center());
    EXPECT_EQ(selectedRows("Inbox"), std::vector<int>{1});
    EXPECT_EQ(main->previewText(), cases[1].shown);
    QTest::keyClick(inbox, Qt::Key_Up);
    EXPECT_EQ(selectedRows("Inbox"), std::vector<int>{0});
    EXPECT_EQ(main->previewText(), cases[0].shown);
}

TEST_F(FolderViews, RowsWhoseStatusNamesNoImageStillShow) {
    before([](vt::db::Database& db) {
        addRow(db, "Inbox", Row{.partner = "A", .status = ""});
        addRow(db, "Inbox", Row{.partner = "B", .status = "Bogus", .ack = "Maybe"});
        addRow(db, "Inbox", Row{.partner = "C", .status = " Opened ", .ack = " Yes"});
    });
    start();
    EXPECT_TRUE(main->boxes.empty());
    auto* m = model("Inbox");
    m->setSort(1, 0);
    main->RefreshBox("Inbox");
    ASSERT_EQ(column("Inbox", "Partner"), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(m->iconKey(0), std::string_view());
    EXPECT_EQ(m->iconKey(1), std::string_view());
    EXPECT_EQ(m->ackKey(1), std::string_view());
    EXPECT_EQ(m->iconKey(2), std::string_view("Opened"));
    EXPECT_EQ(m->ackKey(2), std::string_view("Yes"));
    EXPECT_TRUE(m->data(m->index(1, 1), Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(m->data(m->index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("B"));
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (3)"));
}

TEST_F(FolderViews, ColumnsFollowTheChoiceWithTheStatusIconInTheFirstFieldColumn) {
    settings.set("Columns", "Acknowledged", "False");
    settings.set("Columns", "Partner", "False");
    settings.set("Columns", "Receiver ID", "True");
    before([](vt::db::Database& db) { addRow(db, "Inbox", Row{.status = "Validated"}); });
    start();
    auto* m = model("Inbox");
    QStringList keys;
    for (const auto& c : m->columns()) keys << QString::fromStdString(c.key);
    EXPECT_EQ(keys.join(','), QStringLiteral("Transaction,Version,Date,Time,ReceiverID"));
    EXPECT_EQ(m->data(m->index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("850"));
    EXPECT_FALSE(m->data(m->index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(m->data(m->index(0, 1), Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(m->value(0, "ReceiverID"), "RECEIVER");
}

TEST_F(FolderViews, ModelsStayConsistentThroughRefreshesLogsAndColumnChanges) {
    before([](vt::db::Database& db) {
        for (int i = 0; i < 4; ++i) addItem(db, "Inbox", "P" + std::to_string(i));
        addLog(db, "History", "Info", "Earlier");
    });
    load();
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    for (const char* t : {"Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"})
        testers.push_back(std::make_unique<QAbstractItemModelTester>(
            model(t), QAbstractItemModelTester::FailureReportingMode::Fatal));
    main->show();
    click("Inbox");
    main->RefreshBox("Inbox");
    core::LogHistory(main->services(), "Info", "Later");
    main->lvw_ColumnClick("Inbox", 1);
    settings.set("Columns", "Used", "True");
    main->CreateColumns("Inbox");
    main->RefreshBox("Inbox");
    EXPECT_EQ(model("Inbox")->columnCount(), 7);
    EXPECT_EQ(model("History")->rowCount(), int(historySince(0).size()));
}

// ---- Sorting ----

TEST_F(FolderViews, SortCommandsChangeTheOrderAndRefreshOnlyWhenItChanges) {
    before([](vt::db::Database& db) {
        addRow(db, "Inbox", Row{.partner = "BETA", .date = "03/07/2024"});
        addRow(db, "Inbox", Row{.partner = "ALPHA", .date = "03/09/2024"});
        addRow(db, "Inbox", Row{.partner = "GAMMA", .date = "03/01/2024"});
    });
    start();
    click("Inbox");
    const int fillsOf = countFills("Inbox");
    struct Step {
        const char* command;   // a menu command, or "click N" for a column header
        int sortKey, sortOrder;
        bool refreshed;
        std::vector<std::string> partners;
        const char* history;   // nullptr: none
    };
    const Step steps[] = {
        {"mnuSortByColumn4", 4, 0, true, {"GAMMA", "BETA", "ALPHA"}, "Selected [View] - [Sort By]"},
        {"mnuDescending", 4, 1, true, {"ALPHA", "BETA", "GAMMA"}, "Selected [View] - [Sort Order] - [Descending]"},
        {"mnuDescending", 4, 1, false, {"ALPHA", "BETA", "GAMMA"}, "Selected [View] - [Sort Order] - [Descending]"},
        // Another column keeps the direction.
        {"click 1", 1, 1, true, {"GAMMA", "BETA", "ALPHA"}, nullptr},
        {"click 1", 1, 0, true, {"ALPHA", "BETA", "GAMMA"}, nullptr},
        {"mnuSortByColumn1", 1, 0, false, {"ALPHA", "BETA", "GAMMA"}, "Selected [View] - [Sort By]"},
        {"mnuAscending", 1, 0, false, {"ALPHA", "BETA", "GAMMA"}, "Selected [View] - [Sort Order] - [Ascending]"},
        {"click 0", 0, 0, true, {"BETA", "ALPHA", "GAMMA"}, nullptr},
    };
    int refreshes = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.command);
        const long long last = lastHistoryIndex();
        const std::string command = s.command;
        if (command.rfind("click ", 0) == 0) main->lvw_ColumnClick("Inbox", std::stoi(command.substr(6)));
        else main->runCommand(command);
        refreshes += s.refreshed ? 1 : 0;
        EXPECT_EQ(model("Inbox")->sortKey(), s.sortKey);
        EXPECT_EQ(model("Inbox")->sortOrder(), s.sortOrder);
        EXPECT_EQ(fills(fillsOf), refreshes);
        EXPECT_EQ(column("Inbox", "Partner"), s.partners);
        EXPECT_EQ(historySince(last), s.history ? std::vector<std::string>{s.history} : std::vector<std::string>{});
        // The menu and the header describe the list.
        const std::string entry = s.sortKey == 0 ? "mnuSortByColumn" : "mnuSortByColumn" + std::to_string(s.sortKey);
        EXPECT_TRUE(main->commandAction(entry)->isChecked());
        EXPECT_EQ(main->commandAction("mnuDescending")->isChecked(), s.sortOrder == 1);
        EXPECT_EQ(main->commandAction("mnuAscending")->isChecked(), s.sortOrder == 0);
        QHeaderView* header = list("Inbox")->header();
        // The acknowledgement column shows its image, never an arrow.
        EXPECT_EQ(header->isSortIndicatorShown(), s.sortKey != 0);
        if (s.sortKey != 0) {
            EXPECT_EQ(header->sortIndicatorSection(), s.sortKey);
            EXPECT_EQ(header->sortIndicatorOrder(), s.sortOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
    }
    EXPECT_EQ(main->commandAction("mnuSortByColumn")->text(), QStringLiteral("&Acknowledged"));
    // The acknowledgement column is held at its width when clicked.
    EXPECT_EQ(list("Inbox")->header()->sectionSize(0), int(std::nearbyint(270 / main->twipsPerPixel())));
}

TEST_F(FolderViews, AListWithoutTheAcknowledgementColumnShowsTheArrowOnItsFirstColumn) {
    settings.set("Columns", "Acknowledged", "False");
    before([](vt::db::Database& db) { addItem(db, "Inbox"); });
    start();
    click("Inbox");
    QHeaderView* header = list("Inbox")->header();
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(main->commandAction("mnuSortByColumn")->text(), QStringLiteral("&Partner"));
    // Clicking its header turns the order.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    EXPECT_EQ(model("Inbox")->sortOrder(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(FolderViews, SortCommandsOnTheUpperNodesOnlyLog) {
    before([](vt::db::Database& db) { addItem(db, "Inbox"); });
    start();
    click("Root");
    const int fillsOf = countFills("Inbox");
    for (const char* command : {"mnuDescending", "mnuSortByColumn2", "mnuRefresh"}) {
        const long long last = lastHistoryIndex();
        main->runCommand(command);
        EXPECT_EQ(historySince(last).size(), 1u) << command;
    }
    EXPECT_EQ(fills(fillsOf), 0);
    EXPECT_EQ(model("Inbox")->sortOrder(), 0);
}

// ---- List events ----

TEST_F(FolderViews, KeysDeleteAndReloadOnTheirLists) {
    before([](vt::db::Database& db) {
        addItem(db, "Inbox");
        addItem(db, "Inbox");
        addLog(db, "History", "Info", "Earlier");
    });
    start();
    click("Inbox");
    auto press = [&](const char* table, Qt::Key key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list(table), &e);
    };
    main->boxAnswers = {core::vbYes};
    press("Inbox", Qt::Key_Delete);
    EXPECT_EQ(main->boxes.back(), "36 Veltrane: Are you sure you want to send these 1 Item(s) to the Recycled folder \r\n");
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (1)"));
    EXPECT_EQ(main->folderNode("Recycled")->text(0), QStringLiteral("Recycled (1)"));

    click("History");
    const int history = countFills("History");
    const size_t boxes = main->boxes.size();
    press("History", Qt::Key_Delete);
    EXPECT_EQ(main->boxes.size(), boxes);
    EXPECT_EQ(fills(history), 0);
    press("History", Qt::Key_F5);
    EXPECT_EQ(fills(history), 1);
}

TEST_F(FolderViews, MouseDownSwitchesMultipleSelectionByWhetherAnItemIsSelected) {
    before([](vt::db::Database& db) {
        addItem(db, "Sent");
        addItem(db, "Sent");
    });
    start();
    click("Sent");
    QTreeView* sent = list("Sent");
    sent->selectionModel()->clearSelection();
    main->lvw_MouseDown("Sent", 1, QPoint(5, 5));
    EXPECT_EQ(sent->selectionMode(), QAbstractItemView::SingleSelection);
    // No pop-up without a selected item.
    QWidget* popup = nullptr;
    QTimer::singleShot(0, [&] {
        popup = QApplication::activePopupWidget();
        if (popup) popup->close();
    });
    main->lvw_MouseDown("Sent", 2, QPoint(5, 5));
    QApplication::processEvents();
    EXPECT_EQ(popup, nullptr);
    select("Sent", {1});
    main->lvw_MouseDown("Sent", 1, QPoint(5, 5));
    EXPECT_EQ(sent->selectionMode(), QAbstractItemView::ExtendedSelection);
}

// ---- Column chooser ----

class ColumnChooser : public FolderViews {
protected:
    // Opens View > Columns and plays the user's part in it.
    void choose(const std::function<void(frmColumns&)>& play) {
        main->onDialog = [&](QDialog& d) {
            auto& dialog = dynamic_cast<frmColumns&>(d);
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Columns"));
            play(dialog);
            return int(dialog.result());
        };
        main->runCommand("mnuColumns");
        main->onDialog = nullptr;
    }
    static void tick(frmColumns& d, int item, bool on) {
        d.columnList()->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    static void press(frmColumns& d, const char* button) { d.findChild<QPushButton*>(button)->click(); }
    std::vector<std::string> stored() {
        std::vector<std::string> out;
        for (const auto& c : vt::mainwindow::kColumnChoices) out.push_back(settings.get("Columns", c.choice, "-"));
        return out;
    }
    static std::array<bool, 13> defaults() {
        std::array<bool, 13> d{};
        for (int i = 0; i < 6; ++i) d[size_t(i)] = true;
        return d;
    }
};

TEST_F(ColumnChooser, OpensWithTheStoredChoiceAndApplyDisabled) {
    settings.set("Columns", "Used", "True");
    start();
    settings.set("Columns", "Date", "nonsense");
    choose([&](frmColumns& d) {
        EXPECT_EQ(d.findChild<QLabel*>("lblInstructions")->text(),
                  QStringLiteral("Click the columns you would like visible in this view."));
        QStringList items;
        for (int i = 0; i < d.columnList()->count(); ++i) items << d.columnList()->item(i)->text();
        EXPECT_EQ(items.join(','), QStringLiteral("Acknowledged,Partner,Transaction,Version,Date,Time,Used,"
                                                  "Interchange Control Number,Group Control Number,Sender ID,"
                                                  "Sender Division,Receiver ID,Receiver Division"));
        auto expected = defaults();
        expected[6] = true;   // Used; the unreadable Date shows its default
        EXPECT_EQ(d.ticks(), expected);
        EXPECT_FALSE(d.applyEnabled());
        // Changes left unapplied are gone at the next opening.
        tick(d, 8, true);
        EXPECT_TRUE(d.applyEnabled());
        press(d, "cmdCancel");
    });
    choose([&](frmColumns& d) { EXPECT_FALSE(d.ticks()[8]); });
    EXPECT_EQ(main->dialogs, (std::vector<std::string>{"dialog frmColumns", "dialog frmColumns"}));
}

TEST_F(ColumnChooser, RefusesAChoiceWithoutAnyColumn) {
    start();
    const auto before = stored();
    choose([&](frmColumns& d) {
        for (int i = 0; i < 13; ++i) tick(d, i, false);
        press(d, "cmdApply");
        EXPECT_TRUE(d.applyEnabled());
        EXPECT_NE(d.result(), QDialog::Accepted);
        // OK says the same and closes all the same.
        press(d, "cmdOk");
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    const std::string message = "48 Veltrane: At least one column must be visible. Please check one of the columns "
                                "listed before continuing.";
    EXPECT_EQ(main->boxes, (std::vector<std::string>{message, message}));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(model("Inbox")->columnCount(), 6);
}

TEST_F(ColumnChooser, ApplyStoresTheChoiceAndRebuildsTheFourLists) {
    settings.set("Inbox", "ReceiverID", "1500");
    before([](vt::db::Database& db) {
        for (int i = 0; i < 4; ++i) addRow(db, "Inbox", Row{.partner = "P" + std::to_string(i)});
        addRow(db, "Recycled", Row{});
    });
    start();
    click("Inbox");
    main->lvw_ColumnClick("Inbox", 3);
    select("Inbox", {2});
    choose([&](frmColumns& d) {
        d.columnList()->setCurrentRow(11);
        press(d, "cmdShow");
        EXPECT_TRUE(d.applyEnabled());
        press(d, "cmdApply");
        EXPECT_FALSE(d.applyEnabled());
        EXPECT_NE(d.result(), QDialog::Accepted);   // still open
        for (const char* t : {"Inbox", "Outbox", "Sent", "Recycled"}) {
            ASSERT_EQ(model(t)->columnCount(), 7) << t;
            EXPECT_EQ(model(t)->columns().back().key, "ReceiverID") << t;
        }
        press(d, "cmdCancel");
    });
    EXPECT_EQ(settings.get("Columns", "Receiver ID"), "True");
    EXPECT_EQ(settings.get("Columns", "Partner"), "True");
    EXPECT_EQ(model("Recycled")->value(0, "ReceiverID"), "RECEIVER");
    // Sorted by the first column again, the selected position kept, widths from the stored layout
    // (the new last column's at least, as it takes the free width).
    EXPECT_EQ(model("Inbox")->sortKey(), 0);
    EXPECT_EQ(selectedRows("Inbox"), std::vector<int>{2});
    QHeaderView* header = list("Inbox")->header();
    EXPECT_GE(header->sectionSize(6), int(std::nearbyint(1500 / main->twipsPerPixel())));
    int sum = 0;
    for (int i = 0; i < 7; ++i) sum += header->sectionSize(i);
    EXPECT_EQ(sum, list("Inbox")->viewport()->width());
}

TEST_F(ColumnChooser, ResetStoresOnlyByOkAndOkWithoutChangesDoesNothing) {
    settings.set("Columns", "Partner", "False");
    start();
    const int fills = countFills("Sent");
    choose([&](frmColumns& d) {
        press(d, "cmdReset");
        EXPECT_EQ(d.ticks(), defaults());
        press(d, "cmdCancel");
    });
    EXPECT_EQ(settings.get("Columns", "Partner"), "False");
    EXPECT_FALSE(settings.contains("Columns", "Used"));
    choose([&](frmColumns& d) { press(d, "cmdOk"); });
    EXPECT_FALSE(settings.contains("Columns", "Used"));
    EXPECT_EQ(this->fills(fills), 0);
    choose([&](frmColumns& d) {
        press(d, "cmdReset");
        press(d, "cmdOk");
    });
    std::vector<std::string> expected(13, "False");
    for (int i = 0; i < 6; ++i) expected[size_t(i)] = "True";
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(this->fills(fills), 1);
    EXPECT_EQ(model("Sent")->columnCount(), 6);
}

}  // namespace
