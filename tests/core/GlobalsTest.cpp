#include "core/Globals.h"
#include "platform/settings/Settings.h"

#include <gtest/gtest.h>

#include "platform/automation/ClassRegistry.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path deliveredFolder() { return fs::path(std::getenv("VELTRANE_DATA_DIR")); }

TEST(Globals, ConnectionStartsClosedAndUserIsSystem) {
    EXPECT_FALSE(vt::core::gConnection().isOpen());
    EXPECT_EQ(&vt::core::gConnection(), &vt::core::gConnection());
    EXPECT_EQ(vt::core::gUserName, "System");
}

TEST(DeliveredDatabase, HasTheTwentyTablesAndTheSeedRows) {
    vt::db::Database db;
    vt::core::openApplicationDatabase(db, deliveredFolder());
    std::set<std::string> tables;
    auto st = db.prepare("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'");
    while (st.step()) tables.insert(st.text(0));
    const std::set<std::string> expected = {
        "Partner", "Transactions", "Segment", "Element", "Standard", "Version", "Inbox", "Outbox",
        "Sent", "Recycled", "ISA", "GS", "GE", "IEA", "History", "Exchange", "Internet",
        "Location", "Carrier", "Consolidation"};
    EXPECT_EQ(tables, expected);

    // Every set a partner is likely to send, with its functional group.
    struct Row { const char* set; const char* group; };
    for (Row r : {Row{"810", "IN"}, {"850", "PO"}, {"855", "PR"}, {"856", "SH"}, {"830", "PS"},
                  {"862", "SS"}, {"997", "FA"}, {"204", "SM"}, {"214", "QM"}, {"820", "RA"},
                  {"837", "HC"}, {"835", "HP"}, {"846", "IB"}, {"860", "PC"}, {"999", "FA"}}) {
        auto q = db.prepare("SELECT \"Group\", Description FROM Standard WHERE \"Transaction\" = ?1");
        q.bind(1, r.set);
        ASSERT_TRUE(q.step()) << r.set;
        EXPECT_EQ(q.text(0), r.group) << r.set;
        EXPECT_FALSE(q.text(1).empty()) << r.set;
    }
    EXPECT_GE(db.scalarInt("SELECT count(*) FROM Standard"), 280);
    EXPECT_EQ(db.scalarInt("SELECT count(*) FROM Standard WHERE \"Group\" = '' OR Description = ''"), 0);
    EXPECT_EQ(db.scalarText("SELECT Version FROM Version ORDER BY Id LIMIT 1"), "002000");
    auto v = db.prepare("SELECT count(*) FROM Version WHERE Version IN ('002001', '003020', '004010', '005010', '006050')");
    ASSERT_TRUE(v.step());
    EXPECT_EQ(v.integer(0), 5);
}

TEST(DeliveredDatabase, CopiedIntoTheDataRootAtFirstStart) {
    fs::path home = fs::temp_directory_path() / ("vt_core_home_" + std::to_string(::getpid()));
    fs::remove_all(home);
    ::setenv("VELTRANE_HOME", home.c_str(), 1);
    vt::MemorySettings settings;
    fs::path folder = vt::core::databaseFolder(settings);
    EXPECT_EQ(folder, home);
    vt::db::Database db;
    vt::core::openApplicationDatabase(db, folder);
    EXPECT_GT(db.scalarInt("SELECT count(*) FROM Standard"), 0);
    db.close();

    settings.set("Folders", "Database", "/somewhere/else");
    EXPECT_EQ(vt::core::databaseFolder(settings), fs::path("/somewhere/else"));
    ::unsetenv("VELTRANE_HOME");
    fs::remove_all(home);
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The first start makes the data folder the user's alone and copies the delivered plug-in
// library into the ActiveX folder the login then stores, where the plug-in choice finds it and
// from where it loads.
TEST(DeliveredPlugin, InstalledIntoTheActiveXFolderAtFirstStart) {
    const mode_t oldMask = ::umask(022);
    const fs::path home = fs::temp_directory_path() / ("vt_core_plugin_" + std::to_string(::getpid()));
    fs::remove_all(home);
    ::setenv("VELTRANE_HOME", (home / "Veltrane").c_str(), 1);
    vt::MemorySettings settings;
    vt::core::databaseFolder(settings);
    EXPECT_EQ(modeOf(home / "Veltrane"), 0700u);

    vt::core::installDeliveredPlugin(settings);
    const fs::path installed = home / "Veltrane" / "ActiveX" / "Brackwen.so";
    const fs::path delivered = vt::deliveredPluginFolder() / "Brackwen.so";
    ASSERT_TRUE(fs::is_regular_file(installed));
    EXPECT_EQ(fs::file_size(installed), fs::file_size(delivered));
    EXPECT_EQ(modeOf(installed) & 022, 0u);
    vt::automation::ClassRegistry registry;
    registry.setPluginFolder(installed.parent_path());
    const auto classes = registry.pluginClassNames(installed);
    EXPECT_NE(std::find(classes.begin(), classes.end(), "Vozezididide_862_003020_I"), classes.end());

    // A library of that name the user put there stays, and once the login has stored the
    // folder nothing is copied again.
    fs::remove(installed);
    { std::ofstream(installed) << "mine"; }
    vt::core::installDeliveredPlugin(settings);
    EXPECT_EQ(fs::file_size(installed), 4u);
    fs::remove(installed);
    settings.set("Folders", "ActiveX", installed.parent_path().string());
    vt::core::installDeliveredPlugin(settings);
    EXPECT_FALSE(fs::exists(installed));

    ::unsetenv("VELTRANE_HOME");
    ::umask(oldMask);
    fs::remove_all(home);
}

}  // namespace

namespace {

// Compaction at exit killed at any point: the next start opens the database with every row once,
// and the next compaction removes what the killed one left.
TEST(Compaction, KilledAtAnyStepLeavesTheDatabaseWhole) {
    const fs::path folder = fs::temp_directory_path() / ("vt_core_compact_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / std::string(vt::core::kDatabaseFileName);
    const fs::path staging = folder / std::string(vt::core::kCompactFileName);
    {
        vt::db::Database db;
        vt::core::createApplicationDatabase(db, file);
        db.exec("CREATE TABLE Rows (Id INTEGER PRIMARY KEY, Text TEXT)");
        db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                "INSERT INTO Rows (Text) SELECT printf('%0100d', i) FROM n");
    }
    auto rowsAndSum = [&] {
        vt::db::Database db;
        vt::core::openApplicationDatabase(db, folder);
        return std::to_string(db.scalarInt("SELECT count(*) FROM Rows")) + "/" +
               std::to_string(db.scalarInt("SELECT sum(Id) FROM Rows"));
    };
    const std::string whole = rowsAndSum();

    // "" is a kill from outside while the copy is written.
    for (const std::string step : {"", "copied", "renamed"}) {
        SCOPED_TRACE(step);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            vt::core::compactApplicationDatabase(folder, [&step](std::string_view reached) {
                if (reached == step) ::raise(SIGKILL);
            });
            ::_exit(0);
        }
        if (step.empty()) {
            std::error_code ec;
            while (!(fs::exists(staging, ec) && fs::file_size(staging, ec) > 4096)) ::usleep(200);
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(rowsAndSum(), whole);
        vt::core::compactApplicationDatabase(folder);
        EXPECT_FALSE(fs::exists(staging));
        EXPECT_EQ(rowsAndSum(), whole);
    }
    fs::remove_all(folder);
}

}  // namespace
