#include "maps/ScriptEditor.h"

#include <QDrag>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QSyntaxHighlighter>

namespace vt::maps {

namespace {

class VbsHighlighter : public QSyntaxHighlighter {
public:
    explicit VbsHighlighter(QTextDocument* doc) : QSyntaxHighlighter(doc) {
        keyword_.setForeground(QColor(0, 0, 160));
        keyword_.setFontWeight(QFont::Bold);
        object_.setForeground(QColor(0, 110, 110));
        string_.setForeground(QColor(160, 30, 30));
        comment_.setForeground(QColor(0, 120, 0));
        comment_.setFontItalic(true);
        keywords_ = QRegularExpression(
            QStringLiteral("\\b(And|As|Call|Case|Class|Const|Dim|Do|Each|Else|ElseIf|Empty|End|Eqv|Erase|Error|"
                           "Execute|Exit|Explicit|False|For|Function|Get|GoTo|If|Imp|In|Is|Let|Loop|Mod|New|"
                           "Next|Not|Nothing|Null|On|Option|Or|Preserve|Private|Property|Public|Randomize|ReDim|"
                           "Rem|Resume|Select|Set|Step|Sub|Then|To|True|Until|Wend|While|With|Xor)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        objects_ = QRegularExpression(QStringLiteral("\\b(objScript|Record)\\b"),
                                      QRegularExpression::CaseInsensitiveOption);
    }

protected:
    void highlightBlock(const QString& text) override {
        for (const auto* rule : {&keywords_, &objects_}) {
            auto it = rule->globalMatch(text);
            while (it.hasNext()) {
                const auto m = it.next();
                setFormat(int(m.capturedStart()), int(m.capturedLength()), rule == &keywords_ ? keyword_ : object_);
            }
        }
        // Strings, then a comment outside them: ' or Rem to the end of the line.
        bool inString = false;
        int start = 0;
        for (int i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == QLatin1Char('"')) {
                if (!inString) start = i;
                else setFormat(start, i - start + 1, string_);
                inString = !inString;
            } else if (!inString && c == QLatin1Char('\'')) {
                setFormat(i, int(text.size()) - i, comment_);
                return;
            } else if (!inString && (i == 0 || !text[i - 1].isLetterOrNumber()) &&
                       text.mid(i, 3).compare(QLatin1String("Rem"), Qt::CaseInsensitive) == 0 &&
                       (i + 3 == text.size() || text[i + 3].isSpace())) {
                setFormat(i, int(text.size()) - i, comment_);
                return;
            }
        }
        if (inString) setFormat(start, int(text.size()) - start, string_);
    }

private:
    QRegularExpression keywords_, objects_;
    QTextCharFormat keyword_, object_, string_, comment_;
};

bool isTab(const QKeyEvent* k) { return k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab; }

// The system's fixed font, or the first installed family of fixed pitch when the system's choice
// is not one (some "monospace" families report proportional metrics), so scripts line up.
QFont scriptFont() {
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(mono).fixedPitch()) return mono;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(family)) continue;
        QFont candidate = mono;
        candidate.setFamily(family);
        if (QFontInfo(candidate).fixedPitch()) return candidate;
    }
    return mono;
}

}  // namespace

ScriptEditor::ScriptEditor(QWidget* parent) : QPlainTextEdit(parent) {
    const QFont mono = scriptFont();
    setFont(mono);
    setTabStopDistance(QFontMetricsF(mono).horizontalAdvance(QLatin1Char(' ')) * 4);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    new VbsHighlighter(document());
}

// Shift+Tab and Ctrl+Tab would move the focus before the key reaches the editor.
bool ScriptEditor::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress && isTab(static_cast<QKeyEvent*>(e))) {
        keyPressEvent(static_cast<QKeyEvent*>(e));
        return true;
    }
    if (e->type() == QEvent::ShortcutOverride && isTab(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QPlainTextEdit::event(e);
}

void ScriptEditor::keyPressEvent(QKeyEvent* e) {
    if (isTab(e) && !isReadOnly()) {
        textCursor().insertText(QStringLiteral("\t"));   // replaces the selection, if any
        e->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

ReferenceTreeWidget::ReferenceTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QMimeData* ReferenceTreeWidget::dragData(QTreeWidgetItem* item) const {
    auto* data = new QMimeData;
    data->setText(item ? item->text(0) : QString());
    return data;
}

void ReferenceTreeWidget::startDrag(Qt::DropActions) {
    QTreeWidgetItem* item = currentItem();
    if (!item) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData(item));
    drag->setPixmap(item->icon(0).pixmap(16, 16));
    // A copy whatever the target asks: the tree keeps its node.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

}  // namespace vt::maps
