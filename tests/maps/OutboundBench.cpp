// Outbound runs through the fixture's outbound map (17 element scripts and one segment script per
// line or set), each interchange written and loaded into the Outbox: 10,000 data lines (5,000
// purchase orders of two lines each), and the time per line of one run of 10,000 and of 40,000.

#include "MapFixture.h"

#include "maps/MapTranslator.h"
#include "tests/support/ScalingBenchmark.h"

#include <benchmark/benchmark.h>

#include <thread>

namespace {

constexpr int kOrders = 5000;

// Purchase orders of two lines each; the second line carries a note.
std::string dataLines(int orders) {
    std::string data;
    for (int po = 1; po <= orders; ++po)
        for (int line = 1; line <= 2; ++line)
            data += "PO-" + std::to_string(po) + "\t" + std::to_string(line) + "\tWIDGET\t10\t9.95\t" +
                    (line == 2 ? "X" : "") + "\t\r\n";
    return data;
}

void run(benchmark::State& state, bool onWorkerThread) {
    vt::test::OutboundDb d;
    d.write("ACME_850_004010_O.IMP", dataLines(kOrders));
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

// 10,000 and 40,000 lines of the same map, each in one run.
void BM_ProcessOutboundScaling(benchmark::State& state) {
    vt::test::OutboundDb d;
    vt::maps::MapTranslator translator;
    vt::test::MeasureScaling(state, "line", 10000, 40000, 3, [&](int lines) {
        d.write("ACME_850_004010_O.IMP", dataLines(lines / 2));
        std::string result;
        const double seconds =
            vt::test::TimedRun([&] { result = translator.ProcessOutbound(d.services, vt::test::kOut, true); });
        if (!result.empty()) state.SkipWithError(("the run failed: " + result).c_str());
        d.db.exec("DELETE FROM Outbox");
        d.db.exec("DELETE FROM History");
        return seconds;
    });
}
BENCHMARK(BM_ProcessOutboundScaling)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

}  // namespace
