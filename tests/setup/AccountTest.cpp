#include "core/Globals.h"
#include "setup/Account.h"
#include "setup/Login.h"
#include "setup/Password.h"
#include "tests/setup/SetupFixture.h"

namespace {

using namespace vt::setup;

PasswordEntry typed(const char* text) { return {text, false}; }
const PasswordEntry kStored{"", true};

class Account : public vt::test::SetupTest {};

TEST_F(Account, FirstOpeningShowsTheDefaultAccount) {
    const AccountForm form = LoadAccount(settings);
    EXPECT_EQ(form.userName, "tulip");
    EXPECT_TRUE(form.password.stored);
    EXPECT_TRUE(form.confirm.stored);
    EXPECT_TRUE(CheckAccount(settings, form, db.ui));
}

TEST_F(Account, ChecksRunInOrderAndTheFirstFailureIsShown) {
    const std::string stored = hashPassword("OldPass");
    struct Case {
        const char* user;
        PasswordEntry password, confirm;
        const char* message;   // nullptr: accepted
    } cases[] = {
        {"abc", typed("x"), typed("y"), "User Name to short Min. 4!"},
        {"", kStored, kStored, "User Name to short Min. 4!"},
        {"abcd", typed("abc"), typed("xyz"), "Password to short Min. 4!"},
        {"abcd", typed(""), typed(""), "Password to short Min. 4!"},
        {"abcd", typed("Secret"), typed("secret"), "Confirm Password!"},
        {"abcd", typed("Secret"), kStored, "Confirm Password!"},
        {"abcd", kStored, typed("oldpass"), "Confirm Password!"},
        {"abcd", typed("Secret"), typed("Secret"), nullptr},
        {"abcd", kStored, kStored, nullptr},
        {"abcd", kStored, typed("OldPass"), nullptr},   // the stored password typed again
        {"abcd", typed("OldPass"), kStored, nullptr},
    };
    settings.stored.set("Account", "Password", stored);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.user) + " / " + c.password.text + " / " + c.confirm.text);
        events().clear();
        const bool ok = CheckAccount(settings, {c.user, c.password, c.confirm}, db.ui);
        EXPECT_EQ(ok, c.message == nullptr);
        EXPECT_EQ(events(), c.message ? std::vector<std::string>{std::string("box 48 Veltrane: ") + c.message}
                                      : std::vector<std::string>{});
    }
}

TEST_F(Account, AStoredClearPasswordIsMeasuredLikeATypedOne) {
    settings.stored.set("Account", "Password", "abc");   // written by hand
    EXPECT_FALSE(CheckAccount(settings, {"abcd", kStored, kStored}, db.ui));
    EXPECT_EQ(events(), std::vector<std::string>{"box 48 Veltrane: Password to short Min. 4!"});
}

TEST_F(Account, TheSavedPasswordIsAHashThatTheNextLoginAccepts) {
    SaveAccount(settings, {"operator", typed("n3w pass"), typed("n3w pass")});
    const std::string stored = settings.get("Account", "Password");
    EXPECT_TRUE(isPasswordHash(stored));
    EXPECT_EQ(stored.find("n3w"), std::string::npos);
    EXPECT_EQ(settings.get("Account", "UserName"), "operator");

    // The running program keeps the user it logged in with until the next login.
    vt::core::gUserName = "tulip";
    EXPECT_EQ(vt::core::gUserName, "tulip");
    LoadLogin(settings);
    EXPECT_TRUE(CheckLogin("operator", "n3w pass", false));
    EXPECT_FALSE(CheckLogin("operator", "tulip", false));

    // Saving with the password boxes untouched keeps the stored hash as it is.
    SaveAccount(settings, {"operator2", kStored, kStored});
    EXPECT_EQ(settings.get("Account", "Password"), stored);
}

TEST_F(Account, TheDefaultPasswordIsNeverWrittenInClear) {
    SaveAccount(settings, {"newuser", kStored, kStored});
    const std::string stored = settings.get("Account", "Password");
    EXPECT_TRUE(isPasswordHash(stored));
    EXPECT_TRUE(verifyPassword(stored, "tulip"));
}

}  // namespace
