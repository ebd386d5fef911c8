#include "Support.h"

namespace {

using namespace scripting_test;

constexpr int ForReading = 1, ForWriting = 2, ForAppending = 8;
constexpr int TristateTrue = -1, TristateUseDefault = -2;

class TextStreamTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    Variant fso = create("Scripting.FileSystemObject");

    std::string at(std::string_view rel) const { return scratch.path(rel); }
    Variant reader(std::string_view rel, int format = 0) { return call(fso, "OpenTextFile", {at(rel), ForReading, false, format}); }
    std::string readLine(const Variant& s) { return toString(call(s, "ReadLine")); }
    bool atEnd(const Variant& s) { return toBool(getProperty(s, "AtEndOfStream")); }
    std::pair<int, int> position(const Variant& s) {
        return {toInt32(getProperty(s, "Line")), toInt32(getProperty(s, "Column"))};
    }
};

TEST_F(TextStreamTest, WrittenTextIsAnsiWithCrLf) {
    const Variant s = call(fso, "CreateTextFile", {at("out.txt")});
    EXPECT_EQ(typeName(s), "TextStream");
    call(s, "WriteLine", {"one"});
    EXPECT_EQ(position(s), std::make_pair(2, 1));
    call(s, "Write", {"caf\xE9 \x80"});
    EXPECT_EQ(position(s), std::make_pair(2, 7));
    call(s, "WriteBlankLines", {2});
    call(s, "WriteLine");
    EXPECT_EQ(position(s), std::make_pair(5, 1));
    // Written at once: the file shows it before Close.
    EXPECT_EQ(scratch.read("out.txt"), "one\r\ncaf\xE9 \x80\r\n\r\n\r\n");
    call(s, "Close");
    EXPECT_EQ(failure([&] { call(s, "Write", {"x"}); }), "54 Bad file mode");

    const Variant r = reader("out.txt");
    EXPECT_EQ(readLine(r), "one");
    EXPECT_EQ(readLine(r), "caf\xE9 \x80");
    EXPECT_EQ(readLine(r), "");
    EXPECT_EQ(readLine(r), "");
    EXPECT_TRUE(atEnd(r));
    EXPECT_EQ(failure([&] { call(r, "ReadLine"); }), "62 Input past end of file");
}

TEST_F(TextStreamTest, LinesEndAtCrLfLfOrCr) {
    scratch.write("mixed.txt", "a\r\nb\nc\rd");
    const Variant r = reader("mixed.txt");
    EXPECT_EQ(readLine(r), "a");
    EXPECT_EQ(position(r), std::make_pair(2, 1));
    EXPECT_EQ(readLine(r), "b");
    EXPECT_EQ(readLine(r), "c");
    EXPECT_EQ(position(r), std::make_pair(4, 1));
    EXPECT_FALSE(atEnd(r));
    EXPECT_EQ(readLine(r), "d");
    EXPECT_EQ(position(r), std::make_pair(4, 2));
    EXPECT_TRUE(atEnd(r));
}

TEST_F(TextStreamTest, ReadSkipAndEndOfLine) {
    scratch.write("t.txt", "abcdef\r\nxyz\r\n");
    const Variant r = reader("t.txt");
    EXPECT_EQ(toString(call(r, "Read", {2})), "ab");
    call(r, "Skip", {3});
    EXPECT_EQ(position(r), std::make_pair(1, 6));
    EXPECT_FALSE(toBool(getProperty(r, "AtEndOfLine")));
    EXPECT_EQ(toString(call(r, "Read", {1})), "f");
    EXPECT_TRUE(toBool(getProperty(r, "AtEndOfLine")));
    EXPECT_EQ(toString(call(r, "Read", {3})), "\r\nx");   // Read crosses line ends
    EXPECT_EQ(position(r), std::make_pair(2, 2));
    EXPECT_EQ(toString(call(r, "ReadAll")), "yz\r\n");
    EXPECT_TRUE(atEnd(r));
    EXPECT_EQ(errorOf([&] { call(r, "Read", {1}); }), 62);
    EXPECT_EQ(errorOf([&] { call(r, "ReadAll"); }), 62);
    EXPECT_EQ(errorOf([&] { call(r, "SkipLine"); }), 62);
    EXPECT_EQ(errorOf([&] { call(r, "Read", {-1}); }), 5);

    const Variant again = reader("t.txt");
    call(again, "SkipLine");
    EXPECT_EQ(readLine(again), "xyz");
    EXPECT_EQ(toString(call(reader("t.txt"), "Read", {100})), "abcdef\r\nxyz\r\n");
}

TEST_F(TextStreamTest, EmptyFile) {
    scratch.write("empty.txt", "");
    const Variant r = reader("empty.txt");
    EXPECT_TRUE(atEnd(r));
    EXPECT_TRUE(toBool(getProperty(r, "AtEndOfLine")));
    EXPECT_EQ(errorOf([&] { call(r, "ReadLine"); }), 62);
    EXPECT_EQ(errorOf([&] { call(r, "ReadAll"); }), 62);
}

TEST_F(TextStreamTest, WrongDirectionIsBadFileMode) {
    scratch.write("t.txt", "x");
    const Variant r = reader("t.txt");
    const Variant w = call(fso, "OpenTextFile", {at("w.txt"), ForWriting, true});
    const struct {
        const Variant* stream;
        const char* member;
        std::vector<Variant> args;
    } cases[] = {
        {&r, "Write", {"x"}}, {&r, "WriteLine", {}}, {&r, "WriteBlankLines", {1}},
        {&w, "ReadLine", {}}, {&w, "ReadAll", {}},   {&w, "Read", {1}},
        {&w, "Skip", {1}},    {&w, "SkipLine", {}},  {&w, "AtEndOfStream", {}},
        {&w, "AtEndOfLine", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(failure([&] { call(*c.stream, c.member, c.args); }), "54 Bad file mode") << c.member;
    call(r, "Close");
    EXPECT_EQ(errorOf([&] { call(r, "ReadLine"); }), 54);
    call(r, "Close");   // closing twice is harmless
}

TEST_F(TextStreamTest, OpenModes) {
    scratch.write("f.txt", "old\r\n");
    // Appending keeps what is there; writing empties the file.
    const Variant a = call(fso, "OpenTextFile", {at("f.txt"), ForAppending});
    call(a, "WriteLine", {"more"});
    call(a, "Close");
    EXPECT_EQ(scratch.read("f.txt"), "old\r\nmore\r\n");
    const Variant w = call(fso, "OpenTextFile", {at("f.txt"), ForWriting});
    EXPECT_EQ(scratch.read("f.txt"), "");
    call(w, "Write", {"new"});
    call(w, "Close");
    EXPECT_EQ(scratch.read("f.txt"), "new");
    // Create: a missing file is made empty, even for reading.
    const Variant r = call(fso, "OpenTextFile", {at("made.txt"), ForReading, true});
    EXPECT_TRUE(atEnd(r));
    EXPECT_TRUE(fs::exists(scratch.root() / "made.txt"));
    // CreateTextFile overwrites unless told not to.
    call(call(fso, "CreateTextFile", {at("f.txt")}), "Write", {"replaced"});
    EXPECT_EQ(scratch.read("f.txt"), "replaced");
}

TEST_F(TextStreamTest, OpenFailures) {
    scratch.write("f.txt", "x");
    scratch.write("dir/g.txt", "");
    const struct {
        const char* method;
        std::vector<Variant> args;
        const char* error;
    } cases[] = {
        {"OpenTextFile", {at("none.txt")}, "53 File not found"},
        {"OpenTextFile", {at("none.txt"), ForAppending}, "53 File not found"},
        {"OpenTextFile", {at("none.txt"), ForWriting, false}, "53 File not found"},
        {"OpenTextFile", {at("nodir/f.txt"), ForWriting, true}, "76 Path not found"},
        {"OpenTextFile", {at("dir"), ForReading}, "70 Permission denied"},
        {"OpenTextFile", {at("f.txt"), 3}, "5 Invalid procedure call or argument"},
        {"OpenTextFile", {at("f.txt"), ForReading, false, 1}, "5 Invalid procedure call or argument"},
        {"OpenTextFile", {""}, "5 Invalid procedure call or argument"},
        {"CreateTextFile", {at("f.txt"), false}, "58 File already exists"},
        {"CreateTextFile", {at("dir"), false}, "58 File already exists"},
        {"CreateTextFile", {at("dir")}, "70 Permission denied"},
        {"CreateTextFile", {at("nodir/x.txt")}, "76 Path not found"},
        {"CreateTextFile", {""}, "5 Invalid procedure call or argument"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method + (" " + toString(c.args[0])));
        EXPECT_EQ(failure([&] { call(fso, c.method, c.args); }), c.error);
    }
    EXPECT_EQ(scratch.read("f.txt"), "x");
    EXPECT_FALSE(fs::exists(scratch.root() / "none.txt"));
}

TEST_F(TextStreamTest, FileObjectOpensAsTextStream) {
    scratch.write("f.txt", "line\r\n");
    const Variant file = call(fso, "GetFile", {at("f.txt")});
    EXPECT_EQ(readLine(call(file, "OpenAsTextStream")), "line");
    call(call(file, "OpenAsTextStream", {ForAppending}), "Write", {"tail"});
    EXPECT_EQ(scratch.read("f.txt"), "line\r\ntail");
    EXPECT_EQ(errorOf([&] { call(file, "OpenAsTextStream", {4}); }), 5);
}

TEST_F(TextStreamTest, UnicodeFilesAreUtf16WithByteOrderMark) {
    const Variant w = call(fso, "CreateTextFile", {at("u.txt"), true, true});
    call(w, "WriteLine", {"\xE9\x80"});   // e acute, euro sign
    call(w, "Close");
    EXPECT_EQ(scratch.read("u.txt"), std::string("\xFF\xFE\xE9\x00\xAC\x20\x0D\x00\x0A\x00", 10));
    // Appending adds no second mark.
    const Variant a = call(fso, "OpenTextFile", {at("u.txt"), ForAppending, false, TristateTrue});
    call(a, "Write", {"z"});
    call(a, "Close");
    EXPECT_EQ(scratch.read("u.txt").size(), 12u);

    const Variant r = reader("u.txt", TristateTrue);
    EXPECT_EQ(readLine(r), "\xE9\x80");
    EXPECT_EQ(readLine(r), "z");
    EXPECT_TRUE(atEnd(r));
    // Characters the code page lacks read as "?"; a pair of surrogates is one character.
    scratch.write("wide.txt", std::string("\xFF\xFE\x16\x04\x3D\xD8\x00\xDE\x41\x00", 10));
    EXPECT_EQ(toString(call(reader("wide.txt", TristateTrue), "ReadAll")), "??A");
    // The default format is ANSI.
    EXPECT_EQ(toString(call(reader("u.txt", TristateUseDefault), "Read", {2})), "\xFF\xFE");
}

TEST_F(TextStreamTest, LinesAcrossReadBlocks) {
    // A CR LF split between two blocks of the reader, and many lines after it.
    std::string text(65535, 'x');
    text += "\r\ny";
    for (int i = 0; i < 20000; ++i) text += "\nline " + std::to_string(i);
    scratch.write("big.txt", text);
    const Variant r = reader("big.txt");
    EXPECT_EQ(readLine(r).size(), 65535u);
    EXPECT_EQ(readLine(r), "y");
    int n = 0;
    std::string last;
    while (!atEnd(r)) {
        last = readLine(r);
        ++n;
    }
    EXPECT_EQ(n, 20000);
    EXPECT_EQ(last, "line 19999");
    EXPECT_EQ(toInt32(getProperty(r, "Line")), 20002);
    EXPECT_EQ(toString(call(reader("big.txt"), "ReadAll")), text);
}

TEST_F(TextStreamTest, AFailedWriteIsReported) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const Variant w = call(fso, "OpenTextFile", {"/dev/full", ForWriting});
    EXPECT_EQ(failure([&] { call(w, "WriteLine", {"lost"}); }), "61 Disk full");
}

}  // namespace
