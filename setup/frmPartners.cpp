#include "setup/frmPartners.h"

#include "core/ErrorReporter.h"
#include "core/UiSink.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Clock.h"
#include "setup/StandardPicker.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vt::setup {

namespace {

// A list item of a separator: control characters have no glyph of their own, so they show as
// their control pictures.
QString separatorItemText(const std::string& item) {
    QString out;
    for (unsigned char c : item) {
        if (c < 0x20) out += QChar(0x2400 + c);
        else if (c == 0x7F) out += QChar(0x2421);
        else out += text::fromAnsi(std::string(1, char(c)));
    }
    return out;
}

// The version list's item for a row: its stored position, unless the row names another version
// (partners registered by the reader store the version but not its position), which saving
// would otherwise overwrite with the first version of the list.
int versionListIndexOf(const QComboBox* list, const PartnerRow& r) {
    const int count = list->count();
    const bool positionFits = r.isaVersionIndex >= 0 && r.isaVersionIndex < count;
    if (positionFits && (r.isaVersion.empty() || text::toAnsi(list->itemText(r.isaVersionIndex)) == r.isaVersion))
        return r.isaVersionIndex;
    const int named = r.isaVersion.empty() ? -1 : list->findText(text::fromAnsi(r.isaVersion), Qt::MatchExactly);
    if (named >= 0) return named;
    return positionFits ? r.isaVersionIndex : -1;
}

// Room for `length` characters of the box's font.
int widthFor(const QWidget* w, int length) {
    return w->fontMetrics().horizontalAdvance(QLatin1Char('W')) * std::max(length, 2) + 14;
}

}  // namespace

frmPartners::frmPartners(const core::Services& services, automation::ClassRegistry& registry, QWidget* parent)
    : QDialog(parent), services_(services), registry_(registry), editor_(services) {
    setObjectName(QStringLiteral("frmPartners"));
    setWindowTitle(QStringLiteral("Trading Partner Setup"));
    setModal(true);
    tabs_[0].direction = "I";
    tabs_[1].direction = "O";

    // Access keys are unique among what one tab shows: Alt+P is Previous, Alt+A the set's Add.
    auto* menuBar = new QMenuBar(this);
    QMenu* mnuPartners = menuBar->addMenu(QStringLiteral("Par&tners"));
    mnuPartners->setObjectName(QStringLiteral("mnuPartners"));
    mnuAddPartner_ = mnuPartners->addAction(QStringLiteral("&Add..."), this, [this] { mnuAddPartner_Click(); });
    mnuRemovePartner_ = mnuPartners->addAction(QStringLiteral("&Remove..."), this, [this] { mnuRemovePartner_Click(); });
    mnuEditPartner_ = mnuPartners->addAction(QStringLiteral("&Edit"), this, [this] { mnuEditPartner_Click(); });
    mnuPartners->addSeparator();
    mnuClose_ = mnuPartners->addAction(QStringLiteral("&Close"), this, [this] { close(); });
    mnuAddPartner_->setObjectName(QStringLiteral("mnuAddPartner"));
    mnuRemovePartner_->setObjectName(QStringLiteral("mnuRemovePartner"));
    mnuEditPartner_->setObjectName(QStringLiteral("mnuEditPartner"));
    mnuClose_->setObjectName(QStringLiteral("mnuClose"));

    auto* lblPartner = new QLabel(QStringLiteral("Partn&er"), this);
    txtPartner_ = new QLineEdit(this);
    txtPartner_->setMaxLength(63);
    lblPartner->setBuddy(txtPartner_);
    registerControl("txtPartner", txtPartner_);

    sstPartner_ = new QTabWidget(this);
    sstPartner_->setObjectName(QStringLiteral("sstPartner"));
    sstPartner_->addTab(buildIsaTab(), QStringLiteral("Interchange Control Header"));
    sstPartner_->addTab(buildGsTab(), QStringLiteral("Functional Group Header"));
    sstPartner_->addTab(buildTransactionsTab(), QStringLiteral("Transactions"));

    auto navButton = [this](const char* name, const char* caption, const char* tip) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setToolTip(QString::fromLatin1(tip));
        b->setAutoDefault(false);
        registerControl(name, b);
        b->installEventFilter(this);
        return b;
    };
    cmdMoveFirst_ = navButton("cmdMoveFirst", "|<", "First");
    cmdMovePrevious_ = navButton("cmdMovePrevious", "&Previous", "Previous");
    cmdMoveNext_ = navButton("cmdMoveNext", "&Next", "Next");
    cmdMoveLast_ = navButton("cmdMoveLast", ">|", "Last");
    cmdClose_ = navButton("cmdClose", "Close", "Close");
    cmdMoveFirst_->setFixedWidth(40);
    cmdMoveLast_->setFixedWidth(40);
    connect(cmdMoveFirst_, &QPushButton::clicked, this, [this] { cmdMoveFirst_Click(); });
    connect(cmdMovePrevious_, &QPushButton::clicked, this, [this] { cmdMovePrevious_Click(); });
    connect(cmdMoveNext_, &QPushButton::clicked, this, [this] { cmdMoveNext_Click(); });
    connect(cmdMoveLast_, &QPushButton::clicked, this, [this] { cmdMoveLast_Click(); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] { close(); });
    sstPartner_->tabBar()->installEventFilter(this);

    auto* top = new QHBoxLayout;
    top->addWidget(lblPartner);
    top->addWidget(txtPartner_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdMoveFirst_);
    bottom->addWidget(cmdMovePrevious_);
    bottom->addWidget(cmdMoveNext_);
    bottom->addWidget(cmdMoveLast_);
    bottom->addStretch(1);
    bottom->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(top);
    layout->addWidget(sstPartner_, 1);
    layout->addLayout(bottom);

    tmrDateTime_ = new QTimer(this);
    tmrDateTime_->setObjectName(QStringLiteral("tmrDateTime"));
    tmrDateTime_->setInterval(1000);
    connect(tmrDateTime_, &QTimer::timeout, this, [this] { tmrDateTime_Timer(); });
    resize(840, 620);
}

frmPartners::~frmPartners() = default;

void frmPartners::registerControl(const char* name, QWidget* w) {
    w->setObjectName(QString::fromLatin1(name));
    controls_[name] = w;
}

QWidget* frmPartners::control(std::string_view name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

QLineEdit* frmPartners::addField(const char* control, int length, bool display) {
    const std::string id = std::string(control).substr(3);   // "ISA01"
    auto* box = new QLineEdit(grid_->parentWidget());
    box->setMaxLength(length);
    box->setFixedWidth(widthFor(box, length));
    if (display) box->setEnabled(false);
    registerControl(control, box);
    fields_[control] = box;
    auto* idLabel = new QLabel(QString::fromLatin1(id.c_str()) + QLatin1Char(':'), grid_->parentWidget());
    idLabel->setBuddy(box);
    grid_->addWidget(idLabel, gridRow_, 0);
    grid_->addWidget(box, gridRow_, 1, Qt::AlignLeft);
    return box;
}

const char* frmPartners::addDisplayField(const char* control) {
    for (const auto& f : kPartnerDisplayFields)
        if (std::string_view(f.control) == control) {
            addField(f.control, f.length, true);
            return f.caption;
        }
    return "";
}

QComboBox* frmPartners::addList(const char* control) {
    auto* list = new QComboBox(grid_->parentWidget());
    list->setEditable(false);
    registerControl(control, list);
    return list;
}

QWidget* frmPartners::buildIsaTab() {
    auto* page = new QWidget;
    auto* frame = new QGroupBox(QStringLiteral(" ISA: Segment"), page);
    frame->setObjectName(QStringLiteral("fraOutboundISA"));
    grid_ = new QGridLayout(frame);
    gridRow_ = 0;
    auto name = [&](const char* caption) {
        grid_->addWidget(new QLabel(QString::fromLatin1(caption), frame), gridRow_, 2);
        ++gridRow_;
    };
    for (int i = 0; i < 8; ++i) {
        const auto& f = kPartnerTextFields[i];
        addField(f.control, f.length, false);
        name(f.caption);
    }
    name(addDisplayField("txtISA09"));
    name(addDisplayField("txtISA10"));
    for (int i = 8; i < 10; ++i) {
        const auto& f = kPartnerTextFields[i];
        addField(f.control, f.length, false);
        name(f.caption);
    }
    QLineEdit* isa13 = addField("txtISA13", 9, false);
    isa13->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]{0,9}")), isa13));
    name("Interchange Control Number");

    auto listRow = [&](const char* id, QComboBox* list, const char* caption) {
        auto* l = new QLabel(QString::fromLatin1(id), frame);
        l->setBuddy(list);
        grid_->addWidget(l, gridRow_, 0);
        grid_->addWidget(list, gridRow_, 1, Qt::AlignLeft);
        name(caption);
    };
    cboIntAck_ = addList("cboIntAck");
    listRow("ISA14:", cboIntAck_, "Interchange Acknowledgement");
    cboTestIndicator_ = addList("cboTestIndicator");
    listRow("ISA15:", cboTestIndicator_, "Test Indicator");
    cboISAVersion_ = addList("cboISAVersion");
    cboISAVersion_->setMinimumContentsLength(8);
    listRow("", cboISAVersion_, "Standards Version");
    connect(cboISAVersion_, &QComboBox::currentIndexChanged, this, [this](int) { cboISAVersion_Click(); });
    grid_->setColumnStretch(2, 1);
    grid_->setRowStretch(gridRow_, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(frame);
    return page;
}

QWidget* frmPartners::buildGsTab() {
    auto* page = new QWidget;
    auto* delimitors = new QGroupBox(QStringLiteral("Delimitors"), page);
    delimitors->setObjectName(QStringLiteral("fraDelimitors"));
    auto* dl = new QGridLayout(delimitors);
    grid_ = dl;
    const std::pair<const char*, const char*> lists[] = {{"cboPartnerSt", "Segment Terminator:"},
                                                         {"cboPartnerEd", "Data Element Delimitor:"},
                                                         {"cboPartnerSed", "Sub-Element Separator:"}};
    QComboBox** targets[] = {&cboPartnerSt_, &cboPartnerEd_, &cboPartnerSed_};
    for (int i = 0; i < 3; ++i) {
        QComboBox* list = addList(lists[i].first);
        list->setMaxVisibleItems(20);
        auto* l = new QLabel(QString::fromLatin1(lists[i].second), delimitors);
        l->setBuddy(list);
        dl->addWidget(l, i, 0);
        dl->addWidget(list, i, 1, Qt::AlignLeft);
        *targets[i] = list;
    }
    dl->setColumnStretch(2, 1);

    auto* gs = new QGroupBox(QStringLiteral(" GS: Segment "), page);
    gs->setObjectName(QStringLiteral("fraGS"));
    grid_ = new QGridLayout(gs);
    gridRow_ = 0;
    auto name = [&](const char* caption) {
        grid_->addWidget(new QLabel(QString::fromLatin1(caption), gs), gridRow_, 2);
        ++gridRow_;
    };
    name(addDisplayField("txtGS01"));
    for (int i = 10; i < 12; ++i) {
        addField(kPartnerTextFields[i].control, kPartnerTextFields[i].length, false);
        name(kPartnerTextFields[i].caption);
    }
    name(addDisplayField("txtGS04"));
    name(addDisplayField("txtGS05"));
    QLineEdit* gs06 = addField("txtGS06", 9, false);
    gs06->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]{0,9}")), gs06));
    name("Group Control Number");
    addField(kPartnerTextFields[12].control, kPartnerTextFields[12].length, false);
    name(kPartnerTextFields[12].caption);
    name(addDisplayField("txtGS08"));
    grid_->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(delimitors);
    layout->addWidget(gs);
    layout->addStretch(1);
    return page;
}

void frmPartners::Form_Load() {
    sstPartner_->setCurrentIndex(0);
    sstTransaction_->setCurrentIndex(0);
    try {
        cboISAVersion_->clear();
        for (const auto& v : loadVersions(services_.db)) cboISAVersion_->addItem(text::fromAnsi(v));
        cboIntAck_->clear();
        cboIntAck_->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
        cboTestIndicator_->clear();
        cboTestIndicator_->addItems({QStringLiteral("Production"), QStringLiteral("Test")});
        for (QComboBox* list : {cboPartnerSt_, cboPartnerEd_, cboPartnerSed_}) {
            list->clear();
            for (const auto& item : separatorItems(list == cboPartnerSt_)) list->addItem(separatorItemText(item));
        }
        editor_.requery();
    } catch (...) {
        core::ReportError(services_);
    }
    ShowPartner();
    EnablePartnerFields(false);
    tmrDateTime_Timer();
}

// ---- Showing a partner ----

void frmPartners::ShowPartner() {
    try {
        if (editor_.empty()) {
            mnuRemovePartner_->setEnabled(false);
            mnuEditPartner_->setEnabled(false);
            tmrDateTime_->stop();
            for (QPushButton* b : {cmdMoveFirst_, cmdMovePrevious_, cmdMoveNext_, cmdMoveLast_}) b->setEnabled(false);
            ClearPartnerFields();
            SetState(0, false);
            SetState(1, false);
            return;
        }
        mnuRemovePartner_->setEnabled(!editor_.editing());
        mnuEditPartner_->setEnabled(true);
        for (QPushButton* b : {cmdMoveFirst_, cmdMovePrevious_, cmdMoveNext_, cmdMoveLast_})
            b->setEnabled(!editor_.editing());
        tmrDateTime_->start();
        const PartnerRow& r = editor_.row();
        txtPartner_->setPlaceholderText(QString());
        txtPartner_->setText(text::fromAnsi(r.partner));
        cboPartnerSt_->setCurrentIndex(r.segment);
        cboPartnerEd_->setCurrentIndex(r.element);
        cboPartnerSed_->setCurrentIndex(r.sub);
        cboISAVersion_->setCurrentIndex(versionListIndex(r));
        for (const auto& f : kPartnerTextFields) fields_[f.control]->setText(text::fromAnsi(r.*f.member));
        fields_["txtISA13"]->setText(text::fromAnsi(r.isa13));
        cboIntAck_->setCurrentIndex(ackListIndex(r.isa14));
        cboTestIndicator_->setCurrentIndex(testIndicatorListIndex(r.isa15));
        fields_["txtGS06"]->setText(text::fromAnsi(r.gs06));
        setWindowTitle(text::fromAnsi(editor_.title()));
        LoadTransactions(currentTab());
    } catch (...) {
        core::ReportError(services_);
    }
}

int frmPartners::versionListIndex(const PartnerRow& r) const { return versionListIndexOf(cboISAVersion_, r); }

void frmPartners::ClearPartnerFields() {
    SetState(0, false);
    SetState(1, false);
    tabs_[0].list->clear();
    tabs_[1].list->clear();
    txtPartner_->clear();
    txtPartner_->setPlaceholderText(QStringLiteral("No trading partner yet: Partners > Add... creates one"));
    for (const auto& f : kPartnerTextFields) fields_[f.control]->clear();
    fields_["txtGS01"]->clear();
    fields_["txtGS08"]->clear();
    for (QComboBox* list : {cboPartnerSt_, cboPartnerEd_, cboPartnerSed_, cboIntAck_, cboTestIndicator_})
        list->setCurrentIndex(list->count() > 0 ? 0 : -1);
    setWindowTitle(QStringLiteral("Trading Partner Setup"));
}

void frmPartners::EnablePartnerFields(bool enable) {
    txtPartner_->setEnabled(enable);
    for (QComboBox* list :
         {cboPartnerSt_, cboPartnerEd_, cboPartnerSed_, cboISAVersion_, cboIntAck_, cboTestIndicator_})
        list->setEnabled(enable);
    for (const auto& f : kPartnerTextFields) fields_[f.control]->setEnabled(enable);
    fields_["txtISA13"]->setEnabled(enable);
    fields_["txtGS06"]->setEnabled(enable);
}

void frmPartners::setNavigationEnabled(bool enable) {
    for (QPushButton* b : {cmdMoveFirst_, cmdMovePrevious_, cmdMoveNext_, cmdMoveLast_}) b->setEnabled(enable);
    mnuRemovePartner_->setEnabled(enable && !editor_.empty());
    mnuAddPartner_->setEnabled(enable);
}

PartnerRow frmPartners::screenRow() const {
    PartnerRow r = editor_.row();
    r.partner = text::toAnsi(txtPartner_->text());
    r.segment = std::max(0, cboPartnerSt_->currentIndex());
    r.element = std::max(0, cboPartnerEd_->currentIndex());
    r.sub = std::max(0, cboPartnerSed_->currentIndex());
    // A stored position the list no longer has shows no version; the stored one then stays.
    if (cboISAVersion_->currentIndex() >= 0) {
        r.isaVersion = text::toAnsi(cboISAVersion_->currentText());
        r.isaVersionIndex = cboISAVersion_->currentIndex();
    }
    for (const auto& f : kPartnerTextFields) r.*f.member = text::toAnsi(fields_.at(f.control)->text());
    r.isa13 = text::toAnsi(fields_.at("txtISA13")->text());
    r.isa14 = isa14FromListIndex(cboIntAck_->currentIndex());
    r.isa15 = isa15FromListIndex(cboTestIndicator_->currentIndex());
    r.gs06 = text::toAnsi(fields_.at("txtGS06")->text());
    return r;
}

void frmPartners::cboISAVersion_Click() {
    if (cboISAVersion_->currentIndex() < 0) return;
    fields_["txtISA12"]->setText(text::fromAnsi(isa12FromVersion(text::toAnsi(cboISAVersion_->currentText()))));
}

std::string frmPartners::fieldText(std::string_view name) const {
    QWidget* w = control(name);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return text::toAnsi(e->text());
    if (auto* c = qobject_cast<QComboBox*>(w)) return text::toAnsi(c->currentText());
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        std::string t = text::toAnsi(p->toPlainText());
        std::string crlf;
        for (char ch : t) {
            if (ch == '\n') crlf += '\r';
            crlf += ch;
        }
        return crlf;
    }
    if (auto* l = qobject_cast<QLabel*>(w)) return text::toAnsi(l->text());
    return "";
}

// ---- Navigation and commands ----

void frmPartners::cmdMoveFirst_Click() {
    if (editor_.moveFirst()) ShowPartner();
}
void frmPartners::cmdMovePrevious_Click() {
    if (editor_.movePrevious()) ShowPartner();
}
void frmPartners::cmdMoveNext_Click() {
    if (editor_.moveNext()) ShowPartner();
}
void frmPartners::cmdMoveLast_Click() {
    if (editor_.moveLast()) ShowPartner();
}

void frmPartners::NavigateByKey(int key) {
    if (key <= 0 || key > 255) return;
    if (editor_.navigateByKey(char(key))) ShowPartner();
}

bool frmPartners::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        const QString t = k->text();
        if (t.size() == 1 && (k->modifiers() & ~Qt::ShiftModifier) == 0) {
            const QChar c = t.front().toUpper();
            if (c == QLatin1Char('P') || c == QLatin1Char('N') || c == QLatin1Char('<') || c == QLatin1Char('>')) {
                NavigateByKey(c.unicode());
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmPartners::mnuEditPartner_Click() {
    switch (editor_.editOrSave(screenRow())) {
    case PartnerEditor::EditStep::Nothing:
    case PartnerEditor::EditStep::KeepEditing:
        return;
    case PartnerEditor::EditStep::Editing:
        EnablePartnerFields(true);
        mnuEditPartner_->setText(QStringLiteral("&Save"));
        setNavigationEnabled(false);
        txtPartner_->setFocus();
        return;
    case PartnerEditor::EditStep::Shown:
        ShowPartner();
        EnablePartnerFields(false);
        setNavigationEnabled(true);
        mnuEditPartner_->setText(QStringLiteral("&Edit"));
        return;
    }
}

void frmPartners::mnuAddPartner_Click() {
    if (editor_.addPartner()) ShowPartner();
}

void frmPartners::mnuRemovePartner_Click() {
    if (editor_.removePartner()) ShowPartner();
}

void frmPartners::tmrDateTime_Timer() {
    const ClockFields c = clockFields(services_.clock.now(), text::toAnsi(fields_["txtGS08"]->text()));
    fields_["txtISA09"]->setText(QString::fromLatin1(c.isa09.c_str()));
    fields_["txtISA10"]->setText(QString::fromLatin1(c.isa10.c_str()));
    if (c.gs04) fields_["txtGS04"]->setText(QString::fromLatin1(c.gs04->c_str()));
    if (c.gs05) fields_["txtGS05"]->setText(QString::fromLatin1(c.gs05->c_str()));
}

int frmPartners::execDialog(QDialog& dialog) { return dialog.exec(); }

}  // namespace vt::setup
