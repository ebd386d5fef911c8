// The map-editing service and the property panels: every command over one small map as a table
// (the map printed after it, the key to select, the boxes shown), an injected database failure
// that leaves the map as it was, the save normalisation, the limits, and the panels' changed
// flags and save question.

#include "MapFixture.h"

#include "core/UiSink.h"
#include "maps/MapEditor.h"
#include "maps/MapPanels.h"

#include <gtest/gtest.h>

#include <functional>

namespace vt::test {
namespace {

using maps::EditResult;
using maps::MapEditor;

const maps::MapKey kIn{"ACME", "850", "004010", "I"};
const maps::MapKey kOutKey{"ACME", "850", "004010", "O"};

maps::Map editMap(const maps::MapKey& key) {
    maps::Map map = makeMap(key, {{"ST", 1, {{}, {}}}, {"BEG", 1, {{}, {}, {}}}, {"N1", 1, {{}, {}}},
                                  {"N3", 2, {{}}}, {"CTT", 1, {{}}}});
    const char* names[][3] = {{"s1", "s2"}, {"b1", "b2", "b3"}, {"n1", "n2"}, {"x1"}, {"c1"}};
    for (std::size_t i = 0; i < map.segments.size(); ++i)
        for (std::size_t e = 0; e < map.segments[i].elements.size(); ++e) map.segments[i].elements[e].elementName = names[i][e];
    map.segments[2].looping = true;
    return map;
}

// "ID/node(element names)" per segment; checks that every row carries its segment's index and id.
std::string print(db::Database& db, const maps::MapKey& key) {
    const maps::Map map = maps::LoadMap(db, key);
    std::string out;
    std::int64_t s = 0;
    for (const auto& seg : map.segments) {
        ++s;
        if (seg.segmentIndex != s) return "segment numbering broken";
        out += (out.empty() ? "" : " ") + seg.segment + "/" + std::to_string(seg.node) + "(";
        std::int64_t e = 0;
        for (const auto& el : seg.elements) {
            if (el.elementIndex != ++e || el.segmentIndex != s || el.segment != seg.segment)
                return "element numbering broken";
            out += (e > 1 ? " " : "") + (el.elementName.empty() ? std::string("_") : el.elementName);
        }
        out += ")";
    }
    return out;
}

const std::string kStart = "ST/1(s1 s2) BEG/1(b1 b2 b3) N1/1(n1 n2) N3/2(x1) CTT/1(c1)";

struct EditDb {
    MapDb d;
    std::filesystem::path reports = d.folder() / "Reports";
    EditDb() {
        std::filesystem::create_directories(reports);
        d.settings.set("Folders", "Reports", reports.string());
        d.store(editMap(kIn));
        d.store(editMap(kOutKey));
    }
};

struct Editing : ::testing::Test, EditDb {};

TEST_F(Editing, EveryCommandKeepsTheMapWholeAndNamesTheNodeToSelect) {
    using Command = std::function<EditResult(MapEditor&)>;
    struct Case {
        const char* name;
        Command command;
        std::string map;    // "" = unchanged
        std::string selected;
        std::vector<std::string> boxes = {};
        std::deque<int> answers = {};
    };
    maps::SegmentPanel segPanel;
    segPanel.segmentName = "Copy";
    segPanel.maxUsageLoop = ">1";
    segPanel.placeholders = "0";
    maps::ElementPanel elPanel;
    elPanel.elementName = "dup";
    elPanel.minimum = "5";
    elPanel.maximum = "3";
    const std::string critical = "box 16 Veltrane: ";
    const std::string question = "box 36 Veltrane: ";
    const Case cases[] = {
        {"add after segment 2", [](MapEditor& e) { return e.AddSegment("Segment0102", "  ref "); },
         "ST/1(s1 s2) BEG/1(b1 b2 b3) REF/1(_) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Segment0103"},
        {"add after the last", [](MapEditor& e) { return e.AddSegment("Segment0105", "SE"); },
         kStart + " SE/1(_)", "Segment0106"},
        {"add a nested segment's sibling", [](MapEditor& e) { return e.AddSegment("Segment0204", "N4"); },
         "ST/1(s1 s2) BEG/1(b1 b2 b3) N1/1(n1 n2) N3/2(x1) N4/2(_) CTT/1(c1)", "Segment0205"},
        {"add a short id", [](MapEditor& e) { return e.AddSegment("Segment0102", " A "); }, "", "",
         {critical + "Invalid Segment Length Min(2)"}},
        {"add an id with a hyphen", [](MapEditor& e) { return e.AddSegment("Segment0102", "B-G"); }, "", "",
         {critical + "Invalid Segment Name"}},
        {"delete segment 3", [](MapEditor& e) { return e.DeleteSegment("Segment0103"); },
         "ST/1(s1 s2) BEG/1(b1 b2 b3) N3/2(x1) CTT/1(c1)", "Segment0102", {question + "Delete 03N1 Segment"}},
        {"delete answered No", [](MapEditor& e) { return e.DeleteSegment("Segment0103"); }, "", "",
         {question + "Delete 03N1 Segment"}, {core::vbNo}},
        {"delete the first segment", [](MapEditor& e) { return e.DeleteSegment("Segment0101"); }, "", "",
         {critical + "Last Segment Not Allowed"}},
        {"delete on the root", [](MapEditor& e) { return e.DeleteSegment("Root"); }, "", ""},
        {"in on a first child", [](MapEditor& e) { return e.SegmentIn("Segment0204"); }, "", ""},
        {"in on level 1", [](MapEditor& e) { return e.SegmentIn("Segment0105"); }, "", ""},
        {"out beside a level-1 row", [](MapEditor& e) { return e.SegmentOut("Segment0102"); },
         "ST/1(s1 s2) BEG/2(b1 b2 b3) N1/2(n1 n2) N3/2(x1) CTT/2(c1)", "Segment0202"},
        {"out after a deeper row", [](MapEditor& e) { return e.SegmentOut("Segment0105"); },
         "ST/1(s1 s2) BEG/1(b1 b2 b3) N1/1(n1 n2) N3/2(x1) CTT/2(c1)", "Segment0205"},
        {"up beside the previous row", [](MapEditor& e) { return e.SegmentUp("Segment0103"); },
         "ST/1(s1 s2) N1/1(n1 n2) BEG/1(b1 b2 b3) N3/2(x1) CTT/1(c1)", "Segment0102"},
        {"up past a loop", [](MapEditor& e) { return e.SegmentUp("Segment0105"); }, "", ""},
        {"down onto a loop's nested row", [](MapEditor& e) { return e.SegmentDown("Segment0103"); }, "", ""},
        {"down the first", [](MapEditor& e) { return e.SegmentDown("Segment0101"); },
         "BEG/1(b1 b2 b3) ST/1(s1 s2) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Segment0102"},
        {"duplicate segment 2", [&](MapEditor& e) { return e.DuplicateSegment("Segment0102", "bx", segPanel); },
         "ST/1(s1 s2) BEG/1(b1 b2 b3) BX/1(b1 b2 b3) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Segment0103"},
        {"duplicate the last segment copies its elements too",
         [&](MapEditor& e) { return e.DuplicateSegment("Segment0105", "ZZ", segPanel); }, kStart + " ZZ/1(c1)",
         "Segment0106"},
        {"duplicate under a bad id", [&](MapEditor& e) { return e.DuplicateSegment("Segment0102", "b x", segPanel); },
         "", "", {critical + "Invalid Segment Name"}},
        {"add an element", [](MapEditor& e) { return e.AddElement("Element010202"); },
         "ST/1(s1 s2) BEG/1(b1 b2 b3 _) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Element010204"},
        {"delete element 1", [](MapEditor& e) { return e.DeleteElement("Element010201"); },
         "ST/1(s1 s2) BEG/1(b2 b3) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Element010201", {question + "Delete BEG01 Element"}},
        {"delete the last element", [](MapEditor& e) { return e.DeleteElement("Element010203"); },
         "ST/1(s1 s2) BEG/1(b1 b2) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Element010202", {question + "Delete BEG03 Element"}},
        {"delete a segment's only element", [](MapEditor& e) { return e.DeleteElement("Element020401"); }, "", "",
         {critical + "Last Element Not Allowed"}},
        {"move element 3 up", [](MapEditor& e) { return e.MoveElementUp("Element010203"); },
         "ST/1(s1 s2) BEG/1(b1 b3 b2) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Element010202"},
        {"move element 1 down", [](MapEditor& e) { return e.MoveElementDown("Element010201"); },
         "ST/1(s1 s2) BEG/1(b2 b1 b3) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Element010202"},
        {"move the first up", [](MapEditor& e) { return e.MoveElementUp("Element010201"); }, "", ""},
        {"move the last down", [](MapEditor& e) { return e.MoveElementDown("Element010203"); }, "", ""},
        {"duplicate an element", [&](MapEditor& e) { return e.DuplicateElement("Element010202", elPanel); },
         "ST/1(s1 s2) BEG/1(b1 b2 b3 dup) N1/1(n1 n2) N3/2(x1) CTT/1(c1)", "Element010204"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // One database for the table: both maps stored afresh before each command.
        EditDb& t = *this;
        t.d.store(editMap(kIn));
        t.d.store(editMap(kOutKey));
        t.d.ui.events.clear();
        t.d.ui.boxAnswers = c.answers;
        MapEditor editor(t.d.services, kIn);
        const EditResult r = c.command(editor);
        EXPECT_EQ(print(t.d.db, kIn), c.map.empty() ? kStart : c.map);
        EXPECT_EQ(r.changed, !c.map.empty());
        EXPECT_EQ(r.selectedKey, c.selected);
        EXPECT_EQ(t.d.boxes(), c.boxes);
        // The other direction's map of the same set is never touched.
        EXPECT_EQ(print(t.d.db, kOutKey), kStart);
        EXPECT_EQ(t.d.history(), "");
    }
}

TEST(SegmentParents, NestDeeperRowsUnderTheRowBefore) {
    auto parents = [](std::initializer_list<std::int64_t> nodes) {
        maps::Map map;
        for (std::int64_t n : nodes) {
            map.segments.emplace_back();
            map.segments.back().node = n;
        }
        return maps::SegmentParents(map);
    };
    EXPECT_EQ(parents({1, 2, 2, 1}), (std::vector<int>{-1, 0, 0, -1}));
    EXPECT_EQ(parents({1, 2, 3, 2}), (std::vector<int>{-1, 0, 1, 1}));
    EXPECT_EQ(parents({1, 2, 3, 1, 2}), (std::vector<int>{-1, 0, 1, -1, 3}));
}

TEST_F(Editing, CopiesTakeThePanelNormalisedAsSaveDoes) {
    maps::SegmentPanel seg;
    seg.segmentName = "Copy";
    seg.maxUsageLoop = ">1";
    seg.placeholders = "0";
    seg.usageIndex = 0;
    seg.levelIndex = 1;
    MapEditor editor(d.services, kIn);
    ASSERT_TRUE(editor.DuplicateSegment("Segment0102", "BX", seg).changed);
    EXPECT_EQ(seg.placeholders, "1");
    maps::ElementPanel el;
    el.minimum = "5";
    el.maximum = "3";
    el.reference = "353";
    el.typeIndex = 12;
    ASSERT_TRUE(editor.DuplicateElement("Element010202", el).changed);
    const maps::Map map = maps::LoadMap(d.db, kIn);
    const auto& copy = map.segments[2];
    EXPECT_EQ(copy.segmentName + copy.segmentUsage + copy.level, "CopyMD");
    EXPECT_EQ(copy.maxUsageLoop, maps::kManyUses);
    EXPECT_EQ(copy.placeholders, 1);
    const auto& dup = map.segments[1].elements[3];
    EXPECT_EQ(dup.minimum, 5);
    EXPECT_EQ(dup.maximum, 5);
    EXPECT_EQ(dup.type, "N7");
    EXPECT_EQ(dup.reference, 0);   // the Reference is not copied
}

TEST_F(Editing, AFailedWriteLeavesTheMapAsItWasAndIsReported) {
    d.db.exec("CREATE TEMP TRIGGER no_writes BEFORE INSERT ON Element BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    maps::SegmentPanel seg;
    maps::ElementPanel el;
    MapEditor editor(d.services, kIn);
    const std::function<EditResult()> commands[] = {
        [&] { return editor.AddSegment("Segment0102", "REF"); },
        [&] { return editor.DeleteSegment("Segment0103"); },
        [&] { return editor.SegmentOut("Segment0102"); },
        [&] { return editor.SegmentUp("Segment0103"); },
        [&] { return editor.DuplicateSegment("Segment0102", "BX", seg); },
        [&] { return editor.SaveSegment("Segment0102", seg); },
        [&] { return editor.AddElement("Element010201"); },
        [&] { return editor.DeleteElement("Element010201"); },
        [&] { return editor.MoveElementUp("Element010202"); },
        [&] { return editor.SaveElement("Element010202", el); },
    };
    int n = 0;
    for (const auto& command : commands) {
        SCOPED_TRACE(n++);
        d.ui.events.clear();
        EXPECT_FALSE(command().changed);
        EXPECT_EQ(print(d.db, kIn), kStart);
        EXPECT_EQ(d.ui.eventsStartingWith("box 16").size(), 1u);
    }
    EXPECT_EQ(d.db.scalarInt("SELECT count(*) FROM History WHERE Type = 'Error' AND Description LIKE '%disk full%'"),
              10);
    EXPECT_FALSE(std::filesystem::exists(reports / "ACME_850_004010_I.ttx"));
}

TEST_F(Editing, SaveNormalisesThePanelsAndWritesTheDerivedFiles) {
    EXPECT_EQ(maps::MaxUsageLoopOf("0"), 1);
    EXPECT_EQ(maps::MaxUsageLoopOf(">1"), maps::kManyUses);
    EXPECT_EQ(maps::MaxUsageLoopOf("abc"), 1);
    EXPECT_EQ(maps::MaxUsageLoopOf("5"), 5);
    struct Case {
        const char* reference, *minimum, *maximum;
        const char* expected;   // reference|minimum|maximum after normalising
    };
    const Case cases[] = {
        {"N/A", "1", "40000", "1|1|32760"}, {"7", "1", "abc", "7|1|1"},  {"7", "5", "3", "7|5|5"},
        {"7", "40000", "50000", "7|40000|40000"}, {"7", "x", "3", "7|1|3"},
    };
    for (const Case& c : cases) {
        maps::ElementPanel p;
        p.reference = c.reference;
        p.minimum = c.minimum;
        p.maximum = c.maximum;
        maps::NormaliseElementPanel(p);
        EXPECT_EQ(p.reference + "|" + p.minimum + "|" + p.maximum, c.expected);
    }

    MapEditor editor(d.services, kIn);
    maps::SegmentPanel seg;
    seg.segment = "XYZ";   // the id is never changed by a save
    seg.segmentName = "Beginning";
    seg.maxUsageLoop = "0";
    seg.placeholders = "0.0";
    seg.levelIndex = 2;
    seg.looping = true;
    EXPECT_EQ(editor.SaveSegment("Segment0102", seg).selectedKey, "Segment0102");
    EXPECT_EQ(seg.placeholders, "1");
    seg.placeholders = "many";   // not a number: the stored value stays
    seg.usageIndex = -1;
    EXPECT_TRUE(editor.SaveSegment("Segment0102", seg).changed);
    maps::ElementPanel el;
    el.reference = "N/A";
    el.minimum = "2";
    el.maximum = "99999";
    el.typeIndex = 5;
    el.usageIndex = 3;
    el.format = "00000";
    EXPECT_EQ(editor.SaveElement("Element010203", el).selectedKey, "Element010203");
    EXPECT_EQ(el.maximum, "32760");

    const maps::Map map = maps::LoadMap(d.db, kIn);
    const auto& beg = map.segments[1];
    EXPECT_EQ(beg.segment + beg.segmentName + beg.level + beg.segmentUsage, "BEGBeginningSO");
    EXPECT_EQ(beg.maxUsageLoop, 1);
    EXPECT_EQ(beg.placeholders, 1);
    EXPECT_TRUE(beg.looping);
    const auto& b3 = beg.elements[2];
    EXPECT_EQ(b3.reference, 1);
    EXPECT_EQ(b3.maximum, 32760);
    EXPECT_EQ(b3.type + b3.elementUsage + b3.format, "N0X00000");
    EXPECT_TRUE(std::filesystem::exists(reports / "ACME_850_004010_I.ttx"));
    EXPECT_TRUE(std::filesystem::exists(reports / "ACME_850_004010_I.RPT"));
    EXPECT_TRUE(std::filesystem::exists(d.activeX / "ACME_850_004010_I.ADO"));
    EXPECT_EQ(d.history(), "");
}

TEST_F(Editing, NinetyNineSegmentsOrElementsRefuseMoreSilently) {
    maps::Map map = makeMap(kIn, {{"ST", 1, {{}}}});
    for (int i = 2; i <= 99; ++i) map.segments.push_back(map.segments[0]);
    map.segments[1].elements.assign(99, map.segments[1].elements[0]);
    for (std::size_t i = 0; i < map.segments.size(); ++i) {
        map.segments[i].segmentIndex = std::int64_t(i + 1);
        for (std::size_t e = 0; e < map.segments[i].elements.size(); ++e) {
            map.segments[i].elements[e].segmentIndex = std::int64_t(i + 1);
            map.segments[i].elements[e].elementIndex = std::int64_t(e + 1);
        }
    }
    d.store(map);
    MapEditor editor(d.services, kIn);
    maps::SegmentPanel seg;
    maps::ElementPanel el;
    EXPECT_FALSE(editor.AddSegment("Segment0101", "N1").changed);
    EXPECT_FALSE(editor.DuplicateSegment("Segment0101", "N1", seg).changed);
    EXPECT_FALSE(editor.AddElement("Element010201").changed);
    EXPECT_FALSE(editor.DuplicateElement("Element010201", el).changed);
    EXPECT_TRUE(editor.AddElement("Element010301").changed);
    EXPECT_TRUE(d.boxes().empty());
    EXPECT_EQ(maps::LoadMap(d.db, kIn).segments.size(), 99u);
}

struct Panels : Editing {
    maps::MapPanels panels{d.services};
    Panels() { panels.chooseMap(kIn); }
};

TEST_F(Panels, ShowFillsThePanelAndTheSaveQuestionGuardsUnsavedEdits) {
    d.db.exec("UPDATE Segment SET MaxUsageLoop = 9999999, SegmentUsage = 'M', Level = 'x' WHERE SegmentIndex = 2 "
              "AND Direction = 'I'");
    EXPECT_TRUE(panels.showSegment("Segment0102", maps::MapPanels::Expand::Expand).shown);
    EXPECT_EQ(panels.segment().maxUsageLoop, ">1");
    EXPECT_EQ(panels.segment().usageIndex, 0);
    EXPECT_EQ(panels.segment().levelIndex, -1);   // a code outside the list leaves the list
    EXPECT_EQ(d.db.scalarInt("SELECT Expanded FROM Segment WHERE SegmentIndex = 2 AND Direction = 'I' "
                             "AND \"Transaction\" = '850'"), 1);

    // Edit and leave: No drops the edit and shows the element.
    panels.segment().segmentName = "Edited";
    panels.segmentEdited();
    d.ui.boxAnswers = {core::vbNo};
    EXPECT_TRUE(panels.showElement("Element010201").shown);
    EXPECT_EQ(d.boxes(), std::vector<std::string>{"box 36 Veltrane: Segment Properties\rSave Changes?"});
    EXPECT_FALSE(panels.segmentDirty());
    EXPECT_EQ(panels.element().elementName, "b1");

    // The script editor marks the element panel only.
    panels.scriptEdited();
    EXPECT_TRUE(panels.elementDirty());
    EXPECT_FALSE(panels.segmentDirty());

    // Yes saves into the element shown before and shows it again instead.
    panels.element().elementName = "Renamed";
    const auto shown = panels.showSegment("Segment0103", maps::MapPanels::Expand::Leave);
    EXPECT_FALSE(shown.shown);
    EXPECT_EQ(shown.saved.selectedKey, "Element010201");
    EXPECT_EQ(panels.panelKey(), "Element010201");
    EXPECT_EQ(maps::LoadMap(d.db, kIn).segments[1].elements[0].elementName, "Renamed");
    EXPECT_FALSE(panels.elementDirty());
}

TEST_F(Panels, SwitchingMapsAsksBeforeTheCurrentMapChanges) {
    panels.showSegment("Segment0102", maps::MapPanels::Expand::Leave);
    panels.segment().segmentName = "Kept";
    panels.segmentEdited();
    panels.chooseMap(kIn);   // the same map again: the flag stays, no question
    EXPECT_TRUE(panels.segmentDirty());
    EXPECT_TRUE(d.boxes().empty());

    const auto saved = panels.chooseMap(kOutKey);
    EXPECT_EQ(saved.selectedKey, "Segment0102");
    EXPECT_EQ(maps::LoadMap(d.db, kIn).segments[1].segmentName, "Kept");
    EXPECT_EQ(maps::LoadMap(d.db, kOutKey).segments[1].segmentName, "");
    EXPECT_FALSE(panels.segmentDirty());
    EXPECT_EQ(panels.map(), kOutKey);

    // Structural commands ask first, so the edit lands in its own row.
    panels.showElement("Element010202");
    panels.element().elementName = "Mine";
    panels.elementEdited();
    d.ui.events.clear();
    EXPECT_EQ(panels.confirmPendingEdits().selectedKey, "Element010202");
    EXPECT_TRUE(panels.editor().MoveElementUp("Element010202").changed);
    EXPECT_EQ(print(d.db, kOutKey), "ST/1(s1 s2) BEG/1(Mine b1 b3) N1/1(n1 n2) N3/2(x1) CTT/1(c1)");
}

TEST(MapPanelsTab, TheTabKeyReplacesTheSelection) {
    std::string text = "If a Then";
    EXPECT_EQ(maps::MapPanels::InsertTab(text, 3, 1), 4u);
    EXPECT_EQ(text, "If \t Then");
    EXPECT_EQ(maps::MapPanels::InsertTab(text, 0, 0), 1u);
    EXPECT_EQ(text, "\tIf \t Then");
}

}  // namespace
}  // namespace vt::test
