// quaro-app-icons SVG OUTDIR SIZE...: renders the application's logo as the hicolor theme's
// OUTDIR/<n>x<n>/apps/org.quaro.Quaro.png, one picture per size, through Qt's SVG image plugin
// so the raster icons always follow the skin's artwork.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: quaro-app-icons SVG OUTDIR SIZE...\n", stderr);
        return 2;
    }
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool isNumber = false;
        const int size = args[i].toInt(&isNumber);
        if (!isNumber || size <= 0 || size > 1024) {
            std::fprintf(stderr, "quaro-app-icons: bad size '%s'\n", qPrintable(args[i]));
            return 2;
        }
        QImageReader reader(args[1]);
        reader.setScaledSize(QSize(size, size));
        const QImage image = reader.read();
        if (image.isNull()) {
            std::fprintf(stderr, "quaro-app-icons: %s: %s\n", qPrintable(args[1]),
                         qPrintable(reader.errorString()));
            return 1;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[2]).arg(size);
        const QString file = folder + QStringLiteral("/org.quaro.Quaro.png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "quaro-app-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
