// A new user's walk through the windows, pictured step by step with the real boxes and dialogs,
// from the main window's first-start size (three quarters of the screen):
//   xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb vt_walk_screenshot <folder>
// (a window manager started on that display shows the title bars too; QT_SCALE_FACTOR=2 on a
// 2560x1600 screen shows the same walk at twice the scale). Each picture is the whole screen, so
// where a window opens shows as well. Built with the tests, never run by them.

#include "core/Globals.h"
#include "folders/OpenInterchange.h"
#include "integrator/frmIntegrator.h"
#include "maps/ScriptEditor.h"
#include "maps/frmMap.h"
#include "mainwindow/frmMain.h"
#include "platform/report/Document.h"
#include "platform/report/FieldDefs.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "tests/folders/X12Builder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path out;

void settle() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QTest::qWait(30);
    }
}

void shoot(const char* name) {
    settle();
    const fs::path file = out / (std::string(name) + ".png");
    QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString(file.string()));
    std::cout << file.string() << std::endl;
}

// Pictures the next modal window once it is up, then lets `answer` close it.
void onNextModal(const char* name, std::function<void(QWidget*)> answer) {
    QTimer::singleShot(300, [name, answer] {
        // Looked for once the picture is taken: a slow command brings its box up only then.
        shoot(name);
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && (qobject_cast<QDialog*>(w))) modal = w;
        }
        if (modal) answer(modal);
    });
}

void press(QWidget* box, QMessageBox::StandardButton which) {
    if (auto* m = qobject_cast<QMessageBox*>(box)) m->button(which)->click();
    else if (auto* d = qobject_cast<QDialog*>(box)) d->reject();
}

std::string orders(const std::string& sender, const std::string& icn, int sets) {
    vt::test::X12 x;
    x.isa(icn, sender, "VT").gs(icn.substr(icn.size() - 4), "PO", "20240305", "0931", "004010", "SUPPLY", "HQ");
    for (int i = 1; i <= sets; ++i) {
        char control[8];
        std::snprintf(control, sizeof control, "%04d", i);
        x.st("850", control).seg("BEG*00*SA*PO-" + std::string(control) + "**20240305").seg("PO1*1*120*EA*4.75").seg("CTT*1").se();
    }
    return x.ge().iea().text("~\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vt_walk_screenshot <folder>\n";
        return 2;
    }
    out = argv[1];
    fs::create_directories(out);
    const fs::path home = fs::absolute(out / "home");
    fs::remove_all(home);
    fs::create_directories(home / "Inbound");
    ::setenv("VELTRANE_HOME", home.c_str(), 1);
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    fs::copy_file(vt::shareFolder() / "Veltrane.mdb", home / "Veltrane.mdb");

    vt::MemorySettings settings;
    settings.set("Folders", "Database", home.string());
    for (const char* f : {"Export", "Import", "Inbound", "Outbound", "Sent", "Reports", "ActiveX"}) {
        fs::create_directories(home / f);
        settings.set("Folders", f, (home / f).string());
    }
    vt::SystemClock clock;
    vt::mainwindow::frmMain main(settings, clock);
    if (!main.Form_Load()) return 1;
    main.show();
    main.activateWindow();

    const fs::path file = home / "Inbound" / "ACME.EDI";
    std::ofstream(file, std::ios::binary) << orders("ACME", "000000101", 3);
    vt::folders::LoadInterchangeFiles(main.services(), {file}, "I");
    auto& db = vt::core::gConnection();
    db.exec("UPDATE Transactions SET CheckInterval = 1, \"Interval\" = 1");
    db.exec("INSERT INTO Internet (Network, CheckInterval, \"Interval\") VALUES ('VAN', 1, 0)");

    // The Inbox, a set validated against a map that rejects it, and the History log.
    main.folderTree()->expandAll();
    main.folderTree()->setCurrentItem(main.folderNode("Inbox"));
    db.exec("UPDATE Segment SET Segment = 'XYZ' WHERE SegmentIndex = 2");
    main.runCommand("mnuValidate");
    shoot("01-validate-status");
    main.folderTree()->setCurrentItem(main.folderNode("History"));
    shoot("02-history-columns");
    main.lvw_ColumnClick("History", 1);
    shoot("02b-history-sorted-by-index");
    main.folderTree()->setCurrentItem(main.folderNode("Inbox"));
    shoot("02c-inbox-columns");
    // The menus with their access keys.
    for (const char* menu : {"mnuFile", "mnuEdit", "mnuView", "mnuSetup", "mnuTools"}) {
        QMenu* m = main.findChild<QMenu*>(QString::fromLatin1(menu));
        const QRect at = main.menuBar()->actionGeometry(m->menuAction());
        m->popup(main.menuBar()->mapToGlobal(at.bottomLeft()));
        shoot((std::string("02d-menu-") + menu).c_str());
        m->hide();
    }
    // Tools > ActiveX with no plug-in chosen for the set.
    onNextModal("02e-activex-without-plugin", [](QWidget* box) { press(box, QMessageBox::Ok); });
    main.runCommand("mnuActiveX");
    // The designer over a starter report whose field boxes are narrower than their names.
    const vt::report::Report starter = vt::report::starterReport(
        {{"1BEG0301", vt::automation::adtype::VarChar, 2}, {"1BEG0302", vt::automation::adtype::VarChar, 2},
         {"1XX0101", vt::automation::adtype::VarChar, 3}, {"7PO10201", vt::automation::adtype::Integer, 0}},
        "ACME 850");
    fs::create_directories(home / "Reports");
    vt::report::ReportDocument(starter).save(home / "Reports" / "ACMESUPPLYVTHQ_850_004010_I.RPT");
    main.runCommand("mnuDesignReport");
    shoot("02f-report-designer-fields");
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmDesign") && w->isVisible()) w->hide();
    main.folderTree()->setCurrentItem(main.folderNode("Exchange"));
    shoot("03-exchange-columns");
    main.folderTree()->setCurrentItem(main.folderNode("Inbox"));

    // The Integrator opens over the main window; closing it with a schedule asks.
    main.runCommand("mnuIntegrator");
    shoot("04-integrator-opened");
    auto* integrator = main.integratorWindow();
    QTabBar* tabs = integrator->sstSchedule()->tabBar();
    integrator->lvwTSets()->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
    shoot("05-integrator-query-tab-focus");
    onNextModal("06-integrator-close-question", [](QWidget* box) { press(box, QMessageBox::No); });
    integrator->cmdClose_Click();
    // The close box asks the same; Yes closes.
    onNextModal("07-integrator-close-box", [](QWidget* box) { press(box, QMessageBox::Yes); });
    integrator->close();

    // The Exchange window opens over the main window.
    main.activateWindow();
    main.runCommand("mnuExchange");
    shoot("08-exchange-opened");
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmExchange") && w->isVisible()) {
            // Send with an empty Outbox.
            onNextModal("08b-outbox-empty", [](QWidget* box) { press(box, QMessageBox::Ok); });
            w->findChild<QPushButton*>(QStringLiteral("cmdSend"))->click();
            onNextModal("09-exchange-close-question", [](QWidget* box) { press(box, QMessageBox::Yes); });
            w->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        }

    // The map designer: a test run, the Segment ID box, a new segment's id, an unsaved script.
    main.activateWindow();
    main.runCommand("mnuMap");
    vt::maps::frmMap* designer = vt::maps::LoadedMapDesigner();
    main.folderList("Inbox")->selectAll();
    designer->activateWindow();
    designer->cmdProcess_Click();
    shoot("10-designer-run-status");
    onNextModal("11-designer-add-segment", [](QWidget* box) { press(box, QMessageBox::Cancel); });
    static_cast<QToolButton*>(designer->control("cmdAddSegment"))->click();
    designer->txtScript()->setPlainText(QStringLiteral("objScript.Skip"));
    onNextModal("12-designer-close-question", [](QWidget* box) { press(box, QMessageBox::Cancel); });
    designer->mnuClose()->trigger();
    onNextModal("13-designer-close-again", [](QWidget* box) { press(box, QMessageBox::No); });
    designer->mnuClose()->trigger();

    // The new set has no export template: the designer command offers to make it from the map.
    main.activateWindow();
    main.folderTree()->setCurrentItem(main.folderNode("Inbox"));
    main.lvw_ItemClick("Inbox", 0);
    onNextModal("14-export-template-question", [](QWidget* box) { press(box, QMessageBox::Yes); });
    main.runCommand("mnuDesignExport");
    shoot("15-export-template-designer");
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmDesign") && w->isVisible()) w->close();

    // Help without a browser, Print Setup, a report whose layout file is missing.
    main.activateWindow();
    onNextModal("16-help", [](QWidget* box) { press(box, QMessageBox::Cancel); });
    main.runCommand("mnuHelpContents");
    onNextModal("17-print-setup", [](QWidget* box) { press(box, QMessageBox::Cancel); });
    main.runCommand("mnuPrintSetup");
    fs::remove_all(home / "ActiveX");
    fs::create_directories(home / "ActiveX");
    main.folderTree()->setCurrentItem(main.folderNode("Inbox"));
    main.lvw_ItemClick("Inbox", 0);
    onNextModal("18-report-layout-missing", [](QWidget* box) { press(box, QMessageBox::Ok); });
    main.runCommand("mnuReportViewer");
    shoot("19-after-report-status");

    // Exit: the question, then the note while the database is compacted.
    onNextModal("20-exit-question", [](QWidget* box) {
        QTimer::singleShot(0, [] { shoot("21-exit-compacting"); });
        press(box, QMessageBox::Yes);
    });
    main.runCommand("mnuExit");
    fs::remove_all(home);
    return 0;
}
