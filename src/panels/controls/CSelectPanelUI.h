#pragma once

#include "ui/toolkit/CContainerUI.h"

#include <QRect>

namespace quaro {

// The area around a device picture in which the user drags a band to select keys. When the
// band is released every key button it touches is band-selected and "click_select_end" goes
// out.
class CSelectPanelUI : public CVerticalLayoutUI {
public:
    explicit CSelectPanelUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("SelectPanel"); }

    bool IsSelecting() const { return m_selecting; }
    QRect GetSelectionRect() const { return m_selection; }

    // The band's look.
    static constexpr QRgb kBandFill = qRgba(0, 153, 255, 70);
    static constexpr QRgb kBandBorder = qRgb(0, 153, 255);

    // Fills the band and draws its 2-pixel border, in panel coordinates.
    void PaintBand(QPainter& painter) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RefreshBand();

    QWidget* m_overlay;
    bool m_pressed = false;
    bool m_selecting = false;
    QPoint m_start;
    QPoint m_current;
    QRect m_selection;
};

}  // namespace quaro
