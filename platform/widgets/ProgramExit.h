#pragma once
// Windows that ask before they close by hand (their timers stop with them) close without a word
// when the application closes them as it ends: the user has just agreed to that.

class QWidget;

namespace vt::widgets {

// Marks `window` as closed by the application's end; the next close of it asks nothing.
void MarkClosingAtExit(QWidget* window);
bool ClosingAtExit(const QWidget* window);

}  // namespace vt::widgets
