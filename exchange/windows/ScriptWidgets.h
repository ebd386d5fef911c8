#pragma once
// The script editor (Tab and Shift+Tab type a TAB) and the reference tree whose nodes drag out
// as their text.

#include <QPlainTextEdit>
#include <QTreeWidget>

namespace vt::exchange {

class ScriptEditor final : public QPlainTextEdit {
public:
    explicit ScriptEditor(QWidget* parent = nullptr);

protected:
    bool event(QEvent* e) override;
};

class ReferenceTree final : public QTreeWidget {
public:
    explicit ReferenceTree(QWidget* parent = nullptr);

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
};

}  // namespace vt::exchange
