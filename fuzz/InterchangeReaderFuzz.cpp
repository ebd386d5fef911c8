// The interchange reader on a scratch database. After every input: no transaction left open, no
// read still flagged, and an input that was refused left no row behind.

#include "FuzzCheck.h"
#include "folders/InterchangeReader.h"
#include "platform/db/Database.h"
#include "tests/support/ScratchDatabase.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<vt::test::ScratchDatabase> gDb;

// Rows of every table but History, which logs faults on purpose.
std::vector<std::int64_t> rowCounts(vt::db::Database& db) {
    std::vector<std::string> tables;
    auto q = db.prepare("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> 'History' ORDER BY name");
    while (q.step()) tables.push_back(q.text(0));
    std::vector<std::int64_t> counts;
    for (const auto& t : tables) counts.push_back(db.scalarInt("SELECT count(*) FROM \"" + t + "\""));
    return counts;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("VELTRANE_SOURCE_DIR", VT_SOURCE_DIR, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Loads that pass make the tables grow: start afresh now and then.
    static int accepted = 0;
    if (!gDb || accepted >= 200) {
        gDb.reset();
        gDb = std::make_unique<vt::test::ScratchDatabase>();
        gDb->ui.isUnattended = true;
        accepted = 0;
    }
    auto& s = *gDb;
    const auto file = s.folder() / "input.x12";
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));

    const auto before = rowCounts(s.db);
    const std::string result = vt::folders::LoadBox(s.services, file, size % 2 ? "O" : "I");
    VT_FUZZ_CHECK(!s.db.inTransaction(), "a transaction is still open");
    VT_FUZZ_CHECK(!vt::folders::IsReadingInterchange(), "the read is still flagged");
    if (!result.empty()) VT_FUZZ_CHECK(rowCounts(s.db) == before, "a refused input left rows");
    else ++accepted;

    s.ui.events.clear();
    s.ui.history.clear();
    s.ui.refreshed.clear();
    return 0;
}
