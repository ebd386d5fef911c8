#include "core/Globals.h"
#include "platform/settings/Settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

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

}  // namespace
