#include "devices/pad/PadLightThread.h"

#include "devices/light/LedLightFrame.h"
#include "devices/pad/PadSettingsRecord.h"
#include "platform/Trace.h"

#include <array>
#include <utility>

namespace quaro {

namespace {

// A pass waited twice a millisecond: once on the stop event, once before counting.
constexpr std::chrono::milliseconds kPassPeriod{2};

bool PlaysCustomEffect(std::uint8_t mode) {
    return mode >= kPadLightModeCount || mode == 5;
}

}  // namespace

PadLightThread::PadLightThread(const CommandChannel& channel, MillisecondClock clock,
                               LedDeviceKind kind, int ledCount)
    : m_channel(channel), m_engine(kind, ledCount, clock), m_list(clock), m_pacer(kPassPeriod) {}

PadLightThread::~PadLightThread() {
    Stop();
}

void PadLightThread::Start(std::function<void()> drawn) {
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
                             Drawn(pass == Pass::kCounted || pass == Pass::kStepped);
                             return pass == Pass::kStepped && IsStillMode(Setting().effect) &&
                                    m_list.IsStill();
                         }});
        Trace("MS灯光线程设定退出");
    });
}

void PadLightThread::Stop() {
    m_pacer.Interrupt();
    m_thread.Stop();
}

void PadLightThread::SetSetting(const LightSetting& setting) {
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
}

LightSetting PadLightThread::Setting() const {
    std::lock_guard lock(m_settingMutex);
    return m_setting;
}

void PadLightThread::SetLightList(std::vector<LightSetting> list) {
    m_list.Load(std::move(list));
    m_engine.Compose(m_list);
    m_pacer.Notify();
}

void PadLightThread::SetCustomSteps(std::vector<LightEffectStep> steps) {
    m_engine.CustomEffect().SetSteps(std::move(steps));
    m_pacer.Notify();
}

// Colours set from outside stay only while the light sync drives the device; after it the
// effect must draw its own again.
void PadLightThread::SetAllColors(const LedColor& color) {
    m_engine.SetAllColors(color);
    m_pacer.Notify();
}

void PadLightThread::SetColors(std::span<const LedColor> colors) {
    m_engine.SetColors(colors);
    m_pacer.Notify();
}

std::vector<LedColor> PadLightThread::SnapshotColors() const {
    return m_engine.SnapshotColors();
}

std::size_t PadLightThread::ComposeFrame(std::span<std::uint8_t> out) const {
    std::array<LedColor, kMaxLedCount> colors{};
    const std::span<LedColor> leds(colors.data(), static_cast<std::size_t>(m_engine.LedCount()));
    m_engine.SnapshotColors(leds);
    return ComposeLedLightFrame(leds, out);
}

PadLightThread::Pass PadLightThread::RunPass() {
    if (!m_channel.IsConnected()) {
        return Pass::kDisconnected;
    }
    if (m_channel.LightSync()) {
        return Pass::kSynchronised;
    }
    const LightSetting setting = Setting();
    const std::uint8_t mode = setting.effect;
    Pass pass = Pass::kCounted;
    ++m_counter;
    if (PlaysCustomEffect(mode)) {
        // The custom effect paces itself; it is played on every pass.
        m_engine.Step(mode, setting);
        pass = Pass::kStepped;
    } else if (m_counter >= LedLightPeriod(setting.speed)) {
        m_counter = 0;
        m_engine.Step(mode, setting);
        pass = Pass::kStepped;
    }
    // Every pass, not only those that stepped: the per-LED settings count passes themselves.
    m_engine.Compose(m_list);
    return pass;
}

LightPlan PadLightThread::Plan(bool still) const {
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
    if (PlaysCustomEffect(setting.effect) || !m_list.IsStill() || m_counter + 1 >= period) {
        return LightPlan::Passes(1);
    }
    return LightPlan::Passes(period - m_counter);
}

}  // namespace quaro
