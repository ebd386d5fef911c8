#pragma once
// The main window over a scratch database folder, with its boxes answered from scripts.

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "mainwindow/FolderModel.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "tests/mainwindow/widgets/ScriptedMain.h"
#include "tests/support/ScratchDatabase.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace vt::test {

namespace fs = std::filesystem;
namespace core = vt::core;

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "test_mainwindow_widgets";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        QApplication::setStyle(QStringLiteral("Fusion"));
        return a;
    }();
    return *app;
}

// A folder of its own under the temporary folder, removed afterwards.
struct TempFolder {
    fs::path path;
    explicit TempFolder(const std::string& name) {
        static int serial = 0;
        path = fs::temp_directory_path() /
               ("vt_main_" + name + "_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

inline void makeDatabase(const fs::path& folder) {
    fs::create_directories(folder);
    vt::db::Database db;
    core::createApplicationDatabase(db, folder / "Veltrane.mdb");
    db.exec(vt::test::schemaSql());
    db.exec("INSERT INTO Partner (Partner, Segment, element, Sub) VALUES ('ACME', 126, 42, 62)");
    db.close();
}

inline vt::db::Database& conn() { return core::gConnection(); }

// The descriptions of the History rows written after row `after`, in order.
inline std::vector<std::string> historySince(long long after) {
    auto st = conn().prepare("SELECT Description FROM History WHERE \"Index\" > ?1 ORDER BY \"Index\"");
    st.bind(1, std::int64_t(after));
    std::vector<std::string> out;
    while (st.step()) out.push_back(st.text(0));
    return out;
}

inline long long lastHistoryIndex() { return conn().scalarInt("SELECT coalesce(max(\"Index\"), 0) FROM History"); }

inline void addItem(vt::db::Database& db, const std::string& table, const std::string& partner = "ACME",
             const std::string& status = "Closed", const std::string& ack = "No",
             const std::string& tset = "ST*850*0001~BEG*00*SA*PO1~SE*3*0001~") {
    auto st = db.prepare("INSERT INTO \"" + table +
                         "\" (Partner, \"Transaction\", Version, \"Date\", \"Time\", Status, Acknowledged, TSet) "
                         "VALUES (?1, '850', '004010', '03/05/2024', '14:07', ?2, ?3, ?4)");
    st.bindAll(partner, status, ack, tset);
    st.run();
}

inline void addLog(vt::db::Database& db, const std::string& table, const std::string& type, const std::string& text) {
    auto st = db.prepare("INSERT INTO \"" + table +
                         "\" (Type, \"Date\", \"Time\", User, Description) VALUES (?1, '03/5/2024', '02:07:09 PM', 'System', ?2)");
    st.bindAll(type, text);
    st.run();
}

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application(); }

    MainWindow() : home("home") {
        ::setenv("VELTRANE_HOME", home.path.c_str(), 1);
        dbFolder = home.path / "db";
        makeDatabase(dbFolder);
        settings.set("Folders", "Database", dbFolder.string());
    }
    ~MainWindow() override {
        main.reset();
        if (conn().isOpen()) conn().close();
        core::gUserName = "System";
    }

    // Rows written into the database before the window loads.
    template <class F>
    void before(F fill) {
        vt::db::Database db;
        core::openApplicationDatabase(db, dbFolder);
        fill(db);
        db.close();
    }

    ScriptedMain& create() {
        main = std::make_unique<ScriptedMain>(settings, clock);
        return *main;
    }
    ScriptedMain& load() {
        create();
        EXPECT_TRUE(main->Form_Load());
        return *main;
    }
    ScriptedMain& start() {
        load();
        main->show();
        QApplication::processEvents();
        return *main;
    }
    // A node click as the tree raises it when the user selects a node.
    void click(const char* key) {
        main->folderTree()->setCurrentItem(main->folderNode(key));
        QApplication::processEvents();
    }
    bool enabled(const char* name) {
        QAction* a = main->commandAction(name);
        EXPECT_NE(a, nullptr) << name;
        return a && a->isEnabled();
    }

    TempFolder home;
    fs::path dbFolder;
    vt::MemorySettings settings;
    vt::FixedClock clock{vt::text::DateTime{2024, 3, 5, 14, 7, 9}};
    std::unique_ptr<ScriptedMain> main;
};

}  // namespace vt::test
