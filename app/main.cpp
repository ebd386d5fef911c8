// Veltrane: opens the application database and reports what it holds. The windows come next.

#include "core/Globals.h"
#include "platform/settings/Settings.h"

#include <QCoreApplication>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    try {
        vt::FileSettings settings;
        auto folder = vt::core::databaseFolder(settings);
        auto& db = vt::core::gConnection();
        vt::core::openApplicationDatabase(db, folder);
        std::cout << "Veltrane opened its database " << db.path().string() << " ("
                  << db.scalarInt("SELECT count(*) FROM Standard") << " standard transaction sets, "
                  << db.scalarInt("SELECT count(*) FROM Partner") << " trading partners).\n"
                  << "The main window is not built yet; nothing more to show.\n";
        if (!hasDisplay)
            std::cout << "No display found: to see the windows once they exist, run it on a desktop "
                         "session or under a virtual one, e.g. xvfb-run veltrane.\n";
        db.close();
    } catch (const std::exception& e) {
        std::cerr << "Veltrane: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
