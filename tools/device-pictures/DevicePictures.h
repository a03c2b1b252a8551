#pragma once

#include "device/CatalogueEntries.h"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QString>

#include <vector>

namespace quaro::pictures {

// One button of a device picture: a key (bound by its name) or an LED (bound by its user data).
struct PictureButton {
    QString name;
    QString userData;  // empty for a key that carries no light
    QRect rect;        // in picture coordinates
    bool shown = true;
    bool round = false;  // an LED spot rather than a keycap
    // A key of its own shape (the mouse's buttons): the hover picture drawn for exactly this
    // button. Empty for a keycap, which takes the shared keycap pictures.
    QString hotImage = {};
};

// A device picture: the buttons over its painted body.
struct DeviceLayout {
    QString layoutFile;  // under the skin folder
    QString bodyFile;    // under the skin folder
    QString panelName;
    QSize size;
    std::vector<PictureButton> buttons;
};

// Keyboard, mouse pad, headset, mouse.
std::vector<DeviceLayout> DeviceLayouts();
DeviceLayout MouseLayout();

// The row of the device page table for a kind name ("keyboard", "MousePad", "HD").
const DevicePageEntry& PageOf(std::string_view kindName);

// One generated file of the skin: layout text or a picture.
struct GeneratedFile {
    QString path;  // relative to the skin folder
    QByteArray text;
    QImage image;  // null for a text file
};

std::vector<GeneratedFile> GenerateDevicePictures();
// Writes every generated file under skin; false when one could not be written.
bool WriteDevicePictures(const QDir& skin);

// Painters of the pictures (BodyPainter.cpp).
QImage PaintKeyboardBody(const DeviceLayout& layout);
QImage PaintMousePadBody(const DeviceLayout& layout);
QImage PaintHeadsetBody(const DeviceLayout& layout);
QImage PaintMouseBody(const DeviceLayout& layout);
// The hover picture of one of the mouse's buttons, the size of its rectangle.
QImage PaintMouseKeyHot(const PictureButton& button);
QImage PaintKeyLight();
QImage PaintKeyHot();
QImage PaintLedLight();

// The mouse's shapes in picture coordinates (MousePicture.cpp), shared by its layout and its
// painter: the shell's outline, the shape of button k, the lit strip round its rear.
QPainterPath MouseOutline();
QPainterPath MouseButtonShape(int key);
QPainterPath MouseLightStrip();
QPointF MouseLogoCentre();

// Where the files live in the skin.
inline const QString kKeyLightImage = QStringLiteral("devices/key_light.png");
inline const QString kKeyHotImage = QStringLiteral("devices/key_hot.png");
inline const QString kLedLightImage = QStringLiteral("devices/led_light.png");

}  // namespace quaro::pictures
