// The power widget's pictures: the battery the level is shown in, the charge states, the
// wireless mark and the phones a charging mouse pad recognises.

#include "SkinArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

constexpr double kScale = 2.0;  // drawn at twice the shown size

const QColor kCyan(24, 216, 255);
const QColor kViolet(122, 92, 255);
const QColor kGreen(63, 224, 160);
const QColor kAmber(255, 176, 32);
const QColor kFrame(196, 206, 224);
const QColor kIdle(141, 152, 173);

using Drawing = std::function<void(QPainter&)>;

// A picture of the given shown size, painted in shown-size coordinates.
QImage Paint(QSize shown, const Drawing& draw) {
    QImage image(shown * kScale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kScale, kScale);
    draw(p);
    return image;
}

QPen Stroke(const QBrush& brush, double width) {
    return QPen(brush, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A full battery; the widget's progress covers its empty part (x 4 to 50, y 5 to 23).
void Battery(QPainter& p) {
    p.setPen(Stroke(kFrame, 1.6));
    p.setBrush(QColor(10, 13, 19));
    p.drawRoundedRect(QRectF(1, 1.5, 50.5, 25), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(kFrame);
    p.drawRoundedRect(QRectF(52.5, 9, 4.5, 10), 1.5, 1.5);
    QLinearGradient charge(QPointF(4, 0), QPointF(50, 0));
    charge.setColorAt(0, kGreen);
    charge.setColorAt(1, kCyan);
    p.setBrush(charge);
    p.drawRoundedRect(QRectF(4, 5, 46, 18), 2.5, 2.5);
    QLinearGradient sheen(QPointF(0, 5), QPointF(0, 14));
    sheen.setColorAt(0, QColor(255, 255, 255, 70));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawRoundedRect(QRectF(4, 5, 46, 9), 2.5, 2.5);
}

void Bolt(QPainter& p, QPointF centre, double size, const QBrush& fill) {
    const double s = size / 20.0;
    QPolygonF bolt({QPointF(2, -10), QPointF(-6, 2), QPointF(-0.5, 2), QPointF(-2, 10),
                    QPointF(6, -2), QPointF(0.5, -2)});
    for (QPointF& point : bolt) {
        point = centre + point * s;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPolygon(bolt);
}

QBrush Accent(QPointF from, QPointF to) {
    QLinearGradient g(from, to);
    g.setColorAt(0, kCyan);
    g.setColorAt(1, kViolet);
    return QBrush(g);
}

// On external power, full: a plug.
void Powered(QPainter& p) {
    p.setPen(Stroke(kGreen, 2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(10, 4), QPointF(10, 9));
    p.drawLine(QPointF(16, 4), QPointF(16, 9));
    p.setBrush(QColor(63, 224, 160, 60));
    QPainterPath head;
    head.moveTo(6, 9);
    head.lineTo(20, 9);
    head.lineTo(20, 13);
    head.quadTo(20, 19, 13, 19);
    head.quadTo(6, 19, 6, 13);
    head.closeSubpath();
    p.drawPath(head);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(13, 19), QPointF(13, 23));
}

// Charging over a cable: a bolt in a ring.
void Powering(QPainter& p) {
    p.setPen(Stroke(QColor(255, 176, 32, 120), 1.6));
    p.setBrush(QColor(255, 176, 32, 30));
    p.drawEllipse(QPointF(13, 13), 11, 11);
    Bolt(p, QPointF(13, 13), 17, kAmber);
}

// Charging without a cable: a bolt between the coil's waves.
void WirelessPowering(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        QColor wave = kCyan;
        wave.setAlpha(220 - i * 90);
        p.setPen(Stroke(wave, 1.8));
        const double r = 7.5 + i * 4;
        p.drawArc(QRectF(13 - r, 13 - r, 2 * r, 2 * r), 120 * 16, 120 * 16);
        p.drawArc(QRectF(13 - r, 13 - r, 2 * r, 2 * r), -60 * 16, 120 * 16);
    }
    Bolt(p, QPointF(13, 13), 13, Accent(QPointF(8, 5), QPointF(18, 21)));
}

// Running on the battery: a small battery with its bars.
void OnBattery(QPainter& p) {
    p.setPen(Stroke(kIdle, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(7, 5, 12, 19), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kIdle);
    p.drawRoundedRect(QRectF(10, 2.5, 6, 2.5), 1, 1);
    p.setBrush(kCyan);
    for (int i = 0; i < 3; ++i) {
        p.drawRoundedRect(QRectF(9.5, 19 - i * 4.6, 7, 3.2), 0.8, 0.8);
    }
}

// The wireless mark of a mouse: waves over a dot.
void WirelessLogo(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(Stroke(Accent(QPointF(2, 2), QPointF(24, 24)), 2.2));
        const double r = 5 + i * 5;
        p.drawArc(QRectF(13 - r, 20 - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kCyan);
    p.drawEllipse(QPointF(13, 20), 2.4, 2.4);
}

// A phone lying on the pad, seen from above; the details tell the families apart.
enum class PhoneFamily { Notch, PunchHole, Classic, Missing };

void Phone(QPainter& p, PhoneFamily family) {
    const QRectF body(6, 2, 28, 52);
    if (family == PhoneFamily::Missing) {
        QPen dashed = Stroke(QColor(141, 152, 173, 150), 1.4);
        dashed.setDashPattern({3, 2.5});
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body, 6, 6);
        // The pad's charging spot, waiting.
        for (int i = 0; i < 2; ++i) {
            p.setPen(Stroke(QColor(24, 216, 255, 150 - i * 60), 1.4));
            const double r = 4 + i * 4;
            p.drawEllipse(QPointF(20, 28), r, r);
        }
        return;
    }
    const double radius = family == PhoneFamily::Classic ? 5 : 7;
    p.setPen(Stroke(kFrame, 1.5));
    p.setBrush(QColor(14, 17, 24));
    p.drawRoundedRect(body, radius, radius);
    QRectF screen = body.adjusted(2.2, 2.2, -2.2, -2.2);
    if (family == PhoneFamily::Classic) {
        screen = body.adjusted(2.5, 7, -2.5, -8);
    }
    QLinearGradient glass(screen.topLeft(), screen.bottomRight());
    glass.setColorAt(0, QColor(24, 216, 255, 150));
    glass.setColorAt(0.55, QColor(60, 80, 200, 120));
    glass.setColorAt(1, QColor(122, 92, 255, 150));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRoundedRect(screen, radius - 2, radius - 2);
    p.setBrush(QColor(14, 17, 24));
    switch (family) {
        case PhoneFamily::Notch:
            p.drawRoundedRect(QRectF(14, 4, 12, 3.5), 1.7, 1.7);
            break;
        case PhoneFamily::PunchHole:
            p.drawEllipse(QPointF(20, 6.5), 1.5, 1.5);
            // Curved glass catching the light at both long edges.
            p.setPen(Stroke(QColor(255, 255, 255, 90), 0.9));
            p.drawLine(QPointF(8.6, 12), QPointF(8.6, 44));
            p.drawLine(QPointF(31.4, 12), QPointF(31.4, 44));
            break;
        case PhoneFamily::Classic:
            p.setPen(Stroke(kFrame, 1.1));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(20, 50), 2.3, 2.3);
            p.drawLine(QPointF(17, 5.5), QPointF(23, 5.5));
            break;
        case PhoneFamily::Missing:
            break;
    }
    // The charge it is getting.
    Bolt(p, QPointF(20, 28), 12, QColor(255, 255, 255, 220));
}

}  // namespace

bool PaintPowerPictures(const QDir& skin) {
    const struct {
        const char* file;
        QSize size;
        Drawing draw;
    } pictures[] = {
        {"power/battery.png", QSize(58, 28), Battery},
        {"power/powered.png", QSize(26, 26), Powered},
        {"power/powering.png", QSize(26, 26), Powering},
        {"power/wuxian_powering.png", QSize(26, 26), WirelessPowering},
        {"power/power.png", QSize(26, 26), OnBattery},
        {"power/wuxian_logo.png", QSize(26, 26), WirelessLogo},
        {"power/Phone_type_iphone.png", QSize(40, 56),
         [](QPainter& p) { Phone(p, PhoneFamily::Notch); }},
        {"power/Phone_type_samsung.png", QSize(40, 56),
         [](QPainter& p) { Phone(p, PhoneFamily::PunchHole); }},
        {"power/Phone_type_other.png", QSize(40, 56),
         [](QPainter& p) { Phone(p, PhoneFamily::Classic); }},
        {"power/Phone_type_no_device.png", QSize(40, 56),
         [](QPainter& p) { Phone(p, PhoneFamily::Missing); }},
    };
    bool ok = true;
    for (const auto& picture : pictures) {
        ok = SaveSkinPicture(Paint(picture.size, picture.draw),
                             skin.filePath(QLatin1String(picture.file))) &&
             ok;
    }
    return ok;
}
