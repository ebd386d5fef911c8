// Script speed: a loop of one million simple statements, one million calls of a small Function,
// text built by appending, and a translator's pattern of one thousand AddCode calls of a small
// element script against objScript and Record.

#include "platform/vbscript/ScriptControl.h"

#include "platform/automation/Recordset.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vt;
using automation::Args;
using automation::Members;
using automation::Variant;

class Element final : public automation::Dispatch<Element> {
public:
    static const Members<Element>& members() {
        static const Members<Element> m = [] {
            Members<Element> t("clsScript");
            t.get("CurrentElement", [](Element& e, Args&) { return Variant(e.current); });
            t.let("CurrentElement", [](Element& e, Args&, const Variant& v) { e.current = automation::toString(v); });
            t.get("ElementDelimiter", [](Element&, Args&) { return Variant("+"); });
            t.get("Segment", [](Element& e, Args&) { return Variant(e.segment); });
            t.let("Segment", [](Element& e, Args&, const Variant& v) { e.segment = automation::toString(v); });
            t.method("ElementToSegment", {}, [](Element& e, Args&) {
                e.segment += e.current + "+";
                return Variant();
            });
            return t;
        }();
        return m;
    }
    std::string current, segment;
};

void BM_MillionSimpleStatements(benchmark::State& state) {
    vbscript::ScriptControl sc;
    sc.setTimeout(vbscript::ScriptControl::kNoTimeout);
    for (auto _ : state) {
        sc.reset();
        sc.addCode("Dim i, x\nFor i = 1 To 1000000\n  x = x + 1\nNext");
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_MillionSimpleStatements)->Unit(benchmark::kMillisecond);

// One million calls of a one-line Function.
void BM_MillionFunctionCalls(benchmark::State& state) {
    vbscript::ScriptControl sc;
    sc.setTimeout(vbscript::ScriptControl::kNoTimeout);
    for (auto _ : state) {
        sc.reset();
        sc.addCode("Function F(a)\n  F = a + 1\nEnd Function\nDim i, x\nFor i = 1 To 1000000\n  x = F(x)\nNext");
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_MillionFunctionCalls)->Unit(benchmark::kMillisecond);

// Appending to a text in a loop: each append costs the same however long the text is.
void BM_StringAppends(benchmark::State& state) {
    vbscript::ScriptControl sc;
    sc.setTimeout(vbscript::ScriptControl::kNoTimeout);
    const std::string code = "Dim i, s\nFor i = 1 To " + std::to_string(state.range(0)) + "\n  s = s & \"x\"\nNext";
    for (auto _ : state) {
        sc.reset();
        sc.addCode(code);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StringAppends)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_MillionMixedStatements(benchmark::State& state) {
    vbscript::ScriptControl sc;
    for (auto _ : state) {
        sc.reset();
        sc.addCode(
            "Dim i, s, n\n"
            "For i = 1 To 250000\n"
            "  If i Mod 2 = 0 Then n = n + 1 Else n = n - 1\n"
            "  s = Left(\"abcdef\", 3)\n"
            "  n = n + Len(s)\n"
            "Next");
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_MillionMixedStatements)->Unit(benchmark::kMillisecond);

void BM_ThousandElementScripts(benchmark::State& state) {
    vbscript::ScriptControl sc;
    auto record = automation::Recordset::create();
    record->appendField("Name", automation::adtype::VarChar, 30);
    record->appendField("Qty", automation::adtype::Integer);
    record->open();
    record->addNew();
    record->setValue(0, Variant("widget"));
    record->setValue(1, Variant(std::int32_t(12)));
    record->update();
    for (auto _ : state) {
        auto element = automation::makeRef<Element>();
        sc.reset();
        sc.addObject("objScript", Variant(element));
        sc.addObject("Record", Variant(record));
        for (int i = 0; i < 1000; ++i) {
            sc.addCode(
                "objScript.CurrentElement = UCase(Trim(Record(\"Name\"))) & Record.Fields.Item(\"Qty\")\n"
                "If Len(objScript.CurrentElement) > 0 Then\n"
                "  objScript.ElementToSegment\n"
                "End If\n");
        }
        benchmark::DoNotOptimize(element->segment.size());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ThousandElementScripts)->Unit(benchmark::kMillisecond);

}  // namespace
