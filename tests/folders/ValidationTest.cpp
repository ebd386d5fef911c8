#include "folders/Validation.h"
#include "tests/folders/FolderFixture.h"

#include <gtest/gtest.h>

using namespace vt::folders;
using vt::test::FolderDb;
using vt::test::Item;

namespace {

struct Rule {
    int minimum, maximum;
    bool exclude = false;
};

void mapSegment(FolderDb& db, int index, const std::string& id, int node, int maxUse, const std::vector<Rule>& rules) {
    auto seg = db.db.prepare(
        "INSERT INTO Segment (Partner, Version, \"Transaction\", Direction, Segment, SegmentIndex, Node, MaxUsageLoop)"
        " VALUES ('ACME', '004010', '850', 'I', ?1, ?2, ?3, ?4)");
    seg.bindAll(id, index, node, maxUse).run();
    auto el = db.db.prepare(
        "INSERT INTO Element (Partner, Version, \"Transaction\", Direction, Segment, SegmentIndex, ElementIndex,"
        " Minimum, Maximum, Exclude) VALUES ('ACME', '004010', '850', 'I', ?1, ?2, ?3, ?4, ?5, ?6)");
    for (size_t j = 0; j < rules.size(); ++j)
        el.bindAll(id, index, int(j + 1), rules[j].minimum, rules[j].maximum, rules[j].exclude).run();
}

// A purchase order map with an N1/N3/N4 loop.
void purchaseOrderMap(FolderDb& db) {
    mapSegment(db, 1, "BEG", 1, 1, {{2, 2}, {2, 2}, {1, 10}, {1, 30}, {8, 8}});
    mapSegment(db, 2, "REF", 1, 2, {{2, 3}, {1, 30}});
    mapSegment(db, 3, "N1", 1, 3, {{2, 3}, {1, 60}});
    mapSegment(db, 4, "N3", 2, 3, {{1, 55}});
    mapSegment(db, 5, "N4", 3, 3, {{2, 30}, {2, 2}, {3, 15}});
    mapSegment(db, 6, "PO1", 1, 100, {{1, 20}, {1, 15}, {2, 2}, {1, 17, true}});
    mapSegment(db, 7, "CTT", 1, 1, {{1, 6}});
}

const std::string kBeg = "BEG*00*SA*PO-1**20240305~";
const std::string kLoop = "N1*ST*WAREHOUSE~N3*1 MAIN ST~N4*SPRINGFIELD*IL*62701~";
const std::string kTail = "PO1*1*10*EA*9.95~CTT*1~";
const std::string kClean = kBeg + "REF*DP*038~" + kLoop + kTail;

std::string set(const std::string& body) { return "ST*850*0001~" + body + "SE*0*0001~"; }

std::string repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}

struct Case {
    const char* name;
    std::string body;
    std::string finding;   // "" when the set passes
};

TEST(ValidateTransactionSet, FindingsAgainstTheMap) {
    const Case cases[] = {
        {"clean set", kClean, ""},
        {"ST and SE only", "", ""},
        {"optional segment absent", kBeg + kLoop + kTail, ""},
        {"repeat within its limit", kBeg + "REF*DP*038~REF*PS*R~" + kLoop + kTail, ""},
        {"usage exceeded by a repeat", kBeg + repeat("REF*DP*038~", 3) + kLoop + kTail,
         "Warning:Segment REF Maximum Usage/Loops = 2 Exceeded "},
        {"once-only segment repeated", kBeg + kBeg + kTail, "Warning:Segment BEG Maximum Usage/Loops = 1 Exceeded "},
        {"loop re-entered", kBeg + repeat(kLoop, 3) + kTail, ""},
        {"loop count exceeded", kBeg + repeat(kLoop, 4) + kTail, "Warning:Segment N1 Maximum Usage/Loops = 3 Exceeded "},
        {"unknown segment", kBeg + "ZZZ*1~" + kTail, "Error:ZZZ - Segment Sequence - Verify Mapping"},
        {"segment out of order", kBeg + "CTT*1~PO1*1*10*EA*9.95~", "Error:PO1 - Segment Sequence - Verify Mapping"},
        {"element too long", kBeg + "N1*ST*" + std::string(61, 'W') + "~" + kTail,
         "Warning:N102 > Maximum  Length = 61"},
        {"element too short", kBeg + "REF*D*038~" + kTail, "Warning:REF01 < Minimum  Length = 1"},
        {"empty element is never too short", kBeg + "REF**038~" + kTail, ""},
        {"missing trailing elements", kBeg + "N1*ST~N4*SPRINGFIELD~" + kTail, ""},
        {"excluded element", kBeg + "PO1*1*10*EA*" + std::string(40, '9') + "~CTT*1~", ""},
        {"element that is the sub-element separator", "BEG*>*SA*PO-1**20240305~" + kTail, ""},
        {"surplus element", kBeg + "PO1*1*10*EA*9.95~CTT*1*5~", "Error:CTT - Segment - Verify Mapping"},
        {"empty segment", kBeg + "~" + kTail, "Error: - Segment - Verify Mapping"},
        {"lower-case id matches the map", kBeg + "ref*DP*038~" + kTail, ""},
    };
    FolderDb db;
    purchaseOrderMap(db);
    for (const Case& c : cases) {
        db.db.exec("DELETE FROM History");
        const bool passed =
            ValidateTransactionSet(db.services, "ACME", "850", "004010", "I", set(c.body), "~", "*", ">");
        EXPECT_EQ(passed, c.finding.empty()) << c.name;
        EXPECT_EQ(db.history(), c.finding) << c.name;
    }
}

TEST(ValidateTransactionSet, MapFaults) {
    FolderDb noMap;
    EXPECT_FALSE(ValidateTransactionSet(noMap.services, "ACME", "850", "004010", "I", set(""), "~", "*", ">"));
    EXPECT_EQ(noMap.history(), "Error: - Segment - Verify Mapping");

    FolderDb noElements;
    purchaseOrderMap(noElements);
    noElements.db.exec("DELETE FROM Element WHERE Segment = 'CTT'");
    EXPECT_FALSE(ValidateTransactionSet(noElements.services, "ACME", "850", "004010", "I", set(kClean), "~", "*", ">"));
    EXPECT_EQ(noElements.history(), "Error:CTT - Segment - Verify Mapping");

    FolderDb noTerminator;
    purchaseOrderMap(noTerminator);
    EXPECT_FALSE(ValidateTransactionSet(noTerminator.services, "ACME", "850", "004010", "I", set(kClean), "", "", ""));
    EXPECT_EQ(noTerminator.history(), "Error: - Segment - Verify Mapping");
}

// The forward search gives up after the map's segment count + 11 failed attempts for the first
// segment and + 10 for every later one; here the map has two segments.
TEST(ValidateTransactionSet, AttemptLimits) {
    struct Limit {
        int first, second;
        std::string finding;
    } limits[] = {
        {13, 25, ""},
        {14, 26, "Error:AAA - Segment Sequence - Verify Mapping"},
        {13, 26, "Error:BBB - Segment Sequence - Verify Mapping"},
    };
    for (const Limit& l : limits) {
        FolderDb db;
        mapSegment(db, l.first, "AAA", 1, 1, {{1, 1}});
        mapSegment(db, l.second, "BBB", 1, 1, {{1, 1}});
        ValidateTransactionSet(db.services, "ACME", "850", "004010", "I", set("AAA*1~BBB*1~"), "~", "*", ">");
        EXPECT_EQ(db.history(), l.finding) << l.first << " " << l.second;
    }
}

TEST(ValidateTransactionSet, ThreeDigitElementNumbers) {
    FolderDb db;
    mapSegment(db, 1, "BIG", 1, 1, std::vector<Rule>(100, Rule{1, 1}));
    ValidateTransactionSet(db.services, "ACME", "850", "004010", "I", set("BIG" + repeat("*1", 99) + "*12~"), "~",
                           "*", ">");
    EXPECT_EQ(db.history(), "Warning:BIG100 > Maximum  Length = 2");
}

TEST(ValidateTransactionSet, PreviewFollowsTheSegments) {
    FolderDb db;
    purchaseOrderMap(db);
    const ValidationMap map = ValidationMap::Load(db.services, {"ACME", "850", "004010", "I"});
    std::string shown;
    std::vector<std::size_t> lines;
    ValidationPreview preview{[&](std::string_view t) { shown = std::string(t); },
                              [&](std::size_t offset, std::size_t) {
                                  if (lines.empty() || lines.back() != offset) lines.push_back(offset);
                              }};
    const std::string tset = set(kBeg + "REF*DP*038~REF*PS*R~" + kLoop + kTail);
    EXPECT_TRUE(ValidateTransactionSet(db.services, map, tset, "~", "*", ">", preview));
    std::vector<std::size_t> starts;   // where the lines of BEG to CTT begin
    for (std::size_t at = shown.find("\r\n"); starts.size() < 8; at = shown.find("\r\n", at + 2))
        starts.push_back(at + 2);
    EXPECT_EQ(shown.substr(0, 14), "ST*850*0001\r\nB");
    EXPECT_EQ(lines, starts);
}

struct Box : ::testing::Test {
    FolderDb db;
    void SetUp() override { purchaseOrderMap(db); }
    std::int64_t add(const std::string& body, const char* icn, const char* version = "004010") {
        Item i;
        i.tset = set(body);
        i.icn = icn;
        i.version = version;
        return db.add("Inbox", i);
    }
};

TEST_F(Box, MarksTheSelectedRowsAndSummarises) {
    add(kClean, "1");
    add(kClean, "2");
    add(kBeg + "ZZZ~" + kTail, "3");
    add(kClean, "4");
    std::vector<std::string> shown;
    ValidateBox(db.services, db.list("Inbox", {1, 2, 3}), {[&](std::string_view t) { shown.emplace_back(t); }, {}});
    EXPECT_EQ(db.column("Inbox", "Status"), "Closed|Validated|Error|Validated");
    EXPECT_EQ(db.column("Inbox", "Acknowledged"), "No|No|No|No");
    EXPECT_EQ(db.history(), "Error:ZZZ - Segment Sequence - Verify Mapping|"
                            "Info:ACME_850_004010_I Validated: 3 Errors: 1");
    EXPECT_EQ(db.ui.refreshed, std::vector<std::string>{"Inbox"});
    EXPECT_EQ(db.ui.eventsStartingWith("status 3"),
              (std::vector<std::string>{"status 3: 33% Complete", "status 3: 67% Complete", "status 3: 100% Complete",
                                        "status 3: "}));
    EXPECT_EQ(db.ui.progressMax, 0);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1], "ST*850*0001\r\nBEG*00*SA*PO-1**20240305\r\nZZZ\r\nPO1*1*10*EA*9.95\r\nCTT*1\r\n"
                        "SE*0*0001\r\n");
}

TEST_F(Box, HalvesRoundToEven) {
    for (int i = 0; i < 8; ++i) add(kClean, "1");
    ValidateBox(db.services, db.list("Inbox", {0, 1, 2, 3, 4, 5, 6, 7}));
    const auto shown = db.ui.eventsStartingWith("status 3");
    ASSERT_EQ(shown.size(), 9u);
    EXPECT_EQ(shown[0], "status 3: 12% Complete");   // 12.5
    EXPECT_EQ(shown[2], "status 3: 38% Complete");   // 37.5
    EXPECT_EQ(shown[4], "status 3: 62% Complete");   // 62.5
}

TEST_F(Box, NothingWithoutAUniqueSelection) {
    add(kClean, "1");
    add(kClean, "2", "003040");
    ValidateBox(db.services, db.list("Inbox"));
    EXPECT_TRUE(db.ui.events.empty());
    ValidateBox(db.services, db.list("Inbox", {0, 1}));
    EXPECT_EQ(db.boxes().size(), 1u);
    EXPECT_EQ(db.column("Inbox", "Status"), "Closed|Closed");
    EXPECT_EQ(db.history(), "");
}

TEST_F(Box, AFailureKeepsTheStatusesAlreadyWritten) {
    for (const char* icn : {"1", "2", "3", "4"}) add(kClean, icn);
    db.db.exec("CREATE TRIGGER fail BEFORE UPDATE OF Status ON Inbox WHEN OLD.InterchangeControlNumber = '3' "
               "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    ValidateBox(db.services, db.list("Inbox", {0, 1, 2, 3}));
    EXPECT_EQ(db.column("Inbox", "Status"), "Validated|Validated|Closed|Closed");
    EXPECT_EQ(db.history(), "Error:19 disk full");
    EXPECT_EQ(db.ui.panels[3], "");
    EXPECT_EQ(db.ui.progressMax, 0);
    EXPECT_TRUE(db.ui.refreshed.empty());
    EXPECT_FALSE(db.db.inTransaction());
}

}  // namespace
