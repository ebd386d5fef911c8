// The planning handler over generated data: parts with 12 forecasts each, an orders file of two
// orders and an inventory file of one line per part; and how its time per part holds from 1,000
// to 10,000 parts.

#include "ActiveX/Handlers.h"
#include "platform/automation/Recordset.h"
#include "platform/text/Text.h"
#include "tests/support/ScalingBenchmark.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using namespace vt::automation;

struct Host final : HostServices {
    std::string setting(std::string_view, std::string_view key, std::string_view def) const override {
        return key == "Import" ? folder.string() : std::string(def);
    }
    ObjectRef database() const override { return {}; }
    double now() const override { return vt::text::toOleDate({2026, 12, 9, 10, 0, 0}); }
    std::filesystem::path folder;
};

Ref<Recordset> input(int parts) {
    auto rs = Recordset::create();
    for (const char* f : {"1BFR11", "2NTE02", "3NTE02", "6LIN03", "6LIN05", "8J2X03"}) rs->appendField(f, adtype::VarChar, 30);
    rs->appendField("11FST01", adtype::Integer);
    rs->appendField("11FST04", adtype::Date);
    for (const char* r : {"13", "14", "15"}) {
        rs->appendField(std::string(r) + "SHP02", adtype::Integer);
        rs->appendField(std::string(r) + "SHP03", adtype::VarChar, 3);
        rs->appendField(std::string(r) + "SHP04", adtype::Date);
    }
    rs->open();
    const double start = vt::text::toOleDate({2026, 12, 7});
    for (int p = parts; p-- > 0;)
        for (int f = 0; f < 12; ++f) {
            rs->addNew();
            rs->setValue("1BFR11", Variant(std::string("PO-1")));
            rs->setValue("6LIN03", Variant("P-" + std::to_string(p)));
            rs->setValue("6LIN05", Variant(std::string("R1")));
            rs->setValue("8J2X03", Variant(std::string("PART")));
            rs->setValue("11FST01", Variant(std::int32_t(10 + f)));
            rs->setValue("11FST04", Variant(Date{start - 7 + f * 6}));
            rs->setValue("13SHP02", Variant(std::int32_t(15)));
            rs->setValue("13SHP03", Variant(std::string("ZZ3")));
            rs->setValue("13SHP04", Variant(Date{start}));
            rs->update();
        }
    return rs;
}

// The Import folder with the orders and inventory files of `parts` parts; removed at the end.
struct ImportFolder {
    Host host;
    explicit ImportFolder(int parts) {
        host.folder = std::filesystem::temp_directory_path() /
                      ("vt_bench_brackwen_" + std::to_string(::getpid()) + "_" + std::to_string(parts));
        std::filesystem::create_directories(host.folder);
        std::ofstream orders(host.folder / "Orders.csv"), inventory(host.folder / "Inventory.csv");
        for (int p = 0; p < parts; ++p) {
            orders << "P-" << p << ",WO-" << p << "A,5,12/15/2026,R1\nP-" << p << ",WO-" << p << "B,7,1/5/2027,R1\n";
            inventory << "P-" << p << ",\"PART " << p << ", STEEL\",40,12\n";
        }
    }
    ~ImportFolder() { std::filesystem::remove_all(host.folder); }
};

void BM_PlanningSchedule(benchmark::State& state) {
    const int parts = int(state.range(0));
    ImportFolder files(parts);
    for (auto _ : state) {
        state.PauseTiming();
        Variant rs(input(parts));
        auto handler = makeRef<vt::brackwen::PlanningSchedule>(&files.host);
        state.ResumeTiming();
        benchmark::DoNotOptimize(handler->ActiveX(rs));
    }
    state.SetItemsProcessed(state.iterations() * parts * 12);
}
BENCHMARK(BM_PlanningSchedule)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The time per part at 1,000 and at 10,000 parts.
void BM_PlanningScheduleScaling(benchmark::State& state) {
    vt::test::MeasureScaling(state, "part", 1000, 10000, 5, [&](int parts) {
        ImportFolder files(parts);
        Variant rs(input(parts));
        auto handler = makeRef<vt::brackwen::PlanningSchedule>(&files.host);
        bool built = false;
        const double seconds = vt::test::TimedRun([&] { built = handler->ActiveX(rs); });
        if (!built) state.SkipWithError("a file could not be read");
        return seconds;
    });
}
BENCHMARK(BM_PlanningScheduleScaling)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

}  // namespace
