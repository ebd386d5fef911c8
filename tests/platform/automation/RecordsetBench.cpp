// The record set over 100,000 records: building, a read-and-write walk (direct and late-bound),
// Filter, Sort, and the delete-while-matching walk of a schedule comparison.

#include "platform/automation/Recordset.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace vt::automation;

constexpr int kRecords = 100000;

Ref<Recordset> makeRecords(int n) {
    auto rs = Recordset::create();
    rs->appendField("PartNumber", adtype::VarChar, 30);
    rs->appendField("Qty", adtype::Integer);
    rs->appendField("Amount", adtype::Numeric, 12);
    rs->setPrecision(2, 12);
    rs->setNumericScale(2, 2);
    rs->appendField("When", adtype::Date, 8);
    rs->appendField("Note", adtype::VarChar, 50);
    rs->open();
    for (int i = 0; i < n; ++i) {
        rs->addNew();
        rs->setValue(std::size_t(0), Variant("P" + std::to_string((i * 7919) % 5000)));
        rs->setValue(std::size_t(1), Variant(std::int32_t(i % 1000)));
        rs->setValue(std::size_t(2), Variant(double(i % 977) / 4));
        rs->setValue(std::size_t(3), Variant(Date{45000.0 + i % 365}));
        rs->update();
    }
    return rs;
}

void BM_AddNewAndUpdate(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(makeRecords(kRecords));
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_AddNewAndUpdate)->Unit(benchmark::kMillisecond);

void BM_WalkReadAndWriteByName(benchmark::State& state) {
    auto rs = makeRecords(kRecords);
    for (auto _ : state) {
        for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
            const Variant q = rs->value("Qty");
            rs->setValue("Note", Variant(toText(rs->value("PartNumber")) + "/" + toText(q)));
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkReadAndWriteByName)->Unit(benchmark::kMillisecond);

// Record("Qty") and Record.Fields.Item("Note").Value = ..., as a script or a plug-in does it.
void BM_WalkLateBound(benchmark::State& state) {
    auto rs = makeRecords(kRecords);
    const Variant record(rs);
    const auto get = InvokeKind::PropertyGet | InvokeKind::Method;
    for (auto _ : state) {
        call(record, "MoveFirst");
        while (!toBool(getProperty(record, "EOF"))) {
            Variant name("Qty");
            Variant* one[] = {&name};
            const Variant q = record.object()->invoke("", get, one);
            Variant note("Note"), value(toText(q));
            Variant* two[] = {&note, &value};
            record.object()->invoke("", InvokeKind::PropertyLet, two);
            call(record, "MoveNext");
        }
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkLateBound)->Unit(benchmark::kMillisecond);

void BM_Filter(benchmark::State& state, const char* criteria) {
    auto rs = makeRecords(kRecords);
    for (auto _ : state) {
        rs->setFilter(criteria);
        benchmark::DoNotOptimize(rs->recordCount());
        rs->setFilter("");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK_CAPTURE(BM_Filter, text_equal, "PartNumber = 'P1234'")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, like, "PartNumber LIKE 'P12*'")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, numeric_and_or, "(Qty >= 100 AND Qty < 200) OR Amount > 200.5")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, date, "When >= #3/1/2023# AND When < #4/1/2023#")->Unit(benchmark::kMillisecond);

void BM_Sort(benchmark::State& state, const char* keys) {
    auto rs = makeRecords(kRecords);
    for (auto _ : state) {
        rs->setSort(keys);
        rs->setSort("");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK_CAPTURE(BM_Sort, text, "PartNumber")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, text_then_number_desc, "PartNumber ASC, Amount DESC")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sort, date, "When DESC")->Unit(benchmark::kMillisecond);

// For each record of one set, MoveFirst on the other and delete the first record that matches:
// the other set's front fills up with deleted records that every MoveFirst must get past.
void BM_MatchAndDelete(benchmark::State& state) {
    const int n = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto other = makeRecords(n);
        state.ResumeTiming();
        for (int i = 0; i < n; ++i) {
            other->moveFirst();
            benchmark::DoNotOptimize(other->absolutePosition());
            other->deleteCurrent();
        }
        benchmark::DoNotOptimize(other->recordCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MatchAndDelete)->Arg(10000)->Arg(kRecords)->Unit(benchmark::kMillisecond);

// AddNew and CancelUpdate in a loop on a large set.
void BM_AddNewCancel(benchmark::State& state) {
    auto rs = makeRecords(kRecords);
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            rs->addNew();
            rs->cancelUpdate();
        }
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_AddNewCancel)->Unit(benchmark::kMillisecond);

}  // namespace
