// 10,000 records of 10 fields (text, numbers, dates) to PDF and to each workbook format.
#include "platform/report/Engine.h"
#include "platform/report/Export.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace vt::report;
using vt::automation::Variant;
namespace adtype = vt::automation::adtype;

std::shared_ptr<ReportDocument> bigReport() {
    Report r;
    r.title = "Ten thousand records";
    auto data = std::make_shared<DataTable>();
    for (int c = 0; c < 10; ++c) {
        const std::string name = "F" + std::to_string(c);
        const int type = c % 3 == 0 ? adtype::VarChar : c % 3 == 1 ? adtype::Double : adtype::Date;
        data->columns.push_back({name, type, 12});
        r.addTextObject(2, name, c * 1080, 0).width = 1000;
        auto& f = r.addFieldObject(3, name, c * 1080, 0);
        f.width = 1000;
        if (type == adtype::Double) f.format = "#,##0.00";
        if (type == adtype::Date) f.format = "mm/dd/yyyy";
    }
    r.addSpecialField(4, int(SpecialKind::PageNofM), 0, 0);
    for (int i = 0; i < 10000; ++i) {
        std::vector<Variant> row;
        for (int c = 0; c < 10; ++c) {
            if (c % 3 == 0) row.push_back(Variant("ITEM" + std::to_string(i * 10 + c)));
            else if (c % 3 == 1) row.push_back(Variant(i * 1.25 + c));
            else row.push_back(Variant(vt::automation::Date{45000.0 + i % 365}));
        }
        data->rows.push_back(std::move(row));
    }
    auto doc = std::make_shared<ReportDocument>(std::move(r));
    doc->setDataSource(data);
    return doc;
}

void exportTo(benchmark::State& state, int format, const char* name) {
    auto doc = bigReport();
    const auto file = std::filesystem::temp_directory_path() / name;
    doc->exportOptions().formatType = format;
    doc->exportOptions().diskFileName = file.string();
    for (auto _ : state) exportReport(*doc);
    state.counters["bytes"] = double(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}

void BM_Pdf(benchmark::State& s) { exportTo(s, format::PDF, "bench_report.pdf"); }
void BM_Xls8(benchmark::State& s) { exportTo(s, format::Excel8Extended, "bench_report8.xls"); }
void BM_Xls5(benchmark::State& s) { exportTo(s, format::Excel5Extended, "bench_report5.xls"); }
void BM_Csv(benchmark::State& s) { exportTo(s, format::CSV, "bench_report.csv"); }

BENCHMARK(BM_Pdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Xls8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Xls5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Csv)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
