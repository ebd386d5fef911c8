#include "setup/PartnerEditor.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/Savepoint.h"
#include "core/UiSink.h"
#include "platform/text/Text.h"

#include <cctype>

namespace vt::setup {

std::string removePartnerWarning(std::string_view name, int inbound, int outbound) {
    const std::string n(name);
    return "WARNING:\r\n\r\nRemoving '" + n +
           "' will permanently remove all settings associated with this trading partner.\r\n"
           "Removing will delete all Transaction(s) and Mappings\r\n"
           "Removing will also delete " + std::to_string(inbound) + " inbound and " + std::to_string(outbound) +
           " outbound Transaction(s).\r\n\r\nDo you still wish to remove '" + n + "'?";
}

void PartnerEditor::requery() {
    ids_.clear();
    pos_ = 0;
    row_ = PartnerRow{};
    auto q = s_.db.prepare("SELECT Id FROM Partner ORDER BY Id");
    while (q.step()) ids_.push_back(q.int64(0));
    if (!ids_.empty()) reload();
}

void PartnerEditor::reload() {
    if (ids_.empty()) {
        row_ = PartnerRow{};
        return;
    }
    auto r = readPartner(s_.db, ids_[pos_]);
    if (!r) throw core::noCurrentRecordError();
    row_ = std::move(*r);
}

std::string PartnerEditor::title() const {
    if (ids_.empty()) return "Trading Partner Setup";
    return "Partner " + std::to_string(pos_ + 1) + " of " + std::to_string(ids_.size()) + " -- " + row_.partner;
}

namespace {
template <class F>
bool moveAndShow(const core::Services& s, F move) {
    try {
        return move();
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}
}  // namespace

bool PartnerEditor::moveFirst() {
    if (ids_.empty() || editing_) return false;
    return moveAndShow(s_, [&] { pos_ = 0; reload(); return true; });
}

bool PartnerEditor::movePrevious() {
    if (ids_.empty() || editing_ || pos_ == 0) return false;
    return moveAndShow(s_, [&] { --pos_; reload(); return true; });
}

bool PartnerEditor::moveNext() {
    if (ids_.empty() || editing_ || pos_ + 1 >= int(ids_.size())) return false;
    return moveAndShow(s_, [&] { ++pos_; reload(); return true; });
}

bool PartnerEditor::moveLast() {
    if (ids_.empty() || editing_) return false;
    return moveAndShow(s_, [&] { pos_ = int(ids_.size()) - 1; reload(); return true; });
}

bool PartnerEditor::navigateByKey(char key) {
    switch (std::toupper(static_cast<unsigned char>(key))) {
    case 'P': return movePrevious();
    case 'N': return moveNext();
    case '<': return moveFirst();
    case '>': return moveLast();
    default: return false;
    }
}

bool PartnerEditor::nameTaken(std::string_view name, std::int64_t exceptId) {
    // The column compares without case: "ACME01" and "acme01" are one partner to users.
    auto q = s_.db.prepare("SELECT 1 FROM Partner WHERE Partner = ?1 AND Id <> ?2 LIMIT 1");
    q.bindAll(name, exceptId);
    return q.step();
}

PartnerEditor::EditStep PartnerEditor::editOrSave(const PartnerRow& screen) {
    if (ids_.empty()) return EditStep::Nothing;
    if (!editing_) {
        editing_ = true;
        return EditStep::Editing;
    }
    const int answer = s_.ui.messageBox("Save Changes?", core::vbYesNoCancel | core::vbQuestion | core::vbDefaultButton1,
                                        core::kApplicationName);
    if (answer == core::vbCancel) return EditStep::KeepEditing;
    if (answer == core::vbYes) {
        // A refused name stays in the field for correcting, with every other edit.
        if (!savePartner(screen)) return EditStep::KeepEditing;
    } else if (answer != core::vbNo) {
        return EditStep::KeepEditing;
    }
    try {
        reload();
    } catch (...) {
        core::ReportError(s_);
    }
    editing_ = false;
    return EditStep::Shown;
}

bool PartnerEditor::savePartner(PartnerRow screen) {
    screen.partner = text::trim(screen.partner);
    if (auto refusal = checkPartnerName(screen.partner, NameUse::Save)) {
        s_.ui.messageBox(refusal->text, refusal->style, core::kApplicationName);
        return false;
    }
    try {
        const std::int64_t id = ids_.at(pos_);
        if (nameTaken(screen.partner, id)) {
            const Refusal r = duplicatePartnerRefusal(screen.partner);
            s_.ui.messageBox(r.text, r.style, core::kApplicationName);
            return false;
        }
        core::Savepoint savepoint(s_.db, "vt_save_partner");
        auto old = readPartner(s_.db, id);
        if (!old) throw core::noCurrentRecordError();

        auto u = s_.db.prepare(
            "UPDATE Partner SET Partner = ?1, Segment = ?2, element = ?3, Sub = ?4, ISAVersion = ?5, "
            "ISAVersionIndex = ?6, ISA01 = ?7, ISA02 = ?8, ISA03 = ?9, ISA04 = ?10, ISA05 = ?11, ISA06 = ?12, "
            "ISA07 = ?13, ISA08 = ?14, ISA11 = ?15, ISA12 = ?16, ISA13 = coalesce(?17, ISA13), ISA14 = ?18, "
            "ISA15 = ?19, GS02 = ?20, GS03 = ?21, GS06 = coalesce(?22, GS06), GS07 = ?23 WHERE Id = ?24");
        u.bindAll(screen.partner, screen.segment, screen.element, screen.sub, screen.isaVersion, screen.isaVersionIndex,
                  screen.isa01, screen.isa02, screen.isa03, screen.isa04, screen.isa05, screen.isa06, screen.isa07,
                  screen.isa08, screen.isa11, screen.isa12);
        // A control number that is not a number keeps the stored one.
        if (isControlNumberText(screen.isa13)) u.bind(17, text::trim(screen.isa13));
        else u.bindNull(17);
        u.bind(18, screen.isa14).bind(19, screen.isa15).bind(20, screen.gs02).bind(21, screen.gs03);
        if (isControlNumberText(screen.gs06)) u.bind(22, text::trim(screen.gs06));
        else u.bindNull(22);
        u.bind(23, screen.gs07).bind(24, id);
        u.run();

        // The partner's sets and maps follow a new name; folder rows and envelopes keep theirs,
        // as they record what was received and sent.
        if (old->partner != screen.partner) {
            for (const char* sql : {"UPDATE Transactions SET Partner = ?1 WHERE Partner = ?2",
                                    "UPDATE Segment SET Partner = ?1 WHERE Partner = ?2",
                                    "UPDATE Element SET Partner = ?1 WHERE Partner = ?2"}) {
                auto c = s_.db.prepare(sql);
                c.bindAll(screen.partner, old->partner);
                c.run();
            }
        }
        savepoint.release();
        return true;
    } catch (...) {
        core::ReportError(s_);
        return false;
    }
}

bool PartnerEditor::addPartner() {
    if (editing_) return false;
    std::string name;
    for (;;) {
        const auto answer = s_.ui.inputBox("Enter Trading Partner Name:", core::kApplicationName, name);
        if (!answer || answer->empty()) return false;
        name = *answer;
        std::optional<Refusal> refusal = checkPartnerName(name, NameUse::Add);
        try {
            if (!refusal && nameTaken(name, 0)) refusal = duplicatePartnerRefusal(name);
        } catch (...) {
            core::ReportError(s_);
            return false;
        }
        if (!refusal) break;
        s_.ui.messageBox(refusal->text, refusal->style, core::kApplicationName);
        // Asked again with the refused name, for correcting.
    }
    try {
        // Envelopes built before the separators are edited must still be readable.
        auto insert = s_.db.prepare("INSERT INTO Partner (Partner, Segment, element, Sub) VALUES (?1, ?2, ?3, ?4)");
        insert.bindAll(name, int('~'), int('*'), int('>'));
        insert.run();
        const std::int64_t id = s_.db.lastInsertId();
        ids_.push_back(id);
        pos_ = int(ids_.size()) - 1;
        reload();
    } catch (...) {
        core::ReportError(s_);
        return false;
    }
    core::LogHistory(s_, "Info", "Trading Partner Added " + name);
    return true;
}

bool PartnerEditor::removePartner() {
    if (ids_.empty() || editing_) return false;
    const std::string name = row_.partner;
    try {
        auto count = s_.db.prepare("SELECT count(*) FROM Transactions WHERE Partner = ?1 AND Direction = ?2");
        count.bindAll(name, "I");
        count.step();
        const int inbound = count.integer(0);
        count.reset();
        count.bindAll(name, "O");
        count.step();
        const int outbound = count.integer(0);

        const int answer = s_.ui.messageBox(removePartnerWarning(name, inbound, outbound),
                                            core::vbYesNo | core::vbExclamation, core::kApplicationName);
        if (answer != core::vbYes) return false;

        core::Savepoint savepoint(s_.db, "vt_remove_partner");
        for (const char* sql : {"DELETE FROM Transactions WHERE Partner = ?1", "DELETE FROM Segment WHERE Partner = ?1",
                                "DELETE FROM Element WHERE Partner = ?1"}) {
            auto d = s_.db.prepare(sql);
            d.bind(1, name);
            d.run();
        }
        auto d = s_.db.prepare("DELETE FROM Partner WHERE Id = ?1");
        d.bind(1, ids_.at(pos_));
        d.run();
        savepoint.release();
    } catch (...) {
        core::ReportError(s_);
        return false;
    }
    core::LogHistory(s_, "Info", "Trading Partner Removed [" + name + "]");
    try {
        requery();
    } catch (...) {
        core::ReportError(s_);
    }
    for (const char* table : {"Inbox", "Outbox", "Sent", "Recycled"}) s_.ui.folderChanged(table);
    return true;
}

}  // namespace vt::setup
