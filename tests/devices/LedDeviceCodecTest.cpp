#include "devices/headset/HeadsetLightReports.h"
#include "devices/light/LedLightFrame.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "devices/pad/PadSettingsRecord.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace quaro {
namespace {

TEST(MouseSettingsRecord, ComposesTheGoldenRecord) {
    const std::vector<DpiStage> stages = {{1, 0, 0x0010, 0x0010, 255, 0, 0},
                                          {1, 1, 0x0120, 0x0340, 0, 255, 0}};
    const std::vector<CorrectPreset> presets = {
        {7, 8, 0, "off"}, {9, 10, 1, "on"}, {11, 12, 1, ""}};
    MouseSettingsInput input;
    input.light = {.effect = 5,
                   .brightness = 4,
                   .speed = 1,
                   .direction = 1,
                   .multiColor = 0,
                   .red = 1,
                   .green = 2,
                   .blue = 3};
    input.reportRate = 3;
    input.activeStage = 1;
    input.stages = stages;
    input.screenWidth = 1920;
    input.screenHeight = 1080;
    input.corrections = presets;
    MouseSettingsBytes expected{};
    const std::vector<std::uint8_t> head = {0, 5, 4, 3,    1,    0,    1,    2,    3,   0,   0,
                                            3, 1, 0, 1,    0,    0x10, 0,    0x10, 0,   255, 0,
                                            0, 1, 1, 0x20, 0x01, 0x40, 0x03, 0,    255, 0};
    std::copy(head.begin(), head.end(), expected.begin());
    expected[59] = 1;
    expected[60] = 0x80;
    expected[61] = 0x07;
    expected[62] = 0x38;
    expected[63] = 0x04;
    expected[64] = 10;
    expected[65] = 9;
    EXPECT_EQ(MouseSettingsRecord::Compose(input), expected);

    input.light.effect = 9;
    input.corrections = std::span(presets).first(1);
    const MouseSettingsBytes clamped = MouseSettingsRecord::Compose(input);
    EXPECT_EQ(clamped[1], 0);
    EXPECT_EQ(clamped[64], 0);
    EXPECT_EQ(clamped[65], 0);
}

TEST(MouseSettingsRecord, ParsesSeventyOneBytes) {
    std::vector<std::uint8_t> read(71);
    std::iota(read.begin(), read.end(), 0);
    read[3] = 1;
    MouseSettingsReadBack back;
    ASSERT_TRUE(MouseSettingsRecord::Parse(read, back));
    EXPECT_EQ(back.mode, 1);
    EXPECT_EQ(back.speed, 3);
    EXPECT_EQ(back.blue, 8);
    EXPECT_EQ(back.activeStage, 12);
    EXPECT_FALSE(MouseSettingsRecord::Parse(std::span(read).first(70), back));
}

TEST(PadSettingsRecord, KeepsDeviceBytesAndInvertsSpeedOnlyAtTheBoundary) {
    std::vector<std::uint8_t> read(25);
    std::iota(read.begin(), read.end(), 100);
    read[1] = 2;
    read[3] = 3;  // speed 1
    PadSettingsRecord record;
    ASSERT_TRUE(record.TakeFromDevice(read));
    EXPECT_EQ(record.Speed(), 1);
    EXPECT_EQ(record.Mode(), 2);
    record.ApplyLight({.effect = 9,
                       .brightness = 5,
                       .speed = 4,
                       .direction = 1,
                       .multiColor = 1,
                       .red = 7,
                       .green = 8,
                       .blue = 9});
    const PadSettingsBytes out = record.ComposeForDevice();
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[1], 0);  // mode 9 is unknown to the pad
    EXPECT_EQ(out[2], 5);
    EXPECT_EQ(out[3], 0);    // speed 4 stored as 0
    EXPECT_EQ(out[4], 104);  // direction as the pad gave it
    EXPECT_EQ(out[5], 1);
    EXPECT_EQ(out[8], 9);
    for (std::size_t i = 9; i < out.size(); ++i) {
        EXPECT_EQ(out[i], 100 + i);
    }
    EXPECT_EQ(record.Mode(), 9);  // the page itself still plays the custom effect
    EXPECT_FALSE(record.TakeFromDevice(std::span(read).first(21)));
    EXPECT_EQ(record.Speed(), 4);
}

TEST(HeadsetLightReports, CapsAt247AndSendsTwelveReportsInOrder) {
    std::vector<LedColor> leds(13);
    for (int i = 0; i < 13; ++i) {
        leds[i] = {static_cast<std::uint8_t>(i * 10), 255, static_cast<std::uint8_t>(i), 255};
    }
    leds[12].red = 255;
    const auto reports = ComposeHeadsetLightReports(leds);
    const std::array<std::array<std::uint8_t, 2>, 12> order = {{{0x22, 0xAA},
                                                                {0x22, 0xAD},
                                                                {0x44, 0xAA},
                                                                {0x44, 0xAD},
                                                                {0x22, 0xAB},
                                                                {0x22, 0xAE},
                                                                {0x44, 0xAB},
                                                                {0x44, 0xAE},
                                                                {0x22, 0xAC},
                                                                {0x22, 0xAF},
                                                                {0x44, 0xAC},
                                                                {0x44, 0xAF}}};
    for (int r = 0; r < 12; ++r) {
        EXPECT_EQ(reports[r][0], 0xFF);
        EXPECT_EQ(reports[r][1], order[r][0]);
        EXPECT_EQ(reports[r][2], order[r][1]);
        EXPECT_EQ(reports[r][3], 0);
    }
    EXPECT_EQ(reports[0][4 + 3], 29);   // red of LED 3: 30 * 255 / 256
    EXPECT_EQ(reports[1][4 + 5], 247);  // red of LED 12 capped
    for (int r : {0, 1, 4, 5, 8, 9}) {  // both groups see the same values
        EXPECT_TRUE(
            std::equal(reports[r].begin() + 3, reports[r].end(), reports[r + 2].begin() + 3));
    }
    EXPECT_EQ(reports[5][4 + 0], 247);  // green 255 at full intensity
    EXPECT_EQ(reports[5][4 + 6], 0);    // only six LEDs in the second half
    EXPECT_EQ(reports[8][4 + 6], 5);    // blue of LED 6
}

TEST(LedLightFrame, ScalesEachLedInOrderAndStopsAtTheBuffer) {
    const std::vector<LedColor> leds = {{255, 255, 255, 255}, {100, 50, 25, 128}, {9, 9, 9, 0}};
    std::array<std::uint8_t, 9> frame{};
    ASSERT_EQ(ComposeLedLightFrame(leds, frame), 9u);
    EXPECT_EQ(frame, (std::array<std::uint8_t, 9>{254, 254, 254, 50, 25, 12, 0, 0, 0}));
    std::array<std::uint8_t, 5> small{};
    EXPECT_EQ(ComposeLedLightFrame(leds, small), 3u);
    EXPECT_EQ(PreviewColorValue({1, 2, 3, 4}), 0x020301u);
}

}  // namespace
}  // namespace quaro
