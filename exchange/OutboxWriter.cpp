// The Outbox as one interchange file, and the move of what was sent to the Sent folder.
#include "exchange/ExchangeSessions.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/Registry.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "exchange/FileJournal.h"
#include "folders/InterchangeReader.h"
#include "platform/db/Database.h"
#include "exchange/ZipArchive.h"
#include "platform/files/SafeFile.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace vt::exchange {

namespace fs = std::filesystem;

namespace {

struct OutboxRow {
    std::int64_t id = 0;
    std::string partner, icn, gcn, senderId, senderDivision, receiverId, receiverDivision, tset, date, time;
};

// One functional group of an interchange, as the reader stored it.
struct Group {
    std::string gcn, senderDivision, receiverDivision, date, time;
    std::vector<const OutboxRow*> sets;
};

struct Interchange {
    std::string partner, icn, senderId, receiverId;
    std::vector<Group> groups;
};

[[noreturn]] void readerBusy() {
    throw core::RunError(70, "Another interchange file is being read. Try again when it has finished.");
}


}  // namespace

std::string ExchangeSessions::WriteOutBoxToFile() {
    writeFailure_.clear();
    outboxWasEmpty_ = false;
    try {
        if (cancelled()) return {};
        std::vector<OutboxRow> rows;
        std::string out;
        // Read afresh when a busy database makes the reads start again.
        patiently([&] {
            rows.clear();
            out.clear();
            auto q = s_.db.prepare(
                "SELECT Id, Partner, InterchangeControlNumber, GroupControlNumber, SenderID, SenderDivision, ReceiverID, "
                "ReceiverDivision, TSet, \"Date\", \"Time\" FROM Outbox ORDER BY Id");
            while (q.step())
                rows.push_back({q.int64(0), q.text(1), q.text(2), q.text(3), q.text(4), q.text(5), q.text(6), q.text(7),
                                q.text(8), q.text(9), q.text(10)});
            if (rows.empty()) {
                outboxWasEmpty_ = true;
                throw core::noCurrentRecordError();
            }

            // One envelope per stored interchange, holding all of its groups; sets chosen by their
            // whole key, so nothing is written twice and no group mixes two interchanges.
            std::vector<Interchange> interchanges;
            for (const OutboxRow& r : rows) {
                auto ic = std::find_if(interchanges.begin(), interchanges.end(), [&](const Interchange& i) {
                    return i.partner == r.partner && i.icn == r.icn && i.senderId == r.senderId && i.receiverId == r.receiverId;
                });
                if (ic == interchanges.end()) ic = interchanges.insert(interchanges.end(), {r.partner, r.icn, r.senderId, r.receiverId, {}});
                auto g = std::find_if(ic->groups.begin(), ic->groups.end(), [&](const Group& x) {
                    return x.gcn == r.gcn && x.senderDivision == r.senderDivision && x.receiverDivision == r.receiverDivision;
                });
                if (g == ic->groups.end())
                    g = ic->groups.insert(ic->groups.end(), {r.gcn, r.senderDivision, r.receiverDivision, r.date, r.time, {}});
                g->sets.push_back(&r);
            }

            for (const Interchange& ic : interchanges) {
                // The outbound interchange's header: our id is ISA06, the partner's ISA08.
                auto& isa = s_.db.cached(
                    "SELECT ISA01, ISA02, ISA03, ISA04, ISA05, ISA06, ISA07, ISA08, ISA09, ISA10, ISA11, ISA12, ISA13, "
                    "ISA14, ISA15, ISA16 FROM ISA WHERE ISA13 = ?1 AND ISA06 = ?2 AND ISA08 = ?3 "
                    "ORDER BY (Direction = 'O') DESC, Id DESC LIMIT 1");
                isa.bindAll(ic.icn, ic.receiverId, ic.senderId);
                const db::ResetAtExit done(isa);
                if (!isa.step())
                    throw core::RunError(3021, "No stored interchange header (ISA) for interchange control number " + ic.icn);
                const std::string partner = core::FindPartnerByIds(s_, isa.text(7), isa.text(5));
                const std::string E = partner.empty() ? "" : core::GetElementSeparator(s_, partner);
                const std::string T = partner.empty() ? "" : core::GetSegmentTerminator(s_, partner);
                if (E.empty() || T.empty()) {
                    const std::string own = isa.text(5), theirs = isa.text(7);
                    throw core::RunError(3021, "No trading partner with the interchange ids \"" + own + "\" and \"" +
                                                   theirs + "\" has separators: interchange " + ic.icn +
                                                   " was not written");
                }
                out += "ISA";
                for (int i = 0; i < 15; ++i) out += E + isa.text(i);
                out += E + isa.text(15) + T;
                for (const Group& g : ic.groups) {
                    // Nothing ties a stored group to its interchange but its number, ids and date:
                    // among equal numbers the one with this group's date and time is its own.
                    auto& gs = s_.db.cached(
                        "SELECT GS01, GS02, GS03, GS04, GS05, GS06, GS07, GS08 FROM GS WHERE GS06 = ?1 AND GS02 = ?2 AND "
                        "GS03 = ?3 ORDER BY (Partner = ?4) DESC, (Direction = 'O') DESC, Id DESC");
                    gs.bindAll(g.gcn, g.receiverDivision, g.senderDivision, ic.partner);
                    const db::ResetAtExit groupDone(gs);
                    std::vector<std::string> segment;
                    while (gs.step()) {
                        const bool own = folders::ConvertGroupDate(gs.text(3)) == g.date &&
                                         folders::ConvertGroupTime(gs.text(4), s_.clock) == g.time;
                        if (segment.empty() || own) {
                            segment.clear();
                            for (int i = 0; i < 8; ++i) segment.push_back(gs.text(i));
                        }
                        if (own) break;
                    }
                    if (segment.empty())
                        throw core::RunError(3021, "No stored functional group header (GS) for group control number " + g.gcn);
                    out += "GS";
                    for (const std::string& element : segment) out += E + element;
                    out += T;
                    for (const OutboxRow* set : g.sets) out += set->tset;
                    out += "GE" + E + std::to_string(g.sets.size()) + E + segment[5] + T;
                }
                out += "IEA" + E + std::to_string(ic.groups.size()) + E + isa.text(12) + T;
            }
        });

        const fs::path outbound = folder("Outbound");
        std::vector<std::int64_t> ids;
        for (const OutboxRow& r : rows) ids.push_back(r.id);
        // The name is new in the Outbound and Sent folders and among the names given before, so
        // two sends in one second (or in the hour that repeats when summer time ends), also with
        // a restart between them, never give the partner two files of one name. The journal knows
        // the file before it has its name: a kill in between leaves only a temporary file.
        const std::string stem = text::formatDate(s_.clock.now(), "mmddyy-hhmmss-AMPM");
        const std::string name = names_.take(stem, ".OC", {outbound, folder("Sent")});
        std::optional<files::SafeFile> file;
        try {
            file.emplace(files::SafeFile::inFolder(outbound));
            file->write(out);
        } catch (const fs::filesystem_error& e) {
            throw WriteError(outbound / name, e.code());
        }
        FileJournal journal = fileJournal();
        const std::int64_t entry = journal.written((outbound / name).lexically_normal(), ids, std::int64_t(out.size()));
        fs::path placed;
        try {
            placed = file->placeNew(fs::path(name).stem().string(), ".OC");
        } catch (const fs::filesystem_error& e) {
            journal.remove(entry);
            throw WriteError(outbound / name, e.code());
        }
        writtenThisRun_.push_back(entry);
        if (placed.filename() != name) {
            journal.setFile(entry, placed.lexically_normal());
            names_.keep(placed.filename().string());
        }
        step("outbox written");
        return placed.filename().string();
    } catch (...) {
        writeFailure_ = core::describeError(std::current_exception()).description;
        logFailure(false);
        return {};
    }
}

void ExchangeSessions::CreateOutboundEDI() {
    const std::string name = WriteOutBoxToFile();
    // An empty Outbox names no file, so nothing is moved to Sent; what else to do is the script's.
    if (name.empty() && outboxWasEmpty_) {
        exchange().LocaleFile.clear();
        return;
    }
    exchange().LocaleFile = GetOutboundPath() + name;
}

std::string ExchangeSessions::GetOutboundEDI() {
    try {
        CreateOutboundEDI();
        const std::string& file = exchange().LocaleFile;
        // A failed write was logged already; there is nothing to read, but the session is told.
        if (file.empty() || file.back() == '/') {
            if (!writeFailure_.empty()) say(writeFailure_);
            return {};
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) throw core::RunError(53, "File not found: " + file);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    } catch (...) {
        logFailure(true);
        return {};
    }
}

bool ExchangeSessions::IsOutboxValidated() {
    try {
        bool validated = true;
        patiently([&] {
            validated = true;
            auto q = s_.db.prepare("SELECT Status FROM Outbox ORDER BY Id");
            if (!q.step()) throw core::noCurrentRecordError();
            do {
                if (text::trim(q.text(0)) != "Validated") {
                    validated = false;
                    return;
                }
            } while (q.step());
        });
        return validated;
    } catch (...) {
        logFailure(false);
        return false;
    }
}

bool ExchangeSessions::IsOutboxEmpty() {
    try {
        std::int64_t rows = 0;
        patiently([&] { rows = s_.db.scalarInt("SELECT count(*) FROM Outbox"); });
        return rows > 0;
    } catch (...) {
        logFailure(false);
        return false;
    }
}

bool ExchangeSessions::MoveOutToSent() {
    moveFailure_.clear();
    try {
        if (cancelled()) return false;
        std::int64_t waiting = 0;
        patiently([&] { waiting = s_.db.scalarInt("SELECT count(*) FROM Outbox"); });
        if (waiting == 0) return false;
        if (folders::IsReadingInterchange() || s_.db.inTransaction()) readerBusy();

        const fs::path file = fs::path(exchange().LocaleFile).lexically_normal();
        std::error_code ec;
        if (file.empty() || !fs::is_regular_file(file, ec))
            throw core::RunError(53, "File not found: " + (file.empty() ? std::string("(no file named)") : file.string()));
        const fs::path sentFolder = folder("Sent");
        if (!fs::is_directory(sentFolder, ec)) throw core::RunError(76, "Path not found: " + sentFolder.string());
        // Exactly the rows written into that file move; a file the script made itself carries the
        // whole Outbox as it stands.
        FileJournal journal = fileJournal();
        const std::optional<JournalEntry> written = journal.writtenFile(file);
        std::vector<std::int64_t> ids;
        if (written) {
            ids = written->rows;
        } else {
            patiently([&] {
                ids.clear();
                auto q = s_.db.prepare("SELECT Id FROM Outbox ORDER BY Id");
                while (q.step()) ids.push_back(q.int64(0));
            });
        }

        // A file the program wrote keeps in Sent the name it was sent under, so that no later
        // send is given that name again; a file the script made itself is named by the clock.
        const std::string stem = text::toUpper(written ? file.stem().string()
                                                       : text::formatDate(s_.clock.now(), "mmddyy-hhmmss-AMPM"));
        fs::path destination = sentFolder / UniqueNames::firstFree(stem, ".OC", sentFolder);
        std::int64_t entry = 0;
        // Rows first, with the file's destination in the same transaction: a file in the Sent
        // folder always has its rows in Sent, and a kill after the commit leaves a move the next
        // session completes. A busy database makes the whole transaction start again.
        patiently([&] {
            db::Transaction tx(s_.db);
            const char* fields =
                "Partner, \"Transaction\", Version, Direction, \"Date\", \"Time\", Used, InterchangeControlNumber, "
                "GroupControlNumber, FunctionalGroup, SenderID, SenderDivision, ReceiverID, ReceiverDivision, "
                "Acknowledged, Status, TSet";
            auto copy = s_.db.prepare(std::string("INSERT INTO Sent (") + fields + ") SELECT " + fields +
                                      " FROM Outbox WHERE Id = ?1");
            auto remove = s_.db.prepare("DELETE FROM Outbox WHERE Id = ?1");
            for (std::int64_t id : ids) {
                copy.reset();
                copy.bind(1, id);
                copy.run();
                remove.reset();
                remove.bind(1, id);
                remove.run();
            }
            entry = journal.moving(written ? written->id : 0, file, destination);
            step("rows moving");
            tx.commit();
            step("rows committed");
        });
        s_.ui.folderChanged("Outbox");
        s_.ui.folderChanged("Sent");
        step("rows moved");
        if (const int error = journal.linkUnder(entry, file, destination, stem)) throw WriteError(file, error);
        step("file linked");
        ::unlink(file.c_str());
        step("file moved");
        try {
            journal.remove(entry);
        } catch (...) {
            // Moved all the same: the next recovery drops an entry that a busy database keeps.
            if (!busyDatabase(std::current_exception())) throw;
        }
        return true;
    } catch (...) {
        // Recorded where the user looks for failures; the rows and the file stay as they are, or
        // the next session completes the move.
        moveFailure_ = "The sent interchange was not moved to Sent: " +
                       core::describeError(std::current_exception()).description;
        record(false, "Error", moveFailure_);
        record(true, "Error", moveFailure_);
        return false;
    }
}

}  // namespace vt::exchange
