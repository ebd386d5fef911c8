#pragma once
// Benchmarks of how a run's time grows with its data: a small and a large size, each run a few
// times in a row, reported as the best time per item of each and their ratio (work that grows
// with the data keeps the ratio near 1). The iteration time is the best large run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <malloc.h>
#include <string>

namespace vt::test {

// Seconds that `work` takes. The allocator starts every run as in a new process, whatever ran
// before: its default thresholds held fixed (it would otherwise raise them after freeing a large
// block, which hides the cost of copying large blocks over and over) and the memory freed by
// earlier runs given back. The thresholds stay fixed for the rest of the process.
template <class Work>
double TimedRun(Work&& work) {
    constexpr int kDefaultThreshold = 128 * 1024;
    ::mallopt(M_MMAP_THRESHOLD, kDefaultThreshold);
    ::mallopt(M_TRIM_THRESHOLD, kDefaultThreshold);
    ::malloc_trim(0);
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// `run(size)` gives the seconds of one run of that size (setup untimed, see TimedRun). Counters
// "us_per_<item>_<small>", "us_per_<item>_<large>" and "ratio".
template <class Run>
void MeasureScaling(benchmark::State& state, const std::string& item, int small, int large, int runs, Run&& run) {
    auto best = [&](int size) {
        double seconds = 1e9;
        for (int i = 0; i < runs; ++i) seconds = std::min(seconds, run(size));
        return seconds;
    };
    for (auto _ : state) {
        const double perSmall = best(small) / small * 1e6;
        const double bestLarge = best(large), perLarge = bestLarge / large * 1e6;
        state.SetIterationTime(bestLarge);
        state.counters["us_per_" + item + "_" + std::to_string(small)] = perSmall;
        state.counters["us_per_" + item + "_" + std::to_string(large)] = perLarge;
        state.counters["ratio"] = perLarge / perSmall;
    }
}

}  // namespace vt::test
