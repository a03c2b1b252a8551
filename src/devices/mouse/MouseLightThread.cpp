#include "devices/mouse/MouseLightThread.h"

#include "devices/light/LedLightFrame.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "platform/Trace.h"

#include <array>
#include <utility>

namespace quaro {

namespace {

// The mouse counts clock movements: one pass per millisecond sees each of them.
constexpr std::chrono::milliseconds kPassPeriod{1};

}  // namespace

MouseLightThread::MouseLightThread(const CommandChannel& channel, MillisecondClock clock)
    : m_channel(channel),
      m_clock(clock),
      m_engine(LedDeviceKind::kMouse, kMouseLedCount, clock),
      m_mark(m_clock()),
      m_pacer(kPassPeriod) {}

MouseLightThread::~MouseLightThread() {
    Stop();
}

void MouseLightThread::Start(std::function<void()> drawn) {
    // The running loop sleeps on the pacer, not on the stop event: end it there first.
    Stop();
    m_drawn = std::move(drawn);
    m_pacer.Rearm();
    m_thread.Start([this](StopEvent&) {
        m_pacer.Run({.plan = [this](bool still) { return Plan(still); },
                     .skip = [this](std::uint32_t passes) { m_counter += passes; },
                     .pass =
                         [this] {
                             const Pass pass = RunPass();
                             Drawn(pass == Pass::kStepped);
                             return pass == Pass::kStepped && IsStillMode(Setting().effect);
                         }});
        Trace("MS灯光线程设定退出");
    });
}

void MouseLightThread::Stop() {
    m_pacer.Interrupt();
    m_thread.Stop();
}

bool MouseLightThread::SetSetting(const LightSetting& setting) {
    bool restart = false;
    {
        std::lock_guard lock(m_settingMutex);
        restart = setting.effect != m_setting.effect;
        m_setting = setting;
    }
    if (restart) {
        m_engine.Start();
    }
    m_pacer.Notify();
    return restart;
}

LightSetting MouseLightThread::Setting() const {
    std::lock_guard lock(m_settingMutex);
    return m_setting;
}

void MouseLightThread::SetCustomSteps(std::vector<LightEffectStep> steps) {
    m_engine.CustomEffect().SetSteps(std::move(steps));
    m_pacer.Notify();
}

void MouseLightThread::SetGroupColorFlags(bool forward, bool backward) {
    m_engine.SetGroupColorFlags(forward, backward);
    m_pacer.Notify();
}

// Colours set from outside stay only while the light sync drives the mouse; after it the effect
// must draw its own again.
void MouseLightThread::SetAllColors(const LedColor& color) {
    m_engine.SetAllColors(color);
    m_pacer.Notify();
}

void MouseLightThread::SetColors(std::span<const LedColor> colors) {
    m_engine.SetColors(colors);
    m_pacer.Notify();
}

std::vector<LedColor> MouseLightThread::SnapshotColors() const {
    return m_engine.SnapshotColors();
}

LedLightState MouseLightThread::SnapshotState() const {
    return m_engine.SnapshotState();
}

std::size_t MouseLightThread::ComposeFrame(std::span<std::uint8_t> out) const {
    std::array<LedColor, kMouseLedCount> colors{};
    m_engine.SnapshotColors(colors);
    return ComposeLedLightFrame(colors, out);
}

MouseLightThread::Pass MouseLightThread::RunPass() {
    if (!m_channel.IsConnected()) {
        return Pass::kDisconnected;
    }
    if (m_channel.LightSync()) {
        return Pass::kSynchronised;
    }
    const LightSetting setting = Setting();
    const std::uint8_t mode = setting.effect;
    if (mode >= kMouseLightModeCount) {
        // The custom effect counts its own passes.
        m_engine.Step(mode, setting);
        return Pass::kStepped;
    }
    const std::uint32_t now = m_clock();
    // The mouse counts clock movements, not passes, so a thread that is woken late does not
    // slow the effect down further than the clock did.
    if (now == m_mark) {
        return Pass::kIdle;
    }
    m_mark = now;
    ++m_counter;
    if (m_counter < LedLightPeriod(setting.speed)) {
        return Pass::kCounted;
    }
    m_counter = 0;
    m_engine.Step(mode, setting);
    return Pass::kStepped;
}

LightPlan MouseLightThread::Plan(bool still) const {
    if (!m_channel.IsConnected()) {
        return still ? LightPlan::UntilChanged() : LightPlan::Away();
    }
    if (m_channel.LightSync()) {
        // The light sync sets the colours; its runner wakes the thread when it lets go.
        return LightPlan::UntilChanged();
    }
    if (still) {
        return LightPlan::UntilChanged();
    }
    const LightSetting setting = Setting();
    const std::uint32_t period = LedLightPeriod(setting.speed);
    if (setting.effect >= kMouseLightModeCount || m_counter + 1 >= period) {
        return LightPlan::Passes(1);
    }
    return LightPlan::Passes(period - m_counter);
}

}  // namespace quaro
