// Loads a generated 4010 interchange of 100,000 purchase orders (about 27 MB) into a real
// database file with every envelope check. Reports sets per second and peak memory.

#include "mainwindow/InterchangeReader.h"
#include "tests/mainwindow/X12Builder.h"
#include "tests/support/ScratchDatabase.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

constexpr int kSets = 100000;
constexpr int kSetsPerGroup = 5000;

std::string makeInterchange() {
    vt::test::X12 x;
    x.isa();
    std::string out;
    out.reserve(28u << 20);
    out += x.segments[0] + "~\n";
    int group = 0;
    for (int set = 1; set <= kSets; ++set) {
        if ((set - 1) % kSetsPerGroup == 0)
            out += "GS*PO*APPS*APPR*20240305*1407*" + std::to_string(++group) + "*X*004010~\n";
        char st02[16];
        std::snprintf(st02, sizeof st02, "%04d", set % 10000);
        std::string n = std::to_string(set);
        out += std::string("ST*850*") + st02 + "~\n";
        out += "BEG*00*SA*PO" + n + "**20240305~\n";
        out += "REF*DP*038~\nREF*PS*R~\nITD*14*3*2**45**46~\nDTM*002*20240315~\n";
        out += "N1*ST*WAREHOUSE 12*92*0012~\nN3*1200 INDUSTRIAL PARKWAY~\nN4*SPRINGFIELD*IL*62701~\n";
        out += "PO1*1*120*EA*9.25*TE*CB*065322-117*PR*RO*VN*AB3542~\n";
        out += "PID*F****SMALL WIDGET~\nCTT*1~\n";
        out += std::string("SE*13*") + st02 + "~\n";
        if (set % kSetsPerGroup == 0) out += "GE*" + std::to_string(kSetsPerGroup) + "*" + std::to_string(group) + "~\n";
    }
    out += "IEA*" + std::to_string(group) + "*000000001~\n";
    return out;
}

void BM_LoadBox100kSets(benchmark::State& state) {
    static const std::string text = makeInterchange();
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<vt::test::ScratchDatabase>();
        db->db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES ('850', 'PO', 'Purchase Order')");
        fs::path file = db->folder() / "big.edi";
        std::ofstream(file, std::ios::binary) << text;
        state.ResumeTiming();
        std::string result = vt::mainwindow::LoadBox(db->services, file, "I");
        state.PauseTiming();
        if (!result.empty()) state.SkipWithError(result.c_str());
        if (db->db.scalarInt("SELECT count(*) FROM Inbox") != kSets) state.SkipWithError("row count");
        db.reset();
        state.ResumeTiming();
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["file_MB"] = double(text.size()) / 1e6;
    state.counters["peak_RSS_MB"] = double(ru.ru_maxrss) / 1024.0;
    state.counters["sets_per_s"] = benchmark::Counter(double(kSets) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadBox100kSets)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
