#pragma once
// Message boxes wide enough for their title: a short message under a window manager's title bar
// otherwise leaves only a few letters of the title between the bar's icon and buttons.

#include <QMessageBox>

class QString;
class QWidget;

namespace vt::widgets {

// The width a window needs to show `title` whole in its title bar: the text in the title font,
// with room for the bar's icon and its buttons.
int TitleBarWidth(const QWidget& window, const QString& title);

// Keeps `box` at least TitleBarWidth of its title wide (set the title first).
void FitTitle(QMessageBox& box);

// Shows a modal box over `parent` whose title reads whole, and returns the button pressed.
QMessageBox::StandardButton ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

}  // namespace vt::widgets
