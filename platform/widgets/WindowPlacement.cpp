#include "platform/widgets/WindowPlacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace vt::widgets {

void CentreOverOwner(QWidget* window, const QWidget* owner) {
    if (!window) return;
    if (!owner) owner = window->parentWidget() ? window->parentWidget()->window() : QApplication::activeWindow();
    if (owner == window || (owner && (!owner->isVisible() || owner->isMinimized()))) owner = nullptr;
    QScreen* screen = owner ? owner->screen() : window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect over = owner ? owner->frameGeometry() : area;
    // Before the first show the layout has not yet grown the window to what its controls need,
    // and the frame is not known (the one the desktop adds is small).
    if (!window->isVisible()) {
        window->ensurePolished();
        if (QLayout* layout = window->layout()) layout->activate();
    }
    const QSize size = window->isVisible() ? window->frameGeometry().size() : window->size();
    QPoint at = over.center() - QPoint(size.width() / 2, size.height() / 2);
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    window->move(at);
}

}  // namespace vt::widgets
