#include "folders/FolderOperations.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "core/Savepoint.h"
#include "core/UiSink.h"
#include "folders/Progress.h"
#include "platform/db/Database.h"

#include <optional>
#include <string>

namespace vt::folders {

namespace {

constexpr const char* kItemFields =
    "Partner, \"Transaction\", Version, Direction, \"Date\", \"Time\", Used, InterchangeControlNumber, "
    "GroupControlNumber, FunctionalGroup, SenderID, SenderDivision, ReceiverID, ReceiverDivision, Acknowledged, "
    "Status, TSet";

// Copies the selected rows into `to` and deletes them from `from`, all or nothing.
void transferRows(const core::Services& s, const FolderSelection& list, const std::string& from,
                  const std::string& to, ItemProgress& progress) {
    core::Savepoint batch(s.db, "move_items");
    // One row a statement: OR FAIL spares each a statement journal; the savepoint undoes them all.
    auto& copy = s.db.cached(std::string("INSERT OR FAIL INTO \"") + to + "\" (" + kItemFields + ") SELECT " + kItemFields +
                             " FROM \"" + from + "\" WHERE Id = ?1");
    auto& remove = s.db.cached("DELETE FROM \"" + from + "\" WHERE Id = ?1");
    std::int64_t k = 0;
    for (std::int64_t id : list.selectedIds()) {
        copy.reset();
        copy.bind(1, id);
        copy.run();
        remove.reset();
        remove.bind(1, id);
        remove.run();
        progress.show(++k);
        progress.tick();
    }
    batch.release();
}

void moveRows(const core::Services& s, const FolderSelection& source, const std::string& from,
              const std::string& to, const std::string& question, const std::string& logText, bool recycled) {
    const std::int64_t n = std::int64_t(source.selectedCount());
    if (!Confirm(s, question, core::vbQuestion)) return;
    FolderCommand running;
    ItemProgress progress(s.ui, n, ItemProgress::Rounding::HalfAwayFromZero);
    try {
        // An empty folder has no first record to start from.
        if (source.ids.empty()) throw core::noCurrentRecordError();
        transferRows(s, source, from, to, progress);
    } catch (...) {
        progress.finish();
        core::ReportError(s);
        return;
    }
    core::LogHistory(s, "Info", logText);
    if (recycled) {
        s.ui.folderChanged(to);
        s.ui.folderChanged(from);
    } else {
        s.ui.folderChanged(from);
        s.ui.folderChanged(to);
    }
    progress.finish();
}

}  // namespace

void MoveItems(const core::Services& s, const FolderSelection& source, std::string_view destination) {
    if (RefuseWhileBusy(s)) return;
    std::string from, to;
    try {
        from = itemTable(source.table);
        to = itemTable(destination);
        if (from == to) throw core::invalidCallError();
    } catch (...) {
        core::ReportError(s);
        return;
    }
    const std::string n = std::to_string(source.selectedCount());
    moveRows(s, source, from, to,
             "Are you sure you want to move these " + n + " " + from + " Item(s) to the " + to + "\r\n",
             n + " " + from + " Item(s) moved to the " + to, false);
}

void RecycleItems(const core::Services& s, const FolderSelection& source) {
    if (RefuseWhileBusy(s)) return;
    std::string from;
    try {
        from = itemTable(source.table);
        if (from == "Recycled") throw core::invalidCallError();
    } catch (...) {
        core::ReportError(s);
        return;
    }
    const std::string n = std::to_string(source.selectedCount());
    moveRows(s, source, from, "Recycled",
             "Are you sure you want to send these " + n + " Item(s) to the Recycled folder \r\n",
             n + " " + from + " Item(s) Recycled", true);
}

void DeleteItems(const core::Services& s, const FolderSelection& list) {
    if (!list.anySelected()) return;
    if (RefuseWhileBusy(s)) return;
    const std::int64_t n = std::int64_t(list.selectedCount());
    const std::string count = std::to_string(n);
    if (!Confirm(s, "You are about to delete " + count + " Item(s).\r\nAre you sure you want to delete these Item(s)?",
                 core::vbQuestion))
        return;
    FolderCommand running;
    ItemProgress progress(s.ui, n, ItemProgress::Rounding::HalfAwayFromZero);
    std::string table;
    try {
        table = itemTable(list.table);
        core::Savepoint batch(s.db, "delete_items");
        auto& remove = s.db.cached("DELETE FROM \"" + table + "\" WHERE Id = ?1");
        std::int64_t k = 0;
        for (std::int64_t id : list.selectedIds()) {
            remove.reset();
            remove.bind(1, id);
            remove.run();
            progress.show(++k);
            progress.tick();
        }
        batch.release();
    } catch (...) {
        progress.finish();
        core::ReportError(s);
        return;
    }
    s.ui.folderChanged(table);
    core::LogHistory(s, "Info", count + " Item(s) deleted ");
    progress.finish();
}

void SetStatus(const core::Services& s, const FolderSelection& list, std::string_view value) {
    if (RefuseWhileBusy(s)) return;
    FolderCommand running;
    try {
        SetFieldOfSelected(s, list, SelectedField::Status, value);
    } catch (...) {
        core::ReportError(s);
    }
}

void SetFieldOfSelected(const core::Services& s, const FolderSelection& list, SelectedField field,
                        std::string_view value) {
    const std::string table(itemTable(list.table));
    if (list.ids.empty()) throw core::noCurrentRecordError();
    core::Savepoint batch(s.db, "set_selected_field");
    // A one-row statement has nothing of its own to undo: OR FAIL spares it a statement journal.
    auto& update = s.db.cached("UPDATE OR FAIL \"" + table + "\" SET " +
                               (field == SelectedField::Status ? "Status" : "Acknowledged") + " = ?1 WHERE Id = ?2");
    for (std::int64_t id : list.selectedIds()) {
        update.reset();
        update.bindAll(value, id);
        update.run();
    }
    batch.release();
    s.ui.folderChanged(table);
}

}  // namespace vt::folders
