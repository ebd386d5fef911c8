// The Outbox as one interchange file, and the move of what was sent to the Sent folder.
#include "exchange/ExchangeSessions.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/Registry.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "folders/InterchangeReader.h"
#include "folders/OutputFile.h"
#include "platform/db/Database.h"
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

std::string key(const fs::path& p) { return p.lexically_normal().string(); }

[[noreturn]] void readerBusy() {
    throw core::RunError(70, "Another interchange file is being read. Try again when it has finished.");
}

// Moves `from` into `folder` as <stem><ext> or the first free "-n" name; never replaces a file.
fs::path moveInto(const fs::path& from, const fs::path& folder, const std::string& stem, const std::string& ext) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw core::RunError(76, "Path not found: " + folder.string());
    for (int n = 1;; ++n) {
        const fs::path to = folder / (stem + (n > 1 ? "-" + std::to_string(n) : "") + ext);
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return to;
        }
        if (errno == EEXIST) continue;
        // Another file system: copy, then remove the original.
        if (errno == EXDEV || errno == EPERM || errno == ENOTSUP) {
            if (fs::exists(to, ec)) continue;
            fs::copy_file(from, to);
            fs::remove(from);
            return to;
        }
        throw core::RunError(75, "Path/File access error: " + from.string() + ": " + std::strerror(errno));
    }
}

}  // namespace

std::string ExchangeSessions::WriteOutBoxToFile() {
    writeFailure_.clear();
    try {
        if (cancelled()) return {};
        std::vector<OutboxRow> rows;
        auto q = s_.db.prepare(
            "SELECT Id, Partner, InterchangeControlNumber, GroupControlNumber, SenderID, SenderDivision, ReceiverID, "
            "ReceiverDivision, TSet, \"Date\", \"Time\" FROM Outbox ORDER BY Id");
        while (q.step())
            rows.push_back({q.int64(0), q.text(1), q.text(2), q.text(3), q.text(4), q.text(5), q.text(6), q.text(7),
                            q.text(8), q.text(9), q.text(10)});
        if (rows.empty()) throw core::noCurrentRecordError();

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

        std::string out;
        for (const Interchange& ic : interchanges) {
            // The outbound interchange's header: our id is ISA06, the partner's ISA08.
            auto& isa = s_.db.cached(
                "SELECT ISA01, ISA02, ISA03, ISA04, ISA05, ISA06, ISA07, ISA08, ISA09, ISA10, ISA11, ISA12, ISA13, "
                "ISA14, ISA15, ISA16 FROM ISA WHERE ISA13 = ?1 AND ISA06 = ?2 AND ISA08 = ?3 "
                "ORDER BY (Direction = 'O') DESC, Id DESC LIMIT 1");
            isa.bindAll(ic.icn, ic.receiverId, ic.senderId);
            if (!isa.step())
                throw core::RunError(3021, "No stored interchange header (ISA) for interchange control number " + ic.icn);
            const std::string partner = core::FindPartnerByIds(s_, isa.text(7), isa.text(5));
            const std::string E = partner.empty() ? "" : core::GetElementSeparator(s_, partner);
            const std::string T = partner.empty() ? "" : core::GetSegmentTerminator(s_, partner);
            if (E.empty() || T.empty()) {
                const std::string own = isa.text(5), theirs = isa.text(7);
                isa.reset();
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
                gs.reset();
                if (segment.empty())
                    throw core::RunError(3021, "No stored functional group header (GS) for group control number " + g.gcn);
                out += "GS";
                for (const std::string& element : segment) out += E + element;
                out += T;
                for (const OutboxRow* set : g.sets) out += set->tset;
                out += "GE" + E + std::to_string(g.sets.size()) + E + segment[5] + T;
            }
            out += "IEA" + E + std::to_string(ic.groups.size()) + E + isa.text(12) + T;
            isa.reset();
        }

        const std::string stem = text::formatDate(s_.clock.now(), "mmddyy-hhmmss-AMPM");
        const fs::path file = folders::WriteNewFile(folder("Outbound"), stem, ".OC", out);
        std::vector<std::int64_t> ids;
        for (const OutboxRow& r : rows) ids.push_back(r.id);
        written_[key(file)] = std::move(ids);
        return file.filename().string();
    } catch (...) {
        writeFailure_ = core::describeError(std::current_exception()).description;
        logFailure(false);
        return {};
    }
}

void ExchangeSessions::CreateOutboundEDI() {
    const std::string name = WriteOutBoxToFile();
    exchange().LocaleFile = name;
    exchange().LocaleFile = GetOutboundPath() + name;
}

std::string ExchangeSessions::GetOutboundEDI() {
    try {
        CreateOutboundEDI();
        const std::string& file = exchange().LocaleFile;
        // A failed write was logged already; there is nothing to read, but the session is told.
        if (file.empty() || file.back() == '/') {
            if (!writeFailure_.empty()) view_.appendSessionText(writeFailure_ + "\r\n");
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
        auto q = s_.db.prepare("SELECT Status FROM Outbox ORDER BY Id");
        if (!q.step()) throw core::noCurrentRecordError();
        do {
            if (text::trim(q.text(0)) != "Validated") return false;
        } while (q.step());
        return true;
    } catch (...) {
        logFailure(false);
        return false;
    }
}

bool ExchangeSessions::IsOutboxEmpty() {
    try {
        return s_.db.scalarInt("SELECT count(*) FROM Outbox") > 0;
    } catch (...) {
        logFailure(false);
        return false;
    }
}

bool ExchangeSessions::MoveOutToSent() {
    try {
        if (cancelled() || s_.db.scalarInt("SELECT count(*) FROM Outbox") == 0) return false;
        if (folders::IsReadingInterchange() || s_.db.inTransaction()) readerBusy();

        const std::string file = exchange().LocaleFile;
        std::error_code ec;
        if (file.empty() || !fs::is_regular_file(file, ec))
            throw core::RunError(53, "File not found: " + (file.empty() ? std::string("(no file named)") : file));
        // Exactly the rows written into that file move; a file the script made itself carries the
        // whole Outbox as it stands.
        std::vector<std::int64_t> ids;
        if (auto it = written_.find(key(file)); it != written_.end()) {
            ids = it->second;
        } else {
            auto q = s_.db.prepare("SELECT Id FROM Outbox ORDER BY Id");
            while (q.step()) ids.push_back(q.int64(0));
        }

        // The file first: rows move only once it is in the Sent folder, and it comes back when
        // the rows cannot move.
        const std::string stem = text::toUpper(text::formatDate(s_.clock.now(), "mmddyy-hhmmss-AMPM"));
        const fs::path sent = moveInto(file, folder("Sent"), stem, ".OC");
        try {
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
            tx.commit();
        } catch (...) {
            ::rename(sent.c_str(), file.c_str());
            throw;
        }
        written_.erase(key(file));
        s_.ui.folderChanged("Outbox");
        s_.ui.folderChanged("Sent");
        return true;
    } catch (...) {
        logFailure(false);
        return false;
    }
}

}  // namespace vt::exchange
