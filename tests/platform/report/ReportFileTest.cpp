#include "Fixture.h"
#include "platform/report/DataTable.h"
#include "platform/report/Export.h"
#include "platform/report/ReportFile.h"
#include "tests/support/Limited.h"

#include <gtest/gtest.h>

#include <fstream>

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
        {head + "Section Details Height=-5\nEnd\n", 3, "Height must be from 0 to 288000 twips, not -5"},
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
        // Sizes that would overflow what they are added to.
        {head + "Page Width=2147483647\nEnd\n", 3, "Width must be from 0 to 288000 twips"},
        {head + "Page Left=2147483000 Right=2147483000\nEnd\n", 3, "Left must be from 0 to 288000 twips"},
        {head + "Section Details Height=2147483647\nEnd\n", 3, "Height must be from 0 to 288000 twips"},
        {head + "Section Details\n  Text Left=2147483647\nEnd\n", 4, "Left must be from -288000 to 288000 twips"},
        {head + "Section Details\n  Text Top=-2147483648\nEnd\n", 4, "Top must be from -288000 to 288000 twips"},
        {head + "Section Details\n  Field Field=\"x\" Width=2147483647\nEnd\n", 4, "Width must be from 0 to 288000"},
        {head + "Section Details\n  Box Height=300000\nEnd\n", 4, "Height must be from 0 to 288000"},
        {head + "Section Details\n  Line LineWidth=99999\nEnd\n", 4, "LineWidth must be from 0 to 1440 twips"},
        {head + "Section Details\n  Text Left=99999999999\nEnd\n", 4, "Left must be a whole number"},
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

// Every attribute the reader takes, on every kind of object that takes it, with values other than
// the defaults: saved and read again, the model is the same, and saving again gives the same bytes.
TEST(ReportFile, EveryPropertyTheReaderTakesIsWrittenBack) {
    const std::string text =
        "REPORT 1\nTitle Text=\"All\"\nData File=\"All.ttx\"\n"
        "Page Width=15000 Height=16000 Left=100 Top=200 Right=300 Bottom=400\n"
        "Group Field=\"G\" Order=Descending\nSort Field=\"S\" Order=Descending\n"
        "Section ReportHeader Height=10 Suppress NewPageBefore\n"
        "  Text Name=\"t\" Left=-5 Top=6 Width=7 Height=8 Text=\"x\\x01\" Font=\"Courier\" Size=10.125 Bold Italic "
        "Underline Align=Right CanGrow Border=1 BorderColor=#010203 Color=#040506 LineWidth=3\n"
        "  Field Name=\"f\" Left=1 Top=2 Width=3 Height=4 Field=\"F\" Format=\"0.00\" Font=\"Times\" Size=7.5 Italic "
        "Align=Center CanGrow Color=#0A0B0C LineWidth=0\n"
        "  Special Kind=PageNofM LineWidth=3\n"
        "  Special Name=\"s\" Kind=DataTime Format=\"hh:nn\" Underline Border=1 LineWidth=1440\n"
        "  Line Name=\"l\" Left=1 Top=2 Width=3 Height=0 Color=#070809 LineWidth=5\n"
        "  Box Name=\"b\" Left=-288000 Top=288000 Width=288000 Height=1 Color=#FFFFFF LineWidth=0\n"
        "Section GroupHeader 1 Height=11 NewPageBefore\nSection GroupFooter 1 Height=12 Suppress\n"
        "Section ReportFooter Height=288000\nEnd\n";
    const Report read = parseReport(text, "All.RPT");
    const auto& header = read.section(SectionKind::ReportHeader).objects;
    ASSERT_EQ(header.size(), 6u);
    EXPECT_EQ(header[2].lineWidth, 3);
    EXPECT_EQ(header[0].font.size, 10.125);
    const std::string saved = formatReport(read);
    const Report again = parseReport(saved, "All.RPT");
    EXPECT_EQ(again, read);
    EXPECT_EQ(formatReport(again), saved);
    // A page N of M without a border keeps its line width.
    EXPECT_NE(saved.find("Kind=PageNofM Font=\"Arial\" Size=10 Align=Left Color=#000000 LineWidth=3\r\n"),
              std::string::npos)
        << saved;
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

// A template with one name, text or picture of 10 MB is refused at load with its file and line;
// one at its bound loads and 400 records export with output that the bound keeps small. Each
// runs in a child under a time limit, its peak memory checked: an unbounded name written into
// every record took gigabytes.
TEST(ReportFile, HostileTemplatesAreRefusedAtEveryBound) {
    TempDir dir;
    struct Case {
        std::string attribute;
        std::string lines;   // "%" stands for the value
        size_t most;
        int line;
    } cases[] = {
        {"Text", "Title Text=\"%\"\r\n", kMaxTextLength, 2},
        {"File", "Data File=\"%\"\r\n", kMaxNameLength, 2},
        {"Field", "Group Field=\"%\"\r\n", kMaxNameLength, 2},
        {"Field", "Sort Field=\"%\"\r\n", kMaxNameLength, 2},
        {"Field", "Section Details\r\n  Field Field=\"%\"\r\n", kMaxNameLength, 3},
        {"Name", "Section Details\r\n  Field Field=\"Qty\" Name=\"%\"\r\n", kMaxNameLength, 3},
        {"Format", "Section Details\r\n  Field Field=\"Qty\" Format=\"%\"\r\n", kMaxPictureLength, 3},
        {"Text", "Section Details\r\n  Text Text=\"%\"\r\n", kMaxTextLength, 3},
        {"Font", "Section Details\r\n  Text Text=\"t\" Font=\"%\"\r\n", kMaxNameLength, 3},
    };
    auto data = std::make_shared<DataTable>();
    data->columns = {{"Qty", adtype::Integer, 4}};
    for (int i = 0; i < 400; ++i) data->rows.push_back({Variant(std::int32_t(i))});
    const RunInfo run{{2024, 5, 6, 14, 30, 0}, {2024, 5, 6, 9, 5, 7}};
    int n = 0;
    for (const Case& c : cases) {
        for (const size_t length : {size_t(10) << 20, c.most}) {
            SCOPED_TRACE(c.lines + " with " + std::to_string(length) + " characters");
            std::string text = "REPORT 1\r\n" + c.lines + "End\r\n";
            // A picture of zeros, a name or text of letters.
            text.replace(text.find('%'), 1, std::string(length, c.attribute == "Format" ? '0' : 'n'));
            const std::string name = "H" + std::to_string(++n) + ".RPT";
            std::ofstream(dir / name, std::ios::binary) << text;
            const auto child = vt::test::runLimited(60, 2048, [&] {
                const Report r = loadReport(dir / name);
                size_t bytes = 0;
                for (int number : {format::XML, format::RecordStyle, format::Text}) {
                    ExportOptions o;
                    o.formatType = number;
                    bytes += exportBytes(r, data.get(), run, o).size();
                }
                return "exported " + std::to_string(bytes);
            });
            EXPECT_TRUE(child.finished);
            EXPECT_LT(child.peakMiB, 1024);
            if (length > c.most) {
                EXPECT_EQ(child.out, "exception: " + name + " line " + std::to_string(c.line) + ": " + c.attribute +
                                         " must be at most " + std::to_string(c.most) + " characters long, not " +
                                         std::to_string(length));
            } else {
                ASSERT_EQ(child.out.rfind("exported ", 0), 0u) << child.out;
                EXPECT_LT(std::stoul(child.out.substr(9)), 400 * (2 * kMaxNameLength + 200) + 2 * kMaxTextLength);
            }
        }
    }
}

}  // namespace
}  // namespace vt::report::test
