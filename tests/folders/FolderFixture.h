#pragma once
// A scratch database for the folder operations: the transaction sets the tests use, a partner
// "ACME" with ~ * > separators, folder rows added field by field, and folder lists built from
// the rows as the main window would show them.

#include "folders/Selection.h"
#include "tests/support/ScratchDatabase.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vt::test {

struct Item {
    std::string partner = "ACME", transaction = "850", version = "004010", direction = "I";
    std::string date = "03/05/2024", time = "14:07", used = "P";
    std::string icn = "000000001", gcn = "1", group = "PO";
    std::string sender = "SENDER", senderDivision = "APPS", receiver = "RECEIVER", receiverDivision = "APPR";
    std::string acknowledged = "No", status = "Closed";
    std::string tset = "ST*850*0001~SE*2*0001~";
};

struct FolderDb : ScratchDatabase {
    FolderDb() {
        db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES "
                "('850', 'PO', 'Purchase Order'), ('810', 'IN', 'Invoice'), "
                "('997', 'FA', 'Functional Acknowledgment')");
        db.exec("INSERT INTO Partner (Partner, Segment, element, Sub) VALUES ('ACME', 126, 42, 62)");
    }

    std::int64_t add(const std::string& table, const Item& i) {
        auto q = db.prepare("INSERT INTO \"" + table +
                            "\" (Partner, \"Transaction\", Version, Direction, \"Date\", \"Time\", Used, "
                            "InterchangeControlNumber, GroupControlNumber, FunctionalGroup, SenderID, SenderDivision, "
                            "ReceiverID, ReceiverDivision, Acknowledged, Status, TSet) VALUES "
                            "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)");
        q.bindAll(i.partner, i.transaction, i.version, i.direction, i.date, i.time, i.used, i.icn, i.gcn, i.group,
                  i.sender, i.senderDivision, i.receiver, i.receiverDivision, i.acknowledged, i.status, i.tset);
        q.run();
        return db.lastInsertId();
    }

    // The table's rows in Id order, those at the given positions selected; the first selected
    // (else the first row) is current.
    folders::FolderSelection list(const std::string& table, std::initializer_list<int> selectedAt = {}) {
        folders::FolderSelection l;
        l.table = table;
        auto q = db.prepare("SELECT Id FROM \"" + table + "\" ORDER BY Id");
        while (q.step()) l.ids.push_back(q.int64(0));
        l.selected.assign(l.ids.size(), false);
        for (int at : selectedAt) l.selected.at(size_t(at)) = true;
        if (selectedAt.size())
            l.current = l.ids.at(size_t(*selectedAt.begin()));
        else if (!l.ids.empty())
            l.current = l.ids.front();
        return l;
    }

    std::string column(const std::string& table, const std::string& field) {
        return db.scalarText("SELECT coalesce(group_concat(\"" + field + "\", '|'), '') FROM (SELECT \"" + field +
                             "\" FROM \"" + table + "\" ORDER BY Id)");
    }
    long long count(const std::string& table) {
        return db.scalarInt("SELECT count(*) FROM \"" + table + "\"");
    }
    // History rows as "Type:Description", joined by "|".
    std::string history() {
        return db.scalarText(
            "SELECT coalesce(group_concat(Type || ':' || Description, '|'), '') FROM (SELECT * FROM History ORDER BY "
            "\"Index\")");
    }
    std::vector<std::string> boxes() const { return ui.eventsStartingWith("box"); }
};

}  // namespace vt::test
