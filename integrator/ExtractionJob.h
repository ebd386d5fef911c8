#pragma once
// The part of an extraction that runs off the window's thread: the statement runs, its rows
// are written to the file pair while they are fetched, and what was written is indexed for the
// grid. It touches neither the database nor the windows; the caller reads the results once the
// thread has ended, and may cancel it meanwhile through `canceller`.

#include "integrator/DataFileView.h"
#include "platform/odbc/Odbc.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vt::integrator {

struct ExtractionJob {
    ExtractionJob(odbc::Connection& c, std::string statement, std::filesystem::path layout,
                  std::filesystem::path data, int timeout)
        : connection(c), sql(std::move(statement)), layoutFile(std::move(layout)), dataFile(std::move(data)),
          timeoutSeconds(timeout) {}

    odbc::Connection& connection;
    std::string sql;
    std::filesystem::path layoutFile, dataFile;
    int timeoutSeconds;

    odbc::Canceller canceller;
    std::atomic<std::uint64_t> rows{0};   // records written so far

    bool rowset = false;     // the statement returned one
    bool replacing = false;  // every record was read; the pair was being put in place
    bool complete = false;   // ... and is in place
    std::vector<std::string> names;   // field names as the grid and the layout show them
    std::string layout;
    std::vector<std::string> changedFields;   // fields where a TAB or line break became a blank
    std::optional<DataFileView> written;      // the records written, whole or not
    std::exception_ptr failure;

    void run() noexcept;
};

}  // namespace vt::integrator
