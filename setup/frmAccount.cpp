#include "setup/frmAccount.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/UiSink.h"
#include "platform/text/AnsiQt.h"
#include "setup/Account.h"
#include "setup/PasswordBox.h"
#include "setup/ProductLabels.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vt::setup {

frmAccount::frmAccount(Settings& settings, core::UiSink& ui, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), settings_(settings), ui_(ui) {
    setObjectName(QStringLiteral("frmAccount"));
    setWindowTitle(QStringLiteral("Account"));

    auto* fraAccount = new QGroupBox(this);
    fraAccount->setObjectName(QStringLiteral("fraAccount"));
    auto* imgUsers = new QLabel(fraAccount);
    imgUsers->setObjectName(QStringLiteral("imgUsers"));
    imgUsers->setPixmap(productPicture(48));
    imgUsers->setFixedSize(48, 48);
    auto* lblAccount = new QLabel(QStringLiteral("Account"), fraAccount);
    lblAccount->setObjectName(QStringLiteral("lblAccount"));
    QFont bold = lblAccount->font();
    bold.setBold(true);
    lblAccount->setFont(bold);

    auto field = [&](auto* box, const char* name, const char* labelName, const char* caption) {
        box->setObjectName(QLatin1String(name));
        box->setMaxLength(kAccountFieldLength);
        auto* label = new QLabel(QLatin1String(caption), fraAccount);
        label->setObjectName(QLatin1String(labelName));
        label->setBuddy(box);
        return label;
    };
    txtUserName_ = new QLineEdit(fraAccount);
    txtPassword_ = new PasswordBox(fraAccount);
    txtConfirm_ = new PasswordBox(fraAccount);
    auto* lblUserId = field(txtUserName_, "txtUserName", "lblUserId", "User Name:");
    auto* lblPassword = field(txtPassword_, "txtPassword", "lblPassword", "Password:");
    auto* label1 = field(txtConfirm_, "txtConfirm", "Label1", "Confirm Password:");

    auto* grid = new QGridLayout;
    grid->addWidget(lblUserId, 0, 0);
    grid->addWidget(txtUserName_, 0, 1);
    grid->addWidget(lblPassword, 1, 0);
    grid->addWidget(txtPassword_, 1, 1);
    grid->addWidget(label1, 2, 0);
    grid->addWidget(txtConfirm_, 2, 1);
    grid->setColumnMinimumWidth(1, 200);

    auto* head = new QHBoxLayout;
    head->addWidget(imgUsers);
    head->addWidget(lblAccount, 1);
    auto* inner = new QVBoxLayout(fraAccount);
    inner->addLayout(head);
    inner->addLayout(grid);

    cmdOk_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdApply_ = new QPushButton(QStringLiteral("Apply"), this);
    cmdApply_->setObjectName(QStringLiteral("cmdApply"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cmdOk_, cmdCancel_, cmdApply_}) {
        if (b != cmdOk_) b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(fraAccount);
    outer->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOk_, &QPushButton::clicked, this, &frmAccount::cmdOk_Click);
    connect(cmdApply_, &QPushButton::clicked, this, &frmAccount::cmdApply_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmAccount::cmdCancel_Click);
    for (QLineEdit* box : {txtUserName_, static_cast<QLineEdit*>(txtPassword_), static_cast<QLineEdit*>(txtConfirm_)})
        connect(box, &QLineEdit::textChanged, this, [this] { cmdApply_->setEnabled(true); });
}

void frmAccount::Form_Load() {
    LoadPropertySettings();
    cmdApply_->setEnabled(false);
}

void frmAccount::LoadPropertySettings() {
    try {
        txtUserName_->setText(text::fromAnsi(LoadAccount(settings_).userName));
    } catch (...) {
        // An unreadable value leaves its box empty; the window still opens.
    }
    txtPassword_->showStored();
    txtConfirm_->showStored();
}

AccountForm frmAccount::form() const {
    AccountForm f;
    f.userName = text::toAnsi(txtUserName_->text());
    f.password = {text::toAnsi(txtPassword_->typed()), txtPassword_->holdsStored()};
    f.confirm = {text::toAnsi(txtConfirm_->typed()), txtConfirm_->holdsStored()};
    return f;
}

bool frmAccount::save() {
    const AccountForm f = form();
    if (!CheckAccount(settings_, f, ui_)) return false;
    try {
        SaveAccount(settings_, f);
    } catch (...) {
        ui_.messageBox(core::describeError(std::current_exception()).description, core::vbCritical,
                       core::kApplicationName);
        return false;
    }
    return true;
}

void frmAccount::cmdApply_Click() {
    if (save()) cmdApply_->setEnabled(false);
}

// OK makes the same checks as Apply, so it cannot store a short or empty password.
void frmAccount::cmdOk_Click() {
    if (save()) accept();
}

void frmAccount::cmdCancel_Click() { reject(); }

}  // namespace vt::setup
