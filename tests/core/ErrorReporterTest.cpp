#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vt::core::HistoryItem;
using vt::core::LogHistory;
using vt::core::ReportError;
using vt::text::DateTime;

class HistoryLog : public ::testing::Test {
protected:
    void SetUp() override { savedUser_ = vt::core::gUserName; }
    void TearDown() override { vt::core::gUserName = savedUser_; }

    struct Row {
        std::string type, date, time, user, description;
        std::int64_t index;
    };
    std::vector<Row> rows() {
        std::vector<Row> out;
        auto q = t.db.prepare("SELECT Type, Date, Time, User, Description, \"Index\" FROM History ORDER BY \"Index\"");
        while (q.step()) out.push_back({q.text(0), q.text(1), q.text(2), q.text(3), q.text(4), q.int64(5)});
        return out;
    }

    vt::test::ScratchDatabase t;

private:
    std::string savedUser_;
};

TEST_F(HistoryLog, DateAndTimeFormatsOfRowAndListItem) {
    struct Case {
        DateTime now;
        const char *rowDate, *listDate, *time;
    };
    const Case cases[] = {
        {{2024, 3, 5, 9, 5, 3}, "03/5/2024", "3/5/2024", "09:05:03 AM"},
        {{2024, 12, 25, 12, 0, 0}, "12/25/2024", "12/25/2024", "12:00:00 PM"},
        {{2025, 1, 1, 0, 0, 0}, "01/1/2025", "1/1/2025", "12:00:00 AM"},
        {{2023, 10, 31, 23, 59, 59}, "10/31/2023", "10/31/2023", "11:59:59 PM"},
        {{2023, 7, 9, 13, 1, 2}, "07/9/2023", "7/9/2023", "01:01:02 PM"},
    };
    for (const Case& c : cases) {
        t.clock.set(c.now);
        LogHistory(t.services, "Info", "tick");
        const Row row = rows().back();
        const HistoryItem& item = t.ui.history.back();
        EXPECT_EQ(row.date, c.rowDate) << c.time;
        EXPECT_EQ(row.time, c.time);
        EXPECT_EQ(item.date, c.listDate);
        EXPECT_EQ(item.time, c.time);
    }
}

TEST_F(HistoryLog, StoresTheRowAndShowsItWithItsIndexUserAndIcon) {
    struct Case {
        const char* type;
        const char* icon;
    };
    const Case cases[] = {{"Info", "Info"}, {"Warning", "Warning"}, {"Error", "Error"}, {"Audit", "Error"}, {"info", "Error"}};
    vt::core::gUserName = "tulip";
    for (const Case& c : cases) LogHistory(t.services, c.type, std::string("about ") + c.type);

    const auto stored = rows();
    ASSERT_EQ(stored.size(), std::size(cases));
    ASSERT_EQ(t.ui.history.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(stored[i].type, cases[i].type);
        EXPECT_EQ(stored[i].user, "tulip");
        EXPECT_EQ(stored[i].description, std::string("about ") + cases[i].type);
        const HistoryItem& item = t.ui.history[i];
        EXPECT_EQ(item.index, stored[i].index);
        EXPECT_EQ(item.type, cases[i].type);
        EXPECT_EQ(item.icon, cases[i].icon) << cases[i].type;
        EXPECT_EQ(item.user, "tulip");
        EXPECT_EQ(item.description, stored[i].description);
    }
    EXPECT_LT(stored[0].index, stored[1].index);
}

TEST_F(HistoryLog, BeforeLoginTheUserIsSystem) {
    vt::core::gUserName = "System";
    LogHistory(t.services, "Info", "Veltrane Started");
    EXPECT_EQ(rows().at(0).user, "System");
}

TEST_F(HistoryLog, NodeCountsTheListItemsAndStatusShowsTheDescription) {
    t.ui.historyItemsBefore = 10;   // the list already showed ten rows; the table holds none
    LogHistory(t.services, "Info", "first");
    LogHistory(t.services, "Warning", "second");
    EXPECT_EQ(t.ui.nodeTexts["History"], "History (12)");
    EXPECT_EQ(t.ui.panels[1], "second");
    EXPECT_EQ(t.db.scalarInt("SELECT count(*) FROM History"), 2);
}

TEST_F(HistoryLog, AFailingLogShowsOneBoxAndNeverRecurses) {
    t.db.exec("DROP TABLE History");
    LogHistory(t.services, "Info", "lost");
    const auto boxes = t.ui.eventsStartingWith("box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("box 16 Veltrane: ", 0), 0u) << boxes[0];
    EXPECT_TRUE(t.ui.history.empty());
    EXPECT_TRUE(t.ui.nodeTexts.empty());

    // Unattended: nothing blocks; the failure is left in the status bar.
    t.ui.events.clear();
    t.ui.isUnattended = true;
    LogHistory(t.services, "Info", "lost again");
    EXPECT_TRUE(t.ui.eventsStartingWith("box").empty());
    EXPECT_NE(t.ui.panels[1].find("History"), std::string::npos) << t.ui.panels[1];
}

TEST_F(HistoryLog, ReportErrorShowsLogsAndLeavesNumberAndTextInTheStatusBar) {
    try {
        throw vt::core::RunError(13, "Type mismatch");
    } catch (...) {
        ReportError(t.services);
    }
    const std::vector<std::string> expected = {
        "status 1: Type mismatch", "box 16 Veltrane: Type mismatch", "history Error: 13 Type mismatch",
        "node History: History (1)", "status 1: 13 Type mismatch"};
    EXPECT_EQ(t.ui.events, expected);
    EXPECT_EQ(t.ui.panels[1], "13 Type mismatch");
    EXPECT_EQ(rows().at(0).type, "Error");
    EXPECT_EQ(rows().at(0).description, "13 Type mismatch");
}

TEST_F(HistoryLog, ReportErrorOfADatabaseErrorCarriesItsNumber) {
    try {
        t.db.prepare("SELECT * FROM NoSuchTable");
    } catch (...) {
        ReportError(t.services);
    }
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0].description.rfind("1 ", 0), 0u) << rows()[0].description;
    EXPECT_NE(rows()[0].description.find("NoSuchTable"), std::string::npos);
}

TEST_F(HistoryLog, UnattendedReportErrorShowsNoBoxButStillLogs) {
    t.ui.isUnattended = true;
    try {
        throw vt::core::RunError(3021, "no current record");
    } catch (...) {
        ReportError(t.services);
    }
    EXPECT_TRUE(t.ui.eventsStartingWith("box").empty());
    EXPECT_EQ(rows().at(0).description, "3021 no current record");
}

TEST_F(HistoryLog, ReportErrorWithABrokenLogShowsTwoBoxesAndEnds) {
    t.db.exec("DROP TABLE History");
    try {
        throw vt::core::RunError(5, "Invalid procedure call or argument");
    } catch (...) {
        ReportError(t.services);
    }
    EXPECT_EQ(t.ui.eventsStartingWith("box").size(), 2u);
}

TEST_F(HistoryLog, NoticesAreBoxesOrHistoryRowsWhenUnattended) {
    vt::core::ShowNotice(t.services, "shown", vt::core::vbInformation);
    EXPECT_EQ(t.ui.eventsStartingWith("box"), std::vector<std::string>{"box 64 Veltrane: shown"});
    EXPECT_TRUE(rows().empty());

    t.ui.isUnattended = true;
    struct Case {
        int style;
        const char* type;
    };
    for (Case c : {Case{vt::core::vbInformation, "Info"}, {vt::core::vbExclamation | vt::core::vbOKCancel, "Warning"},
                   {vt::core::vbCritical, "Error"}, {vt::core::vbQuestion | vt::core::vbYesNo, "Info"}}) {
        vt::core::ShowNotice(t.services, "logged", c.style);
        EXPECT_EQ(rows().back().type, c.type) << c.style;
    }
    EXPECT_EQ(t.ui.eventsStartingWith("box").size(), 1u);
}

TEST(DescribeError, MapsTheKindsOfFailure) {
    auto of = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return vt::core::describeError(std::current_exception());
        }
        return vt::core::ErrorInfo{};
    };
    EXPECT_EQ(of([] { throw vt::core::RunError(457, "dup"); }).number, 457);
    EXPECT_EQ(of([] { throw vt::db::Error(19, "constraint"); }).description, "constraint");
    EXPECT_EQ(of([] { throw std::bad_alloc(); }).number, 7);
    EXPECT_EQ(of([] { throw std::runtime_error("odd"); }).description, "odd");
    EXPECT_EQ(of([] { throw 42; }).number, 51);
    // A file error names what failed, the file and why, in that order.
    namespace fs = std::filesystem;
    const auto missing = std::make_error_code(std::errc::no_such_file_or_directory);
    const auto denied = std::make_error_code(std::errc::permission_denied);
    const struct {
        fs::filesystem_error error;
        long number;
        const char* text;
    } files[] = {
        {fs::filesystem_error("cannot replace the file", "/in/a.edi", denied), 75,
         "Cannot replace the file /in/a.edi: Permission denied"},
        {fs::filesystem_error("cannot move", "/out/a.OC", "/sent/A.OC", missing), 53,
         "Cannot move /out/a.OC to /sent/A.OC: No such file or directory"},
        {fs::filesystem_error("cannot rename", denied), 75, "Cannot rename: Permission denied"},
    };
    for (const auto& f : files) {
        const vt::core::ErrorInfo info = of([&] { throw f.error; });
        EXPECT_EQ(info.number, f.number) << f.text;
        EXPECT_EQ(info.description, f.text);
    }
}

}  // namespace
