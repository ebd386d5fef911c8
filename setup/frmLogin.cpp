#include "setup/frmLogin.h"

#include "core/Globals.h"
#include "core/UiSink.h"
#include "platform/db/Database.h"
#include "platform/text/AnsiQt.h"
#include "setup/Login.h"
#include "setup/PasswordBox.h"
#include "setup/ProductLabels.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vt::setup {

frmLogin::frmLogin(const core::Services& s, std::function<bool()> showMain, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint),
      s_(s), showMain_(std::move(showMain)) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Login"));
    setWindowModality(Qt::ApplicationModal);

    auto* imgUsers = new QLabel(this);
    imgUsers->setObjectName(QStringLiteral("imgUsers"));
    imgUsers->setPixmap(productPicture(48));
    imgUsers->setFixedSize(48, 48);

    auto* lblUserName = new QLabel(QStringLiteral("&User Name:"), this);
    lblUserName->setObjectName(QStringLiteral("lblUserName"));
    txtUser_ = new QLineEdit(this);
    txtUser_->setObjectName(QStringLiteral("txtUser"));
    lblUserName->setBuddy(txtUser_);
    auto* lblLabels = new QLabel(QStringLiteral("&Password:"), this);
    lblLabels->setObjectName(QStringLiteral("lblLabels"));
    txtPassword_ = new PasswordBox(this);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    lblLabels->setBuddy(txtPassword_);
    chkRemember_ = new QCheckBox(QStringLiteral("Remember password"), this);
    chkRemember_->setObjectName(QStringLiteral("chkRemember"));

    cmdOk_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->addWidget(lblUserName, 0, 0);
    grid->addWidget(txtUser_, 0, 1);
    grid->addWidget(lblLabels, 1, 0);
    grid->addWidget(txtPassword_, 1, 1);
    grid->addWidget(chkRemember_, 2, 1);
    grid->setColumnMinimumWidth(1, 200);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(imgUsers, 0, Qt::AlignTop);
    top->addLayout(grid, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk_);
    buttons->addWidget(cmdCancel_);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 12);
    outer->addLayout(top);
    outer->addSpacing(8);
    outer->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOk_, &QPushButton::clicked, this, &frmLogin::cmdOk_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    connect(chkRemember_, &QCheckBox::clicked, this,
            [this](bool checked) { StoreRemember(s_.settings, checked); });
}

bool frmLogin::Form_Load() {
    if (showMain_ && !showMain_()) return false;
    const LoginForm form = LoadLogin(s_.settings);
    txtUser_->setText(text::fromAnsi(form.user));
    chkRemember_->setChecked(form.remember);
    if (form.passwordFilled) txtPassword_->showStored();
    txtUser_->setFocus();
    return true;
}

void frmLogin::cmdOk_Click() {
    const std::string user = text::toAnsi(txtUser_->text());
    const std::string password = text::toAnsi(txtPassword_->typed());
    if (!CheckLogin(user, password, txtPassword_->holdsStored())) {
        s_.ui.messageBox("Invalid User Name or Password, try again!", core::vbCritical | core::vbOKOnly, "Login");
        txtUser_->setFocus();
        txtUser_->selectAll();
        return;
    }
    mLoggedIn_ = true;
    if (CompleteLogin(s_)) accept();
}

void frmLogin::cmdCancel_Click() {
    // The program ends here without the main window's closing steps, but the database is closed
    // properly rather than left to the end of the process.
    core::gConnection().close();
    done(QDialog::Rejected);
}

void frmLogin::closeEvent(QCloseEvent* event) {
    if (!mLoggedIn_) {
        event->ignore();
        return;
    }
    event->accept();
    accept();
}

// Escape closes nothing either: only OK and Cancel end the login.
void frmLogin::reject() {}

}  // namespace vt::setup
