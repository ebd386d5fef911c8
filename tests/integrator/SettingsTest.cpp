#include "IntegratorFixture.h"

#include <gtest/gtest.h>

namespace vt::integrator {
namespace {

using test::IntegratorDb;
using test::TRow;

double at(int hour, int minute, int second = 0, double day = 45000) {
    return day + (hour * 3600 + minute * 60 + second) / 86400.0;
}

TEST(IntegratorSettings, LoadListsByPartnerAndKeepsOnlyOneScheduleKind) {
    IntegratorDb t;
    t.addRow({"B", "810", "004010", "O", "CheckTime = 1, Mon = 1, \"Time\" = 0.5"});
    t.addRow({"A", "850", "004010", "I", "CheckTime = 1, CheckInterval = 1, \"Interval\" = 1"});
    t.addRow({"A", "855", "004010", "O", "Minus = '7', Plus = '0', ExportFormat = 5"});
    std::vector<RowSettings> rows;
    LoadTransactions(t.services, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].key.text(), "A_850_004010_I");
    EXPECT_EQ(rows[1].key.text(), "A_855_004010_O");
    EXPECT_EQ(rows[2].key.text(), "B_810_004010_O");
    EXPECT_EQ(rows[0].checkTime, 0);
    EXPECT_EQ(rows[0].checkInterval, 1);
    EXPECT_EQ(ScheduleDescription(rows[0]), "Every 30 Minutes");
    EXPECT_EQ(rows[1].exportFormat, 5);
    const text::DateTime now{2024, 3, 5, 14, 7, 9};
    EXPECT_EQ(startOfRange(rows[1], now), (text::DateTime{2024, 2, 27}));
    EXPECT_EQ(endOfRange(rows[1], now), (text::DateTime{2024, 3, 5}));
}

TEST(IntegratorSettings, UnsuitableStoredValuesStopTheLoadAfterTheGoodRows) {
    struct Case { const char* extra; long number; };
    for (const Case& c : {Case{"CheckTime = 3", 380}, Case{"\"Interval\" = 6", 380}, Case{"ExportFormat = -1", 380},
                          Case{"Plus = 'x'", 13}, Case{"\"Time\" = 'noon'", 13}}) {
        IntegratorDb t;
        t.addRow({"A"});
        t.addRow({"B", "850", "004010", "I", c.extra});
        std::vector<RowSettings> rows;
        try {
            LoadTransactions(t.services, rows);
            ADD_FAILURE() << c.extra;
        } catch (const core::RunError& e) {
            EXPECT_EQ(e.number(), c.number) << c.extra;
        }
        EXPECT_EQ(rows.size(), 1u) << c.extra;
    }
}

TEST(IntegratorSettings, ScheduleDescriptions) {
    RowSettings r;
    r.time = at(9, 5);
    EXPECT_EQ(ScheduleDescription(r), "No Event Scheduled");
    r.setCheckTime(1);
    EXPECT_EQ(ScheduleDescription(r, ""), "");   // no day ticked
    r.days[Mon] = r.days[Wed] = 1;
    EXPECT_EQ(ScheduleDescription(r), "At 9:05 AM every Mon, Wed,  of every week");
    r.days.fill(1);
    EXPECT_EQ(ScheduleDescription(r), "At 9:05 AM every Mon, Tue, Wed, Thu, Fri, Sat, Sun,  of every week");
    r.interval = 1;
    r.setCheckInterval(1);
    EXPECT_EQ(r.checkTime, 0);
    EXPECT_EQ(ScheduleDescription(r), "Every 30 Minutes");
    r.setCheckInterval(0);
    EXPECT_EQ(r.checkTime, 0);   // unticking never ticks the other
}

// Two rows are one event when the scheduler would start both in the same minute: timed, the
// same hour and minute, and a weekday ticked on both.
TEST(IntegratorSettings, ConflictNeedsTheHourMinuteAndAWeekdayOfTwoTimedRows) {
    struct Case {
        double a, b;
        int bTimed;
        std::vector<Weekday> aDays, bDays;
        bool clash;
    };
    for (const Case& c : {Case{at(8, 0), at(8, 0), 1, {Mon}, {Mon}, true},
                          Case{at(8, 0, 0, 45000), at(8, 0, 30, 45123), 1, {Mon, Fri}, {Fri}, true},
                          Case{at(8, 0), at(8, 0), 1, {Mon}, {Tue}, false},
                          Case{at(8, 0), at(8, 0), 1, {}, {}, false},
                          Case{at(8, 0), at(8, 1), 1, {Mon}, {Mon}, false},
                          Case{at(8, 0), at(20, 0), 1, {Mon}, {Mon}, false},
                          Case{at(8, 0), at(8, 0), 0, {Mon}, {Mon}, false}}) {
        std::vector<RowSettings> rows(3);
        rows[0].setCheckTime(1);
        rows[0].time = c.a;
        for (Weekday d : c.aDays) rows[0].days[d] = 1;
        rows[2].setCheckTime(c.bTimed);
        rows[2].time = c.b;
        for (Weekday d : c.bDays) rows[2].days[d] = 1;
        rows[1].time = c.a;   // not timed
        rows[1].days = rows[0].days;
        const auto clash = TimeConflict(rows);
        EXPECT_EQ(clash.has_value(), c.clash) << c.a << " " << c.b << " " << c.aDays.size() << c.bDays.size();
        if (clash) {
            EXPECT_EQ(*clash, "8:00 AM");
        }
    }
}

TEST(IntegratorSettings, SaveWritesTheIntegratorFieldsOfThatRowOnly) {
    IntegratorDb t;
    t.addRow({"A", "850", "004010", "I", "ActiveX = 'Lib.A_850_004010_I', ControlNumber = '17'"});
    t.addRow({"A", "850", "004010", "O"});
    std::vector<RowSettings> rows;
    LoadTransactions(t.services, rows);
    RowSettings r = rows[0];
    r.setCheckTime(1);
    r.time = at(9, 5);
    r.days[Fri] = 1;
    r.interval = 1;
    r.exportFormat = -1;
    r.password = "p;w";
    r.plus = "3";
    r.sql = "SELECT * FROM po WHERE d BETWEEN ? AND ?";
    SaveTransaction(t.services, r);
    const RowSettings back = ReadTransaction(t.services, r.key);
    EXPECT_EQ(back.checkTime, 1);
    EXPECT_DOUBLE_EQ(back.time, at(9, 5));
    EXPECT_EQ(back.days[Fri], 1);
    EXPECT_EQ(back.interval, 1);
    EXPECT_EQ(back.exportFormat, 0);   // never -1
    EXPECT_EQ(back.password, "p;w");
    EXPECT_EQ(back.plus, "3");
    EXPECT_EQ(back.sql, r.sql);
    EXPECT_EQ(t.db.scalarText("SELECT ActiveX || '|' || ControlNumber FROM Transactions WHERE Id = 1"),
              "Lib.A_850_004010_I|17");
    EXPECT_EQ(t.db.scalarInt("SELECT CheckTime FROM Transactions WHERE Direction = 'O'"), 0);
    r.key.partner = "Gone";
    EXPECT_THROW(SaveTransaction(t.services, r), core::RunError);
}

TEST(IntegratorSettings, ConnectionStrings) {
    struct Case { const char* dsn; const char* driver; const char* server; const char* uid; const char* pwd;
                  const char* database; const char* expected; };
    for (const Case& c : {
             Case{"Sales", "", "", "edi", "", "", "DSN=Sales;UID=edi;PWD=;"},
             Case{"", "PostgreSQL", "db1", "edi", "s", "orders", "Driver=PostgreSQL;Server=db1;UID=edi;PWD=s;Database=orders;"},
             Case{"Sales", "X", "Y", "", "a;DSN=Other", "", "DSN=Sales;UID=;PWD={a;DSN=Other};"},
             // A driver written in braces, as connection strings name drivers, stays as typed.
             Case{"", "{PostgreSQL ANSI}", "db1", "edi", "", "", "Driver={PostgreSQL ANSI};Server=db1;UID=edi;PWD=;"},
             Case{"", "{a}}b}", "", "", "", "", "Driver={a}}b};Server=;UID=;PWD=;"},
             Case{"", "{a}b}", "", "", "", "", "Driver={{a}}b}}};Server=;UID=;PWD=;"},
             Case{"", "{half", "", "", "", "", "Driver={{half};Server=;UID=;PWD=;"},
             // Only the driver: a password in braces is a password with braces.
             Case{"", "", "", "", "{pw}", "", "Driver=;Server=;UID=;PWD={{pw}}};"},
         }) {
        RowSettings r;
        r.dataSourceName = c.dsn;
        r.driver = c.driver;
        r.server = c.server;
        r.userId = c.uid;
        r.password = c.pwd;
        r.database = c.database;
        EXPECT_EQ(ConnectionString(r), c.expected);
    }
}

TEST(IntegratorSettings, DataSourceListsAreSortedAndDriversListedOnce) {
    test::OdbcConfig& config = test::OdbcConfig::instance();
    config.addDataSource("Zeta", "VtSQLite3", "Database=/nonexistent/z.db");
    config.addDataSource("alpha", "VtSQLite3", "Database=/nonexistent/a.db");
    const DataSourceLists lists = GetDSNsAndDrivers();
    config.clearDataSources();
    EXPECT_EQ(lists.names, (std::vector<std::string>{"alpha", "Zeta"}));
    EXPECT_EQ(lists.drivers, (std::vector<std::string>{"VtSQLite3"}));
}

}  // namespace
}  // namespace vt::integrator
