#include "platform/RecordingSystemSettings.h"

#include <algorithm>
#include <utility>

namespace quaro {

SettingApplied RecordingSystemSettings::SetRepeatDelay(unsigned choice) {
    return Record("repeat delay", choice, RepeatDelayMs(choice));
}

SettingApplied RecordingSystemSettings::SetRepeatSpeed(unsigned speed) {
    return Record("repeat speed", speed, RepeatIntervalMs(speed));
}

SettingApplied RecordingSystemSettings::SetPointerSpeed(unsigned speed) {
    return Record("pointer speed", speed, std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed));
}

SettingApplied RecordingSystemSettings::SetPointerPrecision(bool on) {
    return Record("pointer precision", on ? 1 : 0, on ? 1 : 0);
}

SettingApplied RecordingSystemSettings::SetWheelLines(unsigned lines) {
    return Record("wheel lines", lines, lines);
}

SettingApplied RecordingSystemSettings::SetDoubleClickTime(unsigned ms) {
    return Record("double-click time", ms, ms);
}

std::vector<RecordingSystemSettings::Request> RecordingSystemSettings::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

SettingApplied RecordingSystemSettings::Record(std::string setting, unsigned value,
                                               unsigned applied) {
    std::lock_guard lock(m_mutex);
    m_requests.push_back({std::move(setting), value, applied});
    return m_answer;
}

}  // namespace quaro
