#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace quaro {

// What a light thread wants to wait for before its next pass.
struct LightPlan {
    enum class Kind : std::uint8_t {
        kPasses,        // run a pass once `passes` pass periods have gone by since the last one
        kAway,          // the device is away: look again after kAwayWait
        kUntilChanged,  // nothing can change the colours until someone says so
    };
    Kind kind = Kind::kPasses;
    std::uint32_t passes = 1;

    static LightPlan Passes(std::uint32_t count) { return {Kind::kPasses, count < 1 ? 1 : count}; }
    static LightPlan Away() { return {Kind::kAway, 0}; }
    static LightPlan UntilChanged() { return {Kind::kUntilChanged, 0}; }
};

// Paces a light thread on a grid of passes on the steady clock. The thread says how many passes
// it can sleep over (the passes before its next step do nothing but count), and the pacer sleeps
// until the absolute deadline of the pass that is due, so late wake-ups never add up to drift.
// A picture that cannot change (a static effect already drawn) sleeps until Notify: a change of
// setting, list, steps, a reaction or colours set from outside wakes the thread at once, and so
// does Interrupt, which ends the loop.
//
// Threads: Run on the light thread; Notify and Interrupt from any thread. Rearm only while no
// Run is going (between stopping the thread and starting it again).
class LightPacer {
public:
    using Clock = std::chrono::steady_clock;

    // While the device is away the thread looks again this often: a plugged-in device does not
    // tell the light thread.
    static constexpr std::chrono::milliseconds kAwayWait{100};
    // A pass due longer ago than this many periods starts a new grid instead of running the
    // missed passes in a burst.
    static constexpr std::uint32_t kMaxLatePasses = 4;

    // What the loop calls on the light thread.
    struct Hooks {
        // The wait before the next pass; still tells whether the colours are already final.
        std::function<LightPlan(bool still)> plan;
        // Accounts for passes that were slept over: they would only have counted.
        std::function<void(std::uint32_t passes)> skip;
        // Runs one pass; returns whether it left colours that nothing but a change can move.
        std::function<bool()> pass;
    };

    explicit LightPacer(Clock::duration passPeriod);
    LightPacer(const LightPacer&) = delete;
    LightPacer& operator=(const LightPacer&) = delete;

    // The loop of the light thread; returns once interrupted.
    void Run(const Hooks& hooks);

    void Notify();
    void Interrupt();
    void Rearm();

    Clock::duration PassPeriod() const { return m_period; }
    // Passes run and wake-ups taken since construction, for tests and diagnostics.
    std::uint64_t PassCount() const { return m_passes.load(); }
    std::uint64_t WakeCount() const { return m_wakes.load(); }

private:
    enum class Wake : std::uint8_t { kDue, kChanged, kStopped };

    // Sleeps per plan; on kChanged, gone is the number of whole passes that went by.
    Wake Sleep(const LightPlan& plan, std::uint32_t& gone);

    const Clock::duration m_period;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_notified = false;
    bool m_interrupted = false;
    std::atomic<std::uint64_t> m_passes{0};
    std::atomic<std::uint64_t> m_wakes{0};

    Clock::time_point m_anchor{};  // the light thread's own: the deadline of the last pass
};

}  // namespace quaro
