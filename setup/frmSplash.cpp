#include "setup/frmSplash.h"

#include "platform/text/AnsiQt.h"
#include "platform/widgets/BoxTitle.h"
#include "setup/SingleInstance.h"
#include "setup/VersionInfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

namespace vt::setup {

frmSplash::frmSplash(QWidget* parent) : QDialog(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Veltrane"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto band = [&](const char* name) {
        auto* b = new QFrame(this);
        b->setObjectName(QLatin1String(name));
        b->setFixedHeight(14);
        b->setAutoFillBackground(true);
        QPalette p = b->palette();
        p.setColor(QPalette::Window, QColor(0x1f, 0x4e, 0x79));
        b->setPalette(p);
        return b;
    };
    outer->addWidget(band("lblSplashTop"));

    auto* body = new QFrame(this);
    body->setFrameShape(QFrame::NoFrame);
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(24, 20, 24, 16);
    grid->setHorizontalSpacing(20);
    labels_.create(body, 96);
    grid->addWidget(labels_.picSplash, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(labels_.lblProductName, 0, 1);
    grid->addWidget(labels_.lblVersion, 1, 1);
    grid->addWidget(labels_.lblBuildDate, 2, 1, Qt::AlignTop);
    grid->setRowMinimumHeight(3, 16);
    grid->addWidget(labels_.lblCompany, 4, 0, 1, 2);
    grid->addWidget(labels_.lblCopyright, 5, 0, 1, 2);
    grid->setRowMinimumHeight(6, 8);
    grid->addWidget(labels_.lblWarning, 7, 0, 1, 2);
    outer->addWidget(body);
    outer->addWidget(band("lblSplashBottom"));

    setFixedSize(520, 320);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

bool frmSplash::Form_Load(InstanceLock& lock) {
    if (!lock.acquire(instanceLockFile()) && lock.why().empty()) {
        alreadyOpen(alreadyOpenText(executablePath()));
        return false;
    }
    // A lock file that cannot be made (a read-only data root) guards nothing, but is no reason
    // to refuse the start: the database's own checks follow.
    labels_.fill();
    return true;
}

void frmSplash::alreadyOpen(std::string_view text) {
    widgets::ShowBox(nullptr, QMessageBox::Warning, QStringLiteral("Veltrane"), text::fromAnsi(text));
}

void frmSplash::Activate(int waitMs) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A monotonic clock: a start just before midnight waits no longer than any other.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < waitMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(std::min<qint64>(20, std::max<qint64>(0, waitMs - waited.elapsed())));
    }
    QApplication::restoreOverrideCursor();
    close();
}

}  // namespace vt::setup
