// Pictures of the start-up and setup windows, for looking at them under a virtual display:
//   vt_setup_screenshot <folder>
// writes splash.png, login.png, options-<tab>.png, account.png, about.png and sysinfo.png.

#include "mainwindow/frmMainIcons.h"
#include "setup/SingleInstance.h"
#include "setup/frmAbout.h"
#include "setup/frmAccount.h"
#include "setup/frmLogin.h"
#include "setup/frmOptions.h"
#include "setup/frmSplash.h"
#include "tests/support/ScratchDatabase.h"

#include <QApplication>
#include <QTabWidget>
#include <QTimer>

#include <cstdlib>
#include <iostream>

namespace {

void save(QWidget& w, const std::filesystem::path& file) {
    w.show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    w.grab().save(QString::fromStdString(file.string()));
    std::cout << file.string() << "\n";
}

// The About box whose System Information box is pictured instead of waiting for the user.
class PictureAbout : public vt::setup::frmAbout {
public:
    using frmAbout::frmAbout;
    std::filesystem::path file;

protected:
    int execDialog(QDialog& dialog) override {
        save(dialog, file);
        return QDialog::Accepted;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vt_setup_screenshot <folder>\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    ::setenv("VELTRANE_HOME", (out / "home").c_str(), 1);
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(vt::mainwindow::icons::application());

    vt::test::ScratchDatabase db;
    {
        vt::setup::InstanceLock lock;
        vt::setup::frmSplash splash;
        splash.Form_Load(lock);
        save(splash, out / "splash.png");
    }
    {
        vt::setup::frmLogin login(db.services, [] { return true; });
        login.Form_Load();
        save(login, out / "login.png");
    }
    {
        vt::setup::frmOptions options(db.services, [](std::string_view) { return 0; });
        options.Form_Load();
        const char* names[] = {"general", "folders", "filter", "viewer"};
        for (int i = 0; i < 4; ++i) {
            options.sstOptions()->setCurrentIndex(i);
            save(options, out / (std::string("options-") + names[i] + ".png"));
        }
        auto* inner = options.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
        inner->setCurrentIndex(1);
        save(options, out / "options-viewer-display.png");
    }
    {
        vt::setup::frmAccount account(db.settings, db.ui);
        account.Form_Load();
        save(account, out / "account.png");
    }
    {
        PictureAbout about(db.services);
        about.Form_Load();
        save(about, out / "about.png");
        about.file = out / "sysinfo.png";
        about.StartSysInfo();
    }
    return 0;
}
