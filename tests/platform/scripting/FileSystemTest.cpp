#include "Support.h"

#include "platform/text/Text.h"

#include <ctime>
#include <sys/stat.h>
#include <utime.h>

namespace {

using namespace scripting_test;

class FileSystemTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    Variant fso = create("Scripting.FileSystemObject");

    std::string at(std::string_view rel) const { return scratch.path(rel); }
    void makeReadOnly(std::string_view rel) const {
        fs::permissions(scratch.root() / std::string(rel), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
};

TEST_F(FileSystemTest, ExistenceTests) {
    scratch.write("dir/a.txt", "x");
    struct {
        std::string path;
        bool file, folder;
    } cases[] = {
        {at("dir/a.txt"), true, false},
        {at("dir\\a.txt"), true, false},      // the other platform's separator
        {at("dir/A.TXT"), false, false},      // names are case-sensitive, as the file system's
        {at("dir"), false, true},
        {at("dir\\"), false, true},
        {at("dir/none"), false, false},
        {at("none/a.txt"), false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(toBool(call(fso, "FileExists", {c.path})), c.file);
        EXPECT_EQ(toBool(call(fso, "FolderExists", {c.path})), c.folder);
    }
}

TEST_F(FileSystemTest, FileObject) {
    scratch.write("dir/report.txt", "12345");
    const std::time_t when = 1700000000;   // 2023-11-14 22:13:20 UTC
    const utimbuf times{when, when};
    ASSERT_EQ(::utime(at("dir/report.txt").c_str(), &times), 0);

    const Variant file = call(fso, "GetFile", {at("dir\\report.txt")});
    EXPECT_EQ(typeName(file), "File");
    EXPECT_EQ(toString(getProperty(file, "Name")), "report.txt");
    EXPECT_EQ(toString(getProperty(file, "Path")), at("dir/report.txt"));
    EXPECT_EQ(toString(file), at("dir/report.txt"));   // Path is the default member
    const Variant size = getProperty(file, "Size");
    EXPECT_EQ(size.type(), VarType::Long);
    EXPECT_EQ(toInt32(size), 5);
    std::tm local{};
    localtime_r(&when, &local);
    const double expected = vt::text::toOleDate({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
    const Variant modified = getProperty(file, "DateLastModified");
    EXPECT_EQ(modified.type(), VarType::Date);
    EXPECT_DOUBLE_EQ(modified.dateValue().value, expected);
    const Variant parent = getProperty(file, "ParentFolder");
    EXPECT_EQ(typeName(parent), "Folder");
    EXPECT_EQ(toString(getProperty(parent, "Path")), at("dir"));

    // A File object stands for its path wherever a path is taken.
    call(fso, "CopyFile", {file, at("copy.txt")});
    EXPECT_EQ(scratch.read("copy.txt"), "12345");
}

TEST_F(FileSystemTest, FileObjectCopyMoveAndDelete) {
    scratch.write("a.txt", "A");
    scratch.write("dst/keep.txt", "K");
    const Variant file = call(fso, "GetFile", {at("a.txt")});
    call(file, "Copy", {at("dst/")});
    call(file, "Copy", {at("b.txt")});
    EXPECT_EQ(errorOf([&] { call(file, "Copy", {at("b.txt"), false}); }), 58);
    call(file, "Move", {at("dst\\moved.txt")});
    EXPECT_EQ(toString(getProperty(file, "Path")), at("dst/moved.txt"));
    EXPECT_EQ(toString(getProperty(file, "Name")), "moved.txt");
    EXPECT_EQ(scratch.tree(), "b.txt=A dst/ dst/a.txt=A dst/keep.txt=K dst/moved.txt=A");
    call(file, "Delete");
    EXPECT_EQ(scratch.tree(), "b.txt=A dst/ dst/a.txt=A dst/keep.txt=K");
    EXPECT_EQ(failure([&] { getProperty(file, "Size"); }), "53 File not found");
}

TEST_F(FileSystemTest, GetFileAndGetFolderFailures) {
    scratch.write("dir/a.txt", "x");
    EXPECT_EQ(failure([&] { call(fso, "GetFile", {at("dir/none.txt")}); }), "53 File not found");
    EXPECT_EQ(failure([&] { call(fso, "GetFile", {at("dir")}); }), "53 File not found");
    EXPECT_EQ(failure([&] { call(fso, "GetFile", {""}); }), "5 Invalid procedure call or argument");
    EXPECT_EQ(failure([&] { call(fso, "GetFolder", {at("none")}); }), "76 Path not found");
    EXPECT_EQ(failure([&] { call(fso, "GetFolder", {at("dir/a.txt")}); }), "76 Path not found");
}

TEST_F(FileSystemTest, CreateFolder) {
    const Variant folder = call(fso, "CreateFolder", {at("new\\")});
    EXPECT_EQ(toString(getProperty(folder, "Path")), at("new"));
    EXPECT_TRUE(fs::is_directory(scratch.root() / "new"));
    EXPECT_EQ(failure([&] { call(fso, "CreateFolder", {at("new")}); }), "58 File already exists");
    scratch.write("file", "");
    EXPECT_EQ(errorOf([&] { call(fso, "CreateFolder", {at("file")}); }), 58);
    EXPECT_EQ(failure([&] { call(fso, "CreateFolder", {at("none/deeper")}); }), "76 Path not found");
}

// Copy, move and delete of files and folders, each from the same starting tree.
struct OperationCase {
    const char* method;
    std::vector<std::string> args;   // "@" stands for the scratch folder; "F" and "T" for False and True
    int error;
    const char* after;               // the tree afterwards; nullptr: unchanged
};

constexpr const char* kStart = "dst/ dst/a.txt=old src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D";

TEST(FileOperations, Table) {
    const std::vector<OperationCase> cases = {
        // CopyFile: a destination ending with a separator, or any destination of a wildcard source, is a folder.
        {"CopyFile", {"@src/a.txt", "@dst/n.txt"}, 0, "dst/ dst/a.txt=old dst/n.txt=A src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFile", {"@src/a.txt", "@dst/a.txt", "F"}, 58, nullptr},
        {"CopyFile", {"@src/a.txt", "@dst/a.txt"}, 0, "dst/ dst/a.txt=A src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFile", {"@src/a.txt", "@dst"}, 70, nullptr},
        {"CopyFile", {"@src\\a.txt", "@dst\\"}, 0, "dst/ dst/a.txt=A src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFile", {"@src\\*.txt", "@dst"}, 0, "dst/ dst/a.txt=A dst/b.txt=B src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFile", {"@src/*.*", "@dst", "T"}, 0, "dst/ dst/a.txt=A dst/b.txt=B dst/c.log=C src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFile", {"@src/*.txt", "@dst", "F"}, 58, nullptr},   // stops at a.txt, the first
        {"CopyFile", {"@src/?.log", "@dst/"}, 0, "dst/ dst/a.txt=old dst/c.log=C src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFile", {"@src/*.xyz", "@dst"}, 53, nullptr},
        {"CopyFile", {"@src/*.TXT", "@dst"}, 53, nullptr},        // wildcards match case-sensitively
        {"CopyFile", {"@src/none.txt", "@dst/"}, 53, nullptr},
        {"CopyFile", {"@none/a.txt", "@dst/"}, 76, nullptr},
        {"CopyFile", {"@src/a.txt", "@none/a.txt"}, 76, nullptr},
        {"CopyFile", {"@src/*.txt", "@none"}, 76, nullptr},
        {"CopyFile", {"@src/a.txt", "@src/a.txt"}, 70, nullptr},  // over itself: refused, not emptied
        {"CopyFile", {"@src/sub", "@dst/"}, 53, nullptr},         // a folder is no file
        {"CopyFile", {"", "@dst/"}, 5, nullptr},
        // MoveFile never replaces.
        {"MoveFile", {"@src/a.txt", "@dst/n.txt"}, 0, "dst/ dst/a.txt=old dst/n.txt=A src/ src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"MoveFile", {"@src/a.txt", "@dst/a.txt"}, 58, nullptr},
        {"MoveFile", {"@src/a.txt", "@dst"}, 58, nullptr},
        {"MoveFile", {"@src/b*", "@dst\\"}, 0, "dst/ dst/a.txt=old dst/b.txt=B src/ src/a.txt=A src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"MoveFile", {"@src/*.txt", "@dst"}, 58, nullptr},
        {"MoveFile", {"@src/?.txt", "@dst/new"}, 76, nullptr},
        {"MoveFile", {"@src/a.txt", "@src/sub/"}, 0, "dst/ dst/a.txt=old src/ src/b.txt=B src/c.log=C src/sub/ src/sub/a.txt=A src/sub/d.txt=D"},
        // DeleteFile
        {"DeleteFile", {"@src/*.txt"}, 0, "dst/ dst/a.txt=old src/ src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"DeleteFile", {"@src\\c.log"}, 0, "dst/ dst/a.txt=old src/ src/a.txt=A src/b.txt=B src/sub/ src/sub/d.txt=D"},
        {"DeleteFile", {"@src/none.txt"}, 53, nullptr},
        {"DeleteFile", {"@src/sub"}, 53, nullptr},
        {"DeleteFile", {"@none/x"}, 76, nullptr},
        // CopyFolder: onto an existing folder the contents merge.
        {"CopyFolder", {"@src", "@dst"}, 0, "dst/ dst/a.txt=A dst/b.txt=B dst/c.log=C dst/sub/ dst/sub/d.txt=D src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFolder", {"@src", "@dst", "F"}, 58, nullptr},
        {"CopyFolder", {"@src", "@dst/"}, 0, "dst/ dst/a.txt=old dst/src/ dst/src/a.txt=A dst/src/b.txt=B dst/src/c.log=C dst/src/sub/ dst/src/sub/d.txt=D src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFolder", {"@src\\sub", "@new"}, 0, "dst/ dst/a.txt=old new/ new/d.txt=D src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFolder", {"@s*", "@dst"}, 0, "dst/ dst/a.txt=old dst/src/ dst/src/a.txt=A dst/src/b.txt=B dst/src/c.log=C dst/src/sub/ dst/src/sub/d.txt=D src/ src/a.txt=A src/b.txt=B src/c.log=C src/sub/ src/sub/d.txt=D"},
        {"CopyFolder", {"@src", "@none/new"}, 76, nullptr},
        {"CopyFolder", {"@none", "@dst"}, 76, nullptr},
        {"CopyFolder", {"@x*", "@dst"}, 76, nullptr},
        {"CopyFolder", {"@src/a.txt", "@dst/"}, 76, nullptr},
        {"CopyFolder", {"@src", "@src/sub/x"}, 70, nullptr},     // into itself: refused
        {"CopyFolder", {"@src", "@dst/a.txt"}, 58, nullptr},
        // MoveFolder
        {"MoveFolder", {"@src/sub", "@dst/"}, 0, "dst/ dst/a.txt=old dst/sub/ dst/sub/d.txt=D src/ src/a.txt=A src/b.txt=B src/c.log=C"},
        {"MoveFolder", {"@src", "@moved"}, 0, "dst/ dst/a.txt=old moved/ moved/a.txt=A moved/b.txt=B moved/c.log=C moved/sub/ moved/sub/d.txt=D"},
        {"MoveFolder", {"@src", "@dst"}, 58, nullptr},
        {"MoveFolder", {"@src", "@src/sub/x"}, 70, nullptr},
        {"MoveFolder", {"@none", "@x"}, 76, nullptr},
        // DeleteFolder
        {"DeleteFolder", {"@src"}, 0, "dst/ dst/a.txt=old"},
        {"DeleteFolder", {"@src\\"}, 0, "dst/ dst/a.txt=old"},
        {"DeleteFolder", {"@s*"}, 0, "dst/ dst/a.txt=old"},
        {"DeleteFolder", {"@none"}, 76, nullptr},
        {"DeleteFolder", {"@src/a.txt"}, 76, nullptr},
    };
    const Variant fso = create("Scripting.FileSystemObject");
    for (const OperationCase& c : cases) {
        ScratchFolder scratch;
        for (const char* f : {"src/a.txt=A", "src/b.txt=B", "src/c.log=C", "src/sub/d.txt=D", "dst/a.txt=old"}) {
            const std::string_view s(f);
            scratch.write(s.substr(0, s.find('=')), s.substr(s.find('=') + 1));
        }
        std::vector<Variant> args;
        std::string shown = c.method;
        for (const std::string& a : c.args) {
            shown += " " + a;
            if (a == "T" || a == "F")
                args.emplace_back(a == "T");
            else
                args.emplace_back(a.rfind('@', 0) == 0 ? scratch.path(a.substr(1)) : a);
        }
        SCOPED_TRACE(shown);
        EXPECT_EQ(errorOf([&] { call(fso, c.method, args); }), c.error);
        EXPECT_EQ(scratch.tree(), c.after ? c.after : kStart);
    }
}

TEST_F(FileSystemTest, ReadOnlyFilesNeedForce) {
    scratch.write("ro/locked.txt", "L");
    scratch.write("ro/free.txt", "F");
    makeReadOnly("ro/locked.txt");
    EXPECT_EQ(failure([&] { call(fso, "DeleteFile", {at("ro/locked.txt")}); }), "70 Permission denied");
    EXPECT_EQ(errorOf([&] { call(fso, "CopyFile", {at("ro/free.txt"), at("ro/locked.txt")}); }), 70);
    EXPECT_EQ(errorOf([&] { call(fso, "DeleteFolder", {at("ro")}); }), 70);
    EXPECT_EQ(scratch.tree("ro"), "free.txt=F locked.txt=L");   // nothing went
    call(fso, "DeleteFile", {at("ro/locked.txt"), true});
    EXPECT_FALSE(fs::exists(scratch.root() / "ro/locked.txt"));
    scratch.write("ro/again.txt", "A");
    makeReadOnly("ro/again.txt");
    call(fso, "DeleteFolder", {at("ro"), true});
    EXPECT_FALSE(fs::exists(scratch.root() / "ro"));
}

TEST_F(FileSystemTest, LinksToFoldersAreNotFollowed) {
    scratch.write("target/keep.txt", "K");
    scratch.write("tree/file.txt", "F");
    fs::create_directory_symlink(scratch.root() / "target", scratch.root() / "tree/link");
    fs::create_directory_symlink(scratch.root() / "tree", scratch.root() / "tree/loop");
    // A copy keeps the links as links (a loop would never end otherwise).
    call(fso, "CopyFolder", {at("tree"), at("copy")});
    EXPECT_TRUE(fs::is_symlink(scratch.root() / "copy/link"));
    EXPECT_EQ(scratch.read("copy/file.txt"), "F");
    // Deleting a folder deletes links in it, never what they point at.
    call(fso, "DeleteFolder", {at("tree")});
    call(fso, "DeleteFolder", {at("copy")});
    EXPECT_EQ(scratch.tree(), "target/ target/keep.txt=K");
}

// A move to another file system copies and then deletes.
TEST_F(FileSystemTest, MovesAcrossFileSystems) {
    struct stat a {}, b {};
    if (::stat("/dev/shm", &b) != 0 || ::stat(scratch.root().c_str(), &a) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system at hand";
    ScratchFolder other("/dev/shm");
    scratch.write("f.txt", "F");
    scratch.write("tree/sub/g.txt", "G");
    const std::time_t when = 1600000000;
    const utimbuf times{when, when};
    ASSERT_EQ(::utime(at("f.txt").c_str(), &times), 0);
    call(fso, "MoveFile", {at("f.txt"), other.path("f.txt")});
    call(fso, "MoveFolder", {at("tree"), other.path("tree")});
    EXPECT_EQ(scratch.tree(), "");
    EXPECT_EQ(other.tree(), "f.txt=F tree/ tree/sub/ tree/sub/g.txt=G");
    struct stat moved {};
    ASSERT_EQ(::stat(other.path("f.txt").c_str(), &moved), 0);
    EXPECT_EQ(moved.st_mtime, when);
    scratch.write("h.txt", "H");
    other.write("h.txt", "taken");
    EXPECT_EQ(errorOf([&] { call(fso, "MoveFile", {at("h.txt"), other.path("h.txt")}); }), 58);
    EXPECT_EQ(scratch.read("h.txt"), "H");
}

TEST_F(FileSystemTest, FolderObjectAndCollections) {
    scratch.write("top/b.txt", "bb");
    scratch.write("top/a.txt", "a");
    scratch.write("top/one/x.txt", "xxx");
    scratch.write("top/two/y.txt", "");
    const Variant folder = call(fso, "GetFolder", {at("top")});
    EXPECT_EQ(toString(getProperty(folder, "Name")), "top");
    EXPECT_EQ(toString(folder), at("top"));
    EXPECT_EQ(toInt32(getProperty(folder, "Size")), 6);
    EXPECT_EQ(toString(getProperty(getProperty(folder, "ParentFolder"), "Path")), scratch.root().string());

    const Variant files = getProperty(folder, "Files");
    EXPECT_EQ(typeName(files), "Files");
    EXPECT_EQ(toInt32(getProperty(files, "Count")), 2);
    std::vector<std::string> names;
    for (const Variant& f : forEach(files)) names.push_back(toString(getProperty(f, "Name")));
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(toInt32(getProperty(call(files, "", {"b.txt"}), "Size")), 2);
    EXPECT_EQ(failure([&] { getProperty(files, "Item", {"none.txt"}); }), "53 File not found");
    EXPECT_EQ(errorOf([&] { getProperty(files, "Item", {"one"}); }), 53);

    const Variant subs = getProperty(folder, "SubFolders");
    EXPECT_EQ(toInt32(getProperty(subs, "Count")), 2);
    names.clear();
    for (const Variant& f : forEach(subs)) names.push_back(toString(getProperty(f, "Name")));
    EXPECT_EQ(names, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(toString(getProperty(subs, "Item", {"two"})), at("top/two"));
    EXPECT_EQ(failure([&] { getProperty(subs, "Item", {"a.txt"}); }), "76 Path not found");
    // The collections read the folder when asked.
    scratch.write("top/c.txt", "");
    EXPECT_EQ(toInt32(getProperty(files, "Count")), 3);

    const Variant root = call(fso, "GetFolder", {"/"});
    EXPECT_EQ(toString(getProperty(root, "Name")), "");
    EXPECT_TRUE(getProperty(root, "ParentFolder").isNothing());
}

TEST_F(FileSystemTest, FolderObjectOperations) {
    scratch.write("f/a.txt", "A");
    const Variant folder = call(fso, "GetFolder", {at("f")});
    const Variant stream = call(folder, "CreateTextFile", {"made.txt"});
    call(stream, "Write", {"M"});
    call(stream, "Close");
    EXPECT_EQ(errorOf([&] { call(folder, "CreateTextFile", {"made.txt", false}); }), 58);
    call(folder, "Copy", {at("g")});
    EXPECT_EQ(errorOf([&] { call(folder, "Move", {at("h\\")}); }), 76);   // into a folder that is not there
    call(fso, "CreateFolder", {at("h")});
    call(folder, "Move", {at("h\\")});
    EXPECT_EQ(toString(getProperty(folder, "Path")), at("h/f"));
    EXPECT_EQ(scratch.tree(), "g/ g/a.txt=A g/made.txt=M h/ h/f/ h/f/a.txt=A h/f/made.txt=M");
    call(folder, "Delete");
    EXPECT_EQ(scratch.tree(), "g/ g/a.txt=A g/made.txt=M h/");
    EXPECT_EQ(errorOf([&] { getProperty(getProperty(folder, "Files"), "Count"); }), 76);
}

TEST_F(FileSystemTest, TemporaryFolder) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", scratch.root().c_str(), 1);
    const Variant temp = call(fso, "GetSpecialFolder", {2});
    EXPECT_EQ(toString(getProperty(temp, "Path")), scratch.root().string());
    old ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
    EXPECT_EQ(errorOf([&] { call(fso, "GetSpecialFolder", {7}); }), 5);
}

}  // namespace
