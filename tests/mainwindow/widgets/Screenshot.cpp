// Saves a picture of the main window with a few received interchanges, for the documentation:
//   xvfb-run -s "-screen 0 1280x800x24" vt_mainwindow_screenshot out.png
//       [welcome|sorted|properties|columns|outbox|history]
// "sorted" shows the Inbox sorted by partner with an extra column, a set previewed; "properties"
// and "columns" picture those dialogs; "outbox" an empty folder, "history" the log.
// Built with the tests, never run by them.

#include "core/Globals.h"
#include "mainwindow/FolderModel.h"
#include "folders/OpenInterchange.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "tests/folders/X12Builder.h"
#include "tests/mainwindow/widgets/ScriptedMain.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace fs = std::filesystem;
using vt::test::X12;

namespace {

fs::path write(const fs::path& folder, const std::string& name, const std::string& text) {
    fs::path p = folder / name;
    std::ofstream(p, std::ios::binary) << text;
    return p;
}

// Partners are named after their ids, so the ids are kept short.
std::string orders(const std::string& sender, const std::string& app, const std::string& icn, int sets) {
    X12 x;
    x.isa(icn, sender, "VT").gs(icn.substr(icn.size() - 4), "PO", "20240305", "0931", "004010", app, "HQ");
    for (int i = 1; i <= sets; ++i) {
        char control[8];
        std::snprintf(control, sizeof control, "%04d", i);
        x.st("850", control)
            .seg("BEG*00*SA*PO-" + icn.substr(5) + control + "**20240305")
            .seg("REF*DP*038")
            .seg("DTM*002*20240318")
            .seg("N1*ST*" + sender + app + " DISTRIBUTION CENTER*92*0042")
            .seg("PO1*1*120*EA*4.75**BP*WIDGET-100*VP*W100")
            .seg("PO1*2*48*CA*18.20**BP*GASKET-7*VP*G7")
            .seg("CTT*2")
            .se();
    }
    return x.ge().iea().text("~\n");
}

std::string shipNotice(const std::string& sender, const std::string& app, const std::string& icn) {
    X12 x;
    x.isa(icn, sender, "VT").gs("77", "SH", "20240306", "1412", "004010", app, "HQ");
    x.st("856", "0001")
        .seg("BSN*00*SHP0098*20240306*1412")
        .seg("HL*1**S")
        .seg("TD5*B*2*FDEG*M*FEDEX GROUND")
        .seg("HL*2*1*O")
        .seg("PRF*PO-0001")
        .seg("CTT*2")
        .se();
    x.st("810", "0002").seg("BIG*20240306*INV-3321*20240305*PO-0001").seg("TDS*117340").seg("CTT*2").se();
    return x.ge().iea().text("~\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: vt_mainwindow_screenshot out.png [welcome|sorted|properties|columns|outbox|history]\n";
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));

    const fs::path home = fs::temp_directory_path() / ("vt_screenshot_" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "Inbound");
    fs::copy_file(vt::shareFolder() / "Veltrane.mdb", home / "Veltrane.mdb");

    vt::MemorySettings settings;
    settings.set("Folders", "Database", home.string());
    settings.set("Main", "Width", "17400");
    settings.set("Main", "Height", "11400");
    settings.set("Main", "Left", "300");
    settings.set("Main", "Top", "300");
    settings.set("Main", "VSplitPos", "3000");
    settings.set("Main", "HSplitPos", "6600");
    const std::pair<const char*, const char*> widths[] = {{"Acknowledged", "360"}, {"Partner", "2600"},
                                                          {"Transaction", "1500"}, {"Version", "1300"},
                                                          {"Date", "1500"},        {"Time", "1200"}};
    for (const auto& [column, width] : widths) settings.set("Inbox", column, width);
    const std::string mode = argc > 2 ? argv[2] : "";
    if (mode != "" && mode != "welcome") {
        settings.set("Columns", "Interchange Control Number", "True");
        const std::pair<const char*, const char*> wider[] = {{"Partner", "3000"}, {"Transaction", "1700"},
                                                             {"Version", "1500"}, {"Date", "1700"},
                                                             {"Time", "1300"}, {"InterchangeControlNumber", "3300"}};
        for (const auto& [column, width] : wider) settings.set("Inbox", column, width);
    }
    vt::SystemClock clock;
    vt::test::ScriptedMain main(settings, clock);
    if (!main.Form_Load()) return 1;
    main.show();

    std::vector<fs::path> files = {
        write(home / "Inbound", "ACME0305.EDI", orders("ACME", "SUPPLY", "000001201", 4)),
        write(home / "Inbound", "NORTH0305.EDI", orders("NORTH", "WIND", "000000457", 3)),
        write(home / "Inbound", "BLUE0306.EDI", shipNotice("BLUE", "RIVER", "000000077")),
    };
    if (mode != "" && mode != "welcome")
        files.push_back(write(home / "Inbound", "CEDAR0306.EDI", orders("CEDAR", "HOME", "000000318", 3)));
    vt::folders::LoadInterchangeFiles(main.services(), files, "I");
    // A folder that has seen some work.
    auto& db = vt::core::gConnection();
    db.exec("UPDATE Inbox SET Status = 'Validated', Acknowledged = 'Yes' WHERE Id IN (1, 2, 5)");
    db.exec("UPDATE Inbox SET Status = 'Opened', Acknowledged = 'No' WHERE Id IN (3, 6)");
    db.exec("UPDATE Inbox SET Status = 'Error', Acknowledged = 'No' WHERE Id = 8");
    main.RefreshBox("Inbox");
    main.folderTree()->expandAll();
    main.folderTree()->setCurrentItem(main.folderNode("Inbox"));
    main.tvwFolderList_NodeClick("Inbox");
    if (mode != "" && mode != "welcome") main.lvw_ColumnClick("Inbox", 1);
    if (QTreeView* list = main.folderList("Inbox")) {
        const QModelIndex row = list->model()->index(mode != "" && mode != "welcome" ? 3 : 2, 0);
        list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        emit list->clicked(row);
    }
    if (mode == "welcome") main.tvwFolderList_NodeClick("Top");
    // An empty folder with its message, and the History log.
    for (const char* other : {"Outbox", "History"})
        if (mode == QString::fromLatin1(other).toLower().toStdString()) {
            main.folderTree()->setCurrentItem(main.folderNode(other));
            main.tvwFolderList_NodeClick(other);
        }
    if (mode == "" || mode == "welcome") main.status(1, "3 interchanges received");

    int code = 0;
    // The dialogs are pictured on their own, over the sorted Inbox.
    if (mode == "properties" || mode == "columns") {
        main.onDialog = [&](QDialog& dialog) {
            dialog.show();
            QTest::qWait(400);
            if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) code = 1;
            dialog.reject();
            return int(QDialog::Rejected);
        };
        main.runCommand(mode == "properties" ? "mnuProperties" : "mnuColumns");
        main.close();
        fs::remove_all(home);
        return code;
    }
    QTimer::singleShot(800, [&] {
        if (!main.grab().save(QString::fromLocal8Bit(argv[1]))) code = 1;
        main.close();
        app.quit();
    });
    app.exec();
    fs::remove_all(home);
    return code;
}
