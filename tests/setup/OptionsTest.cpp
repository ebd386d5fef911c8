#include "setup/Options.h"
#include "setup/SetupSettings.h"
#include "tests/setup/SetupFixture.h"

namespace {

namespace fs = std::filesystem;
namespace core = vt::core;
using namespace vt::setup;

const char* const kFilterKeys[] = {"Partner", "Transaction", "Version", "Date", "Time", "Used",
                                   "Interchange Control Number", "Group Control Number", "Sender ID",
                                   "Sender Division", "Receiver ID", "Receiver Division"};

class Options : public vt::test::SetupTest {
protected:
    // Every folder box on an existing folder of its own.
    OptionValues existingFolders() {
        OptionValues v = LoadPropertySettings(settings);
        for (std::size_t i = 0; i < kFolderKeys.size(); ++i) {
            v.folders[i] = (home / ("f" + std::to_string(i))).string();
            fs::create_directories(v.folders[i]);
        }
        return v;
    }
};

TEST_F(Options, NoStoredSettingsLoadTheDefaults) {
    const OptionValues v = LoadPropertySettings(settings);
    for (const std::string& folder : v.folders) EXPECT_EQ(folder, home.string());
    EXPECT_EQ(v.filter, (std::array<bool, 12>{true, true, true, true, true, false, false, false, false, false,
                                              false, false}));
    for (bool on : v.viewer) EXPECT_TRUE(on);
}

TEST_F(Options, AnUnreadableValueTakesItsDefaultAndTheRestStillLoads) {
    settings.stored.set("Filter", "Partner", "False");
    settings.stored.set("Filter", "Date", "maybe");   // bad: default True
    settings.stored.set("Filter", "Used", "-1");      // a number: True
    settings.stored.set("Filter", "Sender ID", "true");
    settings.stored.set("Viewer", "AnimationControl", "abc");   // bad: default on
    settings.stored.set("Viewer", "DisplayBorder", "0");
    settings.stored.set("Viewer", "PopupMenu", "0");   // the last key still loads
    settings.stored.set("Folders", "Sent", "/srv/sent");
    const OptionValues v = LoadPropertySettings(settings);
    EXPECT_EQ(v.filter, (std::array<bool, 12>{false, true, true, true, true, true, false, false, true, false,
                                              false, false}));
    EXPECT_TRUE(v.viewer[0]);
    EXPECT_FALSE(v.viewer[2]);
    EXPECT_FALSE(v.viewer[21]);
    EXPECT_EQ(std::count(v.viewer.begin(), v.viewer.end(), false), 2);
    EXPECT_EQ(v.folders[5], "/srv/sent");
}

TEST_F(Options, SaveWritesFilterThenCheckedFoldersThenViewerInOrder) {
    OptionValues v = existingFolders();
    settings.stored.set("Folders", "Outbound", "/stored/outbound");
    v.filter[11] = true;
    v.viewer[1] = false;
    v.folders[1] = "";                                   // Export: emptied by the user
    v.folders[4] = (home / "missing").string();          // Outbound: no such folder
    SaveOptions(s, v);

    std::vector<std::string> expected;
    for (std::size_t i = 0; i < 12; ++i)
        expected.push_back(std::string("set Filter/") + kFilterKeys[i] + "=" + (i < 5 || i == 11 ? "True" : "False"));
    for (std::size_t i = 0; i < kFolderKeys.size(); ++i) {
        const std::string key(kFolderKeys[i].key);
        if (key == "Export")
            expected.push_back("box 16 Veltrane: Specified folder does not exist\r\n\r\n\r\n");
        else if (key == "Outbound")
            expected.push_back("box 16 Veltrane: Specified Folder does not exist\r\n\r\n" + (home / "missing").string() +
                               "\r\n");
        else
            expected.push_back("set Folders/" + key + "=" + (home / ("f" + std::to_string(i))).string());
    }
    for (std::size_t i = 0; i < kViewerKeys.size(); ++i)
        expected.push_back("set Viewer/" + std::string(kViewerKeys[i].key) + "=" + (i == 1 ? "0" : "1"));
    EXPECT_EQ(events(), expected);
    // The refused boxes show the stored value again: the default for Export, the old path for Outbound.
    EXPECT_EQ(v.folders[1], home.string());
    EXPECT_EQ(v.folders[4], "/stored/outbound");
    EXPECT_FALSE(settings.contains("Folders", "Export"));
    EXPECT_EQ(settings.get("Folders", "Outbound"), "/stored/outbound");
}

TEST_F(Options, SentIsCapitalisedInItsMessageAndDefaultsAreStoredWhenTheyExist) {
    // The program's folder exists, so a box showing it as a default gets it stored.
    OptionValues v = LoadPropertySettings(settings);
    v.folders[5] = (home / "gone").string();
    SaveOptions(s, v);
    EXPECT_EQ(db.ui.eventsStartingWith("box"),
              std::vector<std::string>{"box 16 Veltrane: Specified Folder does not exist\r\n\r\n" +
                                       (home / "gone").string() + "\r\n"});
    EXPECT_EQ(settings.get("Folders", "Database"), home.string());
    EXPECT_EQ(db.ui.eventsStartingWith("set Folders").size(), 7u);
}

TEST_F(Options, AFailedWriteEndsTheSaveThroughTheErrorReporter) {
    OptionValues v = existingFolders();
    settings.failOn = "Folders/Inbound";
    SaveOptions(s, v);
    EXPECT_TRUE(settings.contains("Filter", "Receiver Division"));
    EXPECT_TRUE(settings.contains("Folders", "Import"));
    EXPECT_FALSE(settings.contains("Folders", "Outbound"));
    EXPECT_FALSE(settings.contains("Viewer", "AnimationControl"));
    ASSERT_EQ(history().size(), 1u);
    EXPECT_EQ(history()[0].rfind("Error System: ", 0), 0u);
}

TEST_F(Options, AStoreThatCannotBeWrittenStopsAfterTheFilterAndSaysSo) {
    OptionValues v = existingFolders();
    settings.storeFails = true;
    EXPECT_FALSE(SaveOptions(s, v));
    EXPECT_TRUE(db.ui.eventsStartingWith("set Folders").empty());
    EXPECT_TRUE(db.ui.eventsStartingWith("set Viewer").empty());
    ASSERT_EQ(history().size(), 1u);
    EXPECT_NE(history()[0].find("could not be written"), std::string::npos);
    settings.storeFails = false;
    EXPECT_TRUE(SaveOptions(s, v));
}

TEST_F(Options, DatabaseWarning) {
    db.ui.boxAnswers = {core::vbNo, core::vbYes};
    EXPECT_FALSE(ConfirmDatabaseChange(db.ui));
    EXPECT_TRUE(ConfirmDatabaseChange(db.ui));
    EXPECT_EQ(events(), std::vector<std::string>(2, "box 36 Veltrane: WARNING: Are you sure you want to change\r\n"
                                                    "the application database location?"));
}

TEST_F(Options, ClearingALog) {
    auto rows = [&](const char* table) { return db.db.scalarInt(std::string("SELECT count(*) FROM ") + table); };
    auto add = [&](const char* table) {
        db.db.exec(std::string("INSERT INTO ") + table + " (Type, Description) VALUES ('Info', 'x')");
    };
    for (int i = 0; i < 3; ++i) {
        add("History");
        add("Exchange");
    }
    struct Case {
        const char* table;
        int answer;
        int listItems;
        long long left;
        bool refreshed;
    } cases[] = {
        {"History", core::vbNo, 3, 3, false},
        {"History", core::vbYes, 0, 3, false},   // an empty list deletes nothing
        {"History", core::vbYes, 3, 0, true},
        {"Exchange", core::vbYes, 3, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " " + std::to_string(c.answer) + " " + std::to_string(c.listItems));
        events().clear();
        db.ui.boxAnswers = {c.answer};
        ClearLog(s, c.table, c.listItems);
        const std::string question = std::string(c.table) == "History"
                                         ? "box 36 Veltrane: Are you sure you want to delete the history folder?"
                                         : "box 36 Veltrane: Are you sure you want to delete the Exchange folder?";
        std::vector<std::string> expected = {question};
        if (c.refreshed) expected.push_back(std::string("refresh ") + c.table);
        EXPECT_EQ(events(), expected);
        EXPECT_EQ(rows(c.table), c.left);
    }
    EXPECT_TRUE(history().empty());   // clearing logs nothing about itself
}

}  // namespace
