#include "ui/toolkit/CColorPaletteUI.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainterPath>

namespace quaro {
namespace {

constexpr int kGap = 8;

}  // namespace

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : CControlOn<QWidget>(parent) {
    setCursor(Qt::CrossCursor);
    setMinimumSize(120, 80);
}

uint32_t CColorPaletteUI::GetSelectColor() const {
    if (m_exact.has_value()) {
        return *m_exact;
    }
    return QColor::fromHsv(m_hue, m_saturation, m_value).rgba();
}

void CColorPaletteUI::SetSelectColor(uint32_t argb) {
    const QColor color = QColor::fromRgb(argb | 0xFF000000u).toHsv();
    m_hue = std::max(color.hsvHue(), 0);
    m_saturation = color.hsvSaturation();
    m_value = color.value();
    // Whole-degree hues cannot hold every colour, so the colour handed in is kept as given
    // until the user picks another.
    m_exact = argb | 0xFF000000u;
    update();
}

bool CColorPaletteUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"barheight") {
        m_barHeight = std::max(6, value.toInt());
    } else if (name == u"palletheight" || name == u"thumbimage") {
        // The field takes whatever height the bar leaves.
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

QRect CColorPaletteUI::FieldRect() const {
    return rect().adjusted(0, 0, -1, -(m_barHeight + kGap + 1));
}

QRect CColorPaletteUI::BarRect() const {
    return QRect(0, height() - m_barHeight, width(), m_barHeight);
}

void CColorPaletteUI::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect field = FieldRect();
    QLinearGradient hues(field.topLeft(), field.topRight());
    for (int i = 0; i <= 6; ++i) {
        hues.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 255, 255));
    }
    QPainterPath fieldPath;
    fieldPath.addRoundedRect(field, 6, 6);
    painter.fillPath(fieldPath, hues);
    QLinearGradient whiteness(field.topLeft(), field.bottomLeft());
    whiteness.setColorAt(0, QColor(255, 255, 255, 0));
    whiteness.setColorAt(1, QColor(255, 255, 255, 255));
    painter.fillPath(fieldPath, whiteness);

    const QRect bar = BarRect();
    QLinearGradient shades(bar.topLeft(), bar.topRight());
    shades.setColorAt(0, Qt::black);
    shades.setColorAt(1, QColor::fromHsv(m_hue, m_saturation, 255));
    QPainterPath barPath;
    barPath.addRoundedRect(bar, bar.height() / 2.0, bar.height() / 2.0);
    painter.fillPath(barPath, shades);

    // Markers: a ring on the field, a knob on the bar.
    const QPointF fieldMark(field.left() + field.width() * m_hue / 359.0,
                            field.top() + field.height() * (255 - m_saturation) / 255.0);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor::fromRgba(GetSelectColor()));
    painter.drawEllipse(fieldMark, 6, 6);
    const QPointF barMark(bar.left() + bar.width() * m_value / 255.0, bar.center().y() + 0.5);
    painter.drawEllipse(barMark, bar.height() / 2.0 + 1, bar.height() / 2.0 + 1);
}

void CColorPaletteUI::PickAt(const QPoint& point, bool notify) {
    m_exact.reset();
    if (m_drag == Drag::Field) {
        const QRect field = FieldRect();
        const int x = std::clamp(point.x() - field.left(), 0, std::max(1, field.width()));
        const int y = std::clamp(point.y() - field.top(), 0, std::max(1, field.height()));
        m_hue = std::min(359, x * 359 / std::max(1, field.width()));
        m_saturation = 255 - y * 255 / std::max(1, field.height());
    } else if (m_drag == Drag::Bar) {
        const QRect bar = BarRect();
        const int x = std::clamp(point.x() - bar.left(), 0, std::max(1, bar.width()));
        m_value = x * 255 / std::max(1, bar.width());
    }
    update();
    if (notify) {
        SendNotify(notify::kColorChanged, GetSelectColor());
    }
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        return;
    }
    m_drag = event->pos().y() >= BarRect().top() - kGap / 2 ? Drag::Bar : Drag::Field;
    PickAt(event->pos(), true);
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag != Drag::None) {
        PickAt(event->pos(), true);
    }
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* event) {
    (void)event;
    m_drag = Drag::None;
}

}  // namespace quaro
