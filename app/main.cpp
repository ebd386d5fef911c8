// Veltrane: the program's start. Shows the main window, which opens the application database.

#include "mainwindow/frmMain.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace {

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!hasDisplay()) {
        std::cerr << "Veltrane is a desktop program and needs a display.\n"
                     "Start it on a desktop session, or under a virtual display, e.g.\n"
                     "  xvfb-run ./build/app/veltrane\n";
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrane"));
    QApplication::setOrganizationName(QStringLiteral("Veltrane"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    vt::FileSettings settings;
    vt::SystemClock clock;
    vt::mainwindow::frmMain main(settings, clock);
    if (!main.Form_Load()) return 0;
    main.show();
    const int code = app.exec();
    settings.sync();
    return code;
}
