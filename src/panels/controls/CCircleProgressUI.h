#pragma once

#include "ui/toolkit/CProgressUI.h"

namespace quaro {

// A progress ring: the background colour fills the disc, the foreground colour a sector from
// the bottom (90 degrees clockwise from the x axis) sweeping clockwise in proportion to the
// value, and a white disc inset by 10 pixels leaves a ring.
class CCircleProgressUI : public CProgressUI {
public:
    explicit CCircleProgressUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("CircleProgress"); }

    // Whole degrees of the foreground sector.
    int SweepDegrees() const;
    void PaintRing(QPainter& painter, const QRect& area) const;

    static constexpr int kInset = 10;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quaro
