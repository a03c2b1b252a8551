#include "panels/controls/CCircleProgressUI.h"

#include <QPainter>

namespace quaro {

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : CProgressUI(parent) {}

int CCircleProgressUI::SweepDegrees() const {
    const int span = GetMaxValue() - GetMinValue();
    if (span <= 0) {
        return 0;  // an empty range would divide by zero
    }
    return static_cast<int>(static_cast<double>(GetValue()) / span * 360.0);
}

void CCircleProgressUI::PaintRing(QPainter& painter, const QRect& area) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(GetBkColor()));
    painter.drawEllipse(area);
    painter.setBrush(ToQColor(GetForeColor()));
    // Qt counts angles counter-clockwise in 1/16 degrees; the ring runs clockwise from 90.
    painter.drawPie(area, -90 * 16, -SweepDegrees() * 16);
    painter.setBrush(Qt::white);
    painter.drawEllipse(area.adjusted(kInset, kInset, -kInset, -kInset));
    painter.restore();
}

void CCircleProgressUI::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    PaintRing(painter, rect());
}

}  // namespace quaro
