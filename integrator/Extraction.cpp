#include "integrator/Extraction.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "integrator/ExtractionJob.h"
#include "integrator/ImportPair.h"
#include "platform/files/SafeFile.h"
#include "setup/SetupSettings.h"

#include <chrono>
#include <condition_variable>
#include <malloc.h>
#include <mutex>
#include <thread>

namespace vt::integrator {

namespace fs = std::filesystem;

namespace {

// How often the waiting thread looks at the extraction: progress, Cancel, the time-out.
constexpr auto kLookInterval = std::chrono::milliseconds(50);

// Drivers build a result of many small blocks. A thread's own heap grows a page at a time, each
// step a system call, where the main heap grows in large steps; the program runs few threads, so
// the ones started from here on share the main heap.
void shareTheMainHeap() {
    static const bool shared = ::mallopt(M_ARENA_MAX, 1) == 1;
    (void)shared;
}

// Runs the job on its own thread; the calling thread keeps the window alive meanwhile.
void runWhileYielding(const core::Services& s, ExtractionJob& job, ExtractionControl& control) {
    shareTheMainHeap();
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread worker([&] {
        job.run();
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_one();
    });
    // Whatever happens here, the thread ends before the job it works on goes away.
    struct Joiner {
        std::thread& worker;
        ExtractionJob& job;
        ~Joiner() {
            if (!worker.joinable()) return;
            job.canceller.cancel();
            worker.join();
        }
    } joiner{worker, job};
    std::uint64_t shown = ~std::uint64_t(0);
    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (finished.wait_for(lock, kLookInterval, [&] { return done; })) break;
        }
        if (control.cancel) job.canceller.cancel();
        job.canceller.cancelIfOverdue(std::chrono::seconds(control.timeoutSeconds));
        const std::uint64_t rows = job.rows.load(std::memory_order_relaxed);
        if (rows != shown && control.progress) control.progress(rows);
        shown = rows;
        s.ui.yield();
    }
    worker.join();
}

std::string records(std::uint64_t n) { return std::to_string(n) + " record" + (n == 1 ? "" : "s"); }

void reportFailure(const core::Services& s, const ExtractionJob& job, std::string_view key) {
    const bool cancelled = job.canceller.cancelled() && !job.canceller.timedOut();
    try {
        std::rethrow_exception(job.failure);
    } catch (const odbc::Error& e) {
        if (e.sqlState() == "HYT00")
            core::ReportError(s, core::ErrorInfo{-2147217871, e.what()});
        else if (!cancelled)
            core::ReportError(s, core::ErrorInfo{-2147467259, e.what()});
    } catch (...) {
        core::ReportError(s);
    }
    // Putting the pair in place failed: the error said what happened to the files.
    if (job.replacing || (!cancelled && !job.rowset)) return;
    core::LogHistory(s, "Warning",
                     "Extraction of " + std::string(key) + (cancelled ? " cancelled" : " stopped") + " after " +
                         records(job.rows.load()) + "; its files are unchanged.");
}

}  // namespace

std::string FillDateParameters(std::string_view sql, const std::optional<text::DateTime>& start,
                               const std::optional<text::DateTime>& end) {
    std::string s(sql);
    for (const auto* d : {&start, &end}) {
        if (!*d) continue;
        const std::size_t at = s.find('?');
        if (at == std::string::npos) continue;
        s.replace(at, 1, "'" + text::formatDate(**d, "mm/dd/yyyy") + "'");
    }
    return s;
}

fs::path importFile(const core::Services& s, std::string_view key, std::string_view extension) {
    if (key.empty() || !files::IsPlainNamePart(key)) throw core::invalidCallError();
    return fs::path(setup::folderSetting(s.settings, "Import")) / (std::string(key) + std::string(extension));
}

bool ExtractToImport(const core::Services& s, odbc::Connection& connection, std::string_view sql,
                     std::string_view key, ResultGrid& grid, ExtractionControl* control) {
    ExtractionControl none;
    ExtractionControl& c = control ? *control : none;
    try {
        ExtractionJob job(connection, std::string(sql), importFile(s, key, ".ADO"), importFile(s, key, ".IMP"),
                          c.timeoutSeconds);
        runWhileYielding(s, job, c);
        if (job.written) {
            grid.show(std::move(job.names), std::move(job.layout), std::move(*job.written), job.complete);
            grid.key = std::string(key);
        }
        if (job.failure) {
            reportFailure(s, job, key);
            return false;
        }
        if (!job.rowset) {
            core::LogHistory(s, "Info", "No rowset returned");
            grid.clear();
            grid.key = std::string(key);
            return false;
        }
        for (const std::string& field : job.changedFields)
            core::LogHistory(s, "Warning",
                             "Tab or line break replaced by a blank in field " + field + " of " + std::string(key));
        core::LogHistory(s, "Info", records(job.rows.load()) + " returned from statement.");
        return true;
    } catch (...) {
        core::ReportError(s);
    }
    return false;
}

bool SaveResultsToImportFile(const core::Services& s, const ResultGrid& grid) {
    try {
        if (grid.key.empty() || grid.colCount() == 0) return false;
        if (!grid.complete &&
            s.ui.messageBox("The result shown is incomplete: the extraction of " + grid.key + " stopped after " +
                                records(grid.recordsRead()) + ". Save it as the data of " + grid.key + " anyway?",
                            core::vbYesNo | core::vbExclamation | core::vbDefaultButton2,
                            core::kApplicationName) != core::vbYes)
            return false;
        ImportPair pair(importFile(s, grid.key, ".ADO"), importFile(s, grid.key, ".IMP"));
        pair.writeLayout(grid.layout);
        grid.forEachRecord([&](const std::vector<std::string>& cells) {
            std::string& out = pair.data();
            for (const std::string& cell : cells) {
                const std::size_t from = out.size();
                out += cell;
                BlankLineBreaks(out, from);
                out += '\t';
            }
            out += "\r\n";
            pair.gathered();
        });
        pair.commit();
        return true;
    } catch (...) {
        core::ReportError(s);
    }
    return false;
}

}  // namespace vt::integrator
