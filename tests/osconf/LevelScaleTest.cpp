#include "osconf/LevelScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace quaro {
namespace {

// A dB scale as sound cards declare it: min + step * (raw - rawMin), optionally silent at rawMin.
LevelScale::DbOfRaw LinearDb(long rawMin, long dbMin, long step, bool silentMin = false) {
    return [=](long raw) -> std::optional<long> {
        if (silentMin && raw == rawMin) {
            return kMuteCentiDb;
        }
        return dbMin + step * (raw - rawMin);
    };
}

TEST(LevelScaleTest, RawRangeWithoutDbRoundsToNearestStepAndClamps) {
    const LevelScale scale(0, 31);
    EXPECT_FALSE(scale.UsesDb());
    EXPECT_EQ(scale.RawOfLevel(0.0), 0);
    EXPECT_EQ(scale.RawOfLevel(1.0), 31);
    EXPECT_EQ(scale.RawOfLevel(0.29), 9);   // 8.99 rounds up
    EXPECT_EQ(scale.RawOfLevel(0.30), 9);   // 9.3 rounds down
    EXPECT_EQ(scale.RawOfLevel(0.50), 16);  // 15.5: a tie goes up
    EXPECT_EQ(scale.RawOfLevel(-0.4), 0);
    EXPECT_EQ(scale.RawOfLevel(7.0), 31);
    EXPECT_EQ(scale.RawOfLevel(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_DOUBLE_EQ(scale.LevelOf(-5), 0.0);
    EXPECT_DOUBLE_EQ(scale.LevelOf(40), 1.0);
    EXPECT_NEAR(scale.LevelOf(9), 9.0 / 31.0, 1e-12);
}

TEST(LevelScaleTest, EveryStepSurvivesLevelAndBack) {
    const std::vector<LevelScale> scales = {
        LevelScale(0, 31),
        LevelScale(-20, 20),
        LevelScale(0, 16, LinearDb(0, -1200, 150)),
        LevelScale(0, 31, LinearDb(0, -4650, 150, true)),
        LevelScale(5, 200, LinearDb(5, -6000, 31, true)),
    };
    for (const LevelScale& scale : scales) {
        for (long raw = scale.RawMin(); raw <= scale.RawMax(); ++raw) {
            EXPECT_EQ(scale.RawOfLevel(scale.LevelOf(raw)), raw)
                << "range " << scale.RawMin() << ".." << scale.RawMax();
            EXPECT_EQ(scale.RawOfUnit(static_cast<double>(scale.UnitOf(raw))), raw);
        }
    }
}

TEST(LevelScaleTest, EveryPercentGoesToTheNearestStep) {
    const LevelScale scale(0, 16, LinearDb(0, -1200, 150));
    for (int percent = 0; percent <= 100; ++percent) {
        const long raw = scale.RawOfLevel(percent / 100.0);
        const double wanted = percent / 100.0;
        for (long other = 0; other <= 16; ++other) {
            EXPECT_LE(std::abs(scale.LevelOf(raw) - wanted),
                      std::abs(scale.LevelOf(other) - wanted) + 1e-12)
                << percent << "% went to " << raw << " but " << other << " is nearer";
        }
    }
}

TEST(LevelScaleTest, LevelsAreEvenInDecibelsNotInSteps) {
    // A chip whose steps grow: 0.5 dB each up to raw 20, then 3 dB each.
    const LevelScale scale(0, 30, [](long raw) -> std::optional<long> {
        return raw <= 20 ? -4000 + raw * 50 : -3000 + (raw - 20) * 300;
    });
    ASSERT_TRUE(scale.UsesDb());
    EXPECT_EQ(scale.UnitMin(), -4000);
    EXPECT_EQ(scale.UnitMax(), 0);
    // Half the span is -20 dB: step 23 (-21 dB) or 24 (-18 dB); -21 is nearer.
    EXPECT_EQ(scale.RawOfLevel(0.5), 23);
    EXPECT_NEAR(scale.LevelOf(20), 0.25, 1e-12);  // -30 dB of a 40 dB span
    EXPECT_EQ(scale.RawOfUnit(-1900.0), 24);      // -19 dB: -18 is nearer than -21
    EXPECT_EQ(scale.RawOfUnit(-99999.0), 0);
    EXPECT_EQ(scale.RawOfUnit(500.0), 30);
}

TEST(LevelScaleTest, SilentLowestStepIsLevelZeroAndKeepsTheNextStepAudible) {
    const LevelScale scale(0, 31, LinearDb(0, -4650, 150, true));
    ASSERT_TRUE(scale.UsesDb());
    EXPECT_EQ(scale.RawOfLevel(0.0), 0);
    EXPECT_DOUBLE_EQ(scale.LevelOf(0), 0.0);
    EXPECT_GT(scale.LevelOf(1), 0.0);
    EXPECT_LT(scale.LevelOf(1), scale.LevelOf(2));
    EXPECT_EQ(scale.RawOfLevel(0.01), 0);  // nearer silence than the first step (1/31)
    EXPECT_EQ(scale.RawOfLevel(0.03), 1);
    // The floor sits one step below the first audible one, never at ALSA's mute marker.
    EXPECT_EQ(scale.UnitOf(0), -4500 - 150);
    EXPECT_EQ(scale.UnitMax(), 0);
    EXPECT_EQ(scale.UnitStep(), 150);
}

TEST(LevelScaleTest, MissingOrFlatDbFallsBackToRawSteps) {
    const LevelScale noInfo(0, 10, [](long) -> std::optional<long> { return std::nullopt; });
    EXPECT_FALSE(noInfo.UsesDb());
    EXPECT_EQ(noInfo.RawOfLevel(0.45), 5);  // 4.5: a tie goes up
    EXPECT_EQ(noInfo.UnitOf(7), 7);
    const LevelScale flat(0, 10, [](long) -> std::optional<long> { return 0; });
    EXPECT_FALSE(flat.UsesDb());
    EXPECT_NEAR(flat.LevelOf(5), 0.5, 1e-12);
    const LevelScale single(3, 3);
    EXPECT_EQ(single.RawOfLevel(0.7), 3);
    EXPECT_DOUBLE_EQ(single.LevelOf(3), 0.0);
}

}  // namespace
}  // namespace quaro
