#pragma once

#include <QDir>
#include <QImage>
#include <QString>

// Writes one picture of the skin, creating its folder; prints the path written.
bool SaveSkinPicture(const QImage& image, const QString& path);

// The device tabs' kind icons under common/device_ico/.
bool PaintDeviceIcons(const QDir& skin);
// The power widget's battery, charge states, wireless mark and phone pictures under power/.
bool PaintPowerPictures(const QDir& skin);
