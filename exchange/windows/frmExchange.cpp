// The Exchange window: layout, load, buttons, sessions and the scheduler's tick.
#include "exchange/windows/frmExchange.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/UiSink.h"
#include "exchange/ReferenceTrees.h"
#include "exchange/windows/OpenExchange.h"
#include "exchange/windows/ScriptWidgets.h"
#include "keystrand/qt/QtComboTarget.h"
#include "platform/text/AnsiQt.h"
#include "platform/widgets/ProgramExit.h"
#include "platform/widgets/TabFocus.h"
#include "platform/widgets/WindowPlacement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSplitter>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace vt::exchange {

namespace {

QString q(std::string_view s) { return text::fromAnsi(s); }

// tvwIcons: one small picture per group of reference nodes.
QIcon groupIcon(const std::string& group) {
    static const std::pair<const char*, QColor> colours[] = {
        {"Methods", QColor(0x2e, 0x7d, 0x32)},   {"Properties", QColor(0x15, 0x65, 0xc0)},
        {"Functions", QColor(0x6a, 0x1b, 0x9a)}, {"Operators", QColor(0xc6, 0x28, 0x28)},
        {"Statements", QColor(0xef, 0x6c, 0x00)}, {"Operations", QColor(0x00, 0x83, 0x8f)}};
    QColor colour(Qt::gray);
    for (const auto& [name, c] : colours)
        if (group == name) colour = c;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker(130));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString(QChar(group.front())));
    return QIcon(pixmap);
}

QLineEdit* textBox(int maxLength = 0) {
    auto* box = new QLineEdit;
    if (maxLength > 0) box->setMaxLength(maxLength);
    return box;
}

QLineEdit* numberBox() {
    // Up to five digits, as the masked boxes took them.
    auto* box = new QLineEdit;
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), box));
    box->setMaximumWidth(90);
    return box;
}

}  // namespace

frmExchange::frmExchange(const core::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ui_(services.ui),
      s_{services.db, ui_, services.clock, services.settings},
      editor_(s_),
      scheduler_(s_) {
    setObjectName(QStringLiteral("frmExchange"));
    setWindowTitle(QStringLiteral("Exchange"));
    sessions_ = std::make_unique<ExchangeSessions>(s_, *this);
    // Transfer events arrive on a worker thread; they are told on this one.
    QPointer<frmExchange> self(this);
    sessions_->inet().setEventNotifier([self] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [self] { if (self) self->sessions_->inet().deliverEvents(); }, Qt::QueuedConnection);
    });
    buildLayout();
    tmrScheduler = new QTimer(this);
    tmrScheduler->setInterval(60000);
    connect(tmrScheduler, &QTimer::timeout, this, [this] { tmrScheduler_Timer(); });
    resize(860, 620);
}

frmExchange::~frmExchange() {
    if (sessions_) sessions_->cancelSession();
    providers_.releaseHeld();
}

frmExchange* frmExchange::open(const core::Services& services, QWidget* mainWindow) {
    static QPointer<frmExchange> window;
    if (!window) {
        window = new frmExchange(services, mainWindow);
        widgets::CentreOverOwner(window, mainWindow);
    }
    if (!window->isVisible()) {
        window->Form_Load();
        window->show();
    }
    window->raise();
    window->activateWindow();
    return window;
}

// ---- Layout ----

void frmExchange::buildLayout() {
    sstInternet = new QTabWidget;
    widgets::KeepFocusOnTabs(sstInternet);

    auto* networks = new QWidget;
    lvwNetworks = new QTreeWidget;
    lvwNetworks->setHeaderLabels({QStringLiteral("Network")});
    lvwNetworks->setRootIsDecorated(false);
    lvwNetworks->setColumnWidth(0, 400);   // 6000 twips
    cmdAddNetwork = new QPushButton(QStringLiteral("Add Network"));
    cmdDeleteNetwork = new QPushButton(QStringLiteral("Delete Network"));
    auto* networkButtons = new QVBoxLayout;
    networkButtons->addWidget(cmdAddNetwork);
    networkButtons->addWidget(cmdDeleteNetwork);
    networkButtons->addStretch();
    auto* networksLayout = new QHBoxLayout(networks);
    networksLayout->addWidget(lvwNetworks, 1);
    networksLayout->addLayout(networkButtons);
    sstInternet->addTab(networks, QStringLiteral("Networks"));
    sstInternet->addTab(buildConnectionTab(), QStringLiteral("Connection"));
    sstInternet->addTab(buildSchedulerTab(), QStringLiteral("Scheduler"));

    txtSession = new QPlainTextEdit;
    txtSession->setReadOnly(true);
    txtSession->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    sstInternet->addTab(txtSession, QStringLiteral("Session"));

    auto scriptTab = [this](QPlainTextEdit*& editor, QTreeWidget*& tree) {
        auto* split = new QSplitter;
        editor = new ScriptEditor;
        tree = new ReferenceTree;
        split->addWidget(editor);
        split->addWidget(tree);
        split->setStretchFactor(0, 3);
        split->setStretchFactor(1, 1);
        return split;
    };
    sstInternet->addTab(scriptTab(txtSend, tvwSendRef), QStringLiteral("Send"));
    sstInternet->addTab(scriptTab(txtReceive, tvwReceiveRef), QStringLiteral("Receive"));
    sstInternet->addTab(buildAs2Tab(), QStringLiteral("AS2"));
    sstInternet->addTab(buildEncryptionTab(), QStringLiteral("Encryption"));

    cmdSend = new QPushButton(QStringLiteral("Send"));
    cmdReceive = new QPushButton(QStringLiteral("Receive"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"));
    cmdCancel->setToolTip(QStringLiteral("Stop the running session"));
    cmdCancel->setEnabled(false);
    cmdModify = new QPushButton(QStringLiteral("Modify"));
    cmdModify->setToolTip(QStringLiteral("Modify"));
    cmdClose = new QPushButton(QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdSend, cmdReceive, cmdCancel}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdModify);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sstInternet, 1);
    layout->addLayout(buttons);

    detailControls_ = {txtURL,          txtProxy,           txtUserName,         txtPassword,
                       cboProtocol,     cboAccessType,      mebRemotePort,       mebTimeOut,
                       chkTime,         dtpTime,            chkInterval,         cboInterval,
                       optSendReceive,  optReceive,         optSend,             txtSend,
                       txtReceive,      txtOrganizationName, txtEmail,           txtPartnerName,
                       txtPartnerURL,   chkSignOutgoing,    chkEncryptOutgoing,  chkCompressOutgoing,
                       chkRequireSignature, chkRequireEncryption, chkMDNSigned,  chkMDNUnsigned,
                       chkRequestMDN,   optSyncronous,      optAsyncronous,      cboProvider,
                       cboAlgorithm,    cboHash,            cboStoreLocation,    cboStoreName,
                       lvwCertificate,  mebSizeLimit};
    static const char* const names[] = {
        "txtURL", "txtProxy", "txtUserName", "txtPassword", "cboProtocol", "cboAccessType", "mebRemotePort",
        "mebTimeOut", "chkTime", "dtpTime", "chkInterval", "cboInterval", "optSendReceive", "optReceive", "optSend",
        "txtSend", "txtReceive", "txtOrganizationName", "txtEmail", "txtPartnerName", "txtPartnerURL",
        "chkSignOutgoing", "chkEncryptOutgoing", "chkCompressOutgoing", "chkRequireSignature", "chkRequireEncryption",
        "chkMDNSigned", "chkMDNUnsigned", "chkRequestMDN", "optSyncronous", "optAsyncronous", "cboProvider",
        "cboAlgorithm", "cboHash", "cboStoreLocation", "cboStoreName", "lvwCertificate", "mebSizeLimit"};
    for (std::size_t i = 0; i < detailControls_.size(); ++i)
        detailControls_[i]->setObjectName(QString::fromLatin1(names[i]));
    sstInternet->setObjectName(QStringLiteral("sstInternet"));
    lvwNetworks->setObjectName(QStringLiteral("lvwNetworks"));
    txtSession->setObjectName(QStringLiteral("txtSession"));
    tvwSendRef->setObjectName(QStringLiteral("tvwSendRef"));
    tvwReceiveRef->setObjectName(QStringLiteral("tvwReceiveRef"));
    for (QPushButton* b : {cmdAddNetwork, cmdDeleteNetwork, cmdSend, cmdReceive, cmdCancel, cmdModify, cmdClose})
        b->setObjectName(QStringLiteral("cmd") + b->text().remove(QLatin1Char(' ')));   // "cmdAddNetwork", ...

    // Clicks and the arrow keys alike show the network.
    connect(lvwNetworks, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        const int row = lvwNetworks->indexOfTopLevelItem(current);
        if (row < 0 || row == editor_.selected()) return;
        editor_.select(row);
        showSelected();
    });
    connect(cmdAddNetwork, &QPushButton::clicked, this, [this] {
        editor_.cmdAddNetwork_Click();
        refreshList();
    });
    connect(cmdDeleteNetwork, &QPushButton::clicked, this, [this] {
        editor_.cmdDeleteNetwork_Click();
        refreshList();
    });
    connect(cmdModify, &QPushButton::clicked, this, [this] {
        collect();
        const bool wasEditing = editor_.editing();
        editor_.cmdModify_Click();
        if (wasEditing && !editor_.editing()) showSelected();
        cmdModify->setText(q(editor_.modifyCaption()));
        cmdModify->setToolTip(cmdModify->text());
        EnableNetworkControls(editor_.editing());
    });
    connect(cmdSend, &QPushButton::clicked, this, [this] {
        collect();
        if (editor_.selected() >= 0) sessions_->cmdSend_Click(ControlsFor(editor_.at(editor_.selected())));
    });
    connect(cmdReceive, &QPushButton::clicked, this, [this] {
        collect();
        if (editor_.selected() >= 0) sessions_->cmdReceive_Click(ControlsFor(editor_.at(editor_.selected())));
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { sessions_->cancelSession(); });
    // Scheduled sessions stop with the window: Close and the close box ask first, the main window
    // closing everything at exit does not.
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

QWidget* frmExchange::buildConnectionTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    txtURL = textBox(255);
    txtProxy = textBox(255);
    txtUserName = textBox(80);
    txtPassword = textBox(80);
    txtPassword->setEchoMode(QLineEdit::Password);
    cboProtocol = new QComboBox;
    cboAccessType = new QComboBox;
    mebRemotePort = numberBox();
    mebTimeOut = numberBox();
    mebRemotePort->setToolTip(QStringLiteral("Empty: the port the URL names, or the protocol's own"));
    mebTimeOut->setToolTip(QStringLiteral("Seconds a request may wait on the server; empty: 60"));
    mebSizeLimit = numberBox();
    mebSizeLimit->setToolTip(QStringLiteral("The most one downloaded or unpacked file may hold, in megabytes"));
    form->addRow(QStringLiteral("URL:"), txtURL);
    form->addRow(QStringLiteral("Proxy:"), txtProxy);
    form->addRow(QStringLiteral("User Name:"), txtUserName);
    form->addRow(QStringLiteral("Password:"), txtPassword);
    form->addRow(QStringLiteral("Protocol:"), cboProtocol);
    form->addRow(QStringLiteral("Access Type:"), cboAccessType);
    form->addRow(QStringLiteral("Remote Port:"), mebRemotePort);
    form->addRow(QStringLiteral("Time Out:"), mebTimeOut);
    form->addRow(QStringLiteral("Size Limit (MB):"), mebSizeLimit);
    return page;
}

QWidget* frmExchange::buildSchedulerTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    chkTime = new QCheckBox(QStringLiteral("Exchange data at:"));
    dtpTime = new QTimeEdit;
    dtpTime->setDisplayFormat(QStringLiteral("h:mm AP"));
    chkInterval = new QCheckBox(QStringLiteral("Exchange data every:"));
    cboInterval = new QComboBox;
    optSendReceive = new QRadioButton(QStringLiteral("Send && Recieve"));
    optReceive = new QRadioButton(QStringLiteral("Only Receive"));
    optSend = new QRadioButton(QStringLiteral("Only Send"));
    runGroup = new QButtonGroup(page);
    for (QRadioButton* r : {optSendReceive, optReceive, optSend}) runGroup->addButton(r);
    grid->addWidget(chkTime, 0, 0);
    grid->addWidget(dtpTime, 0, 1);
    grid->addWidget(chkInterval, 1, 0);
    grid->addWidget(cboInterval, 1, 1);
    grid->addWidget(optSendReceive, 2, 0);
    grid->addWidget(optReceive, 3, 0);
    grid->addWidget(optSend, 4, 0);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(5, 1);
    // A network runs daily or every N minutes, never both.
    connect(chkTime, &QCheckBox::toggled, this, [this](bool on) {
        if (on && !applying_) chkInterval->setChecked(false);
    });
    connect(chkInterval, &QCheckBox::toggled, this, [this](bool on) {
        if (on && !applying_) chkTime->setChecked(false);
    });
    return page;
}

QWidget* frmExchange::buildAs2Tab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    txtOrganizationName = textBox();
    txtEmail = textBox();
    txtPartnerName = textBox();
    txtPartnerURL = textBox();
    auto note = [](const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text));
        l->setEnabled(false);
        return l;
    };
    auto* local = new QGroupBox(QStringLiteral("Local Setup"));
    auto* localForm = new QGridLayout(local);
    localForm->addWidget(new QLabel(QStringLiteral("Organization Name:")), 0, 0);
    localForm->addWidget(txtOrganizationName, 0, 1);
    localForm->addWidget(note("(AS2 Identifier)"), 0, 2);
    localForm->addWidget(new QLabel(QStringLiteral("Email Address:")), 1, 0);
    localForm->addWidget(txtEmail, 1, 1);
    localForm->addWidget(note("* Needed for MDN"), 1, 2);
    auto* partner = new QGroupBox(QStringLiteral("Trading Parnter Info"));
    auto* partnerForm = new QGridLayout(partner);
    partnerForm->addWidget(new QLabel(QStringLiteral("Partner Name:")), 0, 0);
    partnerForm->addWidget(txtPartnerName, 0, 1);
    partnerForm->addWidget(note("(AS2 Identifier)"), 0, 2);
    partnerForm->addWidget(new QLabel(QStringLiteral("Partner URL:")), 1, 0);
    partnerForm->addWidget(txtPartnerURL, 1, 1);
    auto* connection = new QGroupBox(QStringLiteral("Connection Info"));
    auto* checks = new QGridLayout(connection);
    chkSignOutgoing = new QCheckBox(QStringLiteral("Sign Outgoing Data"));
    chkEncryptOutgoing = new QCheckBox(QStringLiteral("Encrypt Outgoing Data"));
    chkCompressOutgoing = new QCheckBox(QStringLiteral("Compress Outgoing Data"));
    chkRequireSignature = new QCheckBox(QStringLiteral("Require Signature"));
    chkRequireEncryption = new QCheckBox(QStringLiteral("Require Encryption"));
    chkMDNSigned = new QCheckBox(QStringLiteral("MDN Signed"));
    chkMDNUnsigned = new QCheckBox(QStringLiteral("MDN Unsigned"));
    chkRequestMDN = new QCheckBox(QStringLiteral("MDN Request"));
    int at = 0;
    for (QCheckBox* c : {chkSignOutgoing, chkEncryptOutgoing, chkCompressOutgoing, chkRequireSignature,
                         chkRequireEncryption, chkMDNSigned, chkMDNUnsigned, chkRequestMDN}) {
        checks->addWidget(c, at % 4, at / 4);
        ++at;
    }
    auto* mdn = new QGroupBox(QStringLiteral("MDN Receipts"));
    auto* mdnLayout = new QVBoxLayout(mdn);
    optSyncronous = new QRadioButton(QStringLiteral("Syncronous"));
    optAsyncronous = new QRadioButton(QStringLiteral("Asyncronous"));
    mdnGroup = new QButtonGroup(page);
    mdnGroup->addButton(optSyncronous);
    mdnGroup->addButton(optAsyncronous);
    mdnLayout->addWidget(optSyncronous);
    mdnLayout->addWidget(optAsyncronous);
    mdnLayout->addStretch();
    grid->addWidget(local, 0, 0, 1, 2);
    grid->addWidget(partner, 1, 0, 1, 2);
    grid->addWidget(connection, 2, 0);
    grid->addWidget(mdn, 2, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* frmExchange::buildEncryptionTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    cboProvider = new QComboBox;
    cboAlgorithm = new QComboBox;
    cboHash = new QComboBox;
    cboStoreLocation = new QComboBox;
    cboStoreName = new QComboBox;
    form->addRow(QStringLiteral("Service Provider:"), cboProvider);
    form->addRow(QStringLiteral("Algorithms Supported:"), cboAlgorithm);
    form->addRow(QStringLiteral("Data Hash Algorithms:"), cboHash);
    form->addRow(QStringLiteral("Store Location:"), cboStoreLocation);
    form->addRow(QStringLiteral("Store Name:"), cboStoreName);
    lvwCertificate = new QTreeWidget;
    lvwCertificate->setRootIsDecorated(false);
    lvwCertificate->setHeaderLabels({QStringLiteral("Issuer"), QStringLiteral("Subject"), QStringLiteral("Valid From"),
                                     QStringLiteral("Valid To")});
    lvwCertificate->header()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Certificates")));
    layout->addWidget(lvwCertificate, 1);

    connect(cboProvider, qOverload<int>(&QComboBox::activated), this, [this] { cboProvider_Click(); });
    connect(cboStoreLocation, qOverload<int>(&QComboBox::activated), this, [this] { LoadCertificates(); });
    connect(cboStoreName, qOverload<int>(&QComboBox::activated), this, [this] { LoadCertificates(); });
    connect(lvwCertificate, &QTreeWidget::itemDoubleClicked, this, [this] { lvwCertificate_DblClick(); });
    return page;
}

// ---- Load ----

void frmExchange::Form_Load() {
    try {
        sstInternet->setCurrentIndex(0);
        FillReferences();
        providers_.setUp();
        FillCombos();
        editor_.LoadNetworks();
        // What a session killed with the program is completed or undone before anything else.
        sessions_->recoverInterruptedWork();
        sessions_->flushPendingLog();
        cmdModify->setText(QStringLiteral("Modify"));
        cmdModify->setToolTip(cmdModify->text());
        refreshList();
        tmrScheduler->start();
    } catch (...) {
        core::ReportError(s_);
    }
}

void frmExchange::FillCombos() {
    auto fill = [](QComboBox* box, const auto& items) {
        box->clear();
        for (std::string_view item : items) box->addItem(q(item));
        box->setCurrentIndex(-1);
    };
    fill(cboProtocol, kProtocols);
    fill(cboAccessType, kAccessTypes);
    fill(cboInterval, kIntervals);
    fill(cboHash, kHashes);
    fill(cboStoreLocation, kStoreLocations);
    fill(cboStoreName, kStoreNames);
    keystrand::QtComboTarget providerBox(cboProvider), algorithmBox(cboAlgorithm);
    providers_.loadProviders(providerBox);
    cboProvider->setCurrentIndex(-1);
    providers_.loadAlgorithms(algorithmBox);
    cboStoreLocation->setCurrentIndex(1);
    cboStoreName->setCurrentIndex(0);
    LoadCertificates();
}

void frmExchange::FillReferences() {
    auto fill = [](QTreeWidget* tree, const std::vector<ReferenceGroup>& groups) {
        tree->clear();
        for (const ReferenceGroup& g : groups) {
            const QIcon icon = groupIcon(g.caption);
            auto* top = new QTreeWidgetItem(tree, {q(g.caption)});
            top->setIcon(0, icon);
            for (const std::string& child : g.children) {
                auto* item = new QTreeWidgetItem(top, {q(child)});
                item->setIcon(0, icon);
            }
        }
        tree->collapseAll();
    };
    fill(tvwSendRef, SendReference());
    fill(tvwReceiveRef, ReceiveReference());
}

// ---- Closing ----

bool frmExchange::confirmClose() {
    const auto& networks = editor_.networks();
    if (std::none_of(networks.begin(), networks.end(),
                     [](const NetworkSettings& n) { return n.checkTime == 1 || n.checkInterval == 1; }))
        return true;
    return s_.ui.messageBox("Scheduled sessions stop when the Exchange window is closed.\r\n\r\nClose the Exchange window?",
                            core::vbYesNo | core::vbQuestion, core::kApplicationName) == core::vbYes;
}

void frmExchange::closeEvent(QCloseEvent* event) {
    if (sessions_->isBusy() || (!widgets::ClosingAtExit(this) && !confirmClose())) {
        event->ignore();
        return;
    }
    tmrScheduler->stop();
    providers_.releaseHeld();
    sessions_->flushPendingLog();
    if (sessions_->hasPendingLog())
        s_.ui.messageBox("Some rows of the Exchange log could not be written: the database is busy.",
                         core::vbExclamation | core::vbOKOnly, core::kApplicationName);
    event->accept();
}

// ---- Sessions ----

void frmExchange::setSessionButtonsEnabled(bool enabled) {
    for (QPushButton* b : {cmdModify, cmdSend, cmdReceive}) b->setEnabled(enabled);
    cmdCancel->setEnabled(!enabled);
    if (enabled) EnableNetworkControls(editor_.editing());
}

void frmExchange::clearSessionText() { txtSession->clear(); }

void frmExchange::appendSessionText(std::string_view text) {
    QString t = q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextCursor end(txtSession->document());
    end.movePosition(QTextCursor::End);
    end.insertText(t);
    txtSession->ensureCursorVisible();
}

bool frmExchange::canStart() { return sessions_->canStartScheduled(); }

void frmExchange::runSend(const NetworkSettings& n) { sessions_->RunSendScript(ControlsFor(n), RunMode::Scheduled); }

void frmExchange::runReceive(const NetworkSettings& n) {
    sessions_->RunReceiveScript(ControlsFor(n), RunMode::Scheduled);
}

void frmExchange::tmrScheduler_Timer() {
    if (!sessions_->isBusy()) sessions_->flushPendingLog();
    collect();
    // A copy: a session may let the user change the list while the tick goes on.
    const std::vector<NetworkSettings> networks = editor_.networks();
    scheduler_.tmrScheduler_Timer(networks, *this);
}

}  // namespace vt::exchange

namespace vt::exchange {

QWidget* OpenExchangeWindow(const core::Services& services, QWidget* mainWindow) {
    return frmExchange::open(services, mainWindow);
}

}  // namespace vt::exchange
