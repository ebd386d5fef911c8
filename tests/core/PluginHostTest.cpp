// What the program hands its plug-ins: settings, the database object with bound values, boxes,
// yielding and the clock, over the program's own ports.

#include "core/PluginHost.h"
#include "tests/support/ScratchDatabase.h"

#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Recordset.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vt::test {
namespace {

using automation::Variant;

struct PluginHostTest : ::testing::Test {
    ScratchDatabase s;
    core::PluginHost host{s.services};
    Variant db{host.database()};
};

TEST_F(PluginHostTest, QueryAndExecuteBindTheirValues) {
    const std::string quoted = "O'Brien \"Dock\"; DROP TABLE Carrier";
    EXPECT_EQ(automation::toInt32(automation::call(
                  db, "Execute",
                  {Variant(std::string("INSERT INTO Carrier (Description, Carrier, Selected) VALUES (?1, ?2, ?3)")),
                   Variant(quoted), Variant(std::string("C1")), Variant(true)})),
              1);
    EXPECT_EQ(automation::toInt32(automation::call(
                  db, "Execute", {Variant(std::string("UPDATE Carrier SET ProNumber = ?1 WHERE Description = ?2")),
                                  Variant(std::string("P1")), Variant(quoted)})),
              1);
    const Variant rs = automation::call(
        db, "Query",
        {Variant(std::string("SELECT Description, Selected, ProNumber, 2.5 AS Half, NULL AS Nothing, 5000000000 AS Big "
                             "FROM Carrier WHERE Description = ?1")),
         Variant(quoted)});
    auto r = automation::refCast<automation::Recordset>(rs.objectRef());
    ASSERT_EQ(r->recordCount(), 1);
    EXPECT_EQ(automation::toText(r->value("Description")), quoted);
    EXPECT_EQ(r->value("Selected").type(), automation::VarType::Long);
    EXPECT_EQ(automation::toInt32(r->value("Selected")), -1);   // True, as the database keeps it
    EXPECT_EQ(automation::toText(r->value("ProNumber")), "P1");
    EXPECT_EQ(automation::toDouble(r->value("Half")), 2.5);
    EXPECT_TRUE(r->value("Nothing").isNull());
    EXPECT_EQ(automation::toDouble(r->value("Big")), 5000000000.0);
}

TEST_F(PluginHostTest, EngineFailuresAreRaisedWithTheirText) {
    try {
        automation::call(db, "Query", {Variant(std::string("SELECT * FROM NoSuchTable"))});
        ADD_FAILURE() << "nothing raised";
    } catch (const automation::Error& e) {
        EXPECT_NE(e.description.find("no such table"), std::string::npos) << e.description;
    }
    s.db.close();
    EXPECT_FALSE(host.database());
}

TEST_F(PluginHostTest, SettingsBoxesYieldAndClockComeFromThePorts) {
    s.settings.set("Folders", "Import", "/data/import");
    EXPECT_EQ(host.setting("Folders", "Import", "x"), "/data/import");
    EXPECT_EQ(host.setting("Folders", "Database", "x"), "x");
    s.ui.boxAnswers.push_back(core::vbNo);
    EXPECT_EQ(host.messageBox("Sure?", core::vbYesNo, "Brackwen"), core::vbNo);
    EXPECT_EQ(s.ui.eventsStartingWith("box"), std::vector<std::string>{"box 4 Brackwen: Sure?"});
    host.yield();
    EXPECT_EQ(s.ui.yields, 1);
    EXPECT_EQ(host.now(), text::toOleDate(s.clock.now()));
}

// A library another user could have changed is refused before it is loaded, and History says
// why; a host that has ended serves no registry any more.
TEST(PluginHostRegistry, ARefusedLibraryIsLoggedInHistory) {
    ScratchDatabase s;
    const std::filesystem::path folder = s.folder() / "ActiveX";
    std::filesystem::create_directories(folder);
    const std::filesystem::path library = folder / "Shared.so";
    std::filesystem::copy_file(std::filesystem::path(VT_TEST_PLUGIN_FOLDER) / "VtTestPlugin.so", library);
    std::filesystem::permissions(library, std::filesystem::perms(0666));
    automation::ClassRegistry registry;
    registry.setPluginFolder(folder);
    {
        core::PluginHost host{s.services};
        host.attach(registry);
        EXPECT_EQ(registry.hostServices(), &host);
        EXPECT_THROW(registry.create("Shared.Echo"), automation::Error);
        const std::string why = library.string() + " was not loaded: " + library.string() +
                                " can be written by other users";
        EXPECT_EQ(s.ui.eventsStartingWith("history"), std::vector<std::string>{"history Error: " + why});
        EXPECT_EQ(s.db.scalarText("SELECT Type || ' ' || Description FROM History"), "Error " + why);
    }
    EXPECT_EQ(registry.hostServices(), nullptr);
    s.ui.events.clear();
    EXPECT_THROW(registry.create("Shared.Echo"), automation::Error);
    EXPECT_TRUE(s.ui.eventsStartingWith("history").empty());
}

}  // namespace
}  // namespace vt::test
