#include "Eventually.h"
#include "TempDir.h"
#include "device/SimHidBackend.h"
#include "devices/light/LightPrimitives.h"
#include "devices/mouse/MouseLightThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;

using test::Eventually;

LightSetting MouseLight(std::uint8_t mode, std::uint8_t speed, std::uint8_t multi = 0) {
    return {.effect = mode,
            .brightness = 5,
            .speed = speed,
            .direction = 1,
            .multiColor = multi,
            .red = 40,
            .green = 50,
            .blue = 60};
}

// The light thread only looks at the channel's flags; no device is opened.
class MouseLightThreadTest : public ::testing::Test {
protected:
    MouseLightThreadTest()
        : m_channel(std::make_shared<SimHidBackend>(m_bus.Path())),
          m_light(m_channel, [this] { return m_now.load(); }) {
        m_channel.SetConnected(true);
    }

    // Passes with the clock one millisecond on before each; returns how many stepped.
    int StepsIn(int passes) {
        int steps = 0;
        for (int i = 0; i < passes; ++i) {
            ++m_now;
            steps += m_light.RunPass() == MouseLightThread::Pass::kStepped ? 1 : 0;
        }
        return steps;
    }

    test::TempDir m_bus;
    std::atomic<std::uint32_t> m_now{1000};
    CommandChannel m_channel;
    MouseLightThread m_light;
};

TEST_F(MouseLightThreadTest, TheCountGrowsWithTheClockNotWithThePasses) {
    const int periods[] = {28, 23, 18, 13, 7, 0};
    for (std::uint8_t speed = 0; speed < 6; ++speed) {
        SCOPED_TRACE(::testing::Message() << "speed " << int{speed});
        m_light.SetSetting(MouseLight(1, speed));
        StepsIn(30);  // whatever count is left from the last speed
        const int period = std::max(periods[speed], 1);
        EXPECT_EQ(StepsIn(period * 10), 10);
    }
    // Passes while the clock stands still count nothing.
    m_light.SetSetting(MouseLight(1, 4));
    StepsIn(30);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(m_light.RunPass(), MouseLightThread::Pass::kIdle);
    }
}

TEST_F(MouseLightThreadTest, TheWaveSpreadsTheWheelSevenPlacesApartPerLed) {
    m_light.SetSetting(MouseLight(0, 5, 1));
    ASSERT_EQ(StepsIn(2), 2);  // speed 5 steps on every count
    const std::vector<LedColor> colors = m_light.SnapshotColors();
    ASSERT_EQ(colors.size(), static_cast<std::size_t>(kMouseLedCount));
    const std::uint8_t phase = m_light.SnapshotState().phase;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const auto hue = static_cast<std::uint8_t>((phase + 1 + 7 * i) % 192);
        EXPECT_EQ(colors[i], WheelLed(hue, BrightnessLevel(5))) << "LED " << i;
    }
    // Without multicolour the single colour breathes along the 96-place curve.
    m_light.SetSetting(MouseLight(0, 5, 0));
    StepsIn(1);
    const std::vector<LedColor> single = m_light.SnapshotColors();
    for (const LedColor& led : single) {
        EXPECT_EQ(led.red, 40);
        EXPECT_EQ(led.blue, 60);
    }
    EXPECT_NE(single[0].intensity, single[5].intensity);
}

TEST_F(MouseLightThreadTest, TheChaseLightsNineGroupsOfThreeAlike) {
    m_light.SetSetting(MouseLight(5, 5, 1));
    StepsIn(40);
    const std::vector<LedColor> colors = m_light.SnapshotColors();
    bool anyLit = false;
    for (int group = 0; group < 9; ++group) {
        const LedColor& first = colors[static_cast<std::size_t>(group * 3)];
        anyLit = anyLit || first.intensity > 0;
        EXPECT_EQ(colors[static_cast<std::size_t>(group * 3 + 1)], first) << "group " << group;
        EXPECT_EQ(colors[static_cast<std::size_t>(group * 3 + 2)], first) << "group " << group;
    }
    EXPECT_TRUE(anyLit);
}

TEST_F(MouseLightThreadTest, ModesPastEightPlayTheCustomEffectOnEveryPass) {
    m_light.SetCustomSteps(
        {LightEffectStep{.mode = 1, .brightness = 5, .speed = 5, .red = 1, .green = 2, .blue = 3}});
    m_light.SetSetting(MouseLight(9, 0));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(m_light.RunPass(), MouseLightThread::Pass::kStepped);  // clock standing still
    }
    const std::vector<LedColor> colors = m_light.SnapshotColors();
    EXPECT_EQ(colors.front().red, 1);
    EXPECT_EQ(colors.back().blue, 3);
    std::array<std::uint8_t, kMouseFrameSize> frame{};
    EXPECT_EQ(m_light.ComposeFrame(frame), kMouseFrameSize);
}

TEST_F(MouseLightThreadTest, NothingRunsWhileAwayOrWhileTheLightSyncDrives) {
    m_light.SetSetting(MouseLight(9, 0));
    m_channel.SetLightSync(true);
    EXPECT_EQ(m_light.RunPass(), MouseLightThread::Pass::kSynchronised);
    m_channel.SetConnected(false);
    EXPECT_EQ(m_light.RunPass(), MouseLightThread::Pass::kDisconnected);
}

TEST_F(MouseLightThreadTest, AStaticEffectIsDrawnThenTheThreadSleepsUntilAChange) {
    // The count follows the clock, so this thread runs on the real one.
    MouseLightThread light(m_channel, SteadyMillisecondClock());
    light.SetSetting(MouseLight(3, 0));
    light.Start();
    const LedColor drawn{40, 50, 60, 255};
    ASSERT_TRUE(Eventually(
        [&] { return light.SnapshotColors()[0] == drawn && light.Pacer().PassCount() >= 1; }));
    EXPECT_LT(light.Pacer().PassCount(), 10u);
    const std::uint64_t passes = light.Pacer().PassCount();
    const std::uint64_t wakes = light.Pacer().WakeCount();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(light.Pacer().PassCount(), passes);
    EXPECT_EQ(light.Pacer().WakeCount(), wakes);

    // Off is as still as static.
    light.SetSetting(MouseLight(8, 0));
    ASSERT_TRUE(Eventually([&] { return light.SnapshotColors()[0] == LedColor{}; }));
    light.SetSetting(MouseLight(0, 5, 1));  // the wave moves on every pass
    const std::uint64_t before = light.Pacer().PassCount();
    ASSERT_TRUE(Eventually([&] { return light.Pacer().PassCount() >= before + 20; }));
    light.Stop();
    EXPECT_FALSE(light.IsRunning());
}

}  // namespace
}  // namespace quaro
