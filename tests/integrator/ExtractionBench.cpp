// Extracting 100,000 rows of 10 columns from the SQLite ODBC driver into the Import folder's file
// pair (layout and data file) and the results grid.

#include "IntegratorFixture.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace vt::integrator {
namespace {

void BM_ExtractToImport(benchmark::State& state) {
    ::setenv("VELTRANE_SOURCE_DIR", VT_SOURCE_DIR, 0);
    test::IntegratorDb t;
    {
        odbc::Connection source;
        source.open("Driver=VtSQLite3;" + odbc::attribute("Database", t.source.string()));
        source.execute("CREATE TABLE po (PO VARCHAR(12), Line INTEGER, Item VARCHAR(20), Description VARCHAR(40), "
                       "Qty INTEGER, Unit VARCHAR(2), Price DOUBLE, Due DATE, Buyer VARCHAR(20), Status VARCHAR(2))");
        source.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                       std::to_string(state.range(0)) +
                       ") INSERT INTO po SELECT 'PO' || (100000 + i / 10), i % 10 + 1, 'ITEM-' || i, "
                       "'Widget number ' || i || ' blue', i % 97 + 1, 'EA', (i % 1000) / 4.0, "
                       "'2024-03-' || (10 + i % 15), 'Buyer ' || (i % 13), NULL FROM n");
    }
    odbc::Connection c;
    c.open("Driver=VtSQLite3;" + odbc::attribute("Database", t.source.string()));
    for (auto _ : state) {
        ResultGrid grid;
        if (!ExtractToImport(t.services, c, "SELECT * FROM po", "ACME_850_004010_O", grid))
            state.SkipWithError("extraction failed");
        benchmark::DoNotOptimize(grid.cells.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExtractToImport)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vt::integrator
