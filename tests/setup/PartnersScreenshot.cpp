// Saves a picture of the partner window over a partner registered by reading an interchange:
//   xvfb-run -a -s "-screen 0 1280x900x24" vt_partners_screenshot out.png [isa|gs|transactions|picker|empty|edit|new]
// Built with the tests, never run by them.

#include "core/Globals.h"
#include "core/Services.h"
#include "folders/InterchangeReader.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "setup/frmPartners.h"
#include "setup/frmStandard.h"
#include "tests/folders/X12Builder.h"
#include "tests/support/RecordingUiSink.h"

#include <QApplication>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Partners : public vt::setup::frmPartners {
public:
    using frmPartners::frmPartners;
    QString picture;
    int code = 0;

protected:
    int execDialog(QDialog& dialog) override {
        dialog.show();
        QTimer::singleShot(500, &dialog, [&] {
            if (!dialog.grab().save(picture)) code = 1;
            static_cast<vt::setup::frmStandard&>(dialog).cmdCancel_Click();
        });
        return dialog.exec();
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: vt_partners_screenshot out.png [isa|gs|transactions|picker|empty|edit|new]\n";
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const std::string mode = argc > 2 ? argv[2] : "isa";

    const fs::path home = fs::temp_directory_path() / ("vt_partners_shot_" + std::to_string(::getpid()));
    fs::remove_all(home);
    for (const char* f : {"Inbound", "Export", "Import"}) fs::create_directories(home / f);
    fs::copy_file(vt::shareFolder() / "Veltrane.mdb", home / "Veltrane.mdb");
    vt::db::Database db;
    vt::core::openApplicationDatabase(db, home);
    vt::test::RecordingUiSink ui;
    vt::SystemClock clock;
    vt::MemorySettings settings;
    settings.set("Folders", "Export", (home / "Export").string());
    settings.set("Folders", "Import", (home / "Import").string());
    vt::core::Services s{db, ui, clock, settings};

    if (mode != "empty" && mode != "new") {
        vt::test::X12 x;
        x.isa("000001201", "ACME", "VT").gs("1201", "PO", "20240305", "0931", "004010", "SUPPLY", "HQ");
        x.po("0001").po("0002").ge();
        x.gs("1202", "SH", "20240305", "0931", "004010", "SUPPLY", "HQ").po("0003", "856").ge().iea();
        const fs::path file = home / "Inbound" / "ACME0305.EDI";
        std::ofstream(file, std::ios::binary) << x.text("~\n");
        const std::string refused = vt::folders::LoadBox(s, file, "I");
        if (!refused.empty()) {
            std::cerr << refused << "\n";
            return 1;
        }
        db.exec("UPDATE Transactions SET ActiveX = 'Brackwen.ACMESUPPLYVTHQ_850_004010_I' WHERE \"Transaction\" = '850'");
    }

    Partners w(s, vt::automation::ClassRegistry::instance());
    w.picture = QString::fromLocal8Bit(argv[1]);
    w.Form_Load();
    w.show();
    if (mode == "new") {
        // A partner added by name, before anything else is edited.
        ui.inputAnswers = {std::string("NEWONE1")};
        w.mnuAddPartner_Click();
    }
    if (mode == "gs" || mode == "edit" || mode == "new") w.sstPartner()->setCurrentIndex(1);
    if (mode == "edit") w.mnuEditPartner_Click();
    if (mode == "transactions" || mode == "picker") w.sstPartner()->setCurrentIndex(2);
    QTimer::singleShot(600, &w, [&] {
        if (mode == "picker") {
            w.cmdAdd_Click(0);
        } else if (!w.grab().save(w.picture)) {
            w.code = 1;
        }
        w.close();
        app.quit();
    });
    app.exec();
    db.close();
    fs::remove_all(home);
    return w.code;
}
