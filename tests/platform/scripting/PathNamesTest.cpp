#include "Support.h"

#include <regex>
#include <unistd.h>

namespace {

using namespace scripting_test;

struct NameCase {
    const char* path;
    const char* fileName;
    const char* baseName;
    const char* extension;
    const char* parent;
};

TEST(PathNames, NamePartsOfPathTexts) {
    const NameCase cases[] = {
        {"/a/b/c.txt", "c.txt", "c", "txt", "/a/b"},
        {"C:\\dir\\file.tar.gz", "file.tar.gz", "file.tar", "gz", "C:\\dir"},
        {"dir/sub/", "sub", "sub", "", "dir"},
        {"dir\\sub\\\\", "sub", "sub", "", "dir"},
        {"name", "name", "name", "", ""},
        {"/a", "a", "a", "", "/"},
        {"/", "", "", "", ""},
        {"", "", "", "", ""},
        {".profile", ".profile", "", "profile", ""},
        {"a\\b/c", "c", "c", "", "a\\b"},
        {"dir.d/file", "file", "file", "", "dir.d"},
        {"dir//file.", "file.", "file", "", "dir"},
    };
    const Variant fso = create("Scripting.FileSystemObject");
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(toString(call(fso, "GetFileName", {c.path})), c.fileName);
        EXPECT_EQ(toString(call(fso, "GetBaseName", {c.path})), c.baseName);
        EXPECT_EQ(toString(call(fso, "GetExtensionName", {c.path})), c.extension);
        EXPECT_EQ(toString(call(fso, "GetParentFolderName", {c.path})), c.parent);
    }
}

TEST(PathNames, BuildPathPutsOneSeparatorBetween) {
    const struct {
        const char* path;
        const char* name;
        const char* joined;
    } cases[] = {
        {"a", "b", "a/b"},       {"a/", "b", "a/b"},   {"a\\", "b", "a\\b"}, {"a", "\\b", "a\\b"},
        {"a/", "/b", "a/b"},     {"", "b", "b"},       {"a", "", "a"},       {"/x/y", "z.txt", "/x/y/z.txt"},
    };
    const Variant fso = create("Scripting.FileSystemObject");
    for (const auto& c : cases) EXPECT_EQ(toString(call(fso, "BuildPath", {c.path, c.name})), c.joined) << c.path << " + " << c.name;
}

TEST(PathNames, AbsolutePathNames) {
    ScratchFolder scratch;
    const fs::path before = fs::current_path();
    fs::current_path(scratch.root());
    const Variant fso = create("Scripting.FileSystemObject");
    const std::string root = fs::current_path().string();
    const struct {
        const char* in;
        std::string out;
    } cases[] = {
        {"x.txt", root + "/x.txt"},
        {"a\\b\\", root + "/a/b"},
        {"x/../y/./z", root + "/y/z"},
        {"", root},
        {"/p/./q/../r/", "/p/r"},
        {"/", "/"},
    };
    for (const auto& c : cases) EXPECT_EQ(toString(call(fso, "GetAbsolutePathName", {c.in})), c.out) << c.in;
    fs::current_path(before);
}

TEST(PathNames, TempNamesLookLikeTheRuntimes) {
    const Variant fso = create("Scripting.FileSystemObject");
    const std::regex shape("rad[0-9A-F]{5}\\.tmp");
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(std::regex_match(toString(call(fso, "GetTempName")), shape));
}

}  // namespace
