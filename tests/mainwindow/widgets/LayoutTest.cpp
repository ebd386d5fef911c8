#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

namespace fs = std::filesystem;
namespace core = vt::core;
using namespace vt::test;

// ---- Layout and window state ----

TEST_F(MainWindow, EmptySettingsGiveTheScreenDefaults) {
    start();
    const double tpp = main->twipsPerPixel();
    const QRect screen = main->screen()->geometry();
    const double w = std::nearbyint(screen.width() * tpp * 0.75), h = std::nearbyint(screen.height() * tpp * 0.75);
    EXPECT_EQ(main->width(), int(std::nearbyint(w / tpp)));
    EXPECT_EQ(main->height(), int(std::nearbyint(h / tpp)));
    EXPECT_EQ(main->pos().x(), int(std::nearbyint(std::nearbyint((screen.width() * tpp - w) / 2) / tpp)));
    EXPECT_EQ(main->vSplitPos(), int(std::nearbyint(w / 4)));
    EXPECT_EQ(main->hSplitPos(), int(std::nearbyint(h / 2)));
    EXPECT_TRUE(main->commandAction("mnuFolderBar")->isChecked());
    EXPECT_TRUE(main->commandAction("mnuStatusBar")->isChecked());
    EXPECT_TRUE(main->folderNode("Top")->isExpanded());
    EXPECT_TRUE(main->folderNode("Root")->isExpanded());
    // Columns before the first layout take the folder bar's design width over their count, but
    // the icon column has its own width from the start: it never jumps at the first click.
    QHeaderView* header = main->folderList("Inbox")->header();
    ASSERT_EQ(header->count(), 6);
    EXPECT_EQ(header->sectionSize(0), int(std::nearbyint(270 / tpp)));
    for (int i = 1; i < 6; ++i) EXPECT_EQ(header->sectionSize(i), int(std::nearbyint(1442 / tpp)));
}

TEST_F(MainWindow, LayoutIsSavedAtExitAndRestoredAtStart) {
    settings.set("Inbox", "Partner", "3000");
    settings.set("History", "SortOrder", "1");
    start();
    main->move(40, 30);
    main->resize(700, 520);
    QApplication::processEvents();
    main->runCommand("mnuFolderBar");
    main->runCommand("mnuStatusBar");
    main->picVSplit_MouseDown(1, 0, 0);
    main->picVSplit_MouseUp(1, 3450 - main->vSplitPos(), 0);
    main->picHSplit_MouseDown(1, 0, 0);
    main->picHSplit_MouseUp(1, 0, 3900 - main->hSplitPos());
    main->folderNode("Root")->setExpanded(false);
    main->close();

    const double tpp = main->twipsPerPixel();
    const std::pair<const char*, std::string> stored[] = {
        {"State", "0"},
        {"Left", std::to_string(int(40 * tpp))},
        {"Top", std::to_string(int(30 * tpp))},
        {"Width", std::to_string(int(700 * tpp))},
        {"Height", std::to_string(int(520 * tpp))},
        {"FolderBar", "False"},
        {"StatusBar", "False"},
        {"TopNode", "True"},
        {"TreeNode", "False"},
        {"VSplitPos", "3450"},
        {"HSplitPos", "3900"},
    };
    for (const auto& [key, value] : stored) EXPECT_EQ(settings.get("Main", key), value) << key;
    EXPECT_EQ(settings.get("Inbox", "Partner"), "3000");
    EXPECT_EQ(settings.get("History", "SortOrder"), "1");

    // The next start restores all of it.
    main.reset();
    start();
    EXPECT_EQ(main->pos(), QPoint(40, 30));
    EXPECT_EQ(main->size(), QSize(700, 520));
    EXPECT_FALSE(main->commandAction("mnuFolderBar")->isChecked());
    EXPECT_FALSE(main->commandAction("mnuStatusBar")->isChecked());
    EXPECT_TRUE(main->statusBar()->isHidden());
    EXPECT_FALSE(main->folderNode("Root")->isExpanded());
    EXPECT_EQ(main->vSplitPos(), 3450);
    EXPECT_EQ(main->hSplitPos(), 3900);
    EXPECT_EQ(main->folderModel("History")->sortOrder(), 1);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Veltrane"));

    // Closed maximised: the state is stored, the normal bounds are kept from before.
    main->showMaximized();
    QApplication::processEvents();
    main->close();
    EXPECT_EQ(settings.get("Main", "State"), "2");
    EXPECT_EQ(settings.get("Main", "Width"), std::to_string(int(700 * tpp)));
}

TEST_F(MainWindow, UnreadableWindowSettingsAreSkippedOneByOne) {
    settings.set("Main", "Top", "high");
    settings.set("Main", "Width", "9000");
    settings.set("Main", "FolderBar", "maybe");
    settings.set("Main", "StatusBar", "False");
    start();
    EXPECT_EQ(main->width(), int(std::nearbyint(9000 / main->twipsPerPixel())));
    EXPECT_TRUE(main->commandAction("mnuFolderBar")->isChecked());
    EXPECT_FALSE(main->commandAction("mnuStatusBar")->isChecked());
    EXPECT_TRUE(main->boxes.empty());
}

// Hand-edited list settings that are no numbers, or out of range, used to stop every start.
TEST_F(MainWindow, UnreadableListSettingsFallBackToTheirDefaults) {
    struct Case {
        const char* width;
        const char* sortKey;     // each list here has six columns
        const char* sortOrder;
    };
    const Case cases[] = {
        {"wide", "first", "down"}, {"", "", ""}, {"1e400", "1e400", "1e400"},
        {"-5", "-1", "-1"},       {"99999999999", "6", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.width) + "|" + c.sortKey + "|" + c.sortOrder);
        for (const char* table : {"Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"}) {
            settings.removeSection(table);
            for (const char* column : {"Acknowledged", "Partner", "Type", "Description"}) settings.set(table, column, c.width);
            settings.set(table, "SortKey", c.sortKey);
            settings.set(table, "SortOrder", c.sortOrder);
        }
        create();
        ASSERT_TRUE(main->Form_Load());
        EXPECT_TRUE(conn().isOpen());
        EXPECT_TRUE(main->boxes.empty());
        const double tpp = main->twipsPerPixel();
        QHeaderView* inbox = main->folderList("Inbox")->header();
        ASSERT_EQ(inbox->count(), 6);
        EXPECT_EQ(inbox->sectionSize(1), int(std::nearbyint(1442 / tpp))) << "Partner";
        QHeaderView* history = main->folderList("History")->header();
        EXPECT_EQ(history->sectionSize(0), int(std::nearbyint(1442 / tpp))) << "Type";
        for (const char* table : {"Inbox", "History"}) {
            EXPECT_EQ(main->folderModel(table)->sortKey(), 0) << table;
            EXPECT_EQ(main->folderModel(table)->sortOrder(), 0) << table;
        }
        main->close();
        EXPECT_EQ(settings.get("Inbox", "SortKey"), "0");
        EXPECT_EQ(settings.get("Inbox", "Partner"), std::to_string(int(std::nearbyint(std::nearbyint(1442 / tpp) * tpp))));
        main.reset();
        if (conn().isOpen()) conn().close();
    }
}

TEST_F(MainWindow, SplitterBarsStopAtTheirBoundsWhenReleased) {
    start();
    click("Inbox");
    const int w = main->clientWidth(), h = main->clientHeight();
    struct Case {
        bool vertical;
        int button;    // of the press; 1 drags, any other acts as the release
        int target;    // where the bar's edge is let go, twips
        int expected;
    };
    const Case cases[] = {
        {true, 1, 300, 1000},   {true, 1, 999, 1000},       {true, 1, w - 200, w - 1000},
        {true, 1, w - 999, w - 1000}, {true, 1, 2500, 2500}, {true, 2, 1800, 1800},
        {false, 1, 1000, 2400}, {false, 1, 2399, 2400},     {false, 1, h - 500, h - 2400},
        {false, 1, h - 2399, h - 2400}, {false, 1, 3000, 3000}, {false, 2, 2800, 2800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.vertical) + " " + std::to_string(c.target));
        if (c.vertical) {
            main->picVSplit_MouseDown(c.button, c.button == 1 ? 0 : c.target - main->vSplitPos(), 0);
            if (c.button == 1) main->picVSplit_MouseUp(1, c.target - main->vSplitPos(), 0);
            EXPECT_EQ(main->vSplitPos(), c.expected);
        } else {
            main->picHSplit_MouseDown(c.button, 0, c.button == 1 ? 0 : c.target - main->hSplitPos());
            if (c.button == 1) main->picHSplit_MouseUp(1, 0, c.target - main->hSplitPos());
            EXPECT_EQ(main->hSplitPos(), c.expected);
        }
    }
}

TEST_F(MainWindow, DraggingTheVerticalBarWithTheMouseMovesIt) {
    start();
    QWidget* bar = main->findChild<QWidget*>("picVSplit");
    ASSERT_NE(bar, nullptr);
    const int before = main->vSplitPos();
    const double tpp = main->twipsPerPixel();
    auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at) {
        QMouseEvent e(type, QPointF(at), bar->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(bar, &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(3, 20));
    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(43, 20));
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(3, 20));
    EXPECT_EQ(main->vSplitPos(), before + int(std::nearbyint(43 * tpp)) + int(std::nearbyint(3 * tpp)));
}

TEST_F(MainWindow, PanesTileTheClientArea) {
    start();
    click("Inbox");
    const auto tree = main->paneRect(main->folderTree());
    const auto list = main->paneRect(main->folderList("Inbox"));
    const auto tab = main->paneRect(main->findChild<QWidget*>("tabPreview"));
    const int toolbar = main->paneTop() - 480;
    EXPECT_EQ(tree[1], main->paneTop() + 100);
    EXPECT_EQ(tree[2], main->vSplitPos());
    EXPECT_EQ(list[0], main->vSplitPos() + 100);
    EXPECT_EQ(list[1] + list[3], main->hSplitPos());
    EXPECT_EQ(list[0] + list[2], main->clientWidth());
    EXPECT_EQ(tab[1], main->hSplitPos() + 100);
    EXPECT_EQ(tab[1] + tab[3], main->paneTop() + main->paneHeight());

    // Without the two bars the panes start under the toolbar and reach the bottom edge.
    main->runCommand("mnuFolderBar");
    main->runCommand("mnuStatusBar");
    click("History");
    const auto history = main->paneRect(main->folderList("History"));
    EXPECT_EQ(main->paneTop(), toolbar);
    EXPECT_EQ(history[1], toolbar + 100);
    EXPECT_EQ(history[1] + history[3], main->clientHeight());
    EXPECT_TRUE(main->findChild<QWidget*>("lblFolderBar")->isHidden());
    EXPECT_TRUE(main->findChild<QWidget*>("picHSplit")->isHidden());
    // The list fills the client widget down to its bottom pixel.
    QWidget* shown = main->folderList("History");
    EXPECT_NEAR(shown->geometry().bottom() + 1, main->centralWidget()->height(), 1);
}

}  // namespace
