#include "folders/FolderOperations.h"
#include "folders/InterchangeReader.h"
#include "tests/folders/FolderFixture.h"
#include "tests/folders/X12Builder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace vt::folders;
using vt::core::vbNo;
using vt::core::vbYes;
using vt::test::FolderDb;
using vt::test::Item;

namespace {

const char* const kAllFields =
    "Partner || '|' || \"Transaction\" || '|' || Version || '|' || Direction || '|' || \"Date\" || '|' || \"Time\" "
    "|| '|' || Used || '|' || InterchangeControlNumber || '|' || GroupControlNumber || '|' || FunctionalGroup || '|' "
    "|| SenderID || '|' || SenderDivision || '|' || ReceiverID || '|' || ReceiverDivision || '|' || Acknowledged || "
    "'|' || Status || '|' || TSet";

Item numbered(int n, const char* direction = "O") {
    Item i;
    i.direction = direction;
    i.icn = "00000000" + std::to_string(n);
    i.tset = "ST*850*000" + std::to_string(n) + "~SE*2*000" + std::to_string(n) + "~";
    i.status = n % 2 ? "Validated" : "Error";
    i.acknowledged = n % 2 ? "Yes" : "Void";
    return i;
}

std::string rowText(FolderDb& db, const std::string& table, const char* where) {
    return db.db.scalarText(std::string("SELECT ") + kAllFields + " FROM \"" + table + "\" WHERE " + where);
}

TEST(Move, MovesTheSelectedRowsWithAllTheirFields) {
    FolderDb db;
    for (int n = 1; n <= 3; ++n) db.add("Outbox", numbered(n));
    const std::string first = rowText(db, "Outbox", "InterchangeControlNumber = '000000001'");
    const std::string third = rowText(db, "Outbox", "InterchangeControlNumber = '000000003'");

    MoveItems(db.services, db.list("Outbox", {0, 2}), "Sent");
    EXPECT_EQ(db.boxes(),
              std::vector<std::string>{"box 36 Veltrane: Are you sure you want to move these 2 Outbox Item(s) to the Sent\r\n"});
    EXPECT_EQ(db.column("Outbox", "InterchangeControlNumber"), "000000002");
    EXPECT_EQ(rowText(db, "Sent", "InterchangeControlNumber = '000000001'"), first);
    EXPECT_EQ(rowText(db, "Sent", "InterchangeControlNumber = '000000003'"), third);
    EXPECT_EQ(db.history(), "Info:2 Outbox Item(s) moved to the Sent");
    EXPECT_EQ(db.ui.refreshed, (std::vector<std::string>{"Outbox", "Sent"}));
    EXPECT_EQ(db.ui.panels[3], "");
    EXPECT_EQ(db.ui.progressMax, 0);
    EXPECT_FALSE(db.db.inTransaction());

    // And back: the Acknowledged value travels with the row.
    MoveItems(db.services, db.list("Sent", {0}), "Outbox");
    EXPECT_EQ(db.column("Outbox", "Acknowledged"), "Void|Yes");
    EXPECT_EQ(db.column("Sent", "Acknowledged"), "Yes");
}

TEST(Move, NoAnswerAndNothingSelected) {
    FolderDb db;
    db.add("Sent", numbered(1));
    db.ui.boxAnswers = {vbNo};
    MoveItems(db.services, db.list("Sent", {0}), "Outbox");
    EXPECT_EQ(db.count("Sent"), 1);
    EXPECT_EQ(db.history(), "");
    EXPECT_TRUE(db.ui.refreshed.empty());

    // Rows but none selected: the question still comes, with the count 0.
    MoveItems(db.services, db.list("Sent"), "Outbox");
    EXPECT_EQ(db.boxes().back(), "box 36 Veltrane: Are you sure you want to move these 0 Sent Item(s) to the Outbox\r\n");
    EXPECT_EQ(db.history(), "Info:0 Sent Item(s) moved to the Outbox");
    EXPECT_EQ(db.ui.refreshed, (std::vector<std::string>{"Sent", "Outbox"}));
    EXPECT_EQ(db.count("Sent"), 1);
}

TEST(Move, EmptyFolderHasNoFirstRecord) {
    FolderDb db;
    MoveItems(db.services, db.list("Sent"), "Outbox");
    EXPECT_EQ(db.boxes().size(), 2u);   // the question, then the error
    EXPECT_EQ(db.history(),
              "Error:3021 Either BOF or EOF is True, or the current record has been deleted. Requested operation "
              "requires a current record.");
    EXPECT_TRUE(db.ui.refreshed.empty());
}

TEST(Recycle, SendsRowsToRecycledAsTheyAre) {
    FolderDb db;
    for (int n = 1; n <= 4; ++n) db.add("Outbox", numbered(n));
    const std::string second = rowText(db, "Outbox", "InterchangeControlNumber = '000000002'");
    RecycleItems(db.services, db.list("Outbox", {1, 2, 3}));
    EXPECT_EQ(db.boxes(), std::vector<std::string>{
                              "box 36 Veltrane: Are you sure you want to send these 3 Item(s) to the Recycled folder \r\n"});
    EXPECT_EQ(db.count("Outbox"), 1);
    EXPECT_EQ(rowText(db, "Recycled", "InterchangeControlNumber = '000000002'"), second);
    EXPECT_EQ(db.column("Recycled", "Direction"), "O|O|O");
    EXPECT_EQ(db.history(), "Info:3 Outbox Item(s) Recycled");
    EXPECT_EQ(db.ui.refreshed, (std::vector<std::string>{"Recycled", "Outbox"}));
}

TEST(Delete, DeletesForGoodAfterAsking) {
    FolderDb db;
    for (int n = 1; n <= 3; ++n) db.add("Recycled", numbered(n));
    DeleteItems(db.services, db.list("Recycled"));   // nothing selected: nothing at all
    EXPECT_TRUE(db.ui.events.empty());

    db.ui.boxAnswers = {vbNo};
    DeleteItems(db.services, db.list("Recycled", {0, 2}));
    EXPECT_EQ(db.count("Recycled"), 3);

    DeleteItems(db.services, db.list("Recycled", {0, 2}));
    EXPECT_EQ(db.boxes(), std::vector<std::string>(2, "box 36 Veltrane: You are about to delete 2 Item(s).\r\n"
                                                      "Are you sure you want to delete these Item(s)?"));
    EXPECT_EQ(db.column("Recycled", "InterchangeControlNumber"), "000000002");
    EXPECT_EQ(db.history(), "Info:2 Item(s) deleted ");
    EXPECT_EQ(db.ui.refreshed, std::vector<std::string>{"Recycled"});
}

TEST(SetStatus, ClosesTheSelectedRowsOnly) {
    FolderDb db;
    for (int n = 1; n <= 3; ++n) db.add("Inbox", numbered(n, "I"));
    SetStatus(db.services, db.list("Inbox", {0, 1}), "Closed");
    EXPECT_EQ(db.column("Inbox", "Status"), "Closed|Closed|Validated");
    EXPECT_EQ(db.ui.refreshed, std::vector<std::string>{"Inbox"});
    EXPECT_TRUE(db.boxes().empty());
    EXPECT_EQ(db.history(), "");

    SetStatus(db.services, db.list("Sent"), "Closed");   // an empty folder has no first record
    EXPECT_EQ(db.history().substr(0, 11), "Error:3021 ");
}

TEST(Progress, PercentagesRoundHalvesAwayFromZero) {
    FolderDb db;
    for (int n = 1; n <= 8; ++n) db.add("Recycled", numbered(n));
    DeleteItems(db.services, db.list("Recycled", {0, 1, 2, 3, 4, 5, 6, 7}));
    const auto shown = db.ui.eventsStartingWith("status 3");
    ASSERT_EQ(shown.size(), 9u);
    EXPECT_EQ(shown.front(), "status 3: 13% Complete");   // 12.5
    EXPECT_EQ(shown[2], "status 3: 38% Complete");        // 37.5
    EXPECT_EQ(shown[7], "status 3: 100% Complete");
    EXPECT_EQ(shown.back(), "status 3: ");
}

// A database failure in the middle of a command leaves every table as it was.
TEST(Failure, MidCommandChangesNothing) {
    struct Case {
        const char* name;
        const char* trigger;
        std::function<void(FolderDb&)> command;
        const char* table;
    } cases[] = {
        {"move", "CREATE TRIGGER fail BEFORE INSERT ON Sent WHEN NEW.InterchangeControlNumber = '000000003' "
                 "BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         [](FolderDb& db) { MoveItems(db.services, db.list("Outbox", {0, 1, 2, 3}), "Sent"); }, "Outbox"},
        {"recycle", "CREATE TRIGGER fail BEFORE DELETE ON Outbox WHEN OLD.InterchangeControlNumber = '000000004' "
                    "BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         [](FolderDb& db) { RecycleItems(db.services, db.list("Outbox", {0, 1, 2, 3})); }, "Outbox"},
        {"delete", "CREATE TRIGGER fail BEFORE DELETE ON Outbox WHEN OLD.InterchangeControlNumber = '000000002' "
                   "BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         [](FolderDb& db) {
             auto list = db.list("Outbox", {0, 1, 2});
             DeleteItems(db.services, list);
         },
         "Outbox"},
        {"status", "CREATE TRIGGER fail BEFORE UPDATE ON Outbox WHEN OLD.InterchangeControlNumber = '000000003' "
                   "BEGIN SELECT RAISE(ABORT, 'disk full'); END",
         [](FolderDb& db) { SetStatus(db.services, db.list("Outbox", {0, 1, 2, 3}), "Closed"); }, "Outbox"},
    };
    for (const Case& c : cases) {
        FolderDb db;
        for (int n = 1; n <= 4; ++n) db.add("Outbox", numbered(n));
        db.db.exec(c.trigger);
        const std::string before = db.db.scalarText(std::string("SELECT group_concat(") + kAllFields + ", '#') FROM Outbox");
        c.command(db);
        EXPECT_EQ(db.db.scalarText(std::string("SELECT group_concat(") + kAllFields + ", '#') FROM Outbox"), before)
            << c.name;
        EXPECT_EQ(db.count("Sent") + db.count("Recycled"), 0) << c.name;
        EXPECT_EQ(db.history(), "Error:19 disk full") << c.name;
        EXPECT_TRUE(db.ui.refreshed.empty()) << c.name;
        EXPECT_EQ(db.ui.panels[3], "") << c.name;
        EXPECT_EQ(db.ui.progressMax, 0) << c.name;
        EXPECT_FALSE(db.db.inTransaction()) << c.name;
    }
}

TEST(Unattended, NoQuestionNoChange) {
    FolderDb db;
    db.ui.isUnattended = true;
    db.add("Outbox", numbered(1));
    db.add("Recycled", numbered(2));
    MoveItems(db.services, db.list("Outbox", {0}), "Sent");
    RecycleItems(db.services, db.list("Outbox", {0}));
    DeleteItems(db.services, db.list("Recycled", {0}));
    EXPECT_TRUE(db.boxes().empty());
    EXPECT_EQ(db.count("Outbox") + db.count("Recycled"), 2);
    EXPECT_EQ(db.history(), "");
}

// Window events run inside long operations; a command started from one is refused.
struct ReentrantSink : vt::test::RecordingUiSink {
    std::function<void()> onYield;
    void yield() override {
        RecordingUiSink::yield();
        if (onYield) {
            auto once = std::move(onYield);
            onYield = nullptr;
            once();
        }
    }
};

TEST(Refusal, WhileReadingOrWhileAnotherCommandRuns) {
    vt::test::FolderDb base;   // for its folder
    ReentrantSink sink;
    vt::core::Services s{base.db, sink, base.clock, base.settings};
    for (int n = 1; n <= 300; ++n) base.add("Outbox", numbered(n));

    const auto outbox = base.list("Outbox", {0});
    sink.onYield = [&] { MoveItems(s, outbox, "Sent"); };
    std::filesystem::path file = base.folder() / "in.edi";
    std::ofstream(file, std::ios::binary) << vt::test::X12().isa().gs().po().ge().iea().text();
    ASSERT_EQ(LoadBox(s, file, "I"), "");
    EXPECT_EQ(base.db.scalarInt("SELECT count(*) FROM Sent"), 0);

    auto everything = base.list("Outbox");
    everything.selected.assign(everything.ids.size(), true);
    sink.onYield = [&] { DeleteItems(s, base.list("Recycled")); SetStatus(s, outbox, "Closed"); };
    RecycleItems(s, everything);
    EXPECT_EQ(base.db.scalarInt("SELECT count(*) FROM Recycled"), 300);
    EXPECT_EQ(base.db.scalarText("SELECT count(*) FROM Recycled WHERE Status = 'Closed'"), "0");

    std::vector<std::string> boxes;
    for (const auto& e : sink.events)
        if (e.rfind("box", 0) == 0) boxes.push_back(e);
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "box 48 Veltrane: Another interchange file is being read. Try again when it has finished.",
                         "box 36 Veltrane: Are you sure you want to send these 300 Item(s) to the Recycled folder \r\n",
                         "box 48 Veltrane: Another operation is in progress. Try again when it has finished."}));
}

}  // namespace
