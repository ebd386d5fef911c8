// What a killed session left behind, completed or undone when the next one starts.
#include "exchange/ExchangeSessions.h"

#include "core/ErrorReporter.h"
#include "exchange/FileJournal.h"
#include "platform/db/Database.h"
#include "platform/files/SafeFile.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace vt::exchange {

namespace fs = std::filesystem;

namespace {

bool sameFile(const fs::path& a, const fs::path& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

void ExchangeSessions::recoverInterruptedWork() {
    try {
        // Extractions write folders of their own below Inbound.
        for (std::string_view key : {"Outbound", "Inbound", "Sent"}) files::RemoveLeftovers(folder(key), true);
        FileJournal journal = fileJournal();
        for (const JournalEntry& e : journal.entries()) {
            std::error_code ec;
            if (e.kind == "send" && e.state == "written") {
                // Killed before its rows moved: the rows stay in the Outbox and go with the next
                // send, under the same control numbers; this copy of them goes.
                if (fs::is_regular_file(e.file, ec) && std::int64_t(fs::file_size(e.file, ec)) == e.size) {
                    fs::remove(e.file, ec);
                    LogExchange("Warning", "An interrupted send left " + e.file.filename().string() +
                                               "; it was removed, and its transaction sets go with the next send");
                }
                journal.remove(e.id);
            } else if (e.kind == "send" && e.state == "moving") {
                // Killed after its rows went to Sent: the file follows them.
                fs::path destination = e.destination;
                if (fs::exists(e.file, ec)) {
                    if (!sameFile(e.file, destination))
                        if (const int error = journal.linkUnder(e.id, e.file, destination, destination.stem().string()))
                            throw fs::filesystem_error("cannot move", e.file, destination,
                                                       std::error_code(error, std::generic_category()));
                    fs::remove(e.file);
                    LogExchange("Warning", "An interrupted send's move to Sent was completed: " +
                                               destination.filename().string());
                }
                journal.remove(e.id);
            } else if (e.kind == "receive" && e.state == "loading") {
                // Killed inside the reader: its transaction either committed (the interchange's
                // header is there, newer than the mark) or left nothing.
                bool committed = false;
                patiently([&] {
                    auto q = s_.db.prepare("SELECT count(*) FROM ISA WHERE Id > ?1 AND ISA13 = ?2 AND Direction = 'I'");
                    q.bindAll(e.mark, e.interchange);
                    committed = q.step() && q.int64(0) > 0 && !e.interchange.empty();
                });
                if (committed)
                    journal.loaded(e.id);
                else
                    journal.remove(e.id);
            }
        }
        journal.markEarlier();
    } catch (...) {
        logFailure(false);
    }
}

void ExchangeSessions::dropUnsentFiles() {
    if (writtenThisRun_.empty()) return;
    try {
        FileJournal journal = fileJournal();
        for (const JournalEntry& e : journal.entries()) {
            if (e.kind != "send" || e.state != "written" ||
                std::find(writtenThisRun_.begin(), writtenThisRun_.end(), e.id) == writtenThisRun_.end())
                continue;
            std::error_code ec;
            fs::remove(e.file, ec);
            try {
                journal.remove(e.id);
            } catch (...) {
                // The file is gone: an entry that a busy database keeps is dropped by the next recovery.
                if (!busyDatabase(std::current_exception())) throw;
            }
        }
        writtenThisRun_.clear();
    } catch (...) {
        logFailure(false);
    }
}

}  // namespace vt::exchange
