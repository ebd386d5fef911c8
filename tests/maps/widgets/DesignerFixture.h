#pragma once
// The designer over the 850 and 810 fixture maps of partner ACME, registered in Transactions
// (with an outbound 850 of partner BETA), in a fresh window per test.

#include "tests/maps/MapFixture.h"

#include "maps/frmMap.h"

#include <QApplication>

#include <memory>

namespace vt::test {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "test_map_designer_widgets";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct DesignerDb : MapDb {
    DesignerDb() {
        application();
        // Saves write the map's report files; they stay in the scratch folder.
        std::filesystem::create_directories(folder() / "Reports");
        settings.set("Folders", "Reports", (folder() / "Reports").string());
        std::filesystem::create_directories(folder() / "Import");
        settings.set("Folders", "Import", (folder() / "Import").string());
        std::filesystem::create_directories(folder() / "Outbound");
        settings.set("Folders", "Outbound", (folder() / "Outbound").string());
        registerMap(maps::MapKey{"ACME", "850", "004010", "I"}, "PO", "");
        registerMap(maps::MapKey{"ACME", "810", "004010", "I"}, "IN", "004010VICS");
        maps::MapKey beta{"BETA", "850", "004010", "O"};
        store(makeMap(beta, {{"BEG", 1, {{"ID", 2}, {"ID", 2}}}, {"PO1", 1, {{"AN", 6}}}, {"PID", 2, {{"AN", 20}}}}));
        registerMap(beta, "PO", "");
    }
    void registerMap(const maps::MapKey& k, const std::string& group, const std::string& override_) {
        auto q = db.prepare("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction, \"Group\", "
                            "Versionoverride) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        q.bindAll(k.partner, k.transaction, k.version, k.direction, group, override_);
        q.run();
    }
};

}  // namespace vt::test
