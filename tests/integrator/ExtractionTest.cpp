#include "IntegratorFixture.h"

#include <gtest/gtest.h>

namespace vt::integrator {
namespace {

using test::IntegratorDb;
using test::TRow;

struct Extraction : ::testing::Test {
    IntegratorDb t;
    odbc::Connection source;
    void SetUp() override {
        source.open("Driver=VtSQLite3;" + odbc::attribute("Database", t.source.string()));
        source.execute("CREATE TABLE po (PO VARCHAR(20), Amount NUMERIC(10,2), Qty INTEGER, Due DATE, _ID INTEGER, "
                       "Note VARCHAR(40))");
    }
    void exec(const std::string& sql) { source.execute(sql); }
    std::string history() { return t.history(); }
};

TEST_F(Extraction, WritesTheLayoutAndDataFilesAndFillsTheGrid) {
    exec("INSERT INTO po VALUES ('PO1', 12.5, 3, '2024-07-01', 7, NULL)");
    exec("INSERT INTO po VALUES ('X', 0, NULL, NULL, 8, 'a\tb\r\nc')");
    ResultGrid grid;
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO, Qty, Due, _ID, _ID AS \"_ID\", Note FROM po ORDER BY _ID",
                                "ACME_850_004010_O", grid));
    EXPECT_EQ(t.read(t.import / "ACME_850_004010_O.ADO"),
              "PO\t200\t20\r\nQty\t3\t4\r\nDue\t133\t6\r\n_ID1\t3\t4\r\n_ID2\t3\t4\r\nNote\t200\t40\r\n\r\n");
    EXPECT_EQ(t.read(t.import / "ACME_850_004010_O.IMP"),
              "PO1\t3\t7/1/2024\t7\t7\t\r\nX\t\t\t8\t8\ta b  c\r\n");
    ASSERT_EQ(grid.rowCount(), 3u);
    EXPECT_EQ(grid.rowCells(0), (std::vector<std::string>{"PO", "Qty", "Due", "_ID1", "_ID2", "Note"}));
    EXPECT_EQ(grid.cell(2, 5), "a b  c");
    EXPECT_TRUE(grid.complete);
    EXPECT_EQ(grid.key, "ACME_850_004010_O");
    EXPECT_EQ(history(), "Warning:Tab or line break replaced by a blank in field Note of ACME_850_004010_O|"
                         "Info:2 records returned from statement.");
    // The files are whole: no temporary file is left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.import), {}), 2);
}

TEST_F(Extraction, NoRecordsNoRowsetAndFailures) {
    ResultGrid grid;
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO FROM po", "K", grid));
    EXPECT_EQ(t.read(t.import / "K.IMP"), "");
    EXPECT_EQ(grid.rowCount(), 2u);   // header and one empty row
    EXPECT_EQ(history(), "Info:0 records returned from statement.");

    exec("INSERT INTO po (PO) VALUES ('ONE')");
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO FROM po", "K", grid));
    EXPECT_NE(history().find("Info:1 record returned from statement."), std::string::npos);
    const std::string before = t.read(t.import / "K.IMP");

    EXPECT_FALSE(ExtractToImport(t.services, source, "UPDATE po SET Qty = 1", "K", grid));
    EXPECT_NE(history().find("Info:No rowset returned"), std::string::npos);
    EXPECT_EQ(grid.rowCount(), 0u);
    EXPECT_FALSE(ExtractToImport(t.services, source, "SELECT nope FROM po", "K", grid));
    EXPECT_NE(history().find("Error:-2147467259 "), std::string::npos) << history();
    EXPECT_EQ(t.read(t.import / "K.IMP"), before);
    EXPECT_FALSE(ExtractToImport(t.services, source, "SELECT PO FROM po", "../K", grid));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.import), {}), 2);
}

TEST_F(Extraction, LargeResultsHaveNoRecordCap) {
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
         "INSERT INTO po (PO, Qty) SELECT 'P' || i, i FROM n");
    ResultGrid grid;
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT Qty FROM po", "BIG", grid));
    EXPECT_EQ(grid.rowCount(), 40001u);
    EXPECT_NE(history().find("40000 records returned"), std::string::npos);
}

// Runs `onYield` at the first yield, as a click or a timer tick could come then.
struct YieldingSink : test::RecordingUiSink {
    std::function<void()> onYield;
    void yield() override {
        ++yields;
        if (auto f = std::exchange(onYield, nullptr)) f();
    }
};

TEST_F(Extraction, NothingTakesTheConnectionAwayWhileAnExtractionReadsIt) {
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1100) "
         "INSERT INTO po (PO) SELECT 'P' || i FROM n");
    t.addRow({"ACME", "810", "004010", "O", "CheckInterval = 1, \"Interval\" = 0, " + t.sqliteSettings("SELECT PO FROM po")});
    YieldingSink sink;
    const core::Services s{t.db, sink, t.clock, t.settings};
    test::FakeSteps steps;
    Integrator integ(s, steps);
    integ.Load();
    ASSERT_TRUE(integ.ConnectDataSource(0, s));
    for (int tick = 1; tick < 15; ++tick) integ.Tick(text::DateTime{2024, 3, 4, 9, tick});
    bool heldOn = false;
    // The statement waits for this lock, so the window's events come while it reads.
    exec("BEGIN EXCLUSIVE");
    sink.onYield = [&] {
        integ.Tick(text::DateTime{2024, 3, 4, 9, 15});   // due: waits
        integ.cmdProcess_Click();
        integ.cmdDisconnect_Click();
        integ.cmdConnect_Click();
        integ.closeConnection();
        heldOn = integ.extracting() && integ.connected() && !integ.QueryUnload() && integ.queued() == 1 &&
                 steps.calls.empty() && IsIntegratorRunning();
        exec("COMMIT");
    };
    ASSERT_TRUE(integ.ExecuteQuery(0, s, true));
    EXPECT_TRUE(heldOn);
    EXPECT_FALSE(IsIntegratorRunning());
    EXPECT_EQ(integ.grid().rowCount(), 1101u);
    integ.Disconnect(s);
    integ.Tick(text::DateTime{2024, 3, 4, 9, 16});   // the waiting row runs now
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"outbound ACME_810_004010_O 1"}));
}

TEST(ExtractionText, DateParametersFillTheFirstQuestionMarks) {
    const text::DateTime a{2024, 7, 1}, b{2024, 7, 31};
    struct Case { const char* sql; bool start, end; const char* expected; };
    for (const Case& c : {Case{"d BETWEEN ? AND ?", true, true, "d BETWEEN '07/01/2024' AND '07/31/2024'"},
                          Case{"d BETWEEN ? AND ?", false, true, "d BETWEEN '07/31/2024' AND ?"},
                          Case{"d BETWEEN ? AND ?", true, false, "d BETWEEN '07/01/2024' AND ?"},
                          Case{"no marks", true, true, "no marks"}}) {
        EXPECT_EQ(FillDateParameters(c.sql, c.start ? std::optional(a) : std::nullopt,
                                     c.end ? std::optional(b) : std::nullopt),
                  c.expected);
    }
}

TEST(ExtractionGrid, EditingKeysCodesAndDelete) {
    ResultGrid g = test::gridOf({{"A", "B"}, {"10", "x"}, {"", "y"}});
    g.row = 1;
    g.col = 0;
    g.keyPress('5');
    EXPECT_EQ(g.cell(1, 0), "105");
    for (int c : {13, 10, 27, 3}) g.keyPress(c);   // control characters never enter a cell
    EXPECT_EQ(g.cell(1, 0), "105");
    g.keyPress(8);
    EXPECT_EQ(g.cell(1, 0), "10");
    g.keyPress(9);
    EXPECT_EQ(g.col, 1u);
    g.keyPress(9);
    EXPECT_EQ((std::pair{g.row, g.col}), (std::pair<std::size_t, std::size_t>{2, 0}));
    g.keyPress(8);   // empty stays empty
    EXPECT_EQ(g.cell(2, 0), "");
    g.col = 1;
    g.keyPress(9);   // last cell wraps to the header row
    EXPECT_EQ((std::pair{g.row, g.col}), (std::pair<std::size_t, std::size_t>{0, 0}));
    EXPECT_FALSE(g.deleteRow());   // header
    g.row = 2;
    g.setCode("IR");
    EXPECT_EQ(g.cell(2, 0), "IR");
    g.row = 1;
    EXPECT_TRUE(g.deleteRow());
    EXPECT_EQ(g.cell(1, 0), "IR");
    EXPECT_FALSE(g.deleteRow());   // the last record row stays
    EXPECT_EQ(statusCodes().size(), 8u);
    EXPECT_EQ(statusCodes()[7].caption, "Item Rejected");
}

TEST_F(Extraction, SaveWritesTheGridUnderItsOwnKeyWithATabAfterEveryValue) {
    exec("INSERT INTO po (PO, Qty) VALUES ('A', 1), ('B', 2)");
    ResultGrid grid;
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO, Qty FROM po ORDER BY PO", "ROW_A", grid));
    EXPECT_EQ(t.read(t.import / "ROW_A.IMP"), "A\t1\r\nB\t2\r\n");
    grid.row = 2;
    grid.col = 1;
    grid.setCode("IR");
    ASSERT_TRUE(SaveResultsToImportFile(t.services, grid));
    EXPECT_EQ(t.read(t.import / "ROW_A.IMP"), "A\t1\t\r\nB\tIR\t\r\n");

    // A result without records: its empty row is no record until something is typed into it.
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO, Qty FROM po WHERE PO = 'none'", "ROW_A", grid));
    ASSERT_TRUE(SaveResultsToImportFile(t.services, grid));
    EXPECT_EQ(t.read(t.import / "ROW_A.IMP"), "");
    grid.keyPress('7');
    ASSERT_TRUE(SaveResultsToImportFile(t.services, grid));
    EXPECT_EQ(t.read(t.import / "ROW_A.IMP"), "7\t\t\r\n");
}

}  // namespace
}  // namespace vt::integrator

namespace vt::integrator {
namespace {

class PostgresExtraction : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::OdbcConfig::instance();
        cluster_ = std::make_unique<test::PostgresCluster>();
        test::OdbcConfig::instance().addDataSource(
            "VtPgExtract", "VtPostgreSQL", "Servername=127.0.0.1\nPort=" + std::to_string(cluster_->port()) + "\nDatabase=vt");
    }
    static void TearDownTestSuite() {
        cluster_.reset();
        test::OdbcConfig::instance().clearDataSources();
    }
    static inline std::unique_ptr<test::PostgresCluster> cluster_;
};

TEST_F(PostgresExtraction, NumericPrecisionDatesNullsAndAnUpdate) {
    IntegratorDb t;
    t.addRow({"ACME", "810", "004010", "O", "DataSourceName = 'VtPgExtract', UserId = 'vt', StartDate = 1, EndDate = 1"});
    test::FakeSteps steps;
    Integrator integ(t.services, steps);
    integ.Load();
    integ.row(0).password = test::PostgresCluster::kPassword;
    ASSERT_TRUE(integ.ConnectDataSource(0, t.services));
    EXPECT_NE(t.history().find("Info:Logon ODBC - VtPgExtract  server succeeded."), std::string::npos);
    integ.row(0).sql = "CREATE TABLE inv (no VARCHAR(10), amount NUMERIC(10,2), due DATE)";
    EXPECT_FALSE(integ.ExecuteQuery(0, t.services, true));
    integ.row(0).sql = "INSERT INTO inv VALUES ('I1', 1234.50, '2024-03-01'), ('I2', NULL, NULL)";
    EXPECT_FALSE(integ.ExecuteQuery(0, t.services, true));
    EXPECT_NE(t.history().find("Info:No rowset returned"), std::string::npos);
    integ.row(0).sql = "SELECT no, amount, due FROM inv WHERE due IS NULL OR due BETWEEN ? AND ? ORDER BY no";
    integ.row(0).minus = "7";
    ASSERT_TRUE(integ.ExecuteQuery(0, t.services, true));   // 2/27/2024 .. 3/5/2024
    EXPECT_EQ(t.read(t.import / "ACME_810_004010_O.ADO"), "no\t200\t10\r\namount\t131\t10\t2\r\ndue\t133\t6\r\n\r\n");
    EXPECT_EQ(t.read(t.import / "ACME_810_004010_O.IMP"), "I1\t1234.5\t3/1/2024\r\nI2\t\t\r\n");
    integ.Disconnect(t.services);
    EXPECT_NE(t.history().find("Info:Disconnected from data source - VtPgExtract"), std::string::npos);
}

}  // namespace
}  // namespace vt::integrator
