// The first login and an Options save over a settings file the user edited by hand: lines the
// reader cannot use are no write failure, both succeed and the file keeps every setting.

#include "setup/Login.h"
#include "setup/Options.h"
#include "setup/SetupSettings.h"
#include "tests/setup/SetupFixture.h"

#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace vt::setup;

class EditedSettings : public vt::test::SetupTest {
protected:
    EditedSettings() {
        fs::create_directories(ini.parent_path());
        std::ofstream(ini) << "# set up by hand\n[Account]\nUserName=ren\nthe password comes later\n"
                              "[Folders]\nSent=" << (home / "sent").string() << "\n";
        fs::create_directories(home / "sent");
    }
    fs::path ini = home / "conf" / "Veltrane.conf";
};

TEST_F(EditedSettings, FirstLoginAndOptionsSaveSucceed) {
    {
        vt::FileSettings file(ini);
        const vt::core::Services fs{db.db, db.ui, db.clock, file};
        LoadLogin(file);
        ASSERT_TRUE(CompleteLogin(fs));
        OptionValues v = LoadPropertySettings(file);
        v.folders[0] = home.string();   // Database
        v.viewer[3] = false;
        ASSERT_TRUE(SaveOptions(fs, v));
    }
    EXPECT_EQ(history(), std::vector<std::string>{"Info ren: User Login: ren"});

    vt::FileSettings again(ini);
    EXPECT_EQ(again.get("Account", "UserName"), "ren");
    EXPECT_EQ(again.get("Account", "Remember"), "1");
    EXPECT_EQ(again.get("Folders", "Sent"), (home / "sent").string());
    EXPECT_EQ(again.get("Folders", "ActiveX"), (home / "ActiveX").string());
    EXPECT_EQ(again.get("Folders", "Database"), home.string());
    EXPECT_EQ(again.get("Filter", "Receiver Division"), "False");
    EXPECT_EQ(again.get("Viewer", std::string(kViewerKeys[3].key)), "0");
    EXPECT_EQ(again.get("Viewer", std::string(kViewerKeys.back().key)), "1");
}

}  // namespace
