#include "core/Envelopes.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "core/StoredNumber.h"
#include "platform/db/Database.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <optional>

namespace vt::core {

int separatorCode(std::string_view separator) {
    if (separator.empty()) throw invalidCallError();
    if (separator == "\r\n") return 0;
    return static_cast<unsigned char>(separator[0]);
}

std::string separatorFromCode(long code, bool segmentTerminator) {
    if (code < 0 || code > 255) throw invalidCallError();
    if (code == 0 && segmentTerminator) return "\r\n";
    return std::string(1, static_cast<char>(code));
}

namespace {

enum class Which { Segment, Element, Sub };

std::optional<std::string> separator(db::Database& db, std::string_view partner, Which which) {
    static constexpr const char* kSql[] = {
        "SELECT Segment FROM Partner WHERE Partner = ?1 ORDER BY Id LIMIT 1",
        "SELECT element FROM Partner WHERE Partner = ?1 ORDER BY Id LIMIT 1",
        "SELECT Sub FROM Partner WHERE Partner = ?1 ORDER BY Id LIMIT 1",
    };
    auto q = db.prepare(kSql[int(which)]);
    q.bind(1, partner);
    if (!q.step()) return std::nullopt;
    return separatorFromCode(long(storedWholeNumber(q.value(0))), which == Which::Segment);
}

std::string separatorOrEmpty(const Services& s, std::string_view partner, Which which) {
    try {
        return separator(s.db, partner, which).value_or("");
    } catch (...) {
        ReportError(s);
        return "";
    }
}

struct Delimiters {
    std::string terminator, element, sub;
};

// The partner's delimiters, or nothing when it has no row.
std::optional<Delimiters> delimiters(db::Database& db, std::string_view partner) {
    auto t = separator(db, partner, Which::Segment);
    if (!t) return std::nullopt;
    return Delimiters{*t, separator(db, partner, Which::Element).value_or(""),
                      separator(db, partner, Which::Sub).value_or("")};
}

// Advances a stored control number of the partner's first row and returns the new one.
std::int64_t advance(db::Database& db, std::int64_t rowId, const db::Value& stored, const char* updateSql) {
    const std::int64_t next = nextControlNumber(storedWholeNumber(stored));
    auto u = db.prepare(updateSql);
    u.bindAll(std::to_string(next), rowId);
    u.run();
    return next;
}

std::string nineDigits(std::int64_t n) {
    std::string digits = std::to_string(n);
    return std::string(digits.size() < 9 ? 9 - digits.size() : 0, '0') + digits;
}

}  // namespace

std::string GetSegmentTerminator(const Services& s, std::string_view partner) {
    return separatorOrEmpty(s, partner, Which::Segment);
}

std::string GetElementSeparator(const Services& s, std::string_view partner) {
    return separatorOrEmpty(s, partner, Which::Element);
}

std::string GetSubElementSeparator(const Services& s, std::string_view partner) {
    return separatorOrEmpty(s, partner, Which::Sub);
}

std::string BuildISASegment(const Services& s, std::string_view partner) {
    try {
        const auto d = delimiters(s.db, partner);
        if (!d) return "";
        auto q = s.db.prepare(
            "SELECT Id, ISA13, ISA01, ISA02, ISA03, ISA04, ISA05, ISA06, ISA07, ISA08, ISA11, ISA12, ISA14, ISA15 "
            "FROM Partner WHERE Partner = ?1 ORDER BY Id LIMIT 1");
        q.bind(1, partner);
        if (!q.step()) return "";
        // Stored before the text is built: the number is used up even if the interchange never is.
        const std::int64_t control =
            advance(s.db, q.int64(0), q.value(1), "UPDATE Partner SET ISA13 = ?1 WHERE Id = ?2");

        const text::DateTime now = s.clock.now();
        const std::string& e = d->element;
        std::string isa = "ISA";
        for (int col = 2; col <= 9; ++col) isa += e + q.text(col);   // ISA01 to ISA08
        isa += e + text::formatDate(now, "yymmdd");
        isa += e + text::formatDate(now, "hhnn");
        isa += e + q.text(10) + e + q.text(11);   // ISA11, ISA12
        isa += e + nineDigits(control);
        isa += e + q.text(12) + e + q.text(13);   // ISA14, ISA15
        isa += e + d->sub;
        return isa + d->terminator;
    } catch (...) {
        ReportError(s);
        return "";
    }
}

std::string BuildGSSegment(const Services& s, std::string_view partner, std::string_view functionalIdentifier,
                           std::string_view version) {
    try {
        const auto d = delimiters(s.db, partner);
        if (!d) return "";
        // The version is checked before the group number is used up, so a bad one wastes none.
        if (version.size() < 3 || version[2] < '0' || version[2] > '9') throw typeMismatchError();
        // 004010 onwards (005010 too) carry the eight-digit date and six-digit time.
        const bool longForms = version[2] >= '4';

        auto q = s.db.prepare("SELECT Id, GS06, GS02, GS03, GS07 FROM Partner WHERE Partner = ?1 ORDER BY Id LIMIT 1");
        q.bind(1, partner);
        if (!q.step()) return "";
        const std::int64_t control =
            advance(s.db, q.int64(0), q.value(1), "UPDATE Partner SET GS06 = ?1 WHERE Id = ?2");

        const text::DateTime now = s.clock.now();
        const std::string& e = d->element;
        std::string gs = "GS";
        gs += e + std::string(functionalIdentifier);
        gs += e + q.text(2) + e + q.text(3);
        gs += e + text::formatDate(now, longForms ? "yyyymmdd" : "yymmdd");
        gs += e + text::formatDate(now, longForms ? "hhnnss" : "hhnn");
        gs += e + nineDigits(control);
        gs += e + q.text(4);
        gs += e + std::string(version);
        return gs + d->terminator;
    } catch (...) {
        ReportError(s);
        return "";
    }
}

}  // namespace vt::core
