#include "panels/controls/CChartViewUI.h"

#include "ui/toolkit/CRenderEngine.h"
#include "ui/toolkit/CResourceManager.h"

#include <QPainter>
#include <QTextDocument>

namespace quaro {
namespace {

// The pie's colours, in order; items beyond them start again.
constexpr QRgb kPalette[] = {
    qRgb(63, 150, 245),  qRgb(255, 90, 1),    qRgb(106, 244, 192), qRgb(245, 234, 106),
    qRgb(252, 123, 151), qRgb(162, 245, 63),  qRgb(157, 144, 252), qRgb(210, 144, 252),
    qRgb(127, 176, 203), qRgb(244, 196, 113), qRgb(162, 194, 133), qRgb(189, 23, 23),
    qRgb(189, 23, 179),  qRgb(97, 23, 189),   qRgb(23, 43, 189),   qRgb(18, 136, 76),
    qRgb(136, 121, 18),  qRgb(136, 38, 18),
};
constexpr int kPaletteSize = static_cast<int>(std::size(kPalette));
constexpr int kLegendWidth = 100;
constexpr int kRowHeight = 18;
constexpr int kRowGap = 4;
constexpr int kTextBand = 25;

}  // namespace

CChartViewUI::CChartViewUI(QWidget* parent) : CControlOn<QWidget>(parent) {}

void CChartViewUI::AddItem(const QString& name, double value) {
    m_items.push_back({name, value});
    update();
}

QColor CChartViewUI::PaletteColour(int index) {
    return QColor(kPalette[index % kPaletteSize]);
}

bool CChartViewUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"view") {
        m_view = value == u"histpgram" ? View::Histogram : View::Pie;
    } else if (name == u"shadowimage") {
        m_shadowImage = value;
    } else if (name == u"shadowimageheight") {
        m_shadowHeight = value.toInt();
    } else if (name == u"pillarimage") {
        m_pillarImage = value;
    } else if (name == u"pillarimagewidth") {
        m_pillarWidth = value.toInt();
    } else if (name == u"showhtml") {
        m_showHtml = ParseBool(value);
    } else if (name == u"showtext") {
        m_showText = ParseBool(value);
    } else if (name == u"font") {
        m_font = value.toInt();
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

void CChartViewUI::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    PaintBackground(painter);
    Paint(painter, rect());
}

void CChartViewUI::Paint(QPainter& painter, const QRect& area) {
    if (m_view == View::Pie) {
        PaintPie(painter, area);
    } else {
        PaintHistogram(painter, area);
    }
}

void CChartViewUI::PaintLabel(QPainter& painter, const QRect& box, const QString& text, int flags) {
    painter.setPen(Qt::black);
    if (m_showHtml) {
        QTextDocument document;
        document.setHtml(text);
        painter.save();
        painter.translate(box.left(), box.top() + (box.height() - document.size().height()) / 2);
        document.drawContents(&painter, QRectF(0, 0, box.width(), box.height()));
        painter.restore();
        return;
    }
    if (m_font >= 0 && GetResourceManager() != nullptr) {
        painter.setFont(GetResourceManager()->GetFont(m_font));
    }
    painter.drawText(box, flags | Qt::TextSingleLine, text);
}

void CChartViewUI::PaintPie(QPainter& painter, const QRect& area) {
    double total = 0;
    for (const Item& item : m_items) {
        total += item.value;
    }
    if (m_items.empty() || total <= 0) {
        return;
    }
    const int legend = m_showText ? kLegendWidth : 0;
    const int diameter = std::min(area.width() - legend - 10, area.height() - 10);
    if (diameter <= 0) {
        return;
    }
    const QRect pie((area.width() - legend - diameter) / 2 + area.left(),
                    (area.height() - diameter) / 2 + area.top(), diameter, diameter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 30, 30));
    painter.drawEllipse(pie.adjusted(-4, -4, 4, 4));
    painter.setBrush(QColor(100, 100, 100, 100));
    painter.drawEllipse(pie.adjusted(-1, -1, 1, 1));
    double start = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const double sweep = m_items[i].value / total * 360.0;
        painter.setBrush(PaletteColour(static_cast<int>(i)));
        painter.drawPie(pie, static_cast<int>(-start * 16), static_cast<int>(-sweep * 16));
        start += sweep;
    }
    painter.restore();
    if (!m_showText) {
        return;
    }
    const int rows = static_cast<int>(m_items.size());
    const int block = rows * kRowHeight + (rows - 1) * kRowGap;
    int top = std::max(area.top() + (area.height() - block) / 2, area.top() + 5);
    const int left = pie.right() + 1 + 10;
    for (int i = 0; i < rows; ++i) {
        const QRect square(left, top, kRowHeight, kRowHeight);
        painter.fillRect(square, PaletteColour(i));
        const QRect text(square.right() + 1 + 5, top, 118 - kRowHeight - 5, kRowHeight);
        PaintLabel(painter, text, m_items[i].name, Qt::AlignLeft | Qt::AlignVCenter);
        top += kRowHeight + kRowGap;
    }
}

void CChartViewUI::PaintHistogram(QPainter& painter, const QRect& area) {
    const int band = m_showText ? kTextBand : 0;
    if (!m_shadowImage.isEmpty()) {
        const QRect strip(area.left(), area.bottom() + 1 - band - m_shadowHeight, area.width(),
                          m_shadowHeight);
        if (!CRenderEngine::DrawImageString(painter, strip, m_shadowImage, GetResourceManager())) {
            m_shadowImage.clear();
        }
    }
    // No pillar width: the gap cannot be computed, so there is nothing to place.
    if (m_items.empty() || m_pillarWidth <= 0) {
        return;
    }
    double max = 0;
    for (const Item& item : m_items) {
        max = std::max(max, item.value);
    }
    const int gap = (area.width() / m_pillarWidth) * 2;
    const int floor = area.bottom() + 1 - band;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const int left = area.left() + gap + static_cast<int>(i) * (gap + m_pillarWidth);
        const int height =
            max > 0 ? static_cast<int>((area.height() - band) * m_items[i].value / max) : 0;
        if (!m_pillarImage.isEmpty()) {
            const QRect pillar(left, floor - height, m_pillarWidth, height);
            if (!CRenderEngine::DrawImageString(painter, pillar, m_pillarImage,
                                                GetResourceManager())) {
                m_pillarImage.clear();
            }
        }
        if (m_showText) {
            const QRect text(left - gap, floor, m_pillarWidth + 2 * gap, band);
            PaintLabel(painter, text, m_items[i].name, Qt::AlignCenter);
        }
    }
}

}  // namespace quaro
