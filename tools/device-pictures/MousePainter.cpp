// The mouse's painted shell: a dark polished body with the palm's dome catching the light, the
// two main buttons split by a recessed rail that holds the wheel and the DPI buttons, thumb
// buttons on the left flank, the lit strip round the rear and the logo on the palm.

#include "DevicePictures.h"
#include "PainterKit.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace quaro::pictures {
namespace {

constexpr int kLeft = 0;
constexpr int kRight = 1;
constexpr int kWheel = 2;
constexpr int kForward = 3;
constexpr int kBack = 4;
constexpr int kDpiUp = 5;
constexpr int kDpiDown = 6;

// The cable leaving the front, bending slightly as it would on a desk.
void Cable(QPainter& p, const QRectF& body) {
    QPainterPath cable;
    cable.moveTo(body.center().x(), body.top() + 4);
    cable.cubicTo(QPointF(body.center().x(), body.top() - 8),
                  QPointF(body.center().x() + 10, body.top() - 14),
                  QPointF(body.center().x() + 8, 0));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(12, 13, 17), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable);
    p.setPen(QPen(QColor(255, 255, 255, 36), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable.translated(-1.2, 0));
}

// The dome of the palm rest: a broad soft highlight and a crisp specular streak.
void Dome(QPainter& p, const QPainterPath& outline) {
    const QRectF box = outline.boundingRect();
    p.save();
    p.setClipPath(outline);
    p.setPen(Qt::NoPen);
    QRadialGradient dome(
        QPointF(box.center().x() - box.width() * 0.1, box.top() + box.height() * 0.62),
        box.width() * 0.55);
    dome.setColorAt(0, QColor(255, 255, 255, 30));
    dome.setColorAt(0.6, QColor(255, 255, 255, 8));
    dome.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(dome);
    p.drawRect(box);
    // The polish: a narrow reflection following the left shoulder.
    QPainterPath streak;
    streak.moveTo(box.left() + box.width() * 0.26, box.top() + box.height() * 0.50);
    streak.cubicTo(QPointF(box.left() + box.width() * 0.22, box.top() + box.height() * 0.66),
                   QPointF(box.left() + box.width() * 0.28, box.top() + box.height() * 0.80),
                   QPointF(box.left() + box.width() * 0.40, box.top() + box.height() * 0.90));
    p.setBrush(Qt::NoBrush);
    for (int i = 4; i >= 1; --i) {
        p.setPen(
            QPen(QColor(255, 255, 255, 2 + (4 - i) * 3), i * 5.0, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(streak);
    }
    p.restore();
}

// A main button: its own slightly lighter moulding, a seam round it and a sheen near its tip.
void MainButton(QPainter& p, const QPainterPath& shape, bool left) {
    const QRectF box = shape.boundingRect();
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, QColor(54, 59, 73));
    fill.setColorAt(0.55, QColor(28, 31, 39));
    fill.setColorAt(1, QColor(18, 20, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(shape);

    p.save();
    p.setClipPath(shape);
    const QPointF tip(left ? box.left() + box.width() * 0.62 : box.left() + box.width() * 0.38,
                      box.top() + box.height() * 0.28);
    QRadialGradient sheen(tip, box.width() * 0.7);
    sheen.setColorAt(0, QColor(255, 255, 255, 34));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawRect(box);
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 190), 2.2));
    p.drawPath(shape);
    p.setPen(QPen(QColor(255, 255, 255, 26), 1));
    p.drawPath(shape.translated(0, 1));
}

// The rail between the main buttons: a dark channel with the wheel glowing in its slot.
void Rail(QPainter& p, const QPainterPath& wheel, const QPainterPath& dpiUp,
          const QPainterPath& dpiDown) {
    const QRectF wheelBox = wheel.boundingRect();
    const QRectF channel(wheelBox.left() - 2.5, wheelBox.top() - 10, wheelBox.width() + 5,
                         dpiDown.boundingRect().bottom() - wheelBox.top() + 18);
    QLinearGradient well(channel.topLeft(), channel.topRight());
    well.setColorAt(0, QColor(4, 5, 7));
    well.setColorAt(0.5, QColor(13, 14, 19));
    well.setColorAt(1, QColor(4, 5, 7));
    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    p.setBrush(well);
    p.drawRoundedRect(channel, 8, 8);

    // The wheel's light escaping round it.
    p.setBrush(Qt::NoBrush);
    for (int i = 4; i >= 1; --i) {
        QColor glow = kCyan;
        glow.setAlpha(18 + (4 - i) * 18);
        p.setPen(QPen(glow, i * 1.6));
        p.drawRoundedRect(wheelBox.adjusted(-1.5, -1.5, 1.5, 1.5), 7, 7);
    }
    // A rubber wheel: round across, ridged along.
    QLinearGradient drum(wheelBox.topLeft(), wheelBox.topRight());
    drum.setColorAt(0, QColor(14, 15, 19));
    drum.setColorAt(0.45, QColor(78, 84, 100));
    drum.setColorAt(1, QColor(14, 15, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(drum);
    p.drawPath(wheel);
    p.save();
    p.setClipPath(wheel);
    p.setPen(QPen(QColor(0, 0, 0, 110), 1.2));
    for (double y = wheelBox.top() + 3; y < wheelBox.bottom(); y += 3.6) {
        p.drawLine(QPointF(wheelBox.left(), y), QPointF(wheelBox.right(), y));
    }
    p.restore();

    for (const QPainterPath* button : {&dpiUp, &dpiDown}) {
        const QRectF box = button->boundingRect();
        QLinearGradient metal(box.topLeft(), box.bottomLeft());
        metal.setColorAt(0, QColor(84, 91, 108));
        metal.setColorAt(1, QColor(30, 33, 41));
        p.setPen(QPen(QColor(0, 0, 0, 160), 1));
        p.setBrush(metal);
        p.drawPath(*button);
        p.setPen(QPen(QColor(220, 228, 240, 190), 1.4, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = box.center();
        p.drawLine(c - QPointF(3, 0), c + QPointF(3, 0));
        if (button == &dpiUp) {
            p.drawLine(c - QPointF(0, 3), c + QPointF(0, 3));
        }
    }
}

// A thumb button standing proud of the flank.
void SideButton(QPainter& p, const QPainterPath& shape) {
    const QRectF box = shape.boundingRect();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(shape.translated(1.5, 2.5));
    QLinearGradient fill(box.topLeft(), box.topRight());
    fill.setColorAt(0, QColor(22, 24, 31));
    fill.setColorAt(0.5, QColor(72, 78, 94));
    fill.setColorAt(1, QColor(30, 33, 41));
    p.setPen(QPen(QColor(0, 0, 0, 170), 1));
    p.setBrush(fill);
    p.drawPath(shape);
    p.setPen(QPen(QColor(255, 255, 255, 60), 1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(box.center().x() - 1, box.top() + 4),
               QPointF(box.center().x() - 1, box.bottom() - 4));
}

// Fine ribs of the grip on the right flank, where the fingers rest.
void Grip(QPainter& p, const QPainterPath& outline) {
    const QRectF box = outline.boundingRect();
    p.save();
    p.setClipPath(outline);
    p.setPen(QPen(QColor(0, 0, 0, 80), 1.2));
    const double x = box.right() - box.width() * 0.12;
    for (int i = 0; i < 9; ++i) {
        const double y = box.top() + box.height() * 0.47 + i * 6;
        p.drawLine(QPointF(x, y), QPointF(box.right(), y - 6));
    }
    p.restore();
}

// The groove the rear lights shine through.
void LightStrip(QPainter& p) {
    const QPainterPath strip = MouseLightStrip();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 150), 11, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(strip);
    p.setPen(QPen(QColor(255, 255, 255, 22), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(strip);
    QColor lit = kViolet;
    lit.setAlpha(70);
    p.setPen(QPen(lit, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(strip);
}

void Logo(QPainter& p) {
    const QPointF centre = MouseLogoCentre();
    QRadialGradient badge(centre - QPointF(4, 5), 22);
    badge.setColorAt(0, QColor(48, 53, 66));
    badge.setColorAt(1, QColor(14, 15, 20));
    p.setPen(QPen(QColor(255, 255, 255, 30), 1));
    p.setBrush(badge);
    p.drawEllipse(centre, 17, 17);
    QPolygonF hex;
    for (int k = 0; k < 6; ++k) {
        const double a = M_PI / 180.0 * (60 * k - 90);
        hex << centre + QPointF(12 * std::cos(a), 12 * std::sin(a));
    }
    QLinearGradient mark(centre - QPointF(12, 12), centre + QPointF(12, 12));
    mark.setColorAt(0, kCyan);
    mark.setColorAt(1, kViolet);
    p.setPen(QPen(QBrush(mark), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(hex);
}

}  // namespace

QImage PaintMouseBody(const DeviceLayout& layout) {
    QImage image = Canvas(layout.size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = MouseOutline();
    Cable(p, outline.boundingRect());
    DropShadow(p, outline);
    EdgeLight(p, outline);
    Shell(p, outline, QColor(40, 44, 55), QColor(9, 10, 14));
    Dome(p, outline);
    Grip(p, outline);
    MainButton(p, MouseButtonShape(kLeft), true);
    MainButton(p, MouseButtonShape(kRight), false);
    Rail(p, MouseButtonShape(kWheel), MouseButtonShape(kDpiUp), MouseButtonShape(kDpiDown));
    SideButton(p, MouseButtonShape(kForward));
    SideButton(p, MouseButtonShape(kBack));
    LightStrip(p);
    Logo(p);
    return image;
}

QImage PaintMouseKeyHot(const PictureButton& button) {
    QImage image = Canvas(button.rect.size());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int key = button.name.mid(button.name.lastIndexOf(u'_') + 1).toInt();
    const QPainterPath shape = MouseButtonShape(key).translated(-QPointF(button.rect.topLeft()));
    const QRectF box = shape.boundingRect();
    QLinearGradient glass(box.topLeft(), box.bottomLeft());
    glass.setColorAt(0, QColor(24, 216, 255, 70));
    glass.setColorAt(1, QColor(24, 216, 255, 18));
    p.setPen(QPen(QColor(24, 216, 255, 170), 1.4));
    p.setBrush(glass);
    p.drawPath(shape);
    return image;
}

}  // namespace quaro::pictures
