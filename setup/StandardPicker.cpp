#include "setup/StandardPicker.h"

namespace vt::setup {

std::vector<std::string> loadVersions(db::Database& db) {
    std::vector<std::string> out;
    auto q = db.prepare("SELECT Version FROM Version ORDER BY Id");
    while (q.step()) out.push_back(q.text(0));
    return out;
}

std::vector<StandardRow> loadStandards(db::Database& db) {
    std::vector<StandardRow> out;
    auto q = db.prepare("SELECT \"Transaction\", \"Group\", Description FROM Standard ORDER BY \"Transaction\", Id");
    while (q.step()) out.push_back({q.text(0), q.text(1), q.text(2)});
    return out;
}

}  // namespace vt::setup
