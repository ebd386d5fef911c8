// The start through the login over the real main window, and the setup windows shown by the
// main window's commands.
#include "core/Globals.h"
#include "setup/PasswordBox.h"
#include "setup/frmAccount.h"
#include "setup/frmLogin.h"
#include "setup/frmOptions.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QPushButton>

namespace {

namespace core = vt::core;
using namespace vt::test;

class Start : public MainWindow {
protected:
    std::unique_ptr<vt::setup::frmLogin> login() {
        create();
        auto l = std::make_unique<vt::setup::frmLogin>(main->services(), [this] {
            if (!main->Form_Load()) return false;
            main->show();
            return true;
        });
        EXPECT_TRUE(l->Form_Load());
        return l;
    }
};

TEST_F(Start, TheLoginRunsOverTheLoadedMainWindowAndItsUserSignsEveryRow) {
    settings.set("Account", "UserName", "Robin");
    settings.set("Account", "Password", "hand-written");
    auto l = login();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(conn().isOpen());
    EXPECT_EQ(core::gUserName, "Robin");
    l->txtPassword()->setFocus();
    QTest::keyClick(l->txtPassword(), Qt::Key_Backspace);
    QTest::keyClicks(l->txtPassword(), QStringLiteral("hand-written"));
    l->cmdOk_Click();
    ASSERT_TRUE(l->loggedIn());
    auto rows = conn().prepare("SELECT User, Description FROM History ORDER BY \"Index\" DESC LIMIT 1");
    ASSERT_TRUE(rows.step());
    EXPECT_EQ(rows.text(0), "Robin");
    EXPECT_EQ(rows.text(1), "User Login: Robin");
}

TEST_F(Start, CancelClosesTheDatabaseWithoutTheMainWindowsClosingSteps) {
    auto l = login();
    ASSERT_TRUE(conn().isOpen());
    l->cmdCancel_Click();
    EXPECT_FALSE(conn().isOpen());
    EXPECT_FALSE(main->isUnloaded());   // no layout saved, no compaction
}

TEST_F(Start, OptionsClearsTheHistoryListOfTheMainWindow) {
    before([](vt::db::Database& db) {
        addLog(db, "History", "Info", "one");
        addLog(db, "History", "Info", "two");
    });
    start();
    main->onDialog = [&](QDialog& d) {
        auto* options = dynamic_cast<vt::setup::frmOptions*>(&d);
        EXPECT_NE(options, nullptr);
        main->boxAnswers = {core::vbYes};
        if (options) options->findChild<QPushButton*>(QStringLiteral("cmdClearHistory"))->click();
        d.reject();
        return int(QDialog::Rejected);
    };
    main->runCommand("mnuOptions");
    EXPECT_EQ(main->boxes.back(), std::to_string(core::vbYesNo | core::vbQuestion) +
                                      " Veltrane: Are you sure you want to delete the history folder?");
    EXPECT_EQ(conn().scalarInt("SELECT count(*) FROM History"), 0);
    EXPECT_EQ(main->folderNode("History")->text(0), QStringLiteral("History (0)"));
}

TEST_F(Start, AccountSavesForTheNextLoginOnly) {
    start();
    core::gUserName = "tulip";
    main->onDialog = [&](QDialog& d) {
        auto* account = dynamic_cast<vt::setup::frmAccount*>(&d);
        EXPECT_NE(account, nullptr);
        if (!account) return int(QDialog::Rejected);
        EXPECT_EQ(account->parentWidget(), main.get());
        account->txtUserName()->setText(QStringLiteral("Robin"));
        account->cmdOk_Click();
        return account->result();
    };
    main->runCommand("mnuAccount");
    EXPECT_EQ(settings.get("Account", "UserName"), "Robin");
    EXPECT_EQ(core::gUserName, "tulip");
}

}  // namespace
