#include "TempDir.h"
#include "TraceCapture.h"
#include "VirtualDisplay.h"
#include "platform/DeferredSystemSettings.h"
#include "platform/GSettingsSystemSettings.h"
#include "platform/LayeredSystemSettings.h"
#include "platform/RecordingSystemSettings.h"
#include "platform/X11SystemSettings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace quaro {
namespace {

TEST(RepeatFormulas, DelayChoicesAreQuarterSecondsAndUnknownChoicesTheFirst) {
    EXPECT_EQ(RepeatDelayMs(0), 250u);
    EXPECT_EQ(RepeatDelayMs(1), 500u);
    EXPECT_EQ(RepeatDelayMs(3), 1000u);
    EXPECT_EQ(RepeatDelayMs(7), 250u);  // a stored 7 shows as the first choice
}

TEST(RepeatFormulas, SpeedsRunFromAboutTwoAndAHalfToThirtyRepeatsASecond) {
    EXPECT_EQ(RepeatIntervalMs(0), 400u);
    EXPECT_EQ(RepeatIntervalMs(31), 33u);
    EXPECT_EQ(RepeatIntervalMs(200), 33u);
    // Faster with every step.
    for (unsigned speed = 1; speed <= kMaxRepeatSpeed; ++speed) {
        EXPECT_LT(RepeatIntervalMs(speed), RepeatIntervalMs(speed - 1)) << speed;
    }
}

TEST(RecordingSystemSettings, KeepsWhatWasAskedAndWhatASessionWouldGet) {
    RecordingSystemSettings settings;
    EXPECT_EQ(settings.SetRepeatDelay(2), SettingApplied::kApplied);
    EXPECT_EQ(settings.SetRepeatSpeed(31), SettingApplied::kApplied);
    EXPECT_EQ(settings.SetPointerSpeed(25), SettingApplied::kApplied);
    const auto requests = settings.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].setting, "repeat delay");
    EXPECT_EQ(requests[0].applied, 750u);
    EXPECT_EQ(requests[1].value, 31u);
    EXPECT_EQ(requests[1].applied, 33u);
    EXPECT_EQ(requests[2].applied, 20u);

    RecordingSystemSettings unable(SettingApplied::kNotApplied);
    EXPECT_EQ(unable.SetRepeatDelay(0), SettingApplied::kNotApplied);
    EXPECT_EQ(unable.Requests().size(), 1u);
}

TEST(PointerFormulas, SliderPositionsBecomeSessionValues) {
    EXPECT_EQ(PointerSpeedForPosition(0), 2u);
    EXPECT_EQ(PointerSpeedForPosition(4), 10u);
    EXPECT_EQ(PointerSpeedForPosition(9), 20u);
    EXPECT_EQ(PointerSpeedForPosition(10), 20u);  // 22 is limited
    EXPECT_EQ(PointerSpeedForPosition(127), 1u);  // 256 kept in a byte is 0, raised to 1
    EXPECT_EQ(PointerSpeedForPosition(-1), 1u);

    EXPECT_EQ(WheelLinesFor(false, 2), 3u);
    EXPECT_EQ(WheelLinesFor(true, 2), kPageScrollLines);
    EXPECT_EQ(kPageScrollLines, 255u);
    EXPECT_EQ(WheelLinesFor(false, -4), 1u);

    // A slider of 1-9: fast on the right.
    EXPECT_EQ(DoubleClickMsFor(9, 9), 100u);
    EXPECT_EQ(DoubleClickMsFor(9, 1), 900u);
    EXPECT_EQ(DoubleClickMsFor(9, 0), 1000u);
    EXPECT_EQ(DoubleClickMsFor(9, 12), 100u);  // never below one step
}

using test::VirtualDisplay;

TEST(X11SystemSettings, RepeatDelayAndSpeedReachTheServer) {
    VirtualDisplay display;
    if (display.Name().empty()) {
        GTEST_SKIP() << "Xvfb not available";
    }
    X11SystemSettings settings(display.Name());
    ASSERT_TRUE(settings.IsAvailable());
    EXPECT_EQ(settings.SetRepeatDelay(2), SettingApplied::kApplied);
    EXPECT_EQ(settings.SetRepeatSpeed(31), SettingApplied::kApplied);
    unsigned delay = 0;
    unsigned interval = 0;
    // A connection of its own reads back what the server now has.
    X11SystemSettings reader(display.Name());
    ASSERT_TRUE(reader.ReadRepeat(delay, interval));
    EXPECT_EQ(delay, 750u);
    EXPECT_EQ(interval, 33u);
    // Each setting leaves the other as it was.
    EXPECT_EQ(settings.SetRepeatSpeed(0), SettingApplied::kApplied);
    ASSERT_TRUE(reader.ReadRepeat(delay, interval));
    EXPECT_EQ(delay, 750u);
    EXPECT_EQ(interval, 400u);

    EXPECT_EQ(settings.SetPointerSpeed(15), SettingApplied::kApplied);
    int numerator = 0;
    int denominator = 0;
    ASSERT_TRUE(reader.ReadPointerAcceleration(numerator, denominator));
    EXPECT_EQ(numerator * 10, 15 * denominator);
}

TEST(X11SystemSettings, PrecisionIsTheThresholdAndSpeedTheFractionEachKeepingTheOther) {
    VirtualDisplay display;
    if (display.Name().empty()) {
        GTEST_SKIP() << "Xvfb not available";
    }
    X11SystemSettings settings(display.Name());
    X11SystemSettings reader(display.Name());
    ASSERT_TRUE(settings.IsAvailable());
    int numerator = 0;
    int denominator = 0;
    int threshold = 0;

    EXPECT_EQ(settings.SetPointerSpeed(6), SettingApplied::kApplied);
    EXPECT_EQ(settings.SetPointerPrecision(false), SettingApplied::kApplied);
    ASSERT_TRUE(reader.ReadPointerThreshold(threshold));
    EXPECT_EQ(threshold, 1);  // every movement scaled alike
    ASSERT_TRUE(reader.ReadPointerAcceleration(numerator, denominator));
    EXPECT_EQ(numerator * 10, 6 * denominator);

    EXPECT_EQ(settings.SetPointerPrecision(true), SettingApplied::kApplied);
    EXPECT_EQ(settings.SetPointerSpeed(20), SettingApplied::kApplied);
    ASSERT_TRUE(reader.ReadPointerThreshold(threshold));
    EXPECT_EQ(threshold, 4);
    ASSERT_TRUE(reader.ReadPointerAcceleration(numerator, denominator));
    EXPECT_EQ(numerator, 2 * denominator);

    // What the server has no setting for is not reported as done.
    EXPECT_EQ(settings.SetWheelLines(3), SettingApplied::kNotApplied);
    EXPECT_EQ(settings.SetDoubleClickTime(400), SettingApplied::kNotApplied);
}

TEST(X11SystemSettings, WithoutADisplayNothingIsReportedAsDone) {
    X11SystemSettings settings("/nonexistent-display:0");
    EXPECT_FALSE(settings.IsAvailable());
    EXPECT_EQ(settings.SetRepeatDelay(1), SettingApplied::kNotApplied);
    EXPECT_EQ(settings.SetRepeatSpeed(10), SettingApplied::kNotApplied);
    EXPECT_EQ(settings.SetPointerSpeed(10), SettingApplied::kNotApplied);
    EXPECT_EQ(settings.SetPointerPrecision(true), SettingApplied::kNotApplied);
    unsigned delay = 0;
    unsigned interval = 0;
    EXPECT_FALSE(settings.ReadRepeat(delay, interval));
}

}  // namespace
}  // namespace quaro

namespace quaro {
namespace {

// The desktop's peripheral schemas as far as the application uses them, compiled into a private
// folder so the tests never read or write the user's settings.
class DesktopSchemas {
public:
    DesktopSchemas() {
        test::WriteFileBytes(m_folder / "quaro-test.gschema.xml", R"(<schemalist>
  <schema id="org.gnome.desktop.peripherals.keyboard" path="/org/gnome/desktop/peripherals/keyboard/">
    <key name="repeat-interval" type="u"><default>30</default></key>
    <key name="delay" type="u"><default>500</default></key>
  </schema>
  <schema id="org.gnome.desktop.peripherals.mouse" path="/org/gnome/desktop/peripherals/mouse/">
    <key name="speed" type="d"><default>0</default></key>
    <key name="accel-profile" type="s"><default>'default'</default></key>
    <key name="double-click" type="i"><default>400</default></key>
  </schema>
</schemalist>
)");
        const std::string command = "glib-compile-schemas '" + m_folder.Path().string() + "'";
        m_compiled = std::system(command.c_str()) == 0;
    }
    bool Compiled() const { return m_compiled; }
    const std::filesystem::path& Folder() const { return m_folder.Path(); }

private:
    test::TempDir m_folder;
    bool m_compiled = false;
};

TEST(GSettingsSystemSettings, RepeatAndPointerReachTheDesktopStore) {
    DesktopSchemas schemas;
    if (!schemas.Compiled()) {
        GTEST_SKIP() << "glib-compile-schemas not available";
    }
    GSettingsSystemSettings settings(schemas.Folder(), true);
    ASSERT_TRUE(settings.HasKeyboard());
    ASSERT_TRUE(settings.HasMouse());

    EXPECT_EQ(settings.SetRepeatDelay(2), SettingApplied::kApplied);
    EXPECT_EQ(settings.SetRepeatSpeed(kMaxRepeatSpeed), SettingApplied::kApplied);
    unsigned delay = 0;
    unsigned interval = 0;
    ASSERT_TRUE(settings.ReadRepeat(delay, interval));
    EXPECT_EQ(delay, 750u);
    EXPECT_EQ(interval, RepeatIntervalMs(kMaxRepeatSpeed));

    // The desktop's speed runs from -1 to 1 with the unaccelerated pointer at 0.
    double speed = 5;
    EXPECT_EQ(settings.SetPointerSpeed(15), SettingApplied::kApplied);
    ASSERT_TRUE(settings.ReadPointerSpeed(speed));
    EXPECT_DOUBLE_EQ(speed, 0.5);
    EXPECT_EQ(settings.SetPointerSpeed(99), SettingApplied::kApplied);
    ASSERT_TRUE(settings.ReadPointerSpeed(speed));
    EXPECT_DOUBLE_EQ(speed, 1.0);
}

TEST(GSettingsSystemSettings, PrecisionAndDoubleClickReachTheDesktopStoreAndWheelLinesDoNot) {
    DesktopSchemas schemas;
    if (!schemas.Compiled()) {
        GTEST_SKIP() << "glib-compile-schemas not available";
    }
    GSettingsSystemSettings settings(schemas.Folder(), true);
    bool precise = true;
    EXPECT_EQ(settings.SetPointerPrecision(false), SettingApplied::kApplied);
    ASSERT_TRUE(settings.ReadPointerPrecision(precise));
    EXPECT_FALSE(precise);
    EXPECT_EQ(settings.SetPointerPrecision(true), SettingApplied::kApplied);
    ASSERT_TRUE(settings.ReadPointerPrecision(precise));
    EXPECT_TRUE(precise);
    int ms = 0;
    EXPECT_EQ(settings.SetDoubleClickTime(300), SettingApplied::kApplied);
    ASSERT_TRUE(settings.ReadDoubleClickTime(ms));
    EXPECT_EQ(ms, 300);
    EXPECT_EQ(settings.SetWheelLines(255), SettingApplied::kNotApplied);
}

TEST(GSettingsSystemSettings, WithoutTheDesktopsSchemasNothingIsReportedAsDone) {
    test::TempDir empty;
    GSettingsSystemSettings settings(empty.Path() / "missing", true);
    EXPECT_FALSE(settings.HasKeyboard());
    EXPECT_EQ(settings.SetRepeatDelay(1), SettingApplied::kNotApplied);
    EXPECT_EQ(settings.SetRepeatSpeed(1), SettingApplied::kNotApplied);
    EXPECT_EQ(settings.SetPointerSpeed(1), SettingApplied::kNotApplied);
    EXPECT_EQ(settings.SetPointerPrecision(true), SettingApplied::kNotApplied);
    EXPECT_EQ(settings.SetDoubleClickTime(500), SettingApplied::kNotApplied);
    unsigned delay = 0;
    unsigned interval = 0;
    EXPECT_FALSE(settings.ReadRepeat(delay, interval));
}

TEST(LayeredSystemSettings, EveryLayerGetsTheChangeAndAnyTakingItCounts) {
    auto layers = [](SettingApplied first, SettingApplied second,
                     RecordingSystemSettings** seen = nullptr) {
        std::vector<std::unique_ptr<SystemSettingsService>> list;
        list.push_back(std::make_unique<RecordingSystemSettings>(first));
        auto last = std::make_unique<RecordingSystemSettings>(second);
        if (seen != nullptr) {
            *seen = last.get();
        }
        list.push_back(std::move(last));
        return LayeredSystemSettings(std::move(list));
    };
    RecordingSystemSettings* second = nullptr;
    LayeredSystemSettings both = layers(SettingApplied::kApplied, SettingApplied::kFailed, &second);
    EXPECT_EQ(both.SetRepeatSpeed(7), SettingApplied::kApplied);
    ASSERT_EQ(second->Requests().size(), 1u);  // not skipped after the first took it
    EXPECT_EQ(second->Requests()[0].value, 7u);

    EXPECT_EQ(layers(SettingApplied::kNotApplied, SettingApplied::kFailed).SetRepeatDelay(1),
              SettingApplied::kFailed);
    EXPECT_EQ(layers(SettingApplied::kNotApplied, SettingApplied::kNotApplied).SetPointerSpeed(3),
              SettingApplied::kNotApplied);
}

TEST(DeferredSystemSettings, OpensOnTheFirstChangeOnceAndAnAbsentLayerTakesNothingQuietly) {
    int opened = 0;
    RecordingSystemSettings* layer = nullptr;
    DeferredSystemSettings present([&]() -> std::unique_ptr<SystemSettingsService> {
        ++opened;
        auto made = std::make_unique<RecordingSystemSettings>();
        layer = made.get();
        return made;
    });
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(present.SetRepeatDelay(2), SettingApplied::kApplied);
    EXPECT_EQ(present.SetDoubleClickTime(400), SettingApplied::kApplied);
    EXPECT_EQ(opened, 1);
    ASSERT_NE(layer, nullptr);
    ASSERT_EQ(layer->Requests().size(), 2u);
    EXPECT_EQ(layer->Requests()[1].setting, "double-click time");

    int asked = 0;
    DeferredSystemSettings absent([&]() -> std::unique_ptr<SystemSettingsService> {
        ++asked;
        return nullptr;
    });
    test::TraceCapture traces;
    EXPECT_EQ(absent.SetPointerSpeed(4), SettingApplied::kNotApplied);
    EXPECT_EQ(absent.SetWheelLines(3), SettingApplied::kNotApplied);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(traces.Lines().empty());
}

}  // namespace
}  // namespace quaro
