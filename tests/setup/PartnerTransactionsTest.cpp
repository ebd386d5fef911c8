#include "core/UiSink.h"
#include "platform/automation/ClassRegistry.h"
#include "setup/PartnerTransactions.h"
#include "setup/PluginChoice.h"
#include "tests/setup/PartnersFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace vt::setup;
using namespace vt::core;
using vt::test::rows;

std::string fileText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream t;
    t << in.rdbuf();
    return t.str();
}

class Sets : public vt::test::SetupTest {
protected:
    Sets() {
        for (const char* f : {"Export", "Import"}) {
            fs::create_directories(scratch.folder() / f);
            scratch.settings.set("Folders", f, (scratch.folder() / f).string());
        }
        vt::test::addPartnerRow(db, "VENDOR01");
    }
    fs::path exportFile(const std::string& name) { return scratch.folder() / "Export" / name; }
    fs::path importFile(const std::string& name) { return scratch.folder() / "Import" / name; }
    std::vector<TransactionSetItem> listed(const char* direction) { return LoadTransactionSets(s, "VENDOR01", direction); }
    bool add(const char* direction, const char* set, const char* group, const char* version) {
        return AddTransactionSet(s, "VENDOR01", direction, StandardChoice{set, group, "", version}, listed(direction));
    }
};

TEST_F(Sets, AddWritesTheSetItsStarterMapAndAnEmptyFile) {
    std::ofstream(exportFile("VENDOR01_850_004010_I.EXP"), std::ios::binary) << "left over";
    EXPECT_TRUE(add("I", "850", "PO", "004010"));
    EXPECT_TRUE(add("O", "810", "IN", "003020"));
    EXPECT_TRUE(ui.events.empty());
    EXPECT_TRUE(fs::exists(exportFile("VENDOR01_850_004010_I.EXP")));
    EXPECT_EQ(fileText(exportFile("VENDOR01_850_004010_I.EXP")), "");
    EXPECT_TRUE(fs::exists(importFile("VENDOR01_810_003020_O.IMP")));
    EXPECT_EQ(fileText(importFile("VENDOR01_810_003020_O.IMP")), "");
    EXPECT_EQ(rows(db, "Transactions",
                   "Partner, \"Transaction\", Description, \"Group\", Version, Versionoverride, Direction, "
                   "ControlNumber, Acknowledge, ActiveX"),
              (std::vector<std::string>{"VENDOR01|850|Purchase Order|PO|004010|004010|I|0|0|",
                                        "VENDOR01|810|Invoice|IN|003020|003020|O|0|0|"}));
    EXPECT_EQ(rows(db, "Segment", "Partner, Version, \"Transaction\", Direction, Segment, SegmentIndex, Node"),
              (std::vector<std::string>{"VENDOR01|004010|850|I|XX|1|1", "VENDOR01|003020|810|O|XX|1|1"}));
    EXPECT_EQ(rows(db, "Element", "Partner, Version, \"Transaction\", Direction, Segment, ElementIndex, SegmentIndex"),
              (std::vector<std::string>{"VENDOR01|004010|850|I|XX|1|1", "VENDOR01|003020|810|O|XX|1|1"}));
}

TEST_F(Sets, AddRefusesOnlyTheSameSetAndVersionOfTheTab) {
    ASSERT_TRUE(add("I", "850", "PO", "004010"));
    vt::test::addSetRows(db, "VENDOR01", "856", "004010X", "I");
    struct Case {
        const char* direction;
        const char* set;
        const char* version;
        bool added;
    } cases[] = {
        {"I", "850", "004010", false},
        {"O", "850", "004010", true},
        {"I", "850", "003020", true},
        {"I", "810", "004010", true},
        {"I", "856", "004010X", false},
        {"I", "856", "004010x", true},   // compared exactly
    };
    for (const auto& c : cases) {
        ui.events.clear();
        EXPECT_EQ(add(c.direction, c.set, "PO", c.version), c.added) << c.direction << c.set << c.version;
        if (!c.added)
            EXPECT_EQ(ui.events, std::vector<std::string>{"box 16 Error: Transation " + std::string(c.set) +
                                                          " Version " + c.version + " already exist."});
        else
            EXPECT_TRUE(ui.events.empty());
    }
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Transactions"), 6);
    EXPECT_EQ(listed("I").front().transaction, "810");
}

TEST_F(Sets, AFailedAddLeavesNoRowsAndNoNewFile) {
    std::ofstream(importFile("VENDOR01_850_004010_O.IMP"), std::ios::binary) << "kept";
    db.exec("CREATE TRIGGER refuse BEFORE INSERT ON Element BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_FALSE(add("I", "850", "PO", "004010"));
    EXPECT_FALSE(add("O", "850", "PO", "004010"));
    EXPECT_FALSE(fs::exists(exportFile("VENDOR01_850_004010_I.EXP")));
    EXPECT_EQ(fileText(importFile("VENDOR01_850_004010_O.IMP")), "kept");
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Transactions"), 0);
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Segment"), 0);
    EXPECT_EQ(ui.history.size(), 2u);
}

TEST_F(Sets, AddNeedsItsFolderAndAPlainFileName) {
    scratch.settings.set("Folders", "Export", (scratch.folder() / "missing").string());
    EXPECT_FALSE(add("I", "850", "PO", "004010"));
    EXPECT_EQ(ui.history.back().description, "76 Path not found");
    // Save accepts "/" in names; such a name must not reach outside the folder.
    vt::test::addPartnerRow(db, "UP/../X1");
    EXPECT_FALSE(AddTransactionSet(s, "UP/../X1", "O", StandardChoice{"850", "PO", "", "004010"}, {}));
    EXPECT_EQ(ui.history.back().description, "52 Bad file name or number");
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Transactions"), 0);
    EXPECT_FALSE(AddTransactionSet(s, "", "O", StandardChoice{"850", "PO", "", "004010"}, {}));
}

TEST_F(Sets, ShowAndSaveTheTabsFields) {
    ASSERT_TRUE(add("I", "850", "PO", "004010"));
    const SetKey key{"VENDOR01", "850", "004010", "I"};
    auto shown = ShowTransactionSet(s, key);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->description, "850: Purchase Order");
    EXPECT_EQ(shown->versionOverride, "004010");
    EXPECT_EQ(shown->controlNumber, "0");
    EXPECT_FALSE(shown->acknowledge);
    struct Case {
        const char* override;
        const char* control;
        bool ack;
        const char* stored;
    } cases[] = {
        {"004010ucs", "12", true, "004010UCS|12|1"},
        {"004010", "         ", false, "004010|12|0"},
        {"", "1a", true, "|12|1"},
        {"003020", " 000000007 ", false, "003020|000000007|0"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(SaveTransactionSet(s, key, c.override, c.control, c.ack));
        EXPECT_EQ(rows(db, "Transactions", "Versionoverride, ControlNumber, Acknowledge")[0], c.stored);
    }
    EXPECT_FALSE(SaveTransactionSet(s, SetKey{"VENDOR01", "850", "004010", "O"}, "", "", false));
    EXPECT_FALSE(ShowTransactionSet(s, SetKey{"VENDOR01", "999", "004010", "I"}));
}

TEST_F(Sets, DeleteAsksThenTakesTheSetAndItsMapOfOneDirection) {
    vt::test::addSetRows(db, "VENDOR01", "850", "004010", "I", 3);
    vt::test::addSetRows(db, "VENDOR01", "850", "004010", "O", 2);
    const SetKey key{"VENDOR01", "850", "004010", "I"};
    const std::string question =
        "box 52 Veltrane: WARNING:\r\n\r\nThis Transaction's Mapping will be deleted!\r\n\r\nDelete selected "
        "Transaction?\r\n\r\nPartner:\t\tVENDOR01\r\nTransaction:\t850: Purchase Order\r\nVersion:\t\t004010";
    ui.boxAnswers = {vbNo};
    EXPECT_FALSE(DeleteTransactionSet(s, key, "850: Purchase Order"));
    EXPECT_EQ(ui.events, std::vector<std::string>{question});
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Segment"), 5);
    EXPECT_TRUE(DeleteTransactionSet(s, key, "850: Purchase Order"));
    EXPECT_EQ(rows(db, "Transactions", "Direction"), std::vector<std::string>{"O"});
    EXPECT_EQ(rows(db, "Segment", "Direction"), (std::vector<std::string>{"O", "O"}));
    EXPECT_EQ(rows(db, "Element", "Direction"), (std::vector<std::string>{"O", "O"}));
}

TEST_F(Sets, ListsAreOrderedByTransactionAndShowThePlugin) {
    for (const char* set : {"856", "810", "850"}) vt::test::addSetRows(db, "VENDOR01", set, "004010", "I");
    vt::test::addSetRows(db, "VENDOR01", "997", "004010", "O");
    db.exec("UPDATE Transactions SET ActiveX = 'Lib.VENDOR01_850_004010_I' WHERE \"Transaction\" = '850'");
    EXPECT_EQ(listed("I"), (std::vector<TransactionSetItem>{{"810", "004010", "PO", ""},
                                                           {"850", "004010", "PO", "Lib.VENDOR01_850_004010_I"},
                                                           {"856", "004010", "PO", ""}}));
    EXPECT_EQ(listed("O").size(), 1u);
    EXPECT_TRUE(LoadTransactionSets(s, "OTHER1", "I").empty());
}

// ---- Plug-in class choice ----

class Plugins : public Sets {
protected:
    Plugins() {
        vt::test::addSetRows(db, "VENDOR01", "850", "004010", "I");
        vt::test::addSetRows(db, "VENDOR01", "850", "004010", "O");
        scratch.settings.set("Folders", "ActiveX", VT_PARTNER_PLUGIN_FOLDER);
        registry.setPluginFolder([this] { return pluginFolder(scratch.settings); });
    }
    std::vector<std::string> stored() { return rows(db, "Transactions", "ActiveX"); }
    vt::automation::ClassRegistry registry;
    const SetKey in{"VENDOR01", "850", "004010", "I"};
    const SetKey out{"VENDOR01", "850", "004010", "O"};
};

TEST(PluginNames, LibraryTitleAndSetKey) {
    const SetKey key{"ACME0001", "830", "002000", "I"};
    EXPECT_EQ(pluginClassName("/x/Brackwen.so", key), "Brackwen.ACME0001_830_002000_I");
    EXPECT_EQ(pluginClassName("/x/BRACKWEN.SO", key), "BRACKWEN.ACME0001_830_002000_I");
    EXPECT_EQ(pluginClassName("Brackwen", key), "Brackwen.ACME0001_830_002000_I");
}

TEST_F(Plugins, AChosenLibraryIsCreatedOnceAndStoredPerDirection) {
    const fs::path library = fs::path(VT_PARTNER_PLUGIN_FOLDER) / "PartnerPlugin.so";
    ui.fileAnswers = {{library}, {library}};
    EXPECT_TRUE(ChooseTransactionActiveX(s, registry, in));
    EXPECT_TRUE(ChooseTransactionActiveX(s, registry, out));
    EXPECT_EQ(ui.events.front(), std::string("open : ") + VT_PARTNER_PLUGIN_FOLDER + " [ActiveX Files(*.so)|*.so]");
    EXPECT_EQ(stored(), (std::vector<std::string>{"PartnerPlugin.VENDOR01_850_004010_I",
                                                  "PartnerPlugin.VENDOR01_850_004010_O"}));
    EXPECT_TRUE(ui.history.empty());
}

TEST_F(Plugins, ALibraryWithoutTheSetsClassChangesNothing) {
    db.exec("UPDATE Transactions SET ActiveX = 'PartnerPlugin.VENDOR01_850_004010_I'");
    scratch.settings.set("Folders", "ActiveX", VT_TEST_PLUGIN_FOLDER);
    ui.fileAnswers = {{fs::path(VT_TEST_PLUGIN_FOLDER) / "VtTestPlugin.so"}, {fs::path("/nowhere/Missing.so")}};
    EXPECT_FALSE(ChooseTransactionActiveX(s, registry, in));
    EXPECT_FALSE(ChooseTransactionActiveX(s, registry, in));
    ASSERT_EQ(ui.history.size(), 2u);
    EXPECT_EQ(ui.history[0].description,
              "429 ActiveX component can't create object: 'VtTestPlugin.VENDOR01_850_004010_I'");
    EXPECT_EQ(ui.history[1].description, "429 ActiveX component can't create object: 'Missing.VENDOR01_850_004010_I'");
    EXPECT_EQ(stored()[0], "PartnerPlugin.VENDOR01_850_004010_I");
}

TEST_F(Plugins, CancellingKeepsThePluginAndClearIsConfirmed) {
    db.exec("UPDATE Transactions SET ActiveX = 'PartnerPlugin.VENDOR01_850_004010_I'");
    EXPECT_FALSE(ChooseTransactionActiveX(s, registry, in));   // the dialog cancelled
    EXPECT_EQ(stored()[0], "PartnerPlugin.VENDOR01_850_004010_I");
    ui.events.clear();
    ui.boxAnswers = {vbNo, vbYes};
    EXPECT_FALSE(ClearTransactionActiveX(s, in, "PartnerPlugin.VENDOR01_850_004010_I"));
    EXPECT_EQ(stored()[0], "PartnerPlugin.VENDOR01_850_004010_I");
    EXPECT_TRUE(ClearTransactionActiveX(s, in, "PartnerPlugin.VENDOR01_850_004010_I"));
    EXPECT_EQ(stored()[0], "");
    EXPECT_EQ(ui.events[0],
              "box 36 Veltrane: Remove the ActiveX class PartnerPlugin.VENDOR01_850_004010_I from VENDOR01_850_004010_I?");
    EXPECT_FALSE(ClearTransactionActiveX(s, in, ""));
}

}  // namespace
