#include "core/Registry.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "core/Savepoint.h"
#include "core/StoredNumber.h"
#include "core/UiSink.h"
#include "platform/db/Database.h"

#include <algorithm>
#include <vector>

namespace vt::core {

namespace {

constexpr const char* kWhereSet =
    " WHERE Partner = ?1 AND \"Transaction\" = ?2 AND Version = ?3 AND Direction = ?4 ORDER BY Id LIMIT 1";

std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    if (separator.empty()) return {text};
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string_view::npos; start = at + separator.size())
        pieces.push_back(text.substr(start, at - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

// Kept prepared: the interchange reader asks for every set it files.
db::Statement& selectSet(db::Database& db, const char* columns, std::string_view p, std::string_view t,
                         std::string_view v, std::string_view d) {
    auto& q = db.cached(std::string("SELECT ") + columns + " FROM Transactions" + kWhereSet);
    q.bindAll(p, t, v, d);
    return q;
}

}  // namespace

bool MarkSentAcknowledged(const Services& s, std::string_view partner, std::string_view ackText,
                          std::string_view segmentTerminator, std::string_view elementSeparator) {
    try {
        const auto segments = split(ackText, segmentTerminator);
        if (segments.size() < 2) throw subscriptError();
        const auto ak1 = split(segments[1], elementSeparator);
        if (ak1.size() < 3) throw subscriptError();
        // Only an AK1 names the acknowledged group; anything else would mark unrelated rows.
        std::string_view id = ak1[0];
        while (!id.empty() && (id.front() == '\r' || id.front() == '\n' || id.front() == ' ')) id.remove_prefix(1);
        if (id != "AK1") throw invalidCallError();
        auto& u = s.db.cached(
            "UPDATE Sent SET Acknowledged = 'Yes' "
            "WHERE Partner = ?1 AND GroupControlNumber = ?2 AND Acknowledged <> 'Void'");
        u.bindAll(partner, ak1[2]);
        u.run();
    } catch (...) {
        ReportError(s);
        return false;
    }
    s.ui.folderChanged("Sent");
    return true;
}

bool IsAcknowledgementExpected(const Services& s, std::string_view partner, std::string_view transaction,
                               std::string_view version, std::string_view direction) {
    try {
        auto& q = selectSet(s.db, "Acknowledge", partner, transaction, version, direction);
        const db::ResetAtExit done(q);
        if (!q.step()) throw noCurrentRecordError();
        return q.int64(0) != 0;
    } catch (...) {
        ReportError(s);
        return false;
    }
}

std::string AddPartnerFromEnvelope(const Services& s, std::string_view isaText, std::string_view gsText,
                                   std::string_view segmentTerminator, std::string_view elementSeparator,
                                   std::string_view subElementSeparator, std::string_view direction) {
    try {
        const auto isa = split(isaText, elementSeparator);
        const auto gs = split(gsText, elementSeparator);
        if (isa.size() < 16 || gs.size() < 8) throw subscriptError();
        if (direction != "I" && direction != "O") throw invalidCallError();
        const bool inbound = direction == "I";

        const std::string_view partnerQualifier = inbound ? isa[5] : isa[7];
        const std::string_view partnerId = inbound ? isa[6] : isa[8];
        const std::string_view partnerApp = inbound ? gs[2] : gs[3];
        const std::string_view ownQualifier = inbound ? isa[7] : isa[5];
        const std::string_view ownId = inbound ? isa[8] : isa[6];
        const std::string_view ownApp = inbound ? gs[3] : gs[2];

        std::string name = std::string(partnerId) + std::string(partnerApp) + std::string(ownId) + std::string(ownApp);
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());

        const int segment = separatorCode(segmentTerminator);
        const int element = separatorCode(elementSeparator);
        const int sub = separatorCode(subElementSeparator);

        auto insert = s.db.prepare(
            "INSERT INTO Partner (Partner, Segment, element, Sub, ISA01, ISA02, ISA03, ISA04, ISA05, ISA06, ISA07, "
            "ISA08, ISA11, ISA12, ISA14, ISA15, ISAVersion, GS02, GS03, GS07) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20)");
        insert.bindAll(name, segment, element, sub, isa[1], isa[2], isa[3], isa[4], ownQualifier, ownId,
                       partnerQualifier, partnerId, isa[11], isa[12], isa[14], isa[15],
                       std::string(isa[12]) + "0", ownApp, partnerApp, gs[7]);
        insert.run();
        return name;
    } catch (...) {
        ReportError(s);
        return "";
    }
}

std::string FindPartnerByIds(const Services& s, std::string_view partnerId, std::string_view ownId) {
    try {
        auto& q = s.db.cached("SELECT Partner FROM Partner WHERE ISA06 = ?1 AND ISA08 = ?2 ORDER BY Id LIMIT 1");
        const db::ResetAtExit done(q);
        q.bindAll(ownId, partnerId);
        return q.step() ? q.text(0) : "";
    } catch (...) {
        ReportError(s);
        return "";
    }
}

bool SaveTransactionControlNumber(const Services& s, std::string_view partner, std::string_view transaction,
                                  std::string_view group, std::string_view version, std::string_view direction,
                                  std::string_view controlNumber) {
    try {
        auto& q = selectSet(s.db, "Id, ControlNumber", partner, transaction, version, direction);
        const db::ResetAtExit done(q);
        if (!q.step()) return false;
        const std::int64_t id = q.int64(0);
        std::string stored(controlNumber);
        if (direction == "O") {
            // Our own sets come back through the reader: the number to use next never goes back.
            const std::string current = q.text(1);
            q.reset();
            std::int64_t next = 0, kept = 0;
            try {
                next = nextControlNumber(storedWholeNumber(db::Value(std::string(controlNumber))));
            } catch (const RunError&) {
                return true;   // a number that is not ours to count on: keep the stored one
            }
            try {
                kept = storedWholeNumber(db::Value(current));
            } catch (const RunError&) {
            }
            if (kept >= next) return true;
            stored = std::to_string(next);
        }
        auto& u = s.db.cached("UPDATE Transactions SET ControlNumber = ?1 WHERE Id = ?2");
        u.bindAll(stored, id);
        u.run();
        return true;
    } catch (...) {
        ReportError(s);
        return false;
    }
}

std::string NextTransactionControlNumber(const Services& s, std::string_view partner, std::string_view transaction,
                                         std::string_view version, std::string_view direction) {
    try {
        auto& q = selectSet(s.db, "Id, ControlNumber", partner, transaction, version, direction);
        const db::ResetAtExit done(q);
        if (!q.step()) throw noCurrentRecordError();
        const std::int64_t current = storedWholeNumber(q.value(1));
        auto& u = s.db.cached("UPDATE Transactions SET ControlNumber = ?1 WHERE Id = ?2");
        u.bindAll(std::to_string(nextControlNumber(current)), q.int64(0));
        u.run();
        return std::to_string(current);
    } catch (...) {
        ReportError(s);
        return "";
    }
}

std::string GetTransactionActiveX(const Services& s, std::string_view partner, std::string_view transaction,
                                  std::string_view version, std::string_view direction, bool showMessage) {
    std::string className;
    try {
        auto& q = selectSet(s.db, "ActiveX", partner, transaction, version, direction);
        const db::ResetAtExit done(q);
        if (q.step()) className = q.text(0);
    } catch (...) {
        ReportError(s);
        return "";
    }
    if (className.empty() && showMessage) {
        const std::string file = std::string(partner) + "_" + std::string(transaction) + "_" +
                                 std::string(version) + "_" + std::string(direction) + ".DLL";
        ShowNotice(s, "ActiveX Not Found!\r\n\r\n" + file, vbInformation | vbOKOnly);
    }
    return className;
}

bool AddPartnerTransaction(const Services& s, std::string_view partner, std::string_view transaction,
                           std::string_view group, std::string_view version, std::string_view direction) {
    try {
        // The set and its starter map go in together: a set without its map breaks the designer.
        Savepoint savepoint(s.db, "vt_add_partner_transaction");
        auto standard = s.db.prepare("SELECT Description FROM Standard WHERE \"Transaction\" = ?1 ORDER BY Id LIMIT 1");
        standard.bind(1, transaction);
        if (!standard.step()) throw noCurrentRecordError();
        const std::string description = standard.text(0);

        auto set = s.db.prepare(
            "INSERT INTO Transactions (Partner, \"Transaction\", Description, \"Group\", Version, Versionoverride, "
            "Direction) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        set.bindAll(partner, transaction, description, group, version, version, direction);
        set.run();

        auto segment = s.db.prepare(
            "INSERT INTO Segment (Partner, Version, \"Transaction\", Segment, SegmentIndex, Node, Direction) "
            "VALUES (?1, ?2, ?3, 'XX', 1, 1, ?4)");
        segment.bindAll(partner, version, transaction, direction);
        segment.run();

        auto element = s.db.prepare(
            "INSERT INTO Element (Partner, Version, \"Transaction\", Segment, ElementIndex, SegmentIndex, Direction) "
            "VALUES (?1, ?2, ?3, 'XX', 1, 1, ?4)");
        element.bindAll(partner, version, transaction, direction);
        element.run();
        savepoint.release();
        return true;
    } catch (...) {
        ReportError(s);
        return false;
    }
}

}  // namespace vt::core
