#include "core/Globals.h"
#include "setup/Password.h"
#include "setup/PasswordBox.h"
#include "setup/SetupSettings.h"
#include "setup/SingleInstance.h"
#include "setup/SystemInfo.h"
#include "setup/VersionInfo.h"
#include "setup/frmAbout.h"
#include "setup/frmAccount.h"
#include "setup/frmLogin.h"
#include "setup/frmOptions.h"
#include "setup/frmSplash.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"
#include "tests/setup/SetupFixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <curl/curl.h>

#include <fstream>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
namespace core = vt::core;
using namespace vt::setup;
using vt::test::application;

class SetupWindows : public vt::test::SetupTest {
protected:
    static void SetUpTestSuite() { application(); }
    static void type(QLineEdit* box, const QString& text) {
        box->setFocus();
        QTest::keyClicks(box, text);
    }
    static void clear(QLineEdit* box) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
    }
};

// ---- Splash ----

class RecordingSplash : public frmSplash {
public:
    std::vector<std::string> messages;

protected:
    void alreadyOpen(std::string_view text) override { messages.emplace_back(text); }
};

TEST_F(SetupWindows, SplashRefusesASecondCopyAndOtherwiseShowsTheProductForItsTime) {
    InstanceLock running;
    ASSERT_TRUE(running.acquire(instanceLockFile()));
    {
        InstanceLock mine;
        RecordingSplash splash;
        EXPECT_FALSE(splash.Form_Load(mine));
        EXPECT_EQ(splash.messages, std::vector<std::string>{alreadyOpenText(executablePath())});
        EXPECT_FALSE(splash.isVisible());
        EXPECT_TRUE(splash.labels().lblVersion->text().isEmpty());   // nothing further loaded
    }
    running.release();

    InstanceLock mine;
    RecordingSplash splash;
    ASSERT_TRUE(splash.Form_Load(mine));
    EXPECT_TRUE(mine.held());
    EXPECT_TRUE(splash.messages.empty());
    EXPECT_TRUE(splash.labels().lblVersion->text().startsWith(QStringLiteral("Version ")));
    EXPECT_TRUE(splash.labels().lblBuildDate->text().startsWith(QStringLiteral("Build Date: ")));
    EXPECT_EQ(splash.labels().lblProductName->text(), QStringLiteral("Veltrane"));
    EXPECT_FALSE(splash.labels().lblCopyright->text().isEmpty());
    EXPECT_EQ(splash.labels().lblVersion->font().family(), QStringLiteral("Arial"));

    // Showing the window may itself run events, so look again and again while it waits.
    bool shownWhileWaiting = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        shownWhileWaiting = shownWhileWaiting || (splash.isVisible() && QApplication::overrideCursor());
    });
    look.start(5);
    QElapsedTimer waited;
    waited.start();
    splash.Activate(400);
    EXPECT_GE(waited.elapsed(), 400);
    EXPECT_TRUE(shownWhileWaiting);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// ---- Login ----

class Login : public SetupWindows {
protected:
    std::unique_ptr<frmLogin> open(bool mainLoads = true) {
        auto login = std::make_unique<frmLogin>(s, [this, mainLoads] {
            events().push_back("main window shown");
            return mainLoads;
        });
        loaded = login->Form_Load();
        login->show();
        return login;
    }
    bool loaded = false;
};

TEST_F(Login, FirstStartLogsInWithTheRememberedDefaultAccount) {
    auto login = open();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(events().front(), "main window shown");   // before the account is read
    EXPECT_EQ(login->windowTitle(), QStringLiteral("Login"));
    EXPECT_EQ(login->txtUser()->text(), QStringLiteral("tulip"));
    EXPECT_TRUE(login->chkRemember()->isChecked());
    EXPECT_TRUE(login->txtPassword()->holdsStored());
    EXPECT_EQ(login->txtPassword()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(settings.get("Account", "Remember"), "1");

    QTest::mouseClick(login->cmdOk(), Qt::LeftButton);
    EXPECT_TRUE(login->loggedIn());
    EXPECT_EQ(login->result(), QDialog::Accepted);
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(history(), std::vector<std::string>{"Info tulip: User Login: tulip"});
    for (const char* key : {"Export", "Import", "Inbound", "Outbound", "Sent", "Reports", "ActiveX"})
        EXPECT_EQ(settings.get("Folders", key), (home / key).string()) << key;
    EXPECT_FALSE(settings.contains("Folders", "Database"));
}

TEST_F(Login, AFailedAttemptSelectsTheUserNameAndKeepsThePassword) {
    settings.stored.set("Account", "Password", hashPassword("Secret1"));
    settings.stored.set("Account", "Remember", "0");
    auto login = open();
    EXPECT_TRUE(login->txtPassword()->text().isEmpty());
    login->txtUser()->end(false);
    QTest::keyClick(login->txtUser(), Qt::Key_Space);   // "tulip " with a trailing blank
    type(login->txtPassword(), QStringLiteral("Secret1"));
    login->cmdOk_Click();
    EXPECT_EQ(db.ui.eventsStartingWith("box"),
              std::vector<std::string>{"box 16 Login: Invalid User Name or Password, try again!"});
    EXPECT_FALSE(login->loggedIn());
    EXPECT_TRUE(login->isVisible());
    EXPECT_EQ(login->txtUser()->selectedText(), QStringLiteral("tulip "));
    EXPECT_EQ(login->txtPassword()->text(), QStringLiteral("Secret1"));
    EXPECT_TRUE(history().empty());

    QTest::keyClick(login->txtUser(), Qt::Key_Backspace);   // the selection goes; type the name again
    type(login->txtUser(), QStringLiteral("tulip"));
    login->cmdOk_Click();
    EXPECT_TRUE(login->loggedIn());
}

TEST_F(Login, EditingTheRememberedPasswordReplacesIt) {
    auto login = open();
    QTest::keyClick(login->txtPassword(), Qt::Key_Backspace);
    EXPECT_FALSE(login->txtPassword()->holdsStored());
    EXPECT_TRUE(login->txtPassword()->text().isEmpty());
    login->cmdOk_Click();   // an empty password is not the remembered one
    EXPECT_FALSE(login->loggedIn());
    type(login->txtPassword(), QStringLiteral("tulip"));
    login->cmdOk_Click();
    EXPECT_TRUE(login->loggedIn());
}

TEST_F(Login, OnlyOkAndCancelCloseIt) {
    auto login = open();
    login->close();
    QTest::keyClick(login.get(), Qt::Key_Escape);
    EXPECT_TRUE(login->isVisible());

    // Unchecking Remember is stored at once, whatever follows.
    QTest::mouseClick(login->chkRemember(), Qt::LeftButton, {}, QPoint(8, login->chkRemember()->height() / 2));
    EXPECT_EQ(settings.get("Account", "Remember"), "0");

    vt::test::TempFolder folder("login");
    core::createApplicationDatabase(core::gConnection(), folder.path / "Veltrane.mdb");
    ASSERT_TRUE(core::gConnection().isOpen());
    QTest::mouseClick(login->cmdCancel(), Qt::LeftButton);
    EXPECT_EQ(login->result(), QDialog::Rejected);
    EXPECT_FALSE(login->isVisible());
    EXPECT_FALSE(core::gConnection().isOpen());   // closed, not left to the end of the process
    EXPECT_TRUE(history().empty());
}

TEST_F(Login, AMainWindowThatEndsTheProgramEndsTheLogin) {
    auto login = open(false);
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(settings.contains("Account", "Remember"));
}

TEST_F(Login, AFailedCompletionLeavesTheWindowOpenButClosable) {
    auto login = open();
    settings.failOn = "Folders/Export";
    login->cmdOk_Click();
    EXPECT_TRUE(login->loggedIn());
    EXPECT_TRUE(login->isVisible());
    login->close();
    EXPECT_FALSE(login->isVisible());
}

// ---- Account ----

TEST_F(SetupWindows, AccountWindowRunsTheSameChecksForApplyAndOk) {
    frmAccount account(settings, db.ui);
    account.Form_Load();
    account.show();
    EXPECT_EQ(account.windowTitle(), QStringLiteral("Account"));
    EXPECT_EQ(account.txtUserName()->text(), QStringLiteral("tulip"));
    EXPECT_TRUE(account.txtPassword()->holdsStored());
    EXPECT_TRUE(account.txtConfirm()->holdsStored());
    EXPECT_FALSE(account.cmdApply()->isEnabled());
    for (QLineEdit* box : {account.txtUserName(), static_cast<QLineEdit*>(account.txtPassword()),
                           static_cast<QLineEdit*>(account.txtConfirm())})
        EXPECT_EQ(box->maxLength(), 32);

    // OK with an empty password and confirmation is refused like Apply.
    clear(account.txtPassword());
    clear(account.txtConfirm());
    EXPECT_TRUE(account.cmdApply()->isEnabled());
    account.cmdOk_Click();
    EXPECT_TRUE(account.isVisible());
    EXPECT_EQ(db.ui.eventsStartingWith("box"),
              std::vector<std::string>{"box 48 Veltrane: Password to short Min. 4!"});
    EXPECT_FALSE(settings.contains("Account", "Password"));

    type(account.txtPassword(), QStringLiteral("Opened4"));
    type(account.txtConfirm(), QStringLiteral("opened4"));
    events().clear();
    account.cmdApply_Click();
    EXPECT_EQ(db.ui.eventsStartingWith("box"), std::vector<std::string>{"box 48 Veltrane: Confirm Password!"});

    clear(account.txtConfirm());
    type(account.txtConfirm(), QStringLiteral("Opened4"));
    // A store that cannot be written is told, and the window stays with Apply on.
    settings.storeFails = true;
    events().clear();
    account.cmdOk_Click();
    EXPECT_TRUE(account.isVisible());
    EXPECT_TRUE(account.cmdApply()->isEnabled());
    EXPECT_EQ(db.ui.eventsStartingWith("box"),
              std::vector<std::string>{"box 16 Veltrane: The settings file could not be written"});
    settings.storeFails = false;
    account.cmdApply_Click();
    EXPECT_FALSE(account.cmdApply()->isEnabled());
    EXPECT_TRUE(account.isVisible());
    EXPECT_TRUE(verifyPassword(settings.get("Account", "Password"), "Opened4"));
    EXPECT_TRUE(isPasswordHash(settings.get("Account", "Password")));

    // Cancel keeps what Apply saved and saves nothing more.
    type(account.txtUserName(), QStringLiteral("X"));
    account.cmdCancel_Click();
    EXPECT_FALSE(account.isVisible());
    EXPECT_EQ(settings.get("Account", "UserName"), "tulip");
}

// ---- Options ----

class Options : public SetupWindows {
protected:
    Options() {
        options.Form_Load();
        options.show();
    }
    std::vector<bool> filter() const {
        std::vector<bool> out;
        for (int i = 0; i < options.lvwFilter()->count(); ++i)
            out.push_back(options.lvwFilter()->item(i)->checkState() == Qt::Checked);
        return out;
    }
    int historyItems = 0;
    frmOptions options{s, [this](std::string_view table) { return table == "History" ? historyItems : 0; }};
};

// OK, Cancel and Apply answer Alt with their letter on every page: no control of a page uses it.
TEST_F(Options, OkCancelAndApplyHaveAccessKeysOfTheirOwn) {
    auto key = [](const QString& text) {
        const int at = text.indexOf(QLatin1Char('&'));
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
    };
    const std::vector<QPushButton*> buttons{options.cmdOk(), options.cmdCancel(), options.cmdApply()};
    std::map<QChar, QPushButton*> own;
    for (QPushButton* b : buttons) {
        const QChar k = key(b->text());
        ASSERT_FALSE(k.isNull()) << b->objectName().toStdString();
        EXPECT_TRUE(own.emplace(k, b).second) << b->text().toStdString();
    }
    auto* inner = options.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    for (int page = 0; page < options.sstOptions()->count(); ++page)
        for (int innerPage = 0; innerPage < inner->count(); ++innerPage) {
            options.sstOptions()->setCurrentIndex(page);
            inner->setCurrentIndex(innerPage);
            for (QAbstractButton* b : options.findChildren<QAbstractButton*>()) {
                if (!b->isVisible() || std::find(buttons.begin(), buttons.end(), b) != buttons.end()) continue;
                EXPECT_EQ(own.count(key(b->text())), 0u) << b->text().toStdString() << " on page " << page;
            }
        }
    // The tips keep the plain captions.
    EXPECT_EQ(options.cmdOk()->toolTip(), QStringLiteral("OK"));
    EXPECT_EQ(options.cmdCancel()->toolTip(), QStringLiteral("Cancel"));
    EXPECT_EQ(options.cmdApply()->toolTip(), QStringLiteral("Apply"));
}

TEST_F(Options, OpensOnTheDefaultsWithApplyOff) {
    EXPECT_EQ(options.windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(options.sstOptions()->currentIndex(), 0);
    QStringList tabs;
    for (int i = 0; i < options.sstOptions()->count(); ++i) tabs << options.sstOptions()->tabText(i);
    EXPECT_EQ(tabs.join(','), QStringLiteral("General,Folders,Selection Filter,Report Viewer"));
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(options.folderBox(row)->text().toStdString(), home.string());
        EXPECT_EQ(options.browseButton(row)->toolTip().toStdString(), kFolderKeys[row].tip);
    }
    QStringList items;
    for (int i = 0; i < options.lvwFilter()->count(); ++i) items << options.lvwFilter()->item(i)->text();
    EXPECT_EQ(items.join(','), QStringLiteral("Partner,Transaction,Version,Date,Time,Used,Interchange Control Number,"
                                              "Group Control Number,Sender ID,Sender Division,Receiver ID,"
                                              "Receiver Division"));
    EXPECT_EQ(filter(), (std::vector<bool>{true, true, true, true, true, false, false, false, false, false, false, false}));
    for (int i = 0; i < 22; ++i) EXPECT_TRUE(options.viewerBox(i)->isChecked());
    EXPECT_EQ(options.viewerBox(21)->objectName(), QStringLiteral("chkPopupMenu"));
    EXPECT_FALSE(options.cmdApply()->isEnabled());
    EXPECT_TRUE(events().empty());   // opening writes nothing
}

TEST_F(Options, EditsEnableApplyAndARefusedFolderShowsTheStoredValueAgain) {
    struct Edit {
        const char* what;
        std::function<void()> run;
    } edits[] = {
        {"folder text", [&] { type(options.folderBox(2), QStringLiteral("x")); }},
        {"viewer box", [&] { QTest::mouseClick(options.viewerBox(3), Qt::LeftButton, {}, QPoint(6, 6)); }},
        {"filter check", [&] { options.lvwFilter()->item(7)->setCheckState(Qt::Checked); }},
        {"include", [&] { options.cmdInclude_Click(); }},
        {"exclude", [&] { options.cmdExclude_Click(); }},
        {"reset", [&] { options.cmdReset_Click(); }},
    };
    for (const Edit& e : edits) {
        options.cmdApply()->setEnabled(false);
        e.run();
        EXPECT_TRUE(options.cmdApply()->isEnabled()) << e.what;
    }
    // Reset ticks four fields: Time is off, unlike the defaults.
    EXPECT_EQ(filter(), (std::vector<bool>{true, true, true, true, false, false, false, false, false, false, false, false}));

    clear(options.folderBox(1));
    events().clear();
    options.cmdApply_Click();
    EXPECT_EQ(db.ui.eventsStartingWith("box"),
              (std::vector<std::string>{"box 16 Veltrane: Specified folder does not exist\r\n\r\n\r\n",
                                        "box 16 Veltrane: Specified folder does not exist\r\n\r\n" + home.string() +
                                            "x\r\n"}));
    EXPECT_EQ(options.folderBox(1)->text().toStdString(), home.string());
    EXPECT_EQ(options.folderBox(2)->text().toStdString(), home.string());
    EXPECT_FALSE(options.cmdApply()->isEnabled());
    EXPECT_TRUE(options.isVisible());
    EXPECT_EQ(settings.get("Filter", "Time"), "False");
    EXPECT_EQ(settings.get("Viewer", "DisplayGroupTree"), "0");
}

TEST_F(Options, OkRightAfterOpeningRewritesEveryKeyAndCloses) {
    options.cmdOk_Click();
    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(db.ui.eventsStartingWith("set Filter").size(), 12u);
    EXPECT_EQ(db.ui.eventsStartingWith("set Folders").size(), 8u);
    EXPECT_EQ(db.ui.eventsStartingWith("set Viewer").size(), 22u);
    EXPECT_TRUE(db.ui.eventsStartingWith("box").empty());
}

TEST_F(Options, ASaveThatFailedKeepsTheWindowOpenWithItsEdits) {
    settings.storeFails = true;
    type(options.folderBox(2), QStringLiteral("x"));
    options.cmdApply_Click();
    EXPECT_TRUE(options.cmdApply()->isEnabled());
    options.cmdOk_Click();
    EXPECT_TRUE(options.isVisible());
    EXPECT_EQ(options.folderBox(2)->text().toStdString(), home.string() + "x");
    settings.storeFails = false;
    options.cmdOk_Click();
    EXPECT_FALSE(options.isVisible());
}

TEST_F(Options, BrowsingAFolder) {
    const fs::path chosen = home / "picked";
    struct Case {
        int row;
        std::deque<int> answers;   // the database warning
        std::optional<fs::path> folder;
        std::vector<std::string> shown;
        bool changed;
    } cases[] = {
        {0, {core::vbNo}, chosen, {"box 36 Veltrane"}, false},
        {0, {core::vbYes}, std::nullopt, {"box 36 Veltrane", "folder Browse for Folder"}, false},
        {0, {core::vbYes}, chosen, {"box 36 Veltrane", "folder Browse for Folder"}, true},
        {6, {}, chosen, {"folder Browse for Folder"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        options.folderBox(c.row)->setText(QString::fromStdString(home.string()));
        options.cmdApply()->setEnabled(false);
        events().clear();
        db.ui.boxAnswers = c.answers;
        db.ui.folderAnswers = {c.folder};
        QTest::mouseClick(options.browseButton(c.row), Qt::LeftButton);
        std::vector<std::string> shown;
        for (const std::string& e : events()) shown.push_back(e.substr(0, e.find(':')));
        EXPECT_EQ(shown, c.shown);
        if (c.shown.size() > 1 || c.row != 0) {
            EXPECT_EQ(events().back(), "folder Browse for Folder: " + home.string());
        }
        EXPECT_EQ(options.folderBox(c.row)->text().toStdString(), c.changed ? chosen.string() : home.string());
        EXPECT_EQ(options.cmdApply()->isEnabled(), c.changed);
    }
    EXPECT_TRUE(db.ui.eventsStartingWith("set").empty());   // nothing stored before OK or Apply
}

TEST_F(Options, ClearHistoryAsksAndDeletesOnlyWhenTheListHasItems) {
    db.db.exec("INSERT INTO History (Type, Description) VALUES ('Info', 'a'), ('Info', 'b')");
    db.ui.boxAnswers = {core::vbYes};
    options.cmdClearHistory_Click();
    EXPECT_EQ(db.db.scalarInt("SELECT count(*) FROM History"), 2);
    historyItems = 2;
    db.ui.boxAnswers = {core::vbYes};
    options.cmdClearHistory_Click();
    EXPECT_EQ(db.db.scalarInt("SELECT count(*) FROM History"), 0);
    EXPECT_EQ(db.ui.refreshed, std::vector<std::string>{"History"});
}

// ---- About ----

class TestAbout : public frmAbout {
public:
    using frmAbout::frmAbout;
    std::string path;
    bool starts = true;
    std::vector<std::string> started, opened;
    // Plays the user's part in the System Information box.
    std::function<void(QDialog&)> onDialog;
    std::vector<std::string> dialogs;

protected:
    bool startProgram(const fs::path& program) override {
        started.push_back(program.string());
        return starts;
    }
    void openAddress(const QString& address) override { opened.push_back(address.toStdString()); }
    std::string searchPath() const override { return path; }
    int execDialog(QDialog& dialog) override {
        dialogs.push_back(dialog.objectName().toStdString() + ": " + dialog.windowTitle().toStdString());
        if (onDialog) onDialog(dialog);
        return QDialog::Accepted;
    }
};

TEST_F(SetupWindows, AboutBoxLinkFollowsThePointerAndOpensItsAddress) {
    TestAbout about(s);
    about.Form_Load();
    about.show();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Veltrane"));
    EXPECT_TRUE(about.labels().lblVersion->text().startsWith(QStringLiteral("Version ")));
    EXPECT_TRUE(about.labels().lblBuildDate->text().startsWith(QStringLiteral("Build Date: ")));
    // The box names the program, never a file of it: the link to the installed page stays hidden.
    EXPECT_TRUE(about.Picture1()->isHidden());
    for (const QLabel* label : about.findChildren<QLabel*>())
        if (label->isVisibleTo(&about)) {
            EXPECT_FALSE(label->text().contains(QStringLiteral("file:"))) << label->objectName().toStdString();
            EXPECT_FALSE(label->text().contains(QLatin1Char('/'))) << label->objectName().toStdString();
        }
    about.Picture1()->show();   // the link's behaviour, for a link that is shown
    EXPECT_EQ(about.Picture1()->size(), about.lblURL()->size());
    EXPECT_EQ(about.lblURL()->pos(), QPoint(0, 0));
    EXPECT_EQ(about.linkState(), "black");
    EXPECT_FALSE(about.tmrURL()->isActive());

    QTest::mouseMove(about.lblURL(), QPoint(3, 3));
    about.lblURL_MouseMove();
    EXPECT_EQ(about.linkState(), "blue");
    EXPECT_TRUE(about.linkUnderlined());
    EXPECT_TRUE(about.tmrURL()->isActive());
    EXPECT_EQ(about.tmrURL()->interval(), 100);

    // On the frame's right and bottom edge the pointer still counts as inside.
    const QWidget* frame = about.Picture1();
    about.tmrURL_Timer(frame->mapToGlobal(QPoint(frame->width(), frame->height())));
    EXPECT_EQ(about.linkState(), "blue");

    QTest::mousePress(about.lblURL(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(about.linkState(), "red");
    QTest::mouseRelease(about.lblURL(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(about.linkState(), "blue");
    EXPECT_EQ(about.opened, std::vector<std::string>{about.lblURL()->text().toStdString()});

    about.tmrURL_Timer(frame->mapToGlobal(QPoint(frame->width() + 1, 0)));
    EXPECT_EQ(about.linkState(), "black");
    EXPECT_FALSE(about.linkUnderlined());
    EXPECT_FALSE(about.tmrURL()->isActive());
    about.lblURL_MouseDown();   // pressing the idle link changes nothing
    EXPECT_EQ(about.linkState(), "black");
}

TEST_F(SetupWindows, SystemInfoShowsWhatASupportRequestNeedsWithCopy) {
    vt::test::TempFolder bin("bin");
    TestAbout about(s);
    about.Form_Load();
    about.path = "/nonexistent:" + bin.path.string();   // no desktop program
    std::vector<std::string> names, values;
    bool desktopOffered = true;
    about.onDialog = [&](QDialog& box) {
        auto* list = box.findChild<QTreeWidget*>(QStringLiteral("lvwDetails"));
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            names.push_back(list->topLevelItem(i)->text(0).toStdString());
            values.push_back(list->topLevelItem(i)->text(1).toStdString());
        }
        desktopOffered = box.findChild<QPushButton*>(QStringLiteral("cmdDesktop")) != nullptr;
        QGuiApplication::clipboard()->clear();
        box.findChild<QPushButton*>(QStringLiteral("cmdCopy"))->click();
    };
    QTest::mouseClick(about.cmdSysInfo(), Qt::LeftButton);
    EXPECT_EQ(about.dialogs, std::vector<std::string>{"frmSystemInfo: System Information"});
    EXPECT_TRUE(events().empty());   // never "unavailable"
    EXPECT_FALSE(desktopOffered);
    EXPECT_EQ(names, (std::vector<std::string>{"Program", "Build Date", "Program File", "Qt", "Database Engine", "OpenSSL",
                                               "libcurl", "Data Folder", "Database Folder", "Settings File",
                                               "Operating System"}));
    ASSERT_EQ(values.size(), names.size());
    const auto& v = programVersion();
    EXPECT_EQ(values[0], "Veltrane " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision));
    EXPECT_EQ(values[3], qVersion());
    EXPECT_EQ(values[4], "SQLCipher " + vt::db::cipherVersion(db.db) + " (SQLite " +
                             db.db.scalarText("SELECT sqlite_version()") + ")");
    EXPECT_NE(values[5].find("OpenSSL 3"), std::string::npos) << values[5];
    EXPECT_EQ(values[6], curl_version_info(CURLVERSION_NOW)->version);
    EXPECT_EQ(values[7], vt::dataRoot().string());
    for (const std::string& value : values) EXPECT_FALSE(value.empty());
    // Copy puts every line on the clipboard, ready for a support request.
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_NE(copied.find(names[i] + ": " + values[i] + "\n"), std::string::npos) << names[i];

    // With the desktop's program installed, the box offers it; one that will not start is
    // "unavailable".
    const fs::path program = bin.path / "kinfocenter";
    std::ofstream(program) << "#!/bin/sh\n";
    fs::permissions(program, fs::perms::owner_all);
    std::ofstream(bin.path / "hardinfo") << "not executable";
    about.onDialog = [&](QDialog& box) {
        auto* desktop = box.findChild<QPushButton*>(QStringLiteral("cmdDesktop"));
        ASSERT_NE(desktop, nullptr);
        desktop->click();
        about.starts = false;
        desktop->click();
    };
    about.cmdSysInfo()->click();
    EXPECT_EQ(about.started, (std::vector<std::string>{program.string(), program.string()}));
    EXPECT_EQ(events(), std::vector<std::string>{"box 0 Veltrane: System Information Is Unavailable At This Time"});
}

}  // namespace
