// The device tabs' kind icons: one glyph per kind on a dark tile, in four states (plain,
// selected, and both with the light-sync badge).

#include "SkinArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <functional>

namespace {

constexpr int kIconSize = 136;  // shown at 68 px: drawn at twice the size for sharp edges

const QColor kCyan(24, 216, 255);
const QColor kViolet(122, 92, 255);
const QColor kIdleLine(141, 152, 173);
const QColor kIdleDetail(84, 95, 116);

// How one state draws a glyph: its outline pen, the fill of its lit parts, the fill of its
// quiet parts.
struct GlyphInk {
    QPen line;
    QBrush lit;
    QBrush quiet;
};

using Glyph = std::function<void(QPainter&, const GlyphInk&)>;

QPen Line(const QBrush& brush, double width = 3.2) {
    return QPen(brush, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Keyboard(QPainter& p, const GlyphInk& ink) {
    p.setPen(ink.line);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(13, 31, 74, 40), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.quiet);
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 7; ++i) {
            p.drawRoundedRect(QRectF(19.5 + i * 9, 37 + row * 9, 6.5, 6.5), 1.5, 1.5);
        }
    }
    p.drawRoundedRect(QRectF(19.5, 55, 6.5, 6.5), 1.5, 1.5);
    p.drawRoundedRect(QRectF(73.5, 55, 6.5, 6.5), 1.5, 1.5);
    p.setBrush(ink.lit);
    p.drawRoundedRect(QRectF(30, 56, 40, 5.5), 2, 2);
    // The light bar along the front edge.
    p.drawRoundedRect(QRectF(20, 75.5, 60, 3), 1.5, 1.5);
}

void Mouse(QPainter& p, const GlyphInk& ink) {
    QPainterPath body;
    body.addRoundedRect(QRectF(32, 15, 36, 68), 18, 22);
    p.setPen(ink.line);
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.drawLine(QPointF(50, 16), QPointF(50, 40));
    QPainterPath split;
    split.moveTo(33, 42);
    split.quadTo(50, 46, 67, 42);
    p.drawPath(split);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.lit);
    p.drawRoundedRect(QRectF(47, 22, 6, 12), 3, 3);
    // The glowing tail.
    QPainterPath tail;
    tail.moveTo(38, 68);
    tail.quadTo(50, 76, 62, 68);
    p.setPen(Line(ink.lit, 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tail);
}

QPolygonF PadOutline(double inset) {
    return QPolygonF({QPointF(22 + inset, 38 + inset), QPointF(78 - inset, 38 + inset),
                      QPointF(89 - inset, 68 - inset), QPointF(11 + inset, 68 - inset)});
}

void HardPad(QPainter& p, const GlyphInk& ink) {
    p.setPen(ink.line);
    p.setBrush(ink.quiet);
    p.drawPolygon(PadOutline(0));
    // The hard surface's bevel: a second edge just inside the first.
    p.setPen(Line(ink.line.brush(), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(PadOutline(4.5));
    p.setPen(Line(ink.lit, 3.2));
    p.drawLine(QPointF(14, 74), QPointF(86, 74));
    p.setPen(Qt::NoPen);
    p.setBrush(ink.lit);
    p.drawEllipse(QPointF(72, 44.5), 2.2, 2.2);
}

// The polygon with each corner cut round by a curve starting radius before it.
QPainterPath RoundedPolygon(const QPolygonF& polygon, double radius) {
    QPainterPath path;
    const int n = polygon.size();
    auto towards = [radius](QPointF from, QPointF to) {
        const QPointF d = to - from;
        const double length = std::hypot(d.x(), d.y());
        return from + d * (std::min(radius, length / 2) / length);
    };
    for (int i = 0; i < n; ++i) {
        const QPointF corner = polygon[i];
        const QPointF in = towards(corner, polygon[(i + n - 1) % n]);
        const QPointF out = towards(corner, polygon[(i + 1) % n]);
        if (i == 0) {
            path.moveTo(in);
        } else {
            path.lineTo(in);
        }
        path.quadTo(corner, out);
    }
    path.closeSubpath();
    return path;
}

void SoftPad(QPainter& p, const GlyphInk& ink) {
    p.setPen(ink.line);
    p.setBrush(ink.quiet);
    p.drawPath(RoundedPolygon(PadOutline(0), 8));
    // The stitched edge.
    QPen stitch = Line(ink.line.brush(), 1.4);
    stitch.setDashPattern({2.0, 2.2});
    p.setPen(stitch);
    p.setBrush(Qt::NoBrush);
    p.drawPath(RoundedPolygon(PadOutline(5), 5));
    p.setPen(Line(ink.lit, 3.2));
    QPainterPath glow;
    glow.moveTo(16, 74);
    glow.quadTo(50, 78, 84, 74);
    p.drawPath(glow);
}

void Headset(QPainter& p, const GlyphInk& ink) {
    p.setPen(ink.line);
    p.setBrush(Qt::NoBrush);
    QPainterPath band;
    band.moveTo(24, 56);
    band.cubicTo(24, 16, 76, 16, 76, 56);
    p.drawPath(band);
    p.setBrush(ink.quiet);
    p.drawRoundedRect(QRectF(15, 50, 17, 27), 7, 7);
    p.drawRoundedRect(QRectF(68, 50, 17, 27), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.lit);
    p.drawRoundedRect(QRectF(19.5, 56, 8, 15), 4, 4);
    p.drawRoundedRect(QRectF(72.5, 56, 8, 15), 4, 4);
    p.setPen(ink.line);
    p.setBrush(Qt::NoBrush);
    QPainterPath boom;
    boom.moveTo(22, 76);
    boom.quadTo(26, 86, 40, 85);
    p.drawPath(boom);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.lit);
    p.drawEllipse(QPointF(42, 85), 3.2, 3.2);
}

void Hub(QPainter& p, const GlyphInk& ink) {
    p.setPen(ink.line);
    p.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(50, 44);
    cable.cubicTo(50, 34, 40, 30, 40, 22);
    p.drawPath(cable);
    p.setBrush(ink.quiet);
    p.drawRoundedRect(QRectF(34, 12, 12, 10), 2, 2);
    p.drawRoundedRect(QRectF(18, 44, 64, 26), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.lit);
    for (int i = 0; i < 4; ++i) {
        p.drawRoundedRect(QRectF(25 + i * 13, 53, 9, 5), 1.2, 1.2);
    }
    p.drawRoundedRect(QRectF(30, 75, 40, 3), 1.5, 1.5);
}

void Unknown(QPainter& p, const GlyphInk& ink) {
    p.setPen(ink.line);
    p.setBrush(ink.quiet);
    p.drawRoundedRect(QRectF(40, 16, 20, 13), 2, 2);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(31, 29, 38, 52), 9, 9);
    // A question mark drawn from strokes, so no font decides its look.
    QPainterPath mark;
    mark.moveTo(43, 47);
    mark.cubicTo(43, 38, 57, 38, 57, 47);
    mark.cubicTo(57, 53, 50, 53, 50, 60);
    p.setPen(Line(ink.lit, 4.2));
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.lit);
    p.drawEllipse(QPointF(50, 69), 2.8, 2.8);
}

void SyncBadge(QPainter& p, bool selected) {
    const QPointF centre(80, 80);
    if (selected) {
        QLinearGradient fill(QPointF(66, 66), QPointF(94, 94));
        fill.setColorAt(0, kCyan);
        fill.setColorAt(1, kViolet);
        p.setBrush(fill);
        p.setPen(QPen(QColor(8, 10, 15), 2.5));
    } else {
        p.setBrush(QColor(26, 32, 44));
        p.setPen(QPen(QColor(74, 86, 112), 1.8));
    }
    p.drawEllipse(centre, 13.5, 13.5);
    // Two arrows chasing each other round the centre.
    const QColor arrow = selected ? QColor(6, 8, 12) : kIdleLine;
    p.setPen(QPen(arrow, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF ring(centre.x() - 7, centre.y() - 7, 14, 14);
    p.drawArc(ring, 30 * 16, 130 * 16);
    p.drawArc(ring, 210 * 16, 130 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    auto head = [&](double degrees) {
        const double a = degrees * M_PI / 180.0;
        const QPointF tip(centre.x() + 7 * std::cos(a), centre.y() - 7 * std::sin(a));
        const QPointF along(-std::sin(a), -std::cos(a));  // clockwise tangent
        const QPointF out(std::cos(a), -std::sin(a));
        p.drawPolygon(QPolygonF(
            {tip + along * 3.6, tip - out * 3.2 - along * 0.6, tip + out * 3.2 - along * 0.6}));
    };
    head(30);
    head(210);
}

QImage PaintIcon(const Glyph& glyph, bool selected, bool synchro) {
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kIconSize / 100.0, kIconSize / 100.0);

    const QRectF tile(5, 5, 90, 90);
    if (selected) {
        // A soft halo round the tile.
        for (int i = 6; i >= 1; --i) {
            QColor halo = kCyan;
            halo.setAlpha(10 + (6 - i) * 4);
            p.setPen(QPen(halo, i * 1.4));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(tile, 22, 22);
        }
        QLinearGradient fill(tile.topLeft(), tile.bottomRight());
        fill.setColorAt(0, QColor(14, 38, 52));
        fill.setColorAt(1, QColor(24, 18, 46));
        p.setBrush(fill);
        QLinearGradient edge(tile.topLeft(), tile.bottomRight());
        edge.setColorAt(0, kCyan);
        edge.setColorAt(1, kViolet);
        p.setPen(QPen(QBrush(edge), 2.2));
    } else {
        QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
        fill.setColorAt(0, QColor(30, 36, 50));
        fill.setColorAt(1, QColor(16, 20, 28));
        p.setBrush(fill);
        p.setPen(QPen(QColor(46, 56, 76), 1.6));
    }
    p.drawRoundedRect(tile, 22, 22);
    // A sheen over the upper half of the tile.
    QLinearGradient sheen(QPointF(0, 5), QPointF(0, 50));
    sheen.setColorAt(0, QColor(255, 255, 255, selected ? 26 : 14));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawRoundedRect(QRectF(6, 6, 88, 44), 21, 21);

    GlyphInk ink;
    if (selected) {
        QLinearGradient lit(QPointF(15, 15), QPointF(85, 85));
        lit.setColorAt(0, kCyan);
        lit.setColorAt(1, kViolet);
        // The glow under the glyph first, then the glyph itself.
        QColor glow = kCyan;
        glow.setAlpha(46);
        GlyphInk halo{Line(glow, 8.5), QBrush(glow), QBrush(Qt::transparent)};
        glyph(p, halo);
        ink = {Line(QColor(236, 250, 255), 3.2), QBrush(lit), QBrush(QColor(120, 210, 240, 150))};
    } else {
        ink = {Line(kIdleLine, 3.2), QBrush(kIdleDetail), QBrush(QColor(60, 70, 90))};
    }
    glyph(p, ink);
    if (synchro) {
        SyncBadge(p, selected);
    }
    return image;
}

}  // namespace

bool PaintDeviceIcons(const QDir& skin) {
    const struct {
        const char* prefix;
        Glyph glyph;
    } kinds[] = {
        {"kb", Keyboard}, {"ms", Mouse}, {"hard_mp", HardPad}, {"soft_mp", SoftPad},
        {"hd", Headset},  {"hub", Hub},  {"unknow", Unknown},
    };
    const struct {
        const char* suffix;
        bool selected;
        bool synchro;
    } states[] = {
        {"_device_normal.png", false, false},
        {"_device_selected.png", true, false},
        {"_device_synchro_normal.png", false, true},
        {"_device_synchro_selected.png", true, true},
    };
    bool ok = true;
    for (const auto& kind : kinds) {
        for (const auto& state : states) {
            const QString file = QStringLiteral("common/device_ico/") + QLatin1String(kind.prefix) +
                                 QLatin1String(state.suffix);
            ok = SaveSkinPicture(PaintIcon(kind.glyph, state.selected, state.synchro),
                                 skin.filePath(file)) &&
                 ok;
        }
    }
    return ok;
}
