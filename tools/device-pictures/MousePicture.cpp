// The mouse seen from above, front at the top. Its seven buttons follow the logical button order
// of the mouse's default table (left, right, wheel, forward, back, DPI up, DPI down); its six
// lights are the logo on the palm and a strip running round the rear from the left flank to the
// right one.
//
// The shapes are drawn in a design space of 300 x 400 units and scaled into the picture, so the
// outline can be tuned in round numbers.

#include "DevicePictures.h"

#include <QTransform>

#include <cmath>

namespace quaro::pictures {
namespace {

constexpr double kScale = 0.9;
constexpr QSizeF kDesignSize(300, 400);
constexpr double kCentreX = 150;
// Everything in front of this line belongs to the two main buttons and the rail between them.
constexpr double kButtonsRear = 178;
constexpr double kRailHalfWidth = 13;
constexpr double kLedSpot = 20;
// The strip sits this far inside the outline; its lights are spread this far apart along it.
constexpr double kStripInset = 13;
constexpr double kStripSpacing = 0.058;  // fraction of the outline's length
constexpr int kStripLights = 5;

QTransform ToPicture() {
    return QTransform::fromScale(kScale, kScale);
}

QPainterPath DesignOutline() {
    // Clockwise from the front centre: the narrower front, a waist for the grip, the wide rear.
    QPainterPath path;
    path.moveTo(150, 28);
    path.cubicTo(200, 26, 234, 60, 234, 118);
    path.cubicTo(234, 165, 220, 185, 222, 220);
    path.cubicTo(224, 255, 246, 280, 242, 325);
    path.cubicTo(238, 370, 200, 390, 150, 390);
    path.cubicTo(100, 390, 62, 370, 58, 325);
    path.cubicTo(54, 280, 76, 255, 78, 220);
    path.cubicTo(80, 185, 66, 165, 66, 118);
    path.cubicTo(66, 60, 100, 26, 150, 28);
    path.closeSubpath();
    return path;
}

QPainterPath RoundedDesign(double x, double y, double w, double h, double radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    return path;
}

QPainterPath DesignButton(int key) {
    switch (key) {
        case 0: {  // left: the outline's front left, up to the rail
            QPainterPath area;
            area.addRect(QRectF(0, 0, kCentreX - kRailHalfWidth, kButtonsRear));
            return DesignOutline().intersected(area);
        }
        case 1: {  // right
            QPainterPath area;
            area.addRect(QRectF(kCentreX + kRailHalfWidth, 0, kDesignSize.width(), kButtonsRear));
            return DesignOutline().intersected(area);
        }
        case 2:  // the wheel, in the front of the rail
            return RoundedDesign(141, 58, 18, 56, 8);
        case 3:  // forward and back on the left flank, under the thumb
            return RoundedDesign(60, 194, 15, 44, 7);
        case 4:
            return RoundedDesign(60, 244, 15, 44, 7);
        case 5:  // DPI up and down behind the wheel
            return RoundedDesign(142, 126, 16, 18, 4);
        case 6:
            return RoundedDesign(142, 150, 16, 18, 4);
        default:
            return {};
    }
}

// Points of the lit strip, from the left flank round the rear to the right flank. The outline
// runs clockwise from the front, so its rear centre is half way round.
QPointF DesignStripPoint(double fraction) {
    const QPainterPath outline = DesignOutline();
    const QPointF onEdge = outline.pointAtPercent(fraction);
    const QPointF inward = QPointF(kCentreX, 250) - onEdge;
    const double length = std::hypot(inward.x(), inward.y());
    return onEdge + inward * (kStripInset / length);
}

double StripFraction(int light) {
    // light 1 is the leftmost; the outline's fractions grow from the right flank to the left.
    return 0.5 + kStripSpacing * ((kStripLights - 1) / 2.0 - (light - 1));
}

QRect PictureRect(const QRectF& design) {
    return ToPicture().mapRect(design).toAlignedRect();
}

}  // namespace

QPainterPath MouseOutline() {
    return ToPicture().map(DesignOutline());
}

QPainterPath MouseButtonShape(int key) {
    return ToPicture().map(DesignButton(key));
}

QPainterPath MouseLightStrip() {
    const double first = StripFraction(kStripLights);
    const double last = StripFraction(1);
    QPainterPath strip;
    constexpr int kSteps = 48;
    const double margin = kStripSpacing * 0.6;
    for (int i = 0; i <= kSteps; ++i) {
        const double fraction = first - margin + (last - first + 2 * margin) * i / kSteps;
        const QPointF at = DesignStripPoint(fraction);
        i == 0 ? strip.moveTo(at) : strip.lineTo(at);
    }
    return ToPicture().map(strip);
}

QPointF MouseLogoCentre() {
    return ToPicture().map(QPointF(kCentreX, 296));
}

DeviceLayout MouseLayout() {
    DeviceLayout layout;
    layout.layoutFile = QStringLiteral("XML/Devices/MousePicture.xml");
    layout.bodyFile = QStringLiteral("devices/mouse_body.png");
    layout.panelName = QStringLiteral("mouse_picture");
    layout.size = ToPicture().mapRect(QRectF(QPointF(0, 0), kDesignSize)).toAlignedRect().size();
    const DevicePageEntry& page = PageOf("mouse");
    for (int key = 0; key < page.keyCount; ++key) {
        PictureButton button;
        button.name = QStringLiteral("key_%1").arg(key);
        button.rect = PictureRect(DesignButton(key).boundingRect());
        button.hotImage = QStringLiteral("devices/mouse_key_hot_%1.png").arg(key);
        layout.buttons.push_back(button);
    }
    for (int light = 0; light < page.lightCount; ++light) {
        const QPointF centre =
            light == 0 ? QPointF(kCentreX, 296) : DesignStripPoint(StripFraction(light));
        PictureButton led;
        led.name = led.userData = QStringLiteral("light_%1").arg(light);
        led.rect = PictureRect(
            QRectF(centre - QPointF(kLedSpot / 2, kLedSpot / 2), QSizeF(kLedSpot, kLedSpot)));
        led.round = true;
        layout.buttons.push_back(led);
    }
    return layout;
}

}  // namespace quaro::pictures
