// The networks table and the editor: names, add, delete, the Modify/Save cycle and every
// stored position surviving a round trip.
#include "exchange/Networks.h"
#include "platform/db/Database.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

namespace vt::test {
namespace {

using exchange::NetworkEditor;
using exchange::NetworkSettings;

class Networks : public ::testing::Test {
protected:
    ScratchDatabase scratch;
    NetworkEditor editor{scratch.services};

    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& n : editor.networks()) out.push_back(n.network);
        return out;
    }
    void add(const std::string& name) {
        scratch.ui.inputAnswers.push_back(name);
        editor.cmdAddNetwork_Click();
    }
    std::vector<std::string> events() {
        std::vector<std::string> e;
        for (auto& line : scratch.ui.events)
            if (line.rfind("node ", 0) != 0) e.push_back(line);
        scratch.ui.events.clear();
        return e;
    }
};

TEST_F(Networks, NamesAreCheckedCharactersFirst) {
    const std::pair<const char*, const char*> cases[] = {
        {"ABCDEF", ""},
        {"abc123XYZ", ""},
        {"abcde", "Enter a longer Network Name! (Min 6)"},
        {"ab cdefg", "Invalid Network Name!"},
        {"ab-cd", "Invalid Network Name!"},
        {"abc_defg", "Invalid Network Name!"},
        {"caf\xe9\x31\x32\x33", "Invalid Network Name!"},
    };
    for (const auto& [name, message] : cases) EXPECT_EQ(exchange::ValidateNetworkName(name), message) << name;
}

TEST_F(Networks, AddShowsTheFirstInNameOrderAndRefusesCaseTwins) {
    add("ZZTOP9");
    add("abc");
    add("Alpha1");
    add("");   // nothing happens
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha1", "ZZTOP9"}));
    EXPECT_EQ(editor.selected(), 0);
    EXPECT_EQ(editor.caption(), "Exchange - Alpha1");
    EXPECT_EQ(events(), (std::vector<std::string>{
                            "input Veltrane: Enter Network Name: []", "history Info: Network Added ZZTOP9",
                            "status 1: Network Added ZZTOP9", "input Veltrane: Enter Network Name: []",
                            "box 48 Veltrane: Enter a longer Network Name! (Min 6)",
                            "input Veltrane: Enter Network Name: []", "history Info: Network Added Alpha1",
                            "status 1: Network Added Alpha1", "input Veltrane: Enter Network Name: []"}));
    add("ALPHA1");
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha1", "ZZTOP9"}));
    EXPECT_EQ(scratch.db.scalarInt("SELECT count(*) FROM Internet"), 2);
    const auto e = events();
    EXPECT_TRUE(std::any_of(e.begin(), e.end(), [](const std::string& line) {
        return line.rfind("box 16 Veltrane: A network named Alpha1 exists already", 0) == 0;
    }));
    EXPECT_EQ(scratch.ui.history.back().type, "Error");   // reported, nothing logged as added
}

TEST_F(Networks, DeleteAsksAndTheLastOneEmptiesTheList) {
    add("Alpha1");
    add("Bravo2");
    scratch.ui.boxAnswers = {core::vbNo};
    editor.cmdDeleteNetwork_Click();
    EXPECT_EQ(names().size(), 2u);
    editor.select(1);
    editor.cmdDeleteNetwork_Click();   // first button: Yes
    EXPECT_EQ(names(), std::vector<std::string>{"Alpha1"});
    editor.cmdDeleteNetwork_Click();
    EXPECT_TRUE(names().empty());
    EXPECT_EQ(editor.selected(), -1);
    EXPECT_EQ(scratch.db.scalarInt("SELECT count(*) FROM Internet"), 0);
    editor.cmdModify_Click();   // no network: nothing
    EXPECT_FALSE(editor.editing());
}

TEST_F(Networks, SaveStoresEveryFieldAndNoRestoresTheStoredRow) {
    add("Alpha1");
    editor.cmdModify_Click();
    ASSERT_TRUE(editor.editing());
    EXPECT_EQ(editor.modifyCaption(), "Save");
    editor.select(0);   // the list is disabled while editing: no change
    NetworkSettings& n = editor.at(0);
    n.url = "ftp://host/in";
    n.proxy = "proxy:3128";
    n.protocol = 6;
    n.accessType = 2;
    n.remotePort = "2121";
    n.timeOut = "30";
    n.userName = "o'brien";
    n.password = "p\"w";
    n.time = text::toOleDate({1899, 12, 30, 14, 5, 0});
    n.interval = 5;
    n.sendReceive = false;
    n.sendOnly = true;
    n.sendScript = "LogSession \"send\"\r\n";
    n.receiveScript = "x = 1";
    n.organizationName = "ORG";
    n.email = "a@b.example";
    n.partnerName = "PARTNER";
    n.partnerUrl = "https://p.example/as2";
    n.signOutgoing = n.compressOutgoing = n.requireEncryption = n.mdnUnsigned = 1;
    n.asyncronous = true;
    n.provider = 2;
    n.algorithm = 7;
    n.hash = 3;
    n.storeLocation = 0;
    n.storeName = 3;
    n.certificate = 4;
    editor.setCheckTime(0, 1);
    editor.setCheckInterval(0, 1);   // clears the daily check
    EXPECT_EQ(n.checkTime, 0);
    editor.setCheckTime(0, 1);
    EXPECT_EQ(n.checkInterval, 0);
    const NetworkSettings edited = n;

    scratch.ui.boxAnswers = {core::vbYes};
    editor.cmdModify_Click();
    EXPECT_FALSE(editor.editing());
    EXPECT_EQ(editor.at(0), edited);
    EXPECT_EQ(exchange::ReadNetwork(scratch.db, "ALPHA1"), edited);

    // Edits answered No are thrown away.
    editor.cmdModify_Click();
    editor.at(0).url = "changed";
    editor.at(0).hash = 0;
    scratch.ui.boxAnswers = {core::vbNo};
    editor.cmdModify_Click();
    EXPECT_FALSE(editor.editing());
    EXPECT_EQ(editor.at(0), edited);
}

TEST_F(Networks, ANewNetworkHasTheDefaultsAndBothChecksShowOnlyTheInterval) {
    add("Alpha1");
    NetworkSettings fresh;
    fresh.network = "Alpha1";
    EXPECT_EQ(editor.at(0), fresh);
    EXPECT_EQ(fresh.storeLocation, 1);   // "Current User Store"
    EXPECT_EQ(fresh.storeName, 0);       // "My"
    scratch.db.exec("UPDATE Internet SET CheckTime = 1, CheckInterval = 1");
    editor.LoadNetworks();
    EXPECT_EQ(editor.at(0).checkTime, 0);
    EXPECT_EQ(editor.at(0).checkInterval, 1);
}

TEST_F(Networks, SavingARowThatVanishedKeepsEditing) {
    add("Alpha1");
    editor.cmdModify_Click();
    scratch.db.exec("DELETE FROM Internet");
    editor.at(0).url = "kept";
    scratch.ui.boxAnswers = {core::vbYes};
    editor.cmdModify_Click();
    EXPECT_TRUE(editor.editing());
    EXPECT_EQ(editor.at(0).url, "kept");
    EXPECT_EQ(scratch.ui.history.back().type, "Error");
}

}  // namespace
}  // namespace vt::test
