#pragma once
// A fresh application database with the delivered schema in its own temporary folder, plus the
// ports core routines need: recording sink, fixed clock, in-memory settings.

#include "core/Globals.h"
#include "core/Services.h"
#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "tests/support/RecordingUiSink.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace vt::test {

// The schema text of the delivered database (VELTRANE_SOURCE_DIR is set by the test harness).
inline std::string schemaSql() {
    const char* source = std::getenv("VELTRANE_SOURCE_DIR");
    if (!source) throw std::runtime_error("VELTRANE_SOURCE_DIR is not set");
    std::ifstream in(std::filesystem::path(source) / "data" / "schema.sql", std::ios::binary);
    if (!in) throw std::runtime_error("data/schema.sql not found");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ScratchDatabase {
public:
    ScratchDatabase() : ScratchDatabase(std::filesystem::path()) {}
    // A copy of `delivered`, the delivered database with its seed rows, as a first start finds it;
    // with none, the schema alone.
    explicit ScratchDatabase(const std::filesystem::path& delivered) {
        static int serial = 0;
        folder_ = std::filesystem::temp_directory_path() /
                  ("vt_scratch_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        if (!delivered.empty()) {
            std::filesystem::copy_file(delivered, folder_ / std::string(core::kDatabaseFileName));
            core::openApplicationDatabase(db, folder_);
            return;
        }
        core::createApplicationDatabase(db, folder_ / std::string(core::kDatabaseFileName));
        db.exec(schemaSql());
    }
    ~ScratchDatabase() {
        db.close();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const std::filesystem::path& folder() const { return folder_; }

    db::Database db;
    RecordingUiSink ui;
    FixedClock clock{text::DateTime{2024, 3, 5, 14, 7, 9}};
    MemorySettings settings;
    core::Services services{db, ui, clock, settings};

private:
    std::filesystem::path folder_;
};

}  // namespace vt::test
