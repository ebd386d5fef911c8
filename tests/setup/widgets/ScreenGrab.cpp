// Saves the whole screen of the current display as a PNG, to look at the running program under
// a virtual display:  vt_screen_grab <file.png>
#include <QApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    QApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
