// Reports of a large selection: translating n purchase orders (two lines each) and exporting them
// through the export template, as the Integrator does unattended; the plug-in runner over the same
// selection with the test plug-in (Mode 5: no report output).

#include "tests/maps/MapFixture.h"

#include "mainwindow/ReportEngineHost.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/report/Document.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace vt::test {
namespace {

namespace fs = std::filesystem;

struct Env {
    MapDb d;
    mainwindow::EngineReportHost host;
    automation::ClassRegistry registry;
    folders::FolderSelection list;

    Env(int sets, int format) {
        const fs::path reports = d.folder() / "Reports";
        fs::create_directories(reports / "Export");
        fs::create_directories(reports / "ActiveX");
        fs::create_directories(d.folder() / "Export");
        d.settings.set("Folders", "Reports", reports.string());
        d.settings.set("Folders", "Export", (d.folder() / "Export").string());
        d.db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction, ExportFormat, ActiveX) "
                  "VALUES ('ACME', '850', '004010', 'I', " + std::to_string(format) + ", 'VtReportPlugin.Replace')");
        report::Report r;
        int left = 0;
        for (const char* f : {"1BEG03", "4DTM02", "7PO101", "7PO102", "7PO103", "7PO104", "7PO107", "8PID05"}) {
            r.addFieldObject(3, f, left, 0);
            left += 1400;
        }
        report::ReportDocument(r).save(reports / "Export" / "ACME_850_004010_I.RPT");
        report::ReportDocument(r).save(reports / "ActiveX" / "ACME_850_004010_I.RPT");
        for (int i = 0; i < sets; ++i) d.addSet(set850(std::to_string(1000 + i), "PO-" + std::to_string(i)));
        list = d.list("Inbox", {});
        list.selected.assign(list.ids.size(), true);
        list.current = list.ids.front();
        registry.setPluginFolder(fs::path(VT_REPORT_PLUGIN_FOLDER));
    }
};

void BM_ExportReport(benchmark::State& state) {
    Env e(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        if (!mainwindow::ExportReport(e.d.services, e.host, e.list, true)) state.SkipWithError("export failed");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
// 1 CSV, 10 Excel 8.0, 20 PDF.
BENCHMARK(BM_ExportReport)->Args({1000, 1})->Args({1000, 10})->Args({1000, 20})->Unit(benchmark::kMillisecond);

void BM_PluginRunner(benchmark::State& state) {
    Env e(int(state.range(0)), 1);
    for (auto _ : state)
        if (!mainwindow::ActiveX(e.d.services, e.host, e.registry, e.list, e.d.list("Recycled", {}), 5))
            state.SkipWithError("plug-in run failed");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PluginRunner)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vt::test

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
