// The painted bodies behind the device pictures: dark, glossy shells with a thin RGB light
// along their edges, and the masks the buttons tint with their light colour. Everything is
// drawn from gradients and geometry.

#include "DevicePictures.h"
#include "PainterKit.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace quaro::pictures {
namespace {

const QColor kMagenta(255, 46, 136);
const QColor kAmber(255, 170, 40);

}  // namespace

QImage Canvas(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

namespace {

// The RGB edge light: a colour wheel running round the outline's centre.
QConicalGradient EdgeWheel(QPointF centre, int alpha) {
    QConicalGradient wheel(centre, 90);
    const QColor stops[] = {kCyan, kViolet, kMagenta, kAmber, kCyan};
    for (int i = 0; i < 5; ++i) {
        QColor c = stops[i];
        c.setAlpha(alpha);
        wheel.setColorAt(i / 4.0, c);
    }
    return wheel;
}

}  // namespace

// A soft glow of the edge light round a shape, then the crisp lit edge on it.
void EdgeLight(QPainter& p, const QPainterPath& outline) {
    const QPointF centre = outline.boundingRect().center();
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = 8; i >= 1; --i) {
        p.setPen(QPen(QBrush(EdgeWheel(centre, 6 + (8 - i) * 3)), i * 3.0));
        p.drawPath(outline);
    }
    p.setPen(QPen(QBrush(EdgeWheel(centre, 230)), 1.6));
    p.drawPath(outline);
    p.restore();
}

// A soft shadow under a shape, as if it stood on the page.
void DropShadow(QPainter& p, const QPainterPath& outline) {
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = 7; i >= 1; --i) {
        p.setPen(QPen(QColor(0, 0, 0, 14), i * 3.2));
        p.drawPath(outline.translated(0, 6));
    }
    p.restore();
}

// A dark glossy shell: gradient body, a sheen over its upper part, a top highlight.
void Shell(QPainter& p, const QPainterPath& outline, QColor top, QColor bottom) {
    const QRectF box = outline.boundingRect();
    QLinearGradient body(box.topLeft(), box.bottomLeft());
    body.setColorAt(0, top);
    body.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPath(outline);

    p.save();
    p.setClipPath(outline);
    // A diagonal sheen: the polish catching a light from the upper left.
    QLinearGradient sheen(box.topLeft(), QPointF(box.left() + box.width() * 0.55, box.bottom()));
    sheen.setColorAt(0, QColor(255, 255, 255, 30));
    sheen.setColorAt(0.45, QColor(255, 255, 255, 8));
    sheen.setColorAt(0.46, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawRect(box);
    p.restore();

    QLinearGradient rim(box.topLeft(), box.bottomLeft());
    rim.setColorAt(0, QColor(255, 255, 255, 60));
    rim.setColorAt(0.25, QColor(255, 255, 255, 6));
    rim.setColorAt(1, QColor(0, 0, 0, 60));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), 1.2));
    p.drawPath(outline);
}

QPainterPath Rounded(const QRectF& r, double radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

namespace {

// A keycap in its well: a dark recess, the cap's skirt and its lighter, dished top.
void Keycap(QPainter& p, const QRectF& r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawRoundedRect(r.adjusted(-1.5, -1, 1.5, 2.5), 6, 6);
    QLinearGradient skirt(r.topLeft(), r.bottomLeft());
    skirt.setColorAt(0, QColor(46, 50, 61));
    skirt.setColorAt(1, QColor(20, 22, 28));
    p.setBrush(skirt);
    p.drawRoundedRect(r, 5, 5);
    const QRectF top = r.adjusted(3, 2, -3, -5);
    QLinearGradient face(top.topLeft(), top.bottomLeft());
    face.setColorAt(0, QColor(50, 55, 67));
    face.setColorAt(1, QColor(33, 36, 45));
    p.setBrush(face);
    p.drawRoundedRect(top, 4, 4);
    p.setPen(QPen(QColor(255, 255, 255, 34), 1));
    p.drawLine(QPointF(top.left() + 3, top.top() + 0.5), QPointF(top.right() - 3, top.top() + 0.5));
}

}  // namespace

QImage PaintKeyboardBody(const DeviceLayout& layout) {
    QImage image = Canvas(layout.size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(QPointF(0, 0), QSizeF(layout.size)).adjusted(18, 18, -18, -18);
    const QPainterPath outline = Rounded(body, 18);
    DropShadow(p, outline);
    EdgeLight(p, outline);
    Shell(p, outline, QColor(40, 44, 54), QColor(11, 12, 17));

    // The recessed top plate the keys stand in, with a fine brushed grain.
    const QRectF plate = body.adjusted(12, 12, -12, -12);
    p.setPen(Qt::NoPen);
    QLinearGradient plateFill(plate.topLeft(), plate.bottomLeft());
    plateFill.setColorAt(0, QColor(12, 13, 18));
    plateFill.setColorAt(1, QColor(19, 21, 27));
    p.setBrush(plateFill);
    p.drawRoundedRect(plate, 10, 10);
    p.save();
    p.setClipPath(Rounded(plate, 10));
    for (int y = static_cast<int>(plate.top()); y < plate.bottom(); y += 2) {
        p.setPen(QPen(QColor(255, 255, 255, (y / 2) % 3 == 0 ? 5 : 2), 1));
        p.drawLine(QPointF(plate.left(), y + 0.5), QPointF(plate.right(), y + 0.5));
    }
    p.restore();
    p.setPen(QPen(QColor(0, 0, 0, 150), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(plate, 10, 10);

    for (const PictureButton& button : layout.buttons) {
        if (button.shown) {
            Keycap(p, QRectF(button.rect));
        }
    }

    // The indicator slot over the arrow keys: three small status lights.
    const QPointF indicator(body.right() - 230, body.top() + 6);
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(24, 216, 255, i == 0 ? 200 : 60));
        p.drawEllipse(QPointF(indicator.x() + i * 14, indicator.y()), 1.8, 1.8);
    }
    return image;
}

QImage PaintMousePadBody(const DeviceLayout& layout) {
    QImage image = Canvas(layout.size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF pad = QRectF(QPointF(0, 0), QSizeF(layout.size)).adjusted(30, 30, -30, -30);
    const QPainterPath outline = Rounded(pad, 22);
    DropShadow(p, outline);
    EdgeLight(p, outline);
    Shell(p, outline, QColor(30, 33, 42), QColor(9, 10, 14));

    // The diffuser strip the LEDs shine through, just inside the edge.
    const QRectF strip = pad.adjusted(16, 16, -16, -16);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 16), 9));
    p.drawRoundedRect(strip, 12, 12);
    p.setPen(QPen(QColor(0, 0, 0, 120), 1));
    p.drawRoundedRect(strip.adjusted(5, 5, -5, -5), 9, 9);

    // The playing surface: a micro-textured dark field with a soft centre highlight.
    const QRectF surface = strip.adjusted(14, 14, -14, -14);
    QRadialGradient field(surface.center() - QPointF(surface.width() * 0.2, surface.height() * 0.3),
                          surface.width() * 0.8);
    field.setColorAt(0, QColor(28, 31, 40));
    field.setColorAt(1, QColor(12, 13, 18));
    p.setPen(Qt::NoPen);
    p.setBrush(field);
    p.drawRoundedRect(surface, 8, 8);
    p.save();
    p.setClipPath(Rounded(surface, 8));
    p.setPen(QPen(QColor(255, 255, 255, 5), 1));
    for (double x = surface.left() - surface.height(); x < surface.right(); x += 6) {
        p.drawLine(QPointF(x, surface.bottom()), QPointF(x + surface.height(), surface.top()));
    }
    p.restore();

    // The maker's mark, etched faintly into the surface's lower right corner.
    const QPointF markAt(surface.right() - 44, surface.bottom() - 40);
    QPolygonF hex;
    for (int k = 0; k < 6; ++k) {
        const double a = M_PI / 180.0 * (60 * k - 90);
        hex << markAt + QPointF(16 * std::cos(a), 16 * std::sin(a));
    }
    QLinearGradient etch(markAt - QPointF(16, 16), markAt + QPointF(16, 16));
    etch.setColorAt(0, QColor(24, 216, 255, 90));
    etch.setColorAt(1, QColor(122, 92, 255, 90));
    p.setPen(QPen(QBrush(etch), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(hex);

    // The hub at the top centre, where the cable enters.
    const QRectF hub(pad.center().x() - 48, pad.top() - 8, 96, 26);
    QLinearGradient hubFill(hub.topLeft(), hub.bottomLeft());
    hubFill.setColorAt(0, QColor(58, 63, 76));
    hubFill.setColorAt(1, QColor(18, 20, 26));
    p.setBrush(hubFill);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawRoundedRect(hub, 9, 9);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 216, 255, 170));
    p.drawRoundedRect(QRectF(hub.center().x() - 18, hub.bottom() - 8, 36, 3), 1.5, 1.5);
    p.setPen(QPen(QColor(10, 11, 15), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(hub.center().x(), hub.top()), QPointF(hub.center().x(), 4));
    return image;
}

QImage PaintHeadsetBody(const DeviceLayout& layout) {
    QImage image = Canvas(layout.size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = layout.size.width();
    const QPointF leftCup(112, 262);
    const QPointF rightCup(368, 262);

    // The headband: an arc with a padded underside.
    QPainterPath band;
    band.moveTo(leftCup + QPointF(-26, -70));
    band.cubicTo(QPointF(70, 10), QPointF(w - 70, 10), rightCup + QPointF(26, -70));
    QPainterPath bandShape =
        QPainterPathStroker(QPen(Qt::black, 30, Qt::SolidLine, Qt::RoundCap)).createStroke(band);
    DropShadow(p, bandShape);
    EdgeLight(p, bandShape);
    Shell(p, bandShape, QColor(44, 48, 59), QColor(14, 15, 20));
    p.setPen(QPen(QColor(0, 0, 0, 110), 8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(band.translated(0, 9));

    // The yokes holding the cups.
    for (const QPointF& cup : {leftCup, rightCup}) {
        const double side = cup.x() < w / 2 ? -1 : 1;
        QPainterPath yoke;
        yoke.moveTo(cup + QPointF(side * 26, -72));
        yoke.quadTo(cup + QPointF(side * 84, -40), cup + QPointF(side * 70, 0));
        p.setPen(QPen(QColor(70, 76, 92), 7, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(yoke);
        p.setPen(QPen(QColor(255, 255, 255, 50), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(yoke.translated(-side * 1.5, -1.5));
    }

    // The boom microphone from the left cup.
    QPainterPath boom;
    boom.moveTo(leftCup + QPointF(-30, 50));
    boom.cubicTo(leftCup + QPointF(-20, 115), leftCup + QPointF(50, 128),
                 leftCup + QPointF(100, 112));
    p.setPen(QPen(QColor(30, 33, 41), 8, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(boom);
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(boom.translated(0, -2));
    const QPointF mic = leftCup + QPointF(104, 111);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 27, 34));
    p.drawEllipse(mic, 10, 8);
    p.setBrush(QColor(24, 216, 255, 200));
    p.drawEllipse(mic + QPointF(4, -1), 2.2, 2.2);

    // The cups: cushion, glossy shell, the lit ring the LEDs sit on, the centre badge.
    for (const QPointF& cup : {leftCup, rightCup}) {
        QPainterPath cushion;
        cushion.addEllipse(cup, 72, 84);
        DropShadow(p, cushion);
        p.setPen(Qt::NoPen);
        QRadialGradient foam(cup, 84);
        foam.setColorAt(0.7, QColor(20, 21, 26));
        foam.setColorAt(1, QColor(8, 8, 11));
        p.setBrush(foam);
        p.drawPath(cushion);

        QPainterPath shell;
        shell.addEllipse(cup, 64, 74);
        EdgeLight(p, shell);
        Shell(p, shell, QColor(46, 50, 62), QColor(12, 13, 18));

        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 18), 10));
        p.drawEllipse(cup, 52, 52);
        p.setPen(QPen(QColor(0, 0, 0, 140), 1));
        p.drawEllipse(cup, 46, 46);

        QRadialGradient badge(cup - QPointF(8, 10), 40);
        badge.setColorAt(0, QColor(62, 68, 84));
        badge.setColorAt(1, QColor(16, 17, 23));
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.setBrush(badge);
        p.drawEllipse(cup, 34, 34);
        // The mark: a hexagon outline.
        QPolygonF hex;
        for (int k = 0; k < 6; ++k) {
            const double a = M_PI / 180.0 * (60 * k - 90);
            hex << cup + QPointF(13 * std::cos(a), 13 * std::sin(a));
        }
        QLinearGradient mark(cup - QPointF(13, 13), cup + QPointF(13, 13));
        mark.setColorAt(0, kCyan);
        mark.setColorAt(1, kViolet);
        p.setPen(QPen(QBrush(mark), 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(hex);
    }
    return image;
}

// The light mask of a key: a glow round the cap's edge and a faint wash over its top, so a lit
// key reads as per-key lighting shining past the cap.
QImage PaintKeyLight() {
    QImage image = Canvas(QSize(64, 64));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    for (int i = 5; i >= 1; --i) {
        p.setPen(QPen(QColor(255, 255, 255, 30 + (5 - i) * 30), i * 1.1));
        p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    }
    p.setPen(Qt::NoPen);
    QRadialGradient wash(QPointF(32, 28), 30);
    wash.setColorAt(0, QColor(255, 255, 255, 60));
    wash.setColorAt(1, QColor(255, 255, 255, 8));
    p.setBrush(wash);
    p.drawRoundedRect(QRectF(9, 7, 46, 44), 7, 7);
    return image;
}

// The hover and pressed look of a key: a pale glass over its top.
QImage PaintKeyHot() {
    QImage image = Canvas(QSize(64, 64));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient glass(QPointF(0, 4), QPointF(0, 60));
    glass.setColorAt(0, QColor(255, 255, 255, 70));
    glass.setColorAt(1, QColor(255, 255, 255, 20));
    p.setPen(QPen(QColor(255, 255, 255, 120), 2));
    p.setBrush(glass);
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 10, 10);
    return image;
}

// The light mask of an LED: a bright core fading out.
QImage PaintLedLight() {
    QImage image = Canvas(QSize(48, 48));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(24, 24), 24);
    glow.setColorAt(0, QColor(255, 255, 255, 255));
    glow.setColorAt(0.25, QColor(255, 255, 255, 230));
    glow.setColorAt(0.55, QColor(255, 255, 255, 90));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QRectF(0, 0, 48, 48));
    return image;
}

}  // namespace quaro::pictures
