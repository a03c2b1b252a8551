// Cost of the software light effects per light-thread pass: one step of each keyboard mode over
// the 126 keys, the per-LED settings laid over it, and the frame built from the result.

#include "devices/keyboard/KeyLightFrame.h"
#include "devices/keyboard/KeyMaps.h"
#include "devices/light/KeyboardLightEngine.h"
#include "devices/light/LightListComposer.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace quaro {
namespace {

std::uint32_t g_now = 0;
std::uint32_t Now() {
    return g_now;
}

const LightSetting kSetting{.effect = 0,
                            .brightness = 5,
                            .speed = 2,
                            .direction = 1,
                            .multiColor = 1,
                            .red = 255,
                            .green = 64,
                            .blue = 0};

// A factory keyboard: slot k holds logical key k and light position k.
KeyMaps FactoryMaps() {
    std::vector<std::uint8_t> image(126 * 3);
    std::vector<std::uint8_t> lights(126);
    for (int k = 0; k < 126; ++k) {
        image[k * 3] = kDefaultKeyTable[k].type;
        image[k * 3 + 1] = kDefaultKeyTable[k].first;
        image[k * 3 + 2] = kDefaultKeyTable[k].second;
        lights[k] = static_cast<std::uint8_t>(k);
    }
    return BuildKeyMaps(image, lights, 126);
}

// Every area takes part, in the modes that do work on each pass.
std::vector<LightSetting> BusyLightList() {
    std::vector<LightSetting> list(126);
    for (int k = 0; k < 126; ++k) {
        list[k] = {.effect = static_cast<std::uint8_t>(k % 4),
                   .brightness = 4,
                   .speed = 1,
                   .multiColor = 1,
                   .red = 9,
                   .extraByte = 1};
    }
    return list;
}

void KeyboardStep(benchmark::State& state) {
    const auto mode = static_cast<std::uint8_t>(state.range(0));
    KeyboardLightEngine engine(Now, SeededRandomSource(1));
    engine.CustomEffect().SetSteps({{4, 5, 0, 0, 1, 0, 0, 0, 1000, 0}});
    engine.Start(mode);
    int pass = 0;
    for (auto _ : state) {
        if (++pass % 16 == 0) {
            engine.React(mode, 30 + pass % 40, 1 + (pass / 16) % 2);
        }
        g_now += 5;
        engine.Step(mode, kSetting);
        const auto colors = engine.SnapshotColors();
        benchmark::DoNotOptimize(colors.data());
    }
}
BENCHMARK(KeyboardStep)->DenseRange(0, 27);

void LightListComposition(benchmark::State& state) {
    LightListComposer composer(Now);
    composer.Load(BusyLightList());
    std::array<LedColor, 126> leds{};
    for (auto _ : state) {
        g_now += 5;
        composer.Compose(leds);
        benchmark::DoNotOptimize(leds.data());
    }
}
BENCHMARK(LightListComposition);

void FrameComposition(benchmark::State& state) {
    const KeyMaps maps = FactoryMaps();
    std::array<LedColor, 126> leds{};
    for (int k = 0; k < 126; ++k) {
        leds[k] = {static_cast<std::uint8_t>(k), 200, 13, 255};
    }
    std::array<std::uint8_t, 512> frame{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComposeKeyLightFrame(leds, maps, frame));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FrameComposition);

// What one 5 ms tick costs: a step of the given mode, the per-LED settings and the frame.
void StepComposeFrame(benchmark::State& state) {
    const auto mode = static_cast<std::uint8_t>(state.range(0));
    KeyboardLightEngine engine(Now, SeededRandomSource(1));
    engine.Start(mode);
    LightListComposer composer(Now);
    composer.Load(BusyLightList());
    const KeyMaps maps = FactoryMaps();
    std::array<std::uint8_t, 512> frame{};
    for (auto _ : state) {
        g_now += 5;
        engine.Step(mode, kSetting);
        engine.Compose(composer);
        benchmark::DoNotOptimize(ComposeKeyLightFrame(engine.SnapshotColors(), maps, frame));
    }
}
BENCHMARK(StepComposeFrame)->Arg(2)->Arg(7)->Arg(9)->Arg(13)->Arg(15)->Arg(22);

}  // namespace
}  // namespace quaro
