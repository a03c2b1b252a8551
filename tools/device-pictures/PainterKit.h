#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace quaro::pictures {

// The look every device body shares (BodyPainter.cpp): the accent colours, a transparent
// canvas, the shadow under a body, its RGB edge light and its dark glossy shell.
inline const QColor kCyan(24, 216, 255);
inline const QColor kViolet(122, 92, 255);

QImage Canvas(QSize size);
QPainterPath Rounded(const QRectF& r, double radius);
void EdgeLight(QPainter& p, const QPainterPath& outline);
void DropShadow(QPainter& p, const QPainterPath& outline);
void Shell(QPainter& p, const QPainterPath& outline, QColor top, QColor bottom);

}  // namespace quaro::pictures
