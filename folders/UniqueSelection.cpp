#include "folders/UniqueSelection.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/Savepoint.h"
#include "core/UiSink.h"
#include "platform/db/Database.h"

#include <algorithm>
#include <unordered_set>

namespace vt::folders {

std::string SelectionKind::text() const { return partner + "," + transaction + "," + version + "," + direction; }

std::string SelectionKind::key() const { return partner + "_" + transaction + "_" + version + "_" + direction; }

std::optional<SelectionKind> UniqueSelection(const core::Services& s, const FolderSelection& list) {
    if (!list.current) return std::nullopt;
    try {
        const std::string table(itemTable(list.table));
        auto& row = s.db.cached("SELECT Partner, \"Transaction\", Version, Direction FROM \"" + table +
                                "\" WHERE Id = ?1");
        SelectionKind kind;
        bool taken = false;
        // One read transaction: the file is locked and checked once, not once per row.
        core::Savepoint reading(s.db, "unique_selection");
        const std::size_t n = std::min(list.ids.size(), list.selected.size());
        for (std::size_t i = 0; i < n; ++i) {
            if (!list.selected[i]) continue;
            row.reset();
            row.bind(1, list.ids[i]);
            // A row deleted since the list was filled has no values, and values never differ.
            if (!row.step()) continue;
            SelectionKind here{row.text(0), row.text(1), row.text(2), row.text(3)};
            if (taken && !(here == kind)) {
                row.reset();
                reading.release();
                core::ShowNotice(s,
                                 "Unique selection is required!\r\n\r\nPartner + Transaction + Version\r\n" +
                                     kind.partner + "_" + kind.transaction + "_" + kind.version,
                                 core::vbExclamation | core::vbOKOnly);
                return std::nullopt;
            }
            kind = std::move(here);
            taken = true;
        }
        row.reset();
        reading.release();
        return kind;
    } catch (...) {
        core::ReportError(s);
        return std::nullopt;
    }
}

std::string IsSelectionUnique(const core::Services& s, const FolderSelection& list) {
    const auto kind = UniqueSelection(s, list);
    return kind ? kind->text() : std::string();
}

bool MakeUniqueSelection(const core::Services& s, FolderSelection& list, std::string_view partner,
                         std::string_view transaction, std::string_view version, std::string_view direction) {
    try {
        const std::string table(itemTable(list.table));
        // The columns compare without case; the kind is matched exactly.
        auto q = s.db.prepare("SELECT Id FROM \"" + table +
                              "\" WHERE Partner = ?1 COLLATE BINARY AND \"Transaction\" = ?2 COLLATE BINARY"
                              " AND Version = ?3 COLLATE BINARY AND Direction = ?4 COLLATE BINARY");
        q.bindAll(partner, transaction, version, direction);
        std::unordered_set<std::int64_t> matching;
        while (q.step()) matching.insert(q.int64(0));

        list.selected.resize(list.ids.size());
        bool any = false;
        for (std::size_t i = 0; i < list.ids.size(); ++i) {
            const bool match = matching.count(list.ids[i]) != 0;
            list.selected[i] = match;
            any = any || match;
        }
        return any;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

}  // namespace vt::folders
