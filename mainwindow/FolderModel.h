#pragma once
// One folder list as a model: the rows of a folder table in the order of its folder query, each
// tied to its row id, with the values of the list's columns cached for display. The list's
// columns, sort column and order live here too, because the folder query is built from them.

#include "core/FolderQuery.h"
#include "core/UiSink.h"
#include "platform/db/Database.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <cstdint>
#include <functional>
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

    // Reads the whole table again in the list's order. On failure the old rows stay and the
    // error propagates.
    void load(db::Database& db);
    void clear();
    // Appends one log row as the History log shows a freshly written row.
    void appendHistoryItem(const core::HistoryItem& item);

    std::int64_t rowId(int row) const { return rows_.at(size_t(row)).id; }
    // The cached value of a shown column ("" when the list has no such column).
    std::string value(int row, std::string_view key) const;
    // The row's status (transaction sets) or log type, trimmed: the key of its item icon.
    const std::string& iconKey(int row) const { return rows_.at(size_t(row)).iconKey; }

    // Icons come from the main window's image list by key ("Closed", "Yes", "Info", ...).
    using IconProvider = std::function<QIcon(std::string_view key)>;
    void setIconProvider(IconProvider provider) { icons_ = std::move(provider); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        std::int64_t id = 0;
        std::vector<std::string> values;   // one per column, as stored
        std::string iconKey;               // trimmed Status or Type
        std::string ackKey;                // trimmed Acknowledged
    };
    int columnOf(std::string_view key) const;
    bool ackFirst() const;
    QIcon icon(std::string_view key) const;

    std::string table_;
    bool isLog_ = false;
    std::vector<FolderColumn> columns_;
    int sortKey_ = 0;
    int sortOrder_ = 0;
    std::vector<Row> rows_;
    IconProvider icons_;
};

}  // namespace vt::mainwindow
