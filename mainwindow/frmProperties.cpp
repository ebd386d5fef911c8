#include "mainwindow/frmProperties.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "folders/Selection.h"
#include "platform/db/Database.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Text.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace vt::mainwindow {

namespace {

constexpr const char* kIsaDescriptions[] = {
    "Authorization Information Qualifier", "Authorization Information", "Security Information Qualifier",
    "Security Information",                "Interchange ID Qualifier",  "Interchange Sender ID",
    "Interchange ID Qualifier",            "Interchange Receiver ID",   "Interchange Date",
    "Interchange Time",                    "Interchange Standards Identifier", "Interchange Version",
    "Interchange Control Number",          "Interchange Acknowledgement", "Test Indicator"};

constexpr const char* kGsDescriptions[] = {
    "Functional Identifier Code", "Applications Sender's Code", "Applications Receiver Code", "Group Date",
    "Group Time",                 "Group Control Number",       "Responsible Agency Code",    "Version"};

QString elementName(std::string_view name, int element) {
    return text::fromAnsi(name) + QLatin1Char('_') + QString::number(element);
}

std::string twoDigits(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

// A value label: sunken, selectable, so a long id can be read and copied.
QLabel* valueLabel(QWidget* parent, std::string_view name, int element) {
    auto* l = new QLabel(parent);
    l->setObjectName(elementName(name, element));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(60);
    return l;
}

QLabel* captionLabel(QWidget* parent, std::string_view name, const char* caption) {
    auto* l = new QLabel(QString::fromLatin1(caption), parent);
    l->setObjectName(elementName(name, 0));
    return l;
}

// The separator as the Char column shows it: the line break terminators as tabs, which print
// as blanks where the characters themselves would break the line.
std::string shownSeparator(const std::string& separator) {
    if (separator == "\r\n") return "\t\t";
    if (separator == "\r") return "\t";
    return separator;
}

}  // namespace

frmProperties::frmProperties(const core::Services& services, ImageProvider image, QWidget* parent)
    : QDialog(parent), services_(services), image_(std::move(image)) {
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(QStringLiteral("Properties"));
    setModal(true);

    sstProperties_ = new QTabWidget(this);
    sstProperties_->setObjectName(QStringLiteral("sstProperties"));
    sstProperties_->addTab(buildGeneral(), QStringLiteral("General"));
    sstProperties_->addTab(buildHeaderTab("ISA:", "lblISA", 15, kIsaDescriptions),
                           QStringLiteral("Interchange Control Header"));
    sstProperties_->addTab(buildHeaderTab("", "lblGS", 8, kGsDescriptions), QStringLiteral("Functional Group Header"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sstProperties_);
    layout->addLayout(buttons);
    resize(560, 520);
}

QWidget* frmProperties::buildGeneral() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* top = new QHBoxLayout;
    picStatus_ = new QLabel(page);
    picStatus_->setObjectName(QStringLiteral("picStatus"));
    picStatus_->setFixedSize(36, 36);
    picStatus_->setAlignment(Qt::AlignCenter);
    txtPartner_ = new QLineEdit(page);
    txtPartner_->setObjectName(QStringLiteral("txtPartner"));
    txtPartner_->setReadOnly(true);
    top->addWidget(picStatus_);
    top->addWidget(txtPartner_, 1);
    layout->addLayout(top);

    auto* line = new QFrame(page);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    auto* grid = new QGridLayout;
    struct Row {
        const char* name;
        const char* caption;
    };
    const Row rows[] = {
        {"lblTransactionSet", "Transaction Set:"}, {"lblDescription", "Description:"}, {"lblLocation", "Location:"},
        {"lblSize", "Size:"},                      {"lblDirection", "Direction:"},     {"lblStatus", "Marked:"},
        {"lblAck", "Acknowledged:"},
    };
    int r = 0;
    for (const Row& row : rows) {
        grid->addWidget(captionLabel(page, row.name, row.caption), r, 0);
        grid->addWidget(valueLabel(page, row.name, 1), r, 1);
        ++r;
    }
    picAcknowledged_ = new QLabel(page);
    picAcknowledged_->setObjectName(QStringLiteral("picAcknowledged"));
    picAcknowledged_->setFixedSize(20, 20);
    picAcknowledged_->setAlignment(Qt::AlignCenter);
    grid->addWidget(picAcknowledged_, r - 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    auto* frame = new QGroupBox(QStringLiteral("Delimitors"), page);
    frame->setObjectName(QStringLiteral("fraDelimitors"));
    auto* separators = new QGridLayout(frame);
    const char* const heads[] = {"Char", "Dec", "Hex"};
    for (int c = 0; c < 3; ++c) separators->addWidget(new QLabel(QString::fromLatin1(heads[c]), frame), 0, c + 1);
    const Row seps[] = {{"lblSegment", "Segment Terminator:"},
                        {"lblElement", "Data Element Delimitor:"},
                        {"lblSub", "Sub-Element Separator:"}};
    r = 1;
    for (const Row& row : seps) {
        separators->addWidget(captionLabel(frame, row.name, row.caption), r, 0);
        for (int e = 1; e <= 3; ++e) separators->addWidget(valueLabel(frame, row.name, e), r, e);
        ++r;
    }
    separators->setColumnStretch(0, 1);
    layout->addWidget(frame);
    layout->addStretch(1);
    return page;
}

QWidget* frmProperties::buildHeaderTab(const char* frameCaption, const char* prefix, int count,
                                       const char* const* descriptions) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* frame = new QGroupBox(QString::fromLatin1(frameCaption), page);
    auto* grid = new QGridLayout(frame);
    for (int i = 1; i <= count; ++i) {
        const std::string name = std::string(prefix) + twoDigits(i);
        const std::string caption = name.substr(3) + ":";
        grid->addWidget(captionLabel(frame, name, caption.c_str()), i - 1, 0);
        grid->addWidget(new QLabel(QString::fromLatin1(descriptions[i - 1]), frame), i - 1, 1);
        grid->addWidget(valueLabel(frame, name, 1), i - 1, 2);
    }
    grid->setColumnStretch(2, 1);
    layout->addWidget(frame);
    layout->addStretch(1);
    return page;
}

QLabel* frmProperties::label(std::string_view name, int element) const {
    return findChild<QLabel*>(elementName(name, element));
}

void frmProperties::setValue(std::string_view name, int element, std::string_view text) {
    if (QLabel* l = label(name, element)) l->setText(text::fromAnsi(text));
}

std::string frmProperties::value(std::string_view name, int element) const {
    if (name == "txtPartner") return text::toAnsi(txtPartner_->text());
    const QLabel* l = label(name, element);
    return l ? text::toAnsi(l->text()) : std::string();
}

void frmProperties::setPicture(QLabel* picture, std::string_view key) {
    const QIcon icon = image_ ? image_(key) : QIcon();
    // A value that names no image leaves the picture as it was.
    if (icon.isNull()) return;
    picture->setPixmap(icon.pixmap(picture->width() - 4, picture->height() - 4));
    picture->setProperty("imageKey", text::fromAnsi(key));
}

std::string frmProperties::picture(std::string_view name) const {
    const QLabel* p = name == "picStatus" ? picStatus_ : name == "picAcknowledged" ? picAcknowledged_ : nullptr;
    return p ? text::toAnsi(p->property("imageKey").toString()) : std::string();
}

void frmProperties::clearValues() {
    for (QLabel* l : findChildren<QLabel*>())
        if (!l->objectName().endsWith(QLatin1String("_0")) && l->objectName().contains(QLatin1Char('_'))) l->clear();
    txtPartner_->clear();
    for (QLabel* p : {picStatus_, picAcknowledged_}) {
        p->clear();
        p->setProperty("imageKey", QString());
    }
}

void frmProperties::Form_Load(std::string_view table, std::optional<std::int64_t> current) {
    clearValues();
    sstProperties_->setCurrentIndex(0);
    if (folders::isItemTable(table)) ShowInterchangeProperties(table, current);
}

void frmProperties::ShowInterchangeProperties(std::string_view table, std::optional<std::int64_t> current) {
    try {
        if (!current) throw core::RunError(91, "Object variable or With block variable not set");
        auto row = services_.db.prepare("SELECT TSet, InterchangeControlNumber, GroupControlNumber, Direction, Partner,"
                                        " Status, Acknowledged FROM \"" + std::string(folders::itemTable(table)) +
                                        "\" WHERE Id = ?1");
        row.bind(1, *current);
        if (!row.step()) throw core::noCurrentRecordError();
        const std::string tset = row.text(0), icn = row.text(1), gcn = row.text(2), direction = row.text(3),
                          partner = row.text(4), status = row.text(5), ack = row.text(6);
        row.reset();

        setValue("lblStatus", 1, status);
        setValue("lblAck", 1, ack);
        setPicture(picStatus_, text::trim(status));
        setPicture(picAcknowledged_, text::trim(ack));
        setValue("lblLocation", 1, folders::itemTable(table));
        txtPartner_->setText(text::fromAnsi(partner));
        const std::string code = tset.size() > 3 ? tset.substr(3, 3) : std::string();
        setValue("lblTransactionSet", 1, code);
        auto standard = services_.db.prepare("SELECT Description FROM Standard WHERE \"Transaction\" = ?1 ORDER BY Id");
        standard.bind(1, code);
        setValue("lblDescription", 1, standard.step() ? standard.text(0) : std::string("Unknown"));
        if (direction == "I") setValue("lblDirection", 1, "Inbound");
        else if (direction == "O") setValue("lblDirection", 1, "Outbound");
        setValue("lblSize", 1, text::formatNumber(double(tset.size()), "###,###,###,###") + " bytes");

        const std::pair<const char*, std::string> separators[] = {
            {"lblSegment", core::GetSegmentTerminator(services_, partner)},
            {"lblElement", core::GetElementSeparator(services_, partner)},
            {"lblSub", core::GetSubElementSeparator(services_, partner)},
        };
        for (const auto& [name, separator] : separators) {
            if (separator.empty()) throw core::invalidCallError();
            const unsigned code = static_cast<unsigned char>(separator[0]);
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", code);
            setValue(name, 1, shownSeparator(separator));
            setValue(name, 2, "(" + std::to_string(code) + ")");
            setValue(name, 3, hex);
        }

        auto isa = services_.db.prepare("SELECT * FROM ISA WHERE ISA13 = ?1 AND Partner = ?2 ORDER BY Id");
        isa.bindAll(icn, partner);
        if (!isa.step()) throw core::noCurrentRecordError();
        for (int i = 1; i <= 15; ++i) {
            const std::string element = "ISA" + twoDigits(i);
            setValue("lbl" + element, 1, isa.text(isa.columnIndex(element)));
        }
        isa.reset();

        auto gs = services_.db.prepare("SELECT * FROM GS WHERE GS06 = ?1 AND Partner = ?2 ORDER BY Id");
        gs.bindAll(gcn, partner);
        if (!gs.step()) throw core::noCurrentRecordError();
        for (int i = 1; i <= 8; ++i) {
            const std::string element = "GS" + twoDigits(i);
            setValue("lbl" + element, 1, gs.text(gs.columnIndex(element)));
        }
    } catch (...) {
        core::ReportError(services_);
    }
}

}  // namespace vt::mainwindow
