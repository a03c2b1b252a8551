#include "DriverStream.h"

#include "BenchSupport.h"
#include "SimBusDevices.h"
#include "device/SimHidBackend.h"
#include "devices/headset/HeadsetDriver.h"
#include "devices/headset/HeadsetLightReports.h"
#include "devices/keyboard/KeyboardDriver.h"
#include "devices/pad/PadDriver.h"
#include "platform/Trace.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <thread>

namespace quaro::bench {
namespace {

constexpr int kKeyCount = 126;
constexpr std::size_t kChunk = 56;
constexpr double kEndPauseMs = 10.0;
constexpr double kFlowTimeoutSeconds = 30.0;

double ProcessCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// The ids of this process's threads.
std::set<std::string> ThreadIds() {
    std::set<std::string> ids;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        ids.insert(task.path().filename().string());
    }
    return ids;
}

std::optional<std::string> TaskText(const std::string& id, const char* file) {
    std::ifstream in(std::filesystem::path("/proc/self/task") / id / file);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// CPU seconds the threads ran, from the scheduler's nanosecond clock of each; nothing when a
// thread's clock cannot be read.
std::optional<double> ThreadsCpu(const std::set<std::string>& ids) {
    double seconds = 0;
    for (const std::string& id : ids) {
        const std::optional<std::string> schedstat = TaskText(id, "schedstat");
        if (!schedstat) {
            return std::nullopt;
        }
        seconds += static_cast<double>(std::strtoull(schedstat->c_str(), nullptr, 10)) * 1e-9;
    }
    return seconds;
}

// Voluntary and involuntary context switches of every thread of the process.
std::uint64_t ContextSwitches() {
    std::uint64_t switches = 0;
    for (const std::string& id : ThreadIds()) {
        const std::optional<std::string> status = TaskText(id, "status");
        if (!status) {
            continue;
        }
        for (const char* name : {"\nvoluntary_ctxt_switches:", "\nnonvoluntary_ctxt_switches:"}) {
            const std::size_t at = status->find(name);
            if (at != std::string::npos) {
                switches += std::strtoull(status->c_str() + at + std::strlen(name), nullptr, 10);
            }
        }
    }
    return switches;
}

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

    // The flow's result; 0 when it has not ended in time.
    std::int32_t Wait(std::uint32_t flowId) {
        std::unique_lock lock(m_mutex);
        const bool done = m_done.wait_for(lock, std::chrono::duration<double>(kFlowTimeoutSeconds),
                                          [&] { return m_results.count(flowId) != 0; });
        return done ? m_results[flowId] : 0;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::map<std::uint32_t, std::int32_t> m_results;
};

// Effects that move on every frame: a multicolour keyboard effect at speed 4 with every key's
// own setting doing work, the pad's and headset's first effect at the fastest speed.
LightSetting KeyboardLight() {
    return {.effect = 4, .brightness = 4, .speed = 4, .direction = 1, .multiColor = 1};
}
LightSetting LedLight() {
    return {.effect = 0, .brightness = 5, .speed = 5, .direction = 1, .multiColor = 1};
}

std::unique_ptr<KeyboardDriver> ConnectKeyboard(std::shared_ptr<HidBackend> backend,
                                                const std::string& path, FlowResults& results,
                                                std::string& error) {
    auto driver = std::make_unique<KeyboardDriver>(std::move(backend), &results);
    driver->Start();
    if (path.empty() || !driver->Connect(path)) {
        error = "the keyboard on the bus did not open";
        return nullptr;
    }
    if (results.Wait(driver->RequestStart()) != 1) {
        error = "the keyboard's start exchange failed";
        return nullptr;
    }
    return driver;
}

// Counts the logged request packets from the channel's own trace: a "命令" heading, then the
// packet's first line, whose second byte is the command.
class PacketCounter {
public:
    PacketCounter() {
        m_previous = SetTraceSink([this](std::string_view text) {
            if (m_headingSeen) {
                m_headingSeen = false;
                m_ends += text.starts_with("04 02 ") ? 1 : 0;
            } else if (text == "命令") {
                m_headingSeen = true;
                ++m_packets;
            }
        });
    }
    ~PacketCounter() { SetTraceSink(std::move(m_previous)); }
    PacketCounter(const PacketCounter&) = delete;
    PacketCounter& operator=(const PacketCounter&) = delete;

    // The sink is called under the trace lock, one text at a time; read after the flows ended.
    long Packets() const { return m_packets.load(); }
    long Ends() const { return m_ends.load(); }

private:
    TraceSink m_previous;
    bool m_headingSeen = false;
    std::atomic<long> m_packets{0};
    std::atomic<long> m_ends{0};
};

KeyboardProfileImage SwitchImage() {
    KeyboardProfileImage image;
    image.light = KeyboardLight();
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

}  // namespace

std::optional<StreamFigures> MeasureStreaming(const std::filesystem::path& bus, double seconds,
                                              std::string& error) {
    auto backend = std::make_shared<SimHidBackend>(bus);
    const std::optional<SimBusDevices> devices = FindSimBusDevices(*backend);
    if (!devices) {
        error = "the bus could not be listed";
        return std::nullopt;
    }
    FlowResults results;
    std::unique_ptr<KeyboardDriver> keyboard =
        ConnectKeyboard(backend, devices->keyboardCommand, results, error);
    if (!keyboard) {
        return std::nullopt;
    }
    PadDriver pad(backend, nullptr);
    HeadsetDriver headset(backend, nullptr);
    pad.Start();
    headset.Start();
    if (devices->padCommand.empty() || !pad.Connect(devices->padCommand) ||
        devices->headset.empty() || !headset.Connect(devices->headset)) {
        error = "the pad or the headset on the bus did not open";
        return std::nullopt;
    }
    keyboard->ApplyLight(KeyboardLight());
    keyboard->Light().SetLightList(BusyLightList(kKeyCount));
    pad.ApplyLight(LedLight());
    pad.Light().SetLightList(BusyLightList(kPadLedCount));
    headset.ApplyLight(LedLight());
    headset.Light().SetLightList(BusyLightList(kHeadsetLedCount));
    const std::set<std::string> driverThreads = ThreadIds();
    keyboard->Light().Start();
    pad.Light().Start();
    headset.Light().Start();
    std::set<std::string> lightThreads;
    for (const std::string& id : ThreadIds()) {
        if (driverThreads.count(id) == 0) {
            lightThreads.insert(id);
        }
    }

    // A second of streaming first, so the figures start in the steady state.
    double longestLateness = 0;
    const auto tickFor = [&](double span, auto onTick) {
        const auto start = SteadyClock::now();
        auto next = start;
        while (std::chrono::duration<double>(SteadyClock::now() - start).count() < span) {
            keyboard->SubmitLightFrame();
            pad.SubmitLightFrame();
            headset.SubmitLightFrame();
            next += kFrameTick;
            std::this_thread::sleep_until(next);
            longestLateness = std::max(
                longestLateness,
                std::chrono::duration<double, std::milli>(SteadyClock::now() - next).count());
            onTick();
        }
    };
    tickFor(1.0, [] {});

    const FrameStats keyboardStart = keyboard->Frames();
    const FrameStats padStart = pad.Frames();
    const std::uint64_t headsetReportsStart = headset.ReportsSent();
    const std::uint64_t headsetFramesStart = headset.Frames().sent;
    const double cpuStart = ProcessCpu();
    const std::optional<double> lightCpuStart = ThreadsCpu(lightThreads);
    const std::uint64_t switchesStart = ContextSwitches();
    const auto wallStart = SteadyClock::now();
    std::uint64_t lastSent = keyboardStart.sent;
    auto lastFrameAt = wallStart;
    double longestGap = 0;
    longestLateness = 0;
    tickFor(seconds, [&] {
        const std::uint64_t sent = keyboard->Frames().sent;
        if (sent != lastSent) {
            const auto now = SteadyClock::now();
            longestGap = std::max(
                longestGap, std::chrono::duration<double, std::milli>(now - lastFrameAt).count());
            lastFrameAt = now;
            lastSent = sent;
        }
    });
    const double wall = std::chrono::duration<double>(SteadyClock::now() - wallStart).count();
    const double cpu = ProcessCpu() - cpuStart;
    const std::optional<double> lightCpuEnd = ThreadsCpu(lightThreads);
    const std::uint64_t switches = ContextSwitches() - switchesStart;
    const FrameStats keyboardEnd = keyboard->Frames();
    const FrameStats padEnd = pad.Frames();
    const std::uint64_t headsetReports = headset.ReportsSent() - headsetReportsStart;
    const std::uint64_t headsetFrames = headset.Frames().sent - headsetFramesStart;

    keyboard->Light().Stop();
    pad.Light().Stop();
    headset.Light().Stop();

    const auto packetsPerFrame = [](std::size_t bytes) {
        return static_cast<double>((bytes + kChunk - 1) / kChunk);
    };
    const double keyboardFrames = static_cast<double>(keyboardEnd.sent - keyboardStart.sent);
    const double padFrames = static_cast<double>(padEnd.sent - padStart.sent);
    StreamFigures figures;
    figures.seconds = wall;
    figures.cpuShare = cpu / wall;
    if (lightCpuStart && lightCpuEnd && lightThreads.size() == 3) {
        figures.lightCpuShare = (*lightCpuEnd - *lightCpuStart) / wall;
    }
    figures.wakeUpsPerSecond = static_cast<double>(switches) / wall;
    // The headset's reports go out without a reply; each is counted as a whole pair.
    figures.packetsPerSecond =
        (keyboardFrames * packetsPerFrame(3 * kKeyCount) +
         padFrames * packetsPerFrame(kPadFrameSize) + static_cast<double>(headsetReports)) /
        wall;
    figures.repliedPacketsPerSecond = (keyboardFrames * packetsPerFrame(3 * kKeyCount) +
                                       padFrames * packetsPerFrame(kPadFrameSize)) /
                                      wall;
    figures.keyboardFramesPerSecond = keyboardFrames / wall;
    figures.padFramesPerSecond = padFrames / wall;
    figures.headsetFramesPerSecond = static_cast<double>(headsetFrames) / wall;
    figures.longestKeyboardGapMs = longestGap;
    figures.longestTickLatenessMs = longestLateness;
    if (keyboardEnd.failed != keyboardStart.failed || padEnd.failed != padStart.failed) {
        error = "light frames failed while streaming";
        return std::nullopt;
    }
    return figures;
}

std::optional<SwitchFigures> MeasureProfileSwitch(const std::filesystem::path& bus, int switches,
                                                  std::string& error) {
    auto backend = std::make_shared<SimHidBackend>(bus);
    const std::optional<SimBusDevices> devices = FindSimBusDevices(*backend);
    if (!devices) {
        error = "the bus could not be listed";
        return std::nullopt;
    }
    FlowResults results;
    std::unique_ptr<KeyboardDriver> keyboard =
        ConnectKeyboard(backend, devices->keyboardCommand, results, error);
    if (!keyboard) {
        return std::nullopt;
    }
    PacketCounter counter;

    // The round trip: the information record's packets one after another, in one flow so the
    // hand-over to the worker is not counted in it.
    constexpr int kTrips = 50;
    const long tripPacketsBefore = counter.Packets();
    const auto tripStart = SteadyClock::now();
    const std::int32_t tripResult = results.Wait(keyboard->RunFlow([](DeviceDriver& d) {
        std::int32_t result = 1;
        for (int i = 0; i < kTrips && result == 1; ++i) {
            result = d.ReadInfoRecord();
        }
        return result;
    }));
    if (tripResult != 1) {
        error = "the information record could not be read";
        return std::nullopt;
    }
    const double tripSeconds =
        std::chrono::duration<double>(SteadyClock::now() - tripStart).count();
    const long tripPackets = counter.Packets() - tripPacketsBefore;

    const KeyboardProfileImage image = SwitchImage();
    const long packetsBefore = counter.Packets();
    const long endsBefore = counter.Ends();
    double switchSeconds = 0;
    for (int i = 0; i < switches; ++i) {
        const auto start = SteadyClock::now();
        if (results.Wait(keyboard->RequestApplyProfile(image, KeyboardProfileWrite::kSwitch)) !=
            1) {
            error = "the profile switch failed";
            return std::nullopt;
        }
        switchSeconds += std::chrono::duration<double>(SteadyClock::now() - start).count();
    }
    SwitchFigures figures;
    figures.roundTripMs = tripSeconds * 1000.0 / static_cast<double>(std::max(1L, tripPackets));
    figures.switchMs = switchSeconds * 1000.0 / switches;
    figures.packets = static_cast<double>(counter.Packets() - packetsBefore) / switches;
    figures.ends = static_cast<double>(counter.Ends() - endsBefore) / switches;
    figures.exchangesMs = figures.packets * figures.roundTripMs + figures.ends * kEndPauseMs;
    return figures;
}

}  // namespace quaro::bench
