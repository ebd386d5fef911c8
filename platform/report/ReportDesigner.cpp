#include "ReportDesigner.h"

#include "Engine.h"
#include "FieldDefs.h"
#include "ReportViewer.h"
#include "platform/text/AnsiQt.h"
#include "platform/widgets/BoxTitle.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vt::report {

namespace {
constexpr int kMinSize = 15;   // twips: an object never shrinks to nothing
constexpr int kStep = 20;      // twips an arrow key moves
constexpr int kGutter = 110;   // pixels left of the page for the section names
constexpr int kHandle = 7;     // pixels of the resize handle
}  // namespace

Report withFieldNamesWhole(Report report) {
    constexpr double kSmallest = 6;   // points: still readable on the canvas
    for (int n = 1; n <= report.sectionCount(); ++n)
        for (ReportObject& o : report.section(n).objects) {
            if (o.kind != ObjectKind::Field) continue;
            const QString name = QLatin1Char('{') + text::fromAnsi(o.field) + QLatin1Char('}');
            // Font pixels are twips here, as on the page. Glyphs do not scale evenly, so the size
            // is brought down in steps until the name fits.
            for (;;) {
                const double wide = QFontMetricsF(qtFont(o.font)).horizontalAdvance(name);
                if (wide <= o.width) break;
                if (o.font.size <= kSmallest) {
                    o.width = int(std::ceil(wide));
                    break;
                }
                o.font.size = std::max(kSmallest, std::min(o.font.size - 0.25, o.font.size * o.width / wide));
            }
        }
    return report;
}

// The template drawn as its sections, with the section names beside them and the selected
// object framed with a resize handle at its bottom-right corner.
class DesignCanvas : public QWidget {
public:
    explicit DesignCanvas(ReportDesigner* d) : QWidget(d), d_(d) {
        setObjectName(QStringLiteral("designCanvas"));
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
    }
    double scale() const { return logicalDpiX() / 1440.0; }
    void relayout() {
        if (!d_->doc_) {
            resize(400, 200);
            update();
            return;
        }
        // Every section is shown at least one name high, so that the names of empty sections
        // stand beside their own bands instead of crowding under the last one.
        const Report& r = d_->doc_->report();
        shown_ = withFieldNamesWhole(r);
        const int band = int(std::ceil((QFontMetricsF(labelFont()).height() + 3) / scale()));
        for (int i = 1; i <= shown_.sectionCount(); ++i)
            shown_.section(i).height = std::max(r.section(i).height, band);
        layout_ = designLayout(shown_);
        tops_ = sectionTops(shown_);
        resize(kGutter + int(layout_.pageWidth * scale()) + 20, int(tops_.back() * scale()) + 30);
        update();
    }
    // The selected object's rectangle in pixels.
    QRectF selectedRect() const {
        const ReportDesigner::Selected sel = d_->selectedWithSection();
        if (!sel.object) return {};
        const double s = scale();
        const int top = tops_[size_t(sel.section - 1)];
        return QRectF(kGutter + sel.object->left * s, 10 + (top + sel.object->top) * s,
                      std::max(sel.object->width, kMinSize) * s, std::max(sel.object->height, kMinSize) * s);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0xe8, 0xe8, 0xe8));
        if (!d_->doc_) return;
        const double s = scale();
        const Report& r = d_->doc_->report();
        p.fillRect(QRectF(kGutter, 10, layout_.pageWidth * s, tops_.back() * s), Qt::white);
        p.setRenderHint(QPainter::TextAntialiasing);
        // What a section shows beyond its real height is shaded.
        for (int i = 0; i < r.sectionCount(); ++i) {
            const int real = r.sections()[size_t(i)].height;
            if (tops_[size_t(i)] + real < tops_[size_t(i) + 1])
                p.fillRect(QRectF(kGutter, 10 + (tops_[size_t(i)] + real) * s, layout_.pageWidth * s,
                                  (tops_[size_t(i) + 1] - tops_[size_t(i)] - real) * s),
                           QColor(0xf2, 0xf2, 0xf2));
        }
        if (!layout_.pages.empty()) drawPage(p, layout_, 0, s, QPointF(kGutter, 10));
        p.setFont(labelFont());
        const std::vector<QRectF> labels = labelRects();
        for (int i = 0; i < r.sectionCount(); ++i) {
            const Section& sec = r.sections()[size_t(i)];
            const double y = 10 + tops_[size_t(i)] * s;
            p.setPen(QColor(0x90, 0x90, 0x90));
            p.drawLine(QPointF(0, y), QPointF(kGutter + layout_.pageWidth * s, y));
            QString name = QString::fromLatin1(sectionKindName(sec.kind).data(), int(sectionKindName(sec.kind).size()));
            if (sec.group) name += QStringLiteral(" %1").arg(sec.group);
            if (sec.suppress) name += QStringLiteral(" (hidden)");
            p.setPen(Qt::black);
            p.drawText(labels[size_t(i)], Qt::AlignLeft | Qt::AlignTop, name);
        }
        const QRectF sel = selectedRect();
        if (!sel.isNull()) {
            p.setPen(QPen(QColor(0x22, 0x55, 0xcc), 1, Qt::DashLine));
            p.drawRect(sel);
            p.fillRect(QRectF(sel.right() - kHandle / 2.0, sel.bottom() - kHandle / 2.0, kHandle, kHandle),
                       QColor(0x22, 0x55, 0xcc));
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        setFocus();
        if (!d_->doc_ || e->button() != Qt::LeftButton) return;
        const QRectF sel = selectedRect();
        last_ = e->position();
        if (!sel.isNull() && QRectF(sel.right() - kHandle, sel.bottom() - kHandle, 2 * kHandle, 2 * kHandle)
                                 .contains(e->position())) {
            mode_ = Resize;
            return;
        }
        const double s = scale();
        const int x = int((e->position().x() - kGutter) / s), y = int((e->position().y() - 10) / s);
        int section = 0;
        if (e->position().x() < kGutter) {
            // A section's name picks it, even one without height to click into.
            const std::vector<QRectF> labels = labelRects();
            for (size_t i = 0; i < labels.size(); ++i)
                if (labels[i].contains(e->position())) section = int(i) + 1;
            d_->select({section, -1});
            mode_ = None;
            return;
        }
        for (size_t i = 0; i + 1 < tops_.size(); ++i)
            if (y >= tops_[i] && y < tops_[i + 1]) section = int(i) + 1;
        const int object = section ? objectAt(d_->doc_->report(), section, x, y - tops_[size_t(section - 1)]) : -1;
        d_->select(object >= 0 ? ObjectId{section, object} : ObjectId{section, -1});
        mode_ = object >= 0 ? Move : None;
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QRectF sel = selectedRect();
        const bool onHandle = !sel.isNull() &&
                              QRectF(sel.right() - kHandle, sel.bottom() - kHandle, 2 * kHandle, 2 * kHandle)
                                  .contains(e->position());
        setCursor(mode_ == Resize || onHandle ? Qt::SizeFDiagCursor : mode_ == Move ? Qt::SizeAllCursor : Qt::ArrowCursor);
        if (mode_ == None || !(e->buttons() & Qt::LeftButton)) return;
        const QPointF delta = (e->position() - last_) / scale();
        const int dx = int(delta.x()), dy = int(delta.y());
        if (!dx && !dy) return;
        last_ += QPointF(dx * scale(), dy * scale());
        if (mode_ == Move)
            d_->moveSelected(dx, dy);
        else
            d_->resizeSelected(dx, dy);
    }
    void mouseReleaseEvent(QMouseEvent*) override { mode_ = None; }
    // Arrows and Delete act on the selection rather than scroll the canvas.
    void keyPressEvent(QKeyEvent* e) override { d_->keyPressEvent(e); }

private:
    QFont labelFont() const {
        QFont small = font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        return small;
    }
    // Where each section's name is drawn in the gutter. Empty sections have no height: their names
    // go under the one before rather than over it.
    std::vector<QRectF> labelRects() const {
        std::vector<QRectF> out;
        if (!d_->doc_) return out;
        const double s = scale();
        const double lineHeight = QFontMetricsF(labelFont()).height();
        double labelBottom = 0;
        for (int i = 0; i < d_->doc_->report().sectionCount() && size_t(i) < tops_.size(); ++i) {
            const double labelTop = std::max(10 + tops_[size_t(i)] * s + 1.5, labelBottom);
            out.emplace_back(4, labelTop, kGutter - 8, lineHeight);
            labelBottom = labelTop + lineHeight;
        }
        return out;
    }

    enum Mode { None, Move, Resize };
    ReportDesigner* d_;
    Report shown_;    // the report as drawn: its sections at least one name high
    Layout layout_;   // of shown_
    std::vector<int> tops_{0};
    Mode mode_ = None;
    QPointF last_;
};

ReportDesigner::ReportDesigner(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("crxDesigner"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [this](const char* name, const QString& text, QKeySequence key, auto fn) {
        auto* a = toolbar_->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a);
        }
        connect(a, &QAction::triggered, this, fn);
    };
    add("save", QStringLiteral("Save"), QKeySequence::Save, [this] { save(); });
    add("preview", QStringLiteral("Preview"), QKeySequence(Qt::Key_F5), [this] { preview(); });
    toolbar_->addSeparator();
    add("addText", QStringLiteral("Text"), {}, [this] { addFromToolbar(ObjectKind::Text); });
    add("addField", QStringLiteral("Field"), {}, [this] { addFromToolbar(ObjectKind::Field); });
    add("addSpecial", QStringLiteral("Special Field"), {}, [this] { addFromToolbar(ObjectKind::Special); });
    add("addLine", QStringLiteral("Line"), {}, [this] { addFromToolbar(ObjectKind::Line); });
    add("addBox", QStringLiteral("Box"), {}, [this] { addFromToolbar(ObjectKind::Box); });
    add("delete", QStringLiteral("Delete"), {}, [this] { deleteSelected(); });
    toolbar_->addSeparator();
    add("groupBy", QStringLiteral("Group By..."), {}, [this] {
        if (auto field = askGroupField(); field && !field->empty()) groupBy(*field);
    });
    outer->addWidget(toolbar_);

    auto* split = new QSplitter(Qt::Horizontal, this);
    scroll_ = new QScrollArea(split);
    scroll_->setBackgroundRole(QPalette::Dark);
    canvas_ = new DesignCanvas(this);
    scroll_->setWidget(canvas_);

    properties_ = new QWidget(split);
    properties_->setObjectName(QStringLiteral("properties"));
    auto* form = new QFormLayout(properties_);
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    sectionLabel_ = new QLabel(properties_);
    form->addRow(QStringLiteral("Section:"), sectionLabel_);
    name_ = new QLineEdit(properties_);
    name_->setMaxLength(int(kMaxNameLength));
    form->addRow(QStringLiteral("&Name:"), named(name_, "name"));
    content_ = new QLineEdit(properties_);
    form->addRow(QStringLiteral("&Content:"), named(content_, "content"));
    format_ = new QLineEdit(properties_);
    format_->setMaxLength(int(kMaxPictureLength));
    format_->setPlaceholderText(QStringLiteral("General"));
    format_->setToolTip(QStringLiteral("A Format picture such as #,##0.00 or mm/dd/yyyy"));
    form->addRow(QStringLiteral("F&ormat:"), named(format_, "format"));
    auto spin = [&](const QString& label, const char* name) {
        auto* b = new QSpinBox(properties_);
        b->setRange(0, 100000);
        b->setSingleStep(kStep);
        b->setSuffix(QStringLiteral(" tw"));
        form->addRow(label, named(b, name));
        connect(b, &QSpinBox::valueChanged, this, [this] { applyPanel(); });
        return b;
    };
    left_ = spin(QStringLiteral("&Left:"), "left");
    top_ = spin(QStringLiteral("&Top:"), "top");
    width_ = spin(QStringLiteral("&Width:"), "width");
    height_ = spin(QStringLiteral("&Height:"), "height");
    fontName_ = new QComboBox(properties_);
    fontName_->addItems(QFontDatabase::families());
    form->addRow(QStringLiteral("&Font:"), named(fontName_, "fontName"));
    fontSize_ = new QSpinBox(properties_);
    fontSize_->setRange(1, 144);
    fontSize_->setSuffix(QStringLiteral(" pt"));
    form->addRow(QStringLiteral("Font &size:"), named(fontSize_, "fontSize"));
    bold_ = new QCheckBox(QStringLiteral("&Bold"), properties_);
    italic_ = new QCheckBox(QStringLiteral("&Italic"), properties_);
    underline_ = new QCheckBox(QStringLiteral("&Underline"), properties_);
    canGrow_ = new QCheckBox(QStringLiteral("Can &grow"), properties_);
    canGrow_->setToolTip(QStringLiteral("Grows to its wrapped text and pushes the rest of the section down"));
    auto* styles = new QHBoxLayout;
    styles->addWidget(named(bold_, "bold"));
    styles->addWidget(named(italic_, "italic"));
    styles->addWidget(named(underline_, "underline"));
    styles->addStretch();
    form->addRow(styles);
    color_ = new QPushButton(properties_);
    form->addRow(QStringLiteral("Colo&r:"), named(color_, "color"));
    align_ = new QComboBox(properties_);
    align_->addItems({QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")});
    form->addRow(QStringLiteral("&Align:"), named(align_, "align"));
    form->addRow(canGrow_);
    named(canGrow_, "canGrow");
    connect(name_, &QLineEdit::editingFinished, this, [this] { applyPanel(); });
    connect(content_, &QLineEdit::editingFinished, this, [this] { applyPanel(); });
    connect(format_, &QLineEdit::editingFinished, this, [this] { applyPanel(); });
    connect(fontName_, &QComboBox::currentIndexChanged, this, [this] { applyPanel(); });
    connect(fontSize_, &QSpinBox::valueChanged, this, [this] { applyPanel(); });
    for (QCheckBox* b : {bold_, italic_, underline_, canGrow_})
        connect(b, &QCheckBox::toggled, this, [this] { applyPanel(); });
    connect(color_, &QPushButton::clicked, this, [this] { chooseColor(); });
    connect(align_, &QComboBox::currentIndexChanged, this, [this] { applyPanel(); });
    split->addWidget(scroll_);
    split->addWidget(properties_);
    split->setStretchFactor(0, 1);
    split->setSizes({700, 240});
    outer->addWidget(split, 1);
    refreshPanel();
}

ReportDesigner::~ReportDesigner() = default;

QAction* ReportDesigner::action(const char* name) const {
    return toolbar_->findChild<QAction*>(QString::fromLatin1(name));
}

QWidget* ReportDesigner::canvas() const { return canvas_; }

void ReportDesigner::setReportObject(std::shared_ptr<ReportDocument> doc) {
    doc_ = std::move(doc);
    selected_ = {};
    modified_ = false;
    canvas_->relayout();
    refreshPanel();
    setWindowModified(false);
}

ReportDesigner::Selected ReportDesigner::selectedWithSection() const {
    if (!doc_ || selected_.section < 1 || selected_.section > doc_->report().sectionCount()) return {};
    const Section& sec = doc_->report().sections()[size_t(selected_.section - 1)];
    if (selected_.object < 0 || selected_.object >= int(sec.objects.size())) return {};
    return {selected_.section, const_cast<ReportObject*>(&sec.objects[size_t(selected_.object)])};
}

ReportObject* ReportDesigner::selectedObject() { return selectedWithSection().object; }

void ReportDesigner::select(ObjectId id) {
    selected_ = id;
    canvas_->update();
    refreshPanel();
    emit selectionChanged();
}

void ReportDesigner::changed() {
    modified_ = true;
    setWindowModified(true);
    canvas_->relayout();
    refreshPanel();
    emit modified();
}

void ReportDesigner::moveSelected(int dx, int dy) {
    ReportObject* o = selectedObject();
    if (!o) return;
    o->left = std::max(0, o->left + dx);
    o->top = std::max(0, o->top + dy);
    changed();
}

void ReportDesigner::resizeSelected(int dw, int dh) {
    ReportObject* o = selectedObject();
    if (!o) return;
    o->width = std::max(kMinSize, o->width + dw);
    o->height = std::max(kMinSize, o->height + dh);
    changed();
}

ObjectId ReportDesigner::addObject(ObjectKind kind, int section, int left, int top, const std::string& content) {
    if (!doc_) return {};
    Report& r = doc_->report();
    if (section < 1 || section > r.sectionCount()) return {};
    switch (kind) {
    case ObjectKind::Text: r.addTextObject(section, content.empty() ? "Text" : content, left, top); break;
    case ObjectKind::Field: r.addFieldObject(section, content, left, top); break;
    case ObjectKind::Special: r.addSpecialField(section, content.empty() ? 1 : std::stoi(content), left, top); break;
    case ObjectKind::Line:
    case ObjectKind::Box: {
        ReportObject o;
        o.kind = kind;
        o.left = left;
        o.top = top;
        o.width = 2880;
        o.height = kind == ObjectKind::Line ? 0 : 480;
        r.section(section).objects.push_back(o);
        break;
    }
    }
    Section& sec = r.section(section);
    ReportObject& added = sec.objects.back();
    if (added.name.empty()) added.name = "Object" + std::to_string(sec.objects.size());
    // A section grows to hold what is put in it.
    sec.height = std::max(sec.height, top + std::max(added.height, kMinSize));
    selected_ = {section, int(sec.objects.size()) - 1};
    changed();
    emit selectionChanged();
    return selected_;
}

void ReportDesigner::deleteSelected() {
    if (!selectedObject()) return;
    auto& objects = doc_->report().section(selected_.section).objects;
    objects.erase(objects.begin() + selected_.object);
    selected_.object = -1;
    changed();
    emit selectionChanged();
}

void ReportDesigner::groupBy(const std::string& field) {
    if (!doc_ || field.empty()) return;
    Report& r = doc_->report();
    const int level = r.addGroup(field);
    Section& header = r.section(SectionKind::GroupHeader, level);
    int number = 0;
    for (int i = 1; i <= r.sectionCount(); ++i)
        if (&r.section(i) == &header) number = i;
    ReportObject& o = r.addFieldObject(number, field, 0, 0);
    o.font.bold = true;
    o.width = 2880;
    if (o.name.empty()) o.name = "Group" + std::to_string(level) + "Name";
    selected_ = {number, int(header.objects.size()) - 1};
    changed();
    emit selectionChanged();
}

bool ReportDesigner::save() {
    if (!doc_) return false;
    return saveAs(doc_->path());
}

bool ReportDesigner::saveAs(const std::filesystem::path& file) {
    if (!doc_) return false;
    try {
        doc_->save(file);
    } catch (const std::exception& e) {
        widgets::ShowBox(this, QMessageBox::Critical, QStringLiteral("Report Designer"), QString::fromStdString(e.what()));
        return false;
    }
    modified_ = false;
    setWindowModified(false);
    return true;
}

QWidget* ReportDesigner::preview() {
    if (!doc_) return nullptr;
    delete previewWindow_;
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("preview"));
    dialog->setWindowTitle(QStringLiteral("Preview"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* box = new QVBoxLayout(dialog);
    box->setContentsMargins(0, 0, 0, 0);
    auto* viewer = new ReportViewer(dialog);
    // The preview shows the template as it is now; later edits do not reach it.
    viewer->setReportSource(std::make_shared<ReportDocument>(*doc_));
    viewer->viewReport();
    box->addWidget(viewer);
    dialog->resize(900, 700);
    dialog->show();
    previewWindow_ = dialog;
    return dialog;
}

void ReportDesigner::refreshPanel() {
    updating_ = true;
    ReportObject* o = selectedObject();
    properties_->setEnabled(o != nullptr);
    if (doc_ && selected_.section >= 1 && selected_.section <= doc_->report().sectionCount()) {
        const Section& sec = doc_->report().section(selected_.section);
        QString name = QString::fromLatin1(sectionKindName(sec.kind).data(), int(sectionKindName(sec.kind).size()));
        if (sec.group) name += QStringLiteral(" %1").arg(sec.group);
        sectionLabel_->setText(name);
    } else {
        sectionLabel_->clear();
    }
    // With nothing selected the panel shows no values rather than made-up ones.
    for (QSpinBox* b : {left_, top_, width_, height_, fontSize_}) {
        const int lowest = b == fontSize_ ? 1 : 0;
        b->setSpecialValueText(o ? QString() : QStringLiteral(" "));
        b->setMinimum(o ? lowest : lowest - 1);
    }
    if (o) {
        name_->setText(text::fromAnsi(o->name));
        left_->setValue(o->left);
        top_->setValue(o->top);
        width_->setValue(o->width);
        height_->setValue(o->height);
        const bool textual = o->kind == ObjectKind::Text || o->kind == ObjectKind::Field || o->kind == ObjectKind::Special;
        content_->setEnabled(o->kind == ObjectKind::Text || o->kind == ObjectKind::Field);
        content_->setText(o->kind == ObjectKind::Text    ? text::fromAnsi(o->text)
                          : o->kind == ObjectKind::Field ? text::fromAnsi(o->field)
                                                         : QString());
        for (QWidget* w : std::initializer_list<QWidget*>{fontName_, fontSize_, bold_, italic_, underline_, align_, canGrow_})
            w->setEnabled(textual);
        format_->setEnabled(o->kind == ObjectKind::Field || o->kind == ObjectKind::Special);
        format_->setText(format_->isEnabled() ? text::fromAnsi(o->format) : QString());
        // A template may name a font this machine lacks: it stays listed so it is kept.
        const QString family = text::fromAnsi(o->font.name);
        if (fontName_->findText(family) < 0) fontName_->addItem(family);
        fontName_->setCurrentIndex(fontName_->findText(family));
        fontSize_->setValue(int(o->font.size + 0.5));
        bold_->setChecked(o->font.bold);
        italic_->setChecked(o->font.italic);
        underline_->setChecked(o->font.underline);
        canGrow_->setChecked(o->canGrow);
        align_->setCurrentIndex(int(o->align));
        showColor(o->color);
    } else {
        for (QLineEdit* e : {name_, content_, format_}) e->clear();
        for (QSpinBox* b : {left_, top_, width_, height_, fontSize_}) b->setValue(b->minimum());
        for (QCheckBox* b : {bold_, italic_, underline_, canGrow_}) b->setChecked(false);
        fontName_->setCurrentIndex(-1);
        align_->setCurrentIndex(-1);
        color_->setIcon(QIcon());
        color_->setText(QString());
    }
    updating_ = false;
}

void ReportDesigner::applyPanel() {
    if (updating_) return;
    ReportObject* o = selectedObject();
    if (!o) return;
    ReportObject before = *o;
    o->name = text::toAnsi(name_->text());
    o->left = left_->value();
    o->top = top_->value();
    o->width = std::max(kMinSize, width_->value());
    o->height = height_->value();
    if (o->kind == ObjectKind::Text) o->text = text::toAnsi(content_->text());
    if (o->kind == ObjectKind::Field) o->field = text::toAnsi(content_->text().left(int(kMaxNameLength)));
    if (fontSize_->isEnabled()) {
        o->font.name = text::toAnsi(fontName_->currentText());
        // The box shows whole points: a size it rounded stays as it was until it is changed.
        if (fontSize_->value() != int(o->font.size + 0.5)) o->font.size = fontSize_->value();
        o->font.bold = bold_->isChecked();
        o->font.italic = italic_->isChecked();
        o->font.underline = underline_->isChecked();
        o->align = Align(align_->currentIndex());
        o->canGrow = canGrow_->isChecked();
    }
    if (format_->isEnabled()) o->format = text::toAnsi(format_->text().trimmed());
    o->color = colorValue_;
    if (!(before == *o)) changed();
}

void ReportDesigner::showColor(std::uint32_t rgb) {
    colorValue_ = rgb;
    QPixmap swatch(16, 16);
    swatch.fill(QColor(QRgb(0xFF000000u | rgb)));
    color_->setIcon(QIcon(swatch));
    color_->setText(QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper());
}

void ReportDesigner::chooseColor() {
    const QColor c = QColorDialog::getColor(QColor(QRgb(0xFF000000u | colorValue_)), this, QStringLiteral("Colour"));
    if (!c.isValid()) return;
    showColor(c.rgb() & 0xFFFFFFu);
    applyPanel();
}

QStringList ReportDesigner::knownFields() const {
    QStringList fields;
    if (!doc_) return fields;
    auto add = [&fields](const std::string& name) {
        const QString f = text::fromAnsi(name);
        if (!f.isEmpty() && !fields.contains(f, Qt::CaseInsensitive)) fields << f;
    };
    if (doc_->data()) {
        for (const Column& c : doc_->data()->columns) add(c.name);
    } else if (!doc_->report().dataDefinition.empty()) {
        // The field-definition file the report was made for, beside the template unless a path is given.
        std::filesystem::path defs = doc_->report().dataDefinition;
        if (defs.is_relative()) defs = doc_->path().parent_path() / defs;
        try {
            for (const Column& c : readFieldDefFile(defs)) add(c.name);
        } catch (const std::exception&) {
            // Without the file the user types the name.
        }
    }
    for (const GroupDef& g : doc_->report().groups()) add(g.field);
    for (const Section& sec : doc_->report().sections())
        for (const ReportObject& o : sec.objects)
            if (o.kind == ObjectKind::Field) add(o.field);
    return fields;
}

std::optional<std::string> ReportDesigner::askContent(ObjectKind kind) {
    bool ok = false;
    if (kind == ObjectKind::Special) {
        const QStringList kinds = {QStringLiteral("1 Print Date"),  QStringLiteral("2 Print Time"),
                                   QStringLiteral("4 Data Date"),   QStringLiteral("5 Data Time"),
                                   QStringLiteral("6 Record Number"), QStringLiteral("7 Page Number"),
                                   QStringLiteral("9 Total Pages"), QStringLiteral("17 Page N of M")};
        const QString k = QInputDialog::getItem(this, QStringLiteral("Special Field"), QStringLiteral("Kind:"), kinds, 0,
                                                false, &ok);
        if (!ok) return std::nullopt;
        return k.section(QLatin1Char(' '), 0, 0).toStdString();
    }
    if (kind == ObjectKind::Line || kind == ObjectKind::Box) return std::string();
    const QStringList fields = kind == ObjectKind::Field ? knownFields() : QStringList();
    const QString title = kind == ObjectKind::Field ? QStringLiteral("Field") : QStringLiteral("Text");
    const QString label = kind == ObjectKind::Field ? QStringLiteral("Field name:") : QStringLiteral("Text:");
    const QString value = fields.isEmpty()
                              ? QInputDialog::getText(this, title, label, QLineEdit::Normal, {}, &ok)
                              : QInputDialog::getItem(this, title, label, fields, 0, true, &ok);
    if (!ok || value.isEmpty()) return std::nullopt;
    return text::toAnsi(value.left(int(kind == ObjectKind::Field ? kMaxNameLength : kMaxTextLength)));
}

std::optional<std::string> ReportDesigner::askGroupField() {
    bool ok = false;
    const QStringList fields = knownFields();
    const QString value =
        fields.isEmpty()
            ? QInputDialog::getText(this, QStringLiteral("Group By"), QStringLiteral("Field name:"), QLineEdit::Normal, {},
                                    &ok)
            : QInputDialog::getItem(this, QStringLiteral("Group By"), QStringLiteral("Field name:"), fields, 0, true, &ok);
    if (!ok || value.isEmpty()) return std::nullopt;
    return text::toAnsi(value.left(int(kMaxNameLength)));
}

void ReportDesigner::addFromToolbar(ObjectKind kind) {
    if (!doc_) return;
    const auto content = askContent(kind);
    if (!content) return;
    // Into the section of the selection, else the details.
    int section = selected_.section;
    if (section < 1 || section > doc_->report().sectionCount())
        for (int i = 1; i <= doc_->report().sectionCount(); ++i)
            if (doc_->report().section(i).kind == SectionKind::Details) section = i;
    addObject(kind, section, 0, 0, *content);
}

void ReportDesigner::keyPressEvent(QKeyEvent* event) {
    const bool resize = event->modifiers() & Qt::ShiftModifier;
    auto step = [&](int dx, int dy) { resize ? resizeSelected(dx, dy) : moveSelected(dx, dy); };
    switch (event->key()) {
    case Qt::Key_Left: step(-kStep, 0); return;
    case Qt::Key_Right: step(kStep, 0); return;
    case Qt::Key_Up: step(0, -kStep); return;
    case Qt::Key_Down: step(0, kStep); return;
    case Qt::Key_Delete: deleteSelected(); return;
    default: QWidget::keyPressEvent(event);
    }
}

}  // namespace vt::report
