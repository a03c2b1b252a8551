#include "platform/DeferredSystemSettings.h"

namespace quaro {

template <typename Change>
SettingApplied DeferredSystemSettings::Forward(Change change) {
    std::lock_guard lock(m_mutex);
    if (m_open) {
        m_layer = m_open();
        m_open = nullptr;
    }
    return m_layer ? change(*m_layer) : SettingApplied::kNotApplied;
}

SettingApplied DeferredSystemSettings::SetRepeatDelay(unsigned choice) {
    return Forward([choice](SystemSettingsService& layer) { return layer.SetRepeatDelay(choice); });
}

SettingApplied DeferredSystemSettings::SetRepeatSpeed(unsigned speed) {
    return Forward([speed](SystemSettingsService& layer) { return layer.SetRepeatSpeed(speed); });
}

SettingApplied DeferredSystemSettings::SetPointerSpeed(unsigned speed) {
    return Forward([speed](SystemSettingsService& layer) { return layer.SetPointerSpeed(speed); });
}

SettingApplied DeferredSystemSettings::SetPointerPrecision(bool on) {
    return Forward([on](SystemSettingsService& layer) { return layer.SetPointerPrecision(on); });
}

SettingApplied DeferredSystemSettings::SetWheelLines(unsigned lines) {
    return Forward([lines](SystemSettingsService& layer) { return layer.SetWheelLines(lines); });
}

SettingApplied DeferredSystemSettings::SetDoubleClickTime(unsigned ms) {
    return Forward([ms](SystemSettingsService& layer) { return layer.SetDoubleClickTime(ms); });
}

}  // namespace quaro
