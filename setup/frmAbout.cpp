#include "setup/frmAbout.h"

#include "core/Globals.h"
#include "core/Services.h"
#include "core/UiSink.h"
#include "platform/settings/Settings.h"
#include "setup/SystemInfo.h"

#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHeaderView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace vt::setup {

void LinkLabel::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved();
    QLabel::mouseMoveEvent(e);
}

void LinkLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit mousePressed();
    QLabel::mousePressEvent(e);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        emit mouseReleased();
        if (rect().contains(e->position().toPoint())) emit clicked();
    }
    QLabel::mouseReleaseEvent(e);
}

QString aboutLinkAddress() {
    return QUrl::fromLocalFile(QString::fromStdString((shareFolder() / "Welcome.htm").string())).toString();
}

frmAbout::frmAbout(const core::Services& s, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), s_(s) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Veltrane"));

    labels_.create(this, 64);
    picture1_ = new QWidget(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    lblURL_ = new LinkLabel(aboutLinkAddress(), picture1_);
    lblURL_->setObjectName(QStringLiteral("lblURL"));
    lblURL_->setFont(QFont(QStringLiteral("Arial"), 9));
    lblURL_->setCursor(Qt::PointingHandCursor);
    lblURL_->setMouseTracking(true);
    tmrURL_ = new QTimer(this);
    tmrURL_->setObjectName(QStringLiteral("tmrURL"));

    cmdOk_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setDefault(true);
    cmdSysInfo_ = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo_->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->addWidget(labels_.picSplash, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(labels_.lblProductName, 0, 1);
    grid->addWidget(labels_.lblVersion, 1, 1);
    grid->addWidget(labels_.lblBuildDate, 2, 1, Qt::AlignTop);
    grid->setRowMinimumHeight(3, 10);
    grid->addWidget(labels_.lblCompany, 4, 1);
    grid->addWidget(labels_.lblCopyright, 5, 1);
    grid->addWidget(picture1_, 6, 1, Qt::AlignLeft);
    grid->setRowMinimumHeight(7, 10);
    grid->setColumnMinimumWidth(1, 360);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labels_.lblWarning, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOk_);
    buttons->addWidget(cmdSysInfo_);
    bottom->addLayout(buttons);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 12);
    outer->addLayout(grid);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(line);
    outer->addLayout(bottom);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOk_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
    connect(lblURL_, &LinkLabel::mouseMoved, this, &frmAbout::lblURL_MouseMove);
    connect(lblURL_, &LinkLabel::mousePressed, this, &frmAbout::lblURL_MouseDown);
    connect(lblURL_, &LinkLabel::mouseReleased, this, &frmAbout::lblURL_MouseUp);
    connect(lblURL_, &LinkLabel::clicked, this, &frmAbout::lblURL_Click);
    connect(tmrURL_, &QTimer::timeout, this, [this] { tmrURL_Timer(QCursor::pos()); });
}

void frmAbout::Form_Load() {
    lblURL_->move(0, 0);
    setLinkColour(Qt::black, false);
    lblURL_->adjustSize();
    picture1_->setFixedSize(lblURL_->size());
    // The link's address is a file of the installation: a path means nothing to the reader.
    picture1_->hide();
    labels_.fill();
}

void frmAbout::setLinkColour(const QColor& colour, bool underline) {
    linkColour_ = colour;
    QPalette p = lblURL_->palette();
    p.setColor(QPalette::WindowText, colour);
    lblURL_->setPalette(p);
    QFont f = lblURL_->font();
    f.setUnderline(underline);
    lblURL_->setFont(f);
}

std::string frmAbout::linkState() const {
    if (linkColour_ == QColor(Qt::blue)) return "blue";
    if (linkColour_ == QColor(Qt::red)) return "red";
    return "black";
}

bool frmAbout::linkUnderlined() const { return lblURL_->font().underline(); }

void frmAbout::lblURL_MouseMove() {
    if (linkColour_ != QColor(Qt::black)) return;
    setLinkColour(Qt::blue, true);
    tmrURL_->start(100);
}

void frmAbout::tmrURL_Timer(const QPoint& global) {
    const QPoint at = picture1_->mapFromGlobal(global);
    // A point on the right or bottom edge still counts as inside.
    if (at.x() < 0 || at.y() < 0 || at.x() > picture1_->width() || at.y() > picture1_->height()) {
        setLinkColour(Qt::black, false);
        tmrURL_->stop();
    }
}

void frmAbout::lblURL_MouseDown() {
    if (linkColour_ != QColor(Qt::blue)) return;
    setLinkColour(Qt::red, linkUnderlined());
    lblURL_->repaint();
}

void frmAbout::lblURL_MouseUp() {
    if (linkColour_ != QColor(Qt::red)) return;
    setLinkColour(Qt::blue, linkUnderlined());
    lblURL_->repaint();
}

void frmAbout::lblURL_Click() { openAddress(lblURL_->text()); }

void frmAbout::openAddress(const QString& address) { QDesktopServices::openUrl(QUrl(address)); }

std::string frmAbout::searchPath() const {
    const char* path = std::getenv("PATH");
    return path ? path : "";
}

bool frmAbout::startProgram(const std::filesystem::path& program) {
    return QProcess::startDetached(QString::fromStdString(program.string()), {});
}

int frmAbout::execDialog(QDialog& dialog) { return dialog.exec(); }

void frmAbout::StartSysInfo() {
    const QString os = QSysInfo::prettyProductName() + QStringLiteral(" (") + QSysInfo::kernelType() +
                       QLatin1Char(' ') + QSysInfo::kernelVersion() + QStringLiteral(", ") +
                       QSysInfo::currentCpuArchitecture() + QLatin1Char(')');
    const std::vector<SystemDetail> details = SystemDetails(s_.db, s_.settings, qVersion(), os.toStdString());

    QDialog box(this);
    box.setObjectName(QStringLiteral("frmSystemInfo"));
    box.setWindowTitle(QStringLiteral("System Information"));
    auto* list = new QTreeWidget(&box);
    list->setObjectName(QStringLiteral("lvwDetails"));
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Value")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    for (const SystemDetail& d : details)
        new QTreeWidgetItem(list, {QString::fromStdString(d.name), QString::fromStdString(d.value)});
    list->resizeColumnToContents(0);
    list->resizeColumnToContents(1);

    auto* copy = new QPushButton(QStringLiteral("&Copy"), &box);
    copy->setObjectName(QStringLiteral("cmdCopy"));
    copy->setToolTip(QStringLiteral("Copy these details, for a support request"));
    auto* ok = new QPushButton(QStringLiteral("OK"), &box);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    if (!findSystemInfoProgram(searchPath()).empty()) {
        auto* desktop = new QPushButton(QStringLiteral("&Desktop System Info..."), &box);
        desktop->setObjectName(QStringLiteral("cmdDesktop"));
        desktop->setAutoDefault(false);
        buttons->addWidget(desktop);
        connect(desktop, &QPushButton::clicked, this, &frmAbout::StartDesktopSysInfo);
    }
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
    connect(copy, &QPushButton::clicked, &box, [details] {
        QGuiApplication::clipboard()->setText(QString::fromStdString(SystemDetailsText(details)));
    });
    connect(ok, &QPushButton::clicked, &box, &QDialog::accept);

    // Every row in view, paths included, within the screen.
    const int rows = list->topLevelItemCount();
    const int wanted = list->header()->length() + 2 * list->frameWidth() + 4;
    const int tall = list->header()->height() + rows * list->sizeHintForRow(0) + 2 * list->frameWidth() + 4;
    list->setMinimumSize(std::min(wanted, 1000), std::min(tall, 600));
    execDialog(box);
}

void frmAbout::StartDesktopSysInfo() {
    const std::filesystem::path program = findSystemInfoProgram(searchPath());
    if (!program.empty() && startProgram(program)) return;
    s_.ui.messageBox(kSystemInfoUnavailable, core::vbOKOnly, core::kApplicationName);
}

}  // namespace vt::setup
