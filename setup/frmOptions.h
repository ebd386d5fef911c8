#pragma once
// The options window: working folders, selection filter, report-viewer switches, and clearing
// the History and Exchange logs.

#include "core/Services.h"
#include "setup/Options.h"

#include <QDialog>

#include <array>
#include <functional>
#include <string_view>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace vt::setup {

class frmOptions : public QDialog {
    Q_OBJECT
public:
    // `listItems` counts the items of the main window's list of a log ("History", "Exchange").
    frmOptions(const core::Services& s, std::function<int(std::string_view)> listItems, QWidget* parent = nullptr);

    void Form_Load();
    void LoadPropertySettings();
    void cmdOk_Click();
    void cmdApply_Click();
    void cmdCancel_Click();
    void cmdClearHistory_Click();
    void cmdClearExchange_Click();
    // Browse for folder row `row` (0 Database ... 7 ActiveX); the Database row asks first.
    void cmdBrowse_Click(int row);
    void cmdInclude_Click();
    void cmdExclude_Click();
    void cmdReset_Click();

    QTabWidget* sstOptions() const { return sstOptions_; }
    QLineEdit* folderBox(int row) const { return folderBoxes_[row]; }
    QToolButton* browseButton(int row) const { return browseButtons_[row]; }
    QListWidget* lvwFilter() const { return lvwFilter_; }
    QCheckBox* viewerBox(int index) const { return viewerBoxes_[index]; }
    QPushButton* cmdOk() const { return cmdOk_; }
    QPushButton* cmdApply() const { return cmdApply_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    QWidget* buildGeneral();
    QWidget* buildFolders();
    QWidget* buildFilter();
    QWidget* buildViewer();
    OptionValues values() const;
    void display(const OptionValues& v);
    bool SaveOptions();
    void setChecked(int item, bool checked);

    const core::Services& s_;
    std::function<int(std::string_view)> listItems_;
    bool loading_ = false;

    QTabWidget* sstOptions_ = nullptr;
    std::array<QLineEdit*, 8> folderBoxes_{};
    std::array<QToolButton*, 8> browseButtons_{};
    QListWidget* lvwFilter_ = nullptr;
    std::array<QCheckBox*, 22> viewerBoxes_{};
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
};

}  // namespace vt::setup
