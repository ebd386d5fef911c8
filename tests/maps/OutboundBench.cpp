// Outbound runs through the fixture's outbound map (17 element scripts and one segment script per
// line or set), each interchange written and loaded into the Outbox: 10,000 data lines (5,000
// purchase orders of two lines each), and the scaling of one run from 10,000 to 40,000 lines.

#include "MapFixture.h"

#include "maps/MapTranslator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <malloc.h>
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

// One run over what the Import folder holds; the Outbox and History emptied afterwards, untimed.
double runOnce(vt::test::OutboundDb& d, vt::maps::MapTranslator& translator, benchmark::State& state) {
    // Memory freed by earlier runs goes back first, so that every run, whatever ran before it,
    // takes fresh pages for what it builds, as a first run does.
    ::malloc_trim(0);
    const auto start = std::chrono::steady_clock::now();
    const std::string result = translator.ProcessOutbound(d.services, vt::test::kOut, true);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.empty()) state.SkipWithError(("the run failed: " + result).c_str());
    d.db.exec("DELETE FROM Outbox");
    d.db.exec("DELETE FROM History");
    return seconds;
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

// 10,000 and 40,000 lines of the same map, each in one run and each size run several times in a
// row: the best time per line of each and their ratio (linear work keeps it near 1). The
// iteration time is the best 40,000-line run.
void BM_ProcessOutboundScaling(benchmark::State& state) {
    constexpr int kSmall = 10000, kLarge = 40000, kRuns = 3;
    vt::test::OutboundDb d;
    vt::maps::MapTranslator translator;
    auto best = [&](int lines) {
        d.write("ACME_850_004010_O.IMP", dataLines(lines / 2));
        double seconds = 1e9;
        for (int run = 0; run < kRuns; ++run) seconds = std::min(seconds, runOnce(d, translator, state));
        return seconds;
    };
    for (auto _ : state) {
        const double perSmall = best(kSmall) / kSmall * 1e6;
        const double large = best(kLarge), perLarge = large / kLarge * 1e6;
        state.SetIterationTime(large);
        state.counters["us_per_line_10000"] = perSmall;
        state.counters["us_per_line_40000"] = perLarge;
        state.counters["ratio"] = perLarge / perSmall;
    }
}
BENCHMARK(BM_ProcessOutboundScaling)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

}  // namespace
