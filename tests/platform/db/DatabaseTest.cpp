#include "platform/db/Database.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using vt::db::Database;
using vt::db::Error;

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vt_db_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "Veltrane.mdb";
    }
    void TearDown() override { fs::remove_all(dir); }

    void makeDb(const std::string& key = "secret") {
        Database db;
        db.open(file, key, true);
        db.exec("CREATE TABLE \"Transaction\" (Id INTEGER PRIMARY KEY, \"Index\" INTEGER NOT NULL DEFAULT 0,"
                " \"Group\" TEXT NOT NULL DEFAULT '' COLLATE NOCASE, ControlNumber TEXT NOT NULL DEFAULT '')");
        auto ins = db.prepare("INSERT INTO \"Transaction\" (\"Index\", \"Group\", ControlNumber) VALUES (?1, ?2, ?3)");
        for (int i = 0; i < 50; ++i) ins.bindAll(i, "G" + std::to_string(i), "0001").run();
    }

    fs::path dir, file;
};

unsigned modeOf(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFF;
}

TEST_F(DatabaseTest, OpensWithTheRightKeyOnly) {
    makeDb();
    Database db;
    db.open(file, "secret");
    EXPECT_EQ(db.scalarInt("SELECT count(*) FROM \"Transaction\""), 50);
    db.close();
    try {
        db.open(file, "wrong");
        FAIL() << "opened with a wrong key";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), vt::db::kWrongKeyOrFormat);
        EXPECT_NE(std::string(e.what()).find("password"), std::string::npos);
    }
    EXPECT_FALSE(db.isOpen());
}

TEST_F(DatabaseTest, RefusesAMissingFileAndAPlainFile) {
    Database db;
    EXPECT_THROW(db.open(file, "secret"), Error);
    std::ofstream(file) << "not a database at all, just some text that is long enough";
    EXPECT_THROW(db.open(file, "secret"), Error);
}

TEST_F(DatabaseTest, ClosedConnectionIsAnError) {
    Database db;
    try {
        db.prepare("SELECT 1");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), vt::db::kNotOpen);
    }
}

TEST_F(DatabaseTest, ReservedNamesAndTextValuesRoundTrip) {
    makeDb();
    Database db;
    db.open(file, "secret");
    auto st = db.prepare("SELECT \"Index\", \"Group\", ControlNumber FROM \"Transaction\" WHERE \"Group\" = ?1");
    st.bind(1, "g7");   // text compares without case
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.integer(0), 7);
    EXPECT_EQ(st.text(1), "G7");
    EXPECT_EQ(st.text(2), "0001");   // a control number keeps its zeros
    EXPECT_EQ(st.columnIndex("group"), 1);
    EXPECT_EQ(st.columnIndex("nope"), -1);
}

TEST_F(DatabaseTest, QuotesInValuesAreData) {
    makeDb();
    Database db;
    db.open(file, "secret");
    auto ins = db.prepare("INSERT INTO \"Transaction\" (\"Group\") VALUES (?1)");
    ins.bind(1, "O'Brien's \"set\"; DROP TABLE x").run();
    auto sel = db.prepare("SELECT count(*) FROM \"Transaction\" WHERE \"Group\" = ?1");
    sel.bind(1, "o'brien's \"set\"; drop table x");
    ASSERT_TRUE(sel.step());
    EXPECT_EQ(sel.integer(0), 1);
    EXPECT_GT(db.lastInsertId(), 50);
}

TEST_F(DatabaseTest, TransactionRollsBackUnlessCommitted) {
    makeDb();
    Database db;
    db.open(file, "secret");
    {
        vt::db::Transaction tx(db);
        EXPECT_TRUE(db.inTransaction());
        db.exec("DELETE FROM \"Transaction\"");
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(db.scalarInt("SELECT count(*) FROM \"Transaction\""), 50);
    {
        vt::db::Transaction tx(db);
        db.exec("DELETE FROM \"Transaction\" WHERE \"Index\" < 10");
        tx.commit();
    }
    EXPECT_EQ(db.scalarInt("SELECT count(*) FROM \"Transaction\""), 40);
}

// Another SQLite in the process (as an ODBC driver brings) must not take over our symbols.
TEST_F(DatabaseTest, CipherAnswersBesideAnotherSqlite) {
    void* other = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_GLOBAL);
    makeDb();
    Database db;
    db.open(file, "secret");
    EXPECT_FALSE(vt::db::cipherVersion(db).empty());
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "sqlite3_key"), nullptr) << "SQLCipher's symbols are exported";
    if (other) dlclose(other);
}

TEST_F(DatabaseTest, CompactionKeepsRowsAndKeyAndRemovesLeftover) {
    makeDb();
    std::ofstream(dir / "NewVeltrane.mdb") << "leftover from a crashed exit";
    vt::db::compact(file, "secret", "NewVeltrane.mdb");
    EXPECT_FALSE(fs::exists(dir / "NewVeltrane.mdb"));
    Database db;
    EXPECT_THROW(db.open(file, "wrong"), Error);
    db.open(file, "secret");
    EXPECT_EQ(db.scalarInt("SELECT count(*) FROM \"Transaction\""), 50);
    EXPECT_EQ(db.scalarText("SELECT ControlNumber FROM \"Transaction\" LIMIT 1"), "0001");
}

// Other local users must not read the database: it is made 0600, its journal follows it, and a
// compaction keeps the mode the owner chose (it used to leave 0644 behind).
TEST_F(DatabaseTest, FileIsOwnerOnlyAndCompactionKeepsItsMode) {
    const mode_t oldMask = ::umask(022);
    makeDb();
    EXPECT_EQ(modeOf(file), 0600u);
    {
        Database db;
        db.open(file, "secret");
        db.exec("PRAGMA journal_mode = WAL; INSERT INTO \"Transaction\" (ControlNumber) VALUES ('x')");
        EXPECT_EQ(modeOf(fs::path(file) += "-wal"), 0600u);
    }
    for (unsigned mode : {0600u, 0640u}) {
        fs::permissions(file, fs::perms(mode));
        vt::db::compact(file, "secret", "NewVeltrane.mdb");
        EXPECT_EQ(modeOf(file), mode);
    }
    Database exported;
    exported.open(file, "secret");
    exported.exportTo(dir / "copy.mdb", "secret");
    EXPECT_EQ(modeOf(dir / "copy.mdb"), 0600u);
    ::umask(oldMask);
}

TEST_F(DatabaseTest, FailedSwapKeepsTheOldFile) {
    makeDb();
    auto sizeBefore = fs::file_size(file);
    auto failing = [](const fs::path&, const fs::path&) {
        throw fs::filesystem_error("rename", std::make_error_code(std::errc::permission_denied));
    };
    bool replaced = false;
    auto failingAfterCall = [&](const fs::path& from, const fs::path& to) {
        replaced = true;
        failing(from, to);
    };
    EXPECT_THROW(vt::db::compact(file, "secret", "NewVeltrane.mdb", failingAfterCall), Error);
    EXPECT_TRUE(replaced) << "failed before the swap";
    EXPECT_FALSE(fs::exists(dir / "NewVeltrane.mdb"));
    EXPECT_EQ(fs::file_size(file), sizeBefore);
    Database db;
    db.open(file, "secret");
    EXPECT_EQ(db.scalarInt("SELECT count(*) FROM \"Transaction\""), 50);
}

TEST_F(DatabaseTest, CompactionOfAWrongKeyFailsAndKeepsTheFile) {
    makeDb();
    EXPECT_THROW(vt::db::compact(file, "wrong", "NewVeltrane.mdb"), Error);
    Database db;
    db.open(file, "secret");
    EXPECT_EQ(db.scalarInt("SELECT count(*) FROM \"Transaction\""), 50);
}

}  // namespace
