#pragma once
// The product's name, picture, version, build date and version-information texts, as the splash
// and the About box both show them.

#include <QWidget>

class QLabel;

namespace vt::setup {

// The product picture: the program's icon when it has one.
QPixmap productPicture(int size);

struct ProductLabels {
    QLabel* picSplash = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblBuildDate = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblWarning = nullptr;

    // Makes the labels as children of `parent`, named as the window's controls, in Arial.
    void create(QWidget* parent, int pictureSize);
    // Build date, copyright, company, warning and version, in that order.
    void fill();
};

}  // namespace vt::setup
