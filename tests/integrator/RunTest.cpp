#include "IntegratorFixture.h"
#include "platform/files/SafeFile.h"

#include <gtest/gtest.h>

namespace vt::integrator {
namespace {

using test::IntegratorDb;
using test::Item;
using test::TRow;

struct Run : ::testing::Test {
    IntegratorDb t;
    test::FakeSteps steps;
    std::unique_ptr<Integrator> integ;
    void load() {
        integ = std::make_unique<Integrator>(t.services, steps);
        integ->Load();
    }
    std::string calls() {
        std::string s;
        for (const auto& c : steps.calls) s += (s.empty() ? "" : "|") + c;
        return s;
    }
};

TEST_F(Run, InboundExportsRecyclesExactlyTheSelectedRowsAndLogs) {
    t.addRow({});
    const auto a = t.add("Inbox", Item{});
    const auto b = t.add("Inbox", Item{.status = "Open"});
    Item other;
    other.direction = "O";
    t.add("Inbox", other);
    load();
    steps.inbox = {a, b};
    integ->cmdProcess_Click();
    EXPECT_EQ(calls(), "select ACME_850_004010_I|export");
    EXPECT_EQ(t.column("Recycled", "Direction"), "I|I");
    EXPECT_EQ(t.column("Recycled", "Status"), "Closed|Open");
    EXPECT_EQ(t.column("Inbox", "Direction"), "O");
    EXPECT_EQ(t.history(), "Info:Processed complete! ACME_850_004010_I");
    EXPECT_EQ(t.ui.refreshed, (std::vector<std::string>{"Inbox", "Recycled"}));
}

TEST_F(Run, NothingInTheInboxOnlyWarns) {
    t.addRow({});
    load();
    integ->cmdProcess_Click();
    EXPECT_EQ(calls(), "select ACME_850_004010_I");
    EXPECT_EQ(t.history(), "Warning:There are no Transactions to process! ACME_850_004010_I");
}

TEST_F(Run, OptionBoxesChooseTheSteps) {
    struct Case { int ack, activeX, print; const char* calls; };
    for (const Case& c : {Case{0, 0, 0, "export"}, Case{0, 0, 1, "print"}, Case{0, 1, 1, "plugin 1"},
                          Case{0, 1, 0, "plugin 2"}, Case{1, 0, 1, "acknowledge|print"},
                          Case{1, 1, 0, "acknowledge|plugin 2"}}) {
        IntegratorDb db;
        db.addRow({});
        test::FakeSteps fake;
        fake.inbox = {db.add("Inbox", Item{})};
        Integrator i(db.services, fake);
        i.Load();
        i.row(0).ack = c.ack;
        i.row(0).customActiveX = c.activeX;
        i.row(0).print = c.print;
        i.cmdProcess_Click();
        std::string got;
        for (size_t k = 1; k < fake.calls.size(); ++k) got += (k > 1 ? "|" : "") + fake.calls[k];
        EXPECT_EQ(got, c.calls);
        EXPECT_EQ(db.count("Recycled"), 1);
        if (c.ack) {
            EXPECT_EQ(db.history().rfind("Info:Selected [Tools] - [Generate Acknowledgement]|", 0), 0u) << db.history();
        }
    }
}

TEST_F(Run, AFailedStepKeepsTheRowsInTheInboxAndLogsAnError) {
    for (const char* failing : {"acknowledge", "plugin", "print", "export"}) {
        IntegratorDb db;
        db.addRow({"ACME", "850", "004010", "I", "Ack = 1"});
        test::FakeSteps fake;
        fake.inbox = {db.add("Inbox", Item{})};
        fake.results[failing] = false;
        Integrator i(db.services, fake);
        i.Load();
        i.row(0).customActiveX = std::string(failing) == "plugin";
        i.row(0).print = std::string(failing) == "print";
        i.cmdProcess_Click();
        EXPECT_EQ(db.count("Inbox"), 1) << failing;
        EXPECT_EQ(db.count("Recycled"), 0) << failing;
        EXPECT_EQ(db.history().find("Processed complete!"), std::string::npos) << failing;
        EXPECT_NE(db.history().find("Error:Process Failed - ACME_850_004010_I"), std::string::npos) << failing;
    }
}

TEST_F(Run, OutboundExtractsThenTranslatesByPositionAndKey) {
    {
        odbc::Connection source;
        source.open("Driver=VtSQLite3;" + odbc::attribute("Database", t.source.string()));
        source.execute("CREATE TABLE po (PO VARCHAR(10), Due DATE)");
        source.execute("INSERT INTO po VALUES ('A', '2024-03-01'), ('B', '2024-02-01')");
    }
    t.addRow({"A"});
    t.addRow({"B", "810", "004010", "O", "StartDate = 1, Minus = '10', " +
                                             t.sqliteSettings("SELECT PO, ? AS Since FROM po WHERE PO = 'A'")});
    t.addRow({"C", "850", "004010", "o"});
    load();
    integ->RunTransaction(1, t.services, false);
    EXPECT_EQ(calls(), "outbound B_810_004010_O 2");
    EXPECT_EQ(t.read(t.import / "B_810_004010_O.IMP"), "A\t02/24/2024\r\n");   // today 3/5/2024 minus 10 days
    EXPECT_EQ(t.history(), "Info:Logon ODBC -   server succeeded.|Info:1 record returned from statement.|"
                           "Info:Disconnected from data source - VtSQLite3");
    EXPECT_FALSE(integ->connected());
    // A lower-case "o" is inbound.
    integ->RunTransaction(2, t.services, false);
    EXPECT_EQ(steps.calls.back(), "select C_850_004010_o");
}

// The pickers belong to the window: only a run of the shown row started by hand reads them.
TEST_F(Run, OnlyAHandStartedRunOfTheShownRowTakesThePickers) {
    {
        odbc::Connection source;
        source.open("Driver=VtSQLite3;" + odbc::attribute("Database", t.source.string()));
        source.execute("CREATE TABLE po (PO VARCHAR(10))");
        source.execute("INSERT INTO po VALUES ('A')");
    }
    t.addRow({"B", "810", "004010", "O", "StartDate = 1, Minus = '10', " +
                                             t.sqliteSettings("SELECT PO, ? AS Since FROM po")});
    load();
    struct Case {
        bool scheduled, minimized;
        const char* since;
    };
    for (const Case& c : {Case{false, false, "01/02/2020"}, Case{true, false, "02/24/2024"},
                          Case{false, true, "02/24/2024"}}) {
        integ->select(0);
        integ->startPicker = text::DateTime{2020, 1, 2};
        integ->minimized = c.minimized;
        integ->RunTransaction(0, t.services, c.scheduled);
        EXPECT_EQ(t.read(t.import / "B_810_004010_O.IMP"), std::string("A\t") + c.since + "\r\n")
            << c.scheduled << c.minimized;
    }
}

TEST_F(Run, AFailedExtractionFailsTheRunAndSendsNoStaleFiles) {
    struct Case {
        const char* direction;
        bool reachesSource;   // else the connection is refused
        const char* sql;
        const char* middle;   // History between the logon and the disconnection
    };
    for (const Case& c : {Case{"O", false, "", ""}, Case{"I", false, "", ""},
                          Case{"O", true, "SELECT nope FROM nothing", "Error:-2147467259 "},
                          Case{"O", true, "CREATE TABLE IF NOT EXISTS x (a INTEGER)", "Info:No rowset returned"}}) {
        IntegratorDb db;
        const std::string key = std::string("B_810_004010_") + c.direction;
        db.addRow({"B", "810", "004010", c.direction,
                   c.reachesSource ? db.sqliteSettings(c.sql)
                                   : "ExecuteSQL = 1, Driver = 'NoSuchDriver', Server = 'nowhere'"});
        files::ReplaceFile(db.import / (key + ".IMP"), "OLD\r\n");
        test::FakeSteps fake;
        fake.inbox = {db.add("Inbox", Item{})};
        Integrator i(db.services, fake);
        i.Load();
        i.cmdProcess_Click();
        EXPECT_TRUE(fake.calls.empty()) << key << " " << c.sql;
        EXPECT_EQ(db.read(db.import / (key + ".IMP")), "OLD\r\n");
        EXPECT_EQ(db.count("Inbox"), 1);
        EXPECT_FALSE(i.connected());
        const std::string h = db.history();
        const std::string failed = "Error:Process Failed - " + key;
        EXPECT_EQ(h.substr(h.size() - std::min(h.size(), failed.size())), failed) << h;
        if (c.reachesSource) {
            EXPECT_EQ(h.rfind("Info:Logon ODBC -   server succeeded.|" + std::string(c.middle), 0), 0u) << h;
            EXPECT_NE(h.find("|Info:Disconnected from data source - VtSQLite3|" + failed), std::string::npos) << h;
        } else {
            EXPECT_EQ(h.rfind("Error:-2147467259 ", 0), 0u) << h;
            EXPECT_EQ(db.ui.eventsStartingWith("box 16").size(), 1u);
        }
    }
}

TEST_F(Run, A997IsNotAcknowledgedYetItsRunGoesOn) {
    t.addRow({"ACME", "997", "004010", "I", "Ack = 1"});
    load();
    steps.inbox = {t.add("Inbox", Item{.transaction = "997"})};
    steps.results["acknowledge"] = false;   // the refusal
    integ->cmdProcess_Click();
    EXPECT_EQ(calls(), "select ACME_997_004010_I|acknowledge|export");
    EXPECT_EQ(t.count("Recycled"), 1);
    EXPECT_NE(t.history().find("Info:Processed complete! ACME_997_004010_I"), std::string::npos);
}

TEST_F(Run, TheWindowCannotCloseDuringARun) {
    t.addRow({});
    load();
    steps.inbox = {t.add("Inbox", Item{})};
    bool busyInside = false, refusedInside = false, runningInside = false;
    steps.during = [&] {
        busyInside = integ->busy();
        refusedInside = !integ->QueryUnload();
        runningInside = IsIntegratorRunning();
    };
    integ->cmdProcess_Click();
    EXPECT_TRUE(busyInside && refusedInside && runningInside);
    EXPECT_FALSE(integ->busy());
    EXPECT_TRUE(integ->QueryUnload());
    EXPECT_FALSE(IsIntegratorRunning());
}

TEST_F(Run, AStepThatThrowsEndsItsRunAndLeavesNothingBusy) {
    t.addRow({});
    load();
    steps.inbox = {t.add("Inbox", Item{})};
    steps.during = [] { throw core::RunError(5, "Invalid procedure call or argument"); };
    integ->cmdProcess_Click();
    EXPECT_FALSE(integ->busy());
    EXPECT_TRUE(integ->QueryUnload());
    EXPECT_FALSE(IsIntegratorRunning());
    EXPECT_EQ(t.count("Inbox"), 1);
    EXPECT_EQ(t.history(), "Error:5 Invalid procedure call or argument");
}

TEST_F(Run, ModifyChecksConflictsAsksAndSavesOrRestores) {
    t.addRow({"A", "850", "004010", "I", "CheckTime = 1, \"Time\" = 0.25, Mon = 1"});
    t.addRow({"B", "850", "004010", "I"});
    load();
    integ->select(1);
    integ->cmdModify_Click();
    EXPECT_TRUE(integ->editing());
    integ->row(1).setCheckTime(1);
    integ->row(1).days[Mon] = 1;
    integ->row(1).time = 45000.25;   // 6:00 AM on another day clashes by hour and minute
    integ->cmdModify_Click();
    EXPECT_TRUE(integ->editing());
    EXPECT_EQ(t.ui.events.back(), "box 48 Veltrane: Only one event can be scheduled at 6:00 AM");
    integ->row(1).time = 45000.5;
    integ->row(1).password = "secret";
    t.ui.boxAnswers = {core::vbNo};
    integ->cmdModify_Click();
    EXPECT_FALSE(integ->editing());
    EXPECT_EQ(integ->row(1).password, "");   // the stored values again
    integ->cmdModify_Click();
    integ->row(1).password = "secret";
    integ->cmdModify_Click();   // Yes
    EXPECT_EQ(t.db.scalarText("SELECT Password FROM Transactions WHERE Partner = 'B'"), "secret");
    EXPECT_EQ(integ->caption(), "Integrator -- B_850_004010_I");
}

TEST_F(Run, RowsAtTheSameTimeOnDifferentWeekdaysAreBothSaved) {
    t.addRow({"A", "850", "004010", "I", "CheckTime = 1, \"Time\" = 0.3333333333, Mon = 1"});
    t.addRow({"B", "850", "004010", "I"});
    load();
    integ->select(1);
    integ->cmdModify_Click();
    integ->row(1).setCheckTime(1);
    integ->row(1).time = 45000 + 1.0 / 3;   // 8:00 AM
    integ->row(1).days[Tue] = 1;
    t.ui.boxAnswers = {core::vbYes};
    integ->cmdModify_Click();
    EXPECT_FALSE(integ->editing());
    EXPECT_EQ(t.ui.events.back(), "box 36 Veltrane: Save Scheduled Changes?");
    EXPECT_EQ(t.db.scalarText("SELECT CheckTime || Mon || Tue FROM Transactions WHERE Partner = 'B'"), "101");
}

TEST_F(Run, ARowDeletedMeanwhileIsReportedWhenShown) {
    t.addRow({"A"});
    t.addRow({"B"});
    load();
    t.db.exec("DELETE FROM Transactions WHERE Partner = 'B'");
    integ->select(1);
    EXPECT_EQ(integ->caption(), "Integrator -- B_850_004010_I");
    EXPECT_NE(t.history().find("Error:3021 Either BOF or EOF is True"), std::string::npos);
    integ->cmdModify_Click();
    integ->cmdModify_Click();   // Save: the record is gone, the window stays in edit mode
    EXPECT_TRUE(integ->editing());
}

}  // namespace
}  // namespace vt::integrator
