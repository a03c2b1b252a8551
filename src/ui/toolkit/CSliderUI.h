#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QSlider>

namespace quaro {

// A horizontal slider. Dragging raises "movevaluechanged" at every step and "valuechanged"
// when released; a click or key step raises "valuechanged". SetValue is silent unless asked.
class CSliderUI : public CControlOn<QSlider> {
public:
    explicit CSliderUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Slider"); }

    int GetValue() const { return value(); }
    void SetValue(int value, bool notify = false);
    int GetMinValue() const { return minimum(); }
    int GetMaxValue() const { return maximum(); }
    void SetMinValue(int value) { setMinimum(value); }
    void SetMaxValue(int value) { setMaximum(value); }

    bool SetAttribute(const QString& name, const QString& value) override;

private:
    bool m_programmatic = false;
};

}  // namespace quaro
