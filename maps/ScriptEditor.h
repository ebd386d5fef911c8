#pragma once
// The designer's script editor and its reference tree: a plain-text editor in a fixed-pitch font
// whose Tab key (with any modifier) types a TAB, with VBScript keywords, strings and comments
// coloured; and a tree whose nodes are dragged out as their text, copied, never moved.

#include <QPlainTextEdit>
#include <QTreeWidget>

namespace vt::maps {

class ScriptEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ScriptEditor(QWidget* parent = nullptr);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

class ReferenceTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit ReferenceTreeWidget(QWidget* parent = nullptr);
    // The text a drag of `item` carries: the node's text.
    QMimeData* dragData(QTreeWidgetItem* item) const;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
};

}  // namespace vt::maps
