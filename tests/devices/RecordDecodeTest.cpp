#include "devices/StatusRecord.h"
#include "devices/keyboard/KeyboardSettingsRecord.h"
#include "devices/mouse/MouseButtonMap.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "devices/pad/PadSettingsRecord.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace quaro {
namespace {

TEST(KeyboardSettingsDecode, TakesEveryFieldIncludingThoseThePageIgnores) {
    const std::vector<std::uint8_t> read = {2, 13, 3, 0, 1, 1, 0x10, 0x20, 0x30, 0, 0, 0, 0,
                                            0, 0,  0, 9, 0, 0, 1,    1,    0,    3, 0, 0};
    KeyboardSettingsFields fields;
    ASSERT_TRUE(KeyboardSettingsRecord::Decode(read, fields));
    EXPECT_EQ(fields.recordNumber, 2);
    EXPECT_EQ(fields.mode, 13);
    EXPECT_EQ(fields.brightness, 3);
    EXPECT_EQ(fields.speed, 4);  // stored as 4 - speed
    EXPECT_EQ(fields.direction, 1);
    EXPECT_EQ(fields.multiColor, 1);
    EXPECT_EQ(fields.red, 0x10);
    EXPECT_EQ(fields.green, 0x20);
    EXPECT_EQ(fields.blue, 0x30);
    EXPECT_EQ(fields.wFlag, 1);
    EXPECT_EQ(fields.key6Flag, 1);
    EXPECT_EQ(fields.winFlag, 0);
    EXPECT_EQ(fields.pollingRate, 3);

    EXPECT_FALSE(KeyboardSettingsRecord::Decode(std::span(read).first(24), fields));
}

TEST(MouseSettingsDecode, ReadsBackWhatComposeWrote) {
    const std::vector<DpiStage> stages = {{1, 0, 16, 16, 255, 0, 0},
                                          {1, 1, 0x0120, 0x0340, 0, 255, 0},
                                          {0, 0, 0, 0, 0, 0, 0},
                                          {1, 0, 300, 301, 1, 2, 3}};
    const std::vector<CorrectPreset> presets = {{11, 12, 1, ""}};
    MouseSettingsInput input;
    input.recordNumber = 0;
    input.light = {.effect = 5, .brightness = 4, .speed = 1, .direction = 1, .red = 9};
    input.reportRate = 3;
    input.activeStage = 1;
    input.stages = stages;
    input.screenWidth = 1920;
    input.screenHeight = 1080;
    input.corrections = presets;
    const MouseSettingsBytes written = MouseSettingsRecord::Compose(input);

    std::vector<std::uint8_t> read(written.begin(), written.end());
    read.resize(kMouseSettingsReadSize);
    std::iota(read.begin() + kMouseSettingsWriteSize, read.end(), 0xA0);
    MouseSettingsFields fields;
    ASSERT_TRUE(MouseSettingsRecord::Decode(read, fields));
    EXPECT_EQ(fields.mode, 5);
    EXPECT_EQ(fields.brightness, 4);
    EXPECT_EQ(fields.speed, 1);
    EXPECT_EQ(fields.direction, 1);
    EXPECT_EQ(fields.red, 9);
    EXPECT_EQ(fields.reportRate, 3);
    EXPECT_EQ(fields.activeStage, 1);
    for (std::size_t s = 0; s < stages.size(); ++s) {
        EXPECT_EQ(fields.stages[s], stages[s]) << "stage " << s;
    }
    EXPECT_EQ(fields.stages[4], DpiStage{});
    EXPECT_EQ(fields.screenWidth, 1920);
    EXPECT_EQ(fields.screenHeight, 1080);
    EXPECT_EQ(fields.minimumSquare, 12);
    EXPECT_EQ(fields.pixelThreshold, 11);
    EXPECT_EQ(fields.trailing, (std::array<std::uint8_t, 5>{0xA0, 0xA1, 0xA2, 0xA3, 0xA4}));

    // The written 66 bytes are not a read: the device's own tail is missing.
    EXPECT_FALSE(MouseSettingsRecord::Decode(written, fields));
}

TEST(PadSettingsDecode, KeepsTheBytesItDoesNotUnderstand) {
    std::vector<std::uint8_t> read(kPadSettingsReadSize);
    std::iota(read.begin(), read.end(), 0);
    read[3] = 0;  // speed 4
    PadSettingsFields fields;
    ASSERT_TRUE(PadSettingsRecord::Decode(read, fields));
    EXPECT_EQ(fields.recordNumber, 0);
    EXPECT_EQ(fields.mode, 1);
    EXPECT_EQ(fields.brightness, 2);
    EXPECT_EQ(fields.speed, 4);
    EXPECT_EQ(fields.direction, 4);
    EXPECT_EQ(fields.multiColor, 5);
    EXPECT_EQ(fields.blue, 8);
    ASSERT_EQ(fields.opaque.size(), 12u);
    EXPECT_EQ(fields.opaque.front(), 9);
    EXPECT_EQ(fields.opaque.back(), 20);
    EXPECT_FALSE(PadSettingsRecord::Decode(std::span(read).first(21), fields));
}

TEST(StatusRecordParse, LinkFlagIsTheHostsAndShortRecordsArePadded) {
    const std::vector<std::uint8_t> record = {55, 1, 0, 0, 7, 2};
    StatusRecord status = StatusRecord::Parse(record, true);
    EXPECT_EQ(status.batteryLevel, 55);
    EXPECT_EQ(status.chargeState, kChargeCharging);
    EXPECT_EQ(status.wireless, 1);
    EXPECT_EQ(status.notice, 7);
    EXPECT_EQ(status.phoneType, kPhoneSamsung);

    const std::vector<std::uint8_t> claimsWireless = {80, 2, 0, 1};
    status = StatusRecord::Parse(claimsWireless, false);
    EXPECT_EQ(status.wireless, 0);
    EXPECT_EQ(status.chargeState, kChargeOnBattery);
    EXPECT_EQ(status.notice, 0);
    EXPECT_EQ(status.phoneType, 0);
}

TEST(MouseButtonMap, FirstMatchingSlotInTheFirmwaresOrder) {
    // left, right, middle, back, forward, DPI down, DPI up, DPI cycle, DPI shift, game mode; the
    // last slot repeats "left".
    const std::vector<std::uint8_t> image = {0x10, 0x01, 0x00, 0x10, 0x02, 0x00, 0x10, 0x04, 0x00,
                                             0x10, 0x08, 0x00, 0x10, 0x10, 0x00, 0x13, 0x02, 0x00,
                                             0x13, 0x01, 0x00, 0x13, 0x03, 0x00, 0x16, 0x90, 0x01,
                                             0xA0, 0x1B, 0x00, 0x10, 0x01, 0x00};
    const MouseButtonMap map = BuildMouseButtonMap(image, 11);
    EXPECT_EQ(map, (MouseButtonMap{0, 1, 2, 4, 3, 6, 5, 7, 9, 8}));
    EXPECT_EQ(LogicalButtonAtSlot(map, 3), 4);  // back
    EXPECT_EQ(LogicalButtonAtSlot(map, 10), -1);

    // A button count the image does not cover finds nothing rather than reading past it.
    const MouseButtonMap none = BuildMouseButtonMap(std::span(image).first(30), 11);
    for (std::uint8_t slot : none) {
        EXPECT_EQ(slot, kNoMouseButtonSlot);
    }
    // Fewer slots: buttons beyond them stay absent.
    const MouseButtonMap three = BuildMouseButtonMap(image, 3);
    EXPECT_EQ(three[2], 2);
    EXPECT_EQ(three[3], kNoMouseButtonSlot);
    EXPECT_EQ(LogicalButtonAtSlot(three, 5), -1);
}

}  // namespace
}  // namespace quaro
