#pragma once
// The account window: the user name and password the next login compares with.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vt {
class Settings;
namespace core {
class UiSink;
}
}  // namespace vt

namespace vt::setup {

class PasswordBox;
struct AccountForm;

class frmAccount : public QDialog {
    Q_OBJECT
public:
    frmAccount(Settings& settings, core::UiSink& ui, QWidget* parent = nullptr);

    void Form_Load();
    void LoadPropertySettings();
    void cmdOk_Click();
    void cmdApply_Click();
    void cmdCancel_Click();

    QLineEdit* txtUserName() const { return txtUserName_; }
    PasswordBox* txtPassword() const { return txtPassword_; }
    PasswordBox* txtConfirm() const { return txtConfirm_; }
    QPushButton* cmdOk() const { return cmdOk_; }
    QPushButton* cmdApply() const { return cmdApply_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    AccountForm form() const;
    // The checks, then the save; false when a check refused.
    bool save();

    Settings& settings_;
    core::UiSink& ui_;
    QLineEdit* txtUserName_ = nullptr;
    PasswordBox* txtPassword_ = nullptr;
    PasswordBox* txtConfirm_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
};

}  // namespace vt::setup
