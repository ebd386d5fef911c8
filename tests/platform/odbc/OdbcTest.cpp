#include "platform/odbc/Odbc.h"
#include "platform/text/Text.h"
#include "tests/support/OdbcFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <string>
#include <vector>

namespace vt::odbc {
namespace {

namespace fs = std::filesystem;
using test::OdbcConfig;

std::vector<std::vector<std::string>> rows(Result& r) {
    std::vector<std::vector<std::string>> out;
    while (r.fetch()) {
        out.emplace_back();
        for (std::size_t i = 0; i < r.columns().size(); ++i) out.back().push_back(r.value(i).value_or("<null>"));
    }
    return out;
}

class SqliteOdbc : public ::testing::Test {
protected:
    void SetUp() override {
        OdbcConfig::instance();
        file_ = OdbcConfig::instance().folder() / ("t" + std::to_string(++serial_) + ".db");
        fs::remove(file_);
        c_.open("Driver=VtSQLite3;" + attribute("Database", file_.string()));
    }
    static inline int serial_ = 0;
    fs::path file_;
    Connection c_;
};

TEST(OdbcText, AttributesAreBracedWhenTheyCouldEndOrOpenOne) {
    struct Case { const char* value; const char* expected; };
    for (const Case& c : {Case{"Sales", "PWD=Sales;"}, Case{"", "PWD=;"}, Case{"a;DSN=x", "PWD={a;DSN=x};"},
                          Case{"x}y", "PWD={x}}y};"}, Case{"{z", "PWD={{z};"}, Case{" lead", "PWD={ lead};"},
                          Case{"a=b", "PWD={a=b};"}})
        EXPECT_EQ(attribute("PWD", c.value), c.expected) << c.value;
}

TEST(OdbcText, SqlTypesMapToAdoNumbersAndSizes) {
    struct Case { int sql, ado; long long size; };
    for (const Case& c : {Case{12, 200, 20}, Case{1, 129, 20}, Case{-1, 201, 20}, Case{-9, 202, 20}, Case{2, 131, 19},
                          Case{3, 131, 19}, Case{4, 3, 4}, Case{5, 2, 2}, Case{-5, 20, 8}, Case{8, 5, 8}, Case{6, 5, 8},
                          Case{7, 4, 4}, Case{-7, 11, 2}, Case{91, 133, 6}, Case{92, 134, 6}, Case{93, 135, 16},
                          Case{-3, 204, 20}, Case{999, 200, 20}}) {
        EXPECT_EQ(adoTypeOf(c.sql), c.ado) << c.sql;
        EXPECT_EQ(adoSizeOf(c.sql, 20), c.size) << c.sql;
    }
}

TEST_F(SqliteOdbc, ExecutesDescribesAndFetchesWithNullsAndText) {
    c_.execute("CREATE TABLE po (id INTEGER, name VARCHAR(20), amount NUMERIC(10,2), shipped DATE, note TEXT)");
    c_.execute("INSERT INTO po VALUES (1, 'Caf\xE9', 12.50, '2024-03-05', NULL)");
    c_.execute("INSERT INTO po VALUES (2, NULL, 0, NULL, 'x')");
    Result r = c_.execute("SELECT id, name, amount, shipped, note FROM po ORDER BY id");
    ASSERT_TRUE(r.hasRowset());
    ASSERT_EQ(r.columns().size(), 5u);
    EXPECT_EQ(r.columns()[0].name, "id");
    EXPECT_EQ(r.columns()[0].adoType, 3);
    EXPECT_EQ(r.columns()[1].adoType, 200);
    EXPECT_EQ(r.columns()[1].size, 20);
    EXPECT_EQ(r.columns()[2].adoType, 5);   // the SQLite driver hands NUMERIC over as DOUBLE
    EXPECT_EQ(r.columns()[3].adoType, 133);
    const auto got = rows(r);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], (std::vector<std::string>{"1", "Caf\xE9", "12.5", "3/5/2024", "<null>"}));
    EXPECT_EQ(got[1], (std::vector<std::string>{"2", "<null>", "0", "<null>", "x"}));
}

TEST_F(SqliteOdbc, LongValuesArriveWhole) {
    c_.execute("CREATE TABLE t (a TEXT)");
    c_.execute("INSERT INTO t VALUES (substr(replace(hex(zeroblob(6000)), '00', 'ab'), 1, 10001) || '\xE9')");
    Result r = c_.execute("SELECT a FROM t");
    ASSERT_TRUE(r.fetch());
    const std::string v = r.value(0).value();
    EXPECT_EQ(v.size(), 10002u);
    EXPECT_EQ(v.substr(0, 4), "abab");
    EXPECT_EQ(v.back(), '\xE9');
}

// The driver never holds a text to its declared size: values longer than their buffer are read
// again whole, wherever they fall.
TEST_F(SqliteOdbc, ValuesLongerThanTheirDeclaredSizeArriveWhole) {
    c_.execute("CREATE TABLE t (n INTEGER, a VARCHAR(2))");
    c_.execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 600) "
               "INSERT INTO t SELECT i, CASE WHEN i % 7 = 0 THEN NULL WHEN i % 5 = 0 THEN printf('%.*c', i * 3, 'x') "
               "ELSE 'ab' END FROM k");
    Result r = c_.execute("SELECT n, a FROM t ORDER BY n");
    const auto got = rows(r);
    ASSERT_EQ(got.size(), 600u);
    for (std::size_t k = 0; k < got.size(); ++k) {
        const std::size_t i = k + 1;
        const std::string want = i % 7 == 0 ? "<null>" : i % 5 == 0 ? std::string(i * 3, 'x') : "ab";
        ASSERT_EQ(got[k], (std::vector<std::string>{std::to_string(i), want})) << i;
    }
}

// Dates, times and numbers read the same as the general forms of the text routines give them.
TEST_F(SqliteOdbc, DatesTimesAndNumbersTakeTheGeneralForms) {
    c_.execute("CREATE TABLE t (d DATE, tm TIME, ts TIMESTAMP, f DOUBLE)");
    struct Case { const char *d, *tm, *ts; double f; };
    const std::vector<Case> cases = {{"2024-03-05", "00:00:00", "2024-03-05 00:00:00", 0.0},
                                     {"1999-12-31", "12:00:00", "2024-03-05 12:00:00", -3.0},
                                     {"0987-01-02", "23:59:59", "1899-12-30 13:05:09", 0.25},
                                     {"2024-11-30", "09:05:07", "2024-11-30 00:00:01", 123456789012345.0},
                                     {"2024-01-01", "00:00:01", "2024-01-01 09:00:00", 1e15},
                                     {"2024-01-01", "01:00:00", "2024-01-01 09:00:00", -0.1},
                                     {"2024-01-01", "01:00:00", "2024-01-01 09:00:00", 1.0 / 3}};
    for (const Case& c : cases)
        c_.execute(std::string("INSERT INTO t VALUES ('") + c.d + "', '" + c.tm + "', '" + c.ts + "', " +
                   text::formatNumber(c.f, "0.0################E+00") + ")");
    Result r = c_.execute("SELECT d, tm, ts, f FROM t ORDER BY rowid");
    auto date = [](const char* iso) {
        int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0;
        std::sscanf(iso, "%d-%d-%d %d:%d:%d", &y, &m, &d, &h, &mi, &s);
        return text::DateTime{y, m, d, h, mi, s};
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(r.fetch());
        int h = 0, mi = 0, s = 0;
        std::sscanf(c.tm, "%d:%d:%d", &h, &mi, &s);
        EXPECT_EQ(r.value(0), text::formatDate(date(c.d), "")) << c.d;
        EXPECT_EQ(r.value(1), text::formatDate(text::DateTime{1899, 12, 30, h, mi, s}, "")) << c.tm;
        EXPECT_EQ(r.value(2), text::formatDate(date(c.ts), "")) << c.ts;
        EXPECT_EQ(r.value(3), text::formatNumber(c.f, "")) << c.f;
    }
}

TEST_F(SqliteOdbc, NumbersTakeTheGeneralFormWhateverTheirDecimals) {
    c_.execute("CREATE TABLE t (f DOUBLE)");
    std::vector<double> values = {0.1, 0.3, 1e-4, 1.5e-5, 0.00015, -0.5, 1.0000000000000002, 99999999999.99,
                                  123456789012345.6, 999999999999999.0, 1e15, 0.1 + 0.2, 2.675, -1e-4, 1e300};
    for (int i = -1500; i <= 1500; i += 7) {
        values.push_back(i / 4.0);
        values.push_back(i / 100.0);
        values.push_back(i / 1000.0 + 1e6);
        values.push_back(i * 1.0001 / 3.0);
    }
    c_.execute("BEGIN");
    for (double v : values) c_.execute("INSERT INTO t VALUES (" + text::formatNumber(v, "0.0################E+000") + ")");
    c_.execute("COMMIT");
    Result r = c_.execute("SELECT f FROM t ORDER BY rowid");
    for (double v : values) {
        ASSERT_TRUE(r.fetch());
        EXPECT_EQ(r.value(0), text::formatNumber(v, "")) << v;
    }
}

TEST_F(SqliteOdbc, UpdateHasNoRowsetAndErrorsCarryTheDriversText) {
    c_.execute("CREATE TABLE t (a INTEGER)");
    Result u = c_.execute("UPDATE t SET a = 1");
    EXPECT_FALSE(u.hasRowset());
    EXPECT_FALSE(u.fetch());
    try {
        c_.execute("SELECT * FROM missing_table");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("missing_table"), std::string::npos) << e.what();
    }
    Connection closed;
    EXPECT_THROW(closed.execute("SELECT 1"), Error);
}

TEST_F(SqliteOdbc, ASemicolonInAPasswordAddsNoAttribute) {
    c_.execute("CREATE TABLE marker (a INTEGER)");
    c_.close();
    const fs::path other = OdbcConfig::instance().folder() / "injected.db";
    Connection c;
    c.open("Driver=VtSQLite3;" + attribute("Database", file_.string()) +
           attribute("PWD", "x;Database=" + other.string()));
    EXPECT_TRUE(c.execute("SELECT * FROM marker").hasRowset());
    EXPECT_FALSE(fs::exists(other));
}

TEST(OdbcLists, DataSourcesAndDriversComeFromTheDriverManager) {
    OdbcConfig& config = OdbcConfig::instance();
    config.addDataSource("VtListA", "VtSQLite3", "Database=/nonexistent/a.db");
    config.addDataSource("VtListB", "VtSQLite3", "Database=/nonexistent/b.db");
    const std::vector<DataSource> sources = dataSources();
    EXPECT_NE(std::find(sources.begin(), sources.end(), DataSource{"VtListA", "VtSQLite3"}), sources.end());
    EXPECT_NE(std::find(sources.begin(), sources.end(), DataSource{"VtListB", "VtSQLite3"}), sources.end());
    const std::vector<std::string> names = drivers();
    EXPECT_NE(std::find(names.begin(), names.end(), "VtPostgreSQL"), names.end());
    config.clearDataSources();
}

TEST(OdbcConnect, AMissingDriverFailsWithTheManagersMessage) {
    OdbcConfig::instance();
    Connection c;
    try {
        c.open("Driver=NoSuchDriver;Server=nowhere;");
        FAIL() << "connected";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("NoSuchDriver"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(c.isOpen());
}

class PostgresOdbc : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OdbcConfig::instance();
        cluster_ = std::make_unique<test::PostgresCluster>();
        OdbcConfig::instance().addDataSource("VtPg", "VtPostgreSQL",
                                             "Servername=127.0.0.1\nPort=" + std::to_string(cluster_->port()) +
                                                 "\nDatabase=vt");
    }
    static void TearDownTestSuite() {
        cluster_.reset();
        OdbcConfig::instance().clearDataSources();
    }
    static inline std::unique_ptr<test::PostgresCluster> cluster_;
};

TEST_F(PostgresOdbc, NumericDatesNullsAndAnUpdateWithoutRowset) {
    Connection c;
    c.open("DSN=VtPg;" + attribute("UID", "vt") + attribute("PWD", test::PostgresCluster::kPassword));
    EXPECT_EQ(c.dataSourceName(), "VtPg");
    c.execute("CREATE TABLE orders (po VARCHAR(20), amount NUMERIC(10,2), due DATE, stamp TIMESTAMP, qty INTEGER)");
    c.execute("INSERT INTO orders VALUES ('PO1', 1234.50, '2024-07-01', '2024-07-01 13:05:09', 3), "
              "(NULL, NULL, NULL, NULL, NULL)");
    Result r = c.execute("SELECT po, amount, due, stamp, qty FROM orders ORDER BY po NULLS LAST");
    ASSERT_EQ(r.columns().size(), 5u);
    EXPECT_EQ(r.columns()[0].adoType, 200);
    EXPECT_EQ(r.columns()[0].size, 20);
    EXPECT_EQ(r.columns()[1].adoType, 131);
    EXPECT_EQ(r.columns()[1].precision, 10);
    EXPECT_EQ(r.columns()[1].scale, 2);
    EXPECT_EQ(r.columns()[2].adoType, 133);
    EXPECT_EQ(r.columns()[3].adoType, 135);
    EXPECT_EQ(r.columns()[4].adoType, 3);
    const auto got = rows(r);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], (std::vector<std::string>{"PO1", "1234.5", "7/1/2024", "7/1/2024 1:05:09 PM", "3"}));
    EXPECT_EQ(got[1], (std::vector<std::string>(5, "<null>")));
    Result u = c.execute("UPDATE orders SET qty = 4 WHERE po = 'PO1'");
    EXPECT_FALSE(u.hasRowset());
    EXPECT_EQ(u.rowsAffected(), 1);
}

TEST_F(PostgresOdbc, AStatementPastItsTimeOutIsCancelled) {
    Connection c;
    c.open("DSN=VtPg;" + attribute("UID", "vt") + attribute("PWD", test::PostgresCluster::kPassword));
    EXPECT_THROW(c.execute("SELECT pg_sleep(10)", 1), Error);
    EXPECT_TRUE(c.execute("SELECT 1").hasRowset());
}

TEST_F(PostgresOdbc, BlocksOfRowsGiveLongValuesWholeWhereverTheyFall) {
    Connection c;
    c.open("DSN=VtPg;" + attribute("UID", "vt") + attribute("PWD", test::PostgresCluster::kPassword));
    Result r = c.execute("SELECT i, CASE WHEN i % 7 = 0 THEN NULL WHEN i % 97 = 0 THEN repeat('y', 3000 + i) "
                         "ELSE 'v' || i END, 'caf\xE9'::text FROM generate_series(1, 1000) i");
    EXPECT_GT(r.blockRows(), 1u);
    const auto got = rows(r);
    ASSERT_EQ(got.size(), 1000u);
    for (std::size_t k = 0; k < got.size(); ++k) {
        const std::size_t i = k + 1;
        const std::string want = i % 7 == 0 ? "<null>" : i % 97 == 0 ? std::string(3000 + i, 'y') : "v" + std::to_string(i);
        ASSERT_EQ(got[k], (std::vector<std::string>{std::to_string(i), want, "caf\xE9"})) << i;
    }
}

// A driver's error of several lines (the statement and a caret) is one line of text.
TEST_F(PostgresOdbc, ErrorsAreOneLine) {
    Connection c;
    c.open("DSN=VtPg;" + attribute("UID", "vt") + attribute("PWD", test::PostgresCluster::kPassword));
    try {
        c.execute("SELECT 1 FROM\n  nowhere_at_all\n WHERE x");
        FAIL() << "no error";
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("nowhere_at_all"), std::string::npos) << text;
        EXPECT_EQ(text.find_first_of("\r\n\t"), std::string::npos) << text;
    }
}

// Cancel from another thread, and the time-out kept by a timer, end a statement under way.
TEST_F(PostgresOdbc, AStatementIsCancelledFromAnotherThread) {
    Connection c;
    c.open("DSN=VtPg;" + attribute("UID", "vt") + attribute("PWD", test::PostgresCluster::kPassword));
    for (bool byTimer : {false, true}) {
        Canceller canceller;
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            if (!byTimer) canceller.cancel();
            while (byTimer && !canceller.cancelIfOverdue(std::chrono::milliseconds(200)))
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        });
        try {
            c.execute("SELECT pg_sleep(60)", 120, &canceller);
            ADD_FAILURE() << "not cancelled";
        } catch (const Error& e) {
            EXPECT_EQ(e.sqlState(), byTimer ? "HYT00" : "HY008") << e.what();
            EXPECT_EQ(std::string(e.what()), byTimer ? "Query timeout expired" : "Operation canceled");
        }
        stopper.join();
        EXPECT_EQ(canceller.timedOut(), byTimer);
    }
    EXPECT_TRUE(c.execute("SELECT 1").hasRowset());
}

TEST_F(PostgresOdbc, AWrongPasswordIsRefused) {
    Connection c;
    EXPECT_THROW(c.open("DSN=VtPg;UID=vt;PWD=wrong;"), Error);
    EXPECT_FALSE(c.isOpen());
}

}  // namespace
}  // namespace vt::odbc
