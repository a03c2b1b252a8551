#include "platform/PointerSettingsApplier.h"
#include "platform/RecordingSystemSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace quaro {
namespace {

using Setting = PointerSettingsApplier::Setting;

// A session whose first pointer speed change hangs until the test lets it go, as a slow desktop
// store would.
class SlowSession : public RecordingSystemSettings {
public:
    SettingApplied SetPointerSpeed(unsigned speed) override {
        {
            std::unique_lock lock(m_mutex);
            if (!m_entered) {
                m_entered = true;
                m_changed.notify_all();
                m_changed.wait(lock, [this] { return m_released; });
            }
        }
        return RecordingSystemSettings::SetPointerSpeed(speed);
    }
    void WaitEntered() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_entered; });
    }
    void Release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_entered = false;
    bool m_released = false;
};

std::vector<std::string> Seen(const RecordingSystemSettings& session) {
    std::vector<std::string> seen;
    for (const auto& request : session.Requests()) {
        seen.push_back(request.setting + " " + std::to_string(request.value));
    }
    return seen;
}

TEST(PointerSettingsApplier, ASlowSessionGetsOnlyTheNewestValueOfEachSetting) {
    SlowSession session;
    std::atomic<int> reported{0};
    PointerSettingsApplier applier(session, [&reported](Setting, unsigned, SettingApplied result) {
        EXPECT_EQ(result, SettingApplied::kApplied);
        ++reported;
    });
    applier.Request(Setting::kSpeed, 3);
    session.WaitEntered();
    // A slider dragged while the session hangs: the requests return at once and pile up nothing.
    for (unsigned speed = 4; speed <= 20; ++speed) {
        applier.Request(Setting::kSpeed, speed);
    }
    applier.Request(Setting::kDoubleClick, 900);
    applier.Request(Setting::kWheelLines, 3);
    applier.Request(Setting::kWheelLines, 255);
    applier.Request(Setting::kPrecision, 0);
    applier.Request(Setting::kDoubleClick, 100);
    session.Release();
    applier.WaitIdle();

    const std::vector<std::string> expected = {"pointer speed 3", "pointer speed 20",
                                               "pointer precision 0", "wheel lines 255",
                                               "double-click time 100"};
    EXPECT_EQ(Seen(session), expected);
    EXPECT_EQ(reported.load(), 5);
}

TEST(PointerSettingsApplier, WhatWaitsAtExitIsAppliedBeforeTheThreadIsJoined) {
    RecordingSystemSettings session(SettingApplied::kNotApplied);
    {
        PointerSettingsApplier applier(session);
        applier.Request(Setting::kPrecision, 1);
        applier.Request(Setting::kSpeed, 12);
    }
    std::vector<std::string> seen = Seen(session);
    std::sort(seen.begin(), seen.end());
    const std::vector<std::string> expected = {"pointer precision 1", "pointer speed 12"};
    EXPECT_EQ(seen, expected);
    // An applier that was never asked anything ends at once.
    { PointerSettingsApplier idle(session); }
    EXPECT_EQ(Seen(session).size(), 2u);
}

}  // namespace
}  // namespace quaro
