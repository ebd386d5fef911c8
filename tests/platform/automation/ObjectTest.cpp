#include "platform/automation/Object.h"
#include "platform/automation/Recordset.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace vt::automation;

// A small exposed class: a keyed store with a default Item property, a method that works on
// its by-reference arguments, and a handler shaped like a plug-in's.
class Store final : public Dispatch<Store> {
public:
    static const Members<Store>& members() {
        static const Members<Store> m = [] {
            Members<Store> t("Store");
            t.get("Item", {1, 1}, [](Store& s, Args& a) { return s.items[a.string(0)]; })
                .let("Item", {1, 1}, [](Store& s, Args& a, const Variant& v) { s.items[a.string(0)] = v; })
                .set("Item", {1, 1}, [](Store& s, Args& a, const Variant& v) { s.items[a.string(0)] = v; })
                .get("Count", [](Store& s, Args&) { return Variant(std::int32_t(s.items.size())); })
                .get("Self", [](Store& s, Args&) { return Variant(Ref<Store>(&s)); })
                .method("Swap", {2, 2}, [](Store&, Args& a) {
                    std::swap(a.ref(0), a.ref(1));
                    return Variant();
                })
                .method("Sum", {0, kAnyCount}, [](Store&, Args& a) {
                    double total = 0;
                    for (std::size_t i = 0; i < a.size(); ++i) total += a.number(i, 0);
                    return Variant(total);
                })
                // Replaces the record set of argument 0 with one of its own, as the planning handler does.
                .method("ActiveX", {6, 6}, [](Store&, Args& a) {
                    auto replacement = Recordset::create();
                    replacement->appendField("PartNumber", adtype::VarChar, 30);
                    replacement->open();
                    replacement->addNew();
                    replacement->setValue(0, Variant(a.string(2) + "-" + a.string(3)));
                    replacement->update();
                    a.ref(0) = Variant(replacement);
                    return Variant(true);
                })
                .defaultMember("Item");
            return t;
        }();
        return m;
    }
    std::map<std::string, Variant> items;
};

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number;
    }
    return 0;
}

TEST(LateBound, MembersByNameWithoutRegardToCase) {
    const Variant store(makeRef<Store>());
    EXPECT_EQ(errorOf([&] { letProperty(store, "item", Variant(1)); }), 450);   // a Let needs its index
    std::vector<Variant> args{Variant("k"), Variant(42)};
    std::vector<Variant*> slots{&args[0], &args[1]};
    store.object()->invoke("ITEM", InvokeKind::PropertyLet, slots);
    EXPECT_EQ(toInt32(getProperty(store, "item", {Variant("k")})), 42);
    EXPECT_EQ(toInt32(getProperty(store, "COUNT")), 1);
    // The default member: store("k") reads and writes Item.
    EXPECT_EQ(toInt32(getProperty(store, "", {Variant("k")})), 42);
    // The value of the object itself would be Item without an index.
    EXPECT_EQ(errorOf([&] { defaultValue(getProperty(store, "Self")); }), 450);
}

TEST(LateBound, ErrorsForUnknownMembersAndWrongArguments) {
    const Variant store(makeRef<Store>());
    struct Case {
        const char* what;
        std::function<void()> call;
        int number;
    };
    const Case cases[] = {
        {"unknown member", [&] { call(store, "Nope"); }, 438},
        {"too few", [&] { call(store, "Swap", {Variant(1)}); }, 450},
        {"too many", [&] { getProperty(store, "Count", {Variant(1)}); }, 450},
        {"let on read-only", [&] { letProperty(store, "Count", Variant(1)); }, 450},
        {"call on Nothing", [&] { call(Variant::nothing(), "Count"); }, 91},
        {"call on a number", [&] { call(Variant(1), "Count"); }, 424},
    };
    for (const Case& c : cases) EXPECT_EQ(errorOf(c.call), c.number) << c.what;
    Error e(438);
    EXPECT_EQ(e.description, "Object doesn't support this property or method");
    EXPECT_STREQ(e.what(), "Object doesn't support this property or method");
}

TEST(LateBound, DefaultMemberTakesSurplusArguments) {
    auto store = makeRef<Store>();
    store->items["a"] = Variant("x");
    // Self("a"): Self takes no arguments, so "a" goes to the default member of its result.
    EXPECT_EQ(toString(getProperty(Variant(store), "Self", {Variant("a")})), "x");
    std::vector<Variant> args{Variant("b"), Variant(7)};
    std::vector<Variant*> slots{&args[0], &args[1]};
    store->invoke("Self", InvokeKind::PropertyLet, slots);   // Self("b") = 7
    EXPECT_EQ(toInt32(store->items["b"]), 7);
}

TEST(LateBound, ByReferenceArgumentsAreTheCallersVariables) {
    const Variant store(makeRef<Store>());
    std::vector<Variant> vars{Variant("left"), Variant(2)};
    std::vector<Variant*> slots{&vars[0], &vars[1]};
    store.object()->invoke("Swap", InvokeKind::Method, slots);
    EXPECT_EQ(toInt32(vars[0]), 2);
    EXPECT_EQ(toString(vars[1]), "left");
    // Omitted arguments arrive as the missing marker and count as absent.
    std::vector<Variant> sum{Variant(1), Variant::missing(), Variant("2.5")};
    std::vector<Variant*> sumSlots{&sum[0], &sum[1], &sum[2]};
    EXPECT_EQ(toDouble(store.object()->invoke("Sum", InvokeKind::Method, sumSlots)), 3.5);
}

TEST(LateBound, RecordSetInSlotZeroComesBackReplaced) {
    const Variant handler(makeRef<Store>());
    auto original = Recordset::create();
    original->appendField("1BSS03", adtype::VarChar, 10);
    original->open();
    Recordset* originalRaw = original.get();
    // The caller's six variables, as the plug-in run builds them.
    std::vector<Variant> vars{Variant(original), Variant::nothing(), Variant("ACME"), Variant("830"),
                              Variant("002000"), Variant("I")};
    original.reset();
    EXPECT_EQ(originalRaw->refCount(), 1);
    std::vector<Variant*> slots;
    for (Variant& v : vars) slots.push_back(&v);
    const Variant result = handler.object()->invoke("ActiveX", InvokeKind::Method, slots);
    EXPECT_TRUE(toBool(result));
    auto* replaced = vars[0].objectAs<Recordset>();
    ASSERT_NE(replaced, nullptr);
    EXPECT_NE(replaced, originalRaw);   // the old one was released with its last reference
    EXPECT_EQ(replaced->recordCount(), 1);
    EXPECT_EQ(toString(getProperty(vars[0], "", {Variant("PartNumber")})), "ACME-830");
    EXPECT_TRUE(vars[1].isNothing());
}

TEST(LateBound, EnumerationOfAnObjectThatIsNoCollection) {
    auto store = makeRef<Store>();
    EXPECT_EQ(errorOf([&] { store->enumerate(); }), 451);
    VectorEnumerator e({Variant(1), Variant(2)});
    Variant v;
    int n = 0;
    while (e.next(v)) n += toInt32(v);
    EXPECT_EQ(n, 3);
}

TEST(LateBound, StandardErrorTexts) {
    const std::pair<int, const char*> cases[] = {
        {5, "Invalid procedure call or argument"},
        {6, "Overflow"},
        {9, "Subscript out of range"},
        {11, "Division by zero"},
        {13, "Type mismatch"},
        {91, "Object variable not set"},
        {94, "Invalid use of Null"},
        {429, "ActiveX component can't create object"},
        {450, "Wrong number of arguments or invalid property assignment"},
        {3021, "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record."},
    };
    for (const auto& [n, text] : cases) EXPECT_EQ(standardErrorText(n), text) << n;
    const Error custom(1001, "", "ActiveX Failed");
    EXPECT_EQ(custom.description, "ActiveX Failed");
}

}  // namespace
