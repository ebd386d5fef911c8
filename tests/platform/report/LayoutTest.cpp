#include "Fixture.h"
#include "platform/report/Layout.h"

#include <gtest/gtest.h>

#include <map>

namespace vt::report::test {
namespace {

const RunInfo kRun{{2024, 5, 6, 14, 30, 0}, {2024, 5, 6, 9, 5, 7}};

// Texts of a page's items, top to bottom then left to right, one line per row of items.
std::vector<std::string> lines(const Page& page) {
    std::map<int, std::map<int, std::string>> rows;
    for (auto& it : page.items)
        if (!it.text.empty()) rows[it.y][it.x] = it.text;
    std::vector<std::string> out;
    for (auto& [y, cols] : rows) {
        std::string line;
        for (auto& [x, t] : cols) line += (line.empty() ? "" : "|") + t;
        out.push_back(line);
    }
    return out;
}

std::shared_ptr<DataTable> groupedRows(int count) {
    auto t = std::make_shared<DataTable>();
    t->columns = {{"Group", adtype::VarChar, 10}, {"N", adtype::Integer, 0}};
    for (int i = 0; i < count; ++i)   // groups arrive interleaved; the report sorts them
        t->rows.push_back({Variant(std::string(1, char('C' - i % 3))), Variant(std::int32_t(i))});
    return t;
}

Report groupedReport() {
    Report r;
    r.page = {12240, 4000, 720, 720, 720, 720};   // short pages: 2560 twips of body
    r.addGroup("Group");
    r.sorts.push_back({"N", true});
    r.section(SectionKind::PageHeader).height = 300;
    r.addTextObject(2, "Header", 0, 0);
    auto& gh = r.section(SectionKind::GroupHeader, 1);
    gh.height = 500;
    gh.objects.push_back({});
    gh.objects.back().kind = ObjectKind::Field;
    gh.objects.back().field = "Group";
    r.section(SectionKind::Details).height = 300;
    r.addFieldObject(4, "N", 0, 0);
    r.section(SectionKind::PageFooter).height = 300;
    r.addSpecialField(6, int(SpecialKind::PageNofM), 0, 0);
    return r;
}

TEST(Layout, GroupsSortPaginateAndNumberPages) {
    const Report r = groupedReport();
    auto data = groupedRows(12);
    const Layout layout = layoutReport(r, data.get(), kRun, CellMeasurer());
    const int pages = int(layout.pages.size());
    ASSERT_GE(pages, 3);
    std::vector<std::string> body;
    for (int p = 0; p < pages; ++p) {
        auto l = lines(layout.pages[size_t(p)]);
        ASSERT_GE(l.size(), 2u);
        EXPECT_EQ(l.front(), "Header");
        EXPECT_EQ(l.back(), "Page " + std::to_string(p + 1) + " of " + std::to_string(pages));
        // A group header is never the last thing in a page's body.
        EXPECT_FALSE(l[l.size() - 2].size() == 1 && std::isalpha(l[l.size() - 2][0])) << "page " << p + 1;
        body.insert(body.end(), l.begin() + 1, l.end() - 1);
    }
    const std::vector<std::string> expected = {"A", "11", "8", "5", "2", "B", "10", "7", "4", "1",
                                               "C", "9",  "6", "3", "0"};
    EXPECT_EQ(body, expected);
    // The group tree points at each group's header.
    ASSERT_EQ(layout.groups.size(), 3u);
    for (size_t g = 0; g < 3; ++g) {
        const GroupEntry& e = layout.groups[g];
        EXPECT_EQ(e.text, std::string(1, char('A' + g)));
        const PlacedItem* hit = hitTest(layout.pages[size_t(e.page)], r.page.marginLeft + 10, e.y + 10);
        ASSERT_NE(hit, nullptr);
        EXPECT_EQ(hit->text, e.text);
    }
    // Every item stays inside its page's body or margins.
    for (auto& page : layout.pages)
        for (auto& it : page.items) EXPECT_LE(it.y + it.height, r.page.height - r.page.marginBottom);
}

TEST(Layout, NewPageBeforeAndSuppressedSections) {
    Report r = groupedReport();
    r.page.height = 15840;
    r.section(SectionKind::GroupHeader, 1).newPageBefore = true;
    auto data = groupedRows(6);
    Layout layout = layoutReport(r, data.get(), kRun, CellMeasurer());
    ASSERT_EQ(layout.pages.size(), 3u);   // one group a page; the first needs no break
    for (size_t p = 0; p < 3; ++p) {
        const auto l = lines(layout.pages[p]);
        EXPECT_EQ(l[1], std::string(1, char('A' + p)));
        EXPECT_EQ(l.back(), "Page " + std::to_string(p + 1) + " of 3");
    }
    r.section(SectionKind::Details).suppress = true;
    r.section(SectionKind::GroupHeader, 1).newPageBefore = false;
    layout = layoutReport(r, data.get(), kRun, CellMeasurer());
    ASSERT_EQ(layout.pages.size(), 1u);
    EXPECT_EQ(lines(layout.pages[0]), (std::vector<std::string>{"Header", "A", "B", "C", "Page 1 of 1"}));
}

TEST(Layout, MissingFieldShowsPlaceholderAndSpecialFieldsShowTheRun) {
    Report r;
    r.addFieldObject(3, "Nope", 0, 0);
    r.addFieldObject(3, "N", 2000, 0);
    struct { int kind; std::string format, text; } specials[] = {
        {int(SpecialKind::PrintDate), "", "5/6/2024"},
        {int(SpecialKind::PrintTime), "", "2:30:00 PM"},
        {int(SpecialKind::DataDate), "yyyy-mm-dd", "2024-05-06"},
        {int(SpecialKind::DataTime), "hh:nn:ss", "09:05:07"},
        {int(SpecialKind::RecordNumber), "", "1"},
        {int(SpecialKind::PageNumber), "", "1"},
        {int(SpecialKind::TotalPages), "", "1"},
    };
    int top = 0;
    for (auto& s : specials) r.addSpecialField(1, s.kind, 0, top += 300).format = s.format;
    r.section(1).height = top + 300;
    auto data = groupedRows(2);
    const Layout layout = layoutReport(r, data.get(), kRun, CellMeasurer());
    ASSERT_EQ(layout.pages.size(), 1u);
    auto l = lines(layout.pages[0]);
    ASSERT_EQ(l.size(), 9u);
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(l[i], specials[i].text);
    EXPECT_EQ(l[7], "?Nope?|0");
    EXPECT_EQ(l[8], "?Nope?|1");
    // Without data at all the report still lays out.
    EXPECT_EQ(layoutReport(r, nullptr, kRun, CellMeasurer()).pages.size(), 1u);
}

TEST(Layout, CanGrowPushesTheNextSectionDownAndHitTestFindsObjects) {
    Report r;
    auto& f = r.addFieldObject(3, "Group", 0, 0);
    f.width = 1200;   // ten cells a line
    f.canGrow = true;
    auto data = std::make_shared<DataTable>();
    data->columns = {{"Group", adtype::VarChar, 0}};
    data->rows = {{Variant(std::string(25, 'x'))}, {Variant("short")}};
    const Layout layout = layoutReport(r, data.get(), kRun, CellMeasurer());
    const auto& items = layout.pages[0].items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].height, 3 * 240);
    EXPECT_EQ(items[1].y, items[0].y + 3 * 240);
    const PlacedItem* hit = hitTest(layout.pages[0], items[1].x + 10, items[1].y + 10);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->text, "short");
    EXPECT_EQ(hit->id, (ObjectId{3, 0}));
    EXPECT_EQ(hit->row, 1);
    EXPECT_EQ(hitTest(layout.pages[0], 0, 0), nullptr);
}

TEST(Layout, DesignerHitTestsObjectsInsideASection) {
    Report r;
    auto& a = r.addTextObject(3, "under", 100, 0);
    a.width = 1000;
    r.addTextObject(3, "over", 500, 0).width = 1000;
    auto& line = r.section(3).objects.emplace_back();
    line.kind = ObjectKind::Line;
    line.left = 0;
    line.top = 280;
    line.width = 3000;
    line.height = 0;
    EXPECT_EQ(objectAt(r, 3, 150, 10), 0);
    EXPECT_EQ(objectAt(r, 3, 600, 10), 1);   // the later object lies on top
    EXPECT_EQ(objectAt(r, 3, 2000, 300), 2);
    EXPECT_EQ(objectAt(r, 3, 2000, 100), -1);
    EXPECT_EQ(sectionTops(r), (std::vector<int>{0, 0, 360, 660, 1020, 1020}));
    r.addFieldObject(2, "Qty", 0, 10);
    r.addSpecialField(4, int(SpecialKind::PageNofM), 0, 0);
    const Layout design = designLayout(r);
    ASSERT_EQ(design.pages.size(), 1u);
    EXPECT_EQ(design.pageHeight, 1020);
    const PlacedItem* field = hitTest(design.pages[0], 5, 20);   // the page header starts at 0
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text, "{Qty}");
    EXPECT_EQ(field->id, (ObjectId{2, 0}));
    EXPECT_EQ(design.pages[0].items.back().text, "Page N of M");
    EXPECT_EQ(design.pages[0].items.back().y, 660);
    EXPECT_EQ(colorFromBgr(0x808000), 0x008080u);
    EXPECT_EQ(colorFromBgr(0x100080), 0x800010u);
}

}  // namespace
}  // namespace vt::report::test
