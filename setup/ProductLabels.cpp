#include "setup/ProductLabels.h"

#include "platform/text/AnsiQt.h"
#include "setup/VersionInfo.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPixmap>

namespace vt::setup {

QPixmap productPicture(int size) {
    const QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) return {};
    const QPixmap p = icon.pixmap(size, size);
    return p.width() >= size ? p : p.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void ProductLabels::create(QWidget* parent, int pictureSize) {
    auto label = [&](const char* name, int points, bool bold) {
        auto* l = new QLabel(parent);
        l->setObjectName(QLatin1String(name));
        QFont f(QStringLiteral("Arial"), points);
        f.setBold(bold);
        l->setFont(f);
        return l;
    };
    picSplash = new QLabel(parent);
    picSplash->setObjectName(QStringLiteral("picSplash"));
    picSplash->setPixmap(productPicture(pictureSize));
    picSplash->setFixedSize(pictureSize, pictureSize);
    lblProductName = label("lblProductName", 24, true);
    lblProductName->setText(QStringLiteral("Veltrane"));
    lblVersion = label("lblVersion", 10, true);
    lblBuildDate = label("lblBuildDate", 9, false);
    lblCompany = label("lblCompany", 9, false);
    lblCopyright = label("lblCopyright", 9, false);
    lblWarning = label("lblWarning", 8, false);
    lblWarning->setWordWrap(true);
}

void ProductLabels::fill() {
    const VersionInfo& v = programVersion();
    lblBuildDate->setText(text::fromAnsi(buildDateText(executablePath())));
    lblCopyright->setText(text::fromAnsi(v.legalCopyright));
    lblCompany->setText(text::fromAnsi(v.companyName));
    lblWarning->setText(text::fromAnsi(v.legalTrademarks));
    lblVersion->setText(text::fromAnsi(versionText(v)));
}

}  // namespace vt::setup
