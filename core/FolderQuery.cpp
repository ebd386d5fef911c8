#include "core/FolderQuery.h"

#include "core/RunError.h"
#include "platform/text/Text.h"

#include <array>

namespace vt::core {

namespace {

constexpr std::array<std::string_view, 17> kItemFields = {
    "Partner",   "Transaction",   "Version",   "Direction",        "Date",
    "Time",      "Used",          "InterchangeControlNumber",     "GroupControlNumber",
    "FunctionalGroup",            "SenderID",  "SenderDivision",   "ReceiverID",
    "ReceiverDivision",           "Acknowledged", "Status",        "TSet"};
constexpr std::array<std::string_view, 6> kLogFields = {"Index", "Type", "Date", "Time", "User", "Description"};

struct Folder {
    std::string_view table;
    std::span<const std::string_view> fields;
    std::string_view rowKey;
};

constexpr std::array<Folder, 6> kFolders = {{
    {"Inbox", kItemFields, "Id"},
    {"Outbox", kItemFields, "Id"},
    {"Sent", kItemFields, "Id"},
    {"Recycled", kItemFields, "Id"},
    {"History", kLogFields, "Index"},
    {"Exchange", kLogFields, "Index"},
}};

const Folder* findFolder(std::string_view table) {
    for (const Folder& f : kFolders)
        if (text::equalsNoCase(f.table, table)) return &f;
    return nullptr;
}

std::string quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

}  // namespace

std::span<const std::string_view> folderTableFields(std::string_view table) {
    const Folder* f = findFolder(table);
    return f ? f->fields : std::span<const std::string_view>();
}

BoxQuery BuildBoxQuery(const FolderList& list) {
    const Folder* folder = findFolder(list.table);
    if (!folder) throw invalidCallError();
    if (list.sortKey < 0 || list.sortKey >= int(list.columnKeys.size())) throw subscriptError();
    const std::string& key = list.columnKeys[size_t(list.sortKey)];
    std::string_view field;
    for (std::string_view f : folder->fields)
        if (text::equalsNoCase(f, key)) field = f;
    if (field.empty()) throw invalidCallError();

    BoxQuery q;
    q.sql = "SELECT * FROM " + quoted(folder->table) + " ORDER BY " + quoted(field) +
            (list.sortOrder == 0 ? " ASC" : " DESC");
    if (field != folder->rowKey) q.sql += ", " + quoted(folder->rowKey);
    return q;
}

db::Statement BoxQuery::prepare(db::Database& db) const {
    db::Statement st = db.prepare(sql);
    for (size_t i = 0; i < values.size(); ++i) st.bind(int(i + 1), values[i]);
    return st;
}

}  // namespace vt::core
