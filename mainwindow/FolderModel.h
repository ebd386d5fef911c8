#pragma once
// One folder list as a model: the rows of a folder table in the order of its folder query, each
// tied to its row id, with the values of the list's columns cached for display. The list's
// columns, sort column and order live here too, because the folder query is built from them.
//
// A folder may hold a hundred thousand rows, so a row costs an id, two icon bytes and its shown
// texts in one shared buffer; nothing else of the table (the set's text least of all) is read.

#include "core/FolderQuery.h"
#include "core/UiSink.h"
#include "platform/db/Database.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::mainwindow {

struct FolderColumn {
    std::string key;       // the table field the column shows (the header's key)
    std::string caption;   // the header text ("" for the icon-only acknowledgement column)
};

class FolderModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // `table` is the list's folder table and settings section: "Inbox" ... "Exchange".
    explicit FolderModel(std::string table, QObject* parent = nullptr);

    const std::string& table() const { return table_; }
    // History and Exchange: log rows instead of transaction sets.
    bool isLog() const { return isLog_; }

    // Replaces the header row; the rows are dropped until the next load.
    void setColumns(std::vector<FolderColumn> columns);
    const std::vector<FolderColumn>& columns() const { return columns_; }
    int sortKey() const { return sortKey_; }
    int sortOrder() const { return sortOrder_; }
    void setSort(int sortKey, int sortOrder);
    // What BuildBoxQuery needs of this list.
    core::FolderList folderList() const;
    // True when the first column is the icon-only acknowledgement column.
    bool ackFirst() const;

    // Reads the whole table again in the list's order. On failure the old rows stay and the
    // error propagates.
    void load(db::Database& db);
    void clear();
    // Appends one log row as the History log shows a freshly written row.
    void appendHistoryItem(const core::HistoryItem& item);

    std::int64_t rowId(int row) const { return rows_.ids.at(size_t(row)); }
    // Row ids in list order.
    const std::vector<std::int64_t>& rowIds() const { return rows_.ids; }
    // The cached value of a shown column ("" when the list has no such column).
    std::string value(int row, std::string_view key) const;
    // The row's status (transaction sets) or log type, trimmed, when it names a list image;
    // "" otherwise. The key of its item icon.
    std::string_view iconKey(int row) const;
    // The row's Acknowledged, trimmed, when it names a list image; "" otherwise.
    std::string_view ackKey(int row) const;

    // Icons come from the main window's image list by key ("Closed", "Yes", "Info", ...).
    using IconProvider = std::function<QIcon(std::string_view key)>;
    void setIconProvider(IconProvider provider);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Cell (r, c) of n columns is pool[cellEnd[r * n + c - 1], cellEnd[r * n + c]), from 0 for the first.
    struct Rows {
        std::vector<std::int64_t> ids;
        std::vector<std::uint8_t> icon, ack;   // indexes into the image keys, 0 for none
        std::string pool;
        std::vector<std::uint32_t> cellEnd;
        void clear();
        void reserve(size_t rows, size_t columns);
    };
    int columnOf(std::string_view key) const;
    std::string_view cell(int row, int column) const;
    QIcon icon(std::uint8_t key) const;
    void adopt(Rows&& rows);

    std::string table_;
    bool isLog_ = false;
    std::vector<FolderColumn> columns_;
    int sortKey_ = 0;
    int sortOrder_ = 0;
    Rows rows_;
    IconProvider icons_;
    mutable std::array<std::optional<QIcon>, 11> iconCache_;
};

}  // namespace vt::mainwindow
