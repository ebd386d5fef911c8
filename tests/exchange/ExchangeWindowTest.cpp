// The Exchange window under the offscreen platform: its tabs, the list and editor states, a
// stored network shown and saved through the controls, the reference trees and the editors.
// With VT_SCREENSHOT_DIR set, each tab is also saved there as a picture.
#include "exchange/windows/frmExchange.h"
#include "platform/db/Database.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace vt::test {
namespace {

namespace fs = std::filesystem;

QApplication& application() {
    static int argc = 1;
    static char name[] = "test_exchange_window";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class ExchangeWindow : public ::testing::Test {
protected:
    ScratchDatabase scratch;
    std::unique_ptr<exchange::frmExchange> window;

    void SetUp() override {
        application();
        ::setenv("XDG_DATA_HOME", (scratch.folder() / "xdg").c_str(), 1);
    }
    void TearDown() override {
        window.reset();
        ::unsetenv("XDG_DATA_HOME");
    }
    void open() {
        window = std::make_unique<exchange::frmExchange>(scratch.services);
        window->Form_Load();
    }
    template <class W>
    W* get(const char* name) {
        W* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    bool enabled(const char* name) { return get<QWidget>(name)->isEnabled(); }
    // Presses Receive; the window's own event loop presses Cancel 300 ms later, as a user would.
    // Returns how long the session went on after Cancel (max when Cancel never came).
    std::chrono::steady_clock::duration receiveThenCancel() {
        using Clock = std::chrono::steady_clock;
        Clock::time_point pressed{};
        QTimer::singleShot(300, window.get(), [this, &pressed] {
            pressed = Clock::now();
            get<QPushButton>("cmdCancel")->click();
        });
        get<QPushButton>("cmdReceive")->click();
        if (pressed == Clock::time_point{}) return Clock::duration::max();
        return Clock::now() - pressed;
    }
    void addNetworkRow(const std::string& name, const std::string& url) {
        auto q = scratch.db.prepare(
            "INSERT INTO Internet (Network, URL, UserName, Password, protocol, AccessType, RemotePort, timeout, "
            "CheckInterval, \"Interval\", SendReceive, SendScript, Hash, StoreLocation, StoreName, OrganizationName, "
            "RequestMDN, Syncronous, Provider, \"Algorithm\", Certificate) VALUES (?1, ?2, 'edi', 'secret', 2, 1, "
            "'21', '30', 1, 1, -1, 'Set f = Inet' || char(13) || char(10) || 'LogSession \"sending\"', 3, 1, 0, "
            "'OWN-AS2', 1, -1, 2, 1, 2)");
        q.bind(1, name).bind(2, url);
        q.run();
    }
    void shoot(const char* name) {
        const char* folder = std::getenv("VT_SCREENSHOT_DIR");
        if (!folder) return;
        window->show();
        QApplication::processEvents();
        window->grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
    }
};

TEST_F(ExchangeWindow, EmptyTableLeavesOnlyAddEnabled) {
    open();
    EXPECT_EQ(window->windowTitle(), "Exchange");
    QTabWidget* tabs = get<QTabWidget>("sstInternet");
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) captions << tabs->tabText(i);
    EXPECT_EQ(captions.join(','), "Networks,Connection,Scheduler,Session,Send,Receive,AS2,Encryption");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(enabled("cmdAddNetwork"));
    for (const char* name : {"lvwNetworks", "cmdDeleteNetwork", "cmdModify", "cmdSend", "cmdReceive", "txtURL"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_EQ(get<QComboBox>("cboStoreLocation")->currentText(), "Current User Store");
    EXPECT_EQ(get<QComboBox>("cboStoreName")->currentText(), "My");
    for (const char* name : {"cboHash", "cboProtocol", "cboAccessType", "cboInterval"})
        EXPECT_EQ(get<QComboBox>(name)->currentIndex(), -1) << name;
    EXPECT_EQ(get<QComboBox>("cboProvider")->count(), 4);
    shoot("exchange-empty");
}

TEST_F(ExchangeWindow, DeletingTheLastNetworkLeavesNothingOfItShown) {
    addNetworkRow("Alpha1", "ftp://alpha.example/out");
    open();
    EXPECT_EQ(window->windowTitle(), "Exchange - Alpha1");
    scratch.ui.boxAnswers = {core::vbYes};
    get<QPushButton>("cmdDeleteNetwork")->click();
    EXPECT_EQ(get<QTreeWidget>("lvwNetworks")->topLevelItemCount(), 0);
    EXPECT_EQ(window->windowTitle(), "Exchange");
    for (const char* name : {"txtURL", "txtUserName", "txtPassword", "mebRemotePort", "txtOrganizationName"})
        EXPECT_EQ(get<QLineEdit>(name)->text(), "") << name;
    EXPECT_EQ(get<QPlainTextEdit>("txtSend")->toPlainText(), "");
    for (const char* name : {"cboProtocol", "cboHash", "cboInterval", "cboProvider"})
        EXPECT_EQ(get<QComboBox>(name)->currentIndex(), -1) << name;
    EXPECT_FALSE(get<QCheckBox>("chkInterval")->isChecked());
    EXPECT_EQ(get<QComboBox>("cboStoreLocation")->currentText(), "Current User Store");
    for (const char* name : {"cmdDeleteNetwork", "cmdModify", "cmdSend", "cmdReceive"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(enabled("cmdAddNetwork"));
}

TEST_F(ExchangeWindow, ShowsEditsAndSavesANetwork) {
    // Two certificates in the current user's personal store; the network chose the second.
    const fs::path store = scratch.folder() / "xdg" / "Keystrand" / "Certificates" / "CurrentUser" / "My";
    fs::create_directories(store);
    for (const char* cn : {"Alpha Trading", "Veltrane Signer"}) {
        const std::string cmd = std::string("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                                            "-nodes -days 30 -subj '/CN=") + cn + "' -keyout /dev/null -out '" +
                                (store / (std::string(cn) + ".pem")).string() + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    addNetworkRow("Bravo2", "ftp://bravo.example/");
    addNetworkRow("Alpha1", "ftp://alpha.example/out");
    open();
    EXPECT_EQ(window->windowTitle(), "Exchange - Alpha1");
    auto* list = get<QTreeWidget>("lvwNetworks");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Alpha1");
    EXPECT_EQ(get<QLineEdit>("txtURL")->text(), "ftp://alpha.example/out");
    EXPECT_EQ(get<QLineEdit>("txtPassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(get<QComboBox>("cboProtocol")->currentText(), "FTP");
    EXPECT_EQ(get<QComboBox>("cboAccessType")->currentText(), "Dirrect");
    EXPECT_EQ(get<QComboBox>("cboInterval")->currentText(), "Every 30 Minutes");
    EXPECT_EQ(get<QComboBox>("cboHash")->currentText(), "SHA1");
    EXPECT_TRUE(get<QCheckBox>("chkInterval")->isChecked());
    EXPECT_EQ(get<QComboBox>("cboProvider")->currentIndex(), 2);
    EXPECT_GT(get<QComboBox>("cboAlgorithm")->count(), 1);   // the chosen provider's algorithms
    EXPECT_EQ(get<QComboBox>("cboAlgorithm")->currentIndex(), 1);
    auto* certificates = get<QTreeWidget>("lvwCertificate");
    ASSERT_EQ(certificates->topLevelItemCount(), 2);
    EXPECT_EQ(certificates->topLevelItem(1)->text(0), "Veltrane Signer");
    EXPECT_TRUE(certificates->topLevelItem(1)->isSelected());
    EXPECT_FALSE(enabled("txtURL"));
    EXPECT_TRUE(enabled("lvwNetworks"));
    EXPECT_TRUE(enabled("cmdSend"));
    for (int tab = 0; tab < 8; ++tab) {
        get<QTabWidget>("sstInternet")->setCurrentIndex(tab);
        shoot(("exchange-tab" + std::to_string(tab)).c_str());
    }

    get<QPushButton>("cmdModify")->click();
    EXPECT_EQ(get<QPushButton>("cmdModify")->text(), "Save");
    EXPECT_TRUE(enabled("txtURL"));
    for (const char* name : {"lvwNetworks", "cmdAddNetwork", "cmdDeleteNetwork", "cmdSend", "cmdReceive"})
        EXPECT_FALSE(enabled(name)) << name;
    get<QLineEdit>("txtURL")->setText("ftp://alpha.example/new");
    get<QCheckBox>("chkTime")->setChecked(true);   // clears the interval check
    EXPECT_FALSE(get<QCheckBox>("chkInterval")->isChecked());
    scratch.ui.boxAnswers = {core::vbYes};
    get<QPushButton>("cmdModify")->click();
    EXPECT_EQ(get<QPushButton>("cmdModify")->text(), "Modify");
    EXPECT_FALSE(enabled("txtURL"));
    auto stored = exchange::ReadNetwork(scratch.db, "Alpha1");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->url, "ftp://alpha.example/new");
    EXPECT_EQ(stored->checkTime, 1);
    EXPECT_EQ(stored->checkInterval, 0);
    EXPECT_EQ(stored->hash, 3);
    EXPECT_EQ(stored->certificate, 2);
    EXPECT_EQ(stored->provider, 2);
    EXPECT_EQ(stored->algorithm, 1);

    // Another network shown, then the first again.
    list->setFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list, &down);
    EXPECT_EQ(window->windowTitle(), "Exchange - Bravo2");
    EXPECT_EQ(get<QLineEdit>("txtURL")->text(), "ftp://bravo.example/");
}

TEST_F(ExchangeWindow, ScriptsCanBeReadAndCopiedButNotTypedIntoOutsideEditing) {
    addNetworkRow("Alpha1", "ftp://alpha.example/out");
    open();
    const QString script = QStringLiteral("Set f = Inet\nLogSession \"sending\"");
    for (const char* name : {"txtSend", "txtReceive"}) {
        auto* editor = get<QPlainTextEdit>(name);
        EXPECT_TRUE(editor->isEnabled()) << name;
        EXPECT_TRUE(editor->isReadOnly()) << name;
        EXPECT_TRUE(editor->textInteractionFlags() & Qt::TextSelectableByKeyboard) << name;
        EXPECT_TRUE(editor->textInteractionFlags() & Qt::TextSelectableByMouse) << name;
    }
    auto* send = get<QPlainTextEdit>("txtSend");
    ASSERT_EQ(send->toPlainText(), script);
    send->setFocus();
    for (const auto& [key, mods, text] : {std::tuple{Qt::Key_A, Qt::ControlModifier, QString()},
                                          std::tuple{Qt::Key_X, Qt::NoModifier, QStringLiteral("x")}}) {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(send, &press);
    }
    EXPECT_EQ(send->textCursor().selectedText().size(), script.size());   // all selected, nothing typed
    EXPECT_EQ(send->toPlainText(), script);

    get<QPushButton>("cmdModify")->click();
    EXPECT_FALSE(send->isReadOnly());
    EXPECT_TRUE(send->textInteractionFlags() & Qt::TextEditable);
}

TEST_F(ExchangeWindow, ReferenceTreesDragTextAndTabTypesATab) {
    open();
    for (const char* name : {"tvwSendRef", "tvwReceiveRef"}) {
        auto* tree = get<QTreeWidget>(name);
        int nodes = 0;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) nodes += 1 + tree->topLevelItem(i)->childCount();
        EXPECT_EQ(nodes, 182) << name;
        QTreeWidgetItem* statement = tree->topLevelItem(4)->child(9);
        ASSERT_TRUE(statement);
        const QModelIndex index = tree->indexFromItem(statement);
        std::unique_ptr<QMimeData> data(tree->model()->mimeData({index}));
        EXPECT_EQ(data->text(), "For Each ... Next");
        EXPECT_EQ(tree->topLevelItem(0)->child(3)->text(0), "Inet.GetChunk size, icByteArray");
    }
    auto* editor = get<QPlainTextEdit>("txtSend");
    editor->setReadOnly(false);   // as while editing
    editor->setPlainText("abcd");
    QTextCursor c = editor->textCursor();
    c.setPosition(1);
    c.setPosition(3, QTextCursor::KeepAnchor);
    editor->setTextCursor(c);
    for (auto key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        QApplication::sendEvent(editor, &press);
    }
    EXPECT_EQ(editor->toPlainText(), "a\t\td");
}

}  // namespace
}  // namespace vt::test

namespace vt::test {
namespace {

// A sink whose message box tries to close the window while the script that asked waits.
struct ClosingSink : RecordingUiSink {
    std::function<void()> onBox;
    int messageBox(std::string_view text, int style, std::string_view title) override {
        if (onBox) onBox();
        return RecordingUiSink::messageBox(text, style, title);
    }
};

TEST_F(ExchangeWindow, RefusesToCloseWhileASessionRuns) {
    addNetworkRow("Alpha1", "ftp://127.0.0.1/");
    scratch.db.exec("UPDATE Internet SET ReceiveScript = 'MsgBox \"hold\"'");
    ClosingSink sink;
    core::Services services{scratch.db, sink, scratch.clock, scratch.settings};
    exchange::frmExchange w(services);
    w.Form_Load();
    w.show();
    bool closedDuringSession = true, cancelEnabled = false;
    sink.onBox = [&] {
        closedDuringSession = w.close();
        cancelEnabled = w.findChild<QPushButton*>("cmdCancel")->isEnabled();
    };
    w.findChild<QPushButton*>("cmdReceive")->click();
    EXPECT_FALSE(closedDuringSession);
    EXPECT_TRUE(cancelEnabled);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.findChild<QPushButton*>("cmdCancel")->isEnabled());
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(ExchangeWindow, SendReceiveAndModifyComeBackAfterARun) {
    for (const char* script : {"x = 1", "Err.Raise 5, , \"refused\""}) {
        SCOPED_TRACE(script);
        addNetworkRow("Alpha1", "ftp://127.0.0.1/");
        auto q = scratch.db.prepare("UPDATE Internet SET ReceiveScript = ?1");
        q.bind(1, std::string(script));
        q.run();
        open();
        get<QPushButton>("cmdReceive")->click();
        for (const char* name : {"cmdSend", "cmdReceive", "cmdModify"}) EXPECT_TRUE(enabled(name)) << name;
        EXPECT_FALSE(enabled("cmdCancel"));
        window.reset();
        scratch.db.exec("DELETE FROM Internet");
    }
}

}  // namespace
}  // namespace vt::test

namespace vt::test {
namespace {

// Exchange log rows as "Type:Description".
std::vector<std::string> exchangeLog(db::Database& db) {
    std::vector<std::string> out;
    auto q = db.prepare("SELECT Type, Description FROM Exchange ORDER BY \"Index\"");
    while (q.step()) out.push_back(q.text(0) + ":" + q.text(1));
    return out;
}

TEST_F(ExchangeWindow, CancelEndsAnySessionWithinASecondThroughTheEventLoop) {
    // Scripts that never give the program a turn, or only ask it about nothing.
    for (const char* script : {"Do : Loop", "Do : WaitForResponse : Loop", "Do While True : x = x + 1 : Loop"}) {
        SCOPED_TRACE(script);
        scratch.db.exec("DELETE FROM Internet; DELETE FROM Exchange");
        addNetworkRow("Alpha1", "ftp://127.0.0.1/");
        auto q = scratch.db.prepare("UPDATE Internet SET ReceiveScript = ?1");
        q.bind(1, std::string(script));
        q.run();
        open();
        window->show();
        EXPECT_LT(receiveThenCancel(), std::chrono::seconds(1));
        const auto rows = exchangeLog(scratch.db);
        EXPECT_EQ(std::count(rows.begin(), rows.end(), "Error:Session cancelled"), 1);
        EXPECT_EQ(rows.back(), "Error:Session cancelled");
        EXPECT_TRUE(enabled("cmdReceive"));
        window.reset();
    }
}

TEST_F(ExchangeWindow, CancelEndsASessionThatMeetsABusyDatabase) {
    addNetworkRow("Alpha1", "ftp://127.0.0.1/");
    scratch.db.exec("UPDATE Internet SET ReceiveScript = 'LogSession \"ran\"'");
    open();
    window->show();
    // Another program holds the database's write lock; the connection keeps its usual wait.
    db::Database other;
    core::openApplicationDatabase(other, scratch.folder());
    other.exec("BEGIN IMMEDIATE");
    EXPECT_LT(receiveThenCancel(), std::chrono::seconds(1));
    EXPECT_TRUE(enabled("cmdReceive"));
    EXPECT_EQ(scratch.ui.eventsStartingWith("box").size(), 0u);
    // The log rows wait for the database and are written when it is free.
    other.exec("ROLLBACK");
    scratch.ui.boxAnswers = {core::vbYes};
    EXPECT_TRUE(window->close());
    const auto rows = exchangeLog(scratch.db);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), "Info:Running receive script");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Error:Session cancelled"), 1);
    EXPECT_EQ(rows.back(), "Error:Session cancelled");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Info:ran"), 0);
    window.reset();
}

// The window asks through the program's one sink, whose boxes belong to the window in front
// (the main window's tests show they come up over the Exchange window).
TEST_F(ExchangeWindow, ItsQuestionsGoThroughTheProgramsBoxes) {
    QWidget main;
    main.show();
    window = std::make_unique<exchange::frmExchange>(scratch.services, &main);
    window->Form_Load();
    window->show();
    scratch.ui.inputAnswers = {std::string("Alpha123")};
    scratch.ui.boxAnswers = {core::vbYes};
    get<QPushButton>("cmdAddNetwork")->click();
    get<QPushButton>("cmdModify")->click();   // edit
    get<QPushButton>("cmdModify")->click();   // save
    EXPECT_EQ(scratch.ui.eventsStartingWith("input"), std::vector<std::string>{"input Veltrane: Enter Network Name: []"});
    EXPECT_EQ(scratch.ui.eventsStartingWith("box"), std::vector<std::string>{"box 36 Veltrane: Save Network Changes?"});
    EXPECT_EQ(get<QPushButton>("cmdModify")->text(), QStringLiteral("Modify"));
    window.reset();   // before its parent goes
}

}  // namespace
}  // namespace vt::test
