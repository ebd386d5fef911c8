// An outbound run of 10,000 data lines (5,000 purchase orders of two lines each) through the
// fixture's outbound map: 17 element scripts and one segment script per line or set, the
// interchange written and loaded into the Outbox.

#include "MapFixture.h"

#include "maps/MapTranslator.h"

#include <benchmark/benchmark.h>

#include <thread>

namespace {

constexpr int kOrders = 5000;

void run(benchmark::State& state, bool onWorkerThread) {
    vt::test::OutboundDb d;
    std::string data;
    for (int po = 1; po <= kOrders; ++po)
        for (int line = 1; line <= 2; ++line)
            data += "PO-" + std::to_string(po) + "\t" + std::to_string(line) + "\tWIDGET\t10\t9.95\t" +
                    (line == 2 ? "X" : "") + "\t\r\n";
    d.write("ACME_850_004010_O.IMP", data);
    vt::maps::MapTranslator translator;
    for (auto _ : state) {
        std::string result;
        auto once = [&] { result = translator.ProcessOutbound(d.services, vt::test::kOut, true); };
        if (onWorkerThread) std::thread(once).join();
        else once();
        if (!result.empty()) state.SkipWithError("the run failed");
        state.PauseTiming();
        d.db.exec("DELETE FROM Outbox");
        d.db.exec("DELETE FROM History");
        state.ResumeTiming();
    }
    state.counters["lines/s"] =
        benchmark::Counter(2.0 * kOrders * double(state.iterations()), benchmark::Counter::kIsRate);
}
// As the program runs it: on the main thread.
void BM_ProcessOutbound10000Lines(benchmark::State& state) { run(state, false); }
BENCHMARK(BM_ProcessOutbound10000Lines)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
// The same on a second thread.
void BM_ProcessOutbound10000LinesWorkerThread(benchmark::State& state) { run(state, true); }
BENCHMARK(BM_ProcessOutbound10000LinesWorkerThread)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
