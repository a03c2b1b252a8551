// Host CPU of the mouse pad's light: its light thread (a pass every couple of milliseconds, the
// fastest effect stepping on every pass, the per-LED settings laid over every pass) and the
// page's 5 ms frame timer composing the 45-byte frame. Reported as CPU milliseconds per second
// of wall time over the whole process, so every thread involved is counted.

#include "device/SimHidBackend.h"
#include "devices/pad/PadDriver.h"
#include "devices/pad/PadLightThread.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

constexpr auto kFrameTick = 5ms;

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The busiest light the pad plays: a multicolour wave stepping on every pass, with every LED's
// own setting doing work on every pass.
LightSetting BusyLight() {
    return {.effect = 0, .brightness = 5, .speed = 5, .direction = 1, .multiColor = 1};
}
std::vector<LightSetting> BusyList() {
    std::vector<LightSetting> list(kPadLedCount);
    for (int i = 0; i < kPadLedCount; ++i) {
        list[i] = {.effect = static_cast<std::uint8_t>(i % 4),
                   .brightness = 4,
                   .speed = 1,
                   .multiColor = 1,
                   .red = 9,
                   .extraByte = 1};
    }
    return list;
}

// Runs the frame timer for the benchmark's wall time and reports CPU per wall second.
template <typename Tick>
void MeasureAtFrameTick(benchmark::State& state, Tick tick) {
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        const auto wallStart = SteadyClock::now();
        auto next = wallStart;
        int frames = 0;
        while (SteadyClock::now() - wallStart < 2s) {
            tick();
            ++frames;
            next += kFrameTick;
            std::this_thread::sleep_until(next);
        }
        const double wall = std::chrono::duration<double>(SteadyClock::now() - wallStart).count();
        const double cpu = ProcessCpuSeconds() - cpuStart;
        state.SetIterationTime(wall);
        state.counters["cpu_ms_per_s"] = cpu * 1000.0 / wall;
        state.counters["frames_per_s"] = frames / wall;
    }
}

// The light thread and the frame composition alone: the channel is marked connected but no
// device is behind it, so nothing is sent.
void PadLightThreadAndFrames(benchmark::State& state) {
    const std::filesystem::path bus =
        std::filesystem::temp_directory_path() / ("quaro-bench-pad-" + std::to_string(getpid()));
    std::filesystem::create_directories(bus);
    {
        CommandChannel channel(std::make_shared<SimHidBackend>(bus));
        channel.SetConnected(true);
        PadLightThread light(channel, SteadyMillisecondClock());
        light.SetSetting(BusyLight());
        light.SetLightList(BusyList());
        light.Start();
        std::array<std::uint8_t, kPadFrameSize> frame{};
        MeasureAtFrameTick(state, [&] { benchmark::DoNotOptimize(light.ComposeFrame(frame)); });
        light.Stop();
    }
    std::filesystem::remove_all(bus);
}
BENCHMARK(PadLightThreadAndFrames)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole stream: the driver's light thread, the frame timer handing each frame to the
// worker, the worker sending it to an emulated pad on the simulated bus. The emulator's own
// threads are in the figure too.
void PadLightStreamToEmulator(benchmark::State& state) {
    const std::filesystem::path bus =
        std::filesystem::temp_directory_path() / ("quaro-bench-pads-" + std::to_string(getpid()));
    std::filesystem::create_directories(bus);
    {
        DeviceEmulator pad(MousePadModel(), bus);
        pad.Plug();
        auto backend = std::make_shared<SimHidBackend>(bus);
        std::vector<std::string> paths;
        backend->Enumerate(paths);
        std::string command;
        for (const std::string& path : paths) {
            if (path.find("&col04") != std::string::npos) {
                command = path;
            }
        }
        PadDriver driver(backend, nullptr);
        driver.Start();
        if (command.empty() || !driver.Connect(command)) {
            state.SkipWithError("the emulated pad did not open");
            return;
        }
        driver.ApplyLight(BusyLight());
        driver.Light().SetLightList(BusyList());
        driver.Light().Start();
        MeasureAtFrameTick(state, [&] { driver.SubmitLightFrame(); });
        state.counters["frames_sent"] = static_cast<double>(driver.Frames().sent);
        driver.Light().Stop();
    }
    std::filesystem::remove_all(bus);
}
BENCHMARK(PadLightStreamToEmulator)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace quaro
