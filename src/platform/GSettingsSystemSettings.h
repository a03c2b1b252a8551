#pragma once

#include "platform/SystemSettings.h"

#include <filesystem>
#include <memory>
#include <mutex>

namespace quaro {

// The desktop's own settings store, for desktops whose settings daemon owns keyboard repeat and
// pointer speed: such a daemon puts its values back on the X server whenever it likes, so a value
// set only there would not last. Used only where the desktop's peripheral schemas are installed;
// otherwise every change is not applied.
class GSettingsSystemSettings : public SystemSettingsService {
public:
    static constexpr const char* kKeyboardSchema = "org.gnome.desktop.peripherals.keyboard";
    static constexpr const char* kMouseSchema = "org.gnome.desktop.peripherals.mouse";

    // The session's schemas and settings backend. Tests give a folder of compiled schemas and
    // ask for a backend kept in memory, so they never touch the user's settings.
    GSettingsSystemSettings();
    GSettingsSystemSettings(const std::filesystem::path& schemaFolder, bool memoryBackend);
    ~GSettingsSystemSettings() override;
    GSettingsSystemSettings(const GSettingsSystemSettings&) = delete;
    GSettingsSystemSettings& operator=(const GSettingsSystemSettings&) = delete;

    // Whether the keyboard schema, the mouse schema, or either is installed.
    bool HasKeyboard() const;
    bool HasMouse() const;

    SettingApplied SetRepeatDelay(unsigned choice) override;
    SettingApplied SetRepeatSpeed(unsigned speed) override;
    SettingApplied SetPointerSpeed(unsigned speed) override;
    // "accel-profile" and "double-click" of the mouse schema, where it has them.
    SettingApplied SetPointerPrecision(bool on) override;
    // The desktop keeps no wheel line count: traced as not applied.
    SettingApplied SetWheelLines(unsigned lines) override;
    SettingApplied SetDoubleClickTime(unsigned ms) override;

    // The stored values, for checks; false where the schema is missing.
    bool ReadRepeat(unsigned& delayMs, unsigned& intervalMs) const;
    bool ReadPointerSpeed(double& speed) const;
    bool ReadPointerPrecision(bool& on) const;
    bool ReadDoubleClickTime(int& ms) const;

private:
    struct Store;
    mutable std::mutex m_mutex;
    std::unique_ptr<Store> m_store;
};

}  // namespace quaro
