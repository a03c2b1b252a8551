#include "devices/light/KeyboardLightEngine.h"
#include "devices/light/LedLightEngine.h"
#include "devices/light/LightListComposer.h"
#include "devices/light/LightPrimitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

namespace quaro {
namespace {

// A clock the test moves by hand.
struct TestClock {
    std::uint32_t now = 100000;
    MillisecondClock Get() {
        return [this] { return now; };
    }
};

LightSetting Setting(std::uint8_t direction, std::uint8_t multi = 1, std::uint8_t brightness = 5,
                     std::uint8_t speed = 0) {
    return {.effect = 0,
            .brightness = brightness,
            .speed = speed,
            .direction = direction,
            .multiColor = multi,
            .red = 200,
            .green = 100,
            .blue = 50};
}

bool AllDark(std::span<const LedColor> leds) {
    return std::all_of(leds.begin(), leds.end(), [](const LedColor& c) {
        return ScaleChannel(c.red, c.intensity) == 0 && ScaleChannel(c.green, c.intensity) == 0 &&
               ScaleChannel(c.blue, c.intensity) == 0;
    });
}

TEST(LightPrimitives, StepPhaseWrapsBothWays) {
    EXPECT_EQ(StepPhase(true, 192, 191, 1), 0);
    EXPECT_EQ(StepPhase(true, 96, 94, 3), 0);
    EXPECT_EQ(StepPhase(false, 192, 0, 1), 191);
    EXPECT_EQ(StepPhase(false, 96, 2, 3), 93);
    EXPECT_EQ(StepPhase(false, 52, 200, 1), 51);  // a phase left by a longer effect
    EXPECT_EQ(StepPhase(true, 52, 200, 1), 0);
}

TEST(LightPrimitives, BreathingWrapsBothWaysAndAdvancesItsColourAtTheWrap) {
    std::array<LedColor, 3> leds{};
    BaseLightState state;
    state.animationStep = 127;
    state.colorStep = 176;
    LightStepBreathing(leds, state, Setting(1));
    EXPECT_EQ(state.animationStep, 0);
    EXPECT_EQ(state.colorStep, 192);  // 192 is allowed and shows the colour of 0
    EXPECT_EQ(leds[0].red, 255);
    EXPECT_EQ(leds[0].intensity, 0);
    state.animationStep = 127;
    LightStepBreathing(leds, state, Setting(1));
    EXPECT_EQ(state.colorStep, 0);

    state.animationStep = 0;
    LightStepBreathing(leds, state, Setting(0));
    EXPECT_EQ(state.animationStep, 127);
    EXPECT_EQ(state.colorStep, 0);
    state.animationStep = 64;
    LightStepBreathing(leds, state, Setting(0, 0, 3));
    EXPECT_EQ(state.animationStep, 63);
    EXPECT_EQ(leds[2], (LedColor{200, 100, 50, 255 * 135 / 256}));
    state.animationStep = 1;
    LightStepBreathing(leds, state, Setting(0));
    EXPECT_EQ(state.colorStep, 16);
}

TEST(LightPrimitives, SpectrumRunsBackwardFromZeroTo191) {
    std::array<LedColor, 2> leds{};
    BaseLightState state;
    LightStepSpectrum(leds, state, Setting(0, 1, 4));
    EXPECT_EQ(state.animationStep, 191);
    EXPECT_EQ(leds[1], (LedColor{255, 0, 0, 195}));
    LightStepSpectrum(leds, state, Setting(1));
    EXPECT_EQ(state.animationStep, 0);
}

TEST(LightPrimitives, BlinkTogglesOnItsSpeedPeriod) {
    for (const auto& [speed, period] : {std::pair{0, 5600u}, std::pair{4, 1400u}}) {
        SCOPED_TRACE(speed);
        std::array<LedColor, 2> leds{};
        BaseLightState state;
        state.lastToggle = 50000;
        const LightSetting setting = Setting(1, 0, 5, static_cast<std::uint8_t>(speed));
        LightStepBlink(leds, state, setting, 50000 + period - 1);
        EXPECT_FALSE(state.blinkOn);
        EXPECT_TRUE(AllDark(leds));
        LightStepBlink(leds, state, setting, 50000 + period);
        EXPECT_TRUE(state.blinkOn);
        EXPECT_EQ(leds[0], (LedColor{200, 100, 50, 255}));
        EXPECT_EQ(state.animationStep, 16);
        LightStepBlink(leds, state, setting, 50000 + 2 * period - 1);
        EXPECT_TRUE(state.blinkOn);
        LightStepBlink(leds, state, setting, 50000 + 2 * period);
        EXPECT_FALSE(state.blinkOn);
        EXPECT_TRUE(AllDark(leds));
    }
}

TEST(LightPrimitives, FourColourStepsStayInTheirList) {
    std::array<LedColor, 1> leds{};
    BaseLightState state;
    state.animationStep = 150;  // left over from the spectrum
    state.colorStep = 192;
    LightStepBlinkFourColours(leds, state, Setting(1), 1000000);
    EXPECT_EQ(state.animationStep, 1);
    EXPECT_EQ(leds[0], (LedColor{0, 255, 0, 255}));
    LightStepBreathingFourColours(leds, state, Setting(1));
    EXPECT_LE(state.colorStep, 3);
}

TEST(LightPrimitives, FadeSequencesSlowAndFast) {
    std::vector<int> slow;
    for (std::uint8_t v = 255; v != 0;) {
        v = FadeStep(v, false);
        slow.push_back(v);
    }
    EXPECT_EQ(slow, (std::vector<int>{215, 175, 135, 95, 65, 35, 25, 17, 9, 5, 1, 0}));
    std::vector<int> fast;
    for (std::uint8_t v = 20; v != 0;) {
        v = FadeStep(v, true);
        fast.push_back(v);
    }
    EXPECT_EQ(fast, (std::vector<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(FadeStep(0, false), 0);
}

TEST(LightPrimitives, RingRotatesAndMarks) {
    LightRing ring{};
    ring[0] = 1;
    ring[22] = 2;
    RotateRing(ring, true);
    EXPECT_EQ(ring[0], 2);
    EXPECT_EQ(ring[1], 1);
    RotateRing(ring, false);
    RotateRing(ring, false);
    EXPECT_EQ(ring[22], 1);
    EXPECT_EQ(ring[21], 2);
    LightRing small{};
    small[7] = 1;
    RotateRing(small, true, 8);
    EXPECT_EQ(small[0], 1);
    EXPECT_EQ(small[8], 0);

    std::array<std::uint8_t, 126> levels{};
    ring = {};
    ring[8] = ring[9] = 1;
    MarkRingKeys(levels, ring);
    EXPECT_EQ(levels[8], 255);
    EXPECT_EQ(levels[9], 0);
    MarkRingLeds(levels, ring, 15);
    EXPECT_EQ(levels[9], 255);
    ClearFades(levels, ring);
    EXPECT_EQ(levels[8], 0);
    EXPECT_EQ(ring[9], 0);
}

TEST(KeyboardLightEngine, StartStepsSeedTheirState) {
    TestClock clock;
    KeyboardLightEngine engine(clock.Get(), SeededRandomSource(1));
    engine.Start(0);
    EXPECT_EQ(engine.SnapshotState().hue[0], 33);
    EXPECT_EQ(engine.SnapshotState().hue[1], 66);
    EXPECT_EQ(engine.SnapshotState().hue[4], 165);  // 132 + 33
    EXPECT_EQ(engine.SnapshotState().hue[5], 6);    // 165 + 97 in 8 bits
    engine.Start(12);
    EXPECT_EQ(engine.SnapshotState().planes[2][9], 0x40);
    engine.Start(15);
    EXPECT_EQ(engine.SnapshotState().planes[0][1], 0x01);
    EXPECT_EQ(engine.SnapshotState().planes[0][9], 0);
    engine.Start(14);
    EXPECT_EQ(engine.SnapshotState().level[105], 72);  // column 0, row 6
    EXPECT_EQ(engine.SnapshotState().hue[125], 140);   // column 20
    engine.Start(20);
    // Column 0 falls by 35 per row and wraps by 98 once it would leave 0-191.
    EXPECT_EQ(engine.SnapshotState().pulse[105], 140);
    EXPECT_EQ(engine.SnapshotState().pulse[0], 106);  // column 2, row 1: 176 - 35 - 35
    EXPECT_EQ(engine.SnapshotState().hue[0], 14);
}

TEST(KeyboardLightEngine, ColumnWaveDirectionsMirrorEachOther) {
    TestClock clock;
    for (const std::uint8_t multi : {0, 1}) {
        SCOPED_TRACE(multi);
        KeyboardLightEngine forward(clock.Get(), SeededRandomSource(1));
        KeyboardLightEngine backward(clock.Get(), SeededRandomSource(1));
        forward.Start(0);
        backward.Start(0);
        forward.Step(0, Setting(1, multi));
        backward.Step(0, Setting(0, multi));
        // Keys 22, 23 and 24 sit in columns 2, 3 and 4 of the same row.
        const std::array<LedColor, 3> forwardBefore = {forward.SnapshotColors()[22],
                                                       forward.SnapshotColors()[23],
                                                       forward.SnapshotColors()[24]};
        const std::array<LedColor, 3> backwardBefore = {backward.SnapshotColors()[22],
                                                        backward.SnapshotColors()[23],
                                                        backward.SnapshotColors()[24]};
        EXPECT_NE(forwardBefore[0], forwardBefore[1]);
        // Seven steps move the wave by one column: towards column 0 forward, away backward.
        for (int step = 0; step < 7; ++step) {
            forward.Step(0, Setting(1, multi));
            backward.Step(0, Setting(0, multi));
        }
        EXPECT_EQ(forward.SnapshotColors()[22], forwardBefore[1]);
        EXPECT_EQ(forward.SnapshotColors()[23], forwardBefore[2]);
        EXPECT_EQ(backward.SnapshotColors()[23], backwardBefore[0]);
        EXPECT_EQ(backward.SnapshotColors()[24], backwardBefore[1]);
    }
}

TEST(KeyboardLightEngine, SpreadingReactionHoldsKeysNearAnotherHeldKey) {
    TestClock clock;
    KeyboardLightEngine engine(clock.Get(), SeededRandomSource(1));
    engine.Start(23);
    // D (66) sits at column 4, row 3 and G (68) at column 6, row 3: F (67) between them is a
    // nearest neighbour of both.
    engine.React(23, 66, 1);
    EXPECT_EQ(engine.SnapshotState().level[66], 255);
    EXPECT_EQ(engine.SnapshotState().level[67], 150);  // same row, next column
    EXPECT_EQ(engine.SnapshotState().level[45], 150);  // row above (E)
    EXPECT_EQ(engine.SnapshotState().level[46], 90);   // diagonal (R)
    EXPECT_EQ(engine.SnapshotState().level[68], 60);   // two columns away (G)
    engine.React(23, 68, 1);
    EXPECT_EQ(engine.SnapshotState().level[67], 255);  // raised by both, capped
    engine.React(23, 66, 2);
    // F has G held beside it and stays; E (column 4, row 2) has no held key near it and falls.
    EXPECT_EQ(engine.SnapshotState().level[67], 255);
    EXPECT_EQ(engine.SnapshotState().reaction[67], KeyReaction::kRising);
    EXPECT_EQ(engine.SnapshotState().level[45], 135);
    EXPECT_EQ(engine.SnapshotState().reaction[45], KeyReaction::kFalling);
    // D itself is two columns from G, so it is held up too.
    EXPECT_EQ(engine.SnapshotState().reaction[66], KeyReaction::kRising);
    EXPECT_EQ(engine.SnapshotState().pressed[66], 0);
    engine.React(23, 68, 2);
    EXPECT_EQ(engine.SnapshotState().reaction[66], KeyReaction::kFalling);
    EXPECT_EQ(engine.SnapshotState().reaction[67], KeyReaction::kFalling);
    // Keys outside the matrix and unknown events change nothing.
    const KeyboardLightState before = engine.SnapshotState();
    engine.React(23, 18, 1);
    engine.React(23, 500, 1);
    engine.React(23, 30, 3);
    EXPECT_EQ(engine.SnapshotState().level, before.level);
}

TEST(KeyboardLightEngine, HeldKeyStaysLitAndFadesAfterRelease) {
    TestClock clock;
    KeyboardLightEngine engine(clock.Get(), SeededRandomSource(1));
    engine.Start(6);
    engine.React(6, 30, 1);
    for (int i = 0; i < 5; ++i) {
        engine.Step(6, Setting(1, 0));
    }
    EXPECT_EQ(engine.SnapshotColors()[30], (LedColor{200, 100, 50, 254}));
    engine.React(6, 30, 2);
    engine.Step(6, Setting(1, 0));
    EXPECT_EQ(engine.SnapshotState().level[30], 250);
    for (int i = 0; i < 60; ++i) {
        engine.Step(6, Setting(1, 0));
    }
    EXPECT_EQ(engine.SnapshotState().level[30], 0);
}

TEST(KeyboardLightEngine, PathFillCannotRunPastItsTable) {
    TestClock clock;
    KeyboardLightEngine engine(clock.Get(), SeededRandomSource(1));
    engine.Start(27);
    for (int step = 0; step < 400; ++step) {
        engine.Step(27, Setting(step < 200 ? 1 : 0));
        ASSERT_LE(engine.SnapshotState().phase, 126);
    }
}

TEST(LightEngines, BrightnessZeroIsDarkInEveryModeOfEveryDevice) {
    TestClock clock;
    std::vector<LightEffectStep> custom = {{0, 0, 5, 0, 1, 255, 255, 255, 1000, 0},
                                           {4, 0, 5, 0, 1, 255, 255, 255, 1000, 0}};
    for (int mode = 0; mode <= 30; ++mode) {
        SCOPED_TRACE(mode);
        KeyboardLightEngine keyboard(clock.Get(), SeededRandomSource(7));
        keyboard.CustomEffect().SetSteps(custom);
        std::vector<CustomLightColor> colors(126, CustomLightColor{255, 255, 255, 255});
        keyboard.Start(static_cast<std::uint8_t>(mode), colors);
        for (int step = 0; step < 60; ++step) {
            keyboard.React(static_cast<std::uint8_t>(mode), 30 + step % 20, 1 + step % 2);
            keyboard.Step(static_cast<std::uint8_t>(mode), Setting(step % 2, step % 3 != 0, 0, 5));
            clock.now += 700;
            ASSERT_TRUE(AllDark(keyboard.SnapshotColors())) << step;
        }
        for (const auto& [kind, count] :
             {std::pair{LedDeviceKind::kMouse, 7}, std::pair{LedDeviceKind::kPad, 15},
              std::pair{LedDeviceKind::kHeadset, 13}}) {
            LedLightEngine leds(kind, count, clock.Get());
            leds.CustomEffect().SetSteps(custom);
            for (int step = 0; step < 60; ++step) {
                leds.Step(static_cast<std::uint8_t>(mode), Setting(step % 2, step % 3 != 0, 0, 5));
                clock.now += 700;
                ASSERT_TRUE(AllDark(leds.SnapshotColors())) << step;
            }
        }
    }
}

TEST(KeyboardLightEngine, SnapshotsNeverMixTwoSteps) {
    TestClock clock;
    KeyboardLightEngine engine(clock.Get(), SeededRandomSource(1));
    engine.Start(5);
    std::atomic<bool> done{false};
    std::thread lightThread([&] {
        LightSetting red = Setting(1, 0);
        red.red = 255;
        LightSetting blue = Setting(1, 0);
        blue.blue = 255;
        for (int step = 0; step < 20000; ++step) {
            engine.Step(5, step % 2 == 0 ? red : blue);
            engine.React(6, step % 126, 1);
        }
        done = true;
    });
    std::array<LedColor, 126> frame{};
    int mixed = 0;
    while (!done) {
        engine.SnapshotColors(frame);
        mixed +=
            std::all_of(frame.begin(), frame.end(), [&](auto& c) { return c == frame[0]; }) ? 0 : 1;
    }
    lightThread.join();
    EXPECT_EQ(mixed, 0);
}

TEST(LedLightEngine, WavesSpaceTheirLedsByDevice) {
    TestClock clock;
    LedLightEngine pad(LedDeviceKind::kPad, 15, clock.Get());
    LedLightEngine headset(LedDeviceKind::kHeadset, 13, clock.Get());
    pad.Step(0, Setting(1));
    headset.Step(0, Setting(1));
    EXPECT_EQ(pad.SnapshotColors()[2], WheelLed(1 + 1 + 14, 255));
    EXPECT_EQ(headset.SnapshotColors()[2], WheelLed(1 + 1 + 32, 255));
    LedLightEngine single(LedDeviceKind::kHeadset, 13, clock.Get());
    single.Step(0, Setting(1, 0));  // the single-colour wave moves three places a step
    EXPECT_EQ(single.SnapshotState().phase, 3);
    EXPECT_EQ(single.SnapshotColors()[1], (LedColor{200, 100, 50, Scale(255, kWaveCurve[13])}));
}

TEST(LedLightEngine, ChasesMoveALitMarkAroundTheDevice) {
    TestClock clock;
    for (const std::uint8_t mode : {6, 7}) {
        SCOPED_TRACE(mode);
        LedLightEngine pad(LedDeviceKind::kPad, 15, clock.Get());
        std::vector<int> brightest;
        for (int step = 0; step < 40; ++step) {
            pad.Step(mode, Setting(1, 0));
            const auto leds = pad.SnapshotColors();
            const auto top = std::max_element(leds.begin(), leds.end(), [](auto& a, auto& b) {
                return a.intensity < b.intensity;
            });
            if (top->intensity > 0) {
                brightest.push_back(static_cast<int>(top - leds.begin()));
            }
        }
        ASSERT_GT(brightest.size(), 20u);
        // The brightest LED moves on: it is not always the same one.
        EXPECT_GT(std::set<int>(brightest.begin(), brightest.end()).size(), 4u);
    }
}

TEST(LedLightEngine, ChaseOverTheMostLedsKeepsBothMarksOfItsRing) {
    TestClock clock;
    for (const auto& [kind, direction] :
         {std::pair{LedDeviceKind::kPad, 0}, std::pair{LedDeviceKind::kPad, 1},
          std::pair{LedDeviceKind::kHeadset, 1}}) {
        LedLightEngine leds(kind, kMaxLedCount, clock.Get());
        for (int step = 0; step < 300; ++step) {
            leds.Step(6, Setting(static_cast<std::uint8_t>(direction)));
            const LightRing ring = leds.SnapshotState().ring;
            ASSERT_TRUE(std::all_of(ring.begin(), ring.end(), [](auto b) { return b <= 1; }));
            ASSERT_EQ(std::count(ring.begin(), ring.end(), 1), 2) << "step " << step;
        }
    }
}

TEST(LedLightEngine, ModesWithoutAStepPlayTheCustomEffect) {
    TestClock clock;
    for (const auto& [kind, mode] :
         {std::pair{LedDeviceKind::kPad, 5}, std::pair{LedDeviceKind::kHeadset, 9},
          std::pair{LedDeviceKind::kMouse, 9}}) {
        LedLightEngine leds(kind, 13, clock.Get());
        leds.CustomEffect().SetSteps({{1, 5, 5, 0, 0, 10, 20, 30, 1000, 0}});
        leds.Step(static_cast<std::uint8_t>(mode), Setting(1));
        EXPECT_EQ(leds.SnapshotColors()[12], (LedColor{10, 20, 30, 255}));
    }
    // The mouse plays its own group chase in mode 5.
    LedLightEngine mouse(LedDeviceKind::kMouse, 7, clock.Get());
    mouse.CustomEffect().SetSteps({{1, 5, 5, 0, 0, 10, 20, 30, 1000, 0}});
    mouse.Step(5, Setting(1));
    EXPECT_NE(mouse.SnapshotColors()[0], (LedColor{10, 20, 30, 255}));
}

TEST(LightListComposer, EntriesOverrideWhatTheEffectDrew) {
    TestClock clock;
    LightListComposer composer(clock.Get());
    std::vector<LedColor> leds(6, LedColor{9, 9, 9, 9});
    std::vector<LightSetting> entries(6);
    entries[0] = {.effect = 0, .brightness = 5, .speed = 0, .extraByte = 0};  // absent area
    entries[1] = {.effect = 1, .brightness = 3, .red = 1, .green = 2, .blue = 3};
    entries[2] = {.effect = 4};
    entries[3] = {.effect = 0, .brightness = 5, .speed = 1, .red = 7, .extraByte = 1};
    entries[4] = {.effect = 2, .brightness = 5, .speed = 4, .red = 5};
    entries[5] = {.effect = 9};
    composer.Load(entries);
    composer.Compose(leds);
    EXPECT_EQ(leds[0], (LedColor{9, 9, 9, 9}));
    EXPECT_EQ(leds[1], (LedColor{1, 2, 3, 135}));
    EXPECT_EQ(leds[2], LedColor{});
    EXPECT_EQ(leds[3], (LedColor{7, 0, 0, Scale(kBreathingCurve[5], 255)}));
    EXPECT_EQ(leds[4], (LedColor{5, 0, 0, 255}));  // first pass flips on
    EXPECT_EQ(leds[5], (LedColor{9, 9, 9, 9}));
    clock.now += 1399;
    composer.Compose(leds);
    EXPECT_EQ(leds[4].intensity, 255);
    clock.now += 1;
    composer.Compose(leds);
    EXPECT_EQ(leds[4], LedColor{});
}

TEST(LightListComposer, IsStillOnlyWhileComposingAgainChangesNothing) {
    TestClock clock;
    LightListComposer composer(clock.Get());
    EXPECT_TRUE(composer.IsStill());  // no list at all
    std::vector<LightSetting> entries = {
        {.effect = 1, .brightness = 3, .red = 1},  // static
        {.effect = 4},                             // off
        {.effect = 0, .extraByte = 0},             // breathing of an absent area
        {.effect = 3, .extraByte = 0},             // colour cycle of an absent area
        {.effect = 9},                             // nothing
    };
    composer.Load(entries);
    EXPECT_TRUE(composer.IsStill());
    std::vector<LedColor> leds(entries.size());
    composer.Compose(leds);
    const std::vector<LedColor> once = leds;
    clock.now += 5000;
    composer.Compose(leds);
    EXPECT_EQ(leds, once);

    // Each moving entry alone is enough to need every pass.
    for (const LightSetting moving :
         {LightSetting{.effect = 0, .extraByte = 1}, LightSetting{.effect = 3, .extraByte = 1},
          LightSetting{.effect = 2}}) {
        SCOPED_TRACE(int{moving.effect});
        std::vector<LightSetting> busy = entries;
        busy.push_back(moving);
        composer.Load(busy);
        EXPECT_FALSE(composer.IsStill());
    }
}

TEST(CustomEffectPlayer, PlaysStepsForTheirTimeAndNothingWithoutSteps) {
    TestClock clock;
    CustomEffectPlayer player(clock.Get());
    std::vector<LedColor> leds(4, LedColor{1, 1, 1, 1});
    player.Play(leds, 0);
    EXPECT_TRUE(AllDark(leds));
    player.SetSteps({{1, 5, 5, 0, 0, 10, 20, 30, 1000, 0}, {5, 5, 5, 0, 1, 0, 0, 0, 1000, 0}});
    player.Play(leds, 0);
    EXPECT_EQ(leds[3], (LedColor{10, 20, 30, 255}));
    clock.now += 1000;
    player.Play(leds, 0);  // still the static step: its time has not been exceeded
    EXPECT_EQ(leds[3], (LedColor{10, 20, 30, 255}));
    clock.now += 1;
    player.Play(leds, 0);
    player.Play(leds, 0);
    // The phase carries over from the static step (three passes) and moves one hue a pass.
    EXPECT_EQ(leds[0], WheelLed(4, 255));
}

}  // namespace
}  // namespace quaro

namespace quaro {
namespace {

TEST(LedLightEngine, MouseGroupsKeepTheirFirstLedsColourWhileTheDirectionsFlagIsSet) {
    TestClock clock;
    const LedColor held{1, 2, 3, 0};
    for (const auto& [direction, forwardFlag, backwardFlag, keeps] :
         {std::tuple{1, true, false, true}, std::tuple{0, true, false, false},
          std::tuple{0, false, true, true}, std::tuple{1, false, false, false}}) {
        SCOPED_TRACE(::testing::Message()
                     << "direction " << direction << " flags " << forwardFlag << backwardFlag);
        LedLightEngine mouse(LedDeviceKind::kMouse, 27, clock.Get());
        mouse.SetGroupColorFlags(forwardFlag, backwardFlag);
        mouse.SetAllColors(held);
        for (int step = 0; step < 3; ++step) {  // the third step marks the first group
            mouse.Step(5, Setting(static_cast<std::uint8_t>(direction)));
        }
        const std::vector<LedColor> colors = mouse.SnapshotColors();
        const LedLightState state = mouse.SnapshotState();
        for (int led = 0; led < 27; led += 4) {
            const int group = led / 3;
            const std::uint8_t intensity = Scale(255, state.level[group]);
            const auto hue = static_cast<std::uint8_t>((state.phase + 12 * group) % 192);
            const LedColor expected =
                keeps ? LedColor{1, 2, 3, intensity} : WheelLed(hue, intensity);
            EXPECT_EQ(colors[led], expected) << "LED " << led;
        }
    }
    // Without multicolour the single colour wins over the flag.
    LedLightEngine single(LedDeviceKind::kMouse, 27, clock.Get());
    single.SetGroupColorFlags(true, true);
    single.SetAllColors(held);
    single.Step(5, Setting(1, 0));
    EXPECT_EQ(single.SnapshotColors()[0].red, 200);
}

TEST(LedLightEngine, ColoursSetAndReadWhileTheLightThreadSteps) {
    std::atomic<std::uint32_t> now{0};
    LedLightEngine engine(LedDeviceKind::kPad, 15, [&now] { return now.load(); });
    LightListComposer list([&now] { return now.load(); });
    list.Load({LightSetting{.effect = 3, .brightness = 5, .speed = 5, .extraByte = 1}});
    std::atomic<bool> done{false};
    std::thread light([&] {
        for (std::uint8_t mode = 0; !done; mode = static_cast<std::uint8_t>((mode + 1) % 10)) {
            now += 5;
            engine.Step(mode, Setting(1));
            engine.Compose(list);
        }
    });
    const std::vector<LedColor> synced(15, LedColor{9, 9, 9, 9});
    for (int i = 0; i < 3000; ++i) {
        engine.SetColors(synced);
        const std::vector<LedColor> colors = engine.SnapshotColors();
        ASSERT_EQ(colors.size(), 15u);
        // A snapshot is one step or one setter's colours, never half of each: LEDs 0-14 of the
        // pad are either all the sync colour (LED 0 aside, which the list recolours) or none.
        const auto fromSync = std::count(colors.begin() + 1, colors.end(), synced[0]);
        EXPECT_TRUE(fromSync == 0 || fromSync == 14) << fromSync;
        engine.SnapshotState();
    }
    done = true;
    light.join();
}

}  // namespace
}  // namespace quaro
