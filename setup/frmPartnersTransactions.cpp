// The Transactions tab of the partner window: the Inbound and Outbound lists with their detail,
// add, delete and save, the plug-in class choice and the envelope preview.

#include "core/Globals.h"
#include "core/UiSink.h"
#include "platform/text/AnsiQt.h"
#include "setup/EnvelopePreview.h"
#include "setup/PluginChoice.h"
#include "setup/frmPartners.h"
#include "setup/frmStandard.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vt::setup {

QWidget* frmPartners::buildTransactionsTab() {
    auto* page = new QWidget;
    sstTransaction_ = new QTabWidget(page);
    sstTransaction_->setObjectName(QStringLiteral("sstTransaction"));
    sstTransaction_->addTab(buildTransactionTab(0), QStringLiteral("Inbound"));
    sstTransaction_->addTab(buildTransactionTab(1), QStringLiteral("Outbound"));
    connect(sstTransaction_, &QTabWidget::currentChanged, this, [this](int tab) { LoadTransactions(tab == 0 ? 0 : 1); });

    auto* frame = new QGroupBox(QStringLiteral("X12 - Envelope Preview"), page);
    frame->setObjectName(QStringLiteral("fraPreview"));
    txtPreview_ = new QPlainTextEdit(frame);
    txtPreview_->setReadOnly(true);
    txtPreview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtPreview_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtPreview_->setTabStopDistance(txtPreview_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    txtPreview_->setFixedHeight(txtPreview_->fontMetrics().lineSpacing() * 6 + 12 +
                                txtPreview_->horizontalScrollBar()->sizeHint().height());
    registerControl("txtPreview", txtPreview_);
    auto* fl = new QVBoxLayout(frame);
    fl->addWidget(txtPreview_);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(sstTransaction_, 1);
    layout->addWidget(frame);
    return page;
}

QWidget* frmPartners::buildTransactionTab(int tab) {
    const bool in = tab == 0;
    auto* page = new QWidget;
    Tab& t = tabs_[tab];
    auto name = [in](const char* inbound, const char* outbound) { return in ? inbound : outbound; };

    t.list = new QTreeWidget(page);
    t.list->setRootIsDecorated(false);
    t.list->setUniformRowHeights(true);
    t.list->setAllColumnsShowFocus(true);
    t.list->setHeaderLabels({QStringLiteral("Transaction"), QStringLiteral("Version"), QStringLiteral("Group"),
                             QStringLiteral("ActiveX")});
    // 1100, 800, 700 and 2800 twips.
    const int widths[] = {1100, 800, 700, 2800};
    for (int c = 0; c < 4; ++c) t.list->setColumnWidth(c, widths[c] / 15);
    t.list->header()->setSectionsClickable(true);
    t.list->header()->setToolTip(QStringLiteral("Click \"ActiveX\" to choose the set's plug-in library"));
    t.list->setContextMenuPolicy(Qt::CustomContextMenu);
    registerControl(name("lvwInbound", "lvwOutbound"), t.list);
    connect(t.list, &QTreeWidget::itemClicked, this, [this, tab] { lvw_ItemClick(tab); });
    connect(t.list, &QTreeWidget::currentItemChanged, this, [this, tab](QTreeWidgetItem* now, QTreeWidgetItem* before) {
        // Keyboard moves show the set as a click does; a fill's own selection is shown by the load.
        if (now && before && now != before) lvw_ItemClick(tab);
    });
    connect(t.list->header(), &QHeaderView::sectionClicked, this, [this, tab](int column) { lvw_ColumnClick(tab, column); });
    connect(t.list, &QTreeWidget::customContextMenuRequested, this, [this, tab](const QPoint& at) {
        if (!tabs_[tab].list->itemAt(at)) return;
        QMenu menu(this);
        menu.addAction(QStringLiteral("C&hoose ActiveX..."), this, [this, tab] { lvw_ColumnClick(tab, 3); });
        QAction* clear = menu.addAction(QStringLiteral("C&lear ActiveX..."), this, [this, tab] { mnuClearActiveX_Click(tab); });
        QTreeWidgetItem* item = tabs_[tab].list->currentItem();
        clear->setEnabled(item && !item->text(3).isEmpty());
        menu.exec(tabs_[tab].list->viewport()->mapToGlobal(at));
    });

    t.desc = new QLabel(page);
    registerControl(name("lblInboundDesc", "lblOutboundDesc"), t.desc);
    t.override = new QLineEdit(page);
    t.override->setMaxLength(12);
    t.override->setFixedWidth(t.override->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 8 + 14);
    registerControl(name("txtInboundOverride", "txtOutboundOverride"), t.override);
    t.controlNumber = new QLineEdit(page);
    t.controlNumber->setMaxLength(9);
    t.controlNumber->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]{0,9}")), t.controlNumber));
    t.controlNumber->setFixedWidth(t.controlNumber->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 9 + 14);
    registerControl(name("txtInboundControlNumber", "txtOutboundControlNumber"), t.controlNumber);
    t.ack = new QCheckBox(QString::fromLatin1(name("Generate Ack", "Require Ack")), page);
    registerControl(name("chkInboundAck", "chkOutboundAck"), t.ack);
    t.add = new QPushButton(QStringLiteral("&Add..."), page);
    t.del = new QPushButton(QStringLiteral("&Delete..."), page);
    t.save = new QPushButton(QStringLiteral("&Save"), page);
    registerControl(name("cmdAddInbound", "cmdAddOutbound"), t.add);
    registerControl(name("cmdDeleteInbound", "cmdDeleteOutbound"), t.del);
    registerControl(name("cmdSaveInbound", "cmdSaveOutbound"), t.save);
    for (QPushButton* b : {t.add, t.del, t.save}) b->setAutoDefault(false);
    connect(t.add, &QPushButton::clicked, this, [this, tab] { cmdAdd_Click(tab); });
    connect(t.del, &QPushButton::clicked, this, [this, tab] { cmdDelete_Click(tab); });
    connect(t.save, &QPushButton::clicked, this, [this, tab] { cmdSave_Click(tab); });

    auto* detail = new QGridLayout;
    auto* lo = new QLabel(QStringLiteral("Version &Override"), page);
    lo->setBuddy(t.override);
    auto* lc = new QLabel(QString::fromLatin1(name("&Last Control Number", "Next &Control Number")), page);
    lc->setBuddy(t.controlNumber);
    detail->addWidget(t.desc, 0, 0, 1, 2);
    detail->addWidget(lo, 1, 0);
    detail->addWidget(t.override, 1, 1, Qt::AlignLeft);
    detail->addWidget(lc, 2, 0);
    detail->addWidget(t.controlNumber, 2, 1, Qt::AlignLeft);
    detail->addWidget(t.ack, 3, 0, 1, 2);
    detail->setRowStretch(4, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(t.add);
    buttons->addWidget(t.del);
    buttons->addWidget(t.save);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(t.list, 3);
    layout->addLayout(detail, 2);
    layout->addLayout(buttons);
    return page;
}

int frmPartners::currentTab() const { return sstTransaction_->currentIndex() == 0 ? 0 : 1; }

// The stored name: sets belong to the saved partner, whatever the name box holds while editing.
std::string frmPartners::partnerName() const { return editor_.empty() ? std::string() : editor_.row().partner; }

bool frmPartners::selectedKey(int tab, SetKey& key) const {
    QTreeWidgetItem* item = tabs_[tab].list->currentItem();
    if (!item || !item->isSelected()) return false;
    key = SetKey{partnerName(), text::toAnsi(item->text(0)), text::toAnsi(item->text(1)), tabs_[tab].direction};
    return true;
}

void frmPartners::LoadTransactions(int tab) {
    Tab& t = tabs_[tab];
    const QSignalBlocker block(t.list);
    t.list->clear();
    if (editor_.empty()) {
        SetState(tab, false);
        return;
    }
    const auto items = LoadTransactionSets(services_, partnerName(), t.direction);
    for (const auto& i : items) {
        auto* item = new QTreeWidgetItem(QStringList{text::fromAnsi(i.transaction), text::fromAnsi(i.version),
                                                     text::fromAnsi(i.group), text::fromAnsi(i.activeX)});
        item->setToolTip(3, item->text(3));   // class names are longer than the column
        t.list->addTopLevelItem(item);
    }
    if (items.empty()) {
        SetState(tab, false);
        return;
    }
    t.list->setCurrentItem(t.list->topLevelItem(0));
    SetState(tab, true);
    ShowTransaction(tab);
}

void frmPartners::SetState(int tab, bool enabled) {
    Tab& t = tabs_[tab];
    if (!enabled) {
        fields_["txtGS01"]->clear();
        fields_["txtGS08"]->clear();
        txtPreview_->clear();
        t.override->clear();
        t.controlNumber->clear();
        t.desc->clear();
    }
    const bool any = t.list->topLevelItemCount() > 0;
    t.add->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*>{t.save, t.del, t.override, t.controlNumber, t.ack})
        w->setEnabled(any);
    if (!any) t.ack->setChecked(false);
}

void frmPartners::ShowTransaction(int tab) {
    Tab& t = tabs_[tab];
    SetKey key;
    if (!selectedKey(tab, key)) return;
    QTreeWidgetItem* item = t.list->currentItem();
    fields_["txtGS01"]->setText(item->text(2));
    fields_["txtGS08"]->setText(item->text(1));
    // The group date and time follow the set's version at once, so the preview shows them right.
    tmrDateTime_Timer();
    if (auto d = ShowTransactionSet(services_, key)) {
        t.override->setText(text::fromAnsi(d->versionOverride));
        t.controlNumber->setText(text::fromAnsi(d->controlNumber));
        t.ack->setChecked(d->acknowledge);
        t.desc->setText(text::fromAnsi(d->description));
    }
    ShowEnvelopePreview();
}

void frmPartners::ShowEnvelopePreview() {
    const int tab = currentTab();
    QTreeWidgetItem* item = tabs_[tab].list->currentItem();
    if (!item || editor_.empty()) return;
    EnvelopeShown w;
    w.direction = tabs_[tab].direction;
    w.transaction = text::toAnsi(item->text(0));
    w.controlNumber = text::toAnsi(tabs_[tab].controlNumber->text());
    w.isa09 = fieldText("txtISA09");
    w.isa10 = fieldText("txtISA10");
    w.gs01 = fieldText("txtGS01");
    w.gs04 = fieldText("txtGS04");
    w.gs05 = fieldText("txtGS05");
    w.gs07 = fieldText("txtGS07");
    w.gs08 = fieldText("txtGS08");
    std::string preview = envelopePreview(editor_.row(), w);
    // The box keeps lines by "\n"; CR LF is the text's own form.
    std::string lines;
    for (std::size_t i = 0; i < preview.size(); ++i)
        if (!(preview[i] == '\r' && i + 1 < preview.size() && preview[i + 1] == '\n')) lines += preview[i];
    txtPreview_->setPlainText(text::fromAnsi(lines));
}

void frmPartners::lvw_ItemClick(int tab) { ShowTransaction(tab); }

void frmPartners::cmdSave_Click(int tab) {
    SetKey key;
    if (!selectedKey(tab, key)) return;
    const Tab& t = tabs_[tab];
    SaveTransactionSet(services_, key, text::toAnsi(t.override->text()), text::toAnsi(t.controlNumber->text()),
                       t.ack->isChecked());
    ShowTransaction(tab);
}

void frmPartners::cmdAdd_Click(int tab) {
    if (partnerName().empty()) return;
    frmStandard picker(services_, this);
    picker.Form_Load();
    core::gCancel = true;
    execDialog(picker);
    if (core::gCancel) return;
    const auto choice = picker.choice();
    if (!choice) return;
    std::vector<TransactionSetItem> listed;
    const Tab& t = tabs_[tab];
    for (int i = 0; i < t.list->topLevelItemCount(); ++i)
        listed.push_back({text::toAnsi(t.list->topLevelItem(i)->text(0)), text::toAnsi(t.list->topLevelItem(i)->text(1)),
                          "", ""});
    if (AddTransactionSet(services_, partnerName(), t.direction, *choice, listed)) LoadTransactions(tab);
}

void frmPartners::cmdDelete_Click(int tab) {
    SetKey key;
    if (!selectedKey(tab, key)) return;
    if (DeleteTransactionSet(services_, key, text::toAnsi(tabs_[tab].desc->text()))) LoadTransactions(tab);
}

void frmPartners::lvw_ColumnClick(int tab, int column) {
    if (tabs_[tab].list->headerItem()->text(column) != QLatin1String("ActiveX")) return;
    SetKey key;
    if (!selectedKey(tab, key)) return;
    if (ChooseTransactionActiveX(services_, registry_, key)) LoadTransactions(tab);
}

void frmPartners::mnuClearActiveX_Click(int tab) {
    SetKey key;
    if (!selectedKey(tab, key)) return;
    if (ClearTransactionActiveX(services_, key, text::toAnsi(tabs_[tab].list->currentItem()->text(3))))
        LoadTransactions(tab);
}

}  // namespace vt::setup
