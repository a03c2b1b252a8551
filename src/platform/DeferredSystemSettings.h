#pragma once

#include "platform/SystemSettings.h"

#include <functional>
#include <memory>
#include <mutex>

namespace quaro {

// A layer opened when a setting is first changed rather than at start. The desktop's settings
// store costs its library's set-up (types, schema lookup: 1.7 MiB resident) to a process that
// may never change a setting. A layer the opener cannot give (nothing installed) stays absent:
// every change answers kNotApplied and nothing is traced, as if the layer had never been added.
class DeferredSystemSettings : public SystemSettingsService {
public:
    using Opener = std::function<std::unique_ptr<SystemSettingsService>()>;

    explicit DeferredSystemSettings(Opener open) : m_open(std::move(open)) {}

    SettingApplied SetRepeatDelay(unsigned choice) override;
    SettingApplied SetRepeatSpeed(unsigned speed) override;
    SettingApplied SetPointerSpeed(unsigned speed) override;
    SettingApplied SetPointerPrecision(bool on) override;
    SettingApplied SetWheelLines(unsigned lines) override;
    SettingApplied SetDoubleClickTime(unsigned ms) override;

private:
    template <typename Change>
    SettingApplied Forward(Change change);

    std::mutex m_mutex;
    Opener m_open;
    std::unique_ptr<SystemSettingsService> m_layer;
};

}  // namespace quaro
