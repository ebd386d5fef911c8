#include "Support.h"

#include "platform/scripting/Dictionary.h"

namespace {

using namespace scripting_test;

constexpr const char* kKeyTaken = "457 This key is already associated with an element of this collection";
constexpr const char* kNotFound = "32811 Element not found";

class DictionaryTest : public ::testing::Test {
protected:
    Variant d = create("Scripting.Dictionary");

    std::vector<std::string> keys() {
        std::vector<std::string> out;
        for (const Variant& k : elements(call(d, "Keys"))) out.push_back(toString(k));
        return out;
    }
};

TEST(ScriptingClasses, RegisteredByNameAndRegisteringAgainChangesNothing) {
    vt::scripting::registerScriptingClasses();
    vt::scripting::registerScriptingClasses();
    EXPECT_TRUE(ClassRegistry::instance().hasBuiltin("scripting.dictionary"));
    EXPECT_EQ(typeName(create("SCRIPTING.DICTIONARY")), "Dictionary");
    EXPECT_EQ(typeName(create("Scripting.FileSystemObject")), "FileSystemObject");
    // Each creation is a new object.
    EXPECT_NE(create("Scripting.Dictionary").object(), create("Scripting.Dictionary").object());
}

TEST_F(DictionaryTest, AddKeepsOrderAndRefusesATakenKey) {
    call(d, "Add", {"b", 1});
    call(d, "Add", {"a", 2});
    call(d, "Add", {std::int32_t(3), "three"});
    EXPECT_EQ(toInt32(getProperty(d, "Count")), 3);
    EXPECT_EQ(keys(), (std::vector<std::string>{"b", "a", "3"}));
    EXPECT_EQ(elements(call(d, "Items")), (std::vector<Variant>{std::int32_t(1), std::int32_t(2), "three"}));
    EXPECT_EQ(failure([&] { call(d, "Add", {"a", 9}); }), kKeyTaken);
    EXPECT_EQ(toInt32(getProperty(d, "Item", {"a"})), 2);
}

TEST_F(DictionaryTest, ReadingAMissingKeyAddsItWithEmpty) {
    EXPECT_FALSE(toBool(call(d, "Exists", {"x"})));
    EXPECT_EQ(toInt32(getProperty(d, "Count")), 0);
    EXPECT_TRUE(getProperty(d, "Item", {"x"}).isEmpty());
    EXPECT_TRUE(toBool(call(d, "Exists", {"x"})));
    EXPECT_EQ(toInt32(getProperty(d, "Count")), 1);
}

TEST_F(DictionaryTest, ItemIsTheDefaultMemberForReadingAndWriting) {
    assignIndexed(d, "", "k", 5);               // d("k") = 5 adds
    assignIndexed(d, "Item", "first", "x");
    assignIndexed(d, "", "k", "changed");       // replaces in place
    EXPECT_EQ(toString(call(d, "", {"k"})), "changed");
    EXPECT_EQ(keys(), (std::vector<std::string>{"k", "first"}));

    const Variant other = create("Scripting.Dictionary");
    assignIndexed(d, "Item", "obj", other, InvokeKind::PropertySet);
    EXPECT_EQ(getProperty(d, "Item", {"obj"}).object(), other.object());
    assignIndexed(d, "Item", "arr", Variant::array({1, 2}));
    EXPECT_EQ(getProperty(d, "Item", {"arr"}).arrayValue().ubound(), 1);
}

TEST_F(DictionaryTest, KeyRenamesInPlace) {
    call(d, "Add", {"a", 1});
    call(d, "Add", {"b", 2});
    call(d, "Add", {"c", 3});
    assignIndexed(d, "Key", "b", "z");
    EXPECT_EQ(keys(), (std::vector<std::string>{"a", "z", "c"}));
    EXPECT_EQ(toInt32(getProperty(d, "Item", {"z"})), 2);
    EXPECT_FALSE(toBool(call(d, "Exists", {"b"})));
    EXPECT_EQ(failure([&] { assignIndexed(d, "Key", "nope", "y"); }), kNotFound);
    EXPECT_EQ(failure([&] { assignIndexed(d, "Key", "a", "c"); }), kKeyTaken);
    EXPECT_EQ(toInt32(getProperty(d, "Count")), 3);
}

TEST_F(DictionaryTest, RemoveAndRemoveAll) {
    for (const char* k : {"a", "b", "c"}) call(d, "Add", {k, k});
    call(d, "Remove", {"b"});
    EXPECT_EQ(keys(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(failure([&] { call(d, "Remove", {"b"}); }), kNotFound);
    call(d, "RemoveAll");
    EXPECT_EQ(toInt32(getProperty(d, "Count")), 0);
    // Empty arrays from an empty dictionary: UBound -1.
    EXPECT_EQ(call(d, "Keys").arrayValue().ubound(), -1);
    EXPECT_EQ(call(d, "Items").arrayValue().lbound(), 0);
    call(d, "Add", {"b", 1});   // usable again
    EXPECT_EQ(keys(), (std::vector<std::string>{"b"}));
}

struct KeyCase {
    const char* what;
    Variant stored;
    Variant probe;
    std::int32_t compareMode;
    bool sameKey;
};

TEST(DictionaryKeys, WhichKeysAreTheSame) {
    const std::vector<KeyCase> cases = {
        {"Integer and Double of one value", std::int16_t(1), 1.0, 0, true},
        {"Long and Currency", std::int32_t(7), Currency{70000}, 0, true},
        {"Byte and Decimal", std::uint8_t(200), Decimal::fromInt64(200), 0, true},
        {"Boolean True and -1", true, std::int32_t(-1), 0, true},
        {"Single and Double", 0.5f, 0.5, 0, true},
        {"zero and minus zero", 0.0, -0.0, 0, true},
        {"number and its text", std::int32_t(1), "1", 0, false},
        {"1 and 2", std::int32_t(1), std::int32_t(2), 0, false},
        {"case in binary mode", "Key", "key", 0, false},
        {"case in text mode", "Key", "KEY", 1, true},
        {"1252 letters in text mode", "\xC9t\xE9", "\xE9T\xC9", 1, true},
        {"1252 letters in binary mode", "\xC9", "\xE9", 0, false},
        {"database mode compares as text", "abc", "ABC", 2, true},
        {"Empty and empty text", Variant(), "", 0, false},
        {"Empty and zero", Variant(), std::int32_t(0), 0, false},
        {"Empty and Empty", Variant(), Variant(), 0, true},
        {"Null and Null", Variant::null(), Variant::null(), 0, true},
        {"Null and Empty", Variant::null(), Variant(), 0, false},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Variant d = create("Scripting.Dictionary");
        letProperty(d, "CompareMode", c.compareMode);
        call(d, "Add", {c.stored, "x"});
        EXPECT_EQ(toBool(call(d, "Exists", {c.probe})), c.sameKey);
        EXPECT_EQ(errorOf([&] { call(d, "Add", {c.probe, "y"}); }), c.sameKey ? 457 : 0);
        // The key keeps the subtype it was added with.
        EXPECT_EQ(elements(call(d, "Keys"))[0].varType(), c.stored.varType());
    }
}

TEST(DictionaryKeys, ObjectsAreKeysByIdentity) {
    const Variant d = create("Scripting.Dictionary");
    const Variant a = create("Scripting.Dictionary"), b = create("Scripting.Dictionary");
    call(d, "Add", {a, 1});
    EXPECT_TRUE(toBool(call(d, "Exists", {a})));
    EXPECT_FALSE(toBool(call(d, "Exists", {b})));
    call(d, "Add", {b, 2});
    EXPECT_EQ(toInt32(getProperty(d, "Item", {b})), 2);
    EXPECT_EQ(elements(call(d, "Keys"))[0].object(), a.object());
}

TEST(DictionaryKeys, AnArrayIsNoKey) {
    const Variant d = create("Scripting.Dictionary");
    EXPECT_EQ(failure([&] { call(d, "Add", {Variant::array({1}), 1}); }), "5 Invalid procedure call or argument");
    EXPECT_EQ(errorOf([&] { getProperty(d, "Item", {Variant::array({})}); }), 5);
    EXPECT_EQ(toInt32(getProperty(d, "Count")), 0);
}

TEST_F(DictionaryTest, CompareModeChangesOnlyWhileEmpty) {
    EXPECT_EQ(toInt32(getProperty(d, "CompareMode")), 0);
    letProperty(d, "CompareMode", 1);
    EXPECT_EQ(toInt32(getProperty(d, "CompareMode")), 1);
    call(d, "Add", {"a", 1});
    EXPECT_EQ(failure([&] { letProperty(d, "CompareMode", 0); }), "5 Invalid procedure call or argument");
    EXPECT_EQ(toInt32(getProperty(d, "CompareMode")), 1);
    call(d, "RemoveAll");
    letProperty(d, "CompareMode", 0);
    EXPECT_EQ(errorOf([&] { letProperty(d, "CompareMode", -1); }), 5);
}

TEST_F(DictionaryTest, ForEachWalksTheKeysInOrder) {
    call(d, "Add", {"one", 1});
    call(d, "Add", {2.5, 2});
    call(d, "Add", {"three", 3});
    EXPECT_EQ(forEach(d), (std::vector<Variant>{"one", 2.5, "three"}));
}

TEST_F(DictionaryTest, MembersAndArgumentCounts) {
    EXPECT_EQ(errorOf([&] { call(d, "Add", {"only key"}); }), 450);
    EXPECT_EQ(errorOf([&] { getProperty(d, "Item"); }), 450);
    EXPECT_EQ(errorOf([&] { call(d, "NoSuchMember"); }), 438);
    EXPECT_TRUE(d.object()->hasMember("exists"));
}

// Many keys, removals and renames: lookups stay right and the order stays that of addition.
TEST_F(DictionaryTest, ManyKeysRemovedAndRenamed) {
    constexpr int n = 20000;
    for (int i = 0; i < n; ++i) call(d, "Add", {"k" + std::to_string(i), i});
    for (int i = 0; i < n; i += 2) call(d, "Remove", {"k" + std::to_string(i)});
    for (int i = 1; i < n; i += 4) assignIndexed(d, "Key", "k" + std::to_string(i), std::int32_t(i));
    EXPECT_EQ(toInt32(getProperty(d, "Count")), n / 2);
    const auto ks = elements(call(d, "Keys"));
    for (int j = 0; j < n / 2; ++j) {
        const int i = 2 * j + 1;
        if (i % 4 == 1)
            ASSERT_EQ(ks[std::size_t(j)], Variant(std::int32_t(i)));
        else
            ASSERT_EQ(ks[std::size_t(j)], Variant("k" + std::to_string(i)));
    }
    EXPECT_TRUE(toBool(call(d, "Exists", {double(n - 3)})));
    EXPECT_FALSE(toBool(call(d, "Exists", {"k" + std::to_string(n - 3)})));
    EXPECT_EQ(toInt32(getProperty(d, "Item", {"k3"})), 3);
}

}  // namespace

namespace {

// A tracker frees dictionaries that only hold each other, and none that is still referenced.
TEST(DictionaryCycles, CollectFreesOnlyUnreachableRings) {
    vt::scripting::CycleTracker tracker;
    auto track = [&](const Variant& v) { tracker.add(*dynamic_cast<vt::scripting::Dictionary*>(v.object())); };
    Variant a = create("Scripting.Dictionary"), b = create("Scripting.Dictionary"), kept = create("Scripting.Dictionary");
    track(a);
    track(b);
    track(kept);
    call(a, "Add", {Variant("b"), b});
    call(b, "Add", {Variant("a"), a});
    call(kept, "Add", {Variant("self"), kept});
    call(kept, "Add", {Variant("n"), Variant(std::int32_t(1))});
    a.clear();
    b.clear();
    EXPECT_EQ(tracker.collect(), 2u);
    EXPECT_EQ(tracker.size(), 1u);
    EXPECT_EQ(toInt32(getProperty(kept, "Count")), 2);
    call(kept, "RemoveAll");
}

}  // namespace
