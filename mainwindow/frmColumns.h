#pragma once
// The column chooser: which of the thirteen X12 columns the Inbox, Outbox, Sent and Recycled
// lists show. The choice is stored in settings section "Columns"; applying it makes the main
// window rebuild and refill the four lists.

#include "core/Services.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace vt::mainwindow {

class frmColumns : public QDialog {
    Q_OBJECT
public:
    // `rebuildLists` rebuilds the four lists' headers from the stored choice and refills them.
    frmColumns(const core::Services& services, std::function<void()> rebuildLists, QWidget* parent = nullptr);

    // Fills the list with the choices as stored (or their defaults), Apply disabled. Runs at
    // every opening, so unapplied changes of an earlier one never show.
    void Form_Load();
    void LoadPropertySettings();
    void SavePropertySettings();

    // The buttons, as their clicks run them.
    void cmdShow_Click();
    void cmdHide_Click();
    void cmdReset_Click();
    void cmdApply_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

    bool applyEnabled() const;
    QListWidget* columnList() const { return lvwColumns_; }
    // The ticks of the thirteen items in order.
    std::array<bool, 13> ticks() const;

private:
    // False (after saying why) when no column is ticked.
    bool applySteps();
    void setTick(int item, bool ticked);

    const core::Services& services_;
    std::function<void()> rebuildLists_;
    QLabel* lblInstructions_ = nullptr;
    QListWidget* lvwColumns_ = nullptr;
    QPushButton* cmdShow_ = nullptr;
    QPushButton* cmdHide_ = nullptr;
    QPushButton* cmdReset_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace vt::mainwindow
