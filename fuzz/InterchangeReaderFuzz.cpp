// The interchange reader on a copy of the delivered database, whose transaction-set table is
// filled, so inputs get past their first ST: sets are stored and their SE, GE and IEA checked.
// After every input: no transaction left open, no read still flagged, and an input that was
// refused left no row behind.

#include "FuzzCheck.h"
#include "folders/InterchangeReader.h"
#include "platform/db/Database.h"
#include "tests/support/ScratchDatabase.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
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

std::unique_ptr<vt::test::ScratchDatabase> freshDatabase() {
    auto db = std::make_unique<vt::test::ScratchDatabase>(VT_DELIVERED_DB);
    db->ui.isUnattended = true;
    return db;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("VELTRANE_SOURCE_DIR", VT_SOURCE_DIR, 0);
    // A valid interchange of two sets is taken whole: inputs reach everything after the first ST.
    auto s = freshDatabase();
    const auto valid = std::filesystem::path(VT_SOURCE_DIR) / "fuzz" / "corpus" / "fuzz_interchange_reader" / "po-two-sets";
    VT_FUZZ_CHECK(vt::folders::LoadBox(s->services, valid, "I").empty(), "a valid interchange is refused");
    VT_FUZZ_CHECK(s->db.scalarInt("SELECT count(*) FROM Inbox") == 2, "a valid interchange's sets are not stored");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Loads that pass make the tables grow: start afresh now and then.
    static int accepted = 0;
    if (!gDb || accepted >= 200) {
        gDb.reset();
        gDb = freshDatabase();
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
