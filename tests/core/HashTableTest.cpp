#include "core/HashTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using vt::core::clsHashTable;
using vt::core::RunError;
using Table = clsHashTable<int>;

// The error number and description an operation raises ("" when it raises none).
std::string raised(const std::function<void()>& op) {
    try {
        op();
    } catch (const RunError& e) {
        return std::to_string(e.number()) + " " + e.what();
    }
    return "";
}

TEST(HashTable, ErrorsOfEveryOperation) {
    Table h;
    h.Add("here", 1);
    struct Case {
        const char* what;
        std::function<void()> op;
        const char* error;
    };
    const Case cases[] = {
        {"Exists empty", [&] { h.Exists(""); }, "1001 Invalid key"},
        {"Add empty", [&] { h.Add("", 1); }, "1001 Invalid key"},
        {"Item read empty", [&] { h.Item(""); }, "1001 Invalid key"},
        {"Item write empty", [&] { h.Item("", 1); }, "1001 Invalid key"},
        {"Remove empty", [&] { h.Remove(""); }, "1001 Invalid key"},
        {"Add existing", [&] { h.Add("here", 2); }, "457 This key is already associated with an element of this collection"},
        {"Remove missing", [&] { h.Remove("gone"); }, "5 Invalid procedure call or argument"},
        {"IgnoreCase when not empty", [&] { h.IgnoreCase(true); }, "1001 The Hash Table isn't empty"},
        {"SetSize without buckets", [&] { h.SetSize(0); }, "5 Invalid procedure call or argument"},
        {"Item read missing", [&] { h.Item("gone"); }, ""},
        {"Item write new", [&] { h.Item("new", 3); }, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(raised(c.op), c.error) << c.what;
    // The failed operations changed nothing.
    EXPECT_EQ(h.Count(), 2);
    EXPECT_EQ(h.Item("here"), 1);
    EXPECT_FALSE(h.IgnoreCase());
    EXPECT_FALSE(h.Exists("gone"));
}

TEST(HashTable, ItemReadOfAMissingKeyCreatesNothing) {
    Table h;
    EXPECT_EQ(h.Item("missing"), 0);
    EXPECT_FALSE(h.Exists("missing"));
    EXPECT_EQ(h.Count(), 0);
    clsHashTable<std::string> texts;
    EXPECT_EQ(texts.Item("missing"), "");
}

TEST(HashTable, ItemWriteReplacesAndAddKeeps) {
    Table h;
    h.Item("k", 1);
    h.Item("k", 2);
    EXPECT_EQ(h.Item("k"), 2);
    EXPECT_THROW(h.Add("k", 3), RunError);
    EXPECT_EQ(h.Item("k"), 2);
    EXPECT_EQ(h.Count(), 1);
}

TEST(HashTable, CaseFolding) {
    Table sensitive;
    sensitive.Add("abc", 1);
    sensitive.Add("ABC", 2);
    EXPECT_EQ(sensitive.Count(), 2);
    EXPECT_FALSE(sensitive.Exists("Abc"));

    Table folded;
    folded.IgnoreCase(true);
    folded.Add("abc", 1);
    EXPECT_TRUE(folded.Exists("ABC"));
    EXPECT_THROW(folded.Add("AbC", 2), RunError);
    folded.Item("aBc", 5);
    folded.Add("\xe9t\xe9", 7);   // 1252 letters fold too
    EXPECT_EQ(folded.Item("\xc9T\xc9"), 7);
    EXPECT_EQ(folded.Count(), 2);
    std::vector<std::string> keys = folded.Keys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"ABC", "\xc9T\xc9"}));
    folded.Remove("abc");
    EXPECT_EQ(folded.Count(), 1);
}

TEST(HashTable, IgnoreCaseMayChangeOnlyWhenEmptyAndSurvivesResets) {
    Table h;
    h.Add("x", 1);
    EXPECT_THROW(h.IgnoreCase(true), RunError);
    h.RemoveAll();
    h.IgnoreCase(true);
    h.SetSize(16, 8, 4);
    EXPECT_TRUE(h.IgnoreCase());
}

TEST(HashTable, PoolGrowsByChunksAndReusesFreedSlots) {
    Table h;
    EXPECT_EQ(h.PoolSize(), 2048);
    for (int i = 0; i < 2048; ++i) h.Add("key" + std::to_string(i), i);
    EXPECT_EQ(h.PoolSize(), 2048);
    h.Add("key2048", 2048);
    EXPECT_EQ(h.PoolSize(), 3072);
    EXPECT_EQ(h.Count(), 2049);

    // Freed slots are taken before the pool grows again.
    for (int i = 2049; i < 3072; ++i) h.Add("key" + std::to_string(i), i);
    EXPECT_EQ(h.PoolSize(), 3072);
    for (int i = 0; i < 10; ++i) h.Remove("key" + std::to_string(i * 7));
    for (int i = 0; i < 10; ++i) h.Add("again" + std::to_string(i), i);
    EXPECT_EQ(h.PoolSize(), 3072);
    EXPECT_EQ(h.Count(), 3072);
    h.Add("one more", 0);
    EXPECT_EQ(h.PoolSize(), 4096);
    for (int i = 1; i < 3072; ++i) {
        if (i % 7 == 0 && i < 70) continue;   // removed above
        ASSERT_EQ(h.Item("key" + std::to_string(i)), i) << i;
    }

    h.RemoveAll();
    EXPECT_EQ(h.PoolSize(), 2048);
    EXPECT_EQ(h.Count(), 0);
}

TEST(HashTable, ChainsSurviveRemovalAtHeadMiddleAndTail) {
    Table h;
    h.SetSize(1, 2, 1);   // one bucket: every key in one chain
    for (const char* k : {"a", "b", "c", "d"}) h.Add(k, k[0]);
    EXPECT_EQ(h.Keys(), (std::vector<std::string>{"a", "b", "c", "d"}));
    h.Remove("b");
    h.Remove("a");
    h.Remove("d");
    EXPECT_EQ(h.Keys(), std::vector<std::string>{"c"});
    h.Add("e", 'e');
    h.Add("a", 'a');
    EXPECT_EQ(h.Keys(), (std::vector<std::string>{"c", "e", "a"}));
    EXPECT_EQ(h.Values(), (std::vector<int>{'c', 'e', 'a'}));
    EXPECT_EQ(h.PoolSize(), 4);   // grown twice by one; the freed slots were reused
}

TEST(HashTable, KeysAndValuesPairUp) {
    Table h;
    for (int i = 0; i < 500; ++i) h.Add("k" + std::to_string(i), i);
    const auto keys = h.Keys();
    const auto values = h.Values();
    ASSERT_EQ(keys.size(), 500u);
    ASSERT_EQ(values.size(), 500u);
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(keys[i], "k" + std::to_string(values[i]));
    Table empty;
    EXPECT_TRUE(empty.Keys().empty());
    EXPECT_TRUE(empty.Values().empty());
}

TEST(HashTable, HashWordsAndBucketsOfHighBitKeys) {
    using namespace vt::core::hashing;
    EXPECT_EQ(KeyHash("A"), 0x41);
    EXPECT_EQ(KeyHash("ABCD"), 0x44434241);
    EXPECT_EQ(KeyHash("ABCDE"), 0x44434241 ^ 0x45);
    EXPECT_EQ(KeyHash("ABCDABCD"), 0);
    EXPECT_LT(KeyHash("\x80\x80\x80\x80"), 0);
    for (std::int32_t size : {1, 7, 1000, 1024})
        for (std::int32_t hash : {INT32_MIN, -1, -1000, 0, INT32_MAX}) {
            const std::int32_t b = Bucket(hash, size);
            EXPECT_GE(b, 0);
            EXPECT_LT(b, size);
        }

    Table h;
    h.SetSize(1000);
    const std::string high = "\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8";
    h.Add(high, 1);
    h.Add("\x80\x81\x82\x83", 2);
    EXPECT_EQ(h.Item(high), 1);
    EXPECT_EQ(h.Item("\x80\x81\x82\x83"), 2);
    h.Remove(high);
    EXPECT_FALSE(h.Exists(high));
}

TEST(HashTable, ObjectsAreKeptByReferenceAndReleasedOnRemove) {
    clsHashTable<std::shared_ptr<std::string>> h;
    auto object = std::make_shared<std::string>("map position");
    h.Add("obj", object);
    EXPECT_EQ(h.Item("obj").get(), object.get());
    EXPECT_EQ(object.use_count(), 2);
    h.Remove("obj");
    EXPECT_EQ(object.use_count(), 1);
    h.Item("obj", object);
    h.RemoveAll();
    EXPECT_EQ(object.use_count(), 1);
}

}  // namespace
