// The six folder lists: filling them, the preview, sorting, the selection as operations see it,
// and the lists' own mouse and keyboard events.

#include "mainwindow/frmMain.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "mainwindow/FolderModel.h"
#include "folders/PreviewEdit.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Text.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeView>

namespace vt::mainwindow {

namespace {

// The acknowledgement column is an icon and nothing else.
constexpr int kAckWidth = 270;

// Text with CR LF line ends for a text widget, which ends a line with one character.
QString paneText(std::string_view text) {
    QString s = text::fromAnsi(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

}  // namespace

// ---- Selection ----

int frmMain::selectedRow(const Folder& f) const {
    QItemSelectionModel* sel = f.view->selectionModel();
    if (!sel) return -1;
    const QModelIndex current = sel->currentIndex();
    if (current.isValid() && sel->isRowSelected(current.row(), {})) return current.row();
    return firstSelectedRow(f);
}

int frmMain::firstSelectedRow(const Folder& f) const {
    QItemSelectionModel* sel = f.view->selectionModel();
    if (!sel) return -1;
    int first = -1;
    for (const QItemSelectionRange& r : sel->selection())
        if (first < 0 || r.top() < first) first = r.top();
    return first;
}

void frmMain::selectRow(Folder& f, int row) {
    const QModelIndex index = f.model->index(row, 0);
    f.view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    f.view->scrollTo(index);
}

int frmMain::CountSelected(std::string_view table) const {
    const Folder* f = folder(table);
    if (!f) return 0;
    // Rows, not ranges: a row selected twice is one selected item.
    return int(f->view->selectionModel()->selectedRows().size());
}

folders::FolderSelection frmMain::folderSelection(std::string_view table) const {
    folders::FolderSelection s;
    const Folder* f = folder(table);
    if (!f) return s;
    s.table = f->table;
    s.ids = f->model->rowIds();
    s.selected.assign(s.ids.size(), false);
    for (const QItemSelectionRange& r : f->view->selectionModel()->selection())
        for (int row = std::max(r.top(), 0); row <= r.bottom() && row < int(s.ids.size()); ++row)
            s.selected[size_t(row)] = true;
    const int current = selectedRow(*f);
    if (current >= 0 && current < int(s.ids.size())) s.current = s.ids[size_t(current)];
    return s;
}

void frmMain::applySelection(const folders::FolderSelection& selection) {
    Folder* f = folder(selection.table);
    if (!f) return;
    const int rows = f->model->rowCount();
    const int columns = std::max(1, f->model->columnCount());
    QItemSelection ranges;
    const int n = std::min({rows, int(selection.selected.size()), int(selection.ids.size())});
    for (int row = 0; row < n;) {
        // The selection describes the rows the list showed; a refresh since leaves it unapplied.
        if (selection.ids[size_t(row)] != f->model->rowId(row)) return;
        if (!selection.selected[size_t(row)]) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < n && selection.selected[size_t(last + 1)] &&
               selection.ids[size_t(last + 1)] == f->model->rowId(last + 1))
            ++last;
        ranges.select(f->model->index(row, 0), f->model->index(last, columns - 1));
        row = last + 1;
    }
    f->view->selectionModel()->select(ranges, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// ---- Refresh ----

void frmMain::RefreshBox(std::string_view table) {
    Folder* f = folder(table);
    if (!f) return;
    if (refreshing_) {
        // A change made while a list is being filled must still show.
        f->refreshPending = true;
        return;
    }
    refreshing_ = true;
    refreshList(*f);
    for (;;) {
        Folder* next = nullptr;
        for (Folder& g : folders_)
            if (g.refreshPending) {
                next = &g;
                break;
            }
        if (!next) break;
        next->refreshPending = false;
        refreshList(*next);
    }
    refreshing_ = false;
}

void frmMain::refreshList(Folder& f) {
    try {
        // The first selected item, not the one clicked last: the refresh keeps the upper one.
        int remembered = firstSelectedRow(f);
        if (remembered < 0) remembered = f.keepRow;
        f.keepRow = -1;
        ++remembered;   // a position counted from 1, 0 for none
        BuildSortMenu(f);
        // A query that cannot be built leaves the old items in place.
        core::BuildBoxQuery(f.model->folderList());
        f.model->clear();
        const bool shown = !f.view->isHidden();
        if (shown) {
            txtMessage_->setText(QStringLiteral("Generating View"));
            txtMessage_->show();
            txtMessage_->raise();
        }
        QCoreApplication::processEvents();
        f.model->load(core::gConnection());
        hideGeneratingView();

        const int count = f.model->rowCount();
        if (count > 0) selectRow(f, remembered >= 2 ? std::min(remembered, count) - 1 : 0);
        setFolderNodeText(f.table, f.table + " (" + std::to_string(count) + ")");
        // The folder on view may have changed while the list was being filled.
        if (!f.model->isLog() && !f.view->isHidden()) ShowPreview(f);
        f.view->viewport()->update();
    } catch (...) {
        hideGeneratingView();
        core::ReportError(services_);
    }
}

// Only the refresh's own message: "There are no Items in this view." of the folder on view
// stays while another list is filled.
void frmMain::hideGeneratingView() {
    if (txtMessage_->text() == QLatin1String("Generating View")) txtMessage_->hide();
}

void frmMain::ShowPreview(Folder& f) {
    const int row = selectedRow(f);
    if (row < 0) {
        txtMessage_->setText(QStringLiteral("There are no Items in this view."));
        txtMessage_->show();
        txtMessage_->raise();
        rtfTSet_->clear();
        previewHasRow_ = false;
        SetCommandState(false);
        return;
    }
    txtMessage_->hide();
    SetCommandState(true);
    try {
        const std::int64_t id = f.model->rowId(row);
        auto st = core::gConnection().prepare("SELECT \"TSet\", \"Partner\" FROM \"" + std::string(folders::itemTable(f.table)) +
                                              "\" WHERE \"Id\" = ?1");
        st.bind(1, id);
        std::string tset, partner;
        if (st.step()) {
            tset = st.text(0);
            partner = st.text(1);
        }
        const std::string terminator = core::GetSegmentTerminator(services_, partner);
        rtfTSet_->setPlainText(paneText(folders::PreviewText(tset, terminator)));
        previewTable_ = f.table;
        previewId_ = id;
        previewHasRow_ = true;
    } catch (...) {
        core::ReportError(services_);
    }
}

std::string frmMain::previewAnsi() const {
    QString s = rtfTSet_->toPlainText();
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text::toAnsi(s);
}

void frmMain::selectInPreview(std::string_view text, std::size_t offset, std::size_t length) {
    // The widget ends a line with one character where the text has two.
    auto position = [&](std::size_t at) {
        at = std::min(at, text.size());
        std::size_t pairs = 0;
        for (std::size_t i = 0; i + 1 < at; ++i)
            if (text[i] == '\r' && text[i + 1] == '\n') ++pairs;
        return int(at - pairs);
    };
    QTextCursor cursor(rtfTSet_->document());
    cursor.setPosition(position(offset));
    cursor.setPosition(position(offset + length), QTextCursor::KeepAnchor);
    rtfTSet_->setTextCursor(cursor);
    rtfTSet_->ensureCursorVisible();
}

bool frmMain::previewEditing() const { return rtfTSet_->font().bold() && !rtfTSet_->isReadOnly(); }

// ---- Sorting ----

void frmMain::ShowHeaderIcon(std::string_view table, int column, int order, bool show) {
    Folder* f = folder(table);
    if (!f) return;
    QHeaderView* header = f->view->header();
    // The header has one arrow: showing it on a column moves it there.
    if (show) {
        header->setSortIndicator(column, order == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        header->setSortIndicatorShown(true);
    } else if (header->sortIndicatorSection() == column) {
        header->setSortIndicatorShown(false);
    }
}

void frmMain::SortAscending(Folder& f) {
    if (f.model->sortOrder() == 0) return;
    f.model->setSort(f.model->sortKey(), 0);
    RefreshBox(f.table);
}

void frmMain::SortDescending(Folder& f) {
    if (f.model->sortOrder() == 1) return;
    f.model->setSort(f.model->sortKey(), 1);
    RefreshBox(f.table);
}

void frmMain::SortByColumn(Folder& f, int column) {
    if (f.model->sortKey() == column) return;
    // An entry of a menu built for a wider list names no column of this one.
    if (column < 0 || column >= f.model->columnCount()) return;
    f.model->setSort(column, f.model->sortOrder());
    RefreshBox(f.table);
}

void frmMain::cmdSortAscending() {
    if (Folder* f = selectedFolder(true)) SortAscending(*f);
}

void frmMain::cmdSortDescending() {
    if (Folder* f = selectedFolder(true)) SortDescending(*f);
}

void frmMain::cmdSortByColumn(int index) {
    if (Folder* f = selectedFolder(true)) SortByColumn(*f, index);
}

// ---- List events ----

void frmMain::widthFix(Folder& f, bool always) {
    if (f.model->isLog() || !f.model->ackFirst()) return;
    QHeaderView* header = f.view->header();
    if (always || tw(header->sectionSize(0)) != kAckWidth) header->resizeSection(0, px(kAckWidth));
}

void frmMain::lvw_ColumnClick(std::string_view table, int column) {
    Folder* f = folder(table);
    if (!f) return;
    widthFix(*f, false);
    if (f->model->sortKey() != column) f->model->setSort(column, f->model->sortOrder());
    else f->model->setSort(column, f->model->sortOrder() == 0 ? 1 : 0);
    RefreshBox(f->table);
}

void frmMain::lvw_ItemClick(std::string_view table, int) {
    Folder* f = folder(table);
    if (!f || f->model->isLog()) return;
    widthFix(*f, true);
    if (CountSelected(f->table) == 1) ShowPreview(*f);
}

void frmMain::lvw_MouseDown(std::string_view table, int button, const QPoint& at) {
    Folder* f = folder(table);
    if (!f || f->model->isLog()) return;
    if (CountSelected(f->table) == 0) {
        f->view->setSelectionMode(QAbstractItemView::SingleSelection);
        return;
    }
    f->view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    if (button == 2 && mnuPopup_) mnuPopup_->exec(f->view->viewport()->mapToGlobal(at));
    widthFix(*f, true);
}

void frmMain::lvw_KeyDown(std::string_view table, int keyCode) {
    Folder* f = folder(table);
    if (!f) return;
    if (keyCode == 46 && !f->model->isLog()) runCommand("mnuDelete");
    else if (keyCode == 116) RefreshBox(f->table);
}

}  // namespace vt::mainwindow
