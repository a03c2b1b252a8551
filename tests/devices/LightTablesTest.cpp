#include "devices/light/KeyboardLightEngine.h"
#include "devices/light/LightSync.h"
#include "devices/light/LightTables.h"

#include <gtest/gtest.h>

#include <vector>

namespace quaro {
namespace {

constexpr std::array<std::uint8_t, 32> kRise = {
    1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};

TEST(LightTables, CurvesAreMirroredHalves) {
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(kBreathingCurve[64 + i], kBreathingCurve[63 - i]) << i;
    }
    for (int i = 0; i < 48; ++i) {
        EXPECT_EQ(kWaveCurve[48 + i], kWaveCurve[47 - i]) << i;
    }
    EXPECT_EQ(kWaveCurve.front(), 22);
    EXPECT_EQ(kWaveCurve[47], 255);
    EXPECT_EQ(kPulseCurve[24], 255);
    for (std::size_t i = 88; i < kPulseCurve.size(); ++i) {
        EXPECT_EQ(kPulseCurve[i], 0) << i;
    }
}

// The sync thread's breath curve is described by its steps: 0-10 by 1, then by 2 to 24, by 3 to
// 45, by 4 to 89, by 5 to 134, by 6 to 206 and by 7 to 255; it is the breathing curve.
TEST(LightTables, BreathingCurveFollowsTheStepRule) {
    std::vector<int> rising;
    int value = 0;
    for (; value <= 10; ++value) {
        rising.push_back(value);
    }
    value = 10;
    for (const auto& [step, last] : std::vector<std::pair<int, int>>{
             {2, 24}, {3, 45}, {4, 89}, {5, 134}, {6, 206}, {7, 255}}) {
        while (value + step <= last) {
            value += step;
            rising.push_back(value);
        }
    }
    ASSERT_EQ(rising.size(), 64u);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(kBreathingCurve[i], rising[i]) << i;
    }
}

TEST(LightTables, WheelIsBuiltFromTheRampsAndRepeatsItsStart) {
    constexpr std::array<std::uint8_t, 32> kFall = {
        248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
        69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};
    for (int j = 0; j < 32; ++j) {
        const std::uint8_t u = kRise[j];
        const std::uint8_t d = kFall[j];
        const std::array<std::array<std::uint8_t, 3>, 6> runs = {
            {{255, u, 0}, {d, 255, 0}, {0, 255, u}, {0, d, 255}, {u, 0, 255}, {255, 0, d}}};
        for (int run = 0; run < 6; ++run) {
            const WheelColor& c = kColorWheel[32 * run + j];
            EXPECT_EQ((std::array{c.red, c.green, c.blue}), runs[run]) << run << " " << j;
        }
    }
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(kColorWheel[192 + i].red, kColorWheel[i].red);
        EXPECT_EQ(kColorWheel[192 + i].green, kColorWheel[i].green);
        EXPECT_EQ(kColorWheel[192 + i].blue, kColorWheel[i].blue);
    }
}

TEST(LightTables, KeyTablesNameOnlyLogicalKeys) {
    for (const auto& column : kKeyMatrix) {
        for (std::uint8_t key : column) {
            EXPECT_LE(key, kNoKey);
        }
    }
    std::array<int, 127> seen{};
    for (std::uint8_t key : kKeyOrder) {
        ++seen[key];
    }
    for (int key = 0; key < 126; ++key) {
        EXPECT_LE(seen[key], 1) << key;  // the order visits a key at most once
    }
    EXPECT_EQ(seen[126], 21);
    for (std::uint8_t position : kSparklePositions) {
        EXPECT_LT(kKeyOrder[position], kNoKey);  // sparkles land on keys
    }
    for (const auto& frame : kKeyFrames) {
        for (std::uint8_t key : frame) {
            EXPECT_LE(key, kNoKey);
        }
    }
    EXPECT_EQ(kKeyPath[126], 0);
    EXPECT_EQ(kKeyPath[127], 0);
}

TEST(LightTables, PeriodsFollowTheModeGroups) {
    EXPECT_EQ(KeyboardLightPeriod(0, 0), 6);
    EXPECT_EQ(KeyboardLightPeriod(24, 5), 1);
    EXPECT_EQ(KeyboardLightPeriod(16, 0), 7);
    EXPECT_EQ(KeyboardLightPeriod(8, 1), 5);
    EXPECT_EQ(KeyboardLightPeriod(25, 0), 28);
    EXPECT_EQ(KeyboardLightPeriod(25, 5), 1);
    EXPECT_EQ(KeyboardLightPeriod(27, 0), 0);
    EXPECT_EQ(KeyboardLightPeriod(26, 5), 7);
    EXPECT_EQ(KeyboardLightPeriod(26, 200), 7);  // out-of-range speeds take the fastest entry
    EXPECT_EQ(KeyboardLightPeriod(19, 0), 0);
    EXPECT_TRUE(IsKeyboardCustomEffectMode(19));
    EXPECT_TRUE(IsKeyboardCustomEffectMode(28));
    EXPECT_FALSE(IsKeyboardCustomEffectMode(27));
    for (int speed = 0; speed < 5; ++speed) {
        EXPECT_EQ(kSyncPeriods[speed], kSpeedPeriods[speed]);
    }
}

}  // namespace
}  // namespace quaro
