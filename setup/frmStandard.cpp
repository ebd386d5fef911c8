#include "setup/frmStandard.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "platform/text/AnsiQt.h"
#include "setup/StandardPicker.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vt::setup {

frmStandard::frmStandard(const core::Services& services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("frmStandard"));
    setWindowTitle(QStringLiteral("Standard Transactions"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    lblInstructions_ = new QLabel(QStringLiteral("Click the Transaction you want to install:"), this);
    lvwStandard_ = new QTreeWidget(this);
    lvwStandard_->setObjectName(QStringLiteral("lvwStandard"));
    lvwStandard_->setRootIsDecorated(false);
    lvwStandard_->setUniformRowHeights(true);
    lvwStandard_->setAllColumnsShowFocus(true);
    lvwStandard_->setHeaderLabels({QStringLiteral("Transaction"), QStringLiteral("Group"), QStringLiteral("Description")});
    // Widths of 1100, 800 and 5500 twips.
    lvwStandard_->setColumnWidth(0, 1100 / 15);
    lvwStandard_->setColumnWidth(1, 800 / 15);
    lvwStandard_->setColumnWidth(2, 5500 / 15);
    lvwStandard_->header()->setSectionsClickable(false);
    lvwStandard_->setFixedSize(7700 / 15 + 30, 360);
    lblInstructions_->setBuddy(lvwStandard_);

    lblVersion_ = new QLabel(QStringLiteral("&Version"), this);
    cboVersion_ = new QComboBox(this);
    cboVersion_->setObjectName(QStringLiteral("cboVersion"));
    cboVersion_->setEditable(false);
    cboVersion_->setMinimumContentsLength(8);
    lblVersion_->setBuddy(cboVersion_);
    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblVersion_);
    bottom->addWidget(cboVersion_);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK_);
    bottom->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInstructions_);
    layout->addWidget(lvwStandard_, 1);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(lvwStandard_, &QTreeWidget::itemDoubleClicked, this, [this] { cmdOK_Click(); });
    connect(lvwStandard_, &QTreeWidget::itemSelectionChanged, this, [this] { updateOk(); });
}

void frmStandard::Form_Load() {
    lvwStandard_->clear();
    cboVersion_->clear();
    try {
        // An empty table is a broken installation: say so rather than offer nothing to pick.
        const auto versions = loadVersions(services_.db);
        if (versions.empty()) throw core::noCurrentRecordError();
        for (const auto& v : versions) cboVersion_->addItem(text::fromAnsi(v));
        cboVersion_->setCurrentIndex(0);
        const auto standards = loadStandards(services_.db);
        if (standards.empty()) throw core::noCurrentRecordError();
        QList<QTreeWidgetItem*> items;
        for (const auto& r : standards)
            items.append(new QTreeWidgetItem(
                QStringList{text::fromAnsi(r.transaction), text::fromAnsi(r.group), text::fromAnsi(r.description)}));
        lvwStandard_->addTopLevelItems(items);
        if (!items.isEmpty()) lvwStandard_->setCurrentItem(items.front());
    } catch (...) {
        core::ReportError(services_);
    }
    updateOk();
}

std::optional<StandardChoice> frmStandard::choice() const {
    QTreeWidgetItem* item = lvwStandard_->currentItem();
    if (!item || !item->isSelected()) return std::nullopt;
    return StandardChoice{text::toAnsi(item->text(0)), text::toAnsi(item->text(1)), text::toAnsi(item->text(2)),
                          text::toAnsi(cboVersion_->currentText())};
}

void frmStandard::updateOk() { cmdOK_->setEnabled(choice().has_value() && cboVersion_->count() > 0); }

void frmStandard::cmdOK_Click() {
    if (!cmdOK_->isEnabled()) return;
    core::gCancel = false;
    QDialog::accept();
}

void frmStandard::cmdCancel_Click() {
    core::gCancel = true;
    QDialog::reject();
}

// Escape and the close box answer as Cancel does.
void frmStandard::reject() { cmdCancel_Click(); }

void frmStandard::closeEvent(QCloseEvent* event) {
    core::gCancel = true;
    QDialog::closeEvent(event);
}

}  // namespace vt::setup
