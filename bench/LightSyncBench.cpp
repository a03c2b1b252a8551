// Host CPU of the software light sync with three devices: the sync thread's 1 ms turns stepping
// the fastest effect on every counted turn and handing each colour to three synchronised
// lights, while the three pages' 5 ms frame timers compose their frames. CPU milliseconds per
// second of wall time over the whole process.

#include "device/CommandChannel.h"
#include "device/SimHidBackend.h"
#include "devices/light/LightSync.h"
#include "devices/pad/PadLightThread.h"
#include "platform/StopEvent.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void LightSyncThreeDevices(benchmark::State& state) {
    const std::filesystem::path bus =
        std::filesystem::temp_directory_path() / ("quaro-bench-sync-" + std::to_string(getpid()));
    std::filesystem::create_directories(bus);
    {
        const MillisecondClock clock = SteadyMillisecondClock();
        std::vector<std::unique_ptr<CommandChannel>> channels;
        std::vector<std::unique_ptr<PadLightThread>> lights;
        for (int device = 0; device < 3; ++device) {
            channels.push_back(
                std::make_unique<CommandChannel>(std::make_shared<SimHidBackend>(bus)));
            channels.back()->SetConnected(true);
            // Synchronised: the device's own light thread stands still.
            channels.back()->SetLightSync(true);
            lights.push_back(std::make_unique<PadLightThread>(*channels.back(), clock));
            lights.back()->Start();
        }
        LightSync sync;
        // Spectrum at the fastest speed: a step on every counted turn.
        sync.Configure(SyncEffect::kSpectrum, {.brightness = 5, .speed = 5});
        StopEvent stop;
        std::thread syncThread([&] {
            sync.Reset(clock());
            while (!stop.Wait(1)) {
                if (const std::optional<std::uint32_t> packed = sync.Tick(clock())) {
                    for (auto& light : lights) {
                        light->SetAllColors(UnpackSyncColor(*packed));
                    }
                }
            }
        });
        std::array<std::uint8_t, kPadFrameSize> frame{};
        for (auto _ : state) {
            const double cpuStart = ProcessCpuSeconds();
            const auto wallStart = SteadyClock::now();
            auto next = wallStart;
            while (SteadyClock::now() - wallStart < 2s) {
                for (auto& light : lights) {
                    benchmark::DoNotOptimize(light->ComposeFrame(frame));
                }
                next += 5ms;
                std::this_thread::sleep_until(next);
            }
            const double wall =
                std::chrono::duration<double>(SteadyClock::now() - wallStart).count();
            state.SetIterationTime(wall);
            state.counters["cpu_ms_per_s"] = (ProcessCpuSeconds() - cpuStart) * 1000.0 / wall;
        }
        stop.Signal();
        syncThread.join();
        for (auto& light : lights) {
            light->Stop();
        }
    }
    std::filesystem::remove_all(bus);
}
BENCHMARK(LightSyncThreeDevices)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace quaro
