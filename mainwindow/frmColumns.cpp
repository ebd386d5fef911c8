#include "mainwindow/frmColumns.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/UiSink.h"
#include "mainwindow/ColumnChoices.h"
#include "platform/settings/Settings.h"
#include "platform/text/Text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vt::mainwindow {

namespace {

// A stored choice: "True" or "False" in any case, or a number (0 is False). Anything else shows
// the choice's default, as the lists would if it were not stored.
bool storedChoice(std::string_view value, bool byDefault) {
    const std::string t = text::trim(value);
    if (text::equalsNoCase(t, "True")) return true;
    if (text::equalsNoCase(t, "False")) return false;
    if (!t.empty() && t.find_first_not_of("+-0123456789.") == std::string::npos) return text::val(t) != 0.0;
    return byDefault;
}

}  // namespace

frmColumns::frmColumns(const core::Services& services, std::function<void()> rebuildLists, QWidget* parent)
    : QDialog(parent), services_(services), rebuildLists_(std::move(rebuildLists)) {
    setObjectName(QStringLiteral("frmColumns"));
    setWindowTitle(QStringLiteral("Columns"));
    setModal(true);

    lblInstructions_ = new QLabel(QStringLiteral("Click the columns you would like visible in this view."), this);
    lblInstructions_->setObjectName(QStringLiteral("lblInstructions"));
    lvwColumns_ = new QListWidget(this);
    lvwColumns_->setObjectName(QStringLiteral("lvwColumns"));
    lvwColumns_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdShow_ = button("cmdShow", "Show");
    cmdHide_ = button("cmdHide", "Hide");
    cmdReset_ = button("cmdReset", "Reset");
    cmdApply_ = button("cmdApply", "Apply");
    cmdOk_ = button("cmdOk", "OK");
    cmdCancel_ = button("cmdCancel", "Cancel");
    cmdOk_->setDefault(true);

    auto* side = new QVBoxLayout;
    side->addWidget(cmdShow_);
    side->addWidget(cmdHide_);
    side->addWidget(cmdReset_);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(lvwColumns_, 1);
    middle->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdOk_);
    bottom->addWidget(cmdCancel_);
    bottom->addWidget(cmdApply_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInstructions_);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    resize(420, 380);

    connect(lvwColumns_, &QListWidget::itemChanged, this, [this] { cmdApply_->setEnabled(true); });
    connect(cmdShow_, &QPushButton::clicked, this, &frmColumns::cmdShow_Click);
    connect(cmdHide_, &QPushButton::clicked, this, &frmColumns::cmdHide_Click);
    connect(cmdReset_, &QPushButton::clicked, this, &frmColumns::cmdReset_Click);
    connect(cmdApply_, &QPushButton::clicked, this, &frmColumns::cmdApply_Click);
    connect(cmdOk_, &QPushButton::clicked, this, &frmColumns::cmdOk_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmColumns::cmdCancel_Click);
}

void frmColumns::Form_Load() {
    {
        QSignalBlocker block(lvwColumns_);
        lvwColumns_->clear();
        for (const ColumnChoice& c : kColumnChoices) {
            auto* item = new QListWidgetItem(QString::fromLatin1(c.choice), lvwColumns_);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        LoadPropertySettings();
    }
    cmdApply_->setEnabled(false);
}

void frmColumns::LoadPropertySettings() {
    QSignalBlocker block(lvwColumns_);
    for (size_t i = 0; i < kColumnChoices.size(); ++i) {
        const ColumnChoice& c = kColumnChoices[i];
        setTick(int(i), storedChoice(services_.settings.get("Columns", c.choice, c.shown ? "True" : "False"), c.shown));
    }
}

void frmColumns::SavePropertySettings() {
    try {
        const auto ticked = ticks();
        for (size_t i = 0; i < kColumnChoices.size(); ++i)
            services_.settings.set("Columns", kColumnChoices[i].choice, ticked[i] ? "True" : "False");
    } catch (...) {
        core::ReportError(services_);
    }
}

std::array<bool, 13> frmColumns::ticks() const {
    std::array<bool, 13> out{};
    for (int i = 0; i < lvwColumns_->count() && i < 13; ++i)
        out[size_t(i)] = lvwColumns_->item(i)->checkState() == Qt::Checked;
    return out;
}

bool frmColumns::applyEnabled() const { return cmdApply_->isEnabled(); }

void frmColumns::setTick(int item, bool ticked) {
    if (QListWidgetItem* it = lvwColumns_->item(item)) it->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void frmColumns::cmdShow_Click() {
    QListWidgetItem* it = lvwColumns_->currentItem();
    if (!it || !it->isSelected()) return;
    it->setCheckState(Qt::Checked);
    cmdApply_->setEnabled(true);
}

void frmColumns::cmdHide_Click() {
    QListWidgetItem* it = lvwColumns_->currentItem();
    if (!it || !it->isSelected()) return;
    it->setCheckState(Qt::Unchecked);
    cmdApply_->setEnabled(true);
}

void frmColumns::cmdReset_Click() {
    for (size_t i = 0; i < kColumnChoices.size(); ++i) setTick(int(i), kColumnChoices[i].shown);
    cmdApply_->setEnabled(true);
}

bool frmColumns::applySteps() {
    const auto ticked = ticks();
    bool any = false;
    for (bool t : ticked) any = any || t;
    if (!any) {
        services_.ui.messageBox(
            "At least one column must be visible. Please check one of the columns listed before continuing.",
            core::vbExclamation | core::vbOKOnly, core::kApplicationName);
        return false;
    }
    SavePropertySettings();
    if (rebuildLists_) rebuildLists_();
    cmdApply_->setEnabled(false);
    return true;
}

void frmColumns::cmdApply_Click() { applySteps(); }

void frmColumns::cmdOk_Click() {
    if (cmdApply_->isEnabled()) applySteps();
    accept();
}

void frmColumns::cmdCancel_Click() { reject(); }

}  // namespace vt::mainwindow
