#include "setup/frmOptions.h"

#include "core/UiSink.h"
#include "folders/SelectionFilter.h"
#include "platform/text/AnsiQt.h"
#include "setup/SetupSettings.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vt::setup {

namespace {

QLabel* heading(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.15);
    l->setFont(f);
    return l;
}

QLabel* hint(const QString& text, QWidget* parent, const char* name) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}

QString qs(std::string_view s) { return text::fromAnsi(s); }

}  // namespace

frmOptions::frmOptions(const core::Services& s, std::function<int(std::string_view)> listItems, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), s_(s), listItems_(std::move(listItems)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    sstOptions_ = new QTabWidget(this);
    sstOptions_->setObjectName(QStringLiteral("sstOptions"));
    sstOptions_->addTab(buildGeneral(), QStringLiteral("General"));
    sstOptions_->addTab(buildFolders(), QStringLiteral("Folders"));
    sstOptions_->addTab(buildFilter(), QStringLiteral("Selection Filter"));
    sstOptions_->addTab(buildViewer(), QStringLiteral("Report Viewer"));

    // Access keys that no check box of the tabs uses.
    cmdOk_ = new QPushButton(QStringLiteral("&OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdApply_ = new QPushButton(QStringLiteral("Appl&y"), this);
    cmdApply_->setObjectName(QStringLiteral("cmdApply"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cmdOk_, cmdCancel_, cmdApply_}) {
        b->setToolTip(QString(b->text()).remove(QLatin1Char('&')));
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    cmdOk_->setDefault(true);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(sstOptions_);
    outer->addLayout(buttons);
    // Room for the longest tab at any font size, and no smaller than the usual size.
    setFixedSize(sizeHint().expandedTo(QSize(520, 470)));

    connect(cmdOk_, &QPushButton::clicked, this, &frmOptions::cmdOk_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    connect(cmdApply_, &QPushButton::clicked, this, &frmOptions::cmdApply_Click);
}

QWidget* frmOptions::buildGeneral() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto section = [&](const char* title, const char* titleName, const char* text, const char* hintName,
                       const char* button, const char* buttonName, void (frmOptions::*click)()) {
        v->addWidget(heading(QLatin1String(title), page, titleName));
        auto* row = new QHBoxLayout;
        row->addWidget(hint(QLatin1String(text), page, hintName), 1);
        auto* b = new QPushButton(QLatin1String(button), page);
        b->setObjectName(QLatin1String(buttonName));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, click);
        row->addWidget(b, 0, Qt::AlignTop);
        v->addLayout(row);
        v->addSpacing(12);
    };
    section("History", "lblHistory", "The History folder contains actions previously performed for audit purposes.",
            "lblHistoryHint", "Clear History", "cmdClearHistory", &frmOptions::cmdClearHistory_Click);
    section("Exchange", "lblExchange", "The Exchange folder contains EDI file transfer events.", "lblCommLog",
            "Clear Exchange", "cmdClearExchange", &frmOptions::cmdClearExchange_Click);
    v->addStretch(1);
    return page;
}

QWidget* frmOptions::buildFolders() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(heading(QStringLiteral("Folders"), page, "lblFolders"));
    auto* grid = new QGridLayout;
    for (int row = 0; row < int(kFolderKeys.size()); ++row) {
        const FolderKey& k = kFolderKeys[row];
        auto* label = new QLabel(qs(k.label), page);
        auto* box = new QLineEdit(page);
        box->setObjectName(QStringLiteral("txt") + qs(k.key));
        label->setBuddy(box);
        auto* browse = new QToolButton(page);
        browse->setObjectName(QStringLiteral("cmd") + qs(k.key));
        browse->setText(QStringLiteral("..."));
        browse->setToolTip(qs(k.tip));
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(browse, row, 2);
        folderBoxes_[row] = box;
        browseButtons_[row] = browse;
        connect(box, &QLineEdit::textChanged, this, [this] { cmdApply_->setEnabled(true); });
        connect(browse, &QToolButton::clicked, this, [this, row] { cmdBrowse_Click(row); });
    }
    v->addLayout(grid);
    v->addStretch(1);
    return page;
}

QWidget* frmOptions::buildFilter() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(heading(QStringLiteral("Selection Filter"), page));
    v->addWidget(hint(QStringLiteral("Check the columns you would like to use as a selection filter."), page, "lblFilter"));
    auto* row = new QHBoxLayout;
    lvwFilter_ = new QListWidget(page);
    lvwFilter_->setObjectName(QStringLiteral("lvwFilter"));
    row->addWidget(lvwFilter_, 1);
    auto* side = new QVBoxLayout;
    auto button = [&](const char* caption, const char* name, void (frmOptions::*click)()) {
        auto* b = new QPushButton(QLatin1String(caption), page);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, click);
        side->addWidget(b);
    };
    button("Include", "cmdInclude", &frmOptions::cmdInclude_Click);
    button("Exclude", "cmdExclude", &frmOptions::cmdExclude_Click);
    button("Reset", "cmdReset", &frmOptions::cmdReset_Click);
    side->addStretch(1);
    row->addLayout(side);
    v->addLayout(row);
    // A check mark changed by the user (not by the load) is an edit.
    connect(lvwFilter_, &QListWidget::itemChanged, this, [this] {
        if (!loading_) cmdApply_->setEnabled(true);
    });
    return page;
}

QWidget* frmOptions::buildViewer() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(heading(QStringLiteral("Report Viewer"), page, "lblReport"));
    auto* inner = new QTabWidget(page);
    inner->setObjectName(QStringLiteral("SSTab1"));
    auto* enable = new QWidget;
    auto* display = new QWidget;
    auto* enableGrid = new QGridLayout(enable);
    auto* displayGrid = new QGridLayout(display);
    int enableCount = 0, displayCount = 0;
    for (int i = 0; i < int(kViewerKeys.size()); ++i) {
        const ViewerKey& k = kViewerKeys[i];
        auto* box = new QCheckBox(qs(k.caption), k.display ? display : enable);
        box->setObjectName(QStringLiteral("chk") + qs(k.key));
        viewerBoxes_[i] = box;
        if (k.display) {
            displayGrid->addWidget(box, displayCount % 9, displayCount / 9);
            ++displayCount;
        } else {
            enableGrid->addWidget(box, enableCount % 9, enableCount / 9);
            ++enableCount;
        }
        connect(box, &QCheckBox::clicked, this, [this] { cmdApply_->setEnabled(true); });
    }
    enableGrid->setRowStretch(9, 1);
    displayGrid->setRowStretch(9, 1);
    displayGrid->setColumnStretch(1, 1);
    inner->addTab(enable, QStringLiteral("Enable Properties"));
    inner->addTab(display, QStringLiteral("Display Properties"));
    v->addWidget(inner, 1);
    return page;
}

void frmOptions::Form_Load() {
    loading_ = true;
    for (const folders::FilterField& f : folders::filterFields()) {
        auto* item = new QListWidgetItem(qs(f.key), lvwFilter_);
        item->setData(Qt::UserRole, qs(f.field));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    loading_ = false;
    sstOptions_->setCurrentIndex(0);
    LoadPropertySettings();
    cmdApply_->setEnabled(false);
}

void frmOptions::LoadPropertySettings() { display(setup::LoadPropertySettings(s_.settings)); }

void frmOptions::display(const OptionValues& v) {
    for (int i = 0; i < int(folderBoxes_.size()); ++i) folderBoxes_[i]->setText(qs(v.folders[i]));
    loading_ = true;
    for (int i = 0; i < lvwFilter_->count() && i < int(v.filter.size()); ++i) setChecked(i, v.filter[i]);
    loading_ = false;
    for (int i = 0; i < int(viewerBoxes_.size()); ++i) viewerBoxes_[i]->setChecked(v.viewer[i]);
}

OptionValues frmOptions::values() const {
    OptionValues v;
    for (int i = 0; i < int(folderBoxes_.size()); ++i) v.folders[i] = text::toAnsi(folderBoxes_[i]->text());
    for (int i = 0; i < lvwFilter_->count() && i < int(v.filter.size()); ++i)
        v.filter[i] = lvwFilter_->item(i)->checkState() == Qt::Checked;
    for (int i = 0; i < int(viewerBoxes_.size()); ++i) v.viewer[i] = viewerBoxes_[i]->isChecked();
    return v;
}

void frmOptions::setChecked(int item, bool checked) {
    if (QListWidgetItem* it = lvwFilter_->item(item)) it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool frmOptions::SaveOptions() {
    OptionValues v = values();
    const bool saved = setup::SaveOptions(s_, v);
    // Boxes whose folder was refused show the stored value again.
    for (int i = 0; i < int(folderBoxes_.size()); ++i) {
        const QString text = qs(v.folders[i]);
        if (folderBoxes_[i]->text() != text) folderBoxes_[i]->setText(text);
    }
    return saved;
}

// A save that failed part-way has been reported; the window stays open with the edits, so the
// user can try again or cancel rather than lose what was not stored.
void frmOptions::cmdOk_Click() {
    if (SaveOptions()) accept();
}

void frmOptions::cmdApply_Click() {
    if (SaveOptions()) cmdApply_->setEnabled(false);
}

void frmOptions::cmdCancel_Click() { reject(); }

void frmOptions::cmdClearHistory_Click() { ClearLog(s_, "History", listItems_ ? listItems_("History") : 0); }

void frmOptions::cmdClearExchange_Click() { ClearLog(s_, "Exchange", listItems_ ? listItems_("Exchange") : 0); }

void frmOptions::cmdBrowse_Click(int row) {
    if (row < 0 || row >= int(folderBoxes_.size())) return;
    if (row == 0 && !ConfirmDatabaseChange(s_.ui)) return;
    QLineEdit* box = folderBoxes_[row];
    if (auto chosen = s_.ui.chooseFolder("Browse for Folder", text::toAnsi(box->text())))
        box->setText(text::fromAnsi(chosen->string()));
}

void frmOptions::cmdInclude_Click() {
    if (QListWidgetItem* it = lvwFilter_->currentItem()) it->setCheckState(Qt::Checked);
    cmdApply_->setEnabled(true);
}

void frmOptions::cmdExclude_Click() {
    if (QListWidgetItem* it = lvwFilter_->currentItem()) it->setCheckState(Qt::Unchecked);
    cmdApply_->setEnabled(true);
}

void frmOptions::cmdReset_Click() {
    for (int i = 0; i < lvwFilter_->count(); ++i) setChecked(i, i < 4);
    cmdApply_->setEnabled(true);
}

}  // namespace vt::setup
