#include "core/RecordLayout.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

using namespace vt::automation;
using vt::core::OpenRecordsetFromLayout;

class RecordLayout : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& content) {
        const auto file = t.folder() / "ACME_830_002000_I.ADO";
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }
    // "name type size precision scale" of every field.
    static std::string shape(const Recordset& rs) {
        std::string out;
        for (std::size_t i = 0; i < rs.fieldCount(); ++i) {
            const FieldDef& f = rs.fieldDef(i);
            if (!out.empty()) out += " | ";
            out += f.name + " " + std::to_string(f.type) + " " + std::to_string(f.definedSize) + " " +
                   std::to_string(f.precision) + " " + std::to_string(f.numericScale);
        }
        return out;
    }

    vt::test::ScratchDatabase t;
};

TEST_F(RecordLayout, ReadsFieldsUpToTheFirstEmptyLine) {
    struct Case {
        const char* content;
        const char* shape;
    };
    const Case cases[] = {
        {"1BSS03\t200\t35\r\n2AMT02\t131\t12\t2\r\n3DTM02\t7\t8\r\n4DTM03\t134\t4\r\n5QTY02\t4\t15\r\n\r\n",
         "1BSS03 200 35 0 0 | 2AMT02 131 12 12 2 | 3DTM02 7 8 0 0 | 4DTM03 134 4 0 0 | 5QTY02 4 15 0 0"},
        // A third line that is empty ends the layout, whatever follows.
        {"A\t200\t2\r\nB\t200\t3\r\n\r\nnot a field\r\nC\t200\t4\r\n", "A 200 2 0 0 | B 200 3 0 0"},
        // The Integrator's writer: decimals with precision and scale.
        {"PO\t200\t20\r\nAmount\t14\t10\t2\r\n\r\n", "PO 200 20 0 0 | Amount 14 10 10 2"},
        // No closing empty line, no final line end.
        {"A\t3\t4", "A 3 4 0 0"},
    };
    for (const Case& c : cases) {
        const auto rs = OpenRecordsetFromLayout(t.services, write(c.content));
        ASSERT_TRUE(rs) << c.content;
        EXPECT_EQ(shape(*rs), c.shape);
        EXPECT_TRUE(rs->isOpen());
        EXPECT_EQ(rs->recordCount(), 0);
        EXPECT_EQ(rs->cursorType, 1);
        EXPECT_EQ(rs->lockType, 3);
    }
    EXPECT_TRUE(t.ui.history.empty());
}

TEST_F(RecordLayout, TheRecordSetTakesRecords) {
    const auto rs = OpenRecordsetFromLayout(t.services, write("1BSS03\t200\t5\r\n2AMT02\t131\t5\t2\r\n\r\n"));
    ASSERT_TRUE(rs);
    rs->addNew();
    rs->setValue("1bss03", Variant("ABCDE"));
    rs->setValue("2AMT02", Variant("123.456"));
    rs->update();
    EXPECT_EQ(toString(rs->value("2AMT02")), "123.46");
    EXPECT_THROW(rs->setValue("1BSS03", Variant("ABCDEF")), Error);
    EXPECT_THROW(rs->setValue("2AMT02", Variant("1234")), Error);   // 4 digits before the point, 3 allowed
}

TEST_F(RecordLayout, RefusalsAreReportedAndGiveNoRecordSet) {
    struct Case {
        const char* what;
        const char* content;   // nullptr: no file at all
        const char* history;
    };
    const Case cases[] = {
        {"name-only line", "1BSS03\t200\t35\r\nXX01\r\n\r\n", "9 Subscript out of range"},
        {"duplicate name", "A\t200\t2\r\na\t200\t2\r\n", "3367 Object is already in collection. Cannot append."},
        {"131 without scale", "A\t131\t12\r\n\r\n", "9 Subscript out of range"},
        {"empty file", "", "62 Input past end of file"},
        {"missing file", nullptr, "53 File not found"},
        {"type not a number", "A\tID\t2\r\n", "13 Type mismatch"},
        {"empty size", "A\t200\t\r\n", "13 Type mismatch"},
        {"precision beyond a byte", "A\t131\t300\t2\r\n", "6 Overflow"},
        {"unsupported type", "A\t9\t4\r\n",
         "3001 Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another."},
        {"no fields", "\r\n",
         "3709 The connection cannot be used to perform this operation. It is either closed or invalid in this context."},
    };
    for (const Case& c : cases) {
        const auto file = c.content ? write(c.content) : t.folder() / "Missing.ADO";
        t.ui.history.clear();
        EXPECT_FALSE(OpenRecordsetFromLayout(t.services, file)) << c.what;
        ASSERT_EQ(t.ui.history.size(), 1u) << c.what;
        EXPECT_EQ(t.ui.history.back().type, "Error") << c.what;
        EXPECT_EQ(t.ui.history.back().description, c.history) << c.what;
    }
}

}  // namespace
