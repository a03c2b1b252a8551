#include "panels/controls/CRedioMacroButtonUI.h"

namespace quaro {

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent) : CButtonUI(parent) {}

void CRedioMacroButtonUI::SetBlinking(bool blinking) {
    m_blinking = blinking;
    if (blinking) {
        SetTimer(kPulseTimer, kPulseMs);
    }
}

void CRedioMacroButtonUI::OnTimer(int id) {
    if (id != kPulseTimer) {
        CButtonUI::OnTimer(id);
        return;
    }
    KillTimer(kPulseTimer);
    if (!m_recordImage.isEmpty()) {
        if (m_rising) {
            m_fadeLevel += 20;
            if (m_fadeLevel > 254) {
                m_fadeLevel = 255;
                m_rising = false;
            }
        } else {
            m_fadeLevel -= 20;
            if (m_fadeLevel <= 80) {
                m_fadeLevel = 80;
                m_rising = true;
            }
        }
        SetNormalImage(QStringLiteral("res='%1' fade='%2'").arg(m_recordImage).arg(m_fadeLevel));
    }
    if (m_blinking) {
        SetTimer(kPulseTimer, kPulseMs);
    }
}

bool CRedioMacroButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"redioimage") {
        m_recordImage = value;
        return true;
    }
    return CButtonUI::SetAttribute(name, value);
}

}  // namespace quaro
