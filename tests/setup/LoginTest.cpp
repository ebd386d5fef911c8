#include "core/Globals.h"
#include "setup/Login.h"
#include "setup/Password.h"
#include "tests/setup/SetupFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace vt::setup;
using vt::core::gPassword;
using vt::core::gUserName;

class Login : public vt::test::SetupTest {};

TEST_F(Login, FirstStartShowsTheDefaultAccountRemembered) {
    const LoginForm form = LoadLogin(settings);
    EXPECT_EQ(form.user, "tulip");
    EXPECT_TRUE(form.remember);
    EXPECT_TRUE(form.passwordFilled);
    EXPECT_EQ(gUserName, "tulip");
    // The box set from the stored value counts as a click and stores it.
    EXPECT_EQ(events(), std::vector<std::string>{"set Account/Remember=1"});
    EXPECT_TRUE(CheckLogin("tulip", "", true));
    EXPECT_TRUE(CheckLogin("tulip", "tulip", false));
}

TEST_F(Login, RememberSwitch) {
    struct Case {
        const char* stored;   // nullptr: missing
        bool checked;
        const char* written;   // nullptr: nothing written
    } cases[] = {
        {nullptr, true, "set Account/Remember=1"}, {"1", true, "set Account/Remember=1"},
        {"0", false, nullptr},                     {"junk", true, "set Account/Remember=1"},
        {"", true, "set Account/Remember=1"},      {"-1", true, "set Account/Remember=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        settings.stored.removeSection("Account");
        if (c.stored) settings.stored.set("Account", "Remember", c.stored);
        events().clear();
        const LoginForm form = LoadLogin(settings);
        EXPECT_EQ(form.remember, c.checked);
        EXPECT_EQ(form.passwordFilled, c.checked);
        EXPECT_EQ(events(), c.written ? std::vector<std::string>{c.written} : std::vector<std::string>{});
    }
    events().clear();
    StoreRemember(settings, false);
    StoreRemember(settings, true);
    EXPECT_EQ(events(), (std::vector<std::string>{"set Account/Remember=0", "set Account/Remember=1"}));
}

TEST_F(Login, UserAndPasswordMustMatchExactly) {
    settings.stored.set("Account", "UserName", "Admin");
    settings.stored.set("Account", "Password", hashPassword("Pa55 word"));
    LoadLogin(settings);
    EXPECT_TRUE(isPasswordHash(gPassword));
    struct Case {
        const char* user;
        const char* password;
        bool remembered;
        bool ok;
    } cases[] = {
        {"Admin", "Pa55 word", false, true},  {"Admin", "", true, true},
        {"admin", "Pa55 word", false, false}, {"Admin ", "Pa55 word", false, false},
        {" Admin", "", true, false},          {"Admin", "pa55 word", false, false},
        {"Admin", "Pa55 word ", false, false}, {"Admin", "", false, false},
        {"", "", false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckLogin(c.user, c.password, c.remembered), c.ok) << c.user << " / " << c.password;
}

TEST_F(Login, CompleteLoginLogsAndFillsOnlyEmptyWorkingFolders) {
    settings.stored.set("Account", "UserName", "Ren\xE9");
    LoadLogin(settings);
    settings.stored.set("Folders", "Import", "");                 // empty: refilled
    settings.stored.set("Folders", "Sent", "/nowhere/at/all");   // a path, even a missing one: kept
    events().clear();
    ASSERT_TRUE(CompleteLogin(s));

    EXPECT_EQ(history(), std::vector<std::string>{"Info Ren\xE9: User Login: Ren\xE9"});
    std::vector<std::string> expected = {"history Info: User Login: Ren\xE9"};
    for (const char* key : {"Export", "Import", "Inbound", "Outbound", "Reports", "ActiveX"}) {
        expected.push_back("set Folders/" + std::string(key) + "=" + (home / key).string());
        EXPECT_TRUE(fs::is_directory(home / key)) << key;
    }
    EXPECT_EQ(events().front(), expected.front());
    std::vector<std::string> sets;
    for (const auto& e : events())
        if (e.rfind("set ", 0) == 0) sets.push_back(e);
    EXPECT_EQ(sets, std::vector<std::string>(expected.begin() + 1, expected.end()));
    EXPECT_EQ(settings.get("Folders", "Sent"), "/nowhere/at/all");
    EXPECT_FALSE(settings.contains("Folders", "Database"));

    // A second login finds everything filled and writes nothing.
    events().clear();
    ASSERT_TRUE(CompleteLogin(s));
    EXPECT_TRUE(db.ui.eventsStartingWith("set").empty());
}

TEST_F(Login, AFailureInCompleteLoginGoesToTheErrorReporter) {
    LoadLogin(settings);
    settings.failOn = "Folders/Inbound";
    EXPECT_FALSE(CompleteLogin(s));
    EXPECT_EQ(settings.get("Folders", "Import"), (home / "Import").string());
    EXPECT_FALSE(settings.contains("Folders", "Inbound"));
    EXPECT_FALSE(settings.contains("Folders", "Outbound"));
    const auto h = history();
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[1].rfind("Error tulip: ", 0), 0u);
    EXPECT_NE(h[1].find("The settings file could not be written"), std::string::npos);
}

}  // namespace
