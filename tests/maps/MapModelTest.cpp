// The map repository (round trip, defaults of rows stored with only their key, quotes in keys),
// tree keys and list codes, and the record layout file: names, type columns, exclusions, the
// read-back through the core reader and a failed write that keeps the previous file.

#include "MapFixture.h"

#include "core/Registry.h"
#include "core/RecordLayout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace vt::test {
namespace {

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(MapModel, StoresAndReadsAMapWholeWithQuotesInItsKey) {
    FolderDb d;
    maps::Map map = makeMap({"O'Neil", "850", "004010", "I"}, {{"BEG", 1, {{}, {"DT", 8}}, "x = 1"}, {"N1", 2, {{}}}});
    map.segments[0].elements[1].format = "yyyymmdd";
    maps::SaveMap(d.db, map);
    maps::Map other = makeMap({"O'Neil", "850", "004010", "O"}, {{"XX", 1, {{}}}});
    maps::SaveMap(d.db, other);

    const maps::Map back = maps::LoadMap(d.db, map.key);
    ASSERT_EQ(back.segments.size(), 2u);
    EXPECT_EQ(back.segments[0].segment, "BEG");
    EXPECT_EQ(back.segments[0].segmentScript, "x = 1");
    EXPECT_EQ(back.segments[1].node, 2);
    ASSERT_EQ(back.segments[0].elements.size(), 2u);
    EXPECT_EQ(back.segments[0].elements[1].type, "DT");
    EXPECT_EQ(back.segments[0].elements[1].format, "yyyymmdd");
    EXPECT_EQ(back.segments[0].elements[1].id, map.segments[0].elements[1].id);

    // Saving again replaces the rows instead of adding to them.
    maps::SaveMap(d.db, map);
    EXPECT_EQ(d.count("Segment"), 3);
    maps::DeleteMap(d.db, map.key);
    EXPECT_EQ(d.count("Segment"), 1);
    EXPECT_EQ(d.count("Element"), 1);
}

TEST(MapModel, TheStarterMapHasUsableValuesInEveryField) {
    FolderDb d;
    ASSERT_TRUE(core::AddPartnerTransaction(d.services, "ACME", "810", "IN", "004010", "I"));
    const maps::Map map = maps::LoadMap(d.db, {"ACME", "810", "004010", "I"});
    ASSERT_EQ(map.segments.size(), 1u);
    const maps::SegmentRow& s = map.segments[0];
    EXPECT_EQ(s.segment, "XX");
    EXPECT_EQ(s.segmentIndex, 1);
    EXPECT_EQ(s.node, 1);
    EXPECT_EQ(s.segmentUsage, "O");
    EXPECT_EQ(s.maxUsageLoop, 1);
    EXPECT_EQ(s.placeholders, 1);
    EXPECT_FALSE(s.exclude);
    EXPECT_EQ(s.segmentScript, "");
    ASSERT_EQ(s.elements.size(), 1u);
    const maps::ElementRow& e = s.elements[0];
    EXPECT_EQ(e.type, "AN");
    EXPECT_EQ(e.elementUsage, "O");
    EXPECT_EQ(e.minimum, 1);
    EXPECT_EQ(e.maximum, 1);
    EXPECT_EQ(e.format, "");
    EXPECT_EQ(e.elementScript, "");
    // Its layout is readable at once.
    EXPECT_EQ(maps::RecordLayoutText(maps::RecordLayoutFields(map)), "1XX01\t200\t1\r\n\r\n");
    EXPECT_EQ(maps::ListMaps(d.db), (std::vector<maps::MapKey>{{"ACME", "810", "004010", "I"}}));
}

TEST(MapModel, TreeKeysAndListCodes) {
    EXPECT_EQ(maps::SegmentKey(1, 1), "Segment0101");
    EXPECT_EQ(maps::ElementKey(1, 1, 2), "Element010102");
    const struct {
        const char* key;
        maps::TreeKey::Kind kind;
        int node, segment, element;
    } cases[] = {
        {"Segment0307", maps::TreeKey::Segment, 3, 7, 0}, {"Element010212", maps::TreeKey::Element, 1, 2, 12},
        {"Root", maps::TreeKey::Root, 0, 0, 0},           {"SEGMENT0101", maps::TreeKey::Segment, 0, 0, 0},
        {"Other", maps::TreeKey::Other, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const maps::TreeKey k = maps::ParseTreeKey(c.key);
        EXPECT_EQ(k.kind, c.kind) << c.key;
        EXPECT_EQ(k.node, c.node) << c.key;
        EXPECT_EQ(k.segmentIndex, c.segment) << c.key;
        EXPECT_EQ(k.elementIndex, c.element) << c.key;
    }
    EXPECT_EQ(maps::ElementTypeIndex("N3"), 8);
    EXPECT_EQ(maps::ElementTypeIndex("an"), std::nullopt);
    EXPECT_EQ(maps::ElementTypeCode(4), "R");
    EXPECT_EQ(maps::SegmentLevelIndex("S"), 2);
    EXPECT_EQ(maps::ElementUsageCode(3), "X");
    EXPECT_EQ(maps::SegmentUsageCode(7), "");
}

TEST(RecordLayout, NamesFieldsByOccurrenceSegmentAndElement) {
    const El el{};
    const maps::Map map = makeMap(k850, {
        {"BSS", 1, {el, el, el}},
        {"XXX", 1, {el}, "", 1, true},   // excluded: no fields, no number
        {"DTM", 1, {el, {"AN", 30, "", "", true}, el}},
        {"N1", 1, {el, el}, "", 2},
        {"ZZ", 1, {{"AN", 1, "", "", true}}},   // every element excluded: a number, no fields
        {"END", 1, {el}, "", 0},                  // no placeholders: nothing
    });
    std::string names;
    for (const maps::LayoutField& f : maps::RecordLayoutFields(map)) names += f.name + " ";
    EXPECT_EQ(names, "1BSS01 1BSS02 1BSS03 2DTM01 2DTM03 3N101 3N102 4N101 4N102 ");
}

TEST(RecordLayout, WritesTypeColumnsAndReadsBack) {
    const maps::Map map = makeMap(k850, {{"AAA", 1,
                                          {{"ID", 2}, {"AN", 30}, {"DT", 8}, {"TM", 4}, {"R", 9}, {"N2", 9},
                                           {"N0", 5}}}});
    MapDb d;
    d.store(map);
    const std::filesystem::path file = d.activeX / "ACME_850_004010_I.ADO";
    EXPECT_EQ(readFile(file),
              "1AAA01\t200\t2\r\n1AAA02\t200\t30\r\n1AAA03\t7\t8\r\n1AAA04\t134\t4\r\n1AAA05\t4\t9\r\n"
              "1AAA06\t131\t9\t2\r\n1AAA07\t131\t5\t0\r\n\r\n");
    auto rs = core::OpenRecordsetFromLayout(d.services, file);
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->fieldCount(), 7u);
    EXPECT_EQ(rs->fieldDef(5).type, 131);
    EXPECT_EQ(rs->fieldDef(5).precision, 9);
    EXPECT_EQ(rs->fieldDef(5).numericScale, 2);
    EXPECT_EQ(rs->fieldDef(2).type, 7);
    EXPECT_EQ(rs->fieldDef(1).definedSize, 30);

    // A type outside the table gives the name alone, which the reader refuses.
    maps::Map odd = makeMap(k810, {{"BIG", 1, {{"XY", 5}}}});
    EXPECT_EQ(maps::RecordLayoutText(maps::RecordLayoutFields(odd)), "1BIG01\r\n\r\n");
}

TEST(RecordLayout, AFailedWriteKeepsThePreviousFile) {
    MapDb d;
    const std::filesystem::path file = d.activeX / "ACME_850_004010_I.ADO";
    const std::string before = readFile(file);
    ASSERT_FALSE(before.empty());
    maps::Map huge = makeMap(k850, {{"N1", 1, {{}}, "", 40000}});
    maps::SaveMap(d.db, huge);
    EXPECT_FALSE(maps::WriteRecordLayout(d.services, k850));
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(d.history(), "Error:6 Overflow");

    // A key that would leave the folder is refused.
    d.ui.events.clear();
    EXPECT_FALSE(maps::WriteRecordLayout(d.services, {"../x", "850", "004010", "I"}));
    EXPECT_EQ(d.boxes(), std::vector<std::string>{"box 16 Veltrane: Invalid procedure call or argument"});
}

}  // namespace
}  // namespace vt::test
