// Veltrane: the program's start. The splash refuses a second copy and shows the product, the
// login shows the main window (which opens the application database) behind it and asks for the
// account; after a successful login only the main window remains.

#include "core/Globals.h"
#include "core/PluginHost.h"
#include "keystrand/Register.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainIcons.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "platform/widgets/BoxTitle.h"
#include "setup/SingleInstance.h"
#include "setup/frmLogin.h"
#include "setup/frmSplash.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

namespace {

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// The data folder, created owner-only, and the settings file, both under the home folder. A home
// folder taken from the user database goes into the environment, so every library agrees on
// it. The message that refuses the start when there is none.
std::string prepareUserFolders(std::optional<vt::FileSettings>& settings) {
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') {
        const std::filesystem::path known = vt::homeFolder();
        if (!known.empty()) ::setenv("HOME", known.c_str(), 1);
    }
    try {
        vt::createDataRoot();
        settings.emplace();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// The splash's time on screen in milliseconds; VELTRANE_SPLASH_MS shortens it for scripted runs.
int splashTime() {
    const char* value = std::getenv("VELTRANE_SPLASH_MS");
    if (!value || !*value) return 5000;
    return std::clamp(std::atoi(value), 0, 5000);
}

}  // namespace

int main(int argc, char** argv) {
    if (!hasDisplay()) {
        std::cerr << "Veltrane is a desktop program and needs a display.\n"
                     "Start it on a desktop session, or under a virtual display, e.g.\n"
                     "  xvfb-run ./build/app/veltrane\n";
        return 1;
    }
    std::optional<vt::FileSettings> settings;
    const std::string refusal = prepareUserFolders(settings);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrane"));
    QApplication::setOrganizationName(QStringLiteral("Veltrane"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(vt::mainwindow::icons::application());
    if (!refusal.empty()) {
        std::cerr << refusal << "\n";
        // A box on a platform nobody sees would only hang the start.
        const QString platform = QGuiApplication::platformName();
        if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
            vt::widgets::ShowBox(nullptr, QMessageBox::Critical, QStringLiteral("Veltrane"), QString::fromLocal8Bit(refusal.c_str()));
        return 1;
    }
    // Scripts create the cryptography classes by name.
    keystrand::registerClasses();

    // Held for the whole run; the kernel lets go of it however the program ends.
    vt::setup::InstanceLock instance;
    {
        vt::setup::frmSplash splash;
        if (!splash.Form_Load(instance)) return 0;
        splash.Activate(splashTime());
    }

    // The first start finds the delivered plug-in in the ActiveX folder, as it finds the database.
    vt::core::installDeliveredPlugin(*settings);
    vt::SystemClock clock;
    vt::mainwindow::frmMain main(*settings, clock);
    // Partner plug-ins reach settings, the database and the windows only through this.
    vt::core::PluginHost pluginHost(main.services());
    auto& classes = vt::automation::ClassRegistry::instance();
    pluginHost.attach(classes);
    classes.setProgramPluginFolder(vt::deliveredPluginFolder());
    vt::setup::frmLogin login(main.services(), [&main] {
        if (!main.Form_Load()) return false;
        main.show();
        return true;
    });
    if (!login.Form_Load()) return 0;
    if (login.exec() != QDialog::Accepted) {
        // Cancel: the login has closed the database; the main window's closing steps do not run.
        settings->sync();
        return 0;
    }
    const int code = app.exec();
    settings->sync();
    return code;
}
