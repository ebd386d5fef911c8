#include "Fixture.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/report/ObjectModel.h"
#include "platform/report/ReportFile.h"


#include <gtest/gtest.h>

namespace vt::report::test {
namespace {

using namespace vt::automation;

std::int32_t errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const automation::Error& e) {
        return e.number;
    }
    return 0;
}

TEST(ObjectModel, ScriptsOpenEditBindExportAndSaveReports) {
    TempDir dir;
    saveReport(sampleReport(), dir / "S.RPT");
    registerReportClasses();
    Variant appObj(ClassRegistry::instance().create("Report.Application"));
    Variant rpt = call(appObj, "OpenReport", {Variant((dir / "S.RPT").string()), Variant(std::int16_t(1))});
    ASSERT_NE(documentOf(rpt), nullptr);

    // The map designer's title block, as a script writes it.
    Variant section = getProperty(getProperty(rpt, "Sections"), "Item", {Variant(std::int32_t(1))});
    Variant title = call(section, "AddTextObject", {Variant("ACME_850_004010"), Variant(0), Variant(0)});
    letProperty(getProperty(title, "Font"), "Size", Variant(18));
    letProperty(getProperty(title, "Font"), "Bold", Variant(true));
    letProperty(title, "TextColor", Variant(std::int32_t(0x808000)));
    letProperty(title, "Height", Variant(400));
    letProperty(title, "Width", Variant(8500));
    Variant caption = call(section, "AddTextObject", {Variant("Inbound"), Variant(0), Variant(400)});
    letProperty(caption, "BorderStyle", Variant(1));
    letProperty(caption, "BorderColor", Variant(std::int32_t(0x100080)));
    call(section, "AddSpecialField", {Variant(5), Variant(0), Variant(900)});
    call(section, "AddSpecialField", {Variant(17), Variant(2000), Variant(900)});
    EXPECT_EQ(errorNumber([&] { call(section, "AddSpecialField", {Variant(99), Variant(0), Variant(0)}); }),
              kReportEngineError);
    // Names, texts and pictures past what a template holds.
    const std::string longName(kMaxNameLength + 1, 'n'), longText(kMaxTextLength + 1, 't');
    EXPECT_EQ(errorNumber([&] { call(section, "AddFieldObject", {Variant(longName), Variant(0), Variant(0)}); }),
              kReportEngineError);
    EXPECT_EQ(errorNumber([&] { letProperty(caption, "Text", Variant(longText)); }), 5);
    EXPECT_EQ(errorNumber([&] { letProperty(caption, "Name", Variant(longName)); }), 5);
    EXPECT_EQ(errorNumber([&] { letProperty(caption, "Format", Variant(longName)); }), 5);
    EXPECT_EQ(errorNumber([&] { letProperty(getProperty(caption, "Font"), "Name", Variant(longName)); }), 5);
    EXPECT_EQ(errorNumber([&] { letProperty(rpt, "ReportTitle", Variant(longText)); }), 5);
    call(rpt, "SaveAs", {Variant((dir / "S.RPT").string()), Variant(2048)});

    const Report saved = loadReport(dir / "S.RPT");
    const auto& objects = saved.section(1).objects;
    ASSERT_EQ(objects.size(), 5u);   // the sample's title and the four added
    EXPECT_EQ(objects[1].text, "ACME_850_004010");
    EXPECT_EQ(objects[1].font.size, 18);
    EXPECT_TRUE(objects[1].font.bold);
    EXPECT_EQ(objects[1].color, 0x008080u);
    EXPECT_EQ(objects[1].width, 8500);
    EXPECT_EQ(objects[2].borderColor, 0x800010u);
    EXPECT_EQ(objects[3].special, SpecialKind::DataTime);
    EXPECT_EQ(objects[4].special, SpecialKind::PageNofM);

    // Data source, export options and export without a prompt.
    call(getProperty(rpt, "Database"), "SetDataSource", {Variant(sampleRecords())});
    EXPECT_EQ(errorNumber([&] { call(getProperty(rpt, "Database"), "SetDataSource", {Variant("x")}); }), 13);
    Variant options = getProperty(rpt, "ExportOptions");
    letProperty(options, "DestinationType", Variant(1));
    letProperty(options, "DiskFileName", Variant((dir / "S.XML").string()));
    letProperty(options, "FormatType", Variant(36));
    letProperty(options, "XMLFileName", Variant((dir / "S.XML").string()));
    call(rpt, "Export", {Variant(false)});
    EXPECT_NE(readFile(dir / "S.XML").find("<Field Name=\"Name\">Bolt</Field>"), std::string::npos);
    EXPECT_EQ(errorNumber([&] { call(rpt, "Export", {Variant(true)}); }), kReportEngineError);
    letProperty(options, "FormatType", Variant(33));
    letProperty(options, "DiskFileName", Variant((dir / "S.binary").string()));
    EXPECT_EQ(errorNumber([&] { call(rpt, "Export", {Variant(false)}); }), kReportEngineError);
    EXPECT_FALSE(std::filesystem::exists(dir / "S.binary"));
    EXPECT_EQ(errorNumber([&] { call(rpt, "PrintOut", {Variant(false), Variant(0)}); }), kReportEngineError);
    EXPECT_EQ(errorNumber([&] { call(appObj, "OpenReport", {Variant((dir / "None.RPT").string())}); }),
              kReportEngineError);
}

}  // namespace
}  // namespace vt::report::test
