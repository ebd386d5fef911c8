// The designer's logic: the segment tree by loop level, the script reference tree by direction
// (with the outbound layout's "Results"), and the layout arithmetic of its bars and panes.

#include "MapFixture.h"

#include "core/RecordLayout.h"
#include "core/RunError.h"
#include "maps/DesignerLayout.h"
#include "maps/DesignerTree.h"
#include "maps/ReferenceTree.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace vt::test {
namespace {

using namespace maps;

// The segment nodes of a tree as "SS(children) SS": two-digit indexes, nesting in parentheses.
std::string shape(const TreeNode& n) {
    std::string out;
    for (const auto& c : n.children) {
        if (c->image == "Element") continue;
        if (!out.empty()) out += " ";
        out += c->key.substr(c->key.size() - 2);
        const std::string inner = shape(*c);
        if (!inner.empty()) out += "(" + inner + ")";
    }
    return out;
}

Map levels(std::initializer_list<std::int64_t> nodes) {
    Map map;
    map.key = k850;
    std::int64_t i = 0;
    for (std::int64_t node : nodes) {
        SegmentRow s;
        s.segment = "S" + std::to_string(++i);
        s.segmentIndex = i;
        s.node = node;
        ElementRow e;
        e.segment = s.segment;
        e.segmentIndex = i;
        e.elementIndex = 1;
        s.elements.push_back(e);
        map.segments.push_back(s);
    }
    return map;
}

TEST(SegmentTree, PlacesSegmentsByTheirLoopLevels) {
    struct Case {
        std::initializer_list<std::int64_t> nodes;
        const char* shape;
    } cases[] = {
        {{1, 1, 1}, "01 02 03"},
        {{1, 2, 2, 1}, "01(02 03) 04"},
        // A shallower segment follows the one before it at that one's depth.
        {{1, 2, 3, 2}, "01(02(03 04))"},
        {{1, 2, 3, 1, 2}, "01(02(03)) 04(05)"},
        {{1, 3, 3}, "01(02 03)"},
    };
    for (const Case& c : cases) {
        TreeNode root;
        BuildSegmentTree(levels(c.nodes), root);
        EXPECT_EQ(shape(root), c.shape);
    }
}

TEST(SegmentTree, KeysTextsImagesAndExpandedState) {
    Map map = levels({1, 2});
    map.segments[0].segment = "BEG";
    map.segments[0].elements[0].elementName = "Transaction Set Purpose Code";
    map.segments[0].expanded = true;
    map.segments[1].segment = "N1";
    map.segments[1].looping = true;
    map.segments[1].elements[0].segment = "N1";
    map.segments[1].elements[0].elementName = "Entity Identifier Code";
    map.segments[1].elements[0].exclude = true;
    TreeNode root;
    BuildSegmentTree(map, root);
    EXPECT_EQ(root.print(), "Root ACME_850_004010_I [Segment]\n"
                            "  Segment0101 BEG [Segment] +\n"
                            "    Element010101 BEG01 - Transaction Set Purpose Code [Element]\n"
                            "    Segment0202 N1 [Looping]\n"
                            "      Element020201 N101 - Exclude [Element]\n");
}

TEST(SegmentTree, AnUnattachableSegmentFailsAfterTheNodesBeforeIt) {
    struct Case {
        std::initializer_list<std::int64_t> nodes;
        const char* shape;
    } cases[] = {{{2, 1}, ""}, {{0}, ""}};
    for (const Case& c : cases) {
        TreeNode root;
        try {
            BuildSegmentTree(levels(c.nodes), root);
            ADD_FAILURE() << "built " << shape(root);
        } catch (const core::RunError& e) {
            EXPECT_EQ(e.number(), 35601);
        }
        EXPECT_EQ(shape(root), c.shape);
    }
    // A gap in the numbering leaves the deeper segment without the one before it.
    Map gap = levels({1, 2});
    gap.segments[1].segmentIndex = 3;
    TreeNode root;
    EXPECT_THROW(BuildSegmentTree(gap, root), core::RunError);
}

// ---- Reference tree ----

struct Reference : ::testing::Test {
    MapDb d;
    std::filesystem::path import = d.folder() / "Import";
    Reference() {
        std::filesystem::create_directories(import);
        d.settings.set("Folders", "Import", import.string());
    }
    void writeImport(const std::string& text) {
        std::ofstream(import / "ACME_850_004010_O.ADO", std::ios::binary) << text;
    }
    static std::string summary(const std::vector<ReferenceBranch>& tree) {
        std::string out;
        for (const auto& b : tree) out += (out.empty() ? "" : " ") + b.root.key + ":" + std::to_string(b.children.size());
        return out;
    }
    static std::vector<std::string> texts(const ReferenceBranch& b) {
        std::vector<std::string> out;
        for (const auto& n : b.children) out.push_back(n.key + "=" + n.text);
        return out;
    }
};

TEST_F(Reference, InboundAndOutboundBranchesInTheirOrder) {
    const auto inbound = BuildReferenceTree(d.services, k810);
    EXPECT_EQ(summary(inbound), "Record:9 Methods:9 Properties:15 Functions:93 Statements:27 Operators:21");
    EXPECT_EQ(inbound[0].children[0].text, "Record.Fields.Item(\"1BIG01\")");
    EXPECT_EQ(inbound[1].children[7].key, "Methods/objScript.LinesToRecord Record");
    EXPECT_EQ(inbound[1].children[7].text, "objScript.LinesToRecord Record ");
    EXPECT_EQ(inbound[1].children[8].text, "objScript.WriteToFile FileName, Data");
    EXPECT_EQ(inbound[5].children[18].text, "\\");
    // Building the tree rewrote the map's layout file.
    EXPECT_TRUE(std::filesystem::exists(d.activeX / "ACME_810_004010_I.ADO"));

    maps::MapKey out{"ACME", "850", "004010", "O"};
    d.store(makeMap(out, {{"BEG", 1, {{"ID", 2}}}}));
    const auto outbound = BuildReferenceTree(d.services, out);
    EXPECT_EQ(summary(outbound), "Results:0 Record:1 Methods:8 Properties:2 Functions:93 Statements:27 Operators:21");
    EXPECT_EQ(outbound[2].children[7].text, "objScript.LinesToRecord Record");
    EXPECT_EQ(texts(outbound[3]), (std::vector<std::string>{"Properties/objScript.CurrentElement=objScript.CurrentElement",
                                                            "Properties/objScript.CurrentSegment=objScript.CurrentSegment"}));
    // Only "O" exactly is outbound.
    maps::MapKey lower{"ACME", "850", "004010", "o"};
    EXPECT_EQ(summary(BuildReferenceTree(d.services, lower)).substr(0, 7), "Record:");
    EXPECT_TRUE(d.ui.eventsStartingWith("box").empty());
}

TEST_F(Reference, ResultsFromTheOutboundLayoutFile) {
    maps::MapKey out{"ACME", "850", "004010", "O"};
    struct Case {
        const char* file;
        std::vector<std::string> children;
        bool reported;
    } cases[] = {
        {"PONUM\t200\t2\r\nAMOUNT\t131\t10\t2\r\n",
         {"Results/PONUM=Record.Fields.Item(\"PONUM\")", "Results/AMOUNT=Record.Fields.Item(\"AMOUNT\")"}, false},
        {"PONUM\t200\t2\r\n\r\nAMOUNT\t131\t10\t2\r\n", {"Results/PONUM=Record.Fields.Item(\"PONUM\")"}, false},
        {"PONUM\t200\t2\r\nAMOUNT\t131\t10\r\nLATER\t200\t2\r\n", {"Results/PONUM=Record.Fields.Item(\"PONUM\")"}, true},
        {"PONUM\t200\t2\r\nPONUM\t200\t2\r\n", {"Results/PONUM=Record.Fields.Item(\"PONUM\")"}, true},
        {"", {}, true},
    };
    for (const Case& c : cases) {
        writeImport(c.file);
        d.ui.events.clear();
        EXPECT_EQ(texts(ReferenceBranch{{}, LoadResultsLayout(d.services, out)}), c.children) << c.file;
        EXPECT_EQ(d.ui.eventsStartingWith("box 16").size(), c.reported ? 1u : 0u) << c.file;
    }
    std::filesystem::remove(import / "ACME_850_004010_O.ADO");
    d.ui.events.clear();
    EXPECT_TRUE(LoadResultsLayout(d.services, out).empty());
    EXPECT_TRUE(d.ui.events.empty());
}

TEST_F(Reference, ResultsRefuseABadLineWithTheTranslatorsOwnError) {
    maps::MapKey out{"ACME", "850", "004010", "O"};
    const char* const files[] = {
        "PONUM\t200\t2\r\nAMOUNT\t131\t300\r\n",   // precision beyond a byte and no scale
        "PONUM\t200\t2\r\nAMOUNT\t131\t300\t2\r\n",
        "PONUM\t200\t2\r\nAMOUNT\t131\t10\t999\r\n",
        "PONUM\t200\r\n",
        "PONUM\tID\t2\r\n",
        "PONUM\t9\t2\r\n",
    };
    for (const char* file : files) {
        writeImport(file);
        d.ui.history.clear();
        core::OpenRecordsetFromLayout(d.services, import / "ACME_850_004010_O.ADO");
        ASSERT_EQ(d.ui.history.size(), 1u) << file;
        const std::string translator = d.ui.history.back().description;
        d.ui.history.clear();
        LoadResultsLayout(d.services, out);
        ASSERT_EQ(d.ui.history.size(), 1u) << file;
        EXPECT_EQ(d.ui.history.back().description, translator) << file;
    }
    writeImport("PONUM\t200\t2\r\nAMOUNT\t131\t300\r\n");
    d.ui.history.clear();
    LoadResultsLayout(d.services, out);
    EXPECT_EQ(d.ui.history.back().description, "9 Subscript out of range");
}

TEST_F(Reference, AResultFieldNamedLikeAWordHidesNothing) {
    maps::MapKey out{"ACME", "850", "004010", "O"};
    d.store(makeMap(out, {{"BEG", 1, {{"ID", 2}}}}));
    writeImport("Date\t200\t8\r\nMethods\t200\t8\r\n");
    const auto tree = BuildReferenceTree(d.services, out);
    EXPECT_EQ(summary(tree), "Results:2 Record:1 Methods:8 Properties:2 Functions:93 Statements:27 Operators:21");
    EXPECT_EQ(tree[4].children[16].text, "Date");
    std::set<std::string> keys;
    for (const auto& b : tree) {
        EXPECT_TRUE(keys.insert(b.root.key).second) << b.root.key;
        for (const auto& n : b.children) EXPECT_TRUE(keys.insert(n.key).second) << n.key;
    }
}

// ---- Layout ----

TEST(DesignerLayout, DefaultsFromTheScreenAndTheDesignSize) {
    const DesignerDefaults d = DefaultDesignerLayout(19200, 14400, 12000, 9000);
    EXPECT_EQ(d.width, 14400);
    EXPECT_EQ(d.height, 10800);
    EXPECT_EQ(d.left, 2400);
    EXPECT_EQ(d.top, 1800);
    EXPECT_EQ(d.bars, (DesignerBars{6000, 9000, 6000, 6750}));
    // Halves go to even.
    EXPECT_EQ(DefaultDesignerLayout(10002, 10002, 1001, 1002).bars, (DesignerBars{500, 751, 500, 752}));
}

TEST(DesignerLayout, ResizeHoldsTheBarsInsideTheClientArea) {
    struct Case {
        DesignerBars in, out;
    } cases[] = {
        {{20000, 10000, 5000, 5000}, {9000, 10000, 5000, 5000}},
        {{20000, 20000, 5000, 5000}, {13000, 14000, 5000, 5000}},
        // The script bar follows the right bar of the upper band, and the horizontal bar the height.
        {{3000, 6000, 5500, 9500}, {3000, 6000, 5000, 8000}},
        // No lower limit.
        {{10, 1200, 10, 10}, {10, 1200, 10, 10}},
    };
    for (const Case& c : cases) {
        DesignerBars b = c.in;
        ClampBarsOnResize(b, 15000, 10000);
        EXPECT_EQ(b, c.out);
    }
}

TEST(DesignerLayout, ReleasedBarsRestWithinTheirLimits) {
    const DesignerBars b{4000, 9000, 5000, 6000};
    struct Case {
        Bar bar;
        double edge, rest;
    } cases[] = {
        {Bar::VSplitCenter, 2000, 3500}, {Bar::VSplitCenter, 8500, 8000}, {Bar::VSplitCenter, 3500, 3500},
        {Bar::VSplitRight, 4500, 5000},  {Bar::VSplitRight, 14500, 14000}, {Bar::VSplitLeft, 3000, 3500},
        {Bar::VSplitLeft, 8500, 8000},   {Bar::HSplit, 3000, 4300},        {Bar::HSplit, 9000, 8000},
        {Bar::HSplit, 6000, 6000},
    };
    for (const Case& c : cases) EXPECT_EQ(ReleasedBarEdge(c.bar, c.edge, b, 15000, 10000), c.rest) << c.edge;
}

TEST(DesignerLayout, PanesFollowTheBars) {
    PaneRects r{};
    const auto moved = PlaceDesignerPanes(DesignerBars{4000, 9000, 5000, 6000}, 15000, 10000, 15000, r);
    EXPECT_EQ(r[fraSegment], (PaneRect{100, 0, 3900, 6000}));
    EXPECT_EQ(r[tvwTSets], (PaneRect{4100, 0, 4900, 6000}));
    EXPECT_EQ(r[lvwTSets], (PaneRect{9100, 0, 5800, 6000}));
    EXPECT_EQ(r[sstControls], (PaneRect{100, 6110, 14900, 3800}));
    EXPECT_EQ(r[tvwReference], (PaneRect{90, 100, 4800, 3300}));
    EXPECT_EQ(r[txtScript], (PaneRect{5000, 100, 9800, 3300}));
    EXPECT_EQ(r[txtImmediate], (PaneRect{100, 100, 14700, 3300}));
    EXPECT_EQ(r[picVSplitCenter], (PaneRect{5000, 6210, 100, 3300}));
    EXPECT_EQ(r[picVSplitLeft], (PaneRect{4000, 0, 100, 6000}));
    EXPECT_EQ(r[picVSplitRight], (PaneRect{9000, 0, 100, 6000}));
    EXPECT_EQ(r[picHSplit], (PaneRect{100, 6000, 14700, 100}));
    for (bool m : moved) EXPECT_TRUE(m);
    // A pane that would get a negative size keeps its place; the others still move.
    const PaneRect before = r[tvwTSets];
    const auto again = PlaceDesignerPanes(DesignerBars{9500, 9000, 5000, 6000}, 15000, 10000, 15000, r);
    EXPECT_FALSE(again[tvwTSets]);
    EXPECT_EQ(r[tvwTSets], before);
    EXPECT_TRUE(again[picHSplit]);
}

}  // namespace
}  // namespace vt::test
