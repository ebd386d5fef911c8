#include "IntegratorFixture.h"
#include "platform/files/SafeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // Records P1 .. Pn with Qty 1 .. n.
    void numbered(int n) {
        exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(n) +
             ") INSERT INTO po (PO, Qty) SELECT 'P' || i, i FROM n");
    }
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
    numbered(40000);
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
    numbered(1100);
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

// A statement SQLite would run for ever: the driver takes the time-out and ignores it.
constexpr const char* kEndless = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n";

TEST_F(Extraction, TheTimeOutAndCancelStopAStatementTheDriverKeepsRunning) {
    exec("INSERT INTO po (PO) VALUES ('OLD')");
    ResultGrid grid;
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO FROM po", "K", grid));
    const std::string layout = t.read(t.import / "K.ADO"), data = t.read(t.import / "K.IMP");
    struct Case {
        bool cancel;
        std::string history;
        std::size_t boxes;
    };
    for (const Case& c : {Case{false, "Error:-2147217871 Query timeout expired", 1},
                          Case{true, "Warning:Extraction of K cancelled after 0 records; its files are unchanged.", 0}}) {
        t.ui.events.clear();
        t.db.exec("DELETE FROM History");
        ExtractionControl control;
        control.timeoutSeconds = c.cancel ? 600 : 1;
        int looks = 0;
        control.progress = [&](std::uint64_t) {
            ++looks;
            if (c.cancel) control.cancel = true;
        };
        EXPECT_FALSE(ExtractToImport(t.services, source, kEndless, "K", grid, &control));
        EXPECT_EQ(history(), c.history);
        EXPECT_EQ(t.ui.eventsStartingWith("box 16").size(), c.boxes);
        EXPECT_GE(looks, 1);   // the count was shown while the statement ran
        EXPECT_EQ(t.read(t.import / "K.ADO"), layout);
        EXPECT_EQ(t.read(t.import / "K.IMP"), data);
        EXPECT_EQ(grid.cell(1, 0), "OLD");   // the grid keeps the result it showed
        EXPECT_TRUE(grid.complete);
    }
    // The connection goes on serving statements.
    exec("INSERT INTO po (PO) VALUES ('NEW')");
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO FROM po ORDER BY PO", "K", grid));
    EXPECT_EQ(t.read(t.import / "K.IMP"), "NEW\r\nOLD\r\n");
}

TEST_F(Extraction, ThePairIsPrivateAndNoLinkAtAnOldTemporaryNameIsFollowed) {
    namespace fs = std::filesystem;
    exec("INSERT INTO po (PO) VALUES ('A')");
    const fs::path victim = t.folder() / "victim.txt";
    test::writeText(victim, "keep");
    // The names writers once used for their temporary files, each a link to another file.
    for (const char* ext : {".ADO", ".IMP"})
        for (int serial = 1; serial <= 3; ++serial)
            fs::create_symlink(victim, t.import / ("K" + std::string(ext) + ".tmp" + std::to_string(::getpid()) + "-" +
                                                   std::to_string(serial)));
    // A killed write's leftover.
    const pid_t killed = ::fork();
    if (killed == 0) {
        files::SafeFile half(t.import / "K.IMP");
        half.write("half");
        ::raise(SIGKILL);
    }
    ASSERT_EQ(::waitpid(killed, nullptr, 0), killed);
    auto temporaries = [&] {
        int n = 0;
        for (const auto& e : fs::directory_iterator(t.import))
            n += e.path().filename().string().rfind(files::kTemporaryPrefix, 0) == 0;
        return n;
    };
    ASSERT_EQ(temporaries(), 1);
    ResultGrid grid;
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO FROM po", "K", grid));
    EXPECT_EQ(t.read(victim), "keep");
    EXPECT_EQ(temporaries(), 0);
    for (const char* name : {"K.ADO", "K.IMP"})
        EXPECT_EQ(fs::status(t.import / name).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
            << name;
    // A pair its owner opened to a group stays so.
    for (const char* name : {"K.ADO", "K.IMP"})
        fs::permissions(t.import / name, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO FROM po", "K", grid));
    ASSERT_TRUE(SaveResultsToImportFile(t.services, grid));
    for (const char* name : {"K.ADO", "K.IMP"})
        EXPECT_EQ(fs::status(t.import / name).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
            << name;
}

// Another user's link at the layout's name, in an Import folder others can write, is refused by
// name before either file is touched; the file it names stays as it was.
TEST_F(Extraction, ALinkAnotherUserPutAtThePairsNameIsNotWrittenThrough) {
    namespace fs = std::filesystem;
    if (::geteuid() != 0) GTEST_SKIP() << "a link of another user can be made here only by root";
    exec("INSERT INTO po (PO) VALUES ('A')");
    const fs::path victim = t.folder() / "victim.txt";
    test::writeText(victim, "keep");
    ASSERT_EQ(::chmod(t.import.c_str(), 01777), 0);
    fs::create_symlink(victim, t.import / "K.ADO");
    ASSERT_EQ(::lchown((t.import / "K.ADO").c_str(), 65534, 65534), 0);
    ResultGrid grid;
    EXPECT_FALSE(ExtractToImport(t.services, source, "SELECT PO FROM po", "K", grid));
    EXPECT_EQ(t.read(victim), "keep");
    EXPECT_TRUE(fs::is_symlink(t.import / "K.ADO"));
    EXPECT_FALSE(fs::exists(t.import / "K.IMP"));
    EXPECT_NE(history().find("Error:75 Not written through the link " + (t.import / "K.ADO").string() +
                             ": it is a link another user made, in a folder other users can write"),
              std::string::npos)
        << history();
}

TEST_F(Extraction, TheGridIsAViewOverTheDataFileWithEditsAndDeletedRowsBesideIt) {
    numbered(300);
    ResultGrid grid;
    ASSERT_TRUE(ExtractToImport(t.services, source, "SELECT PO, Qty FROM po ORDER BY Qty", "K", grid));
    ASSERT_EQ(grid.rowCount(), 301u);
    EXPECT_EQ(grid.rowCells(300), (std::vector<std::string>{"P300", "300"}));
    EXPECT_EQ(grid.rowCells(65), (std::vector<std::string>{"P65", "65"}));
    // The file it views may go: the grid holds it open.
    std::filesystem::remove(t.import / "K.IMP");
    for (std::size_t r : {3u, 3u, 200u, 1u}) {
        grid.row = r;
        ASSERT_TRUE(grid.deleteRow());
    }
    grid.row = 2;   // P5 now
    grid.col = 1;
    grid.keyPress('0');
    EXPECT_EQ(grid.rowCount(), 297u);
    EXPECT_EQ(grid.rowCells(1), (std::vector<std::string>{"P2", "2"}));
    EXPECT_EQ(grid.rowCells(2), (std::vector<std::string>{"P5", "50"}));
    EXPECT_EQ(grid.rowCells(198), (std::vector<std::string>{"P201", "201"}));
    EXPECT_EQ(grid.rowCells(199), (std::vector<std::string>{"P203", "203"}));
    ASSERT_TRUE(SaveResultsToImportFile(t.services, grid));
    const std::string saved = t.read(t.import / "K.IMP");
    EXPECT_EQ(saved.substr(0, 22), "P2\t2\t\r\nP5\t50\t\r\nP6\t6\t\r\n");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 296);
    EXPECT_EQ(saved.find("P203\t"), saved.find("P201\t") + 11);   // P202 deleted
    EXPECT_EQ(t.read(t.import / "K.ADO"), "PO\t200\t20\r\nQty\t3\t4\r\n\r\n");
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
        const std::string server = "Servername=127.0.0.1\nPort=" + std::to_string(cluster_->port()) + "\nDatabase=vt";
        test::OdbcConfig::instance().addDataSource("VtPgExtract", "VtPostgreSQL", server);
        // Rows come from a server cursor ten at a time, so a result can fail or be cancelled half read.
        test::OdbcConfig::instance().addDataSource("VtPgCursor", "VtPostgreSQL", server + "\nUseDeclareFetch=1\nFetch=10");
    }
    // A connection through the cursor source and an earlier pair "old" under key K.
    struct CursorRun {
        IntegratorDb t;
        odbc::Connection c;
        ResultGrid grid;
        std::string layout, data;
        CursorRun() {
            c.open("DSN=VtPgCursor;UID=vt;" + odbc::attribute("PWD", test::PostgresCluster::kPassword));
            EXPECT_TRUE(ExtractToImport(t.services, c, "SELECT 'old' AS a", "K", grid));
            layout = t.read(t.import / "K.ADO");
            data = t.read(t.import / "K.IMP");
            t.db.exec("DELETE FROM History");
        }
    };
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

TEST_F(PostgresExtraction, AResultThatFailsHalfReadIsShownAsIncompleteAndSavedOnlyWhenConfirmed) {
    CursorRun run;
    auto& [t, c, grid, layout, data] = run;
    // Division by zero at row 1500: the rows of the cursor's earlier pages arrive first.
    EXPECT_FALSE(ExtractToImport(t.services, c,
                                 "SELECT i AS n, 'v' || i AS v FROM generate_series(1, 3000) i WHERE 1 / (1500 - i) IS NOT NULL",
                                 "K", grid));
    const std::size_t read = grid.recordsRead();
    ASSERT_GT(read, 0u);
    ASSERT_LT(read, 1500u);
    EXPECT_FALSE(grid.complete);
    EXPECT_EQ(grid.rowCount(), read + 1);
    EXPECT_EQ(grid.rowCells(read), (std::vector<std::string>{std::to_string(read), "v" + std::to_string(read)}));
    const std::string h = t.history();
    EXPECT_EQ(h.rfind("Error:-2147467259 ", 0), 0u) << h;
    EXPECT_NE(h.find("division by zero"), std::string::npos) << h;
    EXPECT_NE(h.find("|Warning:Extraction of K stopped after " + std::to_string(read) + " records; its files are unchanged."),
              std::string::npos) << h;
    EXPECT_EQ(t.read(t.import / "K.ADO"), layout);
    EXPECT_EQ(t.read(t.import / "K.IMP"), data);

    // Save asks first, saying the result is incomplete; No keeps the pair.
    const std::string question = "box 308 Veltrane: The result shown is incomplete: the extraction of K stopped after " +
                                 std::to_string(read) + " records. Save it as the data of K anyway?";
    t.ui.boxAnswers = {core::vbNo};
    EXPECT_FALSE(SaveResultsToImportFile(t.services, grid));
    EXPECT_EQ(t.ui.events.back(), question);
    EXPECT_EQ(t.read(t.import / "K.IMP"), data);
    // Yes writes what is shown, the layout with it.
    t.ui.boxAnswers = {core::vbYes};
    ASSERT_TRUE(SaveResultsToImportFile(t.services, grid));
    EXPECT_EQ(t.ui.events.back(), question);
    EXPECT_EQ(t.read(t.import / "K.ADO"), "n\t3\t4\r\nv\t201\t8190\r\n\r\n");
    const std::string saved = t.read(t.import / "K.IMP");
    EXPECT_EQ(std::size_t(std::count(saved.begin(), saved.end(), '\n')), read);
    EXPECT_EQ(saved.substr(0, 12), "1\tv1\t\r\n2\tv2\t");
}

TEST_F(PostgresExtraction, CancelDuringALongExtractionKeepsTheFilesAndShowsWhatWasRead) {
    CursorRun run;
    auto& [t, c, grid, layout, data] = run;
    ExtractionControl control;
    std::vector<std::uint64_t> counts;
    control.progress = [&](std::uint64_t rows) {
        counts.push_back(rows);
        if (rows >= 30) control.cancel = true;
    };
    // About ten rows every 50 ms, for ten minutes.
    EXPECT_FALSE(ExtractToImport(t.services, c, "SELECT i, pg_sleep(0.005)::text AS s FROM generate_series(1, 120000) i",
                                 "K", grid, &control));
    ASSERT_FALSE(counts.empty());
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    EXPECT_GE(counts.back(), 30u);
    const std::size_t read = grid.recordsRead();
    EXPECT_GE(read, 30u);
    EXPECT_FALSE(grid.complete);
    EXPECT_EQ(t.history(), "Warning:Extraction of K cancelled after " + std::to_string(read) +
                               " records; its files are unchanged.");
    EXPECT_TRUE(t.ui.eventsStartingWith("box").empty());
    EXPECT_EQ(t.read(t.import / "K.IMP"), data);
    EXPECT_TRUE(ExtractToImport(t.services, c, "SELECT 1 AS one", "K", grid));
}

// A driver's error of several lines is one History row of one line, and one line in its box.
TEST_F(PostgresExtraction, AMultiLineDriverErrorIsOneHistoryRow) {
    CursorRun run;
    auto& [t, c, grid, layout, data] = run;
    EXPECT_FALSE(ExtractToImport(t.services, c, "SELECT no_such_column\nFROM\n  generate_series(1, 2)", "K", grid));
    const std::string h = t.history();
    EXPECT_EQ(h.rfind("Error:-2147467259 ", 0), 0u) << h;
    EXPECT_NE(h.find("no_such_column"), std::string::npos) << h;
    EXPECT_EQ(h.find('|'), std::string::npos) << h;
    EXPECT_EQ(h.find_first_of("\r\n"), std::string::npos) << h;
    ASSERT_EQ(t.ui.eventsStartingWith("box 16").size(), 1u);
    EXPECT_EQ(t.ui.eventsStartingWith("box 16")[0].find_first_of("\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vt::integrator
