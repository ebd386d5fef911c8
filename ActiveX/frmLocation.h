#pragma once
// The location picker: destination, carrier with its PRO and trailer numbers, and consolidation
// facility. Loading lists the three tables with the stored choice selected; Continue stores the
// choice and closes; the close box closes without writing.

#include "ActiveX/LocationPicker.h"

#include <QDialog>

#include <exception>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace vt::brackwen {

class frmLocation final : public QDialog {
public:
    explicit frmLocation(HostServices* host, QWidget* parent = nullptr);

    QTreeWidget* lvwLocation = nullptr;
    QListWidget* lstCarrier = nullptr;
    QListWidget* lstConsolidation = nullptr;
    QLineEdit* txtProNumber = nullptr;
    QLineEdit* txtTrailerNumber = nullptr;
    QPushButton* cmdContinue = nullptr;

    // The choice as the controls stand.
    ShippingChoice choice() const;
    // What stopped Continue, for the caller of exec() (errors never cross the event loop).
    std::exception_ptr failure;

private:
    void load();
    void cmdContinue_Click();

    HostServices* host_;
};

// Shows the window modally (GetLocation's first step).
void showLocationWindow(HostServices* host);

}  // namespace vt::brackwen
