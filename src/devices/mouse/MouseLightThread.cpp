#include "devices/mouse/MouseLightThread.h"

#include "devices/light/LedLightFrame.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "platform/Trace.h"

#include <array>
#include <utility>

namespace quaro {

namespace {

constexpr std::uint32_t kPassWaitMs = 1;
constexpr std::uint32_t kIdleWaitMs = 100;

}  // namespace

MouseLightThread::MouseLightThread(const CommandChannel& channel, MillisecondClock clock)
    : m_channel(channel),
      m_clock(clock),
      m_engine(LedDeviceKind::kMouse, kMouseLedCount, clock),
      m_mark(m_clock()) {}

MouseLightThread::~MouseLightThread() {
    Stop();
}

void MouseLightThread::Start() {
    m_thread.Start([this](StopEvent& stop) { Loop(stop); });
}

void MouseLightThread::Stop() {
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
    return restart;
}

LightSetting MouseLightThread::Setting() const {
    std::lock_guard lock(m_settingMutex);
    return m_setting;
}

void MouseLightThread::SetCustomSteps(std::vector<LightEffectStep> steps) {
    m_engine.CustomEffect().SetSteps(std::move(steps));
}

void MouseLightThread::SetGroupColorFlags(bool forward, bool backward) {
    m_engine.SetGroupColorFlags(forward, backward);
}

void MouseLightThread::SetAllColors(const LedColor& color) {
    m_engine.SetAllColors(color);
}

void MouseLightThread::SetColors(std::span<const LedColor> colors) {
    m_engine.SetColors(colors);
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

void MouseLightThread::Loop(StopEvent& stop) {
    while (!stop.Wait(kPassWaitMs)) {
        if (!m_channel.IsConnected()) {
            if (stop.Wait(kIdleWaitMs)) {
                break;
            }
            continue;
        }
        RunPass();
    }
    Trace("MS灯光线程设定退出");
}

}  // namespace quaro
