#include "exchange/windows/ExchangeUi.h"

#include "core/Globals.h"
#include "platform/text/AnsiQt.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWidget>

#include <utility>
#include <vector>

namespace vt::exchange {

namespace {

QString boxText(std::string_view text) {
    QString s = text::fromAnsi(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

QString boxTitle(std::string_view title) {
    return text::fromAnsi(title.empty() ? std::string_view(core::kApplicationName) : title);
}

// Neither Escape nor the close box answers a Yes/No question: No would throw the edits away.
class YesOrNoOnly : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return true;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

ExchangeUi::ExchangeUi(QWidget* owner, core::UiSink& inner, bool ownBoxes)
    : owner_(owner), inner_(inner), ownBoxes_(ownBoxes) {
    lastYield_.start();
}

bool ExchangeUi::owns() const { return ownBoxes_ && owner_ && owner_->isVisible() && !inner_.unattended(); }

void ExchangeUi::yield() {
    if (lastYield_.elapsed() < 50) return;
    lastYield_.restart();
    QCoreApplication::processEvents();
}

int ExchangeUi::messageBox(std::string_view text, int style, std::string_view title) {
    if (!owns()) return inner_.messageBox(text, style, title);
    QMessageBox box(owner_);
    box.setWindowTitle(boxTitle(title));
    box.setText(boxText(text));
    static const std::pair<int, QMessageBox::Icon> icons[] = {{core::vbCritical, QMessageBox::Critical},
                                                              {core::vbQuestion, QMessageBox::Question},
                                                              {core::vbExclamation, QMessageBox::Warning},
                                                              {core::vbInformation, QMessageBox::Information}};
    box.setIcon(QMessageBox::NoIcon);
    for (const auto& [code, icon] : icons)
        if ((style & 0x70) == code) box.setIcon(icon);
    using B = QMessageBox;
    static const std::vector<std::pair<B::StandardButton, int>> sets[] = {
        {{B::Ok, core::vbOK}},
        {{B::Ok, core::vbOK}, {B::Cancel, core::vbCancel}},
        {{B::Abort, core::vbAbort}, {B::Retry, core::vbRetry}, {B::Ignore, core::vbIgnore}},
        {{B::Yes, core::vbYes}, {B::No, core::vbNo}, {B::Cancel, core::vbCancel}},
        {{B::Yes, core::vbYes}, {B::No, core::vbNo}},
        {{B::Retry, core::vbRetry}, {B::Cancel, core::vbCancel}}};
    const auto& buttons = sets[(style & 7) < 6 ? style & 7 : 0];
    for (const auto& [button, answer] : buttons) box.addButton(button);
    box.setDefaultButton(buttons[std::min<std::size_t>((style >> 8) & 3, buttons.size() - 1)].first);
    YesOrNoOnly noEscape;
    if ((style & 7) == core::vbYesNo)
        box.installEventFilter(&noEscape);
    else
        box.setEscapeButton(buttons.back().first);
    box.exec();
    for (const auto& [button, answer] : buttons)
        if (box.clickedButton() == box.button(button)) return answer;
    return buttons.back().second;
}

std::optional<std::string> ExchangeUi::inputBox(std::string_view prompt, std::string_view title,
                                                std::string_view defaultText) {
    if (!owns()) return inner_.inputBox(prompt, title, defaultText);
    bool ok = false;
    const QString answer = QInputDialog::getText(owner_, boxTitle(title), boxText(prompt), QLineEdit::Normal,
                                                 text::fromAnsi(defaultText), &ok);
    if (!ok) return std::nullopt;
    return text::toAnsi(answer);
}

}  // namespace vt::exchange
