#include "devices/keyboard/KeyboardLightThread.h"

#include "devices/keyboard/KeyLightFrame.h"
#include "platform/Trace.h"

#include <utility>

namespace quaro {

namespace {

constexpr std::uint32_t kPassWaitMs = 1;
constexpr std::uint32_t kIdleWaitMs = 100;
// What the elapsed counter gains each time the tick moved on: the periods of the mode tables
// were tuned against a thread that got round about every three milliseconds.
constexpr std::uint32_t kElapsedPerTick = 3;

}  // namespace

KeyboardLightThread::KeyboardLightThread(const CommandChannel& channel, MillisecondClock clock,
                                         RandomSource random)
    : m_channel(channel), m_clock(clock), m_engine(clock, std::move(random)), m_list(clock) {}

KeyboardLightThread::~KeyboardLightThread() {
    Stop();
}

void KeyboardLightThread::Start() {
    m_thread.Start([this](StopEvent& stop) { Loop(stop); });
}

void KeyboardLightThread::Stop() {
    m_thread.Stop();
}

bool KeyboardLightThread::SetSetting(const LightSetting& setting,
                                     std::span<const CustomLightColor> customColors) {
    bool restart = false;
    {
        std::lock_guard lock(m_settingMutex);
        // The first setting starts its effect even when its mode is 0, the mode nothing ran yet.
        restart = !m_started || setting.effect != m_setting.effect;
        m_started = true;
        m_setting = setting;
    }
    if (restart) {
        m_engine.Start(setting.effect, customColors);
    }
    return restart;
}

void KeyboardLightThread::RestartEffect(std::span<const CustomLightColor> customColors) {
    m_engine.Start(Setting().effect, customColors);
}

LightSetting KeyboardLightThread::Setting() const {
    std::lock_guard lock(m_settingMutex);
    return m_setting;
}

void KeyboardLightThread::SetLightList(std::vector<LightSetting> list) {
    m_list.Load(std::move(list));
    m_engine.Compose(m_list);
}

void KeyboardLightThread::SetCustomSteps(std::vector<LightEffectStep> steps) {
    m_engine.CustomEffect().SetSteps(std::move(steps));
}

void KeyboardLightThread::React(int logicalKey, int event) {
    m_engine.React(Setting().effect, logicalKey, event);
}

void KeyboardLightThread::SetColors(std::span<const LedColor> colors) {
    m_engine.SetColors(colors);
}

std::array<LedColor, kLogicalKeyCount> KeyboardLightThread::SnapshotColors() const {
    return m_engine.SnapshotColors();
}

KeyboardLightState KeyboardLightThread::SnapshotState() const {
    return m_engine.SnapshotState();
}

std::size_t KeyboardLightThread::ComposeFrame(const KeyMaps& maps,
                                              std::span<std::uint8_t> out) const {
    if (out.size() < KeyLightFrameLength(maps)) {
        return 0;
    }
    const std::array<LedColor, kLogicalKeyCount> colors = m_engine.SnapshotColors();
    return ComposeKeyLightFrame(colors, maps, out);
}

KeyboardLightThread::Pass KeyboardLightThread::RunPass() {
    if (!m_channel.IsConnected()) {
        return Pass::kDisconnected;
    }
    if (m_channel.LightSync()) {
        return Pass::kSynchronised;
    }
    const std::uint32_t now = m_clock();
    if (!m_marked) {
        m_mark = now;
        m_marked = true;
    } else if (now - m_mark > 1) {
        m_elapsed += kElapsedPerTick;
        m_mark = now;
    }
    const LightSetting setting = Setting();
    Pass pass = Pass::kCounted;
    // The custom effect paces itself by its own steps' speeds: it plays on every pass.
    if (IsKeyboardCustomEffectMode(setting.effect) ||
        m_elapsed >= KeyboardLightPeriod(setting.effect, setting.speed)) {
        m_elapsed = 0;
        m_engine.Step(setting.effect, setting);
        pass = Pass::kStepped;
    }
    // Every pass, not only those that stepped: the per-LED settings count passes themselves.
    m_engine.Compose(m_list);
    return pass;
}

void KeyboardLightThread::Loop(StopEvent& stop) {
    while (!stop.Wait(kPassWaitMs)) {
        if (!m_channel.IsConnected()) {
            if (stop.Wait(kIdleWaitMs)) {
                break;
            }
            continue;
        }
        RunPass();
    }
    Trace("KB灯光线程设定退出");
}

}  // namespace quaro
