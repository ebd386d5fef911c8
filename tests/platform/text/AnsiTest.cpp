#include "platform/text/AnsiQt.h"
#include "platform/text/Text.h"

#include <gtest/gtest.h>

using namespace vt::text;

namespace {

std::string allBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) s += char(b);
    return s;
}

TEST(Ansi, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(unicodeToAnsi(ansiToUnicode(static_cast<unsigned char>(b))), b) << "byte " << b;
    const std::string bytes = allBytes();
    EXPECT_EQ(utf8ToAnsi(ansiToUtf8(bytes)), bytes);
    EXPECT_EQ(toAnsi(fromAnsi(bytes)), bytes);
    EXPECT_EQ(fromAnsi(bytes).size(), 256);
}

TEST(Ansi, KnownCodePoints) {
    struct Case { unsigned char byte; char32_t cp; } cases[] = {
        {0x41, U'A'}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x8A, 0x0160}, {0x92, 0x2019},
        {0x99, 0x2122}, {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const auto& c : cases) EXPECT_EQ(ansiToUnicode(c.byte), c.cp) << int(c.byte);
    EXPECT_EQ(fromAnsi("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(ansiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(Ansi, UnmappableBecomesQuestionMark) {
    EXPECT_EQ(unicodeToAnsi(0x0100), -1);
    EXPECT_EQ(unicodeToAnsi(0x0080), -1);   // a C1 control whose byte 1252 gives to the euro
    EXPECT_EQ(unicodeToAnsi(0x1F600), -1);
    // A with macron, an emoji (one '?' for the pair), and the euro that does map
    EXPECT_EQ(toAnsi(QString::fromUtf8("\xC4\x80|\xF0\x9F\x98\x80|\xE2\x82\xAC")), "?|?|\x80");
    EXPECT_EQ(toAnsi(QString(QChar(0xD800))), "?");
    EXPECT_EQ(utf8ToAnsi("\xC4\x80|\xF0\x9F\x98\x80"), "?|?");
    // Malformed UTF-8: a stray continuation, a truncated sequence, an overlong slash, a surrogate.
    EXPECT_EQ(utf8ToAnsi("a\x80" "b\xC3"), "a?b?");
    EXPECT_EQ(utf8ToAnsi("\xC0\xAF"), "??");
    EXPECT_EQ(utf8ToAnsi("\xED\xA0\x80"), "???");
}

TEST(Ansi, CaseAndTrim) {
    EXPECT_EQ(toUpper("abc\xE9\xFF\x9A\xF7\xDF"), "ABC\xC9\x9F\x8A\xF7\xDF");
    EXPECT_EQ(toLower("ABC\xC9\x9F\x8A\xD7"), "abc\xE9\xFF\x9A\xD7");
    EXPECT_TRUE(equalsNoCase("Caf\xE9", "CAF\xC9"));
    EXPECT_FALSE(equalsNoCase("abc", "abd"));
    EXPECT_FALSE(equalsNoCase("abc", "ab"));
    EXPECT_EQ(trim("  a b \t "), "a b \t");
    EXPECT_EQ(ltrim("  a "), "a ");
    EXPECT_EQ(rtrim("  a "), "  a");
    EXPECT_EQ(trim("   "), "");
}

}  // namespace
