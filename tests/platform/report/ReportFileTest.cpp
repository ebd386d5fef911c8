#include "Fixture.h"
#include "platform/report/ReportFile.h"

#include <gtest/gtest.h>

namespace vt::report::test {
namespace {

Report richReport() {
    Report r = sampleReport();
    r.title = "Odd \"title\" \\ with\ttab";
    r.dataDefinition = "Rich.ttx";
    r.page = {15840, 12240, 360, 500, 360, 500};
    r.addGroup("Name", true);
    r.addGroup("Qty");
    r.sorts.push_back({"Price", true});
    auto& h = r.section(SectionKind::GroupHeader, 1);
    h.newPageBefore = true;
    auto& t = r.addTextObject(3, "two\nlines \xE9\x01", 10, 20);
    t.name = "Caption";
    t.font = {"Times New Roman", 12.5, true, true, true};
    t.color = 0x808000;
    t.align = Align::Center;
    t.canGrow = true;
    t.borderStyle = 1;
    t.borderColor = 0x800010;
    t.lineWidth = 15;
    auto& line = r.section(4).objects.emplace_back();
    line.kind = ObjectKind::Line;
    line.width = 9000;
    line.height = 0;
    line.lineWidth = 30;
    auto& box = r.section(SectionKind::ReportFooter).objects.emplace_back();
    box.kind = ObjectKind::Box;
    box.color = 0x0000FF;
    r.section(SectionKind::GroupFooter, 2).suppress = true;
    auto& s = r.addSpecialField(h.kind == SectionKind::GroupHeader ? 3 : 1, int(SpecialKind::DataTime), 0, 0);
    s.format = "hh:nn";
    return r;
}

TEST(ReportFile, SavedAndReopenedIdentically) {
    TempDir dir;
    const Report original = richReport();
    saveReport(original, dir / "Rich.RPT");
    const Report reopened = loadReport(dir / "Rich.RPT");
    EXPECT_EQ(reopened, original);
    EXPECT_EQ(formatReport(reopened), readFile(dir / "Rich.RPT"));
    // Section order and numbering follow the groups.
    std::vector<std::pair<SectionKind, int>> kinds;
    for (auto& s : reopened.sections()) kinds.push_back({s.kind, s.group});
    const std::vector<std::pair<SectionKind, int>> expected = {
        {SectionKind::ReportHeader, 0}, {SectionKind::PageHeader, 0}, {SectionKind::GroupHeader, 1},
        {SectionKind::GroupHeader, 2},  {SectionKind::Details, 0},    {SectionKind::GroupFooter, 2},
        {SectionKind::GroupFooter, 1},  {SectionKind::PageFooter, 0}, {SectionKind::ReportFooter, 0}};
    EXPECT_EQ(kinds, expected);
}

TEST(ReportFile, MalformedTemplatesNameTheLine) {
    const std::string head = "REPORT 1\nTitle Text=\"t\"\n";
    struct Case {
        std::string text;
        int line;
        std::string message;
    } cases[] = {
        {"", 1, "empty"},
        {"REPORT 2\nEnd\n", 1, "not a report template"},
        {head + "Section Details Height=300\n  Text Left=0 Top=0\n", 4, "no End line"},
        {head + "Section Details Height=abc\nEnd\n", 3, "Height must be a whole number"},
        {head + "Section Details Height=-5\nEnd\n", 3, "must not be negative"},
        {head + "Section Middle\nEnd\n", 3, "unknown section kind"},
        {head + "Section GroupHeader 1\nEnd\n", 3, "not declared"},
        {head + "Section Details\nSection PageHeader\nEnd\n", 4, "fixed order"},
        {head + "  Text Left=0\nEnd\n", 3, "must follow a Section"},
        {head + "Section Details\n  Field Left=0\nEnd\n", 4, "needs Field="},
        {head + "Section Details\n  Special Kind=Tomorrow\nEnd\n", 4, "unknown special field kind"},
        {head + "Section Details\n  Text Text=\"open\nEnd\n", 4, "not closed"},
        {head + "Section Details\n  Text Color=red\nEnd\n", 4, "colour #RRGGBB"},
        {head + "Section Details\n  Line Bold\nEnd\n", 4, "has no Bold"},
        {head + "Section Details\n  Text Size=0\nEnd\n", 4, "size in points"},
        {head + "Section Details\n  Text Wobble=1\nEnd\n", 4, "no attribute \"Wobble\""},
        {head + "Section Details\nGroup Field=\"x\"\nEnd\n", 4, "before the sections"},
        {head + "Page Width=1000 Left=600 Right=600\nEnd\n", 3, "no room"},
        {head + "End\nSection Details\n", 4, "after End"},
        {head + "Sort Order=Ascending\nEnd\n", 3, "needs Field="},
    };
    for (auto& c : cases) {
        try {
            parseReport(c.text, "T.RPT");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const TemplateError& e) {
            EXPECT_EQ(e.line(), c.line) << c.text;
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("T.RPT line ", 0), 0u) << e.what();
        }
    }
}

TEST(ReportFile, CommentsBlankLinesAndLineEndsAreAccepted) {
    const Report r = parseReport("; made by hand\r\nREPORT 1\r\n\r\nTitle Text=\"x\"\nSection Details Height=100\n"
                                 "  ; a note\n  Text Text=\"a b\" Left=5 Top=6\nEnd");
    EXPECT_EQ(r.title, "x");
    ASSERT_EQ(r.section(SectionKind::Details).objects.size(), 1u);
    EXPECT_EQ(r.section(SectionKind::Details).objects[0].text, "a b");
    EXPECT_EQ(r.section(SectionKind::Details).height, 100);
}

TEST(ReportFile, MissingFileAndUnknownSectionsAreErrors) {
    TempDir dir;
    EXPECT_THROW(loadReport(dir / "None.RPT"), ReportError);
    Report r;
    EXPECT_THROW(r.section(6), ReportError);
    EXPECT_THROW(r.addSpecialField(1, 99, 0, 0), ReportError);
    EXPECT_NO_THROW(r.addSpecialField(1, 17, 0, 0));
}

}  // namespace
}  // namespace vt::report::test
