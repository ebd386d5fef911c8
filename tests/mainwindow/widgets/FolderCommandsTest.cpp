// The main window's commands on folder items over interchanges read as a user would open them:
// File > Open, Properties, Edit Data, Find, validation, acknowledgements, moves, deleting, closing
// and the selection commands.

#include "mainwindow/frmProperties.h"
#include "tests/folders/X12Builder.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QTabWidget>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
namespace core = vt::core;
using namespace vt::test;
using vt::mainwindow::frmProperties;

const std::string kPartner = "SENDERAPPSRECEIVERAPPR";
const char* const kInboundFilter =
    "All Files (*.*)|*.*|X12 Files (*.x12;*.edi;*.txt;*.dat)|*.x12;*.edi;*.txt;*.dat|"
    "Inbound Characters (*.IC)|*.IC|Electronic Document Interchange (*.EDI)|*.EDI";
const char* const kOutboundFilter =
    "All Files (*.*)|*.*|X12 Files (*.x12;*.edi;*.txt;*.dat)|*.x12;*.edi;*.txt;*.dat|"
    "Outbound Characters (*.OC)|*.OC|Electronic Document Interchange (*.EDI)|*.EDI";

class FolderCommands : public MainWindow {
protected:
    FolderCommands() {
        fs::create_directories(home.path / "in");
        fs::create_directories(home.path / "out");
        settings.set("Folders", "Inbound", (home.path / "in").string());
        settings.set("Folders", "Outbound", (home.path / "out").string());
        before([](vt::db::Database& db) {
            db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES ('850', 'PO', 'Purchase Order'),"
                    " ('997', 'FA', 'Functional Acknowledgment')");
        });
    }
    // Three purchase orders opened through File > Open > Inbound, the Inbox shown.
    void openOrders() {
        start();
        X12 x;
        x.isa().gs("1").po("0001").po("0002").po("0003").ge().iea();
        const fs::path file = home.path / "in" / "orders.edi";
        std::ofstream(file, std::ios::binary) << x.text();
        main->fileAnswers = {{file}};
        main->runCommand("mnuOpenInbound");
        click("Inbox");
        main->boxes.clear();
    }
    QTreeView* list(const char* table) { return main->folderList(table); }
    void select(const char* table, std::initializer_list<int> rows) {
        QItemSelectionModel* sel = list(table)->selectionModel();
        sel->clearSelection();
        bool first = true;
        for (int r : rows) {
            const QModelIndex i = main->folderModel(table)->index(r, 0);
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
    std::string field(const char* table, int row, const char* name) {
        auto st = conn().prepare(std::string("SELECT \"") + name + "\" FROM \"" + table + "\" WHERE Id = ?1");
        st.bind(1, main->folderModel(table)->rowId(row));
        return st.step() ? st.text(0) : "(gone)";
    }
    // Opens File > Properties and hands the filled window to `look`.
    void properties(const std::function<void(frmProperties&)>& look) {
        main->onDialog = [&](QDialog& d) {
            look(dynamic_cast<frmProperties&>(d));
            d.accept();
            return int(QDialog::Accepted);
        };
        main->runCommand("mnuProperties");
        main->onDialog = nullptr;
    }
};

// ---- File > Open ----

TEST_F(FolderCommands, OpenAsksForSeveralFilesFromTheConfiguredFolder) {
    openOrders();
    EXPECT_EQ(main->lastOpen.filter, kInboundFilter);
    EXPECT_EQ(main->lastOpen.folder, home.path / "in");
    EXPECT_TRUE(main->lastOpen.multiSelect);
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (3)"));

    // Outbound reads the same file into the Outbox; a cancelled dialog reads nothing.
    X12 x;
    x.isa("000000002").gs("2").po("0001").ge().iea();
    const fs::path a = home.path / "out" / "a.OC", b = home.path / "out" / "b.OC";
    std::ofstream(a, std::ios::binary) << x.text();
    std::ofstream(b, std::ios::binary) << "not an interchange";
    main->fileAnswers = {{a, b}};
    const long long last = lastHistoryIndex();
    main->runCommand("mnuOpenOutbound");
    EXPECT_EQ(main->lastOpen.filter, kOutboundFilter);
    EXPECT_EQ(main->lastOpen.folder, home.path / "out");
    EXPECT_EQ(main->folderNode("Outbox")->text(0), QStringLiteral("Outbox (1)"));
    const auto logged = historySince(last);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.front(), "Selected [File] - [Open] - [Outbound]");
    main->runCommand("mnuOpenInbound");
    EXPECT_EQ(main->dialogs, (std::vector<std::string>{"open Open Inbound", "open Open Outbound", "open Open Inbound"}));
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (3)"));
}

// ---- Properties ----

TEST_F(FolderCommands, PropertiesShowTheRowItsHeadersAndThePartnersSeparators) {
    openOrders();
    // A set of 1234 characters, the partner's terminator CR LF.
    std::string tset = "ST*850*0002~";
    tset.resize(1234, 'X');
    auto st = conn().prepare("UPDATE Inbox SET TSet = ?1, Status = 'Validated', Acknowledged = 'No' WHERE Id = ?2");
    st.bindAll(tset, main->folderModel("Inbox")->rowId(1));
    st.run();
    conn().exec("UPDATE Partner SET Segment = 0 WHERE Partner = '" + kPartner + "'");
    select("Inbox", {1});
    properties([&](frmProperties& p) {
        EXPECT_EQ(p.windowTitle(), QStringLiteral("Properties"));
        EXPECT_EQ(p.tabs()->currentIndex(), 0);
        QStringList tabs;
        for (int i = 0; i < p.tabs()->count(); ++i) tabs << p.tabs()->tabText(i);
        EXPECT_EQ(tabs.join(','), QStringLiteral("General,Interchange Control Header,Functional Group Header"));
        const std::pair<std::pair<const char*, int>, std::string> values[] = {
            {{"txtPartner", 1}, kPartner},
            {{"lblTransactionSet", 1}, "850"},
            {{"lblDescription", 1}, "Purchase Order"},
            {{"lblLocation", 1}, "Inbox"},
            {{"lblSize", 1}, "1,234 bytes"},
            {{"lblDirection", 1}, "Inbound"},
            {{"lblStatus", 1}, "Validated"},
            {{"lblAck", 1}, "No"},
            {{"lblStatus", 0}, "Marked:"},
            {{"lblSegment", 1}, "\t\t"},
            {{"lblSegment", 2}, "(13)"},
            {{"lblSegment", 3}, "0D"},
            {{"lblElement", 1}, "*"},
            {{"lblElement", 2}, "(42)"},
            {{"lblElement", 3}, "2A"},
            {{"lblSub", 1}, ">"},
            {{"lblSub", 2}, "(62)"},
            {{"lblSub", 3}, "3E"},
            {{"lblISA01", 1}, "00"},
            {{"lblISA02", 1}, "          "},
            {{"lblISA06", 1}, "SENDER         "},
            {{"lblISA13", 1}, "000000001"},
            {{"lblISA15", 1}, "P"},
            {{"lblISA15", 0}, "ISA15:"},
            {{"lblGS01", 1}, "PO"},
            {{"lblGS06", 1}, "1"},
            {{"lblGS08", 1}, "004010"},
        };
        for (const auto& [where, expected] : values)
            EXPECT_EQ(p.value(where.first, where.second), expected) << where.first << " " << where.second;
        EXPECT_EQ(p.picture("picStatus"), "Validated");
        EXPECT_EQ(p.picture("picAcknowledged"), "No");
    });
    EXPECT_TRUE(main->boxes.empty());
    EXPECT_EQ(main->dialogs.back(), "dialog frmProperties");
}

TEST_F(FolderCommands, PropertiesOfAnUnknownSetOrWithoutHeadersShowWhatCouldBeRead) {
    openOrders();
    conn().exec("UPDATE Inbox SET TSet = 'ST*999*0001~SE*2*0001~', Status = 'Odd'");
    conn().exec("DELETE FROM ISA");
    select("Inbox", {0});
    properties([&](frmProperties& p) {
        EXPECT_EQ(p.value("lblDescription"), "Unknown");
        EXPECT_EQ(p.value("lblSegment"), "~");
        EXPECT_EQ(p.picture("picStatus"), "");
        EXPECT_EQ(p.value("lblISA01"), "");
        EXPECT_EQ(p.value("lblGS01"), "");
    });
    ASSERT_EQ(main->boxes.size(), 1u);
    EXPECT_EQ(main->boxes[0].substr(0, 12), "16 Veltrane:");

    // The History folder on view: the captions only, and no complaint.
    main->boxes.clear();
    click("History");
    properties([&](frmProperties& p) {
        EXPECT_EQ(p.value("txtPartner"), "");
        EXPECT_EQ(p.value("lblLocation"), "");
        EXPECT_EQ(p.value("lblLocation", 0), "Location:");
    });
    EXPECT_TRUE(main->boxes.empty());
}

// ---- Edit Data and Find ----

TEST_F(FolderCommands, EditDataWritesThePreviewBackIntoItsOwnRow) {
    openOrders();
    select("Inbox", {0});
    main->lvw_ItemClick("Inbox", 0);
    const std::string original = field("Inbox", 0, "TSet");
    const std::string status = field("Inbox", 0, "Status");
    const long long last = lastHistoryIndex();
    main->runCommand("mnuEditData");
    EXPECT_TRUE(main->commandAction("mnuEditData")->isChecked());
    EXPECT_TRUE(main->previewEditing());
    QTextEdit* pane = main->previewPane();
    QString text = pane->toPlainText();
    text.replace(QStringLiteral("WIDGET"), QStringLiteral("GADGET"));
    pane->setPlainText(text);
    // Selecting another item while editing does not change where the text goes.
    select("Inbox", {2, 0});

    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuEditData");
    EXPECT_EQ(main->boxes.back(), "20 Veltrane: WARNING: Saving changes can cause serious errors!");
    std::string expected = original;
    expected.replace(expected.find("WIDGET"), 6, "GADGET");
    EXPECT_EQ(field("Inbox", 0, "TSet"), expected);
    EXPECT_EQ(field("Inbox", 0, "Status"), status);
    EXPECT_EQ(field("Inbox", 2, "TSet").find("GADGET"), std::string::npos);
    EXPECT_FALSE(main->commandAction("mnuEditData")->isChecked());
    EXPECT_FALSE(main->previewEditing());
    EXPECT_TRUE(pane->isReadOnly());
    EXPECT_EQ(historySince(last), (std::vector<std::string>{"Selected [Edit] - [Edit Data]", "Selected [Edit] - [Edit Data]",
                                                             "Selected [Edit] - [Edit Transaction]"}));

    // No: nothing is written, the pane is locked and keeps the edited text.
    main->runCommand("mnuEditData");
    pane->setPlainText(QStringLiteral("ST*850*0001\nSE*2*0001\n"));
    main->boxAnswers = {core::vbNo};
    main->runCommand("mnuEditData");
    EXPECT_EQ(field("Inbox", 0, "TSet"), expected);
    EXPECT_TRUE(pane->isReadOnly());
    EXPECT_FALSE(main->previewEditing());
    EXPECT_EQ(main->previewText(), "ST*850*0001\nSE*2*0001\n");
}

TEST_F(FolderCommands, EditDataKeepsLineBreaksOfACrLfPartnerAndWritesNothingForALog) {
    openOrders();
    conn().exec("UPDATE Partner SET Segment = 0 WHERE Partner = '" + kPartner + "'");
    conn().exec("UPDATE Inbox SET TSet = 'ST*850*0001' || char(13, 10) || 'SE*2*0001' || char(13, 10)");
    main->RefreshBox("Inbox");
    select("Inbox", {0});
    main->lvw_ItemClick("Inbox", 0);
    main->runCommand("mnuEditData");
    main->previewPane()->setPlainText(QStringLiteral("ST*850*0001\nREF*DP*1\nSE*3*0001\n"));
    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuEditData");
    EXPECT_EQ(field("Inbox", 0, "TSet"), "ST*850*0001\r\nREF*DP*1\r\nSE*3*0001\r\n");

    // Leaving the edit state with a log folder on view: the mark goes, nothing is written.
    main->runCommand("mnuEditData");
    main->previewPane()->setPlainText(QStringLiteral("changed"));
    click("History");
    const size_t boxes = main->boxes.size();
    main->runCommand("mnuEditData");
    EXPECT_FALSE(main->commandAction("mnuEditData")->isChecked());
    EXPECT_EQ(main->boxes.size(), boxes);
    EXPECT_EQ(field("Inbox", 0, "TSet"), "ST*850*0001\r\nREF*DP*1\r\nSE*3*0001\r\n");
}

TEST_F(FolderCommands, FindTellsTheSegmentAndSelectsTheWord) {
    openOrders();
    select("Inbox", {0});
    main->lvw_ItemClick("Inbox", 0);
    struct Case {
        std::optional<std::string> answer;
        const char* box;        // nullptr: no message
        const char* selected;   // the text selected in the pane afterwards
    };
    const Case cases[] = {
        {"widget", "0 Veltrane: Found on Segment 3", "WIDGET"},
        {"SE", "0 Veltrane: Found on Segment 4", "SE"},
        {"WIDG", "0 Veltrane: Not found.", nullptr},
        {"", nullptr, nullptr},
        {std::nullopt, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.value_or("(cancelled)"));
        main->boxes.clear();
        main->dialogs.clear();
        main->inputAnswers = {c.answer};
        main->runCommand("mnuFind");
        EXPECT_EQ(main->dialogs, std::vector<std::string>{"input Find: Find What:"});
        EXPECT_EQ(main->boxes, c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{});
        if (c.selected) {
            EXPECT_EQ(main->previewPane()->textCursor().selectedText().toStdString(), c.selected);
        }
    }
}

// ---- Operations ----

TEST_F(FolderCommands, ValidateAcknowledgeMoveCloseAndDeleteActOnTheSelectedRows) {
    openOrders();
    // A map the three orders pass.
    auto map = [&](int index, const char* id, int maxUse, int elements) {
        auto seg = conn().prepare("INSERT INTO Segment (Partner, Version, \"Transaction\", Direction, Segment,"
                                  " SegmentIndex, Node, MaxUsageLoop) VALUES (?1, '004010', '850', 'I', ?2, ?3, 1, ?4)");
        seg.bindAll(kPartner, std::string(id), index, maxUse).run();
        auto el = conn().prepare("INSERT INTO Element (Partner, Version, \"Transaction\", Direction, Segment,"
                                 " SegmentIndex, ElementIndex, Minimum, Maximum)"
                                 " VALUES (?1, '004010', '850', 'I', ?2, ?3, ?4, 1, 80)");
        for (int j = 1; j <= elements; ++j) el.bindAll(kPartner, std::string(id), index, j).run();
    };
    map(1, "BEG", 1, 5);
    map(2, "PO1", 100, 7);
    // Sorted by partner, one for all: the rows keep their places whatever the commands write.
    main->lvw_ColumnClick("Inbox", 1);
    select("Inbox", {0, 2});
    long long last = lastHistoryIndex();
    main->runCommand("mnuValidate");
    EXPECT_EQ(field("Inbox", 0, "Status"), "Validated");
    EXPECT_EQ(field("Inbox", 1, "Status"), "Closed");
    EXPECT_EQ(field("Inbox", 2, "Status"), "Validated");
    EXPECT_EQ(historySince(last).back(), kPartner + "_850_004010_I Validated: 2 Errors: 0");
    // The refresh brought the preview back to the selected set.
    EXPECT_EQ(main->previewText().substr(0, 12), "ST*850*0001\n");

    // The acknowledgement answers the Inbox selection whichever folder is shown.
    click("Sent");
    main->runCommand("mnuGenerateAcknowledgement");
    EXPECT_EQ(field("Inbox", 0, "Acknowledged"), "Yes");
    EXPECT_EQ(field("Inbox", 1, "Acknowledged"), "Void");
    EXPECT_EQ(main->folderNode("Outbox")->text(0), QStringLiteral("Outbox (1)"));

    click("Outbox");
    select("Outbox", {0});
    main->runCommand("mnuMarkAsClosed");
    EXPECT_EQ(field("Outbox", 0, "Status"), "Closed");
    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuSent");
    EXPECT_EQ(main->boxes.back(), "36 Veltrane: Are you sure you want to move these 1 Outbox Item(s) to the Sent\r\n");
    EXPECT_EQ(main->folderNode("Sent")->text(0), QStringLiteral("Sent (1)"));
    EXPECT_EQ(main->folderNode("Outbox")->text(0), QStringLiteral("Outbox (0)"));
    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuOutbox");
    EXPECT_EQ(main->folderNode("Outbox")->text(0), QStringLiteral("Outbox (1)"));

    // Delete recycles, and deletes for good in the Recycled folder.
    click("Inbox");
    select("Inbox", {1, 2});
    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuDelete");
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (1)"));
    EXPECT_EQ(main->folderNode("Recycled")->text(0), QStringLiteral("Recycled (2)"));
    click("Recycled");
    select("Recycled", {0});
    main->boxAnswers = {core::vbYes};
    last = lastHistoryIndex();
    main->runCommand("mnuDelete");
    EXPECT_EQ(main->folderNode("Recycled")->text(0), QStringLiteral("Recycled (1)"));
    EXPECT_EQ(historySince(last), (std::vector<std::string>{"Selected [Edit] - [Delete]", "1 Item(s) deleted "}));
}

TEST_F(FolderCommands, SelectAllAndSelectionFilterWidenTheSelection) {
    before([](vt::db::Database& db) {
        addItem(db, "Inbox", "ACME");
        addItem(db, "Inbox", "OTHER");
        addItem(db, "Inbox", "ACME");
        addItem(db, "Inbox", "OTHER");
        addLog(db, "History", "Info", "One");
        addLog(db, "History", "Info", "Two");
    });
    start();
    click("Inbox");
    main->folderModel("Inbox")->setSort(0, 0);
    select("Inbox", {1});
    main->runCommand("mnuSelectionFilter");
    EXPECT_EQ(selectedRows("Inbox"), (std::vector<int>{1, 3}));
    main->runCommand("mnuSelectAll");
    EXPECT_EQ(selectedRows("Inbox"), (std::vector<int>{0, 1, 2, 3}));
    // Nothing selected: nothing to widen.
    list("Inbox")->selectionModel()->clearSelection();
    main->runCommand("mnuSelectAll");
    EXPECT_TRUE(selectedRows("Inbox").empty());

    click("History");
    select("History", {0});
    main->runCommand("mnuSelectionFilter");
    EXPECT_EQ(selectedRows("History"), std::vector<int>{0});
    main->runCommand("mnuSelectAll");
    EXPECT_EQ(selectedRows("History").size(), size_t(main->folderModel("History")->rowCount()));
}

}  // namespace
