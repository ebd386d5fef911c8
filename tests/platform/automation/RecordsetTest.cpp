#include "platform/automation/Recordset.h"
#include "platform/text/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace vt::automation;

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number;
    }
    return 0;
}

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        rs = Recordset::create();
        rs->appendField("Name", adtype::VarChar, 10);
        rs->appendField("Qty", adtype::Integer);
        rs->appendField("Amount", adtype::Numeric, 9);
        rs->setPrecision(2, 9);
        rs->setNumericScale(2, 2);
        rs->appendField("When", adtype::Date, 8);
        rs->appendField("Time", adtype::DBTime, 4);
        rs->appendField("Flag", adtype::Boolean);
        rs->appendField("Price", adtype::Single);
        rs->open();
    }

    void add(const std::string& name, int qty) {
        rs->addNew();
        rs->setValue("Name", Variant(name));
        rs->setValue("Qty", Variant(qty));
        rs->update();
    }

    // "name/qty" of every visible record from the first; leaves the record set at EOF.
    std::string rows() {
        std::string out;
        if (rs->recordCount() == 0) return out;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
            if (!out.empty()) out += ' ';
            out += toText(rs->value("Name")) + "/" + toText(rs->value("Qty"));
        }
        return out;
    }

    Ref<Recordset> rs;
};

TEST_F(RecordsetTest, EmptyRecordSet) {
    EXPECT_TRUE(rs->bof());
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_EQ(errorOf([&] { rs->moveFirst(); }), 3021);
    EXPECT_EQ(errorOf([&] { rs->moveLast(); }), 3021);
    EXPECT_EQ(errorOf([&] { rs->moveNext(); }), 3021);
    EXPECT_EQ(errorOf([&] { rs->movePrevious(); }), 3021);
    EXPECT_EQ(errorOf([&] { rs->value(0); }), 3021);
    EXPECT_EQ(errorOf([&] { rs->setValue(0, Variant("x")); }), 3021);
    EXPECT_EQ(errorOf([&] { rs->deleteCurrent(); }), 3021);
}

TEST_F(RecordsetTest, AddNewStartsWithNullsAndMovesWalkTheRecords) {
    rs->addNew();
    EXPECT_EQ(rs->editMode(), Recordset::EditAdd);
    for (std::size_t f = 0; f < rs->fieldCount(); ++f) EXPECT_TRUE(rs->value(f).isNull()) << f;
    rs->setValue("Name", Variant("a"));
    rs->update();
    EXPECT_EQ(rs->editMode(), Recordset::EditNone);
    add("b", 2);
    add("c", 3);
    EXPECT_EQ(rs->recordCount(), 3);
    rs->moveFirst();
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->absolutePosition(), 1);
    rs->movePrevious();
    EXPECT_TRUE(rs->bof());
    EXPECT_FALSE(rs->eof());
    EXPECT_EQ(errorOf([&] { rs->movePrevious(); }), 3021);
    rs->moveNext();   // from BOF to the first record
    EXPECT_EQ(toText(rs->value("Name")), "a");
    rs->moveLast();
    EXPECT_EQ(toText(rs->value("name")), "c");
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->absolutePosition(), -3);
    EXPECT_EQ(errorOf([&] { rs->moveNext(); }), 3021);
    rs->movePrevious();   // from EOF to the last record
    EXPECT_EQ(toText(rs->value("Name")), "c");
    EXPECT_EQ(rows(), "a/ b/2 c/3");
}

TEST_F(RecordsetTest, MovesStoreAPendingEdit) {
    add("a", 1);
    rs->addNew();
    rs->setValue("Name", Variant("b"));
    rs->moveFirst();   // stores the new record
    EXPECT_EQ(rs->editMode(), Recordset::EditNone);
    EXPECT_EQ(rs->recordCount(), 2);
    rs->setValue("Qty", Variant(5));
    EXPECT_EQ(rs->editMode(), Recordset::EditInProgress);
    EXPECT_EQ(toInt32(rs->value("Qty")), 5);
    rs->moveNext();
    rs->movePrevious();
    EXPECT_EQ(toInt32(rs->value("Qty")), 5);
    // AddNew during an edit stores the edit first.
    rs->setValue("Qty", Variant(6));
    rs->addNew();
    rs->cancelUpdate();
    EXPECT_EQ(rows(), "a/6 b/");
}

TEST_F(RecordsetTest, CancelUpdateDropsTheEditOrTheNewRecord) {
    add("a", 1);
    add("b", 2);
    rs->moveFirst();
    rs->setValue("Qty", Variant(9));
    rs->cancelUpdate();
    EXPECT_EQ(toInt32(rs->value("Qty")), 1);
    rs->addNew();
    EXPECT_EQ(rs->recordCount(), 3);
    rs->cancelUpdate();
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(toText(rs->value("Name")), "a");   // the record current before AddNew
    rs->cancelUpdate();                           // nothing pending: nothing happens
    EXPECT_EQ(rows(), "a/1 b/2");
}

TEST_F(RecordsetTest, DeleteWhileScanning) {
    for (int i = 1; i <= 6; ++i) add("r" + std::to_string(i), i);
    rs->moveFirst();
    while (!rs->eof()) {
        if (toInt32(rs->value("Qty")) % 2 == 0) {
            rs->deleteCurrent();
            // A deleted record stays current but refuses its values (the cursor's deleted-row error).
            EXPECT_EQ(errorOf([&] { rs->value("Qty"); }), -2147217885);
            EXPECT_EQ(errorOf([&] { rs->setValue("Qty", Variant(1)); }), -2147217885);
            EXPECT_EQ(errorOf([&] { rs->deleteCurrent(); }), -2147217885);
        }
        rs->moveNext();
    }
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rows(), "r1/1 r3/3 r5/5");
    // Deleting every record: BOF and EOF stay False until the next move.
    rs->moveFirst();
    while (!rs->eof()) {
        rs->deleteCurrent();
        if (rs->recordCount() == 0) {
            EXPECT_FALSE(rs->bof());
            EXPECT_FALSE(rs->eof());
        }
        rs->moveNext();
    }
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_TRUE(rs->bof());
    EXPECT_TRUE(rs->eof());
}

TEST_F(RecordsetTest, MovesAndPositionsAfterManyDeletions) {
    for (int i = 1; i <= 200; ++i) add("r" + std::to_string(i), i);
    // From the front, as a matching walk does it, then from the back.
    for (int i = 0; i < 150; ++i) {
        rs->moveFirst();
        rs->deleteCurrent();
    }
    for (int i = 0; i < 20; ++i) {
        rs->moveLast();
        rs->deleteCurrent();
    }
    EXPECT_EQ(rs->recordCount(), 30);
    rs->moveFirst();
    EXPECT_EQ(toInt32(rs->value("Qty")), 151);
    EXPECT_EQ(rs->absolutePosition(), 1);
    rs->moveLast();
    EXPECT_EQ(toInt32(rs->value("Qty")), 180);
    EXPECT_EQ(rs->absolutePosition(), 30);
    rs->moveFirst();
    rs->moveNext();
    rs->moveNext();
    rs->deleteCurrent();   // 153
    rs->moveNext();
    EXPECT_EQ(toInt32(rs->value("Qty")), 154);
    EXPECT_EQ(rs->absolutePosition(), 3);
    rs->addNew();
    rs->cancelUpdate();
    EXPECT_EQ(toInt32(rs->value("Qty")), 154);
    rs->addNew();
    rs->setValue("Qty", Variant(999));
    rs->moveFirst();
    rs->moveLast();
    EXPECT_EQ(toInt32(rs->value("Qty")), 999);
    EXPECT_EQ(rs->absolutePosition(), 30);
}

TEST(RecordsetFilter, ExactNumbersCompareBeyondDoublePrecision) {
    auto rs = Recordset::create();
    rs->appendField("Big", adtype::Numeric, 20);
    rs->setPrecision(0, 20);
    rs->setNumericScale(0, 2);
    rs->appendField("Cash", adtype::Currency);
    rs->open();
    for (const char* v : {"123456789012345678.91", "123456789012345678.9"}) {
        rs->addNew();
        rs->setValue("Big", Variant(v));
    }
    for (const char* v : {"922337203685477.5807", "922337203685477.5806"}) {
        rs->addNew();
        rs->setValue("Cash", Variant(v));
    }
    rs->update();
    const std::pair<const char*, int> cases[] = {
        {"Big = 123456789012345678.91", 1},
        {"Big > 123456789012345678.9", 1},
        {"Big >= '123456789012345678.9'", 2},
        {"Cash = 922337203685477.5807", 1},
        {"Cash < 922337203685477.5807", 1},
    };
    for (const auto& [criteria, count] : cases) {
        rs->setFilter(criteria);
        EXPECT_EQ(rs->recordCount(), count) << criteria;
    }
}

TEST_F(RecordsetTest, Filter) {
    add("a", 1);
    add("b", 2);
    add("O'Brien", 3);
    add("ab", 4);
    add("e", 5);
    rs->moveFirst();
    rs->setValue("Amount", Variant(1.5));
    rs->setValue("When", Variant("3/7/2025"));
    rs->moveNext();
    rs->setValue("When", Variant("3/1/2025"));
    rs->update();
    struct Case {
        const char* criteria;
        const char* rows;
    };
    const Case cases[] = {
        {"Qty > 2", "O'Brien/3 ab/4 e/5"},
        {"Name = 'b'", "b/2"},
        {"name = 'B'", "b/2"},
        {"Name <> 'b'", "a/1 O'Brien/3 ab/4 e/5"},
        {"Name LIKE 'a*'", "a/1 ab/4"},
        {"Name LIKE '%b'", "b/2 ab/4"},
        {"Qty >= 2 AND Qty < 5", "b/2 O'Brien/3 ab/4"},
        {"Qty = 1 OR Name = 'e'", "a/1 e/5"},
        {"(Qty = 1 OR Qty = 2) AND Name <> 'a'", "b/2"},
        {"When > #3/5/2025#", "a/1"},
        {"When >= '3/1/2025'", "a/1 b/2"},
        {"Name = 'O''Brien'", "O'Brien/3"},
        {"[Name] = 'e'", "e/5"},
        {"Amount = 1.5", "a/1"},
        {"When = Null", "O'Brien/3 ab/4 e/5"},
        {"Qty <= 0", ""},
        {"", "a/1 b/2 O'Brien/3 ab/4 e/5"},
    };
    for (const Case& c : cases) {
        rs->setFilter(c.criteria);
        EXPECT_EQ(rows(), c.rows) << c.criteria;
        EXPECT_EQ(rs->recordCount(), std::count(c.rows, c.rows + std::strlen(c.rows), '/')) << c.criteria;
    }
    rs->setFilter("Qty > 3");
    rs->moveFirst();
    EXPECT_EQ(toText(rs->value("Name")), "ab");   // the first visible record is current
    const std::pair<const char*, int> refused[] = {
        {"Name = 'x", 3001},
        {"Name = 'O'Brien'", 3001},   // an apostrophe left in by the caller
        {"Name = x", 3001},
        {"Qty = 'abc'", 3001},
        {"Qty >", 3001},
        {"Qty = 1 AND", 3001},
        {"(Qty = 1", 3001},
        {"Nope = 1", 3265},
    };
    for (const auto& [criteria, number] : refused) {
        EXPECT_EQ(errorOf([&] { rs->setFilter(criteria); }), number) << criteria;
        EXPECT_EQ(rs->filter(), "Qty > 3") << "a refused filter keeps the one in force";
    }
}

TEST_F(RecordsetTest, SortIsStable) {
    add("b", 1);
    add("a", 2);
    add("B", 3);
    add("a", 4);
    rs->addNew();   // Name Null, Qty Null
    rs->update();
    struct Case {
        const char* sort;
        const char* rows;
    };
    const Case cases[] = {
        {"Name", "/ a/2 a/4 B/3 b/1"},
        {"Name ASC", "/ a/2 a/4 B/3 b/1"},
        {"Name DESC", "b/1 B/3 a/2 a/4 /"},
        {"Name, Qty DESC", "/ a/4 a/2 B/3 b/1"},
        {"[Qty] DESC", "a/4 B/3 a/2 b/1 /"},
        {"", "b/1 a/2 B/3 a/4 /"},
    };
    for (const Case& c : cases) {
        rs->setSort(c.sort);
        EXPECT_EQ(rows(), c.rows) << c.sort;
    }
    rs->setSort("Name");
    rs->setFilter("Qty > 1");
    EXPECT_EQ(rows(), "a/2 a/4 B/3");
    EXPECT_EQ(errorOf([&] { rs->setSort("Nope"); }), 3265);
    EXPECT_EQ(errorOf([&] { rs->setSort("Name,"); }), 3001);
}

TEST_F(RecordsetTest, AssignedValuesTakeTheFieldType) {
    struct Case {
        const char* field;
        Variant value;
        std::string expected;   // "<TypeName>:<text>" or "error <n>"
    };
    const Case cases[] = {
        {"Name", Variant("abcdefghij"), "String:abcdefghij"},
        {"Name", Variant("abcdefghijk"), "error -2147217887"},
        {"Name", Variant(12.5), "String:12.5"},
        {"Name", Variant(true), "String:True"},
        {"Qty", Variant("12"), "Long:12"},
        {"Qty", Variant(" 7 "), "Long:7"},
        {"Qty", Variant("x"), "error -2147217887"},
        {"Qty", Variant(""), "error -2147217887"},
        {"Qty", Variant(3e9), "error -2147217887"},
        {"Amount", Variant("12.345"), "Decimal:12.34"},
        {"Amount", Variant("12.355"), "Decimal:12.36"},
        {"Amount", Variant("1234567.5"), "Decimal:1234567.5"},
        {"Amount", Variant("12345678"), "error -2147217887"},
        {"Amount", Variant("0"), "Decimal:0"},
        {"When", Variant("03/07/2025"), "Date:3/7/2025"},
        {"When", Variant(""), "error -2147217887"},
        {"When", Variant("X"), "error -2147217887"},
        {"Time", Variant("1405"), "Date:2:05:00 PM"},
        {"Time", Variant("140509"), "Date:2:05:09 PM"},
        {"Time", Variant("14:05"), "Date:2:05:00 PM"},
        {"Time", Variant("2460"), "error -2147217887"},
        {"Flag", Variant("True"), "Boolean:True"},
        {"Flag", Variant("maybe"), "error -2147217887"},
        {"Price", Variant("1.5"), "Single:1.5"},
        {"Price", Variant::null(), "Null:"},
        {"Price", Variant(), "Null:"},
    };
    rs->addNew();
    for (const Case& c : cases) {
        std::string got;
        try {
            rs->setValue(c.field, c.value);
            const Variant v = rs->value(c.field);
            got = typeName(v) + ":" + toText(v);
        } catch (const Error& e) {
            got = "error " + std::to_string(e.number);
            if (e.number == -2147217887) {
                EXPECT_EQ(e.description, "Multiple-step operation generated errors. Check each status value.");
                EXPECT_EQ(e.source, "ADODB.Field");
            }
        }
        EXPECT_EQ(got, c.expected) << c.field << " = " << toText(c.value);
    }
}

TEST_F(RecordsetTest, ShapeErrors) {
    EXPECT_EQ(errorOf([&] { rs->appendField("Extra", adtype::VarChar, 5); }), 3219);
    EXPECT_EQ(errorOf([&] { rs->open(); }), 3705);
    auto fresh = Recordset::create();
    EXPECT_EQ(errorOf([&] { fresh->open(); }), 3709);
    fresh->appendField("A", adtype::VarChar, 5);
    EXPECT_EQ(errorOf([&] { fresh->appendField("a", adtype::Integer); }), 3367);
    EXPECT_EQ(errorOf([&] { fresh->appendField("B", 999); }), 3001);
    EXPECT_EQ(errorOf([&] { fresh->appendField("C", adtype::IDispatch); }), 3001);
    EXPECT_EQ(errorOf([&] { fresh->recordCount(); }), 3704);
    EXPECT_EQ(errorOf([&] { rs->value("Nope"); }), 3265);
    rs->close();
    EXPECT_FALSE(rs->isOpen());
    EXPECT_EQ(errorOf([&] { rs->moveFirst(); }), 3704);
    Error e(3265);
    EXPECT_EQ(e.description, "Item cannot be found in the collection corresponding to the requested name or ordinal.");
}

TEST_F(RecordsetTest, EveryLayoutTypeNumberCanBeAppended) {
    const int types[] = {2, 3, 4, 5, 6, 7, 8, 11, 12, 14, 16, 17, 18, 19, 20, 21, 64, 72, 128, 129,
                         130, 131, 133, 134, 135, 139, 200, 201, 202, 203, 204, 205};
    auto all = Recordset::create();
    for (int t : types) all->appendField("F" + std::to_string(t), t, 20);
    all->open();
    all->addNew();
    for (int t : types) {
        const std::string name = "F" + std::to_string(t);
        const bool date = t == 7 || t == 64 || t == 133 || t == 134 || t == 135;
        EXPECT_EQ(errorOf([&] { all->setValue(name, Variant(date ? "1/2/2024 10:00" : "1")); }), 0) << t;
        EXPECT_FALSE(all->value(name).isNull()) << t;
    }
    all->update();
    EXPECT_EQ(all->recordCount(), 1);
}

// ---- Late-bound, as scripts and plug-ins use it ----

Variant invoke(const Variant& target, std::string_view name, InvokeKind kind, std::vector<Variant> args = {}) {
    std::vector<Variant*> slots;
    for (Variant& a : args) slots.push_back(&a);
    return target.object()->invoke(name, kind, slots);
}

TEST_F(RecordsetTest, LateBoundRecordFieldsAndField) {
    const Variant record(rs);
    const auto Get = InvokeKind::PropertyGet | InvokeKind::Method;
    const auto Let = InvokeKind::PropertyLet;
    invoke(record, "AddNew", InvokeKind::Method);
    invoke(record, "", Let, {Variant("Name"), Variant("first")});                 // Record("Name") = "first"
    const Variant fields = invoke(record, "Fields", Get);
    const Variant item = invoke(fields, "Item", Get, {Variant("Qty")});
    invoke(item, "Value", Let, {Variant("41")});                                   // Record.Fields.Item("Qty").Value = "41"
    invoke(fields, "Item", Let, {Variant("Amount"), Variant("2.5")});              // Record.Fields.Item("Amount") = 2.5
    invoke(record, "Fields", Let, {Variant(std::int32_t(3)), Variant("1/2/2024")});  // Record.Fields(3) = ...
    invoke(record, "update", InvokeKind::Method);
    EXPECT_EQ(toText(invoke(record, "", Get, {Variant("NAME")})), "first");
    EXPECT_EQ(toInt32(invoke(item, "", Get)), 41);
    EXPECT_EQ(toText(defaultValue(invoke(fields, "", Get, {Variant("Amount")}))), "2.5");
    EXPECT_EQ(toText(invoke(record, "Fields", Get, {Variant(std::int32_t(3))})), "1/2/2024");
    EXPECT_EQ(toInt32(invoke(record, "RecordCount", Get)), 1);
    EXPECT_FALSE(toBool(invoke(record, "EOF", Get)));
    EXPECT_EQ(toInt32(invoke(fields, "Count", Get)), 7);
    EXPECT_EQ(toInt32(invoke(item, "Type", Get)), 3);
    const Variant amount = invoke(fields, "Item", Get, {Variant("Amount")});
    EXPECT_EQ(toInt32(invoke(amount, "Precision", Get)), 9);
    EXPECT_EQ(toInt32(invoke(amount, "NumericScale", Get)), 2);
    EXPECT_EQ(toText(invoke(amount, "Name", Get)), "Amount");
    EXPECT_EQ(toInt32(invoke(invoke(fields, "Item", Get, {Variant("Name")}), "DefinedSize", Get)), 10);

    try {
        invoke(record, "", Get, {Variant("Missing")});
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, 3265);
        EXPECT_EQ(e.source, "ADODB.Fields");
    }
    EXPECT_EQ(errorOf([&] { invoke(fields, "Append", InvokeKind::Method, {Variant("X"), Variant(200), Variant(5)}); }), 3219);

    std::string names;
    auto e = fields.object()->enumerate();
    for (Variant f; e->next(f);) names += toText(invoke(f, "Name", Get)) + ",";
    EXPECT_EQ(names, "Name,Qty,Amount,When,Time,Flag,Price,");

    invoke(record, "Filter", Let, {Variant("Qty = 40")});
    EXPECT_EQ(toInt32(invoke(record, "RecordCount", Get)), 0);
    invoke(record, "Filter", Let, {Variant(std::int32_t(0))});   // adFilterNone
    EXPECT_EQ(toInt32(invoke(record, "RecordCount", Get)), 1);
    invoke(record, "Sort", Let, {Variant("Qty DESC")});
    EXPECT_EQ(toText(invoke(record, "Sort", Get)), "Qty DESC");
    invoke(record, "MoveFirst", InvokeKind::Method);
    invoke(record, "Delete", InvokeKind::Method);
    EXPECT_EQ(toInt32(invoke(record, "RecordCount", Get)), 0);
    EXPECT_EQ(typeName(record), "Recordset");
}

TEST(RecordsetScript, PluginBuildsItsOwnRecordSetLateBound) {
    const Variant rs(Recordset::create());
    const auto Get = InvokeKind::PropertyGet | InvokeKind::Method;
    const Variant fields = invoke(rs, "Fields", Get);
    invoke(fields, "Append", InvokeKind::Method, {Variant("PartNumber"), Variant(200), Variant(30), Variant(4)});
    invoke(fields, "Append", InvokeKind::Method, {Variant("WO_Qty"), Variant(3)});
    invoke(rs, "CursorType", InvokeKind::PropertyLet, {Variant(1)});
    invoke(rs, "LockType", InvokeKind::PropertyLet, {Variant(3)});
    invoke(rs, "Open", InvokeKind::Method);
    EXPECT_EQ(toInt32(invoke(rs, "State", Get)), 1);
    EXPECT_TRUE(toBool(invoke(rs, "BOF", Get)));
    EXPECT_EQ(errorOf([&] { invoke(rs, "Open", InvokeKind::Method, {Variant("SELECT 1")}); }), 3709);
}

}  // namespace
