#pragma once
// A password text box that can stand for a password the program keeps only as a hash: it then
// shows a row of stars, and the first edit by the user replaces them with what was typed.

#include <QLineEdit>

namespace vt::setup {

class PasswordBox : public QLineEdit {
    Q_OBJECT
public:
    explicit PasswordBox(QWidget* parent = nullptr);
    // Shows the stored password (as stars) until the user edits the box.
    void showStored();
    bool holdsStored() const { return stored_; }
    // What the user typed; empty while the box shows the stored password.
    QString typed() const { return stored_ ? QString() : text(); }

private:
    void edited(const QString& now);
    bool stored_ = false;
};

}  // namespace vt::setup
