#include "tests/exchange/ExchangeFixture.h"

using namespace vt;
using namespace vt::test;

namespace {

using Outbox = ExchangeTest;

TEST_F(Outbox, WritesEveryStoredInterchangeBackWithAllItsGroups) {
    struct Case {
        const char* name;
        std::vector<std::string> interchanges;   // loaded outbound, in order
        std::vector<std::string> inbound;        // loaded inbound too (must not disturb)
    };
    const X12 twoGroups = X12().isa("000000202", "OWNID", "PARTNERID").gs("21").po("0001").ge().gs("22", "IN").po("0002", "810").ge().iea();
    const X12 otherPartner = X12().isa("000000303", "OWNID", "OTHERID").gs("31").po("0001").ge().iea();
    // The partner's own interchange with the same control number, ids the other way round.
    const X12 sameNumberInbound = X12().isa("000000101", "PARTNERID", "OWNID").gs("101", "PO", "20240305", "1407", "004010", "APPR", "APPS").po("0009").ge().iea();
    // Two interchanges to one partner that share a group number; their groups differ in date.
    const X12 sharedA = X12().isa("000000801", "OWNID", "PARTNERID").gs("1", "PO", "20240301").po("0001").ge().iea();
    const X12 sharedB = X12().isa("000000802", "OWNID", "PARTNERID").gs("1", "PO", "20240302").po("0002").po("0003").ge().iea();
    const Case cases[] = {
        {"two interchanges sharing a group number", {sharedA.text(), sharedB.text()}, {}},
        {"one group of three sets", {outboundPo().text()}, {}},
        {"two groups in one interchange", {twoGroups.text()}, {}},
        {"two interchanges, two partners", {outboundPo().text(), otherPartner.text()}, {}},
        {"an inbound interchange with the same number", {outboundPo().text()}, {sameNumberInbound.text()}},
        {"CR LF terminators", {outboundPo().text("\r\n")}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scratch.db.exec("DELETE FROM Outbox; DELETE FROM Inbox; DELETE FROM Partner");
        for (const auto& f : filesIn(outbound)) fs::remove(outbound / f);
        std::string expected;
        for (const auto& text : c.inbound) load(text, "I");
        for (const auto& text : c.interchanges) {
            load(text);
            expected += text;
        }
        // Each write of the same second takes a new name.
        const std::string name = sessions->WriteOutBoxToFile();
        ASSERT_EQ(name.substr(0, 16), "030524-020709-PM");
        ASSERT_EQ(name.substr(name.size() - 3), ".OC");
        EXPECT_EQ(readAll(outbound / name), expected);
        EXPECT_EQ(log(), std::vector<std::string>{});
    }
}

TEST_F(Outbox, NothingIsWrittenForAnEmptyOutboxOrAPartnerWithoutSeparators) {
    EXPECT_EQ(sessions->WriteOutBoxToFile(), "");
    load(outboundPo().text());
    scratch.db.exec("DELETE FROM Partner");
    EXPECT_EQ(sessions->WriteOutBoxToFile(), "");
    EXPECT_EQ(filesIn(outbound), std::vector<std::string>{});
    const auto rows = log();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].substr(0, 17), "Error:Either BOF ");
    EXPECT_NE(rows[1].find("No trading partner with the interchange ids"), std::string::npos) << rows[1];

    // CreateOutboundEDI then leaves LocaleFile on the folder, which nothing can move.
    sessions->CreateOutboundEDI();
    EXPECT_EQ(sessions->exchange().LocaleFile, outbound.string() + "/");
    EXPECT_EQ(view.session, "");
    // GetOutboundEDI shows its failure in the session too.
    EXPECT_EQ(sessions->GetOutboundEDI(), "");
    EXPECT_NE(view.session.find("No trading partner with the interchange ids"), std::string::npos) << view.session;
    EXPECT_EQ(view.session.substr(view.session.size() - 2), "\r\n");
    EXPECT_FALSE(sessions->MoveOutToSent());
    EXPECT_EQ(count("Outbox"), 3);
    EXPECT_TRUE(fs::is_directory(outbound));
}

TEST_F(Outbox, FoldersDefaultToTheDataRoot) {
    const fs::path root = scratch.folder() / "data root";
    ::setenv("VELTRANE_HOME", root.c_str(), 1);
    scratch.settings.removeSection("Folders");
    EXPECT_EQ(sessions->GetInboundPath(), (root / "Inbound").string() + "/");
    EXPECT_EQ(sessions->GetOutboundPath(), (root / "Outbound").string() + "/");
    ::unsetenv("VELTRANE_HOME");
}

TEST_F(Outbox, NamesWithinOneSecondStayUnique) {
    load(outboundPo().text());
    EXPECT_EQ(sessions->WriteOutBoxToFile(), "030524-020709-PM.OC");
    EXPECT_EQ(sessions->WriteOutBoxToFile(), "030524-020709-PM-2.OC");
    EXPECT_EQ(sessions->WriteOutBoxToFile(), "030524-020709-PM-3.OC");
    EXPECT_EQ(sessions->GenerateFileName(), "030524140709");
    EXPECT_EQ(sessions->GetOutboundPath(), outbound.string() + "/");
}

TEST_F(Outbox, ExactlyTheRowsWrittenMoveToSentWithTheFile) {
    load(outboundPo().text());
    scratch.db.exec("UPDATE Outbox SET Status = 'Validated', Acknowledged = 'Void'");
    const std::string text = sessions->GetOutboundEDI();
    EXPECT_EQ(text, outboundPo().text());
    // A set that arrives after the file was written stays for the next send.
    load(X12().isa("000000404", "OWNID", "PARTNERID").gs("41").po("0001").ge().iea().text());
    scratch.ui.refreshed.clear();

    ASSERT_TRUE(sessions->MoveOutToSent());
    EXPECT_EQ(count("Outbox"), 1);
    EXPECT_EQ(count("Sent"), 3);
    EXPECT_EQ(scratch.db.scalarText("SELECT group_concat(Direction || Status || Acknowledged, ',') FROM Sent"),
              "OValidatedVoid,OValidatedVoid,OValidatedVoid");
    EXPECT_EQ(scratch.ui.refreshed, (std::vector<std::string>{"Outbox", "Sent"}));
    // The name alone is upper-cased; the folder keeps its spelling.
    EXPECT_EQ(filesIn(sent), std::vector<std::string>{"030524-020709-PM.OC"});
    EXPECT_EQ(readAll(sent / "030524-020709-PM.OC"), text);
    EXPECT_EQ(filesIn(outbound), std::vector<std::string>{});

    // No file to move: the rows stay and the answer is False.
    sessions->exchange().LocaleFile.clear();
    EXPECT_FALSE(sessions->MoveOutToSent());
    EXPECT_EQ(count("Outbox"), 1);
    EXPECT_EQ(log().back(), "Error:The sent interchange was not moved to Sent: File not found: (no file named)");
    scratch.db.exec("DELETE FROM Outbox");
    EXPECT_FALSE(sessions->MoveOutToSent());
}

TEST_F(Outbox, NothingMovesWhenTheRowsCannotMove) {
    load(outboundPo().text());
    sessions->CreateOutboundEDI();
    const std::string file = sessions->exchange().LocaleFile;
    scratch.db.exec("CREATE TRIGGER full BEFORE INSERT ON Sent BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_FALSE(sessions->MoveOutToSent());
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(filesIn(sent), std::vector<std::string>{});
    EXPECT_EQ(count("Outbox"), 3);
    EXPECT_EQ(count("Sent"), 0);
    EXPECT_EQ(log().back(), "Error:The sent interchange was not moved to Sent: disk full");
    // Recorded where every failure goes.
    EXPECT_EQ(scratch.ui.history.back().description, "The sent interchange was not moved to Sent: disk full");
}

TEST_F(Outbox, EmptyAndValidatedTests) {
    struct Case {
        std::vector<std::string> statuses;
        bool hasRows, validated;
    };
    const Case cases[] = {
        {{}, false, false},
        {{"Validated"}, true, true},
        {{" Validated  ", "Validated"}, true, true},
        {{"validated"}, true, false},
        {{"Validated", "Closed"}, true, false},
    };
    for (const Case& c : cases) {
        scratch.db.exec("DELETE FROM Outbox");
        for (const auto& s : c.statuses) {
            auto q = scratch.db.prepare("INSERT INTO Outbox (Partner, Status) VALUES ('ACME', ?1)");
            q.bindAll(s);
            q.run();
        }
        EXPECT_EQ(sessions->IsOutboxEmpty(), c.hasRows);
        EXPECT_EQ(sessions->IsOutboxValidated(), c.validated);
    }
}

}  // namespace
