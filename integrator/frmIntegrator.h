#pragma once
// The Integrator window: the transaction sets with their schedule, run, data-source and query
// settings, the results grid, Process and the one-minute scheduler. A thin shell over
// integrator::Integrator; it refuses to close while a run is under way.

#include "integrator/Integrator.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>

class QAbstractTableModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimeEdit;
class QTimer;
class QTreeWidget;

namespace vt {
class Clock;
}

namespace vt::integrator {

class ResultGridModel;

class frmIntegrator : public QMainWindow {
    Q_OBJECT
public:
    frmIntegrator(const core::Services& s, IntegratorSteps& steps, QWidget* parent = nullptr);
    ~frmIntegrator() override;

    // Reads the rows and shows the first; call once before the first show.
    void Form_Load();
    Integrator& integrator() { return *integ_; }

    void lvwTSets_ItemClick(int row);
    void cmdModify_Click();
    void cmdProcess_Click();
    // Closes the window; while rows are scheduled only after asking, as their runs stop with it.
    void cmdClose_Click();
    void cmdConnect_Click();
    void cmdDisconnect_Click();
    void cmdExecute_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void tmrScheduler_Timer();

    // ---- Controls, for tests ----
    QTabWidget* sstSchedule() const { return sstSchedule_; }
    QTreeWidget* lvwTSets() const { return lvwTSets_; }
    QTableView* msfgResults() const { return msfgResults_; }
    QPushButton* cmdModify() const { return cmdModify_; }
    QPushButton* cmdProcess() const { return cmdProcess_; }
    QPushButton* cmdConnect() const { return cmdConnect_; }
    QPushButton* cmdDisconnect() const { return cmdDisconnect_; }
    QPushButton* cmdExecute() const { return cmdExecute_; }
    QPushButton* cmdSave() const { return cmdSave_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }
    QLabel* lblProgress() const { return lblProgress_; }
    QLabel* lblEmpty() const { return lblEmpty_; }
    QCheckBox* chkTime() const { return chkTime_; }
    QCheckBox* chkInterval() const { return chkInterval_; }
    QCheckBox* chkAcknowledge() const { return chkAcknowledge_; }
    QCheckBox* chkPrint() const { return chkPrint_; }
    QComboBox* cboInterval() const { return cboInterval_; }
    QComboBox* cboExportFormat() const { return cboExportFormat_; }
    QComboBox* cboDataSourceName() const { return cboDataSourceName_; }
    QComboBox* cboDriver() const { return cboDriver_; }
    QLineEdit* txtUserId() const { return txtUserId_; }
    QLineEdit* txtPassword() const { return txtPassword_; }
    QLineEdit* txtDatabase() const { return txtDatabase_; }
    QLineEdit* txtServer() const { return txtServer_; }
    QPlainTextEdit* txtSQL() const { return txtSQL_; }
    QCheckBox* chkStartDate() const { return chkStartDate_; }
    QCheckBox* chkEndDate() const { return chkEndDate_; }
    QDateEdit* dtpStartDate() const { return dtpStartDate_; }
    QDateEdit* dtpEndDate() const { return dtpEndDate_; }
    QLineEdit* mskMinus() const { return mskMinus_; }
    QLineEdit* mskPlus() const { return mskPlus_; }
    QLabel* lblDescription() const { return lblDescription_; }
    QMenu* mnuPopup() const { return mnuPopup_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // True when no row is scheduled, or the user agrees that the scheduled runs stop.
    bool confirmClose();
    QWidget* buildTransactions();
    QWidget* buildScheduler();
    QWidget* buildDataSource();
    QWidget* buildQuery();
    QWidget* buildResults();
    void bindEdits();
    // Shows the integrator's state: the selected row's settings, caption, buttons and grid.
    void display();
    void showGrid();
    void showProgress(std::uint64_t rows);
    RowSettings* current();

    core::Services s_;
    std::unique_ptr<Integrator> integ_;
    bool displaying_ = false;
    int gridGeneration_ = -1;

    QTabWidget* sstSchedule_ = nullptr;
    QTreeWidget* lvwTSets_ = nullptr;
    QLabel* lblEmpty_ = nullptr;
    QCheckBox* chkTime_ = nullptr;
    QTimeEdit* dtpTime_ = nullptr;
    QCheckBox* chkInterval_ = nullptr;
    QComboBox* cboInterval_ = nullptr;
    std::array<QCheckBox*, 7> chkDays_{};
    QCheckBox* chkActiveX_ = nullptr;
    QCheckBox* chkPrint_ = nullptr;
    QCheckBox* chkAcknowledge_ = nullptr;
    QCheckBox* chkExecute_ = nullptr;
    QComboBox* cboExportFormat_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QComboBox* cboDataSourceName_ = nullptr;
    QLineEdit* txtUserId_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QLineEdit* txtDatabase_ = nullptr;
    QComboBox* cboDriver_ = nullptr;
    QLineEdit* txtServer_ = nullptr;
    QPushButton* cmdConnect_ = nullptr;
    QPushButton* cmdDisconnect_ = nullptr;
    QPlainTextEdit* txtSQL_ = nullptr;
    QCheckBox* chkStartDate_ = nullptr;
    QCheckBox* chkEndDate_ = nullptr;
    QDateEdit* dtpStartDate_ = nullptr;
    QDateEdit* dtpEndDate_ = nullptr;
    QLineEdit* mskMinus_ = nullptr;
    QLineEdit* mskPlus_ = nullptr;
    QPushButton* cmdExecute_ = nullptr;
    QTableView* msfgResults_ = nullptr;
    ResultGridModel* gridModel_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QWidget* fraProgress_ = nullptr;
    QProgressBar* prgExtraction_ = nullptr;
    QLabel* lblProgress_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QMenu* mnuPopup_ = nullptr;
    QPushButton* cmdProcess_ = nullptr;
    QPushButton* cmdModify_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QTimer* tmrScheduler_ = nullptr;
    QList<QWidget*> rowControls_;   // enabled only while editing
};

}  // namespace vt::integrator
