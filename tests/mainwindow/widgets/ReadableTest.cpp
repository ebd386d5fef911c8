// Nothing a new user reads is cut or out of reach: the status text's pointer to History at the
// first-start size, an access key of its own for every menu entry of every window, boxes as wide
// as their title, folder lists whose last column takes the free width, and an exit question that
// is gone before the compaction note. Run also with QT_SCALE_FACTOR=2 (test_mainwindow_readable_2x).

#include "integrator/frmIntegrator.h"
#include "maps/frmMap.h"
#include "platform/widgets/AccessKeys.h"
#include "platform/widgets/BoxTitle.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

namespace vt::test {
namespace {

class Readable : public MainWindow {
protected:
    ~Readable() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmMap") || w->objectName() == QLatin1String("frmIntegrator") ||
                w->objectName() == QLatin1String("frmExchange"))
                w->deleteLater();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The size the window has at its first start on a 1280 x 800 screen.
    void startAtFirstSize() {
        start();
        main->setGeometry(40, 40, 960, 600);
        QApplication::processEvents();
    }
    static QWidget* topLevel(const char* name) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
        return nullptr;
    }
};

// Every entry of every menu a window holds (menu bar, submenus, pop-up and drop-down menus) has
// an access key, and no two entries of one menu share theirs.
void expectAccessKeys(QWidget* window) {
    ASSERT_NE(window, nullptr);
    std::vector<QWidget*> menus;
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) menus.push_back(bar);
    for (QMenu* menu : window->findChildren<QMenu*>()) menus.push_back(menu);
    for (QWidget* menu : menus) {
        std::map<QChar, QString> seen;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || !a->isVisible()) continue;
            const QString where = window->objectName() + QStringLiteral(" > ") + menu->objectName() +
                                  QStringLiteral(" > ") + a->text();
            const QChar key = widgets::AccessKey(a->text());
            EXPECT_FALSE(key.isNull()) << where.toStdString() << " has no access key";
            if (key.isNull()) continue;
            const auto [at, added] = seen.emplace(key, a->text());
            EXPECT_TRUE(added) << where.toStdString() << " shares " << QString(key).toStdString() << " with "
                               << at->second.toStdString();
        }
    }
}

TEST_F(Readable, EveryMenuEntryOfEveryWindowHasAnAccessKeyOfItsOwn) {
    before([](vt::db::Database& db) {
        addItem(db, "Inbox");
        db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction) VALUES ('ACME', '850', '004010', 'I')");
    });
    start();
    // Sort By is built from the shown list's columns.
    for (const char* folder : {"Inbox", "History"}) {
        SCOPED_TRACE(folder);
        click(folder);
        expectAccessKeys(main.get());
    }
    main->runCommand("mnuIntegrator");
    expectAccessKeys(topLevel("frmIntegrator"));
    main->runCommand("mnuMap");
    expectAccessKeys(topLevel("frmMap"));
    main->runCommand("mnuExchange");
    expectAccessKeys(topLevel("frmExchange"));
    bool partnersSeen = false;
    main->onDialog = [&](QDialog& dialog) {
        if (dialog.objectName() == QLatin1String("frmPartners")) {
            partnersSeen = true;
            expectAccessKeys(&dialog);
        }
        return int(QDialog::Rejected);
    };
    main->runCommand("mnuPartners");
    EXPECT_TRUE(partnersSeen);
}

TEST(AccessKeys, GivenToEntriesWithoutOneAndKeptWhereThere) {
    application();
    struct Case {
        QStringList captions, expected;
    };
    const Case cases[] = {
        {{"Type", "Index", "Date", "Time", "User", "Description"}, {"&Type", "&Index", "&Date", "Ti&me", "&User", "D&escription"}},
        {{"&Print", "Partner", "Print Setup"}, {"&Print", "P&artner", "Print &Setup"}},
        {{"Item Accepted", "Item Accepted - Changes Made", "Item Rejected"},
         {"&Item Accepted", "Item &Accepted - Changes Made", "Item &Rejected"}},
        {{"R&&D", "R"}, {"&R&&D", "R"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.captions.join(',').toStdString());
        QMenu menu;
        for (const QString& caption : c.captions) menu.addAction(caption);
        widgets::GiveAccessKeys(&menu);
        QStringList got;
        for (QAction* a : menu.actions()) got << a->text();
        EXPECT_EQ(got, c.expected);
    }
}

// The pointer to History stands first in the status bar, so the first-start size shows it whole,
// however long the command's own text.
TEST_F(Readable, TheStatusTextShowsItsPointerToHistoryWholeAtTheFirstSize) {
    before([](vt::db::Database& db) {
        for (int i = 0; i < 3; ++i) addItem(db, "Inbox", "ACME", "Closed", "No", "ST*850*0001~BEG*00~SE*3*0001~");
    });
    startAtFirstSize();
    click("Inbox");
    main->folderList("Inbox")->selectAll();
    // No map for the sets: validation logs an error for each.
    main->runCommand("mnuValidate");
    auto* panel = main->findChild<QLabel*>(QStringLiteral("sbrPanel1"));
    ASSERT_NE(panel, nullptr);
    const QString text = panel->text();
    const QString pointer = QStringLiteral("3 errors logged: see the History folder");
    EXPECT_TRUE(text.startsWith(pointer)) << text.toStdString();
    EXPECT_GT(text.size(), pointer.size()) << "the command's own text follows";
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(pointer), panel->contentsRect().width())
        << panel->contentsRect().width();
    EXPECT_GE(panel->mapTo(main.get(), QPoint(0, 0)).x(), 0);
}

// A box with a short text is still wide enough for its title bar to show the title.
TEST_F(Readable, BoxesAreWideEnoughForTheirTitle) {
    start();
    struct Case {
        const char* text;
        const char* title;
    };
    const Case cases[] = {{"Outbox Empty", "Veltrane"},
                          {"OK?", "Save the network changes made on the Connection tab"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        int width = -1, needed = 0;
        auto measureAndClose = [&] {
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) return;
                width = box->width();
                // No wider than the screen, though (the test's screen is 800 pixels, 400 at 2x).
                needed = std::min(widgets::TitleBarWidth(*box, box->windowTitle()), box->screen()->availableGeometry().width());
                box->button(QMessageBox::Ok)->click();
            });
        };
        measureAndClose();
        main->frmMain::messageBox(c.text, core::vbExclamation | core::vbOKOnly, c.title);
        ASSERT_NE(width, -1) << "no box came up";
        EXPECT_GE(width, needed);
        EXPECT_GT(widgets::TitleBarWidth(*main, QString::fromLatin1(c.title)),
                  QFontMetrics(QApplication::font()).horizontalAdvance(QString::fromLatin1(c.title)));
        // The boxes windows show of their own (the viewer's, the designer's) take the same width.
        width = -1;
        measureAndClose();
        widgets::ShowBox(main.get(), QMessageBox::Information, QString::fromLatin1(c.title), QString::fromLatin1(c.text));
        ASSERT_NE(width, -1) << "no box came up";
        EXPECT_GE(width, needed);
    }
}

// A folder list's last column reaches the list's right edge, as the logs' Description does, also
// after a sort by another column; nothing hides behind a sideways scroll bar.
TEST_F(Readable, TheLastColumnOfEveryFolderListTakesTheFreeWidth) {
    before([](vt::db::Database& db) {
        addItem(db, "Inbox");
        // More rows than the list shows: its vertical scroll bar takes its share of the width.
        for (int i = 0; i < 60; ++i) {
            addLog(db, "History", "Error", "ACME_850_004010_I - Segment Sequence - Verify Mapping");
            addLog(db, "History", "Info", "Selected [Tools] - [Validate]");
        }
    });
    // Widths an earlier exit stored on a wider screen.
    for (const char* table : {"Inbox", "History", "Exchange"}) settings.set(table, "Description", "30000");
    settings.set("Inbox", "Time", "30000");
    startAtFirstSize();
    auto fillsTheList = [&](const char* folder) {
        QTreeView* list = main->folderList(folder);
        QApplication::processEvents();
        QHeaderView* header = list->header();
        int sum = 0;
        for (int i = 0; i < header->count(); ++i) sum += header->sectionSize(i);
        EXPECT_EQ(sum, list->viewport()->width()) << folder;
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible()) << folder;
    };
    for (const char* folder : {"Inbox", "History", "Exchange"}) {
        SCOPED_TRACE(folder);
        click(folder);
        fillsTheList(folder);
        // Sorted by the second column, by its header and by the menu.
        main->lvw_ColumnClick(folder, 1);
        fillsTheList(folder);
        main->runCommand("mnuSortByColumn2");
        fillsTheList(folder);
        main->resize(760, 560);
        fillsTheList(folder);
        main->resize(960, 600);
    }
}

// Yes to "Exit Veltrane?" repaints the window where the box stood before the unload's work, so
// the box is gone by the time the compaction note shows.
TEST_F(Readable, TheExitQuestionIsGoneBeforeTheCompactionNote) {
    startAtFirstSize();
    struct Paints : QObject {
        QWidget* window = nullptr;
        int count = 0, atNote = -1;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (o == window && e->type() == QEvent::Paint) ++count;
            if (e->type() == QEvent::Show && o->objectName() == QLatin1String("frmCompacting") && atNote < 0) atNote = count;
            return false;
        }
    } paints;
    paints.window = main.get();
    QApplication::processEvents();
    qApp->installEventFilter(&paints);
    main->boxAnswers = {core::vbYes};
    main->runCommand("mnuExit");
    qApp->removeEventFilter(&paints);
    EXPECT_EQ(main->boxes, std::vector<std::string>{"36 Veltrane: Exit Veltrane?"});
    EXPECT_GT(paints.atNote, 0);
}

}  // namespace
}  // namespace vt::test
