// The extraction beside a plain ODBC fetch loop over the same driver and the same rows (10
// columns), for the SQLite driver and for PostgreSQL: each runs in a child process of its own,
// which reports its time and how far its peak memory rose above what it held before. Counters
// (the best of five runs each): plain_s and extract_s, their ratio, plain_MB and extract_MB,
// and extra_MB (the extraction's memory beyond the driver's own).

#include "IntegratorFixture.h"

#include <benchmark/benchmark.h>

#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>

namespace vt::integrator {
namespace {

struct Figures {
    double seconds = 0;
    double megabytes = 0;   // rise of the peak resident size during the work
    bool ok = false;
    double cpu = 0;         // processor seconds, all threads
};

double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

// Measures from begin(), which the work calls once it is set up, to its end.
struct Meter {
    long before = 0;
    double cpu = 0;
    std::chrono::steady_clock::time_point start;
    void begin() {
        before = statusKb("VmRSS:");
        cpu = cpuSeconds();
        start = std::chrono::steady_clock::now();
    }
};

// Runs `work` in a child process and returns its figures.
template <typename Work>
Figures inChild(Work work) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        Figures f;
        Meter meter;
        meter.begin();
        std::chrono::steady_clock::time_point end;
        f.ok = work(meter, end);
        f.cpu = cpuSeconds() - meter.cpu;
        f.seconds = std::chrono::duration<double>(end - meter.start).count();
        f.megabytes = double(statusKb("VmHWM:") - meter.before) / 1024.0;
        [[maybe_unused]] ssize_t n = ::write(pipeFds[1], &f, sizeof f);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    Figures f;
    if (::read(pipeFds[0], &f, sizeof f) != ssize_t(sizeof f)) f.ok = false;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return f;
}

// What a simple client does: every row fetched, every value read as text.
bool plainLoop(const std::string& connection, const std::string& sql, Meter& meter,
               std::chrono::steady_clock::time_point& end) {
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connection.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT)))
        return false;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    meter.begin();
    if (!SQL_SUCCEEDED(SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS))) return false;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(st, &columns);
    char buffer[4096];
    SQLLEN indicator = 0;
    std::size_t bytes = 0;
    while (SQL_SUCCEEDED(SQLFetch(st)))
        for (SQLUSMALLINT c = 1; c <= columns; ++c)
            if (SQL_SUCCEEDED(SQLGetData(st, c, SQL_C_CHAR, buffer, sizeof buffer, &indicator)) && indicator > 0)
                bytes += std::size_t(indicator);
    benchmark::DoNotOptimize(bytes);
    SQLFreeHandle(SQL_HANDLE_STMT, st);   // the driver lets go of the result, as the extraction does
    end = std::chrono::steady_clock::now();
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return true;
}

constexpr const char* kColumns =
    "(PO VARCHAR(12), Line INTEGER, Item VARCHAR(20), Description VARCHAR(40), Qty INTEGER, Unit VARCHAR(2), "
    "Price DOUBLE PRECISION, Due DATE, Buyer VARCHAR(20), Status VARCHAR(2))";

struct Source {
    std::string connection;   // as the Integrator builds it
};

Source sqliteSource(const test::IntegratorDb& t, std::int64_t rows) {
    static std::set<std::int64_t> made;
    const std::string table = "po" + std::to_string(rows);
    const std::string connection = "Driver=VtSQLite3;" + odbc::attribute("Database", t.source.string());
    if (made.insert(rows).second) {
        odbc::Connection c;
        c.open(connection);
        c.execute("DROP TABLE IF EXISTS " + table);
        c.execute("CREATE TABLE " + table + " " + kColumns);
        c.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
                  ") INSERT INTO " + table +
                  " SELECT 'PO' || (100000 + i / 10), i % 10 + 1, 'ITEM-' || i, 'Widget number ' || i || ' blue', "
                  "i % 97 + 1, 'EA', (i % 1000) / 4.0, '2024-03-' || (10 + i % 15), 'Buyer ' || (i % 13), NULL FROM n");
    }
    return {connection};
}

test::PostgresCluster& cluster() {
    static std::unique_ptr<test::PostgresCluster> c = [] {
        test::OdbcConfig::instance();
        auto made = std::make_unique<test::PostgresCluster>();
        test::OdbcConfig::instance().addDataSource("VtPgBench", "VtPostgreSQL",
                                                   "Servername=127.0.0.1\nPort=" + std::to_string(made->port()) +
                                                       "\nDatabase=vt");
        return made;
    }();
    return *c;
}

Source postgresSource(std::int64_t rows) {
    static std::set<std::int64_t> made;
    const std::string table = "po" + std::to_string(rows);
    if (made.insert(rows).second) {
        cluster().psql("vt", "DROP TABLE IF EXISTS " + table + "; CREATE TABLE " + table + " " + kColumns +
                                 "; INSERT INTO " + table +
                                 " SELECT 'PO' || (100000 + i / 10), i % 10 + 1, 'ITEM-' || i, 'Widget number ' || i || "
                                 "' blue', i % 97 + 1, 'EA', (i % 1000) / 4.0, date '2024-03-10' + (i % 15), "
                                 "'Buyer ' || (i % 13), NULL FROM generate_series(1, " +
                                 std::to_string(rows) + ") i; ALTER TABLE " + table + " OWNER TO vt");
    }
    return {"DSN=VtPgBench;UID=vt;" + odbc::attribute("PWD", test::PostgresCluster::kPassword)};
}

void sideBySide(benchmark::State& state, const Source& source) {
    const std::string sql = "SELECT * FROM po" + std::to_string(state.range(0));
    // The best of the runs: other work on the machine only ever adds time.
    Figures plain{1e9, 1e9, true, 1e9}, extract{1e9, 1e9, true, 1e9};
    for (auto _ : state) {
        const Figures p = inChild([&](Meter& meter, std::chrono::steady_clock::time_point& end) {
            return plainLoop(text::ansiToUtf8(source.connection), sql, meter, end);
        });
        const Figures e = inChild([&](Meter& meter, std::chrono::steady_clock::time_point& end) {
            test::IntegratorDb t;   // a database of the child's own
            odbc::Connection c;
            c.open(source.connection);
            ResultGrid grid;
            meter.begin();
            const bool ok = ExtractToImport(t.services, c, sql, "ACME_850_004010_O", grid) &&
                            grid.rowCount() == std::size_t(state.range(0)) + 1;
            end = std::chrono::steady_clock::now();
            return ok;
        });
        if (!p.ok || !e.ok) {
            state.SkipWithError("a child failed");
            break;
        }
        state.SetIterationTime(e.seconds);
        plain = {std::min(plain.seconds, p.seconds), std::min(plain.megabytes, p.megabytes), true, std::min(plain.cpu, p.cpu)};
        extract = {std::min(extract.seconds, e.seconds), std::min(extract.megabytes, e.megabytes), true,
                   std::min(extract.cpu, e.cpu)};
    }
    state.counters["plain_s"] = plain.seconds;
    state.counters["extract_s"] = extract.seconds;
    state.counters["ratio"] = plain.seconds > 0 ? extract.seconds / plain.seconds : 0;
    state.counters["plain_cpu_s"] = plain.cpu;
    state.counters["extract_cpu_s"] = extract.cpu;
    state.counters["plain_MB"] = plain.megabytes;
    state.counters["extract_MB"] = extract.megabytes;
    state.counters["extra_MB"] = extract.megabytes - plain.megabytes;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The SQLite source file lives as long as the program.
const test::IntegratorDb& scratch() {
    ::setenv("VELTRANE_SOURCE_DIR", VT_SOURCE_DIR, 0);
    static test::IntegratorDb t;
    return t;
}

void BM_SQLite(benchmark::State& state) { sideBySide(state, sqliteSource(scratch(), state.range(0))); }
void BM_PostgreSQL(benchmark::State& state) {
    scratch();
    sideBySide(state, postgresSource(state.range(0)));
}
BENCHMARK(BM_SQLite)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PostgreSQL)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace vt::integrator
