#pragma once

#include "ui/toolkit/CControlUI.h"

#include <QProgressBar>

namespace quaro {

// A progress bar with a value range and, for controls that draw themselves, a foreground colour.
class CProgressUI : public CControlOn<QProgressBar> {
public:
    explicit CProgressUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Progress"); }

    int GetValue() const { return value(); }
    void SetValue(int value);
    int GetMinValue() const { return minimum(); }
    int GetMaxValue() const { return maximum(); }
    void SetMinValue(int value) { setMinimum(value); }
    void SetMaxValue(int value) { setMaximum(value); }
    uint32_t GetForeColor() const { return m_foreColor; }
    void SetForeColor(uint32_t argb);

    bool SetAttribute(const QString& name, const QString& value) override;

private:
    uint32_t m_foreColor = 0xFF3A7BFF;
};

}  // namespace quaro
