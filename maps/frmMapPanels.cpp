// The designer's property panels: their controls, the fill from a Segment or Element row, the
// changed flags and the question that offers to save them.

#include "maps/frmMap.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "maps/DesignerData.h"
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
    auto segment = [this] { segmentDirty_ = true; };
    auto element = [this] { elementDirty_ = true; };
    for (QLineEdit* e : {txtMaxUsageLoop_, txtPlaceholders_, txtSegmentName_, txtLoopLevel_})
        connect(e, &QLineEdit::textChanged, this, segment);
    for (QCheckBox* c : {chkSegmentExclude_, chkLooping_}) connect(c, &QCheckBox::toggled, this, segment);
    for (QComboBox* c : {cboSegmentLevel_, cboSegmentUsage_})
        connect(c, &QComboBox::currentIndexChanged, this, segment);
    for (QLineEdit* e : {txtReference_, txtElementName_, txtElementMin_, txtElementMax_, txtFormat_})
        connect(e, &QLineEdit::textChanged, this, element);
    connect(chkElementExclude_, &QCheckBox::toggled, this, element);
    for (QComboBox* c : {cboElementUsage_, cboElementType_})
        connect(c, &QComboBox::currentIndexChanged, this, element);
    // A dropped reference changes the script as typing does.
    connect(txtScript_, &QPlainTextEdit::textChanged, this, [this] {
        if (!fraSegment_->isHidden()) segmentDirty_ = true;
        else elementDirty_ = true;
    });
}

// ---- Display ----

bool frmMap::askToSavePanels() {
    // Saving lands with the editing commands; until then the question only lets the user keep
    // looking at the panel with its changes.
    return true;
}

void frmMap::fillSegmentPanel(const SegmentRow& row) {
    chkLooping_->setChecked(row.looping);
    chkSegmentExclude_->setChecked(row.exclude);
    txtSegment_->setText(text::fromAnsi(row.segment));
    txtSegmentName_->setText(text::fromAnsi(row.segmentName));
    if (auto i = SegmentUsageIndex(row.segmentUsage)) cboSegmentUsage_->setCurrentIndex(*i);
    if (auto i = SegmentLevelIndex(row.level)) cboSegmentLevel_->setCurrentIndex(*i);
    txtLoopLevel_->setText(number(row.node));
    txtMaxUsageLoop_->setText(row.maxUsageLoop == kManyUses ? QStringLiteral(">1") : number(row.maxUsageLoop));
    txtScript_->setPlainText(text::fromAnsi(row.segmentScript).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    txtPlaceholders_->setText(number(row.placeholders));
}

void frmMap::fillElementPanel(const ElementRow& row) {
    chkElementExclude_->setChecked(row.exclude);
    txtReference_->setText(number(row.reference));
    txtElementName_->setText(text::fromAnsi(row.elementName));
    if (auto i = ElementUsageIndex(row.elementUsage)) cboElementUsage_->setCurrentIndex(*i);
    if (auto i = ElementTypeIndex(row.type)) cboElementType_->setCurrentIndex(*i);
    txtElementMax_->setText(number(row.maximum));
    txtElementMin_->setText(number(row.minimum));
    txtScript_->setPlainText(text::fromAnsi(row.elementScript).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    txtFormat_->setText(text::fromAnsi(row.format));
}

void frmMap::ShowSegmentProperties(int expandState) {
    try {
        if (!askToSavePanels()) return;
        panelKey_ = selectedNodeKey();
        fraElement_->hide();
        fraElement_->setEnabled(false);
        fraSegment_->show();
        fraSegment_->setEnabled(true);
        sstControls_->setEnabled(true);
        const std::int64_t segmentIndex = ParseTreeKey(panelKey_).segmentIndex;
        readCurrentMap();
        const Map map = LoadMap(s_.db, current_);
        const SegmentRow* row = nullptr;
        for (const SegmentRow& seg : map.segments)
            if (seg.segmentIndex == segmentIndex) {
                row = &seg;
                break;
            }
        if (!row) throw core::noCurrentRecordError();
        fillSegmentPanel(*row);
        if (expandState == 0 || expandState == 1)
            StoreSegmentExpanded(s_.db, current_, segmentIndex, expandState == 1);
        segmentDirty_ = false;
    } catch (...) {
        core::ReportError(s_);
    }
}

void frmMap::ShowElementProperties() {
    try {
        if (!askToSavePanels()) return;
        panelKey_ = selectedNodeKey();
        fraElement_->show();
        fraSegment_->hide();
        fraElement_->setEnabled(true);
        fraSegment_->setEnabled(false);
        sstControls_->setEnabled(true);
        const TreeKey key = ParseTreeKey(panelKey_);
        readCurrentMap();
        const Map map = LoadMap(s_.db, current_);
        const ElementRow* row = nullptr;
        for (const SegmentRow& seg : map.segments)
            if (seg.segmentIndex == key.segmentIndex)
                for (const ElementRow& el : seg.elements)
                    if (el.elementIndex == key.elementIndex) row = &el;
        if (!row) throw core::noCurrentRecordError();
        fillElementPanel(*row);
        elementDirty_ = false;
    } catch (...) {
        core::ReportError(s_);
    }
}

}  // namespace vt::maps
