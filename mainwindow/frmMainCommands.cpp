// The main window's commands on folder items: properties, selection, preview editing and find,
// validation, acknowledgements, moves, recycling, deleting, closing and the column chooser. Each
// menu command has logged its History row before it gets here; the work is the logic's.

#include "mainwindow/frmMain.h"

#include "core/ErrorReporter.h"
#include "folders/Acknowledgement.h"
#include "mainwindow/FolderModel.h"
#include "folders/FolderOperations.h"
#include "folders/PreviewEdit.h"
#include "folders/SelectionFilter.h"
#include "folders/Validation.h"
#include "mainwindow/frmColumns.h"
#include "mainwindow/frmMainIcons.h"
#include "mainwindow/frmProperties.h"
#include "platform/text/AnsiQt.h"

#include <QAction>
#include <QCoreApplication>
#include <QTextEdit>
#include <QTreeView>

namespace vt::mainwindow {

namespace {

bool isLogKey(std::string_view key) { return key == "History" || key == "Exchange"; }

}  // namespace

frmMain::Folder* frmMain::selectedFolder(bool logs) {
    // Node keys are compared exactly.
    const std::string key = selectedNodeKey();
    if (!folders::isItemTable(key) && !(logs && isLogKey(key))) return nullptr;
    for (Folder& f : folders_)
        if (f.table == key) return &f;
    return nullptr;
}

int frmMain::execDialog(QDialog& dialog) { return dialog.exec(); }

// ---- File ----

void frmMain::cmdProperties() {
    if (!frmProperties_)
        frmProperties_ = new frmProperties(services_, [](std::string_view key) { return icons::list(key); }, this);
    Folder* f = selectedFolder(false);
    frmProperties_->Form_Load(f ? f->table : std::string(), f ? folderSelection(f->table).current : std::nullopt);
    execDialog(*frmProperties_);
}

// ---- Edit ----

void frmMain::cmdSelectAll() {
    Folder* f = selectedFolder(true);
    if (!f) return;
    folders::FolderSelection selection = folderSelection(f->table);
    folders::SelectAllItems(selection);
    applySelection(selection);
}

void frmMain::SelectionFilter(std::string_view table) {
    folders::FolderSelection selection = folderSelection(table);
    if (selection.table.empty()) return;
    folders::SelectionFilter(services_, selection);
    applySelection(selection);
}

void frmMain::cmdSelectionFilter() {
    if (Folder* f = selectedFolder(false)) SelectionFilter(f->table);
}

void frmMain::setPreviewEditing(bool editing) {
    QFont font = rtfTSet_->font();
    font.setBold(editing);
    rtfTSet_->setFont(font);
    rtfTSet_->setReadOnly(!editing);
    // The editing aid: the pane's edit menu, and the keyboard in the pane.
    rtfTSet_->setContextMenuPolicy(editing ? Qt::DefaultContextMenu : Qt::NoContextMenu);
    if (editing) rtfTSet_->setFocus();
}

void frmMain::cmdEditData() {
    if (!mnuEditData_->isChecked()) {
        mnuEditData_->setChecked(true);
        setPreviewEditing(true);
        return;
    }
    EditTransactionCommand();
    mnuEditData_->setChecked(false);
}

void frmMain::EditTransactionCommand() {
    logCommand("Selected [Edit] - [Edit Transaction]");
    Folder* f = selectedFolder(false);
    if (!f) return;
    // The text goes back into the row it was read from, whatever is selected now.
    folders::FolderSelection list = folderSelection(f->table);
    list.current.reset();
    if (previewHasRow_ && previewTable_ == f->table) list.current = previewId_;
    const bool edited = rtfTSet_->font().bold();
    switch (folders::EditTransaction(services_, list, previewAnsi(), edited)) {
    case folders::EditResult::Saved:
    case folders::EditResult::Declined:
        setPreviewEditing(false);
        break;
    case folders::EditResult::Failed:
    case folders::EditResult::Refused:
        break;
    }
}

void frmMain::cmdFind() {
    const std::string text = previewAnsi();
    folders::FindInPreview(services_, text, [&](const folders::TextMatch& hit) { selectInPreview(text, hit.offset, hit.length); });
}

void frmMain::cmdDelete() {
    Folder* f = selectedFolder(false);
    if (!f) return;
    if (f->table == "Recycled") folders::DeleteItems(services_, folderSelection(f->table));
    else folders::RecycleItems(services_, folderSelection(f->table));
}

void frmMain::cmdMarkAsClosed() {
    if (Folder* f = selectedFolder(false)) folders::SetStatus(services_, folderSelection(f->table), "Closed");
}

// ---- View ----

void frmMain::cmdColumns() {
    if (!frmColumns_) {
        frmColumns_ = new frmColumns(
            services_,
            [this] {
                static const char* const lists[] = {"Inbox", "Outbox", "Sent", "Recycled"};
                for (const char* t : lists) CreateColumns(t);
                for (const char* t : lists) RefreshBox(t);
            },
            this);
    }
    frmColumns_->Form_Load();
    execDialog(*frmColumns_);
}

// ---- Tools ----

void frmMain::ValidateBox(std::string_view table) {
    const folders::FolderSelection list = folderSelection(table);
    if (list.table.empty() || !folders::isItemTable(list.table)) return;
    folders::ValidationPreview preview;
    validationShown_ = false;
    lastValidationShow_.invalidate();
    preview.show = [this](std::string_view text) {
        // The pane no longer shows the row Edit Data would write into.
        previewHasRow_ = false;
        validationShown_ = !lastValidationShow_.isValid() || lastValidationShow_.elapsed() >= 50;
        if (!validationShown_) return;
        lastValidationShow_.restart();
        validationText_.assign(text);
        QString pane = text::fromAnsi(text);
        pane.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        rtfTSet_->setPlainText(pane);
    };
    preview.select = [this](std::size_t offset, std::size_t length) {
        if (validationShown_) selectInPreview(validationText_, offset, length);
    };
    folders::ValidateBox(services_, list, preview);
}

void frmMain::cmdValidate() {
    if (Folder* f = selectedFolder(false)) ValidateBox(f->table);
}

void frmMain::GenerateAcknowledgement() { folders::GenerateAcknowledgement(services_, folderSelection("Inbox")); }

void frmMain::cmdGenerateAcknowledgement() { GenerateAcknowledgement(); }

void frmMain::cmdMoveToOutbox() { folders::MoveItems(services_, folderSelection("Sent"), "Outbox"); }

void frmMain::cmdMoveToSent() { folders::MoveItems(services_, folderSelection("Outbox"), "Sent"); }

}  // namespace vt::mainwindow
