// The map report files and the guideline: the field definitions follow the map, the starter
// report is made once with its title block, and both the starter report and the guideline render
// to PDF that pdftotext reads back.

#include "MapFixture.h"

#include "maps/MapReport.h"
#include "platform/report/Document.h"
#include "platform/report/Engine.h"
#include "platform/report/ReportFile.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>

namespace vt::test {
namespace {

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string pdfText(const std::filesystem::path& pdf) {
    std::array<char, 512> buffer{};
    std::string out;
    const std::string command = "pdftotext -layout '" + pdf.string() + "' - 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    while (pipe && std::fgets(buffer.data(), int(buffer.size()), pipe.get())) out += buffer.data();
    return out;
}

struct MapReports : ::testing::Test {
    MapDb d;
    std::filesystem::path reports = d.folder() / "Reports";
    MapReports() {
        std::filesystem::create_directories(reports);
        d.settings.set("Folders", "Reports", reports.string());
        d.db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction, Description) VALUES "
                  "('ACME', '850', '004010', 'I', 'Purchase Order'), ('ACME', '850', '004010', 'O', 'Purchase Order')");
    }
};

TEST_F(MapReports, FieldDefinitionsFollowTheMapAndTheStarterReportIsMadeOnce) {
    ASSERT_TRUE(maps::CreateMapReport(d.services, k850));
    const std::filesystem::path ttx = reports / "ACME_850_004010_I.ttx", rpt = reports / "ACME_850_004010_I.RPT";
    const std::string defs = readFile(ttx);
    // The record layout's names: REF takes two occurrences, the excluded PO105 none.
    EXPECT_EQ(defs.substr(0, defs.find("\r\n3REF01")),
              "1BEG01\tString\t3\r\n1BEG02\tString\t3\r\n1BEG03\tString\t30\r\n1BEG04\tString\t30\r\n"
              "1BEG05\tDate\t8\r\n2REF01\tString\t3\r\n2REF02\tString\t30");
    EXPECT_EQ(defs.find("7PO105"), std::string::npos);
    EXPECT_NE(defs.find("7PO104\tNumber\t8\r\n7PO106"), std::string::npos) << defs;

    const report::Report starter = report::loadReport(rpt);
    std::vector<std::string> header;
    for (const auto& o : starter.section(1).objects)
        header.push_back(o.kind == report::ObjectKind::Special ? "#" + std::to_string(int(o.special)) : o.text);
    EXPECT_EQ(header, (std::vector<std::string>{"ACME_850_004010", "Inbound", "#5", "#17"}));
    const auto& title = starter.section(1).objects[0];
    EXPECT_EQ(title.font.size, 18);
    EXPECT_TRUE(title.font.bold);
    EXPECT_EQ(title.color, 0x008080u);
    EXPECT_EQ(title.width, 10800);   // across the page between the margins

    // Later calls rewrite only the definitions; the report keeps its bytes.
    const std::string before = readFile(rpt);
    maps::Map shorter = map850();
    shorter.segments.resize(2);
    d.store(shorter);
    ASSERT_TRUE(maps::CreateMapReport(d.services, k850));
    EXPECT_EQ(readFile(rpt), before);
    EXPECT_EQ(readFile(ttx).find("4DTM01"), std::string::npos);
    EXPECT_EQ(d.history(), "");

    // An outbound map's title block says so; a report kept under ".rpt" counts as existing.
    d.store(makeMap({"ACME", "850", "004010", "O"}, {{"BEG", 1, {{}}}}));
    ASSERT_TRUE(maps::CreateMapReport(d.services, {"ACME", "850", "004010", "O"}));
    EXPECT_EQ(report::loadReport(reports / "ACME_850_004010_O.RPT").section(1).objects[1].text, "Outbound");
    std::ofstream(reports / "ACME_810_004010_I.rpt") << "kept";
    ASSERT_TRUE(maps::CreateMapReport(d.services, k810));
    EXPECT_FALSE(std::filesystem::exists(reports / "ACME_810_004010_I.RPT"));
    EXPECT_EQ(readFile(reports / "ACME_810_004010_I.rpt"), "kept");
    EXPECT_TRUE(std::filesystem::exists(reports / "ACME_810_004010_I.ttx"));
}

TEST_F(MapReports, TheStarterReportRendersWithTranslatedData) {
    ASSERT_TRUE(maps::CreateMapReport(d.services, k810));
    auto doc = report::ReportDocument::open(reports / "ACME_810_004010_I.RPT", 1, &d.clock);
    auto record = automation::Recordset::create();
    for (const char* name : {"1BIG01", "1BIG02", "1BIG04", "2IT101", "2IT102"})
        record->appendField(name, automation::adtype::VarChar, 20);
    record->open();
    record->addNew();
    const std::pair<const char*, const char*> values[] = {
        {"1BIG01", "3/10/2024"}, {"1BIG02", "INV-77"}, {"1BIG04", "PO-1"}, {"2IT101", "1"}, {"2IT102", "3"}};
    for (const auto& [name, value] : values) record->setValue(std::string_view(name), automation::Variant(value));
    record->update();
    doc->setDataSource(record);
    const std::filesystem::path pdf = d.folder() / "starter.pdf";
    report::writePdf(*doc, pdf);
    const std::string text = pdfText(pdf);
    for (const char* expected : {"ACME_810_004010", "Inbound", "INV-77", "PO-1", "Page 1 of 1"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

// A long partner name still gives a title that stands whole on one line, above the caption.
TEST_F(MapReports, TheStarterTitleStandsWholeOnItsLine) {
    const maps::MapKey key{"VOZEZIDIDIDE MANUFACTURING COMPANY OF THE NORTH", "850", "004010", "I"};
    d.store(makeMap(key, {{"BEG", 1, {{}, {}, {"AN", 22}}}}));
    ASSERT_TRUE(maps::CreateMapReport(d.services, key));
    auto doc = report::ReportDocument::open(reports / (key.text() + ".RPT"), 1, &d.clock);
    const auto& title = doc->report().section(1).objects[0];
    EXPECT_LT(title.font.size, 18);
    auto record = automation::Recordset::create();
    record->appendField("1BEG03", automation::adtype::VarChar, 22);
    record->open();
    doc->setDataSource(record);
    const std::filesystem::path pdf = d.folder() / "long.pdf";
    report::writePdf(*doc, pdf);
    const std::string text = pdfText(pdf);
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    // The title whole on a line of its own, then the caption.
    const size_t at = text.find(key.partner + "_850_004010");
    ASSERT_NE(at, std::string::npos) << text;
    const size_t end = at + key.partner.size() + 11, caption = text.find("Inbound", end);
    ASSERT_NE(caption, std::string::npos) << text;
    EXPECT_EQ(text.substr(end, caption - end).find_first_not_of(" \n"), std::string::npos) << text;
    EXPECT_NE(text.substr(end, caption - end).find('\n'), std::string::npos) << text;
}

TEST_F(MapReports, TheGuidelineListsBothDirectionsWithoutExcludedElements) {
    maps::Map out = makeMap({"ACME", "850", "004010", "O"},
                            {{"BEG", 1, {{}, {"AN", 30, "", "", true}}}, {"PER", 1, {{}}, "", 1, true}});
    out.segments[0].segmentName = "Beginning Segment for Purchase Order";
    out.segments[0].elements[0].elementName = "Transaction Set Purpose Code";
    out.segments[1].segmentName = "Administrative Communications Contact";
    d.store(out);
    d.db.exec("UPDATE Element SET Exclude = 1 WHERE Direction = 'I' AND Segment <> 'BEG'");

    auto q = maps::GuidelineQuery(d.db, {"ACME", "850", "004010", "O"});
    std::vector<std::string> columns;
    for (int c = 0; c < q.columnCount(); ++c) columns.push_back(q.columnName(c));
    EXPECT_EQ(columns, (std::vector<std::string>{"Partner", "Version", "Transactions", "Description", "Segment",
                                                 "SegmentName", "SegmentIndex", "SegmentUsage", "MaxUsageLoop",
                                                 "SegmentLevel", "Looping", "Node", "ElementName", "ElementIndex",
                                                 "Reference", "ElementUsage", "Type", "Minimum", "Maximum",
                                                 "Exclude"}));
    std::multiset<std::string> rows;
    while (q.step()) rows.insert(q.text(4) + std::to_string(q.int64(13)));
    // The inbound map's BEG (5 elements), the outbound BEG without its excluded element, and the
    // excluded PER's element.
    EXPECT_EQ(rows, (std::multiset<std::string>{"BEG1", "BEG2", "BEG3", "BEG4", "BEG5", "BEG1", "PER1"}));

    auto doc = maps::OpenGuideline(d.services, {"ACME", "850", "004010", "O"});
    ASSERT_TRUE(doc);
    const std::filesystem::path pdf = d.folder() / "guideline.pdf";
    report::writePdf(*doc, pdf);
    const std::string text = pdfText(pdf);
    for (const char* expected : {"Transaction Set Guideline", "ACME", "Purchase Order",
                                 "Transaction Set Purpose Code", "Administrative Communications", "PER", "Page 1 of 1"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

    // No map chosen: the template still opens, with no rows.
    auto empty = maps::OpenGuideline(d.services, {});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->data()->rows.size(), 0u);

    // A broken template of the user's own is reported, not replaced.
    std::ofstream(reports / "Guideline.RPT") << "not a report";
    EXPECT_FALSE(maps::OpenGuideline(d.services, {"ACME", "850", "004010", "O"}));
    EXPECT_EQ(d.boxes().size(), 1u);
}

}  // namespace
}  // namespace vt::test

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
