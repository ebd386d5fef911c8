// The Inbox list with 100,000 transaction sets: a refresh of the shown list (query, fill,
// selection, preview), the model's fill alone, and scrolling page by page through the list,
// painted as the user sees it. Runs under the offscreen platform:
//   bench_folder_views [--benchmark_filter=...]

#include "core/Globals.h"
#include "mainwindow/FolderModel.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "tests/mainwindow/widgets/ScriptedMain.h"
#include "tests/support/ScratchDatabase.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

constexpr int kRows = 100000;

QApplication& application() {
    static int argc = 1;
    static char name[] = "bench_folder_views";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        ::setenv("VELTRANE_SOURCE_DIR", VT_SOURCE_DIR, 0);
        auto* a = new QApplication(argc, argv);
        QApplication::setStyle(QStringLiteral("Fusion"));
        return a;
    }();
    return *app;
}

// A database folder with 100,000 Inbox rows of a dozen partners, and the main window over it
// showing the Inbox.
struct Bench {
    fs::path folder;
    vt::MemorySettings settings;
    vt::FixedClock clock{vt::text::DateTime{2024, 3, 5, 14, 7, 9}};
    std::unique_ptr<vt::test::ScriptedMain> main;

    Bench() {
        application();
        folder = fs::temp_directory_path() / ("vt_bench_views_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        {
            vt::db::Database db;
            vt::core::createApplicationDatabase(db, folder / std::string(vt::core::kDatabaseFileName));
            db.exec(vt::test::schemaSql());
            db.exec("INSERT INTO Partner (Partner, Segment, element, Sub) VALUES ('PARTNER3', 126, 42, 62)");
            vt::db::Transaction tx(db);
            auto row = db.prepare(
                "INSERT INTO Inbox (Partner, \"Transaction\", Version, Direction, \"Date\", \"Time\", "
                "InterchangeControlNumber, GroupControlNumber, Acknowledged, Status, TSet) "
                "VALUES (?1, '850', '004010', 'I', ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
            static const char* const statuses[] = {"Closed", "Opened", "Validated", "Error"};
            static const char* const acks[] = {"No", "Yes", "Void"};
            for (int i = 1; i <= kRows; ++i) {
                char date[16], time[16], icn[16];
                std::snprintf(date, sizeof date, "%02d/%02d/2024", i % 12 + 1, i % 28 + 1);
                std::snprintf(time, sizeof time, "%02d:%02d", i % 24, i % 60);
                std::snprintf(icn, sizeof icn, "%09d", i / 7 + 1);
                const std::string n = std::to_string(i);
                std::string t = "ST*850*" + n + "~BEG*00*SA*PO" + n + "**20240305~REF*DP*038~DTM*002*20240315~";
                t += "N1*ST*WAREHOUSE 12*92*0012~N3*1200 INDUSTRIAL PARKWAY~N4*SPRINGFIELD*IL*62701~";
                t += "PO1*1*120*EA*9.25*TE*CB*065322-117*PR*RO*VN*AB3542~PID*F****SMALL WIDGET~CTT*1~SE*11*" + n + "~";
                row.bindAll("PARTNER" + std::to_string(i % 12), std::string(date), std::string(time), std::string(icn),
                            std::to_string(i / 3 + 1), std::string(acks[i % 3]), std::string(statuses[i % 4]), t);
                row.run();
            }
            tx.commit();
            db.close();
        }
        settings.set("Folders", "Database", folder.string());
        // A window of 1200 by 800 pixels at 96 dpi, the list above the preview.
        settings.set("Main", "Width", "18000");
        settings.set("Main", "Height", "12000");
        settings.set("Main", "HSplitPos", "8400");
        main = std::make_unique<vt::test::ScriptedMain>(settings, clock);
        main->Form_Load();
        main->show();
        main->tvwFolderList_NodeClick("Inbox");
        QApplication::processEvents();
    }
    ~Bench() {
        main.reset();
        if (vt::core::gConnection().isOpen()) vt::core::gConnection().close();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

Bench& bench() {
    static Bench b;
    return b;
}

// A refresh of the shown Inbox, sorted by the column given (0 the acknowledgement icons, 1
// Partner, 5 Date), the selection at row 50,000 kept.
void BM_RefreshInbox(benchmark::State& state) {
    Bench& b = bench();
    vt::mainwindow::FolderModel* model = b.main->folderModel("Inbox");
    model->setSort(int(state.range(0)), 0);
    QTreeView* list = b.main->folderList("Inbox");
    for (auto _ : state) {
        list->selectionModel()->setCurrentIndex(model->index(kRows / 2, 0),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        b.main->RefreshBox("Inbox");
    }
    if (model->rowCount() != kRows) state.SkipWithError("the Inbox was not filled");
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RefreshInbox)->Arg(0)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// The model's fill on its own: the query and the compact rows.
void BM_FolderModelLoad(benchmark::State& state) {
    Bench& b = bench();
    vt::mainwindow::FolderModel model("Inbox");
    model.setColumns(b.main->folderModel("Inbox")->columns());
    for (auto _ : state) model.load(vt::core::gConnection());
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FolderModelLoad)->Unit(benchmark::kMillisecond);

// Scrolling: each iteration moves the list one page on and paints it (texts and icons of every
// visible row), going through the whole list and back.
void BM_ScrollPage(benchmark::State& state) {
    Bench& b = bench();
    QTreeView* list = b.main->folderList("Inbox");
    QScrollBar* bar = list->verticalScrollBar();
    const int page = std::max(1, bar->pageStep());
    int value = 0;
    for (auto _ : state) {
        value += page;
        if (value > bar->maximum()) value = 0;
        bar->setValue(value);
        list->viewport()->repaint();
    }
    state.counters["rows_per_page"] = double(page);
}
BENCHMARK(BM_ScrollPage)->Unit(benchmark::kMicrosecond);

// The data of one visible page as the view asks for it, without the painting.
void BM_ModelDataPage(benchmark::State& state) {
    Bench& b = bench();
    vt::mainwindow::FolderModel* model = b.main->folderModel("Inbox");
    const int rows = 40;
    int top = 0;
    for (auto _ : state) {
        for (int r = top; r < top + rows; ++r)
            for (int c = 0; c < model->columnCount(); ++c) {
                benchmark::DoNotOptimize(model->data(model->index(r, c), Qt::DisplayRole));
                benchmark::DoNotOptimize(model->data(model->index(r, c), Qt::DecorationRole));
            }
        top = (top + rows) % (kRows - rows);
    }
}
BENCHMARK(BM_ModelDataPage)->Unit(benchmark::kMicrosecond);

}  // namespace
