#pragma once
// The Exchange window: the networks and their settings on eight tabs, the send and receive
// sessions, the one-minute scheduler and the script editors with their reference trees.
// One instance for the program's life (open()); closing hides it, and it refuses to close
// while a session runs. The window keeps one set of detail controls; every network's values
// live in the editor and are written back from the controls before anything reads them.

#include "exchange/ExchangeSessions.h"
#include "exchange/Networks.h"
#include "exchange/ProviderChoice.h"
#include "exchange/Scheduler.h"
#include "exchange/windows/ExchangeUi.h"

#include <QWidget>

#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimeEdit;
class QTimer;
class QTreeWidget;

namespace vt::exchange {

class frmExchange final : public QWidget, public SessionView, public ScheduleRunner {
public:
    explicit frmExchange(const core::Services& services, QWidget* parent = nullptr);
    ~frmExchange() override;

    // Shows the one window, loading it first when it is not shown (Tools > Exchange...).
    static frmExchange* open(const core::Services& services, QWidget* mainWindow);

    // Builds the content from the tables and lists; errors go to the error reporter.
    void Form_Load();

    // ---- SessionView ----
    void setSessionButtonsEnabled(bool enabled) override;
    void clearSessionText() override;
    void appendSessionText(std::string_view text) override;
    std::optional<SigningChoice> signingChoice(int index) const override;

    // ---- ScheduleRunner ----
    bool canStart() override;
    void runSend(const NetworkSettings& network) override;
    void runReceive(const NetworkSettings& network) override;

    // The tick, callable by tests.
    void tmrScheduler_Timer();

    NetworkEditor& editor() { return editor_; }
    ExchangeSessions& sessions() { return *sessions_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // True when no network is scheduled, or the user agrees that the scheduled sessions stop.
    bool confirmClose();
    void buildLayout();
    QWidget* buildConnectionTab();
    QWidget* buildSchedulerTab();
    QWidget* buildAs2Tab();
    QWidget* buildEncryptionTab();
    void FillCombos();
    void FillReferences();

    // The network list and the selected network's controls.
    void refreshList();
    void showSelected();
    void applySettings(const NetworkSettings& n);
    void collect();
    void EnableNetworkControls(bool enable);
    void LoadCertificates();
    void cboProvider_Click();
    void lvwCertificate_DblClick();

    ExchangeUi ui_;
    const core::Services s_;   // the program's, with this window's sink
    NetworkEditor editor_;
    std::unique_ptr<ExchangeSessions> sessions_;
    ExchangeScheduler scheduler_;
    ProviderChoice providers_;
    bool applying_ = false;

    QTabWidget* sstInternet = nullptr;
    QTreeWidget* lvwNetworks = nullptr;
    QPushButton *cmdAddNetwork = nullptr, *cmdDeleteNetwork = nullptr;
    QPushButton *cmdSend = nullptr, *cmdReceive = nullptr, *cmdCancel = nullptr, *cmdModify = nullptr,
                *cmdClose = nullptr;
    QTimer* tmrScheduler = nullptr;

    // The detail controls, in the order the editor treats them.
    QLineEdit *txtURL = nullptr, *txtProxy = nullptr, *txtUserName = nullptr, *txtPassword = nullptr;
    QComboBox *cboProtocol = nullptr, *cboAccessType = nullptr;
    QLineEdit *mebRemotePort = nullptr, *mebTimeOut = nullptr, *mebSizeLimit = nullptr;
    QCheckBox* chkTime = nullptr;
    QTimeEdit* dtpTime = nullptr;
    QCheckBox* chkInterval = nullptr;
    QComboBox* cboInterval = nullptr;
    QRadioButton *optSendReceive = nullptr, *optReceive = nullptr, *optSend = nullptr;
    QButtonGroup* runGroup = nullptr;
    QPlainTextEdit *txtSend = nullptr, *txtReceive = nullptr;
    QLineEdit *txtOrganizationName = nullptr, *txtEmail = nullptr, *txtPartnerName = nullptr,
              *txtPartnerURL = nullptr;
    QCheckBox *chkSignOutgoing = nullptr, *chkEncryptOutgoing = nullptr, *chkCompressOutgoing = nullptr,
              *chkRequireSignature = nullptr, *chkRequireEncryption = nullptr, *chkMDNSigned = nullptr,
              *chkMDNUnsigned = nullptr, *chkRequestMDN = nullptr;
    QRadioButton *optSyncronous = nullptr, *optAsyncronous = nullptr;
    QButtonGroup* mdnGroup = nullptr;
    QComboBox *cboProvider = nullptr, *cboAlgorithm = nullptr, *cboHash = nullptr, *cboStoreLocation = nullptr,
              *cboStoreName = nullptr;
    QTreeWidget* lvwCertificate = nullptr;
    std::vector<certstore::Certificate> certificates_;   // the rows of lvwCertificate

    QPlainTextEdit* txtSession = nullptr;
    QTreeWidget *tvwSendRef = nullptr, *tvwReceiveRef = nullptr;
    std::vector<QWidget*> detailControls_;
};

}  // namespace vt::exchange
