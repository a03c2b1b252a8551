#pragma once

#include "platform/SystemSettings.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace quaro {

// Hands the mouse page's pointer settings to the session on a thread of its own, so that a slow
// desktop store never holds up the window. A slider dragged across its range asks for many
// values in a row; only the newest value of each setting waits, so the session ends at what the
// user left and the queue never grows. The thread lives as long as the applier, and the
// destructor applies what still waits before it joins, so no change is lost at exit and nothing
// runs after its owner is gone.
//
// Threads: Request from any thread; the service is used on the applier's thread only.
class PointerSettingsApplier {
public:
    enum class Setting : std::uint8_t { kSpeed, kPrecision, kWheelLines, kDoubleClick };
    static constexpr std::size_t kSettingCount = 4;

    // Called on the applier's thread after each change, with what the session made of it.
    using Applied = std::function<void(Setting setting, unsigned value, SettingApplied result)>;

    explicit PointerSettingsApplier(SystemSettingsService& service, Applied applied = {});
    ~PointerSettingsApplier();
    PointerSettingsApplier(const PointerSettingsApplier&) = delete;
    PointerSettingsApplier& operator=(const PointerSettingsApplier&) = delete;

    // Replaces any value of the same setting still waiting. Values are what the service takes:
    // the speed 1-20, 0 or 1 for precision, the line count, the time in milliseconds.
    void Request(Setting setting, unsigned value);

    // Waits until nothing waits and nothing is being applied; for tests and orderly exits.
    void WaitIdle();

    static const char* Name(Setting setting);

private:
    void Run();
    SettingApplied Apply(Setting setting, unsigned value);

    SystemSettingsService& m_service;
    Applied m_applied;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::array<std::optional<unsigned>, kSettingCount> m_waiting{};
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace quaro
