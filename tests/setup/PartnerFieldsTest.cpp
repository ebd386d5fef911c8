#include "core/UiSink.h"
#include "setup/PartnerFields.h"
#include "tests/setup/PartnersFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace vt::setup;
using vt::core::vbCritical;
using vt::core::vbExclamation;

TEST(PartnerNames, AddAndSaveRules) {
    const std::string invalid = "Invalid Trading Partner Name!";
    const std::string shortName = "Enter a longer Trading Partner Name! (Min 6)";
    struct Case {
        std::string name;
        std::string add, save;   // "" accepted
    } cases[] = {
        {"ACME01", "", ""},
        {"acme0001", "", ""},
        {"AC/ME1", invalid, ""},
        {"AC\\ME1", invalid, ""},
        {"AC ME1", invalid, invalid},
        {" ACME01", invalid, invalid},
        {"ACME-1", invalid, invalid},
        {std::string("ACM\xC9") + "01", invalid, invalid},   // a 1252 letter outside a-z
        {"ACME", shortName, shortName},
        {"AC/", invalid, shortName},
        {"", shortName, shortName},
    };
    for (const auto& c : cases) {
        for (auto [use, expected] : {std::pair{NameUse::Add, c.add}, std::pair{NameUse::Save, c.save}}) {
            const auto refusal = checkPartnerName(c.name, use);
            EXPECT_EQ(refusal ? refusal->text : "", expected) << "'" << c.name << "' " << int(use);
            if (refusal) {
                EXPECT_EQ(refusal->style & 0x70, expected == invalid ? vbCritical : vbExclamation);
            }
        }
    }
}

TEST(PartnerFields, ListMappings) {
    const auto terminators = separatorItems(true);
    const auto delimiters = separatorItems(false);
    ASSERT_EQ(terminators.size(), 256u);
    ASSERT_EQ(delimiters.size(), 256u);
    EXPECT_EQ(terminators[0], "CR/LF");
    EXPECT_EQ(delimiters[0], "NULL");
    EXPECT_EQ(delimiters[42], "042 -- (*)");
    EXPECT_EQ(terminators[126], "126 -- (~)");
    EXPECT_EQ(delimiters[1], std::string("001 -- (\x01)"));
    EXPECT_EQ(delimiters[255], std::string("255 -- (\xFF)"));

    const std::pair<const char*, int> acks[] = {{"0", 0}, {"1", 1}, {"", 1}, {"X", 1}, {"00", 1}};
    for (auto [stored, index] : acks) EXPECT_EQ(ackListIndex(stored), index) << stored;
    EXPECT_EQ(isa14FromListIndex(0), "0");
    EXPECT_EQ(isa14FromListIndex(1), "1");
    const std::pair<const char*, int> tests[] = {{"P", 0}, {"T", 1}, {"", 1}, {"p", 1}};
    for (auto [stored, index] : tests) EXPECT_EQ(testIndicatorListIndex(stored), index) << stored;
    EXPECT_EQ(isa15FromListIndex(0), "P");
    EXPECT_EQ(isa15FromListIndex(1), "T");
    EXPECT_EQ(isa12FromVersion("004010"), "00401");
    EXPECT_EQ(isa12FromVersion("004010UCS"), "00401");
    EXPECT_EQ(isa12FromVersion("0030"), "0030");
}

TEST(PartnerFields, X12WidthsOfTheBoxes) {
    std::string widths;
    for (const auto& f : kPartnerTextFields) widths += std::string(f.column) + "=" + std::to_string(f.length) + " ";
    EXPECT_EQ(widths, "ISA01=2 ISA02=10 ISA03=2 ISA04=10 ISA05=2 ISA06=15 ISA07=2 ISA08=15 ISA11=1 ISA12=5 GS02=15 "
                      "GS03=15 GS07=1 ");
    std::string display;
    for (const auto& f : kPartnerDisplayFields) display += std::string(f.control) + "=" + std::to_string(f.length) + " ";
    EXPECT_EQ(display, "txtISA09=6 txtISA10=4 txtGS01=2 txtGS04=8 txtGS05=8 txtGS08=12 ");
}

TEST(PartnerFields, ControlNumbers) {
    const std::pair<const char*, bool> numeric[] = {{"123", true}, {" 123  ", true}, {"000000000", true},
                                                    {"", false},   {"         ", false}, {"12a", false},
                                                    {"-1", false}, {"1 2", false}};
    for (auto [text, expected] : numeric) EXPECT_EQ(isControlNumberText(text), expected) << "'" << text << "'";
    const std::pair<const char*, const char*> shown[] = {
        {"123", "000000123"}, {"0", "000000000"}, {"", ""}, {"abc", "abc"}, {"1234567890", "1234567890"},
        {" 7 ", "000000007"}, {"0000000042", "000000042"}};
    for (auto [stored, expected] : shown) EXPECT_EQ(nineDigitControl(stored), expected) << stored;
}

TEST(PartnerFields, ClockFollowsTheSetsVersion) {
    const vt::text::DateTime now{2024, 3, 5, 9, 7, 4};
    struct Case {
        const char* gs08;
        const char* gs04;   // "" keeps what is shown
        const char* gs05;
    } cases[] = {
        {"003020", "240305", "0907"},     {"004010", "20240305", "090704"}, {"005010", "20240305", "090704"},
        {"002000", "240305", "0907"},     {"00", "240305", "0907"},         {"ABCDEF", "240305", "0907"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const ClockFields f = clockFields(now, c.gs08);
        EXPECT_EQ(f.isa09, "240305");
        EXPECT_EQ(f.isa10, "0907");
        EXPECT_EQ(f.gs04.value_or(""), c.gs04) << c.gs08;
        EXPECT_EQ(f.gs05.value_or(""), c.gs05) << c.gs08;
    }
}

class PartnerRows : public vt::test::SetupTest {};

TEST_F(PartnerRows, StoredValuesThatDoNotFitReadAsDefaults) {
    db.exec("INSERT INTO Partner (Partner) VALUES ('ADDED1')");
    db.exec("INSERT INTO Partner (Partner, Segment, element, Sub, ISAVersionIndex, ISA13, GS06) "
            "VALUES ('ODD001', 300, 'x', -4, 'abc', '17', '')");
    db.exec("INSERT INTO Partner (Partner, Segment, element, Sub, ISA06) VALUES ('FINE01', 13, 42, 62, 12345)");
    const auto added = readPartner(db, 1);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->partner, "ADDED1");
    EXPECT_EQ(added->segment, 0);
    EXPECT_EQ(added->isa13, "0");
    EXPECT_EQ(added->isa14, "");
    const auto odd = readPartner(db, 2);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->segment, 0);
    EXPECT_EQ(odd->element, 0);
    EXPECT_EQ(odd->sub, 0);
    EXPECT_EQ(odd->isaVersionIndex, 0);
    EXPECT_EQ(odd->isa13, "17");
    const auto fine = readPartner(db, 3);
    ASSERT_TRUE(fine);
    EXPECT_EQ(fine->segment, 13);
    EXPECT_EQ(fine->element, 42);
    EXPECT_EQ(fine->isa06, "12345");
    EXPECT_FALSE(readPartner(db, 99));
}

}  // namespace
