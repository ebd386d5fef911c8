#pragma once
// The report designer: the template's sections stacked on a page canvas, objects selected,
// moved and resized with the mouse or the arrow keys, added and deleted from the toolbar, their
// properties edited in a panel; groups added by a field; a preview in the viewer; save.

// moc cannot read the standard library's C++20 headers that these bring in; no signal uses them.
#ifndef Q_MOC_RUN
#include "Document.h"
#include "Layout.h"
#endif

#include <QStringList>
#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolBar;

namespace vt::report {

class DesignCanvas;

// The template as the designer draws it: a field box too narrow for its name in braces shows the
// name whole, in a smaller font (down to 6 points) and only then wider than the box.
Report withFieldNamesWhole(Report report);

class ReportDesigner : public QWidget {
    Q_OBJECT
public:
    explicit ReportDesigner(QWidget* parent = nullptr);
    ~ReportDesigner() override;

    // The report edited; the designer keeps it.
    void setReportObject(std::shared_ptr<ReportDocument> doc);
    const std::shared_ptr<ReportDocument>& reportObject() const { return doc_; }

    ObjectId selection() const { return selected_; }
    // Selects an object (section from 1, object from 0); an id of nothing clears the selection.
    void select(ObjectId id);
    // The selected object moved or resized by twips; positions stay at 0 or more, sizes at
    // 15 twips or more.
    void moveSelected(int dx, int dy);
    void resizeSelected(int dw, int dh);
    // Adds an object to a section and selects it: text (its text), field (field name), special
    // field (the kind's number as text), line or box.
    ObjectId addObject(ObjectKind kind, int section, int left, int top, const std::string& content = {});
    void deleteSelected();
    // Adds an innermost group by the field, its header showing the field.
    void groupBy(const std::string& field);
    // Saves over the template it was opened from (or to `file`); false after telling the user.
    bool save();
    bool saveAs(const std::filesystem::path& file);
    // Shows the report in a viewer dialog (not modal); returns it.
    QWidget* preview();

    bool isModified() const { return modified_; }
    QToolBar* toolbar() const { return toolbar_; }
    QAction* action(const char* name) const;
    QWidget* canvas() const;
    QWidget* propertiesPanel() const { return properties_; }

signals:
    void selectionChanged();
    void modified();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Asks for an object's content (a test answers instead); nothing when cancelled.
    virtual std::optional<std::string> askContent(ObjectKind kind);
    virtual std::optional<std::string> askGroupField();
    // The field names the report can show: its data's, else its field-definition file's, and
    // those its objects and groups already use.
    QStringList knownFields() const;

private:
    friend class DesignCanvas;
    struct Selected {
        int section = 0;
        ReportObject* object = nullptr;
    };
    Selected selectedWithSection() const;
    ReportObject* selectedObject();
    void changed();
    void refreshPanel();
    void applyPanel();
    void chooseColor();
    void showColor(std::uint32_t rgb);
    void addFromToolbar(ObjectKind kind);

    std::shared_ptr<ReportDocument> doc_;
    ObjectId selected_;
    bool modified_ = false;
    bool updating_ = false;

    QToolBar* toolbar_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    DesignCanvas* canvas_ = nullptr;
    QWidget* properties_ = nullptr;
    QLabel* sectionLabel_ = nullptr;
    QLineEdit* name_ = nullptr;
    QSpinBox *left_ = nullptr, *top_ = nullptr, *width_ = nullptr, *height_ = nullptr;
    QLineEdit* content_ = nullptr;
    QLineEdit* format_ = nullptr;
    QComboBox* fontName_ = nullptr;
    QSpinBox* fontSize_ = nullptr;
    QCheckBox *bold_ = nullptr, *italic_ = nullptr, *underline_ = nullptr, *canGrow_ = nullptr;
    QPushButton* color_ = nullptr;
    std::uint32_t colorValue_ = 0;
    QComboBox* align_ = nullptr;
    QPointer<QWidget> previewWindow_;   // cleared by Qt when the preview closes
};

}  // namespace vt::report
