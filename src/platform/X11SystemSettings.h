#pragma once

#include "platform/SystemSettings.h"

#include <memory>
#include <mutex>
#include <string>

namespace quaro {

// The X server's own controls: XKB auto-repeat for the keyboard, pointer control for the mouse
// (its acceleration fraction is the speed, its threshold the precision).
// Opens its own connection to the display, so it never shares one with the toolkit.
class X11SystemSettings : public SystemSettingsService {
public:
    // An empty name means the session's display ($DISPLAY).
    explicit X11SystemSettings(const std::string& displayName = {});
    ~X11SystemSettings() override;
    X11SystemSettings(const X11SystemSettings&) = delete;
    X11SystemSettings& operator=(const X11SystemSettings&) = delete;

    // False when there is no display or it has no keyboard extension; every change is then
    // traced as not applied.
    bool IsAvailable() const;

    SettingApplied SetRepeatDelay(unsigned choice) override;
    SettingApplied SetRepeatSpeed(unsigned speed) override;
    SettingApplied SetPointerSpeed(unsigned speed) override;
    SettingApplied SetPointerPrecision(bool on) override;
    // The X server keeps neither: traced as not applied.
    SettingApplied SetWheelLines(unsigned lines) override;
    SettingApplied SetDoubleClickTime(unsigned ms) override;

    // The server's auto-repeat as it stands, for checks; false without a display.
    bool ReadRepeat(unsigned& delayMs, unsigned& intervalMs) const;
    // The server's pointer acceleration as it stands; false without a display.
    bool ReadPointerAcceleration(int& numerator, int& denominator) const;
    bool ReadPointerThreshold(int& threshold) const;

private:
    SettingApplied SetRepeat(unsigned delayMs, unsigned intervalMs, bool setDelay);

    struct Connection;
    mutable std::mutex m_mutex;
    std::unique_ptr<Connection> m_connection;
};

}  // namespace quaro
