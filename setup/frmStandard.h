#pragma once
// "Standard Transactions": the picker of an X12 transaction set and version to add to a partner.
// OK and Cancel answer through gCancel, as the caller expects; closing the window is Cancel.

#include "core/Services.h"
#include "setup/PartnerTransactions.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace vt::setup {

class frmStandard : public QDialog {
    Q_OBJECT
public:
    explicit frmStandard(const core::Services& services, QWidget* parent = nullptr);

    // Fills both lists afresh; the first version and the first set are preselected.
    void Form_Load();
    // The chosen set and version; nothing when no set is selected.
    std::optional<StandardChoice> choice() const;

    QTreeWidget* lvwStandard() const { return lvwStandard_; }
    QComboBox* cboVersion() const { return cboVersion_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void updateOk();

    const core::Services& services_;
    QLabel* lblInstructions_ = nullptr;
    QTreeWidget* lvwStandard_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QComboBox* cboVersion_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace vt::setup
