#pragma once
// The About box: the product's name, version, build date and legal texts, and the program's
// system information (with the desktop's system-information program when one is installed).

#include "setup/ProductLabels.h"

#include <QDialog>
#include <QLabel>

#include <filesystem>
#include <string>

class QPushButton;
class QTimer;

namespace vt::core {
struct Services;
}

namespace vt::setup {

// The link label: black when idle, blue and underlined under the pointer, red while pressed.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void mouseMoved();
    void mousePressed();
    void mouseReleased();
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(const core::Services& s, QWidget* parent = nullptr);

    void Form_Load();
    // Shows the details a support request needs, with Copy; from there the desktop's
    // system-information program, when one is installed.
    void StartSysInfo();
    // Starts the desktop's system-information program, or says it is unavailable.
    void StartDesktopSysInfo();
    void lblURL_MouseMove();
    void lblURL_MouseDown();
    void lblURL_MouseUp();
    void lblURL_Click();
    // A tick of the link timer: the pointer at `global` screen position.
    void tmrURL_Timer(const QPoint& global);

    // The link's colour state: "black", "blue" or "red".
    std::string linkState() const;
    bool linkUnderlined() const;
    const ProductLabels& labels() const { return labels_; }
    LinkLabel* lblURL() const { return lblURL_; }
    QWidget* Picture1() const { return picture1_; }
    QTimer* tmrURL() const { return tmrURL_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }
    QPushButton* cmdOk() const { return cmdOk_; }

protected:
    // Platform calls that tests replace.
    virtual bool startProgram(const std::filesystem::path& program);
    virtual void openAddress(const QString& address);
    virtual std::string searchPath() const;
    virtual int execDialog(QDialog& dialog);

private:
    void setLinkColour(const QColor& colour, bool underline);

    const core::Services& s_;
    ProductLabels labels_;
    QWidget* picture1_ = nullptr;
    LinkLabel* lblURL_ = nullptr;
    QTimer* tmrURL_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QColor linkColour_ = Qt::black;
};

// The address the About box's link opens: the program's welcome page.
QString aboutLinkAddress();

}  // namespace vt::setup
