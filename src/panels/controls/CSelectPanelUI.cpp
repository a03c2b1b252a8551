#include "panels/controls/CSelectPanelUI.h"

#include "panels/controls/CDeviceKeyButtonUI.h"

#include <QMouseEvent>
#include <QPainter>

namespace quaro {

namespace {

// Draws the band above the key buttons, which are children of the panel and so would cover
// anything the panel itself paints.
class BandOverlay : public QWidget {
public:
    explicit BandOverlay(CSelectPanelUI* panel) : QWidget(panel), m_panel(panel) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        (void)event;
        if (!m_panel->IsSelecting()) {
            return;
        }
        QPainter painter(this);
        m_panel->PaintBand(painter);
    }

private:
    CSelectPanelUI* m_panel;
};

}  // namespace

CSelectPanelUI::CSelectPanelUI(QWidget* parent)
    : CVerticalLayoutUI(parent), m_overlay(new BandOverlay(this)) {}

void CSelectPanelUI::PaintBand(QPainter& painter) const {
    painter.fillRect(m_selection, QColor::fromRgba(kBandFill));
    painter.setPen(QPen(QColor::fromRgba(kBandBorder), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_selection);
}

void CSelectPanelUI::resizeEvent(QResizeEvent* event) {
    CVerticalLayoutUI::resizeEvent(event);
    m_overlay->setGeometry(rect());
}

void CSelectPanelUI::RefreshBand() {
    m_overlay->setGeometry(rect());
    m_overlay->raise();
    m_overlay->update();
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        m_pressed = true;
        m_start = event->pos();
    }
    event->accept();
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressed) {
        m_selecting = true;
    }
    if (m_selecting) {
        m_current = event->pos();
        m_selection = QRect(
            QPoint(std::min(m_start.x(), m_current.x()), std::min(m_start.y(), m_current.y())),
            QPoint(std::max(m_start.x(), m_current.x()), std::max(m_start.y(), m_current.y())));
        RefreshBand();
    }
    event->accept();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    m_pressed = false;
    if (m_selecting) {
        m_selecting = false;
        // Key buttons may sit in nested layouts; their rectangles are taken in panel
        // coordinates. Touching a corner is enough.
        for (CDeviceKeyButtonUI* key : findChildren<CDeviceKeyButtonUI*>()) {
            const QRect keyRect(key->mapTo(this, QPoint(0, 0)), key->size());
            key->SetBandSelected(keyRect.intersects(m_selection));
        }
        RefreshBand();
        SendNotify(notify::kClickSelectEnd);
    }
    event->accept();
}

}  // namespace quaro
