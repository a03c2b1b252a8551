#pragma once

#include "device/CommandChannel.h"
#include "devices/light/LedLightEngine.h"
#include "devices/light/LightPacer.h"
#include "platform/WorkerThread.h"
#include "profiles/ProfileRecords.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

namespace quaro {

// The mouse's LEDs: nine groups of three, which its group chase lights group by group. A light
// frame carries one RGB triple per LED.
inline constexpr int kMouseLedCount = 27;
inline constexpr std::size_t kMouseFrameSize = 3 * kMouseLedCount;

// The software light effects of the mouse on a thread of their own. A pass idles while the mouse
// is away, stands still while the light sync drives it, and otherwise counts one whenever the
// millisecond clock moved on since the last count; once the count reaches the period of the speed
// the mode's step runs. Modes 0-8 are the mouse's own (wave, base steps, nine-group chase); any
// other mode plays the custom effect, which paces itself, on every pass. Unlike the pad, the mouse
// lays no per-LED settings over its colours. Passes fall on a 1 ms grid, and the thread sleeps
// over the passes that would only count: until the next step, or, once a static effect is drawn,
// until something changes.
//
// Threads: the page's thread (and the light sync) call everything public; the colours are only
// ever reached through the engine's lock, so a frame never mixes two steps.
class MouseLightThread {
public:
    enum class Pass : std::uint8_t {
        kDisconnected,  // the mouse is away
        kSynchronised,  // the light sync drives the colours
        kIdle,          // the clock has not moved on since the last count
        kCounted,       // counted, no step due
        kStepped,       // the mode's step (or the custom effect) ran
    };

    // The channel (for its connected and light-sync flags) must outlive the thread.
    MouseLightThread(const CommandChannel& channel, MillisecondClock clock);
    ~MouseLightThread();
    MouseLightThread(const MouseLightThread&) = delete;
    MouseLightThread& operator=(const MouseLightThread&) = delete;

    // Starting a running thread restarts it.
    // Starting a running thread restarts it. drawn, when given, is called on the light thread
    // after every pass that may have moved the colours, so whoever sends them can rest while
    // nothing moves.
    void Start(std::function<void()> drawn = {});
    void Stop();
    // Makes the thread look at the device's flags again at once: the light sync let go of it.
    void Wake() { m_pacer.Notify(); }
    bool IsRunning() const { return m_thread.IsRunning(); }

    // The light the effects play; the speed picks the period. A change of mode starts the effect
    // afresh. Returns whether it did.
    bool SetSetting(const LightSetting& setting);
    LightSetting Setting() const;
    // The custom effect's steps; playing starts over from the first.
    void SetCustomSteps(std::vector<LightEffectStep> steps);
    // The page's flags of the group chase, one per direction (see LedLightEngine).
    void SetGroupColorFlags(bool forward, bool backward);

    // The locked colour setters of the light sync.
    void SetAllColors(const LedColor& color);
    void SetColors(std::span<const LedColor> colors);
    std::vector<LedColor> SnapshotColors() const;
    LedLightState SnapshotState() const;
    // The light frame of the current colours (81 bytes); returns its length.
    std::size_t ComposeFrame(std::span<std::uint8_t> out) const;

    // One pass of the loop without its waits, for tests and measurements that pace it themselves.
    Pass RunPass();

    // The thread's pacing, for tests and diagnostics (passes run, wake-ups taken).
    const LightPacer& Pacer() const { return m_pacer; }

    // Whether a step of this mode draws what the last one drew (static, off).
    static bool IsStillMode(std::uint8_t mode) { return mode == 3 || mode == 8; }

private:
    LightPlan Plan(bool still) const;
    void Drawn(bool moved) const {
        if (moved && m_drawn) {
            m_drawn();
        }
    }

    const CommandChannel& m_channel;
    MillisecondClock m_clock;
    LedLightEngine m_engine;

    mutable std::mutex m_settingMutex;
    LightSetting m_setting;

    // The passing thread's own (RunPass is not reentrant).
    std::uint32_t m_counter = 0;
    std::uint32_t m_mark = 0;  // the clock at the last count

    std::function<void()> m_drawn;  // set while the thread is stopped
    LightPacer m_pacer;
    WorkerThread m_thread;  // last: stopped before anything it uses goes
};

}  // namespace quaro
