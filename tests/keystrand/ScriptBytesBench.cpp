// Hashing and encrypting 16 MiB from a script against the same calls from C++ (run on demand).
// Prints both times, their ratio and the memory per byte of data: the peak of live heap bytes
// while fresh data is made and hashed (or encrypted), the data itself included, over its size.

#include "keystrand/Enumerations.h"
#include "keystrand/Register.h"
#include "keystrand/clsKey.h"
#include "keystrand/clsProviders.h"

#include "platform/vbscript/ScriptControl.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>

// ---- Live heap bytes (every operator new of the process) ----

namespace {
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* allocate(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    const std::size_t live = gLive += malloc_usable_size(p);
    std::size_t peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {}
    return p;
}

void deallocate(void* p) noexcept {
    if (!p) return;
    gLive -= malloc_usable_size(p);
    std::free(p);
}
}  // namespace

void* operator new(std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n) { return allocate(n); }
void operator delete(void* p) noexcept { deallocate(p); }
void operator delete[](void* p) noexcept { deallocate(p); }
void operator delete(void* p, std::size_t) noexcept { deallocate(p); }
void operator delete[](void* p, std::size_t) noexcept { deallocate(p); }

namespace {

using namespace vt::automation;

constexpr std::size_t kSize = std::size_t(16) << 20;
constexpr std::int32_t kSha1 = 0x8004;
constexpr std::int32_t kRc4 = 0x6801;

// Where a script takes its data from, as it would from a transfer or a file: a fresh byte array.
class Source final : public Dispatch<Source> {
public:
    static const Members<Source>& members() {
        static const Members<Source> m = [] {
            Members<Source> t("Source");
            t.method("Bytes", {1, 1}, [](Source&, Args& a) {
                return Variant::bytes(std::vector<std::uint8_t>(std::size_t(a.int32(0)), 0x5a));
            });
            return t;
        }();
        return m;
    }
};

const char* const kScript = R"(
Set providers = CreateObject("Keystrand.clsProviders")
Set p = providers.Item("2")
p.Acquire "", &HF0000000
Function Digest(data)
    Set h = p.CreateHash(&H8004&)
    h.AddData data
    Digest = h.ToHex
End Function
Function Cipher(data)
    Set k = CreateObject("Keystrand.clsKey")
    k.Generate p.hContext, &H6801&
    Cipher = UBound(k.Encrypt(data)) + 1
End Function
)";

// Peak heap bytes above the level at the start, per byte of data, while `f` runs.
template <class F>
double bytesPerByte(F&& f) {
    const std::size_t base = gLive.load();
    gPeak = base;
    f();
    return double(gPeak.load() - base) / double(kSize);
}

struct Scripted {
    vt::vbscript::ScriptControl sc;
    Scripted() {
        keystrand::registerClasses();
        sc.setTimeout(vt::vbscript::ScriptControl::kNoTimeout);
        sc.addObject("Source", Variant(makeRef<Source>()));
        sc.addCode(kScript);
    }
    // Takes fresh data from the source and hands it to the script's procedure.
    Variant runOnFresh(std::string_view procedure) {
        Variant data = sc.eval("Source.Bytes(16777216)");
        return sc.run(procedure, std::span(&data, 1));
    }
};

// Per benchmark ("FromScript/Hash"): seconds per iteration and bytes per byte of data.
std::map<std::string, std::pair<double, double>> gResults;

void record(benchmark::State& state, double perByte) {
    state.counters["bytes_per_byte"] = perByte;
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kSize));
}

// The script's procedure on the data it holds.
void FromScript(benchmark::State& state, const char* procedure) {
    Scripted s;
    const double perByte = bytesPerByte([&] { benchmark::DoNotOptimize(s.runOnFresh(procedure)); });
    s.sc.executeStatement("data = Source.Bytes(16777216)");
    const std::string call = std::string(procedure) + "(data)";
    for (auto _ : state) benchmark::DoNotOptimize(s.sc.eval(call));
    record(state, perByte);
}

// The same work done by the classes from C++: `work`(provider, data).
template <class F>
void FromCpp(benchmark::State& state, F work) {
    auto providers = makeRef<keystrand::clsProviders>();
    auto p = providers->item(2);
    p->acquire("", keystrand::CRYPT_VERIFYCONTEXT);
    const double perByte = bytesPerByte([&] { benchmark::DoNotOptimize(work(*p, keystrand::Bytes(kSize, 0x5a))); });
    const keystrand::Bytes data(kSize, 0x5a);
    for (auto _ : state) benchmark::DoNotOptimize(work(*p, data));
    record(state, perByte);
    p->release();
}

std::string digest(keystrand::clsProvider& p, const keystrand::Bytes& data) {
    auto h = p.createHash(kSha1);
    h->addData(data);
    return h->toHex();
}

std::size_t cipher(keystrand::clsProvider& p, const keystrand::Bytes& data) {
    auto k = makeRef<keystrand::clsKey>();
    k->generate(p.hContext(), kRc4);
    return k->encrypt(data).size();
}

BENCHMARK_CAPTURE(FromScript, Hash, "Digest")->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(FromCpp, Hash, digest)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(FromScript, Encrypt, "Cipher")->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(FromCpp, Encrypt, cipher)->Unit(benchmark::kMillisecond)->MinTime(2);

// Keeps each benchmark's time per iteration for the summary.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0 && r.counters.count("bytes_per_byte"))
                gResults[r.run_name.function_name] = {r.real_accumulated_time / double(r.iterations),
                                                      r.counters.at("bytes_per_byte")};
        ConsoleReporter::ReportRuns(runs);
    }
};

void summary(const char* what, const std::string& test) {
    const auto script = gResults.find("FromScript/" + test), cpp = gResults.find("FromCpp/" + test);
    if (script == gResults.end() || cpp == gResults.end()) return;
    const auto [s, sMemory] = script->second;
    const auto [c, cMemory] = cpp->second;
    std::printf("%s of 16 MiB: script %.2f ms, C++ %.2f ms, ratio %.2f; memory per byte of data: script %.2f, C++ %.2f\n",
                what, s * 1e3, c * 1e3, s / c, sMemory, cMemory);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    summary("SHA-1 hash", "Hash");
    summary("RC4 encryption", "Encrypt");
    benchmark::Shutdown();
    return 0;
}
