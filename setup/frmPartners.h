#pragma once
// "Trading Partner Setup": walks the trading partners one at a time, edits the shown one in an
// explicit edit mode, adds and removes partners, and on its Transactions tab lists each
// direction's transaction sets with their plug-in class and the envelope preview. A thin shell
// over PartnerEditor and the partner transaction routines.

#include "core/Services.h"
#include "setup/PartnerEditor.h"
#include "setup/PartnerTransactions.h"

#include <QDialog>

#include <array>
#include <map>
#include <string>
#include <string_view>

class QAction;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace vt::automation {
class ClassRegistry;
}

namespace vt::setup {

class frmStandard;

class frmPartners : public QDialog {
    Q_OBJECT
public:
    frmPartners(const core::Services& services, automation::ClassRegistry& registry, QWidget* parent = nullptr);
    ~frmPartners() override;

    // Fills the lists, shows the first partner in view mode and starts the clock.
    void Form_Load();

    // ---- Events, as the controls raise them ----
    void cmdMoveFirst_Click();
    void cmdMovePrevious_Click();
    void cmdMoveNext_Click();
    void cmdMoveLast_Click();
    void NavigateByKey(int key);
    void mnuEditPartner_Click();
    void mnuAddPartner_Click();
    void mnuRemovePartner_Click();
    void tmrDateTime_Timer();
    // Direction 0 is the Inbound tab, 1 the Outbound tab.
    void cmdAdd_Click(int tab);
    void cmdDelete_Click(int tab);
    void cmdSave_Click(int tab);
    void lvw_ItemClick(int tab);
    void lvw_ColumnClick(int tab, int column);
    void mnuClearActiveX_Click(int tab);

    // ---- Parts, for tests and the screenshot ----
    const PartnerEditor& editor() const { return editor_; }
    // The text of a field by control name ("txtISA06", "cboPartnerEd", "txtPreview", ...); a
    // list gives its shown item.
    std::string fieldText(std::string_view control) const;
    QWidget* control(std::string_view name) const;
    QTabWidget* sstPartner() const { return sstPartner_; }
    QTabWidget* sstTransaction() const { return sstTransaction_; }
    QTreeWidget* transactionList(int tab) const { return tabs_[tab].list; }
    QAction* mnuEditPartner() const { return mnuEditPartner_; }
    QAction* mnuAddPartner() const { return mnuAddPartner_; }
    QAction* mnuRemovePartner() const { return mnuRemovePartner_; }
    QTimer* tmrDateTime() const { return tmrDateTime_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Shows the picker modally; tests answer it.
    virtual int execDialog(QDialog& dialog);

private:
    struct Tab {
        const char* direction = "I";
        QTreeWidget* list = nullptr;
        QLabel* desc = nullptr;
        QLineEdit* override = nullptr;
        QLineEdit* controlNumber = nullptr;
        QCheckBox* ack = nullptr;
        QPushButton* add = nullptr;
        QPushButton* del = nullptr;
        QPushButton* save = nullptr;
    };

    // Construction.
    QWidget* buildIsaTab();
    QWidget* buildGsTab();
    QWidget* buildTransactionsTab();
    QWidget* buildTransactionTab(int tab);
    QLineEdit* addField(const char* control, int length, bool display);
    QComboBox* addList(const char* control);
    // A box the window fills itself; returns its caption.
    const char* addDisplayField(const char* control);
    void registerControl(const char* name, QWidget* w);

    // Partner display.
    void ShowPartner();
    void ClearPartnerFields();
    void EnablePartnerFields(bool enable);
    void setNavigationEnabled(bool enable);
    PartnerRow screenRow() const;
    int versionListIndex(const PartnerRow& r) const;
    void cboISAVersion_Click();

    // Transaction-set tabs.
    void LoadTransactions(int tab);
    void SetState(int tab, bool enabled);
    void ShowTransaction(int tab);
    void ShowEnvelopePreview();
    int currentTab() const;
    bool selectedKey(int tab, SetKey& key) const;
    std::string partnerName() const;

    const core::Services& services_;
    automation::ClassRegistry& registry_;
    PartnerEditor editor_;
    std::map<std::string, QWidget*, std::less<>> controls_;

    QLineEdit* txtPartner_ = nullptr;
    QTabWidget* sstPartner_ = nullptr;
    QTabWidget* sstTransaction_ = nullptr;
    std::map<std::string, QLineEdit*, std::less<>> fields_;   // ISA and GS boxes by control name
    QComboBox* cboPartnerSt_ = nullptr;
    QComboBox* cboPartnerEd_ = nullptr;
    QComboBox* cboPartnerSed_ = nullptr;
    QComboBox* cboISAVersion_ = nullptr;
    QComboBox* cboIntAck_ = nullptr;
    QComboBox* cboTestIndicator_ = nullptr;
    QPlainTextEdit* txtPreview_ = nullptr;
    std::array<Tab, 2> tabs_;
    QPushButton* cmdMoveFirst_ = nullptr;
    QPushButton* cmdMovePrevious_ = nullptr;
    QPushButton* cmdMoveNext_ = nullptr;
    QPushButton* cmdMoveLast_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QAction* mnuAddPartner_ = nullptr;
    QAction* mnuRemovePartner_ = nullptr;
    QAction* mnuEditPartner_ = nullptr;
    QAction* mnuClose_ = nullptr;
    QTimer* tmrDateTime_ = nullptr;
    // The grid being filled by addField/addList.
    QGridLayout* grid_ = nullptr;
    int gridRow_ = 0;
};

}  // namespace vt::setup
