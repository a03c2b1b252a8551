#include "ui/toolkit/CSliderUI.h"

namespace quaro {

CSliderUI::CSliderUI(QWidget* parent) : CControlOn<QSlider>(parent) {
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::NoFocus);
    QObject::connect(this, &QSlider::valueChanged, this, [this](int value) {
        if (m_programmatic) {
            return;
        }
        SendNotify(isSliderDown() ? notify::kMoveValueChanged : notify::kValueChanged,
                   static_cast<WPARAM>(value));
    });
    QObject::connect(this, &QSlider::sliderReleased, this,
                     [this] { SendNotify(notify::kValueChanged, static_cast<WPARAM>(value())); });
}

void CSliderUI::SetValue(int newValue, bool notify) {
    m_programmatic = true;
    setValue(newValue);
    m_programmatic = false;
    if (notify) {
        SendNotify(notify::kValueChanged, static_cast<WPARAM>(value()));
    }
}

bool CSliderUI::SetAttribute(const QString& name, const QString& value) {
    if (SetRangeAttribute(*this, name, value)) {
        return true;
    }
    if (name == u"step") {
        setSingleStep(value.toInt());
        setPageStep(value.toInt());
    } else if (name == u"vertical") {
        setOrientation(ParseBool(value) ? Qt::Vertical : Qt::Horizontal);
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

}  // namespace quaro
