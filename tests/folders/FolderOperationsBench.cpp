// Validating and acknowledging 100,000 selected purchase orders of one partner (the sets of the
// interchange reader's benchmark), in a real database file.

#include "folders/Acknowledgement.h"
#include "folders/Validation.h"
#include "tests/folders/FolderFixture.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int kSets = 100000;

struct BenchDb : vt::test::FolderDb {
    vt::folders::FolderSelection inbox;

    BenchDb() {
        db.exec("INSERT INTO Partner (Partner, Segment, element, Sub, ISA01, ISA02, ISA03, ISA04, ISA05, ISA06, ISA07,"
                " ISA08, ISA11, ISA12, ISA13, ISA14, ISA15, GS02, GS03, GS06, GS07) VALUES ('BENCH', 126, 42, 62,"
                " '00', '          ', '00', '          ', 'ZZ', 'RECEIVER       ', 'ZZ', 'SENDER         ', 'U',"
                " '00401', '0', '0', 'P', 'APPR', 'APPS', '0', 'X')");
        map(1, "BEG", 1, 1, 5);
        map(2, "REF", 1, 12, 2);
        map(3, "ITD", 1, 1, 7);
        map(4, "DTM", 1, 10, 2);
        map(5, "N1", 1, 200, 4);
        map(6, "N3", 2, 2, 1);
        map(7, "N4", 3, 1, 3);
        map(8, "PO1", 1, 100000, 11);
        map(9, "PID", 2, 1000, 5);
        map(10, "CTT", 1, 1, 1);

        vt::db::Transaction tx(db);
        auto row = db.prepare(
            "INSERT INTO Inbox (Partner, \"Transaction\", Version, Direction, GroupControlNumber, FunctionalGroup,"
            " Acknowledged, Status, TSet) VALUES ('BENCH', '850', '004010', 'I', ?1, 'PO', 'No', 'Closed', ?2)");
        for (int set = 1; set <= kSets; ++set) {
            char st02[16];
            std::snprintf(st02, sizeof st02, "%04d", set % 10000);
            const std::string n = std::to_string(set);
            std::string t = std::string("ST*850*") + st02 + "~BEG*00*SA*PO" + n + "**20240305~";
            t += "REF*DP*038~REF*PS*R~ITD*14*3*2**45**46~DTM*002*20240315~";
            t += "N1*ST*WAREHOUSE 12*92*0012~N3*1200 INDUSTRIAL PARKWAY~N4*SPRINGFIELD*IL*62701~";
            t += "PO1*1*120*EA*9.25*TE*CB*065322-117*PR*RO*VN*AB3542~PID*F****SMALL WIDGET~CTT*1~";
            t += std::string("SE*13*") + st02 + "~";
            row.bindAll(std::to_string((set - 1) / 5000 + 1), t);
            row.run();
        }
        tx.commit();
        inbox = list("Inbox");
        inbox.selected.assign(inbox.ids.size(), true);
        fs::create_directories(folder() / "Outbound");
        settings.set("Folders", "Outbound", (folder() / "Outbound").string());
    }

    void map(int index, const std::string& id, int node, int maxUse, int elements) {
        auto seg = db.prepare(
            "INSERT INTO Segment (Partner, Version, \"Transaction\", Direction, Segment, SegmentIndex, Node,"
            " MaxUsageLoop) VALUES ('BENCH', '004010', '850', 'I', ?1, ?2, ?3, ?4)");
        seg.bindAll(id, index, node, maxUse).run();
        auto el = db.prepare(
            "INSERT INTO Element (Partner, Version, \"Transaction\", Direction, Segment, SegmentIndex, ElementIndex,"
            " Minimum, Maximum) VALUES ('BENCH', '004010', '850', 'I', ?1, ?2, ?3, 1, 80)");
        for (int j = 1; j <= elements; ++j) el.bindAll(id, index, j).run();
    }
};

BenchDb& bench() {
    static BenchDb db;
    return db;
}

void BM_ValidateBox100kSets(benchmark::State& state) {
    BenchDb& db = bench();
    // The window's preview pane costs nothing here; the highlight search still runs.
    const bool preview = state.range(0) != 0;
    vt::folders::ValidationPreview pane;
    if (preview) pane = {[](std::string_view) {}, [](std::size_t, std::size_t) {}};
    for (auto _ : state) {
        vt::folders::ValidateBox(db.services, db.inbox, pane);
        state.PauseTiming();
        if (db.history().find("Validated: 100000 Errors: 0") == std::string::npos) state.SkipWithError("findings");
        db.db.exec("DELETE FROM History");
        db.db.exec("UPDATE Inbox SET Status = 'Closed'");
        state.ResumeTiming();
    }
    state.counters["sets_per_s"] =
        benchmark::Counter(double(kSets) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ValidateBox100kSets)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_GenerateAcknowledgement100kSets(benchmark::State& state) {
    BenchDb& db = bench();
    for (auto _ : state) {
        const bool done = vt::folders::GenerateAcknowledgement(db.services, db.inbox);
        state.PauseTiming();
        if (!done) state.SkipWithError(db.history().c_str());
        db.db.exec("DELETE FROM Outbox");
        db.db.exec("UPDATE Inbox SET Acknowledged = 'No'");
        db.clock.set({2024, 3, 5, 14, 7, 10 + int(state.iterations() % 40)});
        state.ResumeTiming();
    }
    state.counters["sets_per_s"] =
        benchmark::Counter(double(kSets) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GenerateAcknowledgement100kSets)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
