// How fast discovery notices a simulated device coming and going, and what it costs while
// nothing happens. Latency runs from just before the emulator plugs (or unplugs) to the sink's
// notice for the device's primary interface; discovery runs as the application runs it: hidraw
// and the simulated bus, udev monitor and bus watch, the 2 s safety net.
#include "device/Discovery.h"
#include "device/HidrawBackend.h"
#include "device/SimHidBackend.h"
#include "platform/Trace.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using Clock = std::chrono::steady_clock;

// The mouse pad's command interface is slot 4.
constexpr int kPadPrimarySlot = 4;

class TimingSink : public DiscoverySink {
public:
    void Arrival(int slot) override { Note(slot, true); }
    void Removal(int slot) override { Note(slot, false); }
    void FirstScanDone() override {}

    // Waits for the notice of the slot in the given direction; its time.
    Clock::time_point WaitFor(int slot, bool arrival) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_seen && m_slot == slot && m_arrival == arrival; });
        m_seen = false;
        return m_when;
    }

private:
    void Note(int slot, bool arrival) {
        if (slot != kPadPrimarySlot) {
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            m_seen = true;
            m_slot = slot;
            m_arrival = arrival;
            m_when = Clock::now();
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_seen = false;
    int m_slot = -1;
    bool m_arrival = false;
    Clock::time_point m_when;
};

std::filesystem::path MakeBusFolder() {
    char pattern[] = "/tmp/quaro-bench-XXXXXX";
    return ::mkdtemp(pattern);
}

std::shared_ptr<HidBackend> ApplicationBackend(const std::filesystem::path& bus) {
    return std::make_shared<CompositeHidBackend>(std::vector<std::shared_ptr<HidBackend>>{
        std::make_shared<HidrawBackend>(), std::make_shared<SimHidBackend>(bus)});
}

DiscoveryOptions ApplicationOptions(const std::filesystem::path& bus) {
    DiscoveryOptions options = DefaultDiscoveryOptions();
    options.simBusFolder = bus;
    return options;
}

double Percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    const size_t index = std::min(
        samples.size() - 1, static_cast<size_t>(fraction * static_cast<double>(samples.size())));
    return samples[index];
}

// One iteration = one plug and one unplug; counters in milliseconds.
void BM_ArrivalAndRemovalLatency(benchmark::State& state) {
    const TraceSink previous = SetTraceSink([](std::string_view) {});
    const std::filesystem::path bus = MakeBusFolder();
    {
        TimingSink sink;
        Discovery discovery(ApplicationBackend(bus), sink, ApplicationOptions(bus));
        discovery.Start();
        DeviceEmulator pad(MousePadModel(), bus, "pad");
        std::vector<double> arrivals;
        std::vector<double> removals;
        for (auto _ : state) {
            const Clock::time_point plugged = Clock::now();
            pad.Plug();
            const Clock::time_point arrived = sink.WaitFor(kPadPrimarySlot, true);
            const Clock::time_point unplugged = Clock::now();
            pad.Unplug();
            const Clock::time_point removed = sink.WaitFor(kPadPrimarySlot, false);
            const std::chrono::duration<double> total = (arrived - plugged) + (removed - unplugged);
            state.SetIterationTime(total.count());
            arrivals.push_back(
                std::chrono::duration<double, std::milli>(arrived - plugged).count());
            removals.push_back(
                std::chrono::duration<double, std::milli>(removed - unplugged).count());
        }
        state.counters["arrival_p50_ms"] = Percentile(arrivals, 0.50);
        state.counters["arrival_p99_ms"] = Percentile(arrivals, 0.99);
        state.counters["removal_p50_ms"] = Percentile(removals, 0.50);
        state.counters["removal_p99_ms"] = Percentile(removals, 0.99);
        discovery.Stop();
    }
    std::filesystem::remove_all(bus);
    SetTraceSink(previous);
}
BENCHMARK(BM_ArrivalAndRemovalLatency)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);

// Passes of a discovery with nothing plugged, over 10 s: the safety net only.
void BM_IdleWakeupsPerSecond(benchmark::State& state) {
    const TraceSink previous = SetTraceSink([](std::string_view) {});
    const std::filesystem::path bus = MakeBusFolder();
    for (auto _ : state) {
        TimingSink sink;
        Discovery discovery(ApplicationBackend(bus), sink, ApplicationOptions(bus));
        discovery.Start();
        // The pass at start is not idle cost.
        while (discovery.PassCount() == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const Clock::time_point from = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const uint64_t passes = discovery.PassCount() - 1;
        const std::chrono::duration<double> idle = Clock::now() - from;
        discovery.Stop();
        state.counters["wakeups_per_s"] = static_cast<double>(passes) / idle.count();
    }
    std::filesystem::remove_all(bus);
    SetTraceSink(previous);
}
BENCHMARK(BM_IdleWakeupsPerSecond)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace quaro
