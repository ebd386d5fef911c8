#include "core/Envelopes.h"
#include "core/RunError.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vt::core;

class Envelopes : public ::testing::Test {
protected:
    void SetUp() override {
        t.clock.set({2024, 3, 5, 14, 7, 9});
        t.db.exec(
            "INSERT INTO Partner (Partner, Segment, element, Sub, ISA01, ISA02, ISA03, ISA04, ISA05, ISA06, ISA07, ISA08, "
            "ISA11, ISA12, ISA13, ISA14, ISA15, GS02, GS03, GS06, GS07) VALUES ('O''Hara', 126, 42, 62, '00', "
            "'          ', '00', '          ', 'ZZ', 'OWNID          ', '12', 'PARTNERID      ', 'U', '00401', '0', "
            "'0', 'P', 'OWNAPP', 'PARTAPP', '0', 'X')");
    }
    void set(const char* column, const std::string& value) {
        auto q = t.db.prepare(std::string("UPDATE Partner SET ") + column + " = ?1");
        q.bind(1, value);
        q.run();
    }
    std::string stored(const char* column) { return t.db.scalarText(std::string("SELECT ") + column + " FROM Partner"); }
    long long errorsLogged() { return t.db.scalarInt("SELECT count(*) FROM History WHERE Type = 'Error'"); }

    static constexpr const char* kPartner = "O'Hara";
    vt::test::ScratchDatabase t;
};

TEST_F(Envelopes, IsaHasTheFullWidthsAndTheNextControlNumber) {
    const std::string isa = BuildISASegment(t.services, kPartner);
    EXPECT_EQ(isa,
              "ISA*00*          *00*          *ZZ*OWNID          *12*PARTNERID      *240305*1407*U*00401*000000001*0*P*>~");
    EXPECT_EQ(isa.size(), 106u);
    EXPECT_EQ(stored("ISA13"), "1");
}

TEST_F(Envelopes, ControlNumbersStayWithinNineDigits) {
    struct Case {
        const char* before;
        const char* inSegment;
        const char* after;
    };
    const Case cases[] = {{"0", "000000001", "1"},
                          {"000000041", "000000042", "42"},
                          {"999999998", "999999999", "999999999"},
                          {"999999999", "000000001", "1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        set("ISA13", c.before);
        set("GS06", c.before);
        EXPECT_EQ(BuildISASegment(t.services, kPartner).substr(90, 9), c.inSegment);
        EXPECT_EQ(stored("ISA13"), c.after);
        const std::string gs = BuildGSSegment(t.services, kPartner, "PO", "004010");
        EXPECT_NE(gs.find(std::string("*") + c.inSegment + "*X*"), std::string::npos) << gs;
        EXPECT_EQ(stored("GS06"), c.after);
    }
}

TEST_F(Envelopes, TwoIsasWithinAMinuteDifferOnlyInTheControlNumber) {
    std::string first = BuildISASegment(t.services, kPartner);
    t.clock.set({2024, 3, 5, 14, 7, 58});
    std::string second = BuildISASegment(t.services, kPartner);
    EXPECT_EQ(first.replace(90, 9, "#"), second.replace(90, 9, "#"));
}

TEST_F(Envelopes, GsDateAndTimeWidthsFollowTheVersion) {
    struct Case {
        const char* version;
        const char* expected;
    };
    const Case cases[] = {
        {"004010", "GS*PO*OWNAPP*PARTAPP*20240305*140709*000000001*X*004010~"},
        {"004030", "GS*PO*OWNAPP*PARTAPP*20240305*140709*000000002*X*004030~"},
        {"003040", "GS*PO*OWNAPP*PARTAPP*240305*1407*000000003*X*003040~"},
        // Every version from 004 on takes the long forms: 005010 requires the eight-digit date.
        {"005010", "GS*PO*OWNAPP*PARTAPP*20240305*140709*000000004*X*005010~"},
        {"002001", "GS*PO*OWNAPP*PARTAPP*240305*1407*000000005*X*002001~"},
        {"006020", "GS*PO*OWNAPP*PARTAPP*20240305*140709*000000006*X*006020~"},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildGSSegment(t.services, kPartner, "PO", c.version), c.expected);
    EXPECT_EQ(errorsLogged(), 0);
}

TEST_F(Envelopes, AVersionWithoutADigitInThirdPlaceIsReportedAndUsesNoNumber) {
    for (const char* version : {"00X010", "00", ""}) {
        SCOPED_TRACE(version);
        EXPECT_EQ(BuildGSSegment(t.services, kPartner, "PO", version), "");
    }
    EXPECT_EQ(errorsLogged(), 3);
    EXPECT_EQ(stored("GS06"), "0");
}

TEST_F(Envelopes, SeparatorsFromTheirCodes) {
    struct Case {
        int segment, element, sub;
        const char *terminator, *elementText, *subText;
    };
    const Case cases[] = {{0, 42, 62, "\r\n", "*", ">"}, {126, 124, 58, "~", "|", ":"}, {10, 29, 31, "\n", "\x1d", "\x1f"},
                          {133, 7, 92, "\x85", "\a", "\\"}};
    for (const Case& c : cases) {
        set("Segment", std::to_string(c.segment));
        set("element", std::to_string(c.element));
        set("Sub", std::to_string(c.sub));
        EXPECT_EQ(GetSegmentTerminator(t.services, kPartner), c.terminator);
        EXPECT_EQ(GetElementSeparator(t.services, kPartner), c.elementText);
        EXPECT_EQ(GetSubElementSeparator(t.services, kPartner), c.subText);
        const std::string isa = BuildISASegment(t.services, kPartner);
        EXPECT_EQ(isa.substr(isa.size() - std::string(c.terminator).size()), c.terminator);
        EXPECT_EQ(isa.substr(3, 1), c.elementText);
        EXPECT_EQ(isa.substr(104, 1), c.subText);
    }
}

TEST_F(Envelopes, PartnerNamesCompareWithoutCase) {
    EXPECT_EQ(GetElementSeparator(t.services, "o'hara"), "*");
}

TEST_F(Envelopes, AnUnknownPartnerGivesEmptyTextsAndNoReport) {
    EXPECT_EQ(GetSegmentTerminator(t.services, "Nobody"), "");
    EXPECT_EQ(GetElementSeparator(t.services, "Nobody"), "");
    EXPECT_EQ(GetSubElementSeparator(t.services, "Nobody"), "");
    EXPECT_EQ(BuildISASegment(t.services, "Nobody"), "");
    EXPECT_EQ(BuildGSSegment(t.services, "Nobody", "PO", "004010"), "");
    EXPECT_TRUE(t.ui.events.empty());
}

TEST_F(Envelopes, UnusableStoredValuesAreReported) {
    struct Case {
        const char* column;
        const char* value;
    };
    const Case cases[] = {{"element", ""}, {"Segment", "300"}, {"Sub", "x"}, {"ISA13", ""}, {"ISA13", "12A"}};
    long long reported = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.column) + "=" + c.value);
        t.db.exec("UPDATE Partner SET Segment = 126, element = 42, Sub = 62, ISA13 = '0'");
        set(c.column, c.value);
        EXPECT_EQ(BuildISASegment(t.services, kPartner), "");
        EXPECT_EQ(errorsLogged(), ++reported);
    }
    t.db.exec("UPDATE Partner SET Segment = 126, element = 42, Sub = 62, GS06 = ''");
    EXPECT_EQ(BuildGSSegment(t.services, kPartner, "PO", "004010"), "");
    set("element", "");
    EXPECT_EQ(GetElementSeparator(t.services, kPartner), "");
    EXPECT_EQ(errorsLogged(), reported + 2);
}

TEST(SeparatorCode, StoredCodesOfSeparators) {
    EXPECT_EQ(separatorCode("\r\n"), 0);
    EXPECT_EQ(separatorCode("~"), 126);
    EXPECT_EQ(separatorCode("\xA7"), 0xA7);
    EXPECT_EQ(separatorCode("\n"), 10);
    EXPECT_THROW(separatorCode(""), RunError);
    EXPECT_EQ(separatorFromCode(0, true), "\r\n");
    EXPECT_EQ(separatorFromCode(0, false), std::string(1, '\0'));
    EXPECT_THROW(separatorFromCode(256, false), RunError);
    EXPECT_THROW(separatorFromCode(-1, true), RunError);
}

}  // namespace
