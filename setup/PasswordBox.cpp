#include "setup/PasswordBox.h"

namespace vt::setup {

namespace {
// Stands for the stored password; a character nobody types.
const QChar kMark(0x2063);
constexpr int kMarks = 8;
}  // namespace

PasswordBox::PasswordBox(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    connect(this, &QLineEdit::textEdited, this, &PasswordBox::edited);
}

void PasswordBox::showStored() {
    stored_ = true;
    setText(QString(kMarks, kMark));
}

void PasswordBox::edited(const QString& now) {
    if (!stored_) return;
    // The first edit keeps only what the user added: a deleted star empties the box.
    stored_ = false;
    QString typed = now;
    typed.remove(kMark);
    setText(typed);
}

}  // namespace vt::setup
