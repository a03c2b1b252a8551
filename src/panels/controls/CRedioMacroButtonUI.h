#pragma once

#include "ui/toolkit/CButtonUI.h"

namespace quaro {

// The record button: while blinking, its record image pulses between fade levels 80 and 255.
class CRedioMacroButtonUI : public CButtonUI {
public:
    static constexpr int kPulseTimer = 100;
    static constexpr int kPulseMs = 50;

    explicit CRedioMacroButtonUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("RedioMacroButton"); }

    // Starts (or lets end) the pulse.
    void SetBlinking(bool blinking);
    bool IsBlinking() const { return m_blinking; }
    int GetFadeLevel() const { return m_fadeLevel; }
    // One pulse step, as the pulse timer runs it.
    void OnTimer(int id) override;

    bool SetAttribute(const QString& name, const QString& value) override;

private:
    QString m_recordImage;
    int m_fadeLevel = 255;
    bool m_rising = false;
    bool m_blinking = false;
};

}  // namespace quaro
