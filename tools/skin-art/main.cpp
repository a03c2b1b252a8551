// Paints the skin's raster pictures (backgrounds, preset backgrounds, the application icon,
// the device tabs' kind icons, the power widget's pictures).
// The pictures in skin/ were made with it:  skin-art <skin folder>
// Everything is drawn from gradients and geometry, so the skin owes nothing to other products.

#include "SkinArt.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>

namespace {

struct Theme {
    const char* file;
    QColor top;
    QColor bottom;
    QColor glowA;
    QColor glowB;
    bool hexGrid;
};

void PaintHexGrid(QPainter& painter, const QRectF& area, double size, QColor colour) {
    painter.save();
    painter.setPen(QPen(colour, 1.0));
    painter.setBrush(Qt::NoBrush);
    const double w = std::sqrt(3.0) * size;
    const double h = 1.5 * size;
    for (int row = 0; row * h < area.height() + size * 2; ++row) {
        for (int col = 0; col * w < area.width() + w; ++col) {
            const double cx = area.left() + col * w + (row % 2 ? w / 2 : 0);
            const double cy = area.top() + row * h;
            // Fade the grid in towards the right-hand side.
            const double fade =
                std::clamp((cx - area.left()) / area.width() * 1.6 - 0.45, 0.0, 1.0);
            if (fade <= 0.01) {
                continue;
            }
            QColor c = colour;
            c.setAlphaF(colour.alphaF() * fade);
            painter.setPen(QPen(c, 1.0));
            QPolygonF hex;
            for (int k = 0; k < 6; ++k) {
                const double a = M_PI / 180.0 * (60 * k - 30);
                hex << QPointF(cx + size * std::cos(a), cy + size * std::sin(a));
            }
            painter.drawPolygon(hex);
        }
    }
    painter.restore();
}

QImage PaintBackground(const Theme& theme, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), QSizeF(size));
    QLinearGradient base(area.topLeft(), area.bottomRight());
    base.setColorAt(0, theme.top);
    base.setColorAt(1, theme.bottom);
    painter.fillRect(area, base);

    auto glow = [&](QPointF centre, double radius, QColor colour) {
        QRadialGradient g(centre, radius);
        g.setColorAt(0, colour);
        QColor edge = colour;
        edge.setAlpha(0);
        g.setColorAt(1, edge);
        painter.fillRect(area, g);
    };
    glow(QPointF(size.width() * 0.12, size.height() * 0.05), size.width() * 0.55, theme.glowA);
    glow(QPointF(size.width() * 0.95, size.height() * 1.0), size.width() * 0.6, theme.glowB);

    // Fine diagonal speed lines.
    painter.save();
    QColor line = Qt::white;
    line.setAlpha(6);
    painter.setPen(QPen(line, 1));
    for (int x = -size.height(); x < size.width(); x += 14) {
        painter.drawLine(QPointF(x, size.height()), QPointF(x + size.height() * 0.58, 0));
    }
    painter.restore();

    if (theme.hexGrid) {
        QColor hex = theme.glowA;
        hex.setAlpha(20);
        PaintHexGrid(painter, area, size.width() / 48.0, hex);
    }

    // A light streak across the top, and a vignette.
    QLinearGradient streak(QPointF(0, 0), QPointF(size.width(), 0));
    QColor s = theme.glowA;
    s.setAlpha(0);
    streak.setColorAt(0, s);
    s.setAlpha(90);
    streak.setColorAt(0.35, s);
    s.setAlpha(0);
    streak.setColorAt(0.9, s);
    painter.fillRect(QRectF(0, size.height() * 0.079, size.width(), 1), streak);
    QRadialGradient vignette(area.center(), size.width() * 0.75);
    vignette.setColorAt(0.6, QColor(0, 0, 0, 0));
    vignette.setColorAt(1, QColor(0, 0, 0, 120));
    painter.fillRect(area, vignette);
    return image;
}

QImage PaintLogo(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    QPolygonF hex;
    for (int k = 0; k < 6; ++k) {
        const double a = M_PI / 180.0 * (60 * k - 90);
        hex << QPointF(s / 2 + s * 0.46 * std::cos(a), s / 2 + s * 0.46 * std::sin(a));
    }
    QLinearGradient fill(QPointF(0, 0), QPointF(s, s));
    fill.setColorAt(0, QColor(24, 216, 255));
    fill.setColorAt(1, QColor(122, 92, 255));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPolygon(hex);
    painter.setBrush(QColor(10, 12, 18));
    QPolygonF inner;
    for (const QPointF& p : hex) {
        inner << QPointF(s / 2 + (p.x() - s / 2) * 0.72, s / 2 + (p.y() - s / 2) * 0.72);
    }
    painter.drawPolygon(inner);
    // A stylised Q: a ring with a tail.
    painter.setPen(QPen(QColor(24, 216, 255), s * 0.085, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(s / 2, s / 2), s * 0.15, s * 0.15);
    painter.drawLine(QPointF(s * 0.56, s * 0.56), QPointF(s * 0.68, s * 0.68));
    return image;
}

}  // namespace

bool SaveSkinPicture(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG", 9)) {
        std::fprintf(stderr, "skin-art: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin-art <skin folder>\n");
        return 2;
    }
    const QDir skin(QString::fromLocal8Bit(argv[1]));
    const Theme defaultTheme{"common/background.png",  QColor(15, 18, 26),       QColor(6, 7, 11),
                             QColor(24, 216, 255, 46), QColor(122, 92, 255, 40), true};
    const Theme presets[] = {
        {"skins/preset_neon.png", QColor(12, 16, 26), QColor(5, 6, 10), QColor(24, 216, 255, 70),
         QColor(255, 46, 136, 50), true},
        {"skins/preset_inferno.png", QColor(26, 10, 12), QColor(8, 4, 5), QColor(255, 70, 40, 70),
         QColor(255, 170, 0, 40), false},
        {"skins/preset_violet.png", QColor(18, 12, 30), QColor(6, 4, 12), QColor(150, 90, 255, 75),
         QColor(24, 216, 255, 35), true},
        {"skins/preset_toxic.png", QColor(8, 22, 16), QColor(3, 8, 6), QColor(60, 255, 150, 60),
         QColor(200, 255, 40, 30), true},
        {"skins/preset_carbon.png", QColor(28, 30, 34), QColor(10, 11, 13),
         QColor(200, 210, 230, 30), QColor(120, 130, 150, 25), false},
        {"skins/preset_ember.png", QColor(30, 18, 8), QColor(9, 6, 4), QColor(255, 150, 40, 60),
         QColor(255, 60, 90, 35), true},
    };
    bool ok = SaveSkinPicture(PaintBackground(defaultTheme, QSize(1350, 810)),
                              skin.filePath(QLatin1String(defaultTheme.file)));
    for (const Theme& theme : presets) {
        ok = SaveSkinPicture(PaintBackground(theme, QSize(1350, 810)),
                             skin.filePath(QLatin1String(theme.file))) &&
             ok;
    }
    ok = SaveSkinPicture(PaintLogo(64), skin.filePath(QStringLiteral("common/logo.png"))) && ok;
    ok = SaveSkinPicture(PaintLogo(256), skin.filePath(QStringLiteral("common/logo_large.png"))) &&
         ok;
    ok = PaintDeviceIcons(skin) && ok;
    ok = PaintPowerPictures(skin) && ok;
    return ok ? 0 : 1;
}
