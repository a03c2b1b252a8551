#include "platform/LayeredSystemSettings.h"

#include "platform/DeferredSystemSettings.h"
#include "platform/GSettingsSystemSettings.h"
#include "platform/X11SystemSettings.h"

namespace quaro {

LayeredSystemSettings::LayeredSystemSettings(
    std::vector<std::unique_ptr<SystemSettingsService>> layers)
    : m_layers(std::move(layers)) {}

template <typename Change>
SettingApplied LayeredSystemSettings::Each(Change change) {
    bool applied = false;
    bool failed = false;
    // Every layer gets the change even after one took it: each keeps its own copy of the value.
    for (const std::unique_ptr<SystemSettingsService>& layer : m_layers) {
        const SettingApplied result = change(*layer);
        applied = applied || result == SettingApplied::kApplied;
        failed = failed || result == SettingApplied::kFailed;
    }
    if (applied) {
        return SettingApplied::kApplied;
    }
    return failed ? SettingApplied::kFailed : SettingApplied::kNotApplied;
}

SettingApplied LayeredSystemSettings::SetRepeatDelay(unsigned choice) {
    return Each([choice](SystemSettingsService& layer) { return layer.SetRepeatDelay(choice); });
}

SettingApplied LayeredSystemSettings::SetRepeatSpeed(unsigned speed) {
    return Each([speed](SystemSettingsService& layer) { return layer.SetRepeatSpeed(speed); });
}

SettingApplied LayeredSystemSettings::SetPointerSpeed(unsigned speed) {
    return Each([speed](SystemSettingsService& layer) { return layer.SetPointerSpeed(speed); });
}

SettingApplied LayeredSystemSettings::SetPointerPrecision(bool on) {
    return Each([on](SystemSettingsService& layer) { return layer.SetPointerPrecision(on); });
}

SettingApplied LayeredSystemSettings::SetWheelLines(unsigned lines) {
    return Each([lines](SystemSettingsService& layer) { return layer.SetWheelLines(lines); });
}

SettingApplied LayeredSystemSettings::SetDoubleClickTime(unsigned ms) {
    return Each([ms](SystemSettingsService& layer) { return layer.SetDoubleClickTime(ms); });
}

std::unique_ptr<SystemSettingsService> MakeSessionSystemSettings() {
    std::vector<std::unique_ptr<SystemSettingsService>> layers;
    layers.push_back(std::make_unique<X11SystemSettings>());
    layers.push_back(
        std::make_unique<DeferredSystemSettings>([]() -> std::unique_ptr<SystemSettingsService> {
            auto desktop = std::make_unique<GSettingsSystemSettings>();
            if (desktop->HasKeyboard() || desktop->HasMouse()) {
                return desktop;
            }
            return nullptr;
        }));
    return std::make_unique<LayeredSystemSettings>(std::move(layers));
}

}  // namespace quaro
