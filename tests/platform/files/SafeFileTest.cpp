// The one safe file writer: whole files or none, owner-only new files, modes kept, unique names,
// and leftovers of killed writes found again.

#include "platform/files/SafeFile.h"
#include "tests/support/FullDisk.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using vt::files::SafeFile;

namespace {

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vt-safefile-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        oldMask = ::umask(022);   // what a desktop session usually has
    }
    void TearDown() override {
        ::umask(oldMask);
        fs::remove_all(dir);
    }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void put(const fs::path& p, const std::string& bytes, mode_t mode) {
        std::ofstream(p, std::ios::binary) << bytes;
        fs::permissions(p, fs::perms(mode));
    }
    static mode_t modeOf(const fs::path& p) {
        struct stat st {};
        EXPECT_EQ(::stat(p.c_str(), &st), 0);
        return st.st_mode & 07777;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    fs::path dir;
    mode_t oldMask = 0;
};

// A write that fails part-way, as on a full disk.
using vt::test::FileSizeLimit;

TEST_F(SafeFileTest, NewFileIsTheOwnersAloneAndReplacedFileKeepsItsMode) {
    vt::files::ReplaceFile(dir / "new.OC", "ISA*new~");
    EXPECT_EQ(read(dir / "new.OC"), "ISA*new~");
    EXPECT_EQ(modeOf(dir / "new.OC"), 0600u);

    put(dir / "shared.ADO", "old", 0640);
    vt::files::ReplaceFile(dir / "shared.ADO", "new layout");
    EXPECT_EQ(read(dir / "shared.ADO"), "new layout");
    EXPECT_EQ(modeOf(dir / "shared.ADO"), 0640u);
    EXPECT_EQ(names(), (std::vector<std::string>{"new.OC", "shared.ADO"}));
}

TEST_F(SafeFileTest, FailedWriteKeepsTheOldFileWholeAndLeavesNoTemporary) {
    put(dir / "report.pdf", "the previous good file", 0644);
    const std::string big(1 << 20, 'x');
    try {
        FileSizeLimit limit(64 * 1024);
        vt::files::ReplaceFile(dir / "report.pdf", big);
        FAIL() << "a write past the limit must fail";
    } catch (const fs::filesystem_error& e) {
        EXPECT_EQ(e.code().value(), EFBIG);
    }
    EXPECT_EQ(read(dir / "report.pdf"), "the previous good file");
    EXPECT_EQ(names(), std::vector<std::string>{"report.pdf"});
}

TEST_F(SafeFileTest, RefusalsBeforeAnythingIsWritten) {
    put(dir / "locked.csv", "kept", 0444);
    fs::create_directory(dir / "folder");
    const struct {
        fs::path target;
        int error;
    } cases[] = {
        {dir / "missing" / "x.OC", ENOENT},
        {dir / "locked.csv" / "x.OC", ENOTDIR},
        {dir / "locked.csv", EACCES},
        {dir / "folder", EISDIR},
    };
    for (const auto& c : cases) {
        try {
            vt::files::ReplaceFile(c.target, "new");
            ADD_FAILURE() << c.target << " was written";
        } catch (const fs::filesystem_error& e) {
            EXPECT_EQ(e.code().value(), c.error) << c.target;
        }
    }
    EXPECT_EQ(read(dir / "locked.csv"), "kept");
    EXPECT_EQ(modeOf(dir / "locked.csv"), 0444u);
    EXPECT_EQ(names(), (std::vector<std::string>{"folder", "locked.csv"}));
}

TEST_F(SafeFileTest, SymbolicLinkIsFollowed) {
    fs::create_directory(dir / "real");
    put(dir / "real" / "export.txt", "old", 0644);
    fs::create_symlink(dir / "real" / "export.txt", dir / "link.txt");
    vt::files::ReplaceFile(dir / "link.txt", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(read(dir / "real" / "export.txt"), "new");
    // A link to a file not there yet makes that file; the link stays.
    fs::create_symlink("real/later.txt", dir / "later.txt");
    vt::files::ReplaceFile(dir / "later.txt", "made");
    EXPECT_TRUE(fs::is_symlink(dir / "later.txt"));
    EXPECT_EQ(read(dir / "real" / "later.txt"), "made");
}

TEST_F(SafeFileTest, NewNamesAreNeverTakenTwice) {
    put(dir / "121126-093000 AM.OC", "first", 0600);
    const fs::path second = vt::files::WriteNewFile(dir, "121126-093000 AM", ".OC", "second");
    const fs::path third = vt::files::WriteNewFile(dir, "121126-093000 AM", ".OC", "third");
    EXPECT_EQ(second.filename(), "121126-093000 AM-2.OC");
    EXPECT_EQ(third.filename(), "121126-093000 AM-3.OC");
    EXPECT_EQ(read(dir / "121126-093000 AM.OC"), "first");
    EXPECT_EQ(read(third), "third");
    EXPECT_EQ(modeOf(third), 0600u);
    for (const char* bad : {"../x", "a/b", ""})
        EXPECT_THROW(vt::files::WriteNewFile(dir, bad, ".OC", "x"), fs::filesystem_error) << bad;
}

TEST_F(SafeFileTest, LeftoversOfAKilledWriteAreRemovedButNotALiveOne) {
    put(dir / ".vt-write-AbC123", "half a file", 0600);
    put(dir / "keep.OC", "kept", 0600);
    SafeFile live(dir / "live.OC");
    live.write("still being written");
    EXPECT_EQ(vt::files::RemoveLeftovers(dir), 1);
    EXPECT_TRUE(fs::exists(live.path()));
    live.commit();
    EXPECT_EQ(names(), (std::vector<std::string>{"keep.OC", "live.OC"}));
}

TEST_F(SafeFileTest, WriterByNameIsCommittedWithTheOwnersMode) {
    // Libraries that write by name (PDF, zip) may put a file of their own at the temporary path.
    SafeFile out(dir / "archive.zip");
    const fs::path temp = out.path();
    fs::remove(temp);
    put(temp, "written by name", 0666);
    out.commit();
    EXPECT_EQ(read(dir / "archive.zip"), "written by name");
    EXPECT_EQ(modeOf(dir / "archive.zip"), 0600u);
}

// A database copy made by its own writer replaces the database with its own mode; a copy that
// is not there leaves the database as it was.
TEST_F(SafeFileTest, AFileMadeElsewhereIsPutInPlaceWithItsMode) {
    put(dir / "Veltrane.mdb", "old database", 0600);
    put(dir / "NewVeltrane.mdb", "compacted", 0640);
    vt::files::PutInPlace(dir / "NewVeltrane.mdb", dir / "Veltrane.mdb");
    EXPECT_EQ(read(dir / "Veltrane.mdb"), "compacted");
    EXPECT_EQ(modeOf(dir / "Veltrane.mdb"), 0640u);
    EXPECT_EQ(names(), std::vector<std::string>{"Veltrane.mdb"});

    EXPECT_THROW(vt::files::PutInPlace(dir / "NewVeltrane.mdb", dir / "Veltrane.mdb"), fs::filesystem_error);
    EXPECT_EQ(read(dir / "Veltrane.mdb"), "compacted");
}

}  // namespace

namespace {

// A pair goes in place second-last-first: the steps show the old second gone before the first
// is renamed, and each file keeps the mode of the one it replaces.
TEST_F(SafeFileTest, APairReplacesItsSecondLastAndKeepsBothModes) {
    put(dir / "K.IMP", "old data", 0640);
    put(dir / "K.ADO", "old layout", 0604);
    SafeFile data(dir / "K.IMP"), layout(dir / "K.ADO");
    data.write("new data");
    layout.write("new layout");
    std::vector<std::string> seen;
    vt::files::CommitPair(data, layout, [&](int step) {
        seen.push_back(std::to_string(step) + (fs::exists(dir / "K.ADO") ? " layout" : "") + " " + read(dir / "K.IMP"));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"1 layout old data", "2 old data", "3 new data"}));
    EXPECT_EQ(read(dir / "K.ADO"), "new layout");
    EXPECT_EQ(modeOf(dir / "K.IMP"), 0640u);
    EXPECT_EQ(modeOf(dir / "K.ADO"), 0604u);
    EXPECT_EQ(names(), (std::vector<std::string>{"K.ADO", "K.IMP"}));

    // A new pair is the owner's alone.
    SafeFile first(dir / "N.IMP"), second(dir / "N.ADO");
    vt::files::CommitPair(first, second);
    EXPECT_EQ(modeOf(dir / "N.IMP"), 0600u);
    EXPECT_EQ(modeOf(dir / "N.ADO"), 0600u);
}

}  // namespace
