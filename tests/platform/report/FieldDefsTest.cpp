#include "Fixture.h"
#include "platform/db/Database.h"
#include "platform/report/Document.h"
#include "platform/report/Export.h"
#include "platform/report/FieldDefs.h"
#include "platform/report/ReportFile.h"

#include <gtest/gtest.h>

namespace vt::report::test {
namespace {

const RunInfo kRun{{2024, 5, 6, 14, 30, 0}, {2024, 5, 6, 9, 5, 7}};

// The fields a map gives: text, date, time, single and numeric.
automation::Ref<automation::Recordset> mapFields() {
    auto rs = automation::Recordset::create();
    rs->appendField("1ST01", adtype::VarChar, 3, 4);
    rs->appendField("2BSS03", adtype::Date, 8, 4);
    rs->appendField("2BSS04", adtype::DBTime, 8, 4);
    rs->appendField("3N104", adtype::Single, 9, 4);
    rs->appendField("4QTY02", adtype::Numeric, 15, 4);
    return rs;
}

TEST(FieldDefs, WrittenFromARecordSetAndReadBack) {
    TempDir dir;
    auto rs = mapFields();
    createFieldDefFile(*rs, dir / "A.ttx", true);
    EXPECT_EQ(readFile(dir / "A.ttx"),
              "1ST01\tString\t3\r\n2BSS03\tDate\t8\r\n2BSS04\tTime\t8\r\n3N104\tNumber\t4\r\n4QTY02\tNumber\t8\r\n");
    const auto cols = readFieldDefFile(dir / "A.ttx");
    ASSERT_EQ(cols.size(), 5u);
    EXPECT_EQ(cols[0].name, "1ST01");
    EXPECT_EQ(cols[0].type, adtype::VarChar);
    EXPECT_EQ(cols[0].size, 3);
    EXPECT_EQ(cols[2].type, adtype::DBTime);
    EXPECT_EQ(cols[4].type, adtype::Double);
    EXPECT_THROW(createFieldDefFile(*rs, dir / "A.ttx", false), ReportError);

    struct { std::string text, message; } bad[] = {
        {"A\tString\r\nB\tWhat\t3\r\n", "line 1: a field needs a name, a type and a size"},
        {"A\tString\t3\r\nB\tWhat\t3\r\n", "line 2: unknown field type \"What\""},
        {"A\tString\tx\r\n", "line 1: the size \"x\""},
        {"\tString\t3\r\n", "line 1: a field needs a name"},
        {"A\tString\t3\r\n" + std::string(256, 'n') + "\tString\t3\r\n",
         "line 2: A field name must be at most 255 characters long, not 256"},
    };
    for (auto& b : bad) {
        writeFileAtomic(dir / "B.ttx", b.text);
        try {
            readFieldDefFile(dir / "B.ttx");
            ADD_FAILURE() << b.text;
        } catch (const ReportError& e) {
            EXPECT_NE(std::string(e.what()).find(b.message), std::string::npos) << e.what();
        }
    }
}

TEST(FieldDefs, StarterReportTakesATitleBlockAndBindsTheRecord) {
    TempDir dir;
    auto rs = mapFields();
    createFieldDefFile(*rs, dir / "ACME_850_004010_I.ttx", true);
    createReportOnRuntimeDS(*rs, dir / "ACME_850_004010_I.rpt", dir / "ACME_850_004010_I.ttx", true, false);
    EXPECT_THROW(createReportOnRuntimeDS(*rs, dir / "ACME_850_004010_I.rpt", dir / "ACME_850_004010_I.ttx", false, false),
                 ReportError);
    EXPECT_THROW(createReportOnRuntimeDS(*rs, dir / "X.rpt", dir / "ACME_850_004010_I.ttx", true, true), ReportError);

    // The map designer's steps: open from a copy, add the title block to section 1, save.
    auto doc = ReportDocument::open(dir / "ACME_850_004010_I.rpt", 1, &fixedClock());
    Report& r = doc->report();
    EXPECT_EQ(r.dataDefinition, "ACME_850_004010_I.ttx");
    auto& title = r.addTextObject(1, "ACME_850_004010", 0, 0);
    title.font.size = 18;
    title.font.bold = true;
    title.color = 0x008080;
    title.height = 400;
    title.width = 8500;
    auto& dir2 = r.addTextObject(1, "Inbound", 0, 400);
    dir2.borderStyle = 1;
    dir2.borderColor = 0x800010;
    r.addSpecialField(1, 5, 0, 900);
    r.addSpecialField(1, 17, 2000, 900);
    doc->save(dir / "ACME_850_004010_I.rpt", 2048);
    // Opened under the upper-case name the main window uses.
    auto again = ReportDocument::open(dir / "ACME_850_004010_I.RPT", 1, &fixedClock());
    EXPECT_EQ(again->report(), r);
    again->save(dir / "ACME_850_004010_I.RPT");   // the same file, whichever case is asked for
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);   // .rpt and .ttx

    rs->open();
    rs->addNew();
    rs->setValue("1ST01", automation::Variant("850"));
    rs->setValue("3N104", automation::Variant(2.5));
    rs->update();
    again->setDataSource(rs);
    ExportOptions o;
    o.formatType = format::Text;
    const std::string text = exportBytes(again->report(), again->data(), again->runInfo(), o);
    EXPECT_NE(text.find("ACME_850_004010"), std::string::npos);
    EXPECT_NE(text.find("Inbound"), std::string::npos);
    EXPECT_NE(text.find("1ST01"), std::string::npos);
    EXPECT_NE(text.find("850"), std::string::npos);
    EXPECT_NE(text.find("2.5"), std::string::npos);
    EXPECT_EQ(text.find('?'), std::string::npos) << text;   // every field bound

    // A refresh takes the record set's rows again; until then the snapshot stands.
    rs->addNew();
    rs->setValue("1ST01", automation::Variant("856"));
    rs->update();
    EXPECT_EQ(again->data()->rows.size(), 1u);
    again->refresh();
    EXPECT_EQ(again->data()->rows.size(), 2u);
}

TEST(FieldDefs, StarterColumnsWrapToTheNextLineWhenThePageIsFull) {
    std::vector<Column> cols;
    for (int i = 0; i < 12; ++i) cols.push_back({"F" + std::to_string(i), adtype::VarChar, 20});
    const Report r = starterReport(cols, "Wide");
    const auto& details = r.section(SectionKind::Details);
    ASSERT_EQ(details.objects.size(), 12u);
    const int content = r.page.width - r.page.marginLeft - r.page.marginRight;
    for (auto& o : details.objects) EXPECT_LE(o.left + o.width, content) << o.field;
    EXPECT_GT(details.objects.back().top, 0);
    EXPECT_GE(details.height, details.objects.back().top + details.objects.back().height);
}

TEST(FieldDefs, AReportRunsOverADatabaseQuery) {
    TempDir dir;
    db::Database database;
    database.open(dir / "q.db", "key", true);
    database.exec("CREATE TABLE Element (Segment TEXT, ElementIndex INTEGER, Maximum REAL, Note TEXT);"
                  "INSERT INTO Element VALUES ('N1', 2, 60, NULL), ('BSS', 1, 2.5, 'x');");
    auto q = database.prepare("SELECT Segment, ElementIndex, Maximum, Note FROM Element");
    Report r;
    r.sorts.push_back({"Segment", false});
    for (auto [name, left] : {std::pair{"Segment", 0}, {"ElementIndex", 1500}, {"Maximum", 3000}, {"Note", 4500}})
        r.addFieldObject(3, name, left, 0);
    ReportDocument doc(r, &fixedClock());
    doc.setDataSource(q);
    ASSERT_EQ(doc.data()->rows.size(), 2u);
    EXPECT_EQ(doc.data()->columns[1].type, adtype::Integer);
    ExportOptions o;
    o.formatType = format::CSV;
    EXPECT_EQ(exportBytes(doc.report(), doc.data(), doc.runInfo(), o),
              "Segment,ElementIndex,Maximum,Note\r\nBSS,1,2.5,x\r\nN1,2,60,\r\n");
}

}  // namespace
}  // namespace vt::report::test
