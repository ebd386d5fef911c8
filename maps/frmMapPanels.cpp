// The designer's property panels: their controls, the fill from a Segment or Element row, the
// changed flags and the question that offers to save them.

#include "maps/frmMap.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "maps/ScriptEditor.h"
#include "maps/frmMapIcons.h"
#include "platform/text/AnsiQt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

namespace vt::maps {

namespace {

QString number(std::int64_t n) { return QString::number(n); }

}  // namespace

QToolButton* frmMap::panelButton(QWidget* parent, const char* name, const char* picture, const char* tip) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(icons::button(picture));
    b->setToolTip(QString::fromLatin1(tip));
    b->setAutoRaise(false);
    b->setIconSize(QSize(16, 16));
    return b;
}

void frmMap::buildPanels() {
    QWidget* client = centralWidget();
    auto label = [](const char* text, QWidget* parent) { return new QLabel(QString::fromLatin1(text), parent); };
    auto edit = [](const char* name, QWidget* parent) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    auto combo = [](const char* name, QWidget* parent) {
        auto* c = new QComboBox(parent);
        c->setObjectName(QString::fromLatin1(name));
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(6);
        return c;
    };
    auto check = [](const char* name, const char* text, const char* tip, QWidget* parent) {
        auto* c = new QCheckBox(QString::fromLatin1(text), parent);
        c->setObjectName(QString::fromLatin1(name));
        if (tip) c->setToolTip(QString::fromLatin1(tip));
        return c;
    };

    // ---- Segment ----
    fraSegment_ = new QGroupBox(QStringLiteral("Segment"), client);
    fraSegment_->setObjectName(QStringLiteral("fraSegment"));
    {
        QGroupBox* f = fraSegment_;
        auto* g = new QGridLayout(f);
        g->setContentsMargins(px(90), px(60), px(90), px(60));
        g->setVerticalSpacing(px(60));
        txtSegment_ = edit("txtSegment", f);
        // Save keeps a segment's id: the box shows it, and Add and Duplicate ask for a new one.
        txtSegment_->setReadOnly(true);
        txtSegment_->setToolTip(QStringLiteral("Add and Duplicate ask for the ID of the new segment"));
        {
            QPalette p = txtSegment_->palette();
            p.setColor(QPalette::Base, p.color(QPalette::Window));
            txtSegment_->setPalette(p);
        }
        chkLooping_ = check("chkLooping", "Looping", nullptr, f);
        chkSegmentExclude_ = check("chkSegmentExclude", "Exclude", "Exclude Segment", f);
        txtSegmentName_ = edit("txtSegmentName", f);
        cboSegmentUsage_ = combo("cboSegmentUsage", f);
        cboSegmentLevel_ = combo("cboSegmentLevel", f);
        txtMaxUsageLoop_ = edit("txtMaxUsageLoop", f);
        txtLoopLevel_ = edit("txtLoopLevel", f);
        txtLoopLevel_->setValidator(new QIntValidator(0, 99, txtLoopLevel_));
        txtPlaceholders_ = edit("txtPlaceholders", f);
        int r = 0;
        auto row = [&](const char* text, std::initializer_list<QWidget*> fields) {
            g->addWidget(label(text, f), r, 0);
            auto* line = new QHBoxLayout;
            for (QWidget* w : fields) line->addWidget(w, qobject_cast<QCheckBox*>(w) ? 0 : 1);
            g->addLayout(line, r++, 1);
        };
        row("Segment ID", {txtSegment_, chkLooping_, chkSegmentExclude_});
        row("Description", {txtSegmentName_});
        row("Usage", {cboSegmentUsage_});
        row("Level", {cboSegmentLevel_});
        row("Max Usage/Loops", {txtMaxUsageLoop_});
        row("Loop Level", {txtLoopLevel_});
        row("Placeholders", {txtPlaceholders_});
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(px(30));
        buttons->addWidget(panelButton(f, "cmdAddSegment", "Add", "Add Segment"));
        buttons->addWidget(panelButton(f, "cmdDeleteSegment", "Delete", "Delete Segment"));
        buttons->addWidget(panelButton(f, "cmdSaveSegment", "Save", "Save Segment"));
        buttons->addWidget(panelButton(f, "cmdDuplicateSegment", "Duplicate", "Duplicate Segment"));
        buttons->addWidget(panelButton(f, "cmdSegmentUp", "Up", "Move Segment Up"));
        buttons->addWidget(panelButton(f, "cmdSegmentDown", "Down", "Move Segment Down"));
        buttons->addWidget(panelButton(f, "cmdSegmentIn", "In", "Move Segment In"));
        buttons->addWidget(panelButton(f, "cmdSegmentOut", "Out", "Move Segment Out"));
        buttons->addWidget(panelButton(f, "cmdSegmentProcess", "Process", "Execute Mapper"));
        buttons->addStretch(1);
        g->addLayout(buttons, r, 0, 1, 2);
        g->setRowStretch(r + 1, 1);
        g->setColumnStretch(1, 1);
    }

    // ---- Element ----
    fraElement_ = new QGroupBox(QStringLiteral("Element"), client);
    fraElement_->setObjectName(QStringLiteral("fraElement"));
    {
        QGroupBox* f = fraElement_;
        auto* g = new QGridLayout(f);
        g->setContentsMargins(px(90), px(60), px(90), px(60));
        g->setVerticalSpacing(px(60));
        chkElementExclude_ = check("chkElementExclude", "Exclude", "Exclude Element", f);
        txtReference_ = edit("txtReference", f);
        txtElementName_ = edit("txtElementName", f);
        cboElementUsage_ = combo("cboElementUsage", f);
        cboElementType_ = combo("cboElementType", f);
        txtElementMin_ = edit("txtElementMin", f);
        txtElementMax_ = edit("txtElementMax", f);
        txtFormat_ = edit("txtFormat", f);
        int r = 0;
        auto row = [&](const char* text, std::initializer_list<QWidget*> fields) {
            g->addWidget(label(text, f), r, 0);
            auto* line = new QHBoxLayout;
            for (QWidget* w : fields) line->addWidget(w, qobject_cast<QCheckBox*>(w) ? 0 : 1);
            g->addLayout(line, r++, 1);
        };
        row("Element ID", {txtReference_, chkElementExclude_});
        row("Description", {txtElementName_});
        row("Usage", {cboElementUsage_});
        row("Type", {cboElementType_});
        row("Minimum Length", {txtElementMin_});
        row("Maximum Length", {txtElementMax_});
        row("Format Function", {txtFormat_});
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(px(30));
        buttons->addWidget(panelButton(f, "cmdAddElement", "Add", "Add Element"));
        buttons->addWidget(panelButton(f, "cmdDeleteElement", "Delete", "Delete Element"));
        buttons->addWidget(panelButton(f, "cmdSaveElement", "Save", "Save Element"));
        buttons->addWidget(panelButton(f, "cmdDuplicateElement", "Duplicate", "Duplicate Element"));
        buttons->addWidget(panelButton(f, "cmdMoveElementUp", "Up", "Move Element Up"));
        buttons->addWidget(panelButton(f, "cmdMoveElementDown", "Down", "Move Element Down"));
        buttons->addWidget(panelButton(f, "cmdElementProcess", "Process", "Execute Mapper"));
        buttons->addStretch(1);
        g->addLayout(buttons, r, 0, 1, 2);
        g->setRowStretch(r + 1, 1);
        g->setColumnStretch(1, 1);
    }
    fraElement_->hide();

    for (const char* name : {"cmdSegmentProcess", "cmdElementProcess"})
        connect(static_cast<QToolButton*>(control(name)), &QToolButton::clicked, this, [this] { cmdProcess_Click(); });
}

QWidget* frmMap::control(std::string_view name) const {
    const QString n = QString::fromLatin1(name.data(), qsizetype(name.size()));
    if (QWidget* w = fraSegment_->findChild<QWidget*>(n)) return w;
    if (QWidget* w = fraElement_->findChild<QWidget*>(n)) return w;
    return findChild<QWidget*>(n);
}

void frmMap::connectDirtyFlags() {
    auto segment = [this] {
        if (filling_) return;
        syncSegment();
        panels_.segmentEdited();
    };
    auto element = [this] {
        if (filling_) return;
        syncElement();
        panels_.elementEdited();
    };
    for (QLineEdit* e : {txtMaxUsageLoop_, txtPlaceholders_, txtSegmentName_, txtLoopLevel_})
        connect(e, &QLineEdit::textChanged, this, segment);
    for (QCheckBox* c : {chkSegmentExclude_, chkLooping_}) connect(c, &QCheckBox::toggled, this, segment);
    for (QComboBox* c : {cboSegmentLevel_, cboSegmentUsage_})
        connect(c, &QComboBox::currentIndexChanged, this, segment);
    // An id typed for Add or Duplicate is no change of the shown segment.
    connect(txtSegment_, &QLineEdit::textChanged, this, [this] {
        if (!filling_) syncSegment();
    });
    for (QLineEdit* e : {txtReference_, txtElementName_, txtElementMin_, txtElementMax_, txtFormat_})
        connect(e, &QLineEdit::textChanged, this, element);
    connect(chkElementExclude_, &QCheckBox::toggled, this, element);
    for (QComboBox* c : {cboElementUsage_, cboElementType_})
        connect(c, &QComboBox::currentIndexChanged, this, element);
    // A dropped reference changes the script as typing does.
    connect(txtScript_, &QPlainTextEdit::textChanged, this, [this] {
        if (filling_) return;
        if (panels_.visible() == MapPanels::Visible::Segment) syncSegment();
        else syncElement();
        panels_.scriptEdited();
    });

    static const char* const commands[] = {
        "cmdAddSegment", "cmdDeleteSegment", "cmdSaveSegment", "cmdDuplicateSegment", "cmdSegmentUp",
        "cmdSegmentDown", "cmdSegmentIn", "cmdSegmentOut", "cmdAddElement", "cmdDeleteElement",
        "cmdSaveElement", "cmdDuplicateElement", "cmdMoveElementUp", "cmdMoveElementDown"};
    for (const char* name : commands)
        connect(static_cast<QToolButton*>(control(name)), &QToolButton::clicked, this,
                [this, name] { command_Click(name); });
}

void frmMap::syncSegment() {
    SegmentPanel& p = panels_.segment();
    p.looping = chkLooping_->isChecked();
    p.exclude = chkSegmentExclude_->isChecked();
    p.segment = text::toAnsi(txtSegment_->text());
    p.segmentName = text::toAnsi(txtSegmentName_->text());
    p.usageIndex = cboSegmentUsage_->currentIndex();
    p.levelIndex = cboSegmentLevel_->currentIndex();
    p.loopLevel = text::toAnsi(txtLoopLevel_->text());
    p.maxUsageLoop = text::toAnsi(txtMaxUsageLoop_->text());
    if (panels_.visible() == MapPanels::Visible::Segment) p.script = scriptText();
    p.placeholders = text::toAnsi(txtPlaceholders_->text());
}

void frmMap::syncElement() {
    ElementPanel& p = panels_.element();
    p.exclude = chkElementExclude_->isChecked();
    p.reference = text::toAnsi(txtReference_->text());
    p.elementName = text::toAnsi(txtElementName_->text());
    p.usageIndex = cboElementUsage_->currentIndex();
    p.typeIndex = cboElementType_->currentIndex();
    p.maximum = text::toAnsi(txtElementMax_->text());
    p.minimum = text::toAnsi(txtElementMin_->text());
    if (panels_.visible() == MapPanels::Visible::Element) p.script = scriptText();
    p.format = text::toAnsi(txtFormat_->text());
}

// ---- Display ----

namespace {

QString editorText(const std::string& script) {
    return text::fromAnsi(script).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

struct Filling {
    bool& flag;
    explicit Filling(bool& f) : flag(f) { flag = true; }
    ~Filling() { flag = false; }
};

}  // namespace

void frmMap::fillSegmentPanel() {
    Filling filling(filling_);
    const SegmentPanel& p = panels_.segment();
    chkLooping_->setChecked(p.looping);
    chkSegmentExclude_->setChecked(p.exclude);
    txtSegment_->setText(text::fromAnsi(p.segment));
    txtSegmentName_->setText(text::fromAnsi(p.segmentName));
    cboSegmentUsage_->setCurrentIndex(p.usageIndex);
    cboSegmentLevel_->setCurrentIndex(p.levelIndex);
    txtLoopLevel_->setText(text::fromAnsi(p.loopLevel));
    txtMaxUsageLoop_->setText(text::fromAnsi(p.maxUsageLoop));
    txtScript_->setPlainText(editorText(p.script));
    txtPlaceholders_->setText(text::fromAnsi(p.placeholders));
}

void frmMap::fillElementPanel() {
    Filling filling(filling_);
    const ElementPanel& p = panels_.element();
    chkElementExclude_->setChecked(p.exclude);
    txtReference_->setText(text::fromAnsi(p.reference));
    txtElementName_->setText(text::fromAnsi(p.elementName));
    cboElementUsage_->setCurrentIndex(p.usageIndex);
    cboElementType_->setCurrentIndex(p.typeIndex);
    txtElementMax_->setText(text::fromAnsi(p.maximum));
    txtElementMin_->setText(text::fromAnsi(p.minimum));
    txtScript_->setPlainText(editorText(p.script));
    txtFormat_->setText(text::fromAnsi(p.format));
}

void frmMap::ShowSegmentProperties(int expandState) {
    const auto expand = expandState == 0   ? MapPanels::Expand::Collapse
                        : expandState == 1 ? MapPanels::Expand::Expand
                                           : MapPanels::Expand::Leave;
    const MapPanels::ShowResult r = panels_.showSegment(selectedNodeKey(), expand);
    if (!r.shown) {
        // Yes to the question saved the panel instead; the saved node is shown again.
        afterEdit(r.saved);
        return;
    }
    fraElement_->hide();
    fraElement_->setEnabled(false);
    fraSegment_->show();
    fraSegment_->setEnabled(true);
    sstControls_->setEnabled(true);
    fillSegmentPanel();
}

void frmMap::ShowElementProperties() {
    const MapPanels::ShowResult r = panels_.showElement(selectedNodeKey());
    if (!r.shown) {
        afterEdit(r.saved);
        return;
    }
    fraElement_->show();
    fraSegment_->hide();
    fraElement_->setEnabled(true);
    fraSegment_->setEnabled(false);
    sstControls_->setEnabled(true);
    fillElementPanel();
}

// ---- Commands ----

std::optional<std::string> frmMap::askSegmentId(const std::string& suggested) {
    std::string shown = suggested;
    for (;;) {
        std::optional<std::string> typed = s_.ui.inputBox("Enter Segment ID:", core::kApplicationName, shown);
        if (!typed) return std::nullopt;
        std::string refusal;
        if (CheckSegmentId(*typed, &refusal)) return typed;
        core::ShowNotice(s_, refusal, core::vbCritical | core::vbOKOnly);
        // The typed id comes back for correcting.
        shown = *typed;
        if (s_.ui.unattended()) return std::nullopt;
    }
}

void frmMap::afterEdit(const EditResult& result) {
    if (!result.changed) return;
    selectedKey_ = result.selectedKey;
    LoadSegmentTree();
}

void frmMap::command_Click(std::string_view name) {
    const std::string key = selectedNodeKey();
    syncSegment();
    syncElement();
    if (name == "cmdSaveSegment") {
        afterEdit(panels_.saveSegment(key));
        fillSegmentPanel();   // Save corrects what it cannot store (a Placeholders of 0)
    } else if (name == "cmdSaveElement") {
        afterEdit(panels_.saveElement(key));
    } else {
        std::string typed;
        if (name == "cmdAddSegment" || name == "cmdDuplicateSegment") {
            const std::optional<std::string> id = askSegmentId(name == "cmdDuplicateSegment" ? panels_.segment().segment : "");
            if (!id) return;
            typed = *id;
        }
        // Unsaved values go into their own row (or are dropped) before rows move.
        const EditResult pending = panels_.confirmPendingEdits();
        MapEditor editor = panels_.editor();
        EditResult r;
        if (name == "cmdAddSegment") r = editor.AddSegment(key, typed);
        else if (name == "cmdDeleteSegment") r = editor.DeleteSegment(key);
        else if (name == "cmdDuplicateSegment") r = editor.DuplicateSegment(key, typed, panels_.segment());
        else if (name == "cmdSegmentUp") r = editor.SegmentUp(key);
        else if (name == "cmdSegmentDown") r = editor.SegmentDown(key);
        else if (name == "cmdSegmentIn") r = editor.SegmentIn(key);
        else if (name == "cmdSegmentOut") r = editor.SegmentOut(key);
        else if (name == "cmdAddElement") r = editor.AddElement(key);
        else if (name == "cmdDeleteElement") r = editor.DeleteElement(key);
        else if (name == "cmdDuplicateElement") r = editor.DuplicateElement(key, panels_.element());
        else if (name == "cmdMoveElementUp") r = editor.MoveElementUp(key);
        else if (name == "cmdMoveElementDown") r = editor.MoveElementDown(key);
        afterEdit(r.changed ? r : pending);
    }
    // The focus goes back to the button, as after a click.
    if (QWidget* button = control(name)) button->setFocus();
}

}  // namespace vt::maps
