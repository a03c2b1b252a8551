#pragma once

#include "platform/SystemSettings.h"

#include <mutex>
#include <string>
#include <vector>

namespace quaro {

// Keeps every request with the values a session would have been given, and applies nothing:
// the routes' tests read what they asked for. Can be told to answer as a session that cannot
// set anything.
class RecordingSystemSettings : public SystemSettingsService {
public:
    struct Request {
        // "repeat delay", "repeat speed", "pointer speed", "pointer precision", "wheel lines",
        // "double-click time"
        std::string setting;
        unsigned value = 0;    // as asked
        unsigned applied = 0;  // what a session gets: milliseconds, or the speed as clamped
    };

    explicit RecordingSystemSettings(SettingApplied answer = SettingApplied::kApplied)
        : m_answer(answer) {}

    SettingApplied SetRepeatDelay(unsigned choice) override;
    SettingApplied SetRepeatSpeed(unsigned speed) override;
    SettingApplied SetPointerSpeed(unsigned speed) override;
    SettingApplied SetPointerPrecision(bool on) override;
    SettingApplied SetWheelLines(unsigned lines) override;
    SettingApplied SetDoubleClickTime(unsigned ms) override;

    std::vector<Request> Requests() const;

private:
    SettingApplied Record(std::string setting, unsigned value, unsigned applied);

    SettingApplied m_answer;
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
};

}  // namespace quaro
