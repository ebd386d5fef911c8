#pragma once
// A scratch database with a few shipped versions and standard sets, and helpers that write and
// read the partner tables as printed lines.

#include "platform/db/Database.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vt::test {

inline void seedStandards(db::Database& db) {
    db.exec("INSERT INTO Version (Version) VALUES ('003020'), ('004010'), ('005010')");
    db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES "
            "('856', 'SH', 'Ship Notice/Manifest'), ('810', 'IN', 'Invoice'), ('850', 'PO', 'Purchase Order')");
}

inline std::int64_t addPartnerRow(db::Database& db, const std::string& name) {
    auto st = db.prepare("INSERT INTO Partner (Partner, Segment, element, Sub) VALUES (?1, 126, 42, 62)");
    st.bind(1, name);
    st.run();
    return db.lastInsertId();
}

// A set with a map of `segments` segments of one element each.
inline void addSetRows(db::Database& db, const std::string& partner, const std::string& set, const std::string& version,
                       const std::string& direction, int segments = 1) {
    auto t = db.prepare("INSERT INTO Transactions (Partner, \"Transaction\", Version, Versionoverride, Direction, "
                        "\"Group\", Description) VALUES (?1, ?2, ?3, ?3, ?4, 'PO', 'Purchase Order')");
    t.bindAll(partner, set, version, direction);
    t.run();
    for (int i = 1; i <= segments; ++i) {
        auto sg = db.prepare("INSERT INTO Segment (Partner, Version, \"Transaction\", Direction, Segment, SegmentIndex) "
                             "VALUES (?1, ?2, ?3, ?4, 'BEG', ?5)");
        sg.bindAll(partner, version, set, direction, i);
        sg.run();
        auto el = db.prepare("INSERT INTO Element (Partner, Version, \"Transaction\", Direction, Segment, SegmentIndex, "
                             "ElementIndex) VALUES (?1, ?2, ?3, ?4, 'BEG', ?5, 1)");
        el.bindAll(partner, version, set, direction, i);
        el.run();
    }
}

// Every row of a table as "col|col|..." over the given columns, in row order.
inline std::vector<std::string> rows(db::Database& db, const std::string& table, const std::string& columns) {
    auto q = db.prepare("SELECT " + columns + " FROM \"" + table + "\" ORDER BY Id");
    std::vector<std::string> out;
    while (q.step()) {
        std::string line;
        for (int c = 0; c < q.columnCount(); ++c) line += (c ? "|" : "") + q.text(c);
        out.push_back(line);
    }
    return out;
}

inline long long countOf(db::Database& db, const std::string& sql) { return db.scalarInt(sql); }

class SetupTest : public ::testing::Test {
protected:
    SetupTest() { seedStandards(scratch.db); }
    ScratchDatabase scratch;
    db::Database& db = scratch.db;
    RecordingUiSink& ui = scratch.ui;
    const core::Services& s = scratch.services;
};

}  // namespace vt::test
