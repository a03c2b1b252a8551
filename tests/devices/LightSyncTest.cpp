#include "devices/light/LightPrimitives.h"
#include "devices/light/LightSync.h"
#include "devices/light/LightTables.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace quaro {
namespace {

LightSetting SyncSetting(std::uint8_t brightness, std::uint8_t speed, std::uint8_t direction,
                         std::uint8_t multi) {
    return {.effect = 0,
            .brightness = brightness,
            .speed = speed,
            .direction = direction,
            .multiColor = multi,
            .red = 10,
            .green = 20,
            .blue = 30};
}

TEST(LightSync, ModesMapToEffectsAndBack) {
    EXPECT_EQ(SyncEffectForMode(SyncDeviceKind::kKeyboard, 4), SyncEffect::kBreathing);
    EXPECT_EQ(SyncEffectForMode(SyncDeviceKind::kKeyboard, 21), SyncEffect::kFlash);
    EXPECT_EQ(SyncEffectForMode(SyncDeviceKind::kKeyboard, 2), std::nullopt);
    EXPECT_EQ(SyncEffectForMode(SyncDeviceKind::kMouse, 8), SyncEffect::kOff);
    EXPECT_EQ(SyncEffectForMode(SyncDeviceKind::kHeadset, 1), SyncEffect::kSpectrum);
    EXPECT_EQ(SyncEffectForMode(SyncDeviceKind::kPad, 5), std::nullopt);
    for (const SyncDeviceKind kind : {SyncDeviceKind::kKeyboard, SyncDeviceKind::kMouse,
                                      SyncDeviceKind::kPad, SyncDeviceKind::kHeadset}) {
        for (int e = 0; e < 5; ++e) {
            const auto effect = static_cast<SyncEffect>(e);
            EXPECT_EQ(SyncEffectForMode(kind, DeviceModeForSyncEffect(kind, effect)), effect);
        }
    }
    // A keyboard breathing puts the other devices into their breathing mode.
    EXPECT_EQ(DeviceModeForSyncEffect(SyncDeviceKind::kMouse, SyncEffect::kBreathing), 2);
    EXPECT_EQ(DeviceModeForSyncEffect(SyncDeviceKind::kKeyboard, SyncEffect::kBreathing), 4);
}

TEST(LightSync, PacksRedLowAndBrightnessHigh) {
    EXPECT_EQ(PackSyncColor(1, 2, 3, 4), 0x04030201u);
    EXPECT_EQ(UnpackSyncColor(0x04030201u), (LedColor{1, 2, 3, 4}));
}

TEST(LightSync, BreathingRunsUpOrDownTheCurve) {
    LightSync up;
    up.Configure(SyncEffect::kBreathing, SyncSetting(5, 0, 1, 0));
    for (int i = 1; i <= 130; ++i) {
        const std::uint32_t sent = up.Step(0);
        ASSERT_EQ(sent >> 24, Scale(255, kBreathingCurve[i % 128])) << i;
        ASSERT_EQ(sent & 0xFFFFFF, PackSyncColor(10, 20, 30, 0));
    }
    LightSync down;
    down.Configure(SyncEffect::kBreathing, SyncSetting(4, 0, 0, 1));
    std::uint32_t sent = 0;
    for (int i = 1; i <= 127; ++i) {
        sent = down.Step(0);
        ASSERT_EQ(sent >> 24, Scale(195, kBreathingCurve[128 - i])) << i;
    }
    // With multicolour the wheel moves on by 16 whenever the breath passes steps 1 and 0.
    EXPECT_EQ(sent & 0xFFFFFF, PackSyncColor(255, 81, 0, 0));           // W[16] at step 1
    EXPECT_EQ(down.Step(0) & 0xFFFFFF, PackSyncColor(248, 255, 0, 0));  // W[32] at step 0
    EXPECT_EQ(down.Step(0) & 0xFFFFFF, PackSyncColor(248, 255, 0, 0));  // step 127 keeps it
}

TEST(LightSync, TicksCountTurnsOfTwoMillisecondsOrMore) {
    LightSync sync;
    sync.Configure(SyncEffect::kSpectrum, SyncSetting(5, 4, 1, 1));
    std::uint32_t now = 1000;
    sync.Reset(now);
    int steps = 0;
    int turns = 0;
    for (; steps == 0 && turns < 100; ++turns) {
        now += 2;
        steps += sync.Tick(now).has_value() ? 1 : 0;
    }
    EXPECT_EQ(turns, 7);
    // A tick that moved by one millisecond does not count.
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(sync.Tick(now + (i % 2)).has_value());
    }
    sync.Configure(SyncEffect::kSpectrum, SyncSetting(5, 9, 1, 1));
    EXPECT_TRUE(sync.Tick(now + 5).has_value());
    EXPECT_FALSE(sync.Tick(now + 6).has_value());
    EXPECT_TRUE(sync.Tick(now + 10).has_value());
}

TEST(LightSync, ATickThatWentBackwardsIsNotATurn) {
    LightSync sync;
    sync.Configure(SyncEffect::kSpectrum, SyncSetting(5, 0, 1, 1));  // period 28
    sync.Reset(5000);
    // Twenty-eight ticks that each went back by 2 ms or more: none of them is a turn, so the
    // effect must not step however many there are.
    for (std::uint32_t t = 4998; t > 4998 - 28 * 3; t -= 3) {
        EXPECT_FALSE(sync.Tick(t).has_value()) << t;
    }
    // Counting starts again from the last tick seen: 28 forward turns make one step.
    std::uint32_t now = 4998 - 28 * 3 + 3;
    int turns = 0;
    while (!sync.Tick(now += 2).has_value() && turns < 100) {
        ++turns;
    }
    EXPECT_EQ(turns + 1, 28);
}

TEST(LightSync, ConfiguredWhileTheSyncThreadTicks) {
    LightSync sync;
    sync.Configure(SyncEffect::kSpectrum, SyncSetting(5, 5, 1, 1));
    sync.Reset(0);
    std::atomic<bool> done{false};
    std::thread ticker([&] {
        for (std::uint32_t t = 2; !done; t += 2) {
            sync.Tick(t);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        const auto effect = static_cast<SyncEffect>(i % 5);
        sync.Configure(effect, SyncSetting(static_cast<std::uint8_t>(i % 6), 5, 1, 1));
        EXPECT_EQ(sync.Effect(), effect);
    }
    done = true;
    ticker.join();
    EXPECT_EQ(sync.Period(), 0);  // speed 5
}

TEST(LightSync, BrightnessZeroAndOffAreDark) {
    for (int e = 0; e < 5; ++e) {
        LightSync sync;
        sync.Configure(static_cast<SyncEffect>(e), SyncSetting(0, 4, 1, e % 2));
        for (std::uint32_t t = 0; t < 20000; t += 500) {
            EXPECT_EQ(sync.Step(t) >> 24, 0u) << e;
        }
    }
    LightSync off;
    off.Configure(SyncEffect::kOff, SyncSetting(5, 0, 1, 1));
    EXPECT_EQ(off.Step(0), 0u);
}

TEST(LightSync, FlashTogglesOnItsPeriodAndMovesItsHue) {
    LightSync flash;
    flash.Configure(SyncEffect::kFlash, SyncSetting(5, 4, 1, 1));
    EXPECT_EQ(flash.Step(1400),
              PackSyncColor(kColorWheel[14].red, kColorWheel[14].green, kColorWheel[14].blue, 255));
    EXPECT_NE(flash.Step(2799), 0u);
    EXPECT_EQ(flash.Step(2800), 0u);
}

}  // namespace
}  // namespace quaro
