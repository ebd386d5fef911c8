#include "setup/Password.h"

#include <gtest/gtest.h>

namespace {

using namespace vt::setup;

TEST(Password, HashesAreSaltedAndVerify) {
    const std::string a = hashPassword("s3cret pass");
    const std::string b = hashPassword("s3cret pass");
    EXPECT_NE(a, b);   // a fresh salt each time
    EXPECT_EQ(a.find("s3cret"), std::string::npos);
    EXPECT_EQ(a.rfind("pbkdf2-sha256$", 0), 0u);
    EXPECT_TRUE(isPasswordHash(a));
    for (const std::string& h : {a, b}) {
        EXPECT_TRUE(verifyPassword(h, "s3cret pass"));
        EXPECT_FALSE(verifyPassword(h, "s3cret pas"));
        EXPECT_FALSE(verifyPassword(h, "S3cret pass"));
        EXPECT_FALSE(verifyPassword(h, ""));
    }
    const std::string empty = hashPassword("");
    EXPECT_TRUE(verifyPassword(empty, ""));
    EXPECT_FALSE(verifyPassword(empty, " "));
}

TEST(Password, AnythingElseStoredIsComparedAsThePasswordItself) {
    struct Case {
        const char* stored;
        const char* typed;
        bool match;
    } cases[] = {
        {"tulip", "tulip", true},
        {"tulip", "Tulip", false},
        {"tulip", "tulip ", false},
        {"", "", true},
        // Not a well-formed hash: no salt, bad digits, absurd work factors.
        {"pbkdf2-sha256$1000$$abcd", "pbkdf2-sha256$1000$$abcd", true},
        {"pbkdf2-sha256$1000$zz$abcd", "x", false},
        {"pbkdf2-sha256$999999999$00$abcd", "pbkdf2-sha256$999999999$00$abcd", true},
        {"pbkdf2-sha256$0$00$abcd", "x", false},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(isPasswordHash(c.stored)) << c.stored;
        EXPECT_EQ(verifyPassword(c.stored, c.typed), c.match) << c.stored << " / " << c.typed;
    }
}

TEST(Password, ConstantTimeEquality) {
    EXPECT_TRUE(equalConstantTime("abc", "abc"));
    EXPECT_FALSE(equalConstantTime("abc", "abd"));
    EXPECT_FALSE(equalConstantTime(std::string_view("abc\0", 4), "abc"));
    EXPECT_FALSE(equalConstantTime("", "a"));
    EXPECT_TRUE(equalConstantTime("", ""));
}

}  // namespace
