#pragma once

#include "ui/toolkit/CButtonUI.h"

namespace quaro {

// A picture tile with a small delete area near its bottom-right corner: releasing over that
// area raises "click_handdelete", releasing elsewhere clicks the tile.
class CHandImgButtonUI : public CButtonUI {
public:
    explicit CHandImgButtonUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("HandImgButton"); }

    void SetDeleteDisabled(bool disabled) { m_deleteDisabled = disabled; }
    bool IsDeleteDisabled() const { return m_deleteDisabled; }
    // The delete area in widget coordinates: 20 x 20, its top 29 above the bottom edge and its
    // left 30 left of the right edge (scaled).
    QRect DeleteArea() const;
    QString GetDeleteImageInUse() const { return m_deleteImage; }

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int Scaled(int pixels) const;

    QString m_handImage;
    QString m_deleteImage;
    QString m_deleteNormalImage;
    QString m_deleteHotImage;
    bool m_deleteDisabled = true;
    bool m_captured = false;
};

}  // namespace quaro
