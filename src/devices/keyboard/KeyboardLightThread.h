#pragma once

#include "device/CommandChannel.h"
#include "devices/keyboard/KeyMaps.h"
#include "devices/light/KeyboardLightEngine.h"
#include "devices/light/LightListComposer.h"
#include "devices/light/LightPacer.h"
#include "platform/WorkerThread.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

namespace quaro {

// The keyboard's software light effects on a thread of their own. A pass idles while the
// keyboard is away, stands still while the light sync drives it, and otherwise lets the elapsed
// counter grow by 3 whenever the millisecond tick moved on; once the counter reaches the period of
// the mode at the effective speed the mode's step runs. After every pass the per-LED settings are
// laid over the key colours. Passes fall on a 2 ms grid (the tick moves on by more than a
// millisecond between two of them), and the thread sleeps over the passes that would only count:
// until the next step, or, once a static effect is drawn, until something changes.
//
// Threads: the page's thread sets the light, the key event reader reacts, the frame timer takes
// snapshots. The key colours are only ever reached through the engine's lock, so a frame never
// mixes two steps and a reaction never lands in the middle of one.
class KeyboardLightThread {
public:
    enum class Pass : std::uint8_t {
        kDisconnected,  // the keyboard is away
        kSynchronised,  // the light sync drives the colours
        kCounted,       // counted, no step due
        kStepped,       // the mode's step (or the custom effect) ran
    };

    // The channel (for its connected and light-sync flags) must outlive the thread.
    KeyboardLightThread(const CommandChannel& channel, MillisecondClock clock, RandomSource random);
    ~KeyboardLightThread();
    KeyboardLightThread(const KeyboardLightThread&) = delete;
    KeyboardLightThread& operator=(const KeyboardLightThread&) = delete;

    // Starting a running thread restarts it. drawn, when given, is called on the light thread
    // after every pass that may have moved the colours, so whoever sends them can rest while
    // nothing moves.
    void Start(std::function<void()> drawn = {});
    void Stop();
    // Makes the thread look at the device's flags again at once: the light sync let go of it.
    void Wake() { m_pacer.Notify(); }
    bool IsRunning() const { return m_thread.IsRunning(); }

    // The light the effects play. A change of mode resets the effect and runs the new mode's
    // start step; mode 17 shows customColors (one per logical key). Returns whether it restarted.
    bool SetSetting(const LightSetting& setting,
                    std::span<const CustomLightColor> customColors = {});
    // Starts the current mode afresh with these per-key colours (a key painted in mode 17).
    void RestartEffect(std::span<const CustomLightColor> customColors = {});
    LightSetting Setting() const;

    // The profile's per-LED settings with fresh counters, composed once at once.
    void SetLightList(std::vector<LightSetting> list);
    // The custom effect's steps; playing starts over from the first.
    void SetCustomSteps(std::vector<LightEffectStep> steps);

    // A key event of the keyboard (1 pressed, 2 released) for the reactive modes 6, 7, 8, 23.
    void React(int logicalKey, int event);

    // The light sync's locked colour setter.
    void SetColors(std::span<const LedColor> colors);
    std::array<LedColor, kLogicalKeyCount> SnapshotColors() const;
    KeyboardLightState SnapshotState() const;
    // The light frame of the current colours for these maps; returns its length (0 when out is
    // too short for the maps' frame).
    std::size_t ComposeFrame(const KeyMaps& maps, std::span<std::uint8_t> out) const;

    // One pass of the loop without its waits, for tests and benchmarks that pace it themselves.
    Pass RunPass();

    // The thread's pacing, for tests and diagnostics (passes run, wake-ups taken).
    const LightPacer& Pacer() const { return m_pacer; }

    // Whether a step of this mode draws what the last one drew: such an effect, once drawn,
    // needs no pass until something changes.
    static bool IsStillMode(std::uint8_t mode);

private:
    LightPlan Plan(bool still) const;
    void Drawn(bool moved) const {
        if (moved && m_drawn) {
            m_drawn();
        }
    }
    void Skip(std::uint32_t passes);

    const CommandChannel& m_channel;
    MillisecondClock m_clock;
    KeyboardLightEngine m_engine;
    LightListComposer m_list;

    mutable std::mutex m_settingMutex;
    LightSetting m_setting;
    bool m_started = false;

    // The passing thread's own (RunPass is not reentrant).
    std::uint32_t m_elapsed = 0;
    std::uint32_t m_mark = 0;
    bool m_marked = false;

    std::function<void()> m_drawn;  // set while the thread is stopped
    LightPacer m_pacer;
    WorkerThread m_thread;  // last: stopped before anything it uses goes
};

}  // namespace quaro
