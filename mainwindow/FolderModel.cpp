#include "mainwindow/FolderModel.h"

#include "platform/text/AnsiQt.h"
#include "platform/text/Text.h"

namespace vt::mainwindow {

namespace {

bool isLogTable(std::string_view table) {
    return text::equalsNoCase(table, "History") || text::equalsNoCase(table, "Exchange");
}

}  // namespace

FolderModel::FolderModel(std::string table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table)), isLog_(isLogTable(table_)) {}

void FolderModel::setColumns(std::vector<FolderColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    rows_.clear();
    endResetModel();
}

void FolderModel::setSort(int sortKey, int sortOrder) {
    sortKey_ = sortKey;
    sortOrder_ = sortOrder;
}

core::FolderList FolderModel::folderList() const {
    core::FolderList list;
    list.table = table_;
    for (const auto& c : columns_) list.columnKeys.push_back(c.key);
    list.sortKey = sortKey_;
    list.sortOrder = sortOrder_;
    return list;
}

void FolderModel::load(db::Database& db) {
    db::Statement st = core::BuildBoxQuery(folderList()).prepare(db);
    const int idCol = st.columnIndex(isLog_ ? "Index" : "Id");
    const int iconCol = st.columnIndex(isLog_ ? "Type" : "Status");
    const int ackCol = isLog_ ? -1 : st.columnIndex("Acknowledged");
    std::vector<int> fieldCols;
    fieldCols.reserve(columns_.size());
    for (const auto& c : columns_) fieldCols.push_back(st.columnIndex(c.key));

    const int typeColumn = columnOf("Type");
    std::vector<Row> rows;
    while (st.step()) {
        Row r;
        r.id = idCol >= 0 ? st.int64(idCol) : 0;
        r.values.reserve(fieldCols.size());
        for (int col : fieldCols) r.values.push_back(col >= 0 ? st.text(col) : std::string());
        if (iconCol >= 0) r.iconKey = text::trim(st.text(iconCol));
        // A stored log row shows its type trimmed, as its icon key.
        if (isLog_ && typeColumn >= 0) r.values[size_t(typeColumn)] = r.iconKey;
        if (ackCol >= 0) r.ackKey = text::trim(st.text(ackCol));
        rows.push_back(std::move(r));
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void FolderModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void FolderModel::appendHistoryItem(const core::HistoryItem& item) {
    Row r;
    r.id = item.index;
    for (const auto& c : columns_) {
        const std::string& k = c.key;
        if (k == "Type") r.values.push_back(item.type);
        else if (k == "Index") r.values.push_back(std::to_string(item.index));
        else if (k == "Date") r.values.push_back(item.date);
        else if (k == "Time") r.values.push_back(item.time);
        else if (k == "User") r.values.push_back(item.user);
        else if (k == "Description") r.values.push_back(item.description);
        else r.values.emplace_back();
    }
    r.iconKey = item.icon;
    const int at = int(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(r));
    endInsertRows();
}

std::string FolderModel::value(int row, std::string_view key) const {
    const int col = columnOf(key);
    return col < 0 ? std::string() : rows_.at(size_t(row)).values.at(size_t(col));
}

int FolderModel::columnOf(std::string_view key) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (text::equalsNoCase(columns_[i].key, key)) return int(i);
    return -1;
}

bool FolderModel::ackFirst() const { return !isLog_ && !columns_.empty() && columns_[0].key == "Acknowledged"; }

QIcon FolderModel::icon(std::string_view key) const { return icons_ ? icons_(key) : QIcon(); }

int FolderModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int FolderModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()) || index.column() >= int(columns_.size()))
        return {};
    const Row& r = rows_[size_t(index.row())];
    const int col = index.column();
    const bool ackColumn = ackFirst() && col == 0;
    switch (role) {
    case Qt::DisplayRole:
        if (ackColumn) return {};
        return text::fromAnsi(r.values[size_t(col)]);
    case Qt::DecorationRole:
        if (ackColumn) return icon(r.ackKey);
        // The status icon stands in the first field column.
        if (col == (ackFirst() ? 1 : 0)) return icon(r.iconKey);
        return {};
    case Qt::ToolTipRole:
        if (ackColumn) return text::fromAnsi(r.ackKey);
        return {};
    default:
        return {};
    }
}

QVariant FolderModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size())) return {};
    const bool ackColumn = ackFirst() && section == 0;
    switch (role) {
    case Qt::DisplayRole:
        return text::fromAnsi(columns_[size_t(section)].caption);
    case Qt::DecorationRole:
        return ackColumn ? QVariant(icon("Void")) : QVariant();
    case Qt::ToolTipRole:
        return ackColumn ? QVariant(QStringLiteral("Acknowledged")) : QVariant();
    default:
        return {};
    }
}

}  // namespace vt::mainwindow
