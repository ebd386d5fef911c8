#pragma once
// The login window: shows the main window behind it, then asks for the account's user name and
// password. It closes only on a successful login; Cancel ends the program.

#include "core/Services.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vt::setup {

class PasswordBox;

class frmLogin : public QDialog {
    Q_OBJECT
public:
    // `showMain` loads and shows the main window; false when its load ended the program.
    frmLogin(const core::Services& s, std::function<bool()> showMain, QWidget* parent = nullptr);

    // False when the program must end (the main window's load ended it).
    bool Form_Load();
    void cmdOk_Click();
    void cmdCancel_Click();
    bool loggedIn() const { return mLoggedIn_; }

    QLineEdit* txtUser() const { return txtUser_; }
    PasswordBox* txtPassword() const { return txtPassword_; }
    QCheckBox* chkRemember() const { return chkRemember_; }
    QPushButton* cmdOk() const { return cmdOk_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    const core::Services& s_;
    std::function<bool()> showMain_;
    bool mLoggedIn_ = false;
    QLineEdit* txtUser_ = nullptr;
    PasswordBox* txtPassword_ = nullptr;
    QCheckBox* chkRemember_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace vt::setup
