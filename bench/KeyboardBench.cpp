// The keyboard's two costs a user notices: host CPU while its light plays (the light thread
// stepping an effect over 126 keys with a per-key setting laid over every pass, and the 5 ms
// frame timer streaming the frame to a keyboard that answers after 1 ms), and the time a
// profile switch takes measured against the packets it exchanges times one round trip: the
// switch should cost little beyond the exchanges themselves (target: within 1.2 times).

#include "BenchSupport.h"
#include "device/CommandPacket.h"
#include "device/SimHidBackend.h"
#include "devices/keyboard/KeyboardDriver.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quaro {
namespace {

using namespace bench;

constexpr int kKeyCount = 126;
constexpr auto kReplyLatency = 1ms;
constexpr std::uint8_t kLightFrameCommand = 0x12;
constexpr std::uint8_t kEndCommand = 0x02;
// The pause the protocol asks for before every End, part of what an exchange costs.
constexpr double kEndPauseSeconds = 0.010;

// Waits for the driver's flows.
class FlowResults : public KeyboardDriverSink {
public:
    void OnFlowDone(std::uint32_t flowId, std::int32_t result) override {
        {
            std::lock_guard lock(m_mutex);
            m_results[flowId] = result;
        }
        m_done.notify_all();
    }
    void OnStatusRead(const StatusBytes&) override {}
    void OnKeyboardStartRead(const KeyboardStartRead&) override {}
    void OnMacroDownload(const KeyboardMacroDownload&) override {}
    void OnSettingsRecordRead(const KeyboardRecordRead&) override {}

    std::int32_t Wait(std::uint32_t flowId) {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return m_results.count(flowId) != 0; });
        return m_results[flowId];
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::map<std::uint32_t, std::int32_t> m_results;
};

// An emulated keyboard answering after kReplyLatency, and a driver that has read it.
class KeyboardRig {
public:
    explicit KeyboardRig(const std::string& name)
        : m_bus(name), m_keyboard(KeyboardModel(), m_bus.Path()) {
        m_keyboard.SetReplyLatency(kReplyLatency);
        m_keyboard.SetPacketObserver([packets = m_packets, ends = m_ends](
                                         DeviceEmulator::Direction direction, uint16_t,
                                         std::span<const uint8_t> report) {
            if (direction != DeviceEmulator::Direction::kReceived ||
                report.size() <= kPacketCommand || report[kPacketCommand] == kLightFrameCommand) {
                return;
            }
            packets->fetch_add(1);
            if (report[kPacketCommand] == kEndCommand) {
                ends->fetch_add(1);
            }
        });
        m_keyboard.Plug();
        auto backend = std::make_shared<SimHidBackend>(m_bus.Path());
        std::vector<std::string> paths;
        backend->Enumerate(paths);
        for (const std::string& path : paths) {
            if (path.find("mi_01&col04") != std::string::npos) {
                m_commandPath = path;
            }
        }
        m_driver = std::make_unique<KeyboardDriver>(backend, &m_results);
        m_driver->Start();
        m_ready = !m_commandPath.empty() && m_driver->Connect(m_commandPath) &&
                  m_results.Wait(m_driver->RequestStart()) == 1;
    }
    ~KeyboardRig() { m_driver.reset(); }

    bool Ready() const { return m_ready; }
    KeyboardDriver& Driver() { return *m_driver; }
    FlowResults& Results() { return m_results; }
    long Packets() const { return m_packets->load(); }
    long Ends() const { return m_ends->load(); }

private:
    BenchBus m_bus;
    std::shared_ptr<std::atomic<long>> m_packets = std::make_shared<std::atomic<long>>(0);
    std::shared_ptr<std::atomic<long>> m_ends = std::make_shared<std::atomic<long>>(0);
    DeviceEmulator m_keyboard;
    std::string m_commandPath;
    FlowResults m_results;
    std::unique_ptr<KeyboardDriver> m_driver;
    bool m_ready = false;
};

// A multicolour effect stepping on every pass, with every key's own setting doing work.
LightSetting BusyLight() {
    return {.effect = 4, .brightness = 4, .speed = 4, .direction = 1, .multiColor = 1};
}

void KeyboardLightStreamToEmulator(benchmark::State& state) {
    KeyboardRig rig("kblight");
    if (!rig.Ready()) {
        state.SkipWithError("the emulated keyboard was not read");
        return;
    }
    KeyboardDriver& driver = rig.Driver();
    driver.ApplyLight(BusyLight());
    driver.Light().SetLightList(BusyLightList(kKeyCount));
    driver.Light().Start();
    MeasureAtFrameTick(state, [&] { driver.SubmitLightFrame(); });
    state.counters["frames_sent"] = static_cast<double>(driver.Frames().sent);
    driver.Light().Stop();
}
BENCHMARK(KeyboardLightStreamToEmulator)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The profile image of a typical switch: a light, the system words, three short macros and
// every key assigned.
KeyboardProfileImage SwitchImage() {
    KeyboardProfileImage image;
    image.light = BusyLight();
    image.system.repeat = 20;
    image.system.repeatDelay = 1;
    const MacroEvent down{.delay = 10, .type = 1, .down = true, .button = 4};
    MacroEvent up = down;
    up.down = false;
    image.macros.assign(3, MacroEvents{down, up, down, up});
    for (int key = 0; key < kKeyCount; ++key) {
        KeyAssignmentEntry entry;
        entry.keyIndex = static_cast<std::uint16_t>(key);
        entry.defaultKeyIndex = entry.keyIndex;
        image.keys.push_back(entry);
    }
    return image;
}

void KeyboardProfileSwitch(benchmark::State& state) {
    KeyboardRig rig("kbswitch");
    if (!rig.Ready()) {
        state.SkipWithError("the emulated keyboard was not read");
        return;
    }
    KeyboardDriver& driver = rig.Driver();
    const KeyboardProfileImage image = SwitchImage();

    // One round trip: the information record, one packet and its reply, averaged.
    constexpr int kTrips = 50;
    const auto tripStart = SteadyClock::now();
    for (int i = 0; i < kTrips; ++i) {
        rig.Results().Wait(driver.RunFlow([](DeviceDriver& d) { return d.ReadInfoRecord(); }));
    }
    const double roundTrip =
        std::chrono::duration<double>(SteadyClock::now() - tripStart).count() / kTrips;

    double switchSeconds = 0;
    long packets = 0;
    long ends = 0;
    int switches = 0;
    for (auto _ : state) {
        const long before = rig.Packets();
        const long endsBefore = rig.Ends();
        const auto start = SteadyClock::now();
        const std::int32_t result =
            rig.Results().Wait(driver.RequestApplyProfile(image, KeyboardProfileWrite::kSwitch));
        const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
        if (result != 1) {
            state.SkipWithError("the switch failed");
            return;
        }
        state.SetIterationTime(seconds);
        switchSeconds += seconds;
        packets += rig.Packets() - before;
        ends += rig.Ends() - endsBefore;
        ++switches;
    }
    const double meanPackets = static_cast<double>(packets) / switches;
    const double meanSwitch = switchSeconds / switches;
    const double exchanges =
        meanPackets * roundTrip + static_cast<double>(ends) / switches * kEndPauseSeconds;
    state.counters["packets"] = meanPackets;
    state.counters["ends"] = static_cast<double>(ends) / switches;
    state.counters["round_trip_ms"] = roundTrip * 1000.0;
    state.counters["switch_ms"] = meanSwitch * 1000.0;
    // What the switch costs over its exchanges (packets times a round trip, plus the pause
    // before each End): the target is at most 1.2.
    state.counters["ratio_to_exchanges"] = meanSwitch / exchanges;
}
BENCHMARK(KeyboardProfileSwitch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace quaro
