#include "devices/pad/PadLightThread.h"

#include "devices/light/LedLightFrame.h"
#include "devices/pad/PadSettingsRecord.h"
#include "platform/Trace.h"

#include <array>
#include <utility>

namespace quaro {

namespace {

constexpr std::uint32_t kPassWaitMs = 1;
constexpr std::uint32_t kIdleWaitMs = 100;

}  // namespace

PadLightThread::PadLightThread(const CommandChannel& channel, MillisecondClock clock,
                               LedDeviceKind kind, int ledCount)
    : m_channel(channel), m_engine(kind, ledCount, clock), m_list(clock) {}

PadLightThread::~PadLightThread() {
    Stop();
}

void PadLightThread::Start() {
    m_thread.Start([this](StopEvent& stop) { Loop(stop); });
}

void PadLightThread::Stop() {
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
}

LightSetting PadLightThread::Setting() const {
    std::lock_guard lock(m_settingMutex);
    return m_setting;
}

void PadLightThread::SetLightList(std::vector<LightSetting> list) {
    m_list.Load(std::move(list));
    m_engine.Compose(m_list);
}

void PadLightThread::SetCustomSteps(std::vector<LightEffectStep> steps) {
    m_engine.CustomEffect().SetSteps(std::move(steps));
}

void PadLightThread::SetAllColors(const LedColor& color) {
    m_engine.SetAllColors(color);
}

void PadLightThread::SetColors(std::span<const LedColor> colors) {
    m_engine.SetColors(colors);
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
    if (mode >= kPadLightModeCount || mode == 5) {
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

void PadLightThread::Loop(StopEvent& stop) {
    while (!stop.Wait(kPassWaitMs)) {
        if (!m_channel.IsConnected()) {
            if (stop.Wait(kIdleWaitMs)) {
                break;
            }
            continue;
        }
        if (m_channel.LightSync()) {
            continue;
        }
        if (stop.Wait(kPassWaitMs)) {
            break;
        }
        RunPass();
    }
    Trace("MS灯光线程设定退出");
}

}  // namespace quaro
