#include "mainwindow/FolderModel.h"

#include "core/RunError.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Text.h"

#include <limits>

namespace vt::mainwindow {

namespace {

// The keyed images of the lists' image list; index 0 stands for a value that names none.
constexpr std::array<std::string_view, 11> kImageKeys = {"",     "Closed",  "Opened", "Validated", "Exported", "Info",
                                                         "Warning", "Error", "Yes",    "Void",      "No"};

bool isLogTable(std::string_view table) {
    return text::equalsNoCase(table, "History") || text::equalsNoCase(table, "Exchange");
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Image keys are compared exactly, as the image list looks its keys up.
std::uint8_t imageOf(std::string_view value) {
    const std::string_view key = trimBlanks(value);
    if (key.empty()) return 0;
    for (size_t i = 1; i < kImageKeys.size(); ++i)
        if (kImageKeys[i] == key) return std::uint8_t(i);
    return 0;
}

std::string dq(std::string_view name) { return "\"" + std::string(name) + "\""; }

}  // namespace

void FolderModel::Rows::clear() {
    ids.clear();
    icon.clear();
    ack.clear();
    pool.clear();
    cellEnd.clear();
}

void FolderModel::Rows::reserve(size_t rows, size_t columns) {
    ids.reserve(rows);
    icon.reserve(rows);
    ack.reserve(rows);
    cellEnd.reserve(rows * columns);
    pool.reserve(rows * columns * 8);
}

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

bool FolderModel::ackFirst() const { return !isLog_ && !columns_.empty() && columns_[0].key == "Acknowledged"; }

void FolderModel::setIconProvider(IconProvider provider) {
    icons_ = std::move(provider);
    iconCache_ = {};
}

void FolderModel::load(db::Database& db) {
    core::BoxQuery query = core::BuildBoxQuery(folderList());
    // The folder query's order, over only the fields the list shows.
    const auto fields = core::folderTableFields(table_);
    std::string select = "SELECT " + dq(isLog_ ? "Index" : "Id") + ", " + dq(isLog_ ? "Type" : "Status") +
                         ", " + (isLog_ ? std::string("''") : dq("Acknowledged"));
    int typeColumn = -1;
    for (size_t c = 0; c < columns_.size(); ++c) {
        std::string_view field;
        for (std::string_view f : fields)
            if (text::equalsNoCase(f, columns_[c].key)) field = f;
        select += ", " + (field.empty() ? std::string("''") : dq(field));
        if (isLog_ && field == "Type") typeColumn = int(c);
    }
    constexpr std::string_view kAll = "SELECT *";
    if (query.sql.compare(0, kAll.size(), kAll) != 0) throw core::invalidCallError();
    query.sql.replace(0, kAll.size(), select);
    // Reading the whole table through an index on the sort field fetches the rows in index
    // order, one scattered page at a time; a scan and a sort is several times faster and gives
    // the same order.
    const std::string from = " FROM " + dq(table_) + " ORDER BY ";
    if (const size_t at = query.sql.find(from); at != std::string::npos)
        query.sql.insert(at + from.size() - std::string_view(" ORDER BY ").size(), " NOT INDEXED");
    db::Statement st = query.prepare(db);

    const int n = int(columns_.size());
    Rows rows;
    rows.reserve(rows_.ids.size(), size_t(n));
    while (st.step()) {
        rows.ids.push_back(st.int64(0));
        const std::string icon = st.text(1);
        rows.icon.push_back(imageOf(icon));
        rows.ack.push_back(isLog_ ? 0 : imageOf(st.text(2)));
        for (int c = 0; c < n; ++c) {
            // A log row shows its type trimmed, as its icon key.
            if (c == typeColumn) rows.pool.append(trimBlanks(icon));
            else rows.pool.append(st.text(c + 3));
            if (rows.pool.size() > std::numeric_limits<std::uint32_t>::max()) throw core::RunError(7, "Out of memory");
            rows.cellEnd.push_back(std::uint32_t(rows.pool.size()));
        }
    }
    adopt(std::move(rows));
}

void FolderModel::adopt(Rows&& rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void FolderModel::clear() { adopt(Rows()); }

void FolderModel::appendHistoryItem(const core::HistoryItem& item) {
    const int at = int(rows_.ids.size());
    beginInsertRows({}, at, at);
    rows_.ids.push_back(item.index);
    rows_.icon.push_back(imageOf(item.icon));
    rows_.ack.push_back(0);
    for (const auto& c : columns_) {
        const std::string& k = c.key;
        if (k == "Type") rows_.pool += item.type;
        else if (k == "Index") rows_.pool += std::to_string(item.index);
        else if (k == "Date") rows_.pool += item.date;
        else if (k == "Time") rows_.pool += item.time;
        else if (k == "User") rows_.pool += item.user;
        else if (k == "Description") rows_.pool += item.description;
        rows_.cellEnd.push_back(std::uint32_t(rows_.pool.size()));
    }
    endInsertRows();
}

std::string_view FolderModel::cell(int row, int column) const {
    const size_t at = size_t(row) * columns_.size() + size_t(column);
    const size_t begin = at == 0 ? 0 : rows_.cellEnd[at - 1];
    return std::string_view(rows_.pool).substr(begin, rows_.cellEnd[at] - begin);
}

std::string FolderModel::value(int row, std::string_view key) const {
    if (row < 0 || size_t(row) >= rows_.ids.size()) throw core::subscriptError();
    const int col = columnOf(key);
    return col < 0 ? std::string() : std::string(cell(row, col));
}

std::string_view FolderModel::iconKey(int row) const { return kImageKeys[rows_.icon.at(size_t(row))]; }
std::string_view FolderModel::ackKey(int row) const { return kImageKeys[rows_.ack.at(size_t(row))]; }

int FolderModel::columnOf(std::string_view key) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (text::equalsNoCase(columns_[i].key, key)) return int(i);
    return -1;
}

QIcon FolderModel::icon(std::uint8_t key) const {
    if (key == 0 || key >= kImageKeys.size() || !icons_) return {};
    auto& cached = iconCache_[key];
    if (!cached) cached = icons_(kImageKeys[key]);
    return *cached;
}

int FolderModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.ids.size()); }

int FolderModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.ids.size()) || index.column() >= int(columns_.size()))
        return {};
    const size_t row = size_t(index.row());
    const int col = index.column();
    const bool ackColumn = ackFirst() && col == 0;
    switch (role) {
    case Qt::DisplayRole:
        if (ackColumn) return {};
        return text::fromAnsi(cell(index.row(), col));
    case Qt::DecorationRole:
        if (ackColumn) return icon(rows_.ack[row]);
        // The status icon stands in the first field column.
        if (col == (ackFirst() ? 1 : 0)) return icon(rows_.icon[row]);
        return {};
    case Qt::ToolTipRole:
        if (ackColumn) return text::fromAnsi(kImageKeys[rows_.ack[row]]);
        // A log's description is often longer than its column; the whole text shows on hover.
        if (isLog_ && columns_[size_t(col)].key == "Description") return text::fromAnsi(cell(index.row(), col));
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
        return ackColumn ? QVariant(icon(imageOf("Void"))) : QVariant();
    case Qt::ToolTipRole:
        return ackColumn ? QVariant(QStringLiteral("Acknowledged")) : QVariant();
    default:
        return {};
    }
}

}  // namespace vt::mainwindow
