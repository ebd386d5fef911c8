#include "platform/widgets/BoxTitle.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace vt::widgets {

int TitleBarWidth(const QWidget& window, const QString& title) {
    const QFontMetrics titleFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    const QFontMetrics own(window.font());
    const int text = std::max(titleFont.horizontalAdvance(title), own.horizontalAdvance(title));
    // A bar holds the window's icon and up to three buttons, each about as wide as the bar is high.
    const int bar = std::max(titleFont.height(), own.height()) + 12;
    return text + 4 * bar + 24;
}

void FitTitle(QMessageBox& box) {
    // The box sizes itself from its layout when it is shown: a spacer as wide as the title needs
    // sets the least width it takes.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) {
        box.setMinimumWidth(TitleBarWidth(box, box.windowTitle()));
        return;
    }
    grid->addItem(new QSpacerItem(TitleBarWidth(box, box.windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QMessageBox::StandardButton ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    FitTitle(box);
    return QMessageBox::StandardButton(box.exec());
}

}  // namespace vt::widgets
