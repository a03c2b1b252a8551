#include "ui/toolkit/CProgressUI.h"

namespace quaro {

CProgressUI::CProgressUI(QWidget* parent) : CControlOn<QProgressBar>(parent) {
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
}

void CProgressUI::SetValue(int newValue) {
    setValue(std::clamp(newValue, minimum(), maximum()));
}

void CProgressUI::SetForeColor(uint32_t argb) {
    m_foreColor = argb;
    update();
}

bool CProgressUI::SetAttribute(const QString& name, const QString& value) {
    if (SetRangeAttribute(*this, name, value)) {
        return true;
    }
    if (name == u"forecolor") {
        SetForeColor(ParseColor(value));
    } else if (name == u"showtext") {
        setTextVisible(ParseBool(value));
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

}  // namespace quaro
