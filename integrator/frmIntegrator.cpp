#include "integrator/frmIntegrator.h"

#include "core/ExportFormats.h"
#include "core/Globals.h"
#include "core/UiSink.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Clock.h"
#include "platform/widgets/AccessKeys.h"
#include "platform/widgets/ProgramExit.h"
#include "platform/widgets/TabFocus.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vt::integrator {

using text::fromAnsi;
using text::toAnsi;

// The results grid as a table: the records as rows, the field names (row 0 of the grid) as the
// header, which stays in view while the records scroll.
class ResultGridModel : public QAbstractTableModel {
public:
    ResultGridModel(ResultGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || grid_.rowCount() == 0 ? 0 : int(grid_.rowCount() - 1);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(grid_.colCount());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole || std::size_t(index.row()) + 1 >= grid_.rowCount()) return {};
        return fromAnsi(grid_.cell(std::size_t(index.row()) + 1, std::size_t(index.column())));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return section + 1;
        if (std::size_t(section) >= grid_.colCount()) return {};
        return fromAnsi(grid_.cell(0, std::size_t(section)));
    }
    void reset() {
        beginResetModel();
        endResetModel();
    }
    void cellChanged(int row, int col) { emit dataChanged(index(row, col), index(row, col)); }

private:
    ResultGrid& grid_;
};

namespace {

constexpr int px(int twips) { return twips / 15; }

// Stored box states are 0 unticked, 1 ticked, 2 greyed.
Qt::CheckState boxState(int stored) {
    return stored == 1 ? Qt::Checked : stored == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

QDate toQDate(const text::DateTime& d) { return QDate(d.year, d.month, d.day); }
text::DateTime fromQDate(const QDate& d) { return text::DateTime{d.year(), d.month(), d.day()}; }

}  // namespace

frmIntegrator::frmIntegrator(const core::Services& s, IntegratorSteps& steps, QWidget* parent)
    : QMainWindow(parent), s_(s), integ_(std::make_unique<Integrator>(s, steps)) {
    setObjectName(QStringLiteral("frmIntegrator"));
    setWindowTitle(QStringLiteral("Integrator"));
    setAttribute(Qt::WA_DeleteOnClose);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Close"), this, [this] { cmdClose_Click(); });

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    sstSchedule_ = new QTabWidget(central);
    sstSchedule_->addTab(buildTransactions(), QStringLiteral("Transactions"));
    sstSchedule_->addTab(buildScheduler(), QStringLiteral("Scheduler"));
    sstSchedule_->addTab(buildDataSource(), QStringLiteral("Data Source"));
    sstSchedule_->addTab(buildQuery(), QStringLiteral("Query"));
    sstSchedule_->addTab(buildResults(), QStringLiteral("Result Set"));
    layout->addWidget(sstSchedule_);
    widgets::KeepFocusOnTabs(sstSchedule_);
    auto* buttons = new QHBoxLayout;
    // An extraction under way: what it has read so far, and the way to stop it.
    fraProgress_ = new QWidget(central);
    auto* progress = new QHBoxLayout(fraProgress_);
    progress->setContentsMargins(0, 0, 0, 0);
    prgExtraction_ = new QProgressBar(fraProgress_);
    prgExtraction_->setRange(0, 0);
    prgExtraction_->setTextVisible(false);
    prgExtraction_->setMaximumWidth(80);
    lblProgress_ = new QLabel(fraProgress_);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), fraProgress_);
    cmdCancel_->setToolTip(QStringLiteral("Stop the extraction; the files stay as they were"));
    progress->addWidget(prgExtraction_);
    progress->addWidget(lblProgress_);
    progress->addWidget(cmdCancel_);
    fraProgress_->setVisible(false);
    buttons->addWidget(fraProgress_);
    buttons->addStretch();
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    cmdProcess_ = new QPushButton(QStringLiteral("Process"), central);
    cmdModify_ = new QPushButton(QStringLiteral("&Modify"), central);
    cmdClose_ = new QPushButton(QStringLiteral("Close"), central);
    for (QPushButton* b : {cmdProcess_, cmdModify_, cmdClose_}) buttons->addWidget(b);
    layout->addLayout(buttons);
    setCentralWidget(central);
    connect(cmdProcess_, &QPushButton::clicked, this, [this] { cmdProcess_Click(); });
    connect(cmdModify_, &QPushButton::clicked, this, [this] { cmdModify_Click(); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] { cmdClose_Click(); });

    bindEdits();
    integ_->onChanged = [this] { display(); };
    // The window stays usable while an extraction runs, so the pointer says busy, not wait.
    integ_->onWait = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    integ_->onProgress = [this](std::uint64_t rows) { showProgress(rows); };
    tmrScheduler_ = new QTimer(this);
    tmrScheduler_->setInterval(60000);
    connect(tmrScheduler_, &QTimer::timeout, this, [this] { tmrScheduler_Timer(); });
    resize(620, 470);
}

frmIntegrator::~frmIntegrator() {
    // The views outlive the members; they must not read the grid once it is gone.
    msfgResults_->setModel(nullptr);
    integ_->onChanged = nullptr;
    integ_->onWait = nullptr;
    integ_->onProgress = nullptr;
}

void frmIntegrator::showProgress(std::uint64_t rows) {
    QString text;
    if (integ_->cancelling())
        text = QStringLiteral("Cancelling...");
    else if (rows == 0)
        text = QStringLiteral("Running the statement...");
    else
        text = fromAnsi(text::formatNumber(double(rows), "#,##0")) +
               (rows == 1 ? QStringLiteral(" record read") : QStringLiteral(" records read"));
    lblProgress_->setText(text);
}

// ---- Construction ----

QWidget* frmIntegrator::buildTransactions() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    lvwTSets_ = new QTreeWidget(page);
    lvwTSets_->setObjectName(QStringLiteral("lvwTSets"));
    lvwTSets_->setRootIsDecorated(false);
    lvwTSets_->setAllColumnsShowFocus(true);
    lvwTSets_->setSortingEnabled(false);
    lvwTSets_->setHeaderLabels({"Partner", "TSet", "Version", "I/O", "Group", "Override"});
    const int widths[] = {1400, 600, 800, 500, 800, 800};
    for (int i = 0; i < 6; ++i) lvwTSets_->setColumnWidth(i, px(widths[i]) + 16);
    layout->addWidget(lvwTSets_);
    // The list is read once at load, so the hint says where rows come from and when they show.
    lblEmpty_ = new QLabel(QStringLiteral(u"No transaction sets. Add them to a partner under Setup\u00A0>\u00A0Partners, "
                                          u"then open the Integrator again."),
                           lvwTSets_->viewport());
    lblEmpty_->setWordWrap(true);
    lblEmpty_->setAlignment(Qt::AlignCenter);
    lblEmpty_->setMinimumWidth(px(5400));
    auto* hint = new QVBoxLayout(lvwTSets_->viewport());
    hint->addWidget(lblEmpty_, 0, Qt::AlignCenter);
    connect(lvwTSets_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { lvwTSets_ItemClick(lvwTSets_->indexOfTopLevelItem(item)); });
    connect(lvwTSets_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const int row = lvwTSets_->indexOfTopLevelItem(item);
        if (!displaying_ && row >= 0 && row != integ_->selected()) lvwTSets_ItemClick(row);
    });
    return page;
}

QWidget* frmIntegrator::buildScheduler() {
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    auto* frame = new QGroupBox(page);
    frame->setObjectName(QStringLiteral("fraScheduled"));
    auto* g = new QGridLayout(frame);
    chkTime_ = new QCheckBox(QStringLiteral("Schedule at:"), frame);
    dtpTime_ = new QTimeEdit(frame);
    dtpTime_->setDisplayFormat(QStringLiteral("h:mm AP"));
    chkInterval_ = new QCheckBox(QStringLiteral("Schedule every:"), frame);
    cboInterval_ = new QComboBox(frame);
    for (int i = 0; i < kIntervalCount; ++i) cboInterval_->addItem(fromAnsi(intervalText(i)));
    g->addWidget(chkTime_, 0, 0);
    g->addWidget(dtpTime_, 0, 1);
    g->addWidget(chkInterval_, 1, 0);
    g->addWidget(cboInterval_, 1, 1);
    auto* days = new QHBoxLayout;
    const char* names[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    for (int d = 0; d < 7; ++d) {
        chkDays_[std::size_t(d)] = new QCheckBox(QString::fromLatin1(names[d]), frame);
        days->addWidget(chkDays_[std::size_t(d)]);
    }
    days->addStretch();
    g->addLayout(days, 2, 0, 1, 3);
    chkActiveX_ = new QCheckBox(QStringLiteral("ActiveX"), frame);
    chkPrint_ = new QCheckBox(QStringLiteral("Export / Print"), frame);
    chkAcknowledge_ = new QCheckBox(QStringLiteral("Acknowledge"), frame);
    chkExecute_ = new QCheckBox(QStringLiteral("Execute SQL"), frame);
    auto* options = new QHBoxLayout;
    for (QCheckBox* c : {chkActiveX_, chkPrint_, chkAcknowledge_, chkExecute_}) options->addWidget(c);
    options->addStretch();
    g->addLayout(options, 3, 0, 1, 3);
    auto* formatLabel = new QLabel(QStringLiteral("Report Export Format:"), frame);
    g->addWidget(formatLabel, 4, 0);
    cboExportFormat_ = new QComboBox(frame);
    formatLabel->setBuddy(cboExportFormat_);
    for (const core::ExportFormat& f : core::exportFormats()) cboExportFormat_->addItem(fromAnsi(f.label));
    g->addWidget(cboExportFormat_, 4, 1, 1, 2);
    lblDescription_ = new QLabel(frame);
    lblDescription_->setObjectName(QStringLiteral("lblDescription"));
    g->addWidget(lblDescription_, 5, 0, 1, 3);
    g->setColumnStretch(2, 1);
    outer->addWidget(frame);
    outer->addStretch();
    rowControls_ << chkTime_ << dtpTime_ << chkInterval_ << cboInterval_;
    for (QCheckBox* c : chkDays_) rowControls_ << c;
    rowControls_ << chkActiveX_ << chkPrint_ << chkAcknowledge_ << chkExecute_ << formatLabel << cboExportFormat_;
    return page;
}

QWidget* frmIntegrator::buildDataSource() {
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    auto* frame = new QGroupBox(QStringLiteral("Data Source"), page);
    frame->setObjectName(QStringLiteral("fraODBC"));
    auto* g = new QGridLayout(frame);
    // Made top to bottom, so Tab visits them as they are shown.
    cboDataSourceName_ = new QComboBox(frame);
    txtUserId_ = new QLineEdit(frame);
    txtPassword_ = new QLineEdit(frame);
    txtPassword_->setEchoMode(QLineEdit::Password);
    txtDatabase_ = new QLineEdit(frame);
    cboDriver_ = new QComboBox(frame);
    txtServer_ = new QLineEdit(frame);
    for (QComboBox* c : {cboDataSourceName_, cboDriver_}) {
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
    }
    struct Field {
        const char* label;
        QWidget* box;
    };
    const Field fields[] = {{"&DSN:", cboDataSourceName_}, {"&UID:", txtUserId_},     {"&Password:", txtPassword_},
                            {"Data&base:", txtDatabase_},  {"Dri&ver:", cboDriver_}, {"&Server:", txtServer_}};
    int r = 0;
    for (const Field& f : fields) {
        auto* label = new QLabel(QString::fromLatin1(f.label), frame);
        label->setBuddy(f.box);
        g->addWidget(label, r, 0);
        g->addWidget(f.box, r++, 1);
        rowControls_ << label << f.box;
    }
    outer->addWidget(frame);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdConnect_ = new QPushButton(QStringLiteral("Connect"), page);
    cmdDisconnect_ = new QPushButton(QStringLiteral("Disconnect"), page);
    buttons->addWidget(cmdConnect_);
    buttons->addWidget(cmdDisconnect_);
    outer->addLayout(buttons);
    outer->addStretch();
    connect(cmdConnect_, &QPushButton::clicked, this, [this] { cmdConnect_Click(); });
    connect(cmdDisconnect_, &QPushButton::clicked, this, [this] { cmdDisconnect_Click(); });
    return page;
}

QWidget* frmIntegrator::buildQuery() {
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    txtSQL_ = new QPlainTextEdit(page);
    txtSQL_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtSQL_->setTabChangesFocus(true);
    outer->addWidget(txtSQL_, 1);
    auto* frame = new QGroupBox(QStringLiteral("Parameters"), page);
    auto* g = new QGridLayout(frame);
    // Made row by row, so Tab visits them as they are laid out.
    chkStartDate_ = new QCheckBox(QStringLiteral("Start Date"), frame);
    dtpStartDate_ = new QDateEdit(frame);
    mskMinus_ = new QLineEdit(frame);
    chkEndDate_ = new QCheckBox(QStringLiteral("End Date"), frame);
    dtpEndDate_ = new QDateEdit(frame);
    mskPlus_ = new QLineEdit(frame);
    for (QDateEdit* d : {dtpStartDate_, dtpEndDate_}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("M/d/yyyy"));
    }
    for (QLineEdit* m : {mskMinus_, mskPlus_}) {
        m->setMaxLength(3);
        m->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}")), m));
        m->setMaximumWidth(50);
    }
    g->addWidget(chkStartDate_, 0, 0);
    g->addWidget(dtpStartDate_, 0, 1);
    auto* minusLabel = new QLabel(QStringLiteral("Today -"), frame);
    auto* plusLabel = new QLabel(QStringLiteral("Today +"), frame);
    g->addWidget(minusLabel, 0, 2);
    g->addWidget(mskMinus_, 0, 3);
    g->addWidget(chkEndDate_, 1, 0);
    g->addWidget(dtpEndDate_, 1, 1);
    g->addWidget(plusLabel, 1, 2);
    g->addWidget(mskPlus_, 1, 3);
    g->setColumnStretch(4, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(frame, 1);
    cmdExecute_ = new QPushButton(QStringLiteral("Execute SQL"), page);
    row->addWidget(cmdExecute_, 0, Qt::AlignBottom);
    outer->addLayout(row);
    rowControls_ << chkStartDate_ << minusLabel << mskMinus_ << chkEndDate_ << plusLabel << mskPlus_ << txtSQL_;
    connect(cmdExecute_, &QPushButton::clicked, this, [this] { cmdExecute_Click(); });
    return page;
}

QWidget* frmIntegrator::buildResults() {
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    msfgResults_ = new QTableView(page);
    msfgResults_->setObjectName(QStringLiteral("msfgResults"));
    gridModel_ = new ResultGridModel(integ_->grid(), this);
    msfgResults_->setModel(gridModel_);
    msfgResults_->horizontalHeader()->setSectionsClickable(false);
    msfgResults_->horizontalHeader()->setDefaultSectionSize(48);   // columns grow to their values
    msfgResults_->verticalHeader()->setDefaultSectionSize(msfgResults_->fontMetrics().height() + 6);
    msfgResults_->setSelectionMode(QAbstractItemView::SingleSelection);
    msfgResults_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msfgResults_->setTabKeyNavigation(false);
    msfgResults_->setContextMenuPolicy(Qt::CustomContextMenu);
    msfgResults_->installEventFilter(this);
    outer->addWidget(msfgResults_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cmdSave_ = new QPushButton(QStringLiteral("Save"), page);
    buttons->addWidget(cmdSave_);
    outer->addLayout(buttons);
    connect(cmdSave_, &QPushButton::clicked, this, [this] { cmdSave_Click(); });

    mnuPopup_ = new QMenu(this);
    for (const StatusCode& c : statusCodes()) {
        QAction* a = mnuPopup_->addAction(fromAnsi(c.caption));
        a->setObjectName(QStringLiteral("mnuPopup") + fromAnsi(c.code));
        const std::string code(c.code);
        connect(a, &QAction::triggered, this, [this, code] {
            const QModelIndex at = msfgResults_->currentIndex();
            if (!at.isValid()) return;
            ResultGrid& g = integ_->grid();
            g.row = std::size_t(at.row()) + 1;
            g.col = std::size_t(at.column());
            g.setCode(code);
            gridModel_->cellChanged(at.row(), at.column());
        });
    }
    widgets::GiveAccessKeys(mnuPopup_);
    connect(msfgResults_, &QTableView::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex cell = msfgResults_->indexAt(at);
        if (cell.isValid()) msfgResults_->setCurrentIndex(cell);
        mnuPopup_->exec(msfgResults_->viewport()->mapToGlobal(at));
    });
    return page;
}

// User edits go straight into the row's working settings; display() shows them again.
void frmIntegrator::bindEdits() {
    auto onCheck = [this](QCheckBox* box, auto apply) {
        connect(box, &QCheckBox::stateChanged, this, [this, apply](int state) {
            if (displaying_ || !current()) return;
            apply(*current(), state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0);
            display();
        });
    };
    onCheck(chkTime_, [](RowSettings& r, int v) { r.setCheckTime(v); });
    onCheck(chkInterval_, [](RowSettings& r, int v) { r.setCheckInterval(v); });
    for (int d = 0; d < 7; ++d) onCheck(chkDays_[std::size_t(d)], [d](RowSettings& r, int v) { r.days[std::size_t(d)] = v; });
    onCheck(chkActiveX_, [](RowSettings& r, int v) { r.customActiveX = v; });
    onCheck(chkPrint_, [](RowSettings& r, int v) { r.print = v; });
    onCheck(chkAcknowledge_, [](RowSettings& r, int v) { r.ack = v; });
    onCheck(chkExecute_, [](RowSettings& r, int v) { r.executeSql = v; });
    onCheck(chkStartDate_, [](RowSettings& r, int v) { r.startDate = v; });
    onCheck(chkEndDate_, [](RowSettings& r, int v) { r.endDate = v; });
    connect(dtpTime_, &QTimeEdit::timeChanged, this, [this](const QTime& t) {
        if (displaying_ || !current()) return;
        const double day = std::floor(current()->time);
        current()->time = day + (t.hour() * 3600 + t.minute() * 60) / 86400.0;
        display();
    });
    connect(cboInterval_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (displaying_ || !current() || i < 0) return;
        current()->interval = i;
        display();
    });
    connect(cboExportFormat_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!displaying_ && current() && i >= 0) current()->exportFormat = i;
    });
    auto onText = [this](QLineEdit* box, std::string RowSettings::*field) {
        connect(box, &QLineEdit::textEdited, this, [this, field](const QString& t) {
            if (current()) current()->*field = toAnsi(t);
        });
    };
    onText(txtUserId_, &RowSettings::userId);
    onText(txtPassword_, &RowSettings::password);
    onText(txtDatabase_, &RowSettings::database);
    onText(txtServer_, &RowSettings::server);
    onText(mskMinus_, &RowSettings::minus);
    onText(mskPlus_, &RowSettings::plus);
    auto onCombo = [this](QComboBox* box, std::string RowSettings::*field) {
        connect(box, &QComboBox::currentTextChanged, this, [this, field](const QString& t) {
            if (!displaying_ && current()) current()->*field = toAnsi(t);
        });
    };
    onCombo(cboDataSourceName_, &RowSettings::dataSourceName);
    onCombo(cboDriver_, &RowSettings::driver);
    connect(txtSQL_, &QPlainTextEdit::textChanged, this, [this] {
        if (displaying_ || !current()) return;
        QString sql = txtSQL_->toPlainText();
        sql.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        current()->sql = toAnsi(sql);
    });
    connect(dtpStartDate_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!displaying_) integ_->startPicker = fromQDate(d);
    });
    connect(dtpEndDate_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!displaying_) integ_->endPicker = fromQDate(d);
    });
}

// ---- State ----

RowSettings* frmIntegrator::current() {
    const int i = integ_->selected();
    return i >= 0 && i < int(integ_->rows().size()) ? &integ_->row(i) : nullptr;
}

void frmIntegrator::Form_Load() {
    sstSchedule_->setCurrentIndex(0);
    const DataSourceLists lists = GetDSNsAndDrivers();
    for (const std::string& n : lists.names) cboDataSourceName_->addItem(fromAnsi(n));
    for (const std::string& d : lists.drivers) cboDriver_->addItem(fromAnsi(d));
    integ_->Load();
    displaying_ = true;
    lvwTSets_->clear();
    for (const RowSettings& r : integ_->rows()) {
        auto* item = new QTreeWidgetItem(lvwTSets_);
        const std::string cols[6] = {r.key.partner, r.key.transaction, r.key.version, r.key.direction, r.group,
                                     r.versionOverride};
        for (int c = 0; c < 6; ++c) item->setText(c, fromAnsi(cols[c]));
    }
    displaying_ = false;
    display();
    tmrScheduler_->start();
}

void frmIntegrator::display() {
    if (displaying_) return;
    displaying_ = true;
    setWindowTitle(fromAnsi(integ_->caption()));
    const bool any = !integ_->rows().empty();
    const bool editing = integ_->editing();
    const bool connected = integ_->connected();
    const bool busy = integ_->busy();
    const bool extracting = integ_->extracting();
    if (RowSettings* r = current()) {
        if (lvwTSets_->currentItem() != lvwTSets_->topLevelItem(integ_->selected()))
            lvwTSets_->setCurrentItem(lvwTSets_->topLevelItem(integ_->selected()));
        chkTime_->setCheckState(boxState(r->checkTime));
        const text::DateTime t = text::fromOleDate(r->time);
        dtpTime_->setTime(QTime(t.hour, t.minute, t.second));
        chkInterval_->setCheckState(boxState(r->checkInterval));
        cboInterval_->setCurrentIndex(r->interval);
        for (int d = 0; d < 7; ++d) chkDays_[std::size_t(d)]->setCheckState(boxState(r->days[std::size_t(d)]));
        chkActiveX_->setCheckState(boxState(r->customActiveX));
        chkPrint_->setCheckState(boxState(r->print));
        chkAcknowledge_->setCheckState(boxState(r->ack));
        chkExecute_->setCheckState(boxState(r->executeSql));
        cboExportFormat_->setCurrentIndex(r->exportFormat);
        cboDataSourceName_->setEditText(fromAnsi(r->dataSourceName));
        cboDriver_->setEditText(fromAnsi(r->driver));
        auto setText = [](QLineEdit* box, const std::string& value) {
            const QString v = fromAnsi(value);
            if (box->text() != v) box->setText(v);
        };
        setText(txtUserId_, r->userId);
        setText(txtPassword_, r->password);
        setText(txtDatabase_, r->database);
        setText(txtServer_, r->server);
        setText(mskMinus_, r->minus);
        setText(mskPlus_, r->plus);
        QString sql = fromAnsi(r->sql);
        sql.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (txtSQL_->toPlainText() != sql) txtSQL_->setPlainText(sql);
        chkStartDate_->setCheckState(boxState(r->startDate));
        chkEndDate_->setCheckState(boxState(r->endDate));
        lblDescription_->setText(fromAnsi(ScheduleDescription(*r)));
        const bool inboundSet = r->key.direction != "O" && r->key.transaction != "997";
        chkAcknowledge_->setVisible(inboundSet);
        chkPrint_->setVisible(inboundSet);
    }
    dtpStartDate_->setDate(toQDate(integ_->startPicker));
    dtpEndDate_->setDate(toQDate(integ_->endPicker));
    for (QWidget* w : rowControls_) w->setEnabled(editing && any);
    lblEmpty_->setVisible(!any);
    lvwTSets_->setEnabled(any && !editing);
    cmdConnect_->setEnabled(any && !editing && !connected && !extracting);
    cmdProcess_->setEnabled(any && !editing && !busy && !extracting);
    cmdModify_->setEnabled(any && !connected && !busy);
    cmdModify_->setText(editing ? QStringLiteral("Save") : QStringLiteral("&Modify"));
    cmdModify_->setToolTip(editing ? QStringLiteral("Save") : QStringLiteral("Modify"));
    cmdDisconnect_->setEnabled(connected && !extracting);
    cmdExecute_->setEnabled(connected && !extracting);
    // Nothing to save before a result is shown, nor while one is being read.
    cmdSave_->setEnabled(!integ_->grid().key.empty() && integ_->grid().rowCount() > 1 && !extracting);
    if (extracting && !fraProgress_->isVisible()) showProgress(0);
    fraProgress_->setVisible(extracting);
    cmdCancel_->setEnabled(extracting && !integ_->cancelling());
    showGrid();
    displaying_ = false;
}

void frmIntegrator::showGrid() {
    ResultGrid& g = integ_->grid();
    if (int(g.generation) == gridGeneration_) return;
    gridGeneration_ = int(g.generation);
    gridModel_->reset();
    // Columns only grow; long values and rows far down do not widen them.
    const QFontMetrics fm(msfgResults_->font());
    const std::size_t rows = std::min<std::size_t>(g.rowCount(), 500);
    std::vector<int> widths(g.colCount());
    for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = msfgResults_->columnWidth(int(c));
    for (std::size_t r = 0; r < rows; ++r) {
        const std::vector<std::string> cells = g.rowCells(r);
        for (std::size_t c = 0; c < widths.size() && c < cells.size(); ++c)
            if (cells[c].size() < 100) widths[c] = std::max(widths[c], fm.horizontalAdvance(fromAnsi(cells[c])) + 12);
    }
    for (std::size_t c = 0; c < widths.size(); ++c) msfgResults_->setColumnWidth(int(c), widths[c]);
    if (g.rowCount() > 1) msfgResults_->setCurrentIndex(gridModel_->index(0, 0));
}

// ---- Events ----

void frmIntegrator::lvwTSets_ItemClick(int row) { integ_->select(row); }

void frmIntegrator::cmdModify_Click() { integ_->cmdModify_Click(); }

void frmIntegrator::cmdProcess_Click() { integ_->cmdProcess_Click(); }

void frmIntegrator::cmdConnect_Click() { integ_->cmdConnect_Click(); }

void frmIntegrator::cmdDisconnect_Click() { integ_->cmdDisconnect_Click(); }

void frmIntegrator::cmdExecute_Click() {
    integ_->cmdExecute_Click();
    if (integ_->grid().rowCount() > 0) sstSchedule_->setCurrentIndex(4);
}

void frmIntegrator::cmdSave_Click() { integ_->cmdSave_Click(); }

bool frmIntegrator::confirmClose() {
    if (std::none_of(integ_->rows().begin(), integ_->rows().end(), IsScheduled)) return true;
    return s_.ui.messageBox("Scheduled runs stop when the Integrator is closed.\r\n\r\nClose the Integrator?",
                            core::vbYesNo | core::vbQuestion, core::kApplicationName) == core::vbYes;
}

void frmIntegrator::cmdCancel_Click() {
    integ_->cmdCancel_Click();
    showProgress(0);
    cmdCancel_->setEnabled(false);
}

void frmIntegrator::cmdClose_Click() { close(); }   // asks as the close box does

void frmIntegrator::tmrScheduler_Timer() { integ_->Tick(s_.clock.now()); }

void frmIntegrator::closeEvent(QCloseEvent* event) {
    // The close box asks as Close does; the main window closing everything at exit does not.
    // A run or an extraction under way keeps the window.
    if (!integ_->QueryUnload() || (!widgets::ClosingAtExit(this) && !confirmClose())) {
        event->ignore();
        return;
    }
    tmrScheduler_->stop();
    integ_->closeConnection();
    event->accept();
}

void frmIntegrator::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) integ_->minimized = isMinimized();
    QMainWindow::changeEvent(event);
}

bool frmIntegrator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == msfgResults_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        ResultGrid& g = integ_->grid();
        const QModelIndex at = msfgResults_->currentIndex();
        if (!at.isValid()) return false;
        g.row = std::size_t(at.row()) + 1;
        g.col = std::size_t(at.column());
        if (key->key() == Qt::Key_Delete) {
            if (g.deleteRow()) {
                gridModel_->reset();
                msfgResults_->setCurrentIndex(gridModel_->index(int(g.row) - 1, int(g.col)));
            }
            return true;
        }
        int ascii = -1;
        if (key->key() == Qt::Key_Backspace) ascii = 8;
        else if (key->key() == Qt::Key_Tab) ascii = 9;
        else if (!key->text().isEmpty() && key->text().at(0).unicode() >= 32) {
            const std::string a = toAnsi(key->text().left(1));
            if (!a.empty()) ascii = static_cast<unsigned char>(a[0]);
        }
        if (ascii < 0) return false;   // arrows and the like move the current cell
        g.keyPress(ascii);
        // The names are the header here, not a cell: a Tab from the last cell goes to the first record.
        if (g.row == 0) g.row = 1;
        if (ascii == 9)
            msfgResults_->setCurrentIndex(gridModel_->index(int(g.row) - 1, int(g.col)));
        else
            gridModel_->cellChanged(int(g.row) - 1, int(g.col));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace vt::integrator
