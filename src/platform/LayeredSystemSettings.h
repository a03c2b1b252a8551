#pragma once

#include "platform/SystemSettings.h"

#include <memory>
#include <vector>

namespace quaro {

// Applies every change to each service in turn: the X server for an immediate effect, the
// desktop's store so that its daemon keeps the value. Applied when any service applied it;
// failed when none applied it and one refused; otherwise not applied.
class LayeredSystemSettings : public SystemSettingsService {
public:
    explicit LayeredSystemSettings(std::vector<std::unique_ptr<SystemSettingsService>> layers);

    SettingApplied SetRepeatDelay(unsigned choice) override;
    SettingApplied SetRepeatSpeed(unsigned speed) override;
    SettingApplied SetPointerSpeed(unsigned speed) override;
    SettingApplied SetPointerPrecision(bool on) override;
    SettingApplied SetWheelLines(unsigned lines) override;
    SettingApplied SetDoubleClickTime(unsigned ms) override;

private:
    template <typename Change>
    SettingApplied Each(Change change);

    std::vector<std::unique_ptr<SystemSettingsService>> m_layers;
};

// The session's settings as the application changes them: the X server's controls, and the
// desktop's store where its schemas are installed.
std::unique_ptr<SystemSettingsService> MakeSessionSystemSettings();

}  // namespace quaro
