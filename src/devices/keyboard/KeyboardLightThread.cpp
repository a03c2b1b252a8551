#include "devices/keyboard/KeyboardLightThread.h"

#include "devices/keyboard/KeyLightFrame.h"
#include "platform/Trace.h"

#include <utility>

namespace quaro {

namespace {

// Two milliseconds: the tick has always moved on by more than one between two passes.
constexpr std::chrono::milliseconds kPassPeriod{2};
// What the elapsed counter gains each time the tick moved on: the periods of the mode tables
// were tuned against a thread that got round about every three milliseconds.
constexpr std::uint32_t kElapsedPerTick = 3;

}  // namespace

KeyboardLightThread::KeyboardLightThread(const CommandChannel& channel, MillisecondClock clock,
                                         RandomSource random)
    : m_channel(channel),
      m_clock(clock),
      m_engine(clock, std::move(random)),
      m_list(clock),
      m_pacer(kPassPeriod) {}

KeyboardLightThread::~KeyboardLightThread() {
    Stop();
}

void KeyboardLightThread::Start(std::function<void()> drawn) {
    // The running loop sleeps on the pacer, not on the stop event: end it there first.
    Stop();
    m_drawn = std::move(drawn);
    m_pacer.Rearm();
    m_thread.Start([this](StopEvent&) {
        m_pacer.Run({.plan = [this](bool still) { return Plan(still); },
                     .skip = [this](std::uint32_t passes) { Skip(passes); },
                     .pass =
                         [this] {
                             const Pass pass = RunPass();
                             Drawn(pass == Pass::kCounted || pass == Pass::kStepped);
                             return pass == Pass::kStepped && IsStillMode(Setting().effect) &&
                                    m_list.IsStill();
                         }});
        Trace("KB灯光线程设定退出");
    });
}

void KeyboardLightThread::Stop() {
    m_pacer.Interrupt();
    m_thread.Stop();
}

bool KeyboardLightThread::IsStillMode(std::uint8_t mode) {
    return mode == 5 || mode == 18 || mode == 26;  // static, static, off
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
    m_pacer.Notify();
    return restart;
}

void KeyboardLightThread::RestartEffect(std::span<const CustomLightColor> customColors) {
    m_engine.Start(Setting().effect, customColors);
    m_pacer.Notify();
}

LightSetting KeyboardLightThread::Setting() const {
    std::lock_guard lock(m_settingMutex);
    return m_setting;
}

void KeyboardLightThread::SetLightList(std::vector<LightSetting> list) {
    m_list.Load(std::move(list));
    m_engine.Compose(m_list);
    m_pacer.Notify();
}

void KeyboardLightThread::SetCustomSteps(std::vector<LightEffectStep> steps) {
    m_engine.CustomEffect().SetSteps(std::move(steps));
    m_pacer.Notify();
}

void KeyboardLightThread::React(int logicalKey, int event) {
    m_engine.React(Setting().effect, logicalKey, event);
    m_pacer.Notify();
}

void KeyboardLightThread::SetColors(std::span<const LedColor> colors) {
    m_engine.SetColors(colors);
    // Colours set from outside stay only while the light sync drives the keyboard; after it the
    // effect must draw its own again.
    m_pacer.Notify();
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

LightPlan KeyboardLightThread::Plan(bool still) const {
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
    if (IsKeyboardCustomEffectMode(setting.effect) || !m_list.IsStill() || !m_marked) {
        return LightPlan::Passes(1);
    }
    const std::uint32_t period = KeyboardLightPeriod(setting.effect, setting.speed);
    if (m_elapsed >= period) {
        return LightPlan::Passes(1);
    }
    return LightPlan::Passes((period - m_elapsed + kElapsedPerTick - 1) / kElapsedPerTick);
}

void KeyboardLightThread::Skip(std::uint32_t passes) {
    if (m_marked) {
        m_elapsed += kElapsedPerTick * passes;
    }
}

}  // namespace quaro
