#pragma once

#include "ui/toolkit/CControlUI.h"

#include <optional>

namespace quaro {

// A colour picker: a hue and saturation field above a brightness bar. A choice by the user
// raises "colorchanged"; SetSelectColor is silent.
class CColorPaletteUI : public CControlOn<QWidget> {
public:
    explicit CColorPaletteUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("ColorPalette"); }

    // 0xAARRGGBB, alpha always 0xFF.
    uint32_t GetSelectColor() const;
    void SetSelectColor(uint32_t argb);

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect FieldRect() const;
    QRect BarRect() const;
    void PickAt(const QPoint& point, bool notify);

    int m_hue = 0;           // 0..359
    int m_saturation = 255;  // 0..255
    int m_value = 255;       // 0..255
    std::optional<uint32_t> m_exact;
    int m_barHeight = 14;
    enum class Drag { None, Field, Bar } m_drag = Drag::None;
};

}  // namespace quaro
