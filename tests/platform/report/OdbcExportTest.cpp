// The ODBC export into real data sources: a SQLite database through the SQLite ODBC driver, read
// back by Python's own sqlite3 module, and a PostgreSQL cluster started here, read back by psql.

#include "Fixture.h"
#include "platform/report/DataTable.h"
#include "platform/report/Export.h"
#include "platform/report/OdbcExport.h"
#include "tests/support/OdbcFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

namespace vt::report::test {
namespace {

using vt::test::findPostgresBin;
using vt::test::OdbcConfig;
using vt::test::PostgresCluster;

std::string run(const std::string& command) {
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    EXPECT_EQ(::pclose(p), 0) << command << "\n" << out;
    return out;
}

// Text with a quote, an accent and a line break; whole and fractional numbers; a date, a
// date-time and Null.
std::shared_ptr<DataTable> records() {
    auto data = std::make_shared<DataTable>();
    data->columns = {{"Name", adtype::VarChar, 30}, {"Qty", adtype::Integer, 4}, {"Price", adtype::Double, 8},
                     {"Shipped", adtype::Date, 8}};
    const double stamp = 45366 + (14 * 3600 + 30 * 60 + 5) / 86400.0;
    data->rows.push_back({Variant("Widget \"A\", caf\xE9"), Variant(std::int32_t(12)), Variant(3.5),
                          Variant(automation::Date{45366})});
    data->rows.push_back({Variant("two\r\nlines"), Variant(std::int32_t(-4)), Variant(-199877.39),
                          Variant(automation::Date{stamp})});
    data->rows.push_back({Variant::null(), Variant::null(), Variant::null(), Variant::null()});
    return data;
}

ExportOptions odbcOptions(const std::string& dsn, const std::string& table) {
    ExportOptions o;
    o.formatType = format::ODBC;
    o.odbcDataSource = dsn;
    o.odbcTable = table;
    return o;
}

const RunInfo kRun{{2024, 5, 6, 14, 30, 0}, {2024, 5, 6, 9, 5, 7}};

TEST(OdbcExport, RecordsGoIntoANewSqliteTable) {
    TempDir dir;
    OdbcConfig::instance().addDataSource("VtReportLite", "VtSQLite3", "Database=" + (dir / "out.db").string());
    const Report r;
    exportData(r, records().get(), kRun, odbcOptions("VtReportLite", "Orders \"850\""), {});
    const std::string back = run(
        "/usr/bin/python3 -c \"import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); "
        "print([d[1] for d in c.execute('PRAGMA table_info(\\\"Orders \\\"\\\"850\\\"\\\"\\\")')]); "
        "[print('|'.join(repr(v) for v in row)) for row in c.execute('SELECT * FROM \\\"Orders \\\"\\\"850\\\"\\\"\\\"')]\" '" +
        (dir / "out.db").string() + "'");
    EXPECT_EQ(back,
              "['Name', 'Qty', 'Price', 'Shipped']\n"
              "'Widget \"A\", café'|12|3.5|'2024-03-15 00:00:00.000'\n"
              "'two\\r\\nlines'|-4|-199877.39|'2024-03-15 14:30:05.000'\n"
              "None|None|None|None\n");

    // The table is there now: a second export refuses to touch it.
    try {
        exportData(r, records().get(), kRun, odbcOptions("VtReportLite", "Orders \"850\""), {});
        ADD_FAILURE() << "an existing table was written into";
    } catch (const ReportError& e) {
        EXPECT_STREQ(e.what(), "The table \"Orders \"850\"\" of the data source \"VtReportLite\" already exists; no records "
                               "were exported");
    }
    try {
        exportData(r, records().get(), kRun, odbcOptions("NoSuchSource", "T"), {});
        ADD_FAILURE() << "a missing data source was written";
    } catch (const ReportError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("The data source \"NoSuchSource\" cannot be opened: ", 0), 0u) << e.what();
    }
}

TEST(OdbcExport, RecordsGoIntoANewPostgresTableOrNoneAtAll) {
    OdbcConfig::instance();
    PostgresCluster cluster;
    OdbcConfig::instance().addDataSource("VtReportPg", "VtPostgreSQL",
                                         "Servername=127.0.0.1\nPort=" + std::to_string(cluster.port()) + "\nDatabase=vt");
    const Report r;
    ExportOptions o = odbcOptions("VtReportPg", "");
    o.odbcUser = PostgresCluster::kUser;
    o.odbcPassword = PostgresCluster::kPassword;
    o.diskFileName = "/nowhere/ACME_850_004010_I.ODBC";   // the table takes the export's name
    exportData(r, records().get(), kRun, o, {});
    const std::string psql = "PGPASSWORD='" + std::string(PostgresCluster::kPassword) + "' " +
                             findPostgresBin("psql").string() + " -X -q -A -F '|' -h 127.0.0.1 -p " +
                             std::to_string(cluster.port()) + " -U vt -d vt -c ";
    EXPECT_EQ(run(psql + "'SELECT * FROM \"ACME_850_004010_I\" ORDER BY \"Qty\" NULLS LAST'"),
              "Name|Qty|Price|Shipped\n"
              "two\r\nlines|-4|-199877.39|2024-03-15 14:30:05\n"
              "Widget \"A\", café|12|3.5|2024-03-15 00:00:00\n"
              "|||\n"
              "(3 rows)\n");

    // A row the server refuses after others went in leaves no table behind: the server is made
    // to give a table of that name a check that the last record fails.
    cluster.psql("vt",
                 "CREATE FUNCTION refuse() RETURNS event_trigger LANGUAGE plpgsql AS $$ BEGIN "
                 "IF EXISTS (SELECT 1 FROM pg_event_trigger_ddl_commands() WHERE object_identity = 'public.\"Refused\"') "
                 "THEN EXECUTE 'ALTER TABLE public.\"Refused\" ADD CHECK (\"Qty\" <> 1)'; END IF; END $$");
    cluster.psql("vt", "CREATE EVENT TRIGGER refuse ON ddl_command_end WHEN TAG IN ('CREATE TABLE') EXECUTE FUNCTION refuse()");
    auto bad = records();
    bad->rows.push_back({Variant("last"), Variant(std::int32_t(1)), Variant(1.0), Variant::null()});
    o.odbcTable = "Refused";
    try {
        exportData(r, bad.get(), kRun, o, {});
        ADD_FAILURE() << "a refused row was reported as exported";
    } catch (const ReportError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("The records could not be written into the table \"Refused\"", 0), 0u)
            << e.what();
    }
    EXPECT_EQ(run(psql + "\"SELECT count(*) FROM pg_tables WHERE tablename = 'Refused'\""), "count\n0\n(1 row)\n");
}

// Amounts (currency, to the widest the type holds), 28-digit decimals and wide whole numbers: the
// sums each database makes of them are the sums of the values bound, and an amount is found by
// its literal.
struct ExactData {
    std::shared_ptr<DataTable> data;
    std::string amountSum, wideSum, bigSum;
};

std::string scaledText(__int128 v, int scale) {
    const bool negative = v < 0;
    unsigned __int128 m = negative ? -(unsigned __int128)v : (unsigned __int128)v;
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(m % 10)));
        m /= 10;
    } while (m);
    if (scale) {
        if (digits.size() <= size_t(scale)) digits.insert(0, size_t(scale) + 1 - digits.size(), '0');
        digits.insert(digits.size() - size_t(scale), ".");
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
    }
    return (negative ? "-" : "") + digits;
}

ExactData exactRecords() {
    ExactData e;
    e.data = std::make_shared<DataTable>();
    e.data->columns = {{"Amount", adtype::Currency, 8}, {"Wide", adtype::Numeric, 29}, {"Big", adtype::BigInt, 8}};
    const std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    // Whole-cent amounts up to 200,000.00 either way, the first being -199877.39; then the
    // widest currency values there are.
    std::vector<std::int64_t> amounts{-1998773900};
    std::uint64_t seed = 41;
    for (int i = 1; i < 10000; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        amounts.push_back((std::int64_t(seed >> 33) % 40000001 - 20000000) * 100);
    }
    amounts.insert(amounts.end(), {kMax, -kMax - 1, 1, kMax});
    // As wide as the PostgreSQL driver says its numeric type is (28 digits, 6 decimals).
    const char* wide[] = {"7922816251426433759354.395033", "-7922816251426433759354.395032", "0.000001"};
    __int128 amountSum = 0, bigSum = 0;
    for (size_t i = 0; i < amounts.size(); ++i) {
        const std::int64_t big = i == 0 ? kMax : i == 1 ? -kMax : std::int64_t(i) * 1000003;
        amountSum += amounts[i];
        bigSum += big;
        e.data->rows.push_back({Variant(automation::Currency{amounts[i]}),
                                i < 3 ? Variant(*automation::Decimal::parse(wide[i])) : Variant::null(),
                                Variant(automation::Decimal::fromInt64(big))});
    }
    e.amountSum = scaledText(amountSum, 4);
    e.wideSum = "0.000002";
    e.bigSum = scaledText(bigSum, 0);
    return e;
}

TEST(OdbcExport, AmountsAndDecimalsAreExactInEveryDatabase) {
    const ExactData e = exactRecords();
    const std::string found = "1";   // rows whose amount is -199877.39
    {
        TempDir dir;
        OdbcConfig::instance().addDataSource("VtExactLite", "VtSQLite3", "Database=" + (dir / "exact.db").string());
        exportData(Report{}, e.data.get(), kRun, odbcOptions("VtExactLite", "Exact"), {});
        // SQLite has no exact numeric type: the digits are kept as text, which its decimal
        // functions add exactly.
        EXPECT_EQ(run("sqlite3 -separator '|' '" + (dir / "exact.db").string() +
                      "' 'SELECT decimal_sum(\"Amount\"), decimal_sum(\"Wide\"), decimal_sum(\"Big\"), "
                      "count(*) FILTER (WHERE \"Amount\" = -199877.39), typeof(max(\"Amount\")) FROM \"Exact\"'"),
                  e.amountSum + "|" + e.wideSum + "|" + e.bigSum + "|" + found + "|text\n");
    }
    OdbcConfig::instance();
    PostgresCluster cluster;
    OdbcConfig::instance().addDataSource("VtExactPg", "VtPostgreSQL",
                                         "Servername=127.0.0.1\nPort=" + std::to_string(cluster.port()) + "\nDatabase=vt");
    ExportOptions o = odbcOptions("VtExactPg", "Exact");
    o.odbcUser = PostgresCluster::kUser;
    o.odbcPassword = PostgresCluster::kPassword;
    exportData(Report{}, e.data.get(), kRun, o, {});
    const std::string psql = "PGPASSWORD='" + std::string(PostgresCluster::kPassword) + "' " +
                             findPostgresBin("psql").string() + " -X -q -A -t -F '|' -h 127.0.0.1 -p " +
                             std::to_string(cluster.port()) + " -U vt -d vt -c ";
    EXPECT_EQ(run(psql + "'SELECT trim_scale(sum(\"Amount\")), trim_scale(sum(\"Wide\")), sum(\"Big\"), "
                         "count(*) FILTER (WHERE \"Amount\" = -199877.39), "
                         "format_type(atttypid, atttypmod) FROM \"Exact\", pg_attribute "
                         "WHERE attrelid = '\"'\"'\"Exact\"'\"'\"'::regclass AND attname = '\"'\"'Amount'\"'\"' "
                         "GROUP BY 5'"),
              e.amountSum + "|" + e.wideSum + "|" + e.bigSum + "|" + found + "|numeric(19,4)\n");
}

}  // namespace
}  // namespace vt::report::test
