#include "exchange/windows/ScriptWidgets.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>

namespace vt::exchange {

ScriptEditor::ScriptEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabStopDistance(4 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
}

bool ScriptEditor::event(QEvent* e) {
    // Tab and Shift+Tab replace the selection with a TAB; the focus stays here.
    if (e->type() == QEvent::KeyPress && !isReadOnly()) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            textCursor().insertText(QStringLiteral("\t"));
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}

ReferenceTree::ReferenceTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QMimeData* ReferenceTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    auto* data = new QMimeData;
    if (!items.isEmpty()) data->setText(items.front()->text(0));
    return data;
}

}  // namespace vt::exchange
