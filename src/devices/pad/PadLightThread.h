#pragma once

#include "device/CommandChannel.h"
#include "devices/light/LedLightEngine.h"
#include "devices/light/LightListComposer.h"
#include "devices/light/LightPacer.h"
#include "platform/WorkerThread.h"
#include "profiles/ProfileRecords.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

namespace quaro {

// The pad's fifteen LEDs in a row; a light frame carries one RGB triple per LED.
inline constexpr int kPadLedCount = 15;
inline constexpr std::size_t kPadFrameSize = 3 * kPadLedCount;

// The software light effects of the mouse pad (and of the headset, whose light record and effects
// are the pad's over its own row of LEDs) on a thread of their own. A pass idles while the
// device is away, stands still while the light sync drives the pad, and otherwise counts itself
// and runs the mode's step once the count reaches the period of the speed; after every pass the
// per-LED settings are laid over the result. Passes fall on a 2 ms grid, and the thread sleeps
// over the passes that would only count: until the next step, or, once a static effect is drawn,
// until something changes.
//
// Threads: the page's thread (and the light sync) call everything public; the colours are only
// ever reached through the engine's lock, so a frame never mixes two steps.
class PadLightThread {
public:
    // What one pass did.
    enum class Pass : std::uint8_t {
        kDisconnected,  // the device is away
        kSynchronised,  // the light sync drives the colours
        kCounted,       // counted, no step due
        kStepped,       // the mode's step ran
    };

    // The channel (for its connected and light-sync flags) must outlive the thread. The kind
    // picks the device's own steps; ledCount is at most kMaxLedCount.
    PadLightThread(const CommandChannel& channel, MillisecondClock clock,
                   LedDeviceKind kind = LedDeviceKind::kPad, int ledCount = kPadLedCount);
    ~PadLightThread();
    PadLightThread(const PadLightThread&) = delete;
    PadLightThread& operator=(const PadLightThread&) = delete;

    // Starting a running thread restarts it.
    // Starting a running thread restarts it. drawn, when given, is called on the light thread
    // after every pass that may have moved the colours, so whoever sends them can rest while
    // nothing moves.
    void Start(std::function<void()> drawn = {});
    void Stop();
    // Makes the thread look at the device's flags again at once: the light sync let go of it.
    void Wake() { m_pacer.Notify(); }
    bool IsRunning() const { return m_thread.IsRunning(); }

    // The light the effects play: the effect is the pad's mode (0-8; others play the custom
    // effect), the speed picks the period. A change of mode starts the effect afresh.
    void SetSetting(const LightSetting& setting);
    LightSetting Setting() const;

    // The profile's per-LED settings, with fresh counters, composed once at once so the page
    // shows them before the next pass.
    void SetLightList(std::vector<LightSetting> list);
    // The custom effect's steps; playing starts over from the first.
    void SetCustomSteps(std::vector<LightEffectStep> steps);

    // The locked colour setter of the light sync: every LED takes the colour.
    void SetAllColors(const LedColor& color);
    void SetColors(std::span<const LedColor> colors);
    std::vector<LedColor> SnapshotColors() const;
    // The light frame of the current colours (45 bytes on the pad); returns its length.
    std::size_t ComposeFrame(std::span<std::uint8_t> out) const;

    // One pass of the loop without its waits: what the thread does every couple of
    // milliseconds, for tests and measurements that pace it themselves.
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
    LedLightEngine m_engine;
    LightListComposer m_list;

    mutable std::mutex m_settingMutex;
    LightSetting m_setting;

    std::uint32_t m_counter = 0;    // the passing thread's own (RunPass is not reentrant)
    std::function<void()> m_drawn;  // set while the thread is stopped
    LightPacer m_pacer;
    WorkerThread m_thread;  // last: stopped before anything it uses goes
};

}  // namespace quaro
