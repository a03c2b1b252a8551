// Host CPU of the mouse pad's light: its light thread (a pass every couple of milliseconds, the
// fastest effect stepping on every pass, the per-LED settings laid over every pass) and the
// page's 5 ms frame timer composing the 45-byte frame. Reported as CPU milliseconds per second
// of wall time over the whole process, so every thread involved is counted.

#include "BenchSupport.h"
#include "device/SimHidBackend.h"
#include "devices/pad/PadDriver.h"
#include "devices/pad/PadLightThread.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

namespace quaro {
namespace {

using namespace bench;

// The busiest light the pad plays: a multicolour wave stepping on every pass, with every LED's
// own setting doing work on every pass.
LightSetting BusyLight() {
    return {.effect = 0, .brightness = 5, .speed = 5, .direction = 1, .multiColor = 1};
}

// The light thread and the frame composition alone: the channel is marked connected but no
// device is behind it, so nothing is sent.
void PadLightThreadAndFrames(benchmark::State& state) {
    BenchBus bus("pad");
    {
        CommandChannel channel(std::make_shared<SimHidBackend>(bus.Path()));
        channel.SetConnected(true);
        PadLightThread light(channel, SteadyMillisecondClock());
        light.SetSetting(BusyLight());
        light.SetLightList(BusyLightList(kPadLedCount));
        light.Start();
        std::array<std::uint8_t, kPadFrameSize> frame{};
        MeasureAtFrameTick(state, [&] { benchmark::DoNotOptimize(light.ComposeFrame(frame)); });
        light.Stop();
    }
}
BENCHMARK(PadLightThreadAndFrames)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole stream: the driver's light thread, the frame timer handing each frame to the
// worker, the worker sending it to an emulated pad on the simulated bus. The emulator's own
// threads are in the figure too.
void PadLightStreamToEmulator(benchmark::State& state) {
    BenchBus bus("pads");
    {
        DeviceEmulator pad(MousePadModel(), bus.Path());
        pad.Plug();
        auto backend = std::make_shared<SimHidBackend>(bus.Path());
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
        driver.Light().SetLightList(BusyLightList(kPadLedCount));
        driver.Light().Start();
        MeasureAtFrameTick(state, [&] { driver.SubmitLightFrame(); });
        state.counters["frames_sent"] = static_cast<double>(driver.Frames().sent);
        driver.Light().Stop();
    }
}
BENCHMARK(PadLightStreamToEmulator)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace quaro
