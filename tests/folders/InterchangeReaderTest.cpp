#include "folders/InterchangeReader.h"
#include "folders/OpenInterchange.h"
#include "tests/folders/X12Builder.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

namespace fs = std::filesystem;
using vt::folders::LoadBox;
using vt::test::X12;

namespace {

// A scratch database with the transaction sets the fixtures use.
struct Db : vt::test::ScratchDatabase {
    Db() {
        db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES "
                "('850', 'PO', 'Purchase Order'), ('997', 'FA', 'Functional Acknowledgment')");
    }
};

class Reader : public ::testing::Test {
protected:
    Db scratch;

    fs::path write(const std::string& text, const std::string& name = "in.edi") {
        fs::path p = scratch.folder() / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    std::string load(const std::string& text, const char* direction = "I") {
        return LoadBox(scratch.services, write(text), direction);
    }
    long long count(const char* table) {
        return scratch.db.scalarInt(std::string("SELECT count(*) FROM \"") + table + "\"");
    }
    long long rowsEverywhere() {
        long long n = 0;
        for (const char* t : {"Inbox", "Outbox", "ISA", "GS", "GE", "IEA", "Partner", "Transactions", "History",
                              "Segment", "Element"})
            n += count(t);
        return n;
    }
};

X12 onePo() { return X12().isa().gs().po().ge().iea(); }

// Replaces the n-th segment (0-based) of a builder's output.
X12 with(X12 x, size_t n, const std::string& segment) {
    x.segments.at(n) = segment;
    return x;
}

struct Case {
    const char* name;
    std::string text;
    std::string result;
};

TEST_F(Reader, RefusalsAndAcceptedLayouts) {
    const std::string good = onePo().text();
    std::string isa104 = good;
    isa104.erase(10, 1);
    std::string isa106 = good;
    isa106.insert(10, " ");
    std::string isaExtraElement = good;   // right length, a separator inside ISA02
    isaExtraElement[10] = '*';
    std::string isaMissingSeparator = good;   // right length, ISA01 and ISA02 run together
    isaMissingSeparator[6] = ' ';
    const std::string element = "Expected Element missing: Segment = ";
    const Case cases[] = {
        {"empty file", "", "Missing ISA Segment"},
        {"lower-case isa", "isa" + good.substr(3), "Missing ISA Segment"},
        {"first ISA 104", isa104, "Corrupt ISA Segment"},
        {"first ISA 106", isa106, "Corrupt ISA Segment"},
        {"first ISA 104, one segment a CR LF line", onePo().text("~\r\n").erase(10, 1), "Corrupt ISA Segment"},
        {"first ISA of 105 characters with 18 elements", isaExtraElement, element + "ISA: Included Elements = 18"},
        {"first ISA of 105 characters with 16 elements", isaMissingSeparator, element + "ISA: Included Elements = 16"},
        {"exactly 105 characters", good.substr(0, 105), "Missing Interchange Control Trailer Segment"},
        {"only ISA", good.substr(0, 106), "Missing Interchange Control Trailer Segment"},
        {"clean", good, ""},
        {"one segment a line", onePo().text("~\n"), ""},
        {"one segment a CR LF line", onePo().text("~\r\n"), ""},
        {"trailing line breaks", good + "\r\n\r\n\n", ""},
        {"CR LF terminator", onePo().text("\r\n"), ""},
        {"CR LF terminator, empty last lines", onePo().text("\r\n") + "\r\n\r\n", ""},
        {"IEA without terminator", good.substr(0, good.size() - 1), "Missing Interchange Control Trailer Segment"},
        {"GS with a ninth element", with(onePo(), 1, "GS*PO*APPS*APPR*20240305*1407*1*X*004010*Z").text(),
         element + "GS: Included Elements = 10"},
        {"ST with ST03", with(onePo(), 2, "ST*850*0001*005010X222").text(), ""},
        {"ST with ST04", with(onePo(), 2, "ST*850*0001*A*B").text(), element + "ST: Included Elements = 5"},
        {"ST without ST02", with(onePo(), 2, "ST*850").text(), element + "ST: Included Elements = 2"},
        {"SE02 differs from ST02", with(onePo(), 5, "SE*4*1").text(),
         "Transaction Set Header Control Number 0001 Do Not Match Transaction Set Trailer Control Number 1"},
        {"SE01 wrong", with(onePo(), 5, "SE*5*0001").text(), "Included Number of Segments 4 Are Not Equal 5"},
        {"SE01 with blanks", with(onePo(), 5, "SE* 4*0001").text(), ""},
        {"SE with one element", with(onePo(), 5, "SE*4").text(), "Missing: Expected Segment or Element"},
        {"doubled terminator", with(onePo(), 3, "BEG*00*SA*PO-1**20240305~").text(),
         "Missing: Expected Segment or Element"},
        {"ISA then IEA", X12().isa().iea().text(), "Missing Functional Group Trailer Segment"},
        {"GS then GE", X12().isa().gs().ge().iea().text(), "Missing Transaction Set Trailer Segment"},
        {"SE without ST", X12().isa().gs().seg("SE*1*0001").ge().iea().text(), "Missing Transaction Set Header Segment"},
        {"GE01 wrong", with(onePo(), 6, "GE*2*1").text(), "Number of Included Transaction Sets 1 Are Not Equal 2"},
        {"GE02 wrong", with(onePo(), 6, "GE*1*2").text(),
         "Functional Group Control Number 1 Does Not Match GE Group Control Number 2"},
        {"IEA01 wrong", with(onePo(), 7, "IEA*3*000000001").text(),
         "Number of Included Functional Groups 1 Are Not Equal 3"},
        {"IEA02 wrong", with(onePo(), 7, "IEA*1*000000002").text(),
         "Interchange Header Control Number 000000001 Do Not Match Interchange Trailer Control Number 000000002"},
        {"segment between GE and ST counts in the next set",
         X12().isa().gs().po("0001").ge().gs("2").seg("NTE*X", false).po("0002").ge().iea().text(),
         "Included Number of Segments 5 Are Not Equal 4"},
        {"unknown set id", X12().isa().gs().st("ZZZ", "0001").se().ge().iea().text(),
         "Transaction Set Registration Failed"},
        {"letter element separator matches either case (GS07 X)",
         [] {
             X12 x;
             x.e = 'x';
             return x.isa().gs().po().ge().iea().text();
         }(),
         element + "GS: Included Elements = 10"},
    };
    for (const Case& c : cases) {
        Db fresh;
        fs::path p = fresh.folder() / "case.edi";
        std::ofstream(p, std::ios::binary) << c.text;
        EXPECT_EQ(LoadBox(fresh.services, p, "I"), c.result) << c.name;
        long long inbox = fresh.db.scalarInt("SELECT count(*) FROM Inbox");
        EXPECT_EQ(inbox, c.result.empty() ? 1 : 0) << c.name;
        EXPECT_FALSE(fresh.db.inTransaction()) << c.name;
        EXPECT_EQ(fresh.ui.progressMax, 0) << c.name;
    }
}

TEST_F(Reader, MissingFileIsMissingIsa) {
    EXPECT_EQ(LoadBox(scratch.services, scratch.folder() / "nope.edi", "I"), "Missing ISA Segment");
}

TEST_F(Reader, LaterIsaOfWrongLength) {
    X12 x = onePo();
    X12 second;
    second.isa("000000002").gs("2").po("0002").ge().iea();
    second.segments[0].insert(20, " ");
    for (auto& s : second.segments) x.segments.push_back(s);
    EXPECT_EQ(load(x.text()), "Expected Element missing: Segment = ISA: Included Elements = 17");
    EXPECT_EQ(rowsEverywhere(), 0);
}

TEST_F(Reader, FilesTheSetWithItsEnvelope) {
    ASSERT_EQ(load(onePo().text("~\n")), "");
    auto row = scratch.db.prepare(
        "SELECT Partner, \"Transaction\", Version, Direction, \"Date\", \"Time\", Used, InterchangeControlNumber,"
        " GroupControlNumber, FunctionalGroup, SenderID, SenderDivision, ReceiverID, ReceiverDivision, Acknowledged,"
        " Status, TSet FROM Inbox");
    ASSERT_TRUE(row.step());
    const char* expected[] = {"SENDERAPPSRECEIVERAPPR", "850", "004010", "I", "03/05/2024", "14:07", "P",
                              "000000001", "1", "PO", "SENDER         ", "APPS", "RECEIVER       ", "APPR", "Void",
                              "Closed", "ST*850*0001~BEG*00*SA*PO-0001**20240305~PO1*1*10*EA*9.95**BP*WIDGET~SE*4*0001~"};
    for (int i = 0; i < 17; ++i) EXPECT_EQ(row.text(i), expected[i]) << i;
    EXPECT_FALSE(row.step());
    EXPECT_EQ(scratch.db.scalarText("SELECT ISA06 || '|' || ISA08 || '|' || Direction FROM ISA"),
              "SENDER         |RECEIVER       |I");
    EXPECT_EQ(scratch.db.scalarText("SELECT GCN || '|' || GS06 || '|' || GS08 FROM GS"), "1|1|004010");
    EXPECT_EQ(scratch.db.scalarText("SELECT GE01 || '|' || GE02 FROM GE"), "1|1");
    EXPECT_EQ(scratch.db.scalarText("SELECT IEA01 || '|' || IEA02 FROM IEA"), "1|000000001");
    EXPECT_EQ(scratch.db.scalarText("SELECT ControlNumber FROM Transactions"), "0001");
    EXPECT_EQ(scratch.db.scalarText("SELECT Description FROM History"), "Trading Partner Registered - [SENDERAPPSRECEIVERAPPR]");
    EXPECT_EQ(scratch.ui.refreshed, std::vector<std::string>{"Inbox"});
    EXPECT_EQ(scratch.ui.panels[1], "");
}

// Eight segments: each shows position / 8 x 100 as "###0" shows it (halves away from zero).
TEST_F(Reader, ProgressRoundsAsTheFormatDoes) {
    ASSERT_EQ(load(onePo().text()), "");
    EXPECT_EQ(scratch.ui.eventsStartingWith("status 3"),
              (std::vector<std::string>{"status 3: 13% Complete", "status 3: 25% Complete", "status 3: 38% Complete",
                                        "status 3: 50% Complete", "status 3: 63% Complete", "status 3: 75% Complete",
                                        "status 3: 88% Complete", "status 3: 100% Complete", "status 3: "}));
}

TEST_F(Reader, OutboundRolesAndOutbox) {
    ASSERT_EQ(load(onePo().text(), "O"), "");
    EXPECT_EQ(count("Inbox"), 0);
    EXPECT_EQ(scratch.db.scalarText("SELECT Partner || '|' || SenderID || '|' || SenderDivision || '|' || ReceiverID"
                                    " || '|' || Direction FROM Outbox"),
              "RECEIVERAPPRSENDERAPPS|RECEIVER       |APPR|SENDER         |O");
    EXPECT_EQ(scratch.ui.refreshed, std::vector<std::string>{"Outbox"});
}

TEST_F(Reader, TwoInterchangesCommitAndFailTogether) {
    X12 two = onePo();
    two.isa("000000002").gs("2").po("0002").po("0003").ge().iea();
    ASSERT_EQ(load(two.text()), "");
    EXPECT_EQ(count("Inbox"), 3);
    EXPECT_EQ(count("ISA"), 2);
    EXPECT_EQ(count("Partner"), 1);   // the second interchange finds the partner registered by the first
    EXPECT_EQ(scratch.db.scalarText("SELECT ControlNumber FROM Transactions"), "0003");   // the last set's

    Db fresh;
    X12 bad = onePo();
    bad.isa("000000002").gs("2").po("0002").ge().seg("IEA*1*000000009", false);
    fs::path p = fresh.folder() / "bad.edi";
    std::ofstream(p, std::ios::binary) << bad.text();
    EXPECT_NE(LoadBox(fresh.services, p, "I"), "");
    for (const char* t : {"Inbox", "ISA", "GS", "GE", "IEA", "Partner", "Transactions", "History", "Segment"})
        EXPECT_EQ(fresh.db.scalarInt(std::string("SELECT count(*) FROM \"") + t + "\""), 0) << t;
    // The History list was told of the registration; the refresh that follows drops it.
    EXPECT_EQ(fresh.ui.history.size(), 1u);
}

TEST_F(Reader, SetTextTakesThePartnersSeparators) {
    ASSERT_EQ(load(onePo().text()), "");
    scratch.db.exec("UPDATE Partner SET Segment = 0, element = 124");   // CR LF and |
    scratch.db.exec("DELETE FROM Inbox");
    X12 x;
    x.isa("000000002").gs("2").st("850", "0002").seg("PO1*1*10*EA*9.95**BP*A>B").se().ge().iea();
    ASSERT_EQ(load(x.text()), "");
    EXPECT_EQ(scratch.db.scalarText("SELECT TSet FROM Inbox"), "ST|850|0002\r\nPO1|1|10|EA|9.95||BP|A>B\r\nSE|3|0002\r\n");
}

TEST_F(Reader, AcknowledgementsMarkOnlyWhenReceived) {
    // An interchange we sent, group 7, waiting for its 997.
    ASSERT_EQ(load(onePo().text()), "");
    const std::string partner = scratch.db.scalarText("SELECT Partner FROM Partner");
    auto ins = scratch.db.prepare("INSERT INTO Sent (Partner, GroupControlNumber, Acknowledged) VALUES (?1, ?2, ?3)");
    ins.bindAll(partner, "7", "No").run();
    ins.bindAll(partner, "7", "Void").run();

    X12 ack;
    ack.isa("000000005").gs("5", "FA").st("997", "0001").seg("AK1*PO*7").seg("AK9*A*1*1*1").se().ge().iea();
    ASSERT_EQ(load(ack.text(), "O"), "");   // our own 997, loaded as outbound: marks nothing
    EXPECT_EQ(scratch.db.scalarText("SELECT group_concat(Acknowledged) FROM Sent"), "No,Void");
    EXPECT_EQ(scratch.db.scalarText("SELECT Acknowledged FROM Outbox"), "Void");

    ack.segments[0] = X12().isa("000000006").segments[0];
    ack.segments.back() = "IEA*1*000000006";
    ASSERT_EQ(load(ack.text(), "I"), "");
    EXPECT_EQ(scratch.db.scalarText("SELECT group_concat(Acknowledged) FROM Sent"), "Yes,Void");
    EXPECT_EQ(scratch.db.scalarText("SELECT Acknowledged FROM Inbox WHERE \"Transaction\" = '997'"), "Void");
}

// Set types met in turn, and a group of another version: each row has its own set's values.
TEST_F(Reader, EachSetFiledWithItsOwnTypeAndGroup) {
    ASSERT_EQ(load(onePo().text()), "");
    scratch.db.exec("UPDATE Transactions SET Acknowledge = 1");   // the 850 of 004010 expects a 997
    scratch.db.exec("DELETE FROM Inbox");
    X12 x;
    x.isa("000000002").gs("2").po("0002").po("0003", "997").po("0004");
    // Names that begin as envelope names do are plain segments of the set.
    x.st("850", "0005").seg("SEL*1").seg("GSX").seg("STA*1").seg("GEX*1").seg("IEAX").se().ge();
    x.gs("3", "PO", "20240305", "1407", "005010").po("0006").ge().iea();
    ASSERT_EQ(load(x.text()), "");
    EXPECT_EQ(scratch.db.scalarText("SELECT group_concat(\"Transaction\" || ' ' || Version || ' ' || Acknowledged || ' ' ||"
                                    " GroupControlNumber || ' ' || length(TSet), '|') FROM (SELECT * FROM Inbox ORDER BY Id)"),
              "850 004010 No 2 78|997 004010 Void 2 78|850 004010 No 2 78|850 004010 No 2 49|850 005010 Void 3 78");
}

TEST_F(Reader, AcknowledgementExpectedGivesNo) {
    ASSERT_EQ(load(onePo().text()), "");
    scratch.db.exec("UPDATE Transactions SET Acknowledge = 1");
    X12 x;
    x.isa("000000002").gs("2").po("0002").ge().iea();
    ASSERT_EQ(load(x.text()), "");
    EXPECT_EQ(scratch.db.scalarText("SELECT Acknowledged FROM Inbox ORDER BY Id DESC LIMIT 1"), "No");
}

TEST_F(Reader, EnvelopeWriteFailuresLeaveNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"ISA", "Error Saving Interchange Control Header Segment"},
        {"GS", "Error Saving Functional Group Header Segment"},
        {"GE", "Error Saving Functional Group Trailer Segment"},
        {"IEA", "Error Saving Interchange Control Trailer Segment"},
    };
    for (auto [table, message] : cases) {
        Db fresh;
        fresh.db.exec(std::string("DROP TABLE \"") + table + "\"");
        fs::path p = fresh.folder() / "x.edi";
        std::ofstream(p, std::ios::binary) << onePo().text();
        fresh.ui.isUnattended = true;
        EXPECT_EQ(LoadBox(fresh.services, p, "I"), message);
        for (const char* t : {"Inbox", "Partner", "Transactions"})
            EXPECT_EQ(fresh.db.scalarInt(std::string("SELECT count(*) FROM \"") + t + "\""), 0) << table << t;
    }
}

TEST_F(Reader, RefusesASecondReadWhileOneIsOpen) {
    vt::db::Transaction busy(scratch.db);
    EXPECT_EQ(load(onePo().text()), "Another interchange file is being read. Try again when it has finished.");
}

TEST(GroupDateTime, Conversions) {
    vt::FixedClock clock({2024, 1, 2, 9, 5, 0});
    EXPECT_EQ(vt::folders::ConvertGroupDate("20231231"), "12/31/2023");
    EXPECT_EQ(vt::folders::ConvertGroupDate("231231"), "12/31/23");
    EXPECT_EQ(vt::folders::ConvertGroupDate("2312"), "12//23");   // short text never crashes
    const std::pair<const char*, const char*> times[] = {
        {"1234", "12:34"}, {"123456", "12:34:56"}, {"12345699", "12:34:56"}, {"2561", "09:05"},
        {"12", "09:05"},   {"", "09:05"},          {"2400", "09:05"},         {"0000", "00:00"},
    };
    for (auto [in, out] : times) EXPECT_EQ(vt::folders::ConvertGroupTime(in, clock), out) << in;
}

TEST_F(Reader, OpenLoadsEveryChosenFileAndLogsRefusals) {
    fs::path a = write(onePo().text(), "a.edi");
    fs::path b = write("garbage", "b.edi");
    X12 x;
    x.isa("000000002").gs("2").po("0002").ge().iea();
    fs::path c = write(x.text(), "c.edi");
    scratch.ui.fileAnswers.push_back({a, b, c});
    vt::folders::OpenInterchangeFiles(scratch.services, "I");
    EXPECT_EQ(count("Inbox"), 2);
    EXPECT_EQ(scratch.db.scalarText("SELECT group_concat(Type || ':' || Description, '|') FROM History"),
              "Info:Selected [File] - [Open] - [Inbound]|Info:Trading Partner Registered - [SENDERAPPSRECEIVERAPPR]|"
              "Error:Missing ISA Segment");

    Db cancelled;
    vt::folders::OpenInterchangeFiles(cancelled.services, "O");
    EXPECT_EQ(cancelled.db.scalarText("SELECT group_concat(Description) FROM History"),
              "Selected [File] - [Open] - [Outbound]");
    EXPECT_TRUE(std::any_of(cancelled.ui.events.begin(), cancelled.ui.events.end(),
                            [](const std::string& e) { return e.rfind("open Open Outbound", 0) == 0; }));
}

// Whatever the bytes, the reader answers without hanging or crashing and leaves no transaction.
TEST_F(Reader, SurvivesMangledInput) {
    const std::string good = X12().isa().gs().po().po("0002").ge().iea().text("~\r\n");
    std::mt19937 rng(12345);
    scratch.ui.isUnattended = true;
    for (int i = 0; i < 300; ++i) {
        std::string t = good;
        int edits = 1 + int(rng() % 6);
        for (int k = 0; k < edits; ++k) {
            size_t at = rng() % t.size();
            switch (rng() % 3) {
            case 0: t[at] = "~*>\r\nA0 "[rng() % 8]; break;
            case 1: t.erase(at, 1 + rng() % 20); break;
            default: t.insert(at, t.substr(rng() % t.size(), 1 + rng() % 30)); break;
            }
            if (t.empty()) t = "I";
        }
        LoadBox(scratch.services, write(t), "I");
        ASSERT_FALSE(scratch.db.inTransaction());
    }
}

}  // namespace
