#include "folders/Acknowledgement.h"
#include "folders/InterchangeReader.h"
#include "folders/OutputFile.h"
#include "tests/folders/FolderFixture.h"
#include "tests/folders/X12Builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using vt::folders::FolderSelection;
using vt::folders::GenerateAcknowledgement;
using vt::test::FolderDb;

namespace {

const std::string kPartner = "SENDERAPPSRECEIVERAPPR";
const std::string kFileName = "030524-020709 PM.OC";   // the scratch clock: 5 March 2024, 14:07:09

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string fixture(const std::string& name) {
    return readFile(fs::path(std::getenv("VELTRANE_SOURCE_DIR")) / "tests" / "folders" / "fixtures" / name);
}

// Three received purchase orders: 0001 and 0002 in group 1, 0003 in group 2; the partner has used
// interchange number 41 and group number 7.
struct Ack : ::testing::Test {
    FolderDb db;
    fs::path outbound;

    void SetUp() override {
        outbound = db.folder() / "Outbound";
        fs::create_directories(outbound);
        db.settings.set("Folders", "Outbound", outbound.string());
        vt::test::X12 x;
        x.isa().gs("1").po("0001").po("0002").ge().gs("2").po("0003").ge().iea();
        const fs::path in = db.folder() / "in.edi";
        std::ofstream(in, std::ios::binary) << x.text();
        ASSERT_EQ(vt::folders::LoadBox(db.services, in, "I"), "");
        db.db.exec("UPDATE Partner SET ISA13 = '41', GS06 = '7' WHERE Partner = '" + kPartner + "'");
        db.db.exec("DELETE FROM History");
        db.ui.events.clear();
        db.ui.refreshed.clear();
    }
    std::string numbers() {
        return db.db.scalarText("SELECT ISA13 || '/' || GS06 FROM Partner WHERE Partner = '" + kPartner + "'");
    }
    std::vector<std::string> files() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(outbound)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(Ack, OneSet) {
    EXPECT_TRUE(GenerateAcknowledgement(db.services, db.list("Inbox", {1})));
    EXPECT_EQ(files(), std::vector<std::string>{kFileName});
    EXPECT_EQ(readFile(outbound / kFileName), fixture("ack-one-set.OC"));
    // Partner data is for the owner alone.
    EXPECT_EQ(fs::status(outbound / kFileName).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(numbers(), "42/8");
    // The row before the selection is neither acknowledged nor changed.
    EXPECT_EQ(db.column("Inbox", "Acknowledged"), "Void|Yes|Void");
    EXPECT_EQ(db.db.scalarText("SELECT \"Transaction\" || '|' || Direction || '|' || Acknowledged || '|' || TSet "
                               "FROM Outbox"),
              "997|O|Void|ST*997*000000001~AK1*PO*1~AK2*850*0002~AK5*A~AK9*A*1*1*1~SE*6*000000001~");
    EXPECT_EQ(db.ui.refreshed, (std::vector<std::string>{"Outbox", "Inbox"}));
    EXPECT_EQ(db.history(), "");
}

TEST_F(Ack, TwoSetsOfOneGroup) {
    EXPECT_TRUE(GenerateAcknowledgement(db.services, db.list("Inbox", {0, 1})));
    EXPECT_EQ(readFile(outbound / kFileName), fixture("ack-two-sets.OC"));
    EXPECT_EQ(db.column("Inbox", "Acknowledged"), "Yes|Yes|Void");
}

// Each functional group gets its own 997 set with its own AK1, in list order.
TEST_F(Ack, SetsOfTwoGroups) {
    FolderSelection list = db.list("Inbox");
    list.ids = {list.ids[2], list.ids[0], list.ids[1]};
    list.selected.assign(3, true);
    EXPECT_TRUE(GenerateAcknowledgement(db.services, list));
    EXPECT_EQ(readFile(outbound / kFileName), fixture("ack-two-groups.OC"));
    EXPECT_EQ(db.column("Inbox", "Acknowledged"), "Yes|Yes|Yes");
    EXPECT_EQ(db.count("Outbox"), 2);
    EXPECT_EQ(numbers(), "42/8");
}

TEST_F(Ack, ASecondRunInTheSameSecondGetsItsOwnFile) {
    EXPECT_TRUE(GenerateAcknowledgement(db.services, db.list("Inbox", {1})));
    EXPECT_TRUE(GenerateAcknowledgement(db.services, db.list("Inbox", {1})));
    EXPECT_EQ(files(), (std::vector<std::string>{"030524-020709 PM-2.OC", kFileName}));
    EXPECT_EQ(readFile(outbound / kFileName), fixture("ack-one-set.OC"));
    EXPECT_EQ(numbers(), "43/9");
    EXPECT_EQ(db.count("Outbox"), 2);
}

TEST_F(Ack, RefusalsUseNoControlNumber) {
    vt::test::Item ack;
    ack.partner = kPartner;
    ack.transaction = "997";
    ack.group = "FA";
    db.add("Inbox", ack);
    db.add("Inbox", ack);
    EXPECT_FALSE(GenerateAcknowledgement(db.services, db.list("Inbox", {3, 4})));
    EXPECT_EQ(db.boxes(), std::vector<std::string>{"box 16 Veltrane: You Can't Acknowledge an Acknowlegement"});

    EXPECT_FALSE(GenerateAcknowledgement(db.services, db.list("Inbox", {1, 3})));   // mixed kinds
    EXPECT_EQ(db.boxes().size(), 2u);
    EXPECT_EQ(db.boxes().back().substr(0, 46), "box 48 Veltrane: Unique selection is required!");

    EXPECT_FALSE(GenerateAcknowledgement(db.services, db.list("Inbox")));   // nothing selected
    EXPECT_EQ(db.boxes().size(), 2u);

    EXPECT_TRUE(files().empty());
    EXPECT_EQ(numbers(), "41/7");
    EXPECT_EQ(db.column("Inbox", "Acknowledged"), "Void|Void|Void|No|No");
    EXPECT_EQ(db.count("Outbox"), 0);
}

TEST_F(Ack, FailuresMarkNothing) {
    // No Outbound folder: reported before any number is used.
    db.settings.set("Folders", "Outbound", (db.folder() / "missing").string());
    EXPECT_FALSE(GenerateAcknowledgement(db.services, db.list("Inbox", {0})));
    EXPECT_EQ(db.history(), "Error:76 Path not found");
    EXPECT_EQ(numbers(), "41/7");

    // A set whose ST has too few elements.
    db.settings.set("Folders", "Outbound", outbound.string());
    db.db.exec("UPDATE Inbox SET TSet = 'ST*850~SE*1*0002~' WHERE Id = (SELECT Id FROM Inbox ORDER BY Id LIMIT 1 OFFSET 1)");
    EXPECT_FALSE(GenerateAcknowledgement(db.services, db.list("Inbox", {0, 1})));
    EXPECT_EQ(db.history(), "Error:76 Path not found|Error:9 Subscript out of range");
    EXPECT_EQ(numbers(), "41/7");
    EXPECT_TRUE(files().empty());

    // The Outbox refuses the file (the partner's ISA is one character short): the file stays,
    // the rows stay unacknowledged.
    db.db.exec("UPDATE Partner SET ISA01 = '0'");
    EXPECT_FALSE(GenerateAcknowledgement(db.services, db.list("Inbox", {0})));
    EXPECT_EQ(db.history(), "Error:76 Path not found|Error:9 Subscript out of range|Error:Corrupt ISA Segment");
    EXPECT_EQ(files(), std::vector<std::string>{kFileName});
    EXPECT_EQ(numbers(), "42/8");
    EXPECT_EQ(db.column("Inbox", "Acknowledged"), "Void|Void|Void");
    EXPECT_EQ(db.count("Outbox"), 0);
}

// Files written over keep the mode their owner gave them; new ones are the owner's alone.
TEST(OutputFile, ReplacedFilesKeepTheirModeAndNewOnesAreOwnerOnly) {
    const fs::path folder = fs::temp_directory_path() / ("vt_output_file_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const auto ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    vt::folders::ReplaceFile(folder / "new.ADO", "a");
    EXPECT_EQ(fs::status(folder / "new.ADO").permissions(), ownerOnly);
    fs::permissions(folder / "new.ADO", ownerOnly | fs::perms::group_read | fs::perms::others_read);
    vt::folders::ReplaceFile(folder / "new.ADO", "b");
    EXPECT_EQ(readFile(folder / "new.ADO"), "b");
    EXPECT_EQ(fs::status(folder / "new.ADO").permissions(), ownerOnly | fs::perms::group_read | fs::perms::others_read);
    fs::remove_all(folder);
}

}  // namespace
