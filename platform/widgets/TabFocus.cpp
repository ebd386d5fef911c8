#include "platform/widgets/TabFocus.h"

#include <QApplication>
#include <QTabBar>
#include <QTabWidget>

namespace vt::widgets {

void KeepFocusOnTabs(QTabWidget* tabs) {
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [tabs] {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->window() != tabs->window()) return;
        QWidget* page = tabs->currentWidget();
        if (focus && (focus == tabs->tabBar() || (page && page->isAncestorOf(focus)))) return;
        tabs->tabBar()->setFocus(Qt::TabFocusReason);
    });
}

}  // namespace vt::widgets
