#include "platform/widgets/SelectionFocus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QPalette>

namespace vt::widgets {

namespace {

QColor blend(const QColor& a, const QColor& b, double share) {
    return QColor::fromRgbF(float(a.redF() * share + b.redF() * (1 - share)),
                            float(a.greenF() * share + b.greenF() * (1 - share)),
                            float(a.blueF() * share + b.blueF() * (1 - share)));
}

void mark(QAbstractItemView* view, bool focused) {
    if (focused) {
        // Back to the palette the view inherits.
        view->setPalette(QPalette());
        return;
    }
    QPalette p = view->parentWidget() ? view->parentWidget()->palette() : QApplication::palette(view);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Highlight, blend(p.color(group, QPalette::Highlight), p.color(group, QPalette::Base), 0.3));
        p.setColor(group, QPalette::HighlightedText, p.color(group, QPalette::Text));
    }
    view->setPalette(p);
}

class Filter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            // Drop-down lists of combo boxes and completers follow the pointer, not the focus.
            if (auto* view = qobject_cast<QAbstractItemView*>(watched); view && view->window()->windowType() != Qt::Popup)
                mark(view, view->hasFocus());
            break;
        default: break;
        }
        return false;
    }
};

}  // namespace

void ShowSelectionFocus() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    const QString name = QStringLiteral("vtSelectionFocus");
    if (!app || app->findChild<QObject*>(name, Qt::FindDirectChildrenOnly)) return;
    auto* filter = new Filter(app);
    filter->setObjectName(name);
    app->installEventFilter(filter);
}

}  // namespace vt::widgets
