// Writes the device pictures of the skin (layout fragments and painted bodies) from the key and
// LED tables. Run it after changing a table or the look, and commit the result:
//   QT_QPA_PLATFORM=offscreen quaro-device-pictures skin
#include "DevicePictures.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quaro-device-pictures <skin folder>\n");
        return 2;
    }
    return quaro::pictures::WriteDevicePictures(QDir(QString::fromLocal8Bit(argv[1]))) ? 0 : 1;
}
