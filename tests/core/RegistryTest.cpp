#include "core/Registry.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace vt::core;

class Registry : public ::testing::Test {
protected:
    // Every column of the first Partner row named `name`.
    std::map<std::string, std::string> partnerRow(const std::string& name) {
        auto q = t.db.prepare("SELECT * FROM Partner WHERE Partner = ?1 ORDER BY Id");
        q.bind(1, name);
        std::map<std::string, std::string> row;
        if (q.step())
            for (int c = 0; c < q.columnCount(); ++c) row[q.columnName(c)] = q.text(c);
        return row;
    }
    void addSet(const char* partner, const char* set, const char* version, const char* direction,
                const char* control = "0", int acknowledge = 0, const char* activeX = "") {
        auto q = t.db.prepare(
            "INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction, ControlNumber, Acknowledge, "
            "ActiveX) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        q.bindAll(partner, set, version, direction, control, acknowledge, activeX);
        q.run();
    }
    std::string controlNumber(const char* partner = "ACME") {
        auto q = t.db.prepare("SELECT ControlNumber FROM Transactions WHERE Partner = ?1 ORDER BY Id");
        q.bind(1, partner);
        return q.step() ? q.text(0) : "<none>";
    }
    long long count(const char* sql) { return t.db.scalarInt(sql); }
    size_t errorsLogged() { return size_t(count("SELECT count(*) FROM History WHERE Type = 'Error'")); }

    vt::test::ScratchDatabase t;
};

// An envelope whose ids and qualifiers all differ, with blanks inside and after the ids.
const std::string kIsa =
    "ISA*00*          *01*PASSWORD  *01*SENDER ID      *ZZ*RECEIVER       *240305*1407*U*00401*000000123*1*T*>";
const std::string kGs = "GS*PO*SEND APP*RECVAPP*20240305*1407*77*X*004010";

TEST_F(Registry, RegistrationTakesRolesByDirection) {
    struct Case {
        const char* direction;
        const char* terminator;
        int segmentCode;
        const char* name;
        const char *isa05, *isa06, *isa07, *isa08, *gs02, *gs03;
    };
    const Case cases[] = {
        {"I", "~", 126, "SENDERIDSENDAPPRECEIVERRECVAPP", "ZZ", "RECEIVER       ", "01", "SENDER ID      ", "RECVAPP",
         "SEND APP"},
        {"O", "\r\n", 0, "RECEIVERRECVAPPSENDERIDSENDAPP", "01", "SENDER ID      ", "ZZ", "RECEIVER       ", "SEND APP",
         "RECVAPP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        EXPECT_EQ(AddPartnerFromEnvelope(t.services, kIsa, kGs, c.terminator, "*", ">", c.direction), c.name);
        auto row = partnerRow(c.name);
        ASSERT_FALSE(row.empty());
        EXPECT_EQ(row["Segment"], std::to_string(c.segmentCode));
        EXPECT_EQ(row["element"], "42");
        EXPECT_EQ(row["Sub"], "62");
        EXPECT_EQ(row["ISA01"], "00");
        EXPECT_EQ(row["ISA02"], "          ");
        EXPECT_EQ(row["ISA03"], "01");
        EXPECT_EQ(row["ISA04"], "PASSWORD  ");
        EXPECT_EQ(row["ISA05"], c.isa05);
        EXPECT_EQ(row["ISA06"], c.isa06);
        EXPECT_EQ(row["ISA07"], c.isa07);
        EXPECT_EQ(row["ISA08"], c.isa08);
        EXPECT_EQ(row["ISA11"], "U");
        EXPECT_EQ(row["ISA12"], "00401");
        EXPECT_EQ(row["ISA14"], "1");
        EXPECT_EQ(row["ISA15"], "T");
        EXPECT_EQ(row["ISAVersion"], "004010");
        EXPECT_EQ(row["GS02"], c.gs02);
        EXPECT_EQ(row["GS03"], c.gs03);
        EXPECT_EQ(row["GS07"], "X");
        EXPECT_EQ(row["ISA13"], "0");   // counters keep their starting values
        EXPECT_EQ(row["GS06"], "0");

        // Found again by the ids as stored, blanks included, partner id first.
        EXPECT_EQ(FindPartnerByIds(t.services, row["ISA08"], row["ISA06"]), c.name);
    }
    EXPECT_EQ(FindPartnerByIds(t.services, "SENDER ID", "RECEIVER"), "");   // trailing blanks matter
    EXPECT_EQ(errorsLogged(), 0u);
}

TEST_F(Registry, RegisteringTheSameEnvelopeTwiceAddsTwoRows) {
    AddPartnerFromEnvelope(t.services, kIsa, kGs, "~", "*", ">", "I");
    AddPartnerFromEnvelope(t.services, kIsa, kGs, "~", "*", ">", "I");
    EXPECT_EQ(count("SELECT count(*) FROM Partner WHERE Partner = 'SENDERIDSENDAPPRECEIVERRECVAPP'"), 2);
}

TEST_F(Registry, MalformedEnvelopesAreReportedAndAddNothing) {
    const std::string shortIsa = kIsa.substr(0, kIsa.rfind("*T*"));   // ends after ISA14
    struct Case {
        std::string isa, gs, terminator, direction;
    };
    const Case cases[] = {
        {shortIsa, kGs, "~", "I"},
        {kIsa, "GS*PO*SEND APP*RECVAPP*20240305*1407*77", "~", "I"},   // no GS07
        {kIsa, kGs, "", "I"},
        {kIsa, kGs, "~", "X"},
    };
    for (const Case& c : cases) AddPartnerFromEnvelope(t.services, c.isa, c.gs, c.terminator, "*", ">", c.direction);
    EXPECT_EQ(count("SELECT count(*) FROM Partner"), 0);
    EXPECT_EQ(errorsLogged(), std::size(cases));
    EXPECT_EQ(t.ui.eventsStartingWith("box").size(), std::size(cases));
}

TEST_F(Registry, IdsWithQuotesAreFoundLikeAnyOther) {
    const std::string isa =
        "ISA*00*          *00*          *ZZ*O'BRIEN        *ZZ*OWN            *240305*1407*U*00401*000000001*0*P*>";
    const std::string name = AddPartnerFromEnvelope(t.services, isa, "GS*IN*A'B*OWNAPP*20240305*1407*1*X*004010",
                                                    "~", "*", ":", "I");
    EXPECT_EQ(name, "O'BRIENA'BOWNOWNAPP");
    EXPECT_EQ(FindPartnerByIds(t.services, "O'BRIEN        ", "OWN            "), name);
}

TEST_F(Registry, NextTransactionControlNumber) {
    struct Case {
        const char* stored;
        const char* returned;   // "" = failure, reported
        const char* after;
    };
    const Case cases[] = {
        {"0", "0", "1"},
        {"0007", "7", "8"},
        {" 42 ", "42", "43"},
        {"999999998", "999999998", "999999999"},
        {"999999999", "999999999", "1"},
        {"", "", ""},
        {"12A", "", "12A"},
        {"-5", "", "-5"},
        {"99999999999", "", "99999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        t.db.exec("DELETE FROM Transactions");
        addSet("ACME", "810", "004010", "O", c.stored);
        const size_t before = errorsLogged();
        EXPECT_EQ(NextTransactionControlNumber(t.services, "ACME", "810", "004010", "O"), c.returned);
        EXPECT_EQ(controlNumber(), c.after);
        EXPECT_EQ(errorsLogged(), before + (*c.returned ? 0 : 1));
    }
}

TEST_F(Registry, NextTransactionControlNumberWithoutARowIsReported) {
    EXPECT_EQ(NextTransactionControlNumber(t.services, "ACME", "810", "004010", "O"), "");
    EXPECT_EQ(errorsLogged(), 1u);
}

TEST_F(Registry, ControlNumbersAreKeptPerSetAndOnlyInTheFirstRow) {
    addSet("ACME", "810", "004010", "O", "5");
    addSet("ACME", "810", "004010", "O", "500");   // a duplicate row is never touched
    addSet("ACME", "810", "004010", "I", "70");
    EXPECT_EQ(NextTransactionControlNumber(t.services, "acme", "810", "004010", "O"), "5");
    EXPECT_EQ(t.db.scalarText("SELECT group_concat(ControlNumber, ',') FROM (SELECT ControlNumber FROM Transactions "
                              "ORDER BY Id)"),
              "6,500,70");

    EXPECT_TRUE(SaveTransactionControlNumber(t.services, "ACME", "810", "any group", "004010", "I", "0001"));
    EXPECT_EQ(t.db.scalarText("SELECT ControlNumber FROM Transactions WHERE Direction = 'I'"), "0001");
    EXPECT_FALSE(SaveTransactionControlNumber(t.services, "ACME", "850", "PO", "004010", "I", "0001"));
    EXPECT_EQ(errorsLogged(), 0u);
}

TEST_F(Registry, AnOutboundSetKeepsTheLargerOfItsNumberAndTheLoadedOnePlusOne) {
    addSet("ACME", "810", "004010", "O", "8");
    struct Case {
        const char* loaded;
        const char* after;
    };
    // Our own interchange read back ("O") must never rewind the number to use next.
    const Case cases[] = {{"7", "8"}, {"000000007", "8"}, {"8", "9"}, {"12", "13"}, {"5", "13"},
                          {"999999999", "13"}, {"A1", "13"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loaded);
        EXPECT_TRUE(SaveTransactionControlNumber(t.services, "ACME", "810", "IN", "004010", "O", c.loaded));
        EXPECT_EQ(t.db.scalarText("SELECT ControlNumber FROM Transactions WHERE Direction = 'O'"), c.after);
    }
    EXPECT_EQ(errorsLogged(), 0u);
}

TEST_F(Registry, AcknowledgementExpectation) {
    addSet("ACME", "850", "004010", "I", "0", 1);
    addSet("ACME", "810", "004010", "O", "0", 0);
    EXPECT_TRUE(IsAcknowledgementExpected(t.services, "ACME", "850", "004010", "I"));
    EXPECT_FALSE(IsAcknowledgementExpected(t.services, "ACME", "810", "004010", "O"));
    EXPECT_EQ(errorsLogged(), 0u);
    EXPECT_FALSE(IsAcknowledgementExpected(t.services, "ACME", "850", "004010", "O"));
    EXPECT_EQ(errorsLogged(), 1u);
}

TEST_F(Registry, PluginClassAndTheMessageWhenThereIsNone) {
    addSet("ACME", "830", "004010", "I", "0", 0, "Brackwen.ACME_830_004010_I");
    addSet("ACME", "862", "004010", "I");
    EXPECT_EQ(GetTransactionActiveX(t.services, "ACME", "830", "004010", "I", true), "Brackwen.ACME_830_004010_I");
    EXPECT_EQ(GetTransactionActiveX(t.services, "ACME", "862", "004010", "I", false), "");
    EXPECT_EQ(GetTransactionActiveX(t.services, "ACME", "999", "004010", "O", false), "");
    EXPECT_TRUE(t.ui.events.empty());

    EXPECT_EQ(GetTransactionActiveX(t.services, "ACME", "862", "004010", "I", true), "");
    EXPECT_EQ(GetTransactionActiveX(t.services, "ACME", "999", "004010", "O", true), "");
    const std::vector<std::string> expected = {
        "box 64 Veltrane: ActiveX Not Found!\r\n\r\nACME_862_004010_I.DLL",
        "box 64 Veltrane: ActiveX Not Found!\r\n\r\nACME_999_004010_O.DLL"};
    EXPECT_EQ(t.ui.eventsStartingWith("box"), expected);

    t.ui.isUnattended = true;
    t.ui.events.clear();
    GetTransactionActiveX(t.services, "ACME", "862", "004010", "I", true);
    EXPECT_TRUE(t.ui.eventsStartingWith("box").empty());
    EXPECT_EQ(t.db.scalarText("SELECT Type || ': ' || Description FROM History"),
              "Info: ActiveX Not Found!\r\n\r\nACME_862_004010_I.DLL");
}

class PartnerTransaction : public Registry {
protected:
    void SetUp() override {
        t.db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES ('850', 'PO', 'Purchase Order')");
    }
    long long rowsOf(const char* set) {
        long long n = 0;
        for (const char* table : {"Transactions", "Segment", "Element"}) {
            auto q = t.db.prepare(std::string("SELECT count(*) FROM ") + table + " WHERE \"Transaction\" = ?1");
            q.bind(1, set);
            q.step();
            n += q.int64(0);
        }
        return n;
    }
};

TEST_F(PartnerTransaction, AddsTheSetAndItsStarterMap) {
    EXPECT_TRUE(AddPartnerTransaction(t.services, "ACME", "850", "PO", "004010", "I"));
    auto set = t.db.prepare(
        "SELECT Partner, \"Transaction\", Description, \"Group\", Version, Versionoverride, Direction, ControlNumber, "
        "Acknowledge, ActiveX FROM Transactions");
    ASSERT_TRUE(set.step());
    std::vector<std::string> got;
    for (int c = 0; c < 10; ++c) got.push_back(set.text(c));
    EXPECT_EQ(got, (std::vector<std::string>{"ACME", "850", "Purchase Order", "PO", "004010", "004010", "I", "0", "0", ""}));
    EXPECT_EQ(t.db.scalarText("SELECT Partner || '|' || Version || '|' || \"Transaction\" || '|' || Segment || '|' || "
                              "SegmentIndex || '|' || Node || '|' || Direction FROM Segment"),
              "ACME|004010|850|XX|1|1|I");
    EXPECT_EQ(t.db.scalarText("SELECT Partner || '|' || Version || '|' || \"Transaction\" || '|' || Segment || '|' || "
                              "ElementIndex || '|' || SegmentIndex || '|' || Direction FROM Element"),
              "ACME|004010|850|XX|1|1|I");
    // No duplicate check: a second call adds a second set.
    EXPECT_TRUE(AddPartnerTransaction(t.services, "ACME", "850", "PO", "004010", "I"));
    EXPECT_EQ(rowsOf("850"), 6);
}

TEST_F(PartnerTransaction, UnknownSetAddsNothing) {
    EXPECT_FALSE(AddPartnerTransaction(t.services, "ACME", "123", "ZZ", "004010", "I"));
    EXPECT_EQ(rowsOf("123"), 0);
    EXPECT_EQ(errorsLogged(), 1u);
}

TEST_F(PartnerTransaction, AFailedStarterMapTakesTheSetBackWithIt) {
    t.db.exec("CREATE TRIGGER NoElements BEFORE INSERT ON Element BEGIN SELECT RAISE(ABORT, 'element refused'); END");
    EXPECT_FALSE(AddPartnerTransaction(t.services, "ACME", "850", "PO", "004010", "I"));
    EXPECT_EQ(rowsOf("850"), 0);
    EXPECT_EQ(errorsLogged(), 1u);
}

TEST_F(PartnerTransaction, InsideTheReadersTransactionItCommitsOrRollsBackWithIt) {
    t.db.exec("CREATE TEMP TRIGGER NoVoid BEFORE INSERT ON Element WHEN NEW.Direction = 'O' "
              "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    {
        vt::db::Transaction reading(t.db);
        EXPECT_TRUE(AddPartnerTransaction(t.services, "ACME", "850", "PO", "004010", "I"));
        EXPECT_FALSE(AddPartnerTransaction(t.services, "ACME", "850", "PO", "004010", "O"));
        EXPECT_TRUE(t.db.inTransaction());
        reading.commit();
    }
    EXPECT_EQ(count("SELECT count(*) FROM Transactions"), 1);
    {
        vt::db::Transaction reading(t.db);
        EXPECT_TRUE(AddPartnerTransaction(t.services, "ACME", "850", "PO", "005010", "I"));
    }   // rolled back
    EXPECT_EQ(count("SELECT count(*) FROM Transactions"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM Segment"), 1);
}

class SentAcknowledgement : public Registry {
protected:
    void SetUp() override {
        struct Row {
            const char *partner, *group, *acknowledged;
        };
        for (Row r : {Row{"ACME", "1001", "No"}, {"ACME", "1001", "Void"}, {"ACME", "1001", "Yes"}, {"ACME", "1001", "No"},
                      {"ACME", "1002", "No"}, {"GLOBEX", "1001", "No"}}) {
            auto q = t.db.prepare("INSERT INTO Sent (Partner, GroupControlNumber, Acknowledged) VALUES (?1, ?2, ?3)");
            q.bindAll(r.partner, r.group, r.acknowledged);
            q.run();
        }
    }
    std::string marks() {
        return t.db.scalarText("SELECT group_concat(Acknowledged, ',') FROM (SELECT Acknowledged FROM Sent ORDER BY Id)");
    }
    static constexpr const char* kUntouched = "No,Void,Yes,No,No,No";
};

TEST_F(SentAcknowledgement, MarksOnlyThePartnersMatchingRowsThatAreNotVoid) {
    EXPECT_TRUE(MarkSentAcknowledged(t.services, "ACME", "ST*997*0001~AK1*PO*1001~AK9*A*1*1*1~SE*4*0001~", "~", "*"));
    EXPECT_EQ(marks(), "Yes,Void,Yes,Yes,No,No");
    EXPECT_EQ(t.ui.refreshed, std::vector<std::string>{"Sent"});
}

TEST_F(SentAcknowledgement, ReadWithCrLfTerminators) {
    EXPECT_TRUE(MarkSentAcknowledged(t.services, "GLOBEX", "ST|997|0001\r\nAK1|PO|1001\r\nSE|3|0001\r\n", "\r\n", "|"));
    EXPECT_EQ(marks(), "No,Void,Yes,No,No,Yes");
}

TEST_F(SentAcknowledgement, NoMatchingGroupChangesNothingButStillRefreshes) {
    EXPECT_TRUE(MarkSentAcknowledged(t.services, "ACME", "ST*997*0001~AK1*PO*9999~SE*3*0001~", "~", "*"));
    EXPECT_EQ(marks(), kUntouched);
    EXPECT_EQ(t.ui.refreshed, std::vector<std::string>{"Sent"});
}

TEST_F(SentAcknowledgement, TextsWithoutAnAk102AreReportedAndChangeNothing) {
    for (const char* text : {"ST*997*0001~AK1*PO~SE*3*0001~", "ST*997*0001", "ST*997*0001~AK2*850*1001~"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(MarkSentAcknowledged(t.services, "ACME", text, "~", "*"));
    }
    EXPECT_EQ(marks(), kUntouched);
    EXPECT_TRUE(t.ui.refreshed.empty());
    EXPECT_EQ(errorsLogged(), 3u);
}

}  // namespace
