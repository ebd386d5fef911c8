// General's readers of "Orders.csv" and "Inventory.csv" in the Import folder: columns, quoting,
// the rows they give and the message that names a failing line.

#include "BrackwenFixture.h"

#include "ActiveX/Csv.h"

#include <gtest/gtest.h>

namespace vt::test {
namespace {

using automation::Variant;

struct Readers : ::testing::Test {
    PartnerDb d;
    automation::ObjectRef general = d.create("General");

    // Reads one file; returns the result, the rows as "a|b|c" and the boxes shown.
    struct Read {
        bool ok;
        std::vector<std::string> rows;
        std::vector<std::string> boxes;
    };
    Read read(const char* reader, const char* file, const std::string& text) {
        d.writeImport(file, text);
        d.ui.events.clear();
        const bool ok = automation::toBool(automation::call(Variant(general), reader));
        const Variant rs =
            automation::getProperty(Variant(general), std::string(reader) == "Orders" ? "rsOrders" : "rsInventory");
        return {ok, vt::test::rows(*automation::refCast<automation::Recordset>(rs.objectRef())), d.boxes()};
    }
};

struct ReadCase {
    const char* name;
    const char* reader;
    std::string text;
    std::vector<std::string> rows;
    std::string box;   // "" when the read succeeds
};

TEST_F(Readers, ReadEveryLineOrNameTheLineThatFails) {
    const ReadCase cases[] = {
        {"orders, CR LF lines, extra columns ignored", "Orders",
         "P-100,WO-1,25,12/15/2026,R3,extra\r\nP-100,WO-2,5,1/4/2027,R3\r\n",
         {"P-100|WO-1|25|12/15/2026|R3", "P-100|WO-2|5|1/4/2027|R3"}, ""},
        {"orders: quoted columns keep their commas", "Orders", "\"P-1,A\",\"WO-9\",\"1,250\",12/15/2026,R1\n",
         {"P-1,A|WO-9|1250|12/15/2026|R1"}, ""},
        {"orders: an empty text column stays empty", "Orders", "P-100,,3,12/15/2026,\n", {"P-100||3|12/15/2026|"}, ""},
        {"orders: values never keep a quote", "Orders", "P-1,\"WO\"\"9\",1,12/15/2026,R\"2\n",
         {"P-1|WO9|1|12/15/2026|R2"}, ""},
        {"inventory: a quote inside an unquoted description stays", "Inventory", "P-7,PIPE 3\" LONG,4,1\n",
         {"P-7|PIPE 3\" LONG|4|1"}, ""},
        {"inventory: a doubled quote becomes a dash, quoted commas stay", "Inventory",
         "P-100,\"PIPE 3\"\" LONG, STEEL\",40,12\nP-200,BOLT,0,0",
         {"P-100|PIPE 3- LONG, STEEL|40|12", "P-200|BOLT|0|0"}, ""},
        {"orders: a quantity that is no number", "Orders", "P-100,WO-1,25,12/15/2026,R3\nP-200,WO-2,lots,12/15/2026,R1\n",
         {"P-100|WO-1|25|12/15/2026|R3"},
         "box 16 Brackwen: Error: Type mismatch: WO_Qty is not a number\r\nLine: 2\r\nImport: "
         "P-200,WO-2,lots,12/15/2026,R1"},
        {"orders: a missing date column", "Orders", "P-100,WO-1,25\n", {},
         "box 16 Brackwen: Error: Type mismatch: WO_Date is not a date\r\nLine: 1\r\nImport: P-100,WO-1,25"},
        {"orders: text longer than its field is refused", "Orders", "P-100,WO-1234567890123,25,12/15/2026,R3\n", {},
         "box 16 Brackwen: Error: WO_ID holds more than 15 characters\r\nLine: 1\r\nImport: "
         "P-100,WO-1234567890123,25,12/15/2026,R3"},
        {"inventory: a quote that is never closed", "Inventory", "P-100,\"PIPE, 40,12\n", {},
         "box 16 Brackwen: Error: Column 2 opens a quote that is never closed\r\nLine: 1\r\nImport: P-100,\"PIPE, 40,12"},
        {"inventory: a lone quote column", "Inventory", "P-100,\",40,12\n", {},
         "box 16 Brackwen: Error: Column 2 opens a quote that is never closed\r\nLine: 1\r\nImport: P-100,\",40,12"},
        {"inventory: a description of 101 characters", "Inventory", "P-100," + std::string(101, 'D') + ",1,2\n", {},
         "box 16 Brackwen: Error: Description holds more than 100 characters\r\nLine: 1\r\nImport: P-100," +
             std::string(101, 'D') + ",1,2"},
        {"an empty file gives no rows", "Inventory", "", {}, ""},
    };
    for (const ReadCase& c : cases) {
        const Read r = read(c.reader, std::string(c.reader) == "Orders" ? "Orders.csv" : "Inventory.csv", c.text);
        EXPECT_EQ(r.ok, c.box.empty()) << c.name;
        EXPECT_EQ(r.rows, c.rows) << c.name;
        EXPECT_EQ(r.boxes, c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box}) << c.name;
    }
}

TEST_F(Readers, AMissingFileAndAMissingImportSetting) {
    std::filesystem::remove(d.import / "Orders.csv");
    EXPECT_FALSE(automation::toBool(automation::call(Variant(general), "Orders")));
    EXPECT_EQ(d.boxes(), std::vector<std::string>{"box 16 Brackwen: Error: File not found\r\nLine: \r\nImport: "});

    // Without the setting the library's own folder is looked in.
    d.settings.remove("Folders", "Import");
    const auto own = std::filesystem::path(VT_BRACKWEN_FOLDER) / "Inventory.csv";
    std::ofstream(own, std::ios::binary) << "P-9,OWN FOLDER,1,2\n";
    EXPECT_TRUE(automation::toBool(automation::call(Variant(general), "Inventory")));
    std::filesystem::remove(own);
    const Variant rs = automation::getProperty(Variant(general), "rsInventory");
    EXPECT_EQ(rows(*automation::refCast<automation::Recordset>(rs.objectRef())),
              std::vector<std::string>{"P-9|OWN FOLDER|1|2"});
}

TEST(CsvLine, FieldsAsRfc4180ReadsThem) {
    const std::pair<std::string, std::string> cases[] = {
        {"a,b,c", "a|b|c|"},
        {",a,", "|a||"},
        {"", "|"},
        {"\"x,y\",z", "x,y|z|"},
        {"\"say \"\"hi\"\"\"", "say \"hi\"|"},
        {"\"\"", "|"},
        {"a,\"b", "error: Column 2 opens a quote that is never closed"},
        {"\"a\"b", "error: Column 1 has text after its closing quote"},
        {"a\"b,c", "a\"b|c|"},
    };
    for (const auto& [line, expected] : cases) {
        const brackwen::CsvLine r = brackwen::splitCsvLine(line);
        std::string got;
        if (r.error) got = "error: " + *r.error;
        else
            for (const auto& f : r.fields) got += f + "|";
        EXPECT_EQ(got, expected) << line;
    }
    EXPECT_EQ(brackwen::textLines("a\r\nb\nc\rd").size(), 4u);
    EXPECT_EQ(brackwen::textLines("a\r\n\r\n").size(), 2u);
}

}  // namespace
}  // namespace vt::test
