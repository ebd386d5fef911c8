// Translating 10,000 selected purchase orders through the fixture 850 map: 40 element scripts
// and 3 segment scripts per set, two record rows per set, Status written per row.

#include "MapFixture.h"

#include "maps/MapTranslator.h"

#include <benchmark/benchmark.h>

#include <thread>

namespace {

constexpr int kSets = 10000;

struct BenchDb : vt::test::MapDb {
    vt::folders::FolderSelection inbox;
    BenchDb() {
        vt::db::Transaction tx(db);
        for (int set = 1; set <= kSets; ++set) addSet(vt::test::set850(std::to_string(set), "PO-" + std::to_string(set)));
        tx.commit();
        inbox = list("Inbox");
        inbox.selected.assign(inbox.ids.size(), true);
    }
};

void translate(benchmark::State& state, bool onWorkerThread) {
    BenchDb d;
    vt::maps::MapTranslator translator;
    std::int64_t rows = 0;
    auto once = [&] {
        auto record = translator.TranslateAll(d.services, d.inbox, vt::test::k850, false, true);
        rows = record ? record->recordCount() : -1;
    };
    for (auto _ : state) {
        if (onWorkerThread) std::thread(once).join();
        else once();
        state.PauseTiming();
        d.db.exec("DELETE FROM History");
        state.ResumeTiming();
    }
    if (rows != 2 * kSets) state.SkipWithError("the record does not hold two rows per set");
    state.counters["sets/s"] = benchmark::Counter(double(kSets) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// As the program runs it: on the main thread.
void BM_TranslateAll10000Sets(benchmark::State& state) { translate(state, false); }
BENCHMARK(BM_TranslateAll10000Sets)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The same on a second thread: the script engine asks for a thread's stack bounds once per
// thread, so both should run alike.
void BM_TranslateAll10000SetsWorkerThread(benchmark::State& state) { translate(state, true); }
BENCHMARK(BM_TranslateAll10000SetsWorkerThread)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
