// The one safe file writer: whole files or none, owner-only new files, modes kept, unique names,
// and leftovers of killed writes found again.

#include "platform/files/SafeFile.h"
#include "tests/support/FullDisk.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// A writer in a child process: it writes into `folder` and then, as `end` says, is killed there
// ("kill"), or waits for a byte on `go` and puts the file in place as "live.OC" ("wait"). It
// sends a byte on `ready` once it has written. Returns its pid.
pid_t childWriter(const fs::path& folder, const std::string& end, int ready, int go) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    SafeFile out(folder / "live.OC");
    out.write("written by another process");
    char c = 1;
    if (::write(ready, &c, 1) != 1) ::_exit(3);
    if (end == "kill") ::raise(SIGKILL);
    if (::read(go, &c, 1) != 1) ::_exit(4);
    try {
        out.commit();
    } catch (...) {
        ::_exit(1);
    }
    ::_exit(0);
}

// Only a temporary file no writer holds is removed: not one another process is writing, not one
// this process is writing, and never a file that took its name, whatever that name is.
TEST_F(SafeFileTest, LeftoversOfAKilledWriteAreRemovedButNotALiveOneNorAPlacedOne) {
    fs::create_directory(dir / "sub");
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    char c = 0;
    int status = 0;
    for (const fs::path& folder : {dir, dir / "sub"}) {
        const pid_t killed = childWriter(folder, "kill", ready[1], go[0]);
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    }
    const pid_t other = childWriter(dir, "wait", ready[1], go[0]);
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    SafeFile live(dir / "mine.OC");
    live.write("still being written");
    // Received or copied under a temporary file's name: a file like any other.
    const std::string received = std::string(vt::files::kTemporaryPrefix) + "AbCdEfGhIjKl";
    vt::files::ReplaceFile(dir / received, "received");
    put(dir / (std::string(vt::files::kTemporaryPrefix) + "x.edi"), "received too", 0600);

    auto temporaries = [](const fs::path& folder) {
        int n = 0;
        for (const auto& e : fs::directory_iterator(folder))
            n += e.path().filename().string().rfind(vt::files::kTemporaryPrefix, 0) == 0;
        return n;
    };
    EXPECT_EQ(temporaries(dir), 5);
    EXPECT_EQ(vt::files::RemoveLeftovers(dir), 1);
    EXPECT_EQ(temporaries(dir / "sub"), 1);
    EXPECT_EQ(vt::files::RemoveLeftovers(dir, true), 1);
    EXPECT_EQ(temporaries(dir / "sub"), 0);

    ASSERT_EQ(::write(go[1], &c, 1), 1);
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(read(dir / "live.OC"), "written by another process");
    live.commit();
    EXPECT_EQ(read(dir / "mine.OC"), "still being written");
    EXPECT_EQ(read(dir / received), "received");
    EXPECT_EQ(vt::files::RemoveLeftovers(dir, true), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{".vt-write-AbCdEfGhIjKl", ".vt-write-x.edi", "live.OC", "mine.OC", "sub"}));
    for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
}

// Another user who can write the folder swaps the temporary name for a link between the last
// write and the rename: nothing lands on the file the link names, and the save either puts the
// data written at its name or fails.
TEST_F(SafeFileTest, AfterTheLastWriteOnlyTheFinalNameActsOnAPath) {
    enum Place { Replace, NewName, NewNumbered, Pair };
    for (Place place : {Replace, NewName, NewNumbered, Pair})
        for (bool movedAside : {true, false}) {
            SCOPED_TRACE(std::to_string(place) + (movedAside ? " moved aside" : " removed"));
            fs::remove_all(dir);
            fs::create_directories(dir / "home");
            put(dir / "home" / "private.key", "KEY", 0600);
            put(dir / "out.txt", "old", 0644);
            put(dir / "out.ADO", "old layout", 0644);
            std::optional<SafeFile> file, layout;
            if (place == NewNumbered)
                file.emplace(SafeFile::inFolder(dir));
            else
                file.emplace(dir / (place == NewName ? "new.txt" : "out.txt"));
            if (place == Pair) layout.emplace(dir / "out.ADO");
            for (std::optional<SafeFile>* f : {&file, &layout}) {
                if (!*f) continue;
                (*f)->write("new data");
                const fs::path temp = (*f)->path();
                if (movedAside)
                    fs::rename(temp, dir / ("aside-" + temp.filename().string()));
                else
                    fs::remove(temp);
                fs::create_symlink(dir / "home" / "private.key", temp);
            }
            fs::path placedAt = dir / (place == NewName ? "new.txt" : "out.txt");
            bool saved = true;
            try {
                if (place == Replace) file->commit();
                if (place == NewName) file->commit(false);
                if (place == NewNumbered) placedAt = file->placeNew("out", ".txt");
                if (place == Pair) vt::files::CommitPair(*file, *layout);
            } catch (const fs::filesystem_error& e) {
                saved = false;
                EXPECT_NE(std::string(e.what()).find("replaced by another file"), std::string::npos) << e.what();
            }
            EXPECT_EQ(read(dir / "home" / "private.key"), "KEY");
            EXPECT_EQ(modeOf(dir / "home" / "private.key"), 0600u);
            if (saved) {
                EXPECT_FALSE(fs::is_symlink(placedAt)) << placedAt;
                EXPECT_EQ(read(placedAt), "new data");
            } else if (place == Replace || place == Pair) {
                EXPECT_EQ(read(dir / "out.txt"), "old");
                EXPECT_EQ(read(dir / "out.ADO"), "old layout");
            }
            // A new name is never the old file's.
            if (place == NewNumbered) {
                EXPECT_EQ(read(dir / "out.txt"), "old");
            }
        }
}

// A link at the target is followed where nobody else could have put it: the user's own, or one
// in a folder no other user can write. Another user's link in a shared folder is refused by name.
TEST_F(SafeFileTest, AnotherUsersLinkInASharedFolderIsNotWrittenThrough) {
    if (::geteuid() != 0) GTEST_SKIP() << "a link of another user can be made here only by root";
    const uid_t nobody = 65534;
    const struct {
        const char* name;
        mode_t folderMode;
        bool othersLink;
        bool followed;
    } cases[] = {
        {"sticky", 01777, true, false},
        {"group", 0775, true, false},
        {"private", 0755, true, true},
        {"sticky-own", 01777, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path shared = dir / c.name;
        fs::create_directory(shared);
        ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
        const fs::path notes = dir / (std::string(c.name) + "-notes.txt");
        put(notes, "notes", 0600);
        for (const char* target : {"report.txt", "K.ADO"}) {
            const fs::path link = shared / target;
            fs::create_symlink(notes, link);
            if (c.othersLink) ASSERT_EQ(::lchown(link.c_str(), nobody, nobody), 0);
        }
        try {
            vt::files::ReplaceFile(shared / "report.txt", "exported");
            EXPECT_TRUE(c.followed);
            EXPECT_EQ(read(notes), "exported");
        } catch (const fs::filesystem_error& e) {
            EXPECT_FALSE(c.followed) << e.what();
            EXPECT_EQ(e.code(), std::errc::permission_denied);
            EXPECT_EQ(e.path1(), shared / "report.txt");
            EXPECT_EQ(e.code().message(), "it is a link another user made, in a folder other users can write");
            EXPECT_EQ(read(notes), "notes");
            EXPECT_EQ(modeOf(notes), 0600u);
        }
        EXPECT_TRUE(fs::is_symlink(shared / "report.txt"));
        // A pair whose layout is such a link is refused before anything is removed.
        if (!c.followed) {
            put(shared / "K.IMP", "old data", 0644);
            SafeFile data(shared / "K.IMP");
            EXPECT_THROW(SafeFile(shared / "K.ADO"), fs::filesystem_error);
            EXPECT_TRUE(fs::is_symlink(shared / "K.ADO"));
            EXPECT_EQ(read(notes), "notes");
        }
    }
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
