#include "mainwindow/ColumnChoices.h"
#include "folders/Selection.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QAbstractItemModelTester>
#include <QPixmap>

#include <map>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
namespace core = vt::core;
using namespace vt::test;
using vt::mainwindow::FolderModel;

// ---- The folder model ----

TEST(FolderModelTest, ShowsTheColumnsOfItsFolderWithStatusAndAcknowledgementIcons) {
    application();
    vt::test::ScratchDatabase scratch;
    addItem(scratch.db, "Inbox", "ZETA", "Validated", " Yes ");
    addItem(scratch.db, "Inbox", "ALPHA", "Error", "No");
    addLog(scratch.db, "History", "Warning  ", "Careful");

    FolderModel inbox("Inbox");
    QAbstractItemModelTester tester(&inbox, QAbstractItemModelTester::FailureReportingMode::Warning);
    // One distinct picture per image key, so the icon a cell shows tells its key.
    std::map<std::string, QIcon, std::less<>> images;
    auto image = [&](std::string_view key) {
        auto at = images.find(key);
        if (at != images.end()) return at->second;
        QPixmap p(4, 4);
        p.fill(QColor::fromHsv(int(images.size()) * 30, 200, 200));
        return images.emplace(std::string(key), QIcon(p)).first->second;
    };
    inbox.setIconProvider(image);
    auto shown = [&](int row, int column) {
        const QIcon icon = inbox.data(inbox.index(row, column), Qt::DecorationRole).value<QIcon>();
        if (icon.isNull()) return std::string();
        for (const auto& [key, i] : images)
            if (i.cacheKey() == icon.cacheKey()) return key;
        return std::string("?");
    };
    inbox.setColumns({{"Acknowledged", ""}, {"Partner", "Partner"}, {"Transaction", "Transaction"}});
    inbox.setSort(1, 0);
    inbox.load(scratch.db);
    ASSERT_EQ(inbox.rowCount(), 2);
    EXPECT_EQ(inbox.value(0, "Partner"), "ALPHA");
    EXPECT_EQ(inbox.data(inbox.index(0, 0), Qt::DisplayRole), QVariant());
    EXPECT_EQ(inbox.data(inbox.index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("ZETA"));
    EXPECT_EQ(inbox.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Partner"));
    EXPECT_EQ(shown(1, 0), "Yes");
    EXPECT_EQ(shown(1, 1), "Validated");
    EXPECT_EQ(shown(1, 2), "");
    EXPECT_EQ(shown(0, 0), "No");
    EXPECT_EQ(shown(0, 1), "Error");

    // Without the acknowledgement column the status icon moves to the first column.
    inbox.setColumns({{"Transaction", "Transaction"}, {"Partner", "Partner"}});
    inbox.setSort(0, 1);
    inbox.load(scratch.db);
    EXPECT_EQ(shown(0, 0), "Validated");
    EXPECT_EQ(shown(0, 1), "");
    // Equal sort values keep the row-id order, descending or not.
    EXPECT_EQ(inbox.rowId(0), 1);

    FolderModel history("History");
    QAbstractItemModelTester historyTester(&history, QAbstractItemModelTester::FailureReportingMode::Warning);
    history.setColumns({{"Type", "Type"}, {"Index", "Index"}, {"Description", "Description"}});
    history.load(scratch.db);
    ASSERT_EQ(history.rowCount(), 1);
    EXPECT_EQ(history.data(history.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("Warning"));
    // A freshly logged row shows the type it was given, with the icon chosen for it.
    history.appendHistoryItem({7, "Audit", "Error", "3/5/2024", "02:07:09 PM", "System", "Logged"});
    ASSERT_EQ(history.rowCount(), 2);
    EXPECT_EQ(history.data(history.index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("Audit"));
    EXPECT_EQ(history.iconKey(1), "Error");
    EXPECT_EQ(history.value(1, "Index"), "7");
    EXPECT_EQ(history.value(1, "Description"), "Logged");
}

TEST(FileFilters, BecomeQtFiltersThatMatchEitherCase) {
    struct Case {
        const char* filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"All Files (*.*)|*.*|Inbound Characters (*.IC)|*.IC",
         {"All Files (*)", "Inbound Characters (*.IC *.ic)"}},
        {"Reports|*.rpt;*.RPT", {"Reports (*.rpt *.RPT)"}},
        {"X12 Files (*.x12;*.edi;*.txt;*.dat)|*.x12;*.edi;*.txt;*.dat",
         {"X12 Files (*.x12 *.X12 *.edi *.EDI *.txt *.TXT *.dat *.DAT)"}},
        {"Text (*.txt)|*.txt|dangling", {"Text (*.txt *.TXT)"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vt::mainwindow::frmMain::qtFileFilters(c.filter), c.expected) << c.filter;
}

// ---- Start-up ----

TEST_F(MainWindow, LoadFillsAllSixListsAndShowsTheWelcomePane) {
    before([](vt::db::Database& db) {
        addItem(db, "Inbox");
        addItem(db, "Inbox");
        addItem(db, "Sent");
        addLog(db, "Exchange", "Info", "Session");
    });
    core::gUserName = "somebody";
    load();
    EXPECT_EQ(core::gUserName, "System");
    EXPECT_TRUE(conn().isOpen());
    const std::pair<const char*, const char*> nodes[] = {
        {"Top", "Veltrane"},       {"Root", "Folders"},         {"Inbox", "Inbox (2)"},  {"Outbox", "Outbox (0)"},
        {"Sent", "Sent (1)"},      {"Recycled", "Recycled (0)"}, {"History", "History (0)"},
        {"Exchange", "Exchange (1)"},
    };
    for (const auto& [key, text] : nodes) EXPECT_EQ(main->folderNode(key)->text(0).toStdString(), text) << key;
    EXPECT_EQ(main->folderNode("History")->parent(), main->folderNode("Top"));
    EXPECT_EQ(main->folderModel("Inbox")->rowCount(), 2);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Veltrane"));
    EXPECT_EQ(main->folderBarText(), "Veltrane");
    EXPECT_TRUE(main->welcomeShown());
    EXPECT_FALSE(main->previewShown());
    EXPECT_TRUE(main->selectedNodeKey().empty());
    for (const char* t : {"Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"})
        EXPECT_TRUE(main->folderList(t)->isHidden()) << t;
    EXPECT_FALSE(enabled("mnuProperties"));
    EXPECT_EQ(main->commandAction("mnuRefresh")->text(), QStringLiteral("&Refresh          F5"));
    EXPECT_TRUE(main->boxes.empty());

    // Later changes reach the lists through the sink.
    addItem(conn(), "Inbox");
    main->folderChanged("Inbox");
    EXPECT_EQ(main->folderNode("Inbox")->text(0).toStdString(), "Inbox (3)");
    core::LogHistory(main->services(), "Info", "Hello");
    EXPECT_EQ(main->folderModel("History")->rowCount(), 1);
    EXPECT_EQ(main->folderNode("History")->text(0).toStdString(), "History (1)");
    EXPECT_EQ(main->statusText(1), "Hello");
}

TEST_F(MainWindow, MissingDatabaseAsksForItsFolderUntilFound) {
    const fs::path empty = home.path / "empty";
    const fs::path other = home.path / "other";
    fs::create_directories(empty);
    fs::create_directories(other);
    fs::rename(dbFolder / "Veltrane.mdb", home.path / "moved.mdb");
    const std::string question =
        "36 Veltrane: Cannot find the application database Veltrane.mdb\r\n\r\n"
        "Do you want to change the default folder or dirrectory?";

    struct Case {
        const char* name;
        std::vector<int> answers;
        std::vector<std::optional<fs::path>> folders;
        bool opens;
        size_t questions;
    };
    const Case cases[] = {
        {"found on the second try", {core::vbYes, core::vbYes}, {empty, other}, true, 2},
        {"declined", {core::vbNo}, {}, false, 1},
        {"dialog cancelled", {core::vbYes}, {std::nullopt}, false, 1},
        {"declined after a wrong folder", {core::vbYes, core::vbNo}, {empty}, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(other / "Veltrane.mdb");
        fs::copy_file(home.path / "moved.mdb", other / "Veltrane.mdb");
        settings.removeSection("Main");
        settings.set("Folders", "Database", dbFolder.string());
        create();
        main->boxAnswers.assign(c.answers.begin(), c.answers.end());
        main->folderAnswers.assign(c.folders.begin(), c.folders.end());

        EXPECT_EQ(main->Form_Load(), c.opens);
        EXPECT_EQ(conn().isOpen(), c.opens);
        EXPECT_EQ(main->boxes, std::vector<std::string>(c.questions, question));
        EXPECT_EQ(main->dialogs.size(), c.folders.size());
        EXPECT_EQ(settings.get("Folders", "Database"), (c.opens ? other : dbFolder).string());
        if (!c.opens) {
            // The unload ran up to the closed connection: layouts saved, nothing compacted.
            EXPECT_TRUE(main->isUnloaded());
            EXPECT_TRUE(settings.contains("Main", "State"));
            EXPECT_TRUE(settings.contains("Inbox", "SortKey"));
        }
        main.reset();
        if (conn().isOpen()) conn().close();
    }
}

TEST_F(MainWindow, FirstStartUsesTheDeliveredDatabaseWithoutWritingTheSetting) {
    settings.remove("Folders", "Database");
    load();
    EXPECT_TRUE(conn().isOpen());
    EXPECT_TRUE(fs::exists(home.path / "Veltrane.mdb"));
    EXPECT_FALSE(settings.contains("Folders", "Database"));
    EXPECT_GT(conn().scalarInt("SELECT count(*) FROM Standard"), 100);
}

TEST_F(MainWindow, DatabaseThatWillNotOpenEndsTheProgramWithItsError) {
    std::ofstream(dbFolder / "Veltrane.mdb", std::ios::binary | std::ios::trunc) << std::string(4096, 'x');
    create();
    EXPECT_FALSE(main->Form_Load());
    EXPECT_FALSE(conn().isOpen());
    ASSERT_EQ(main->boxes.size(), 1u);
    EXPECT_EQ(main->boxes[0].rfind("16 Veltrane: ", 0), 0u) << main->boxes[0];
    EXPECT_GT(main->boxes[0].size(), std::string("16 Veltrane: ").size());
}

// ---- Shutdown ----

TEST_F(MainWindow, ExitDeclinedLeavesOnlyItsHistoryRow) {
    start();
    const long long last = lastHistoryIndex();
    main->boxAnswers = {core::vbNo};
    main->runCommand("mnuExit");
    EXPECT_EQ(historySince(last), std::vector<std::string>{"Selected [File] - [Exit]"});
    EXPECT_EQ(main->boxes, std::vector<std::string>{"36 Veltrane: Exit Veltrane?"});
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(conn().isOpen());
    EXPECT_FALSE(main->isUnloaded());
}

TEST_F(MainWindow, ExitAcceptedSavesClosesAndCompacts) {
    start();
    // Free pages for the compaction to drop, and a leftover of an earlier run.
    conn().exec("CREATE TABLE Scrap (x); INSERT INTO Scrap VALUES (zeroblob(2000000)); DROP TABLE Scrap;");
    addItem(conn(), "Outbox");
    std::ofstream(dbFolder / "NewVeltrane.mdb") << "leftover";
    const auto before = fs::file_size(dbFolder / "Veltrane.mdb");

    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuExit");
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(conn().isOpen());
    EXPECT_EQ(main->boxes, std::vector<std::string>{"36 Veltrane: Exit Veltrane?"});
    EXPECT_FALSE(fs::exists(dbFolder / "NewVeltrane.mdb"));
    EXPECT_LT(fs::file_size(dbFolder / "Veltrane.mdb"), before);
    EXPECT_TRUE(settings.contains("Main", "VSplitPos"));
    EXPECT_TRUE(settings.contains("Exchange", "Description"));

    vt::db::Database reopened;
    core::openApplicationDatabase(reopened, dbFolder);
    EXPECT_EQ(reopened.scalarInt("SELECT count(*) FROM Outbox"), 1);
    EXPECT_EQ(reopened.scalarText("SELECT Description FROM History ORDER BY \"Index\" DESC LIMIT 1"),
              "Selected [File] - [Exit]");
}

TEST_F(MainWindow, CloseBoxAsksNothingAndLogsNothing) {
    start();
    const long long last = lastHistoryIndex();
    main->close();
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_TRUE(main->boxes.empty());
    vt::db::Database reopened;
    core::openApplicationDatabase(reopened, dbFolder);
    EXPECT_EQ(reopened.scalarInt("SELECT coalesce(max(\"Index\"), 0) FROM History"), last);
}

TEST_F(MainWindow, DatabaseFolderChangedWhileRunningIsOnlyAnnounced) {
    start();
    std::ofstream(dbFolder / "NewVeltrane.mdb") << "leftover";
    const fs::path elsewhere = home.path / "elsewhere";
    fs::create_directories(elsewhere);
    settings.set("Folders", "Database", elsewhere.string());
    main->close();
    EXPECT_EQ(main->boxes, std::vector<std::string>{
                               "64 Veltrane: The folder or dirrectory location\r\n"
                               "of this application database has been changed! \r\n\r\n"
                               "This application will reference this location \r\n"
                               "the next time the application is ran!\r\n"});
    // No compaction: the leftover is still there and nothing appeared in the new folder.
    EXPECT_TRUE(fs::exists(dbFolder / "NewVeltrane.mdb"));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_FALSE(conn().isOpen());
}

// A window that refuses to close while its own run is busy.
class BusyWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

TEST_F(MainWindow, UnloadClosesTheOtherWindowsExceptThoseThatRefuse) {
    start();
    QWidget about;
    about.setObjectName("frmAbout");
    about.show();
    BusyWindow integrator;
    integrator.setObjectName("frmIntegrator");
    integrator.show();
    QWidget stranger;
    stranger.setObjectName("frmSomethingElse");
    stranger.show();

    main->close();
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(integrator.isVisible());
    EXPECT_TRUE(stranger.isVisible());
    // The unload went on: the connection is closed and the file compacted.
    EXPECT_FALSE(conn().isOpen());
    EXPECT_TRUE(main->boxes.empty());
}

TEST_F(MainWindow, CloseDuringAFolderCommandWaitsForItToEnd) {
    start();
    {
        // A validation or an acknowledgement that yields to events while it holds its rows.
        vt::folders::FolderCommand running;
        main->close();
        EXPECT_FALSE(main->isUnloaded());
        EXPECT_TRUE(conn().isOpen());
    }
    for (int i = 0; i < 50 && !main->isUnloaded(); ++i) QTest::qWait(20);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_FALSE(conn().isOpen());
}

TEST_F(MainWindow, CloseDuringARefreshWaitsForItToEnd) {
    before([](vt::db::Database& db) { addItem(db, "Inbox"); });
    start();
    addItem(conn(), "Inbox");
    // The close arrives while the refresh yields to pending events.
    QCoreApplication::postEvent(main.get(), new QCloseEvent);
    main->RefreshBox("Inbox");
    EXPECT_FALSE(main->isUnloaded());
    EXPECT_EQ(main->folderNode("Inbox")->text(0), QStringLiteral("Inbox (2)"));
    EXPECT_TRUE(main->boxes.empty());
    for (int i = 0; i < 50 && !main->isUnloaded(); ++i) QTest::qWait(20);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_FALSE(conn().isOpen());
}

}  // namespace

namespace {

// A hand-edited "Columns" section must not leave a list without columns: the program could then
// neither start nor reach the column chooser that would put it right.
TEST_F(MainWindow, ColumnChoicesThatWouldLeaveAListEmptyStillLetTheProgramStart) {
    const char* const defaults = "Acknowledged,Partner,Transaction,Version,Date,Time";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> stored;
        const char* headers;
        size_t reports;   // "Type mismatch" reported, once per list
    };
    std::vector<std::pair<std::string, std::string>> none;
    for (const auto& c : vt::mainwindow::kColumnChoices) none.emplace_back(c.choice, "False");
    const Case cases[] = {
        {"an unreadable choice", {{"Used", "maybe"}}, defaults, 4},
        {"an unreadable choice beside readable ones",
         {{"Acknowledged", "False"}, {"Partner", "yes please"}, {"Receiver ID", "True"}},
         "Partner,Transaction,Version,Date,Time,ReceiverID", 4},
        {"no column at all", none, defaults, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.removeSection("Columns");
        for (const auto& [key, value] : c.stored) settings.set("Columns", key, value);
        create();
        EXPECT_TRUE(main->Form_Load());
        EXPECT_TRUE(conn().isOpen());
        for (const char* table : {"Inbox", "Outbox", "Sent", "Recycled"}) {
            QStringList keys;
            for (const auto& column : main->folderModel(table)->columns()) keys << QString::fromStdString(column.key);
            EXPECT_EQ(keys.join(','), QString::fromLatin1(c.headers)) << table;
        }
        EXPECT_EQ(size_t(std::count(main->boxes.begin(), main->boxes.end(), "16 Veltrane: Type mismatch")), c.reports);
        main->close();
        EXPECT_TRUE(settings.contains("Main", "VSplitPos"));
        main.reset();
    }
}

}  // namespace
