#include "devices/keyboard/KeyLightFrame.h"
#include "devices/keyboard/KeyMaps.h"
#include "devices/keyboard/KeyboardSettingsRecord.h"
#include "devices/keyboard/MacroImage.h"
#include "devices/keyboard/SystemSettings.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace quaro {
namespace {

// A device image holding the factory codes in a scrambled physical order: logical key j sits at
// slot (j * 5) mod 126, and the light table numbers slot k as light 125 - k.
struct FactoryDevice {
    std::vector<std::uint8_t> image = std::vector<std::uint8_t>(126 * 3, 0);
    std::vector<std::uint8_t> lights = std::vector<std::uint8_t>(126, 0);

    FactoryDevice() {
        for (int key = 0; key < 126; ++key) {
            const int slot = (key * 5) % 126;
            image[slot * 3] = kDefaultKeyTable[key].type;
            image[slot * 3 + 1] = kDefaultKeyTable[key].first;
            image[slot * 3 + 2] = kDefaultKeyTable[key].second;
        }
        for (int slot = 0; slot < 126; ++slot) {
            lights[slot] = static_cast<std::uint8_t>(125 - slot);
        }
    }
};

TEST(KeyMaps, FactoryImageMapsEveryKeyAndSparesShareTheFirstEmptySlot) {
    FactoryDevice device;
    const KeyMaps maps = BuildKeyMaps(device.image, device.lights, 126);
    ASSERT_EQ(maps.keyCount, 126);
    // Slots of the spare keys 18, 19, 20, 62, 104 are 90, 95, 100, 58, 16: the first is 16.
    for (int spare : {18, 19, 20, 62, 104}) {
        EXPECT_EQ(maps.slot[spare], 16) << spare;
        EXPECT_EQ(maps.light[spare], 125 - 16) << spare;
    }
    EXPECT_EQ(maps.slot[0], 0);
    EXPECT_EQ(maps.slot[30], 24);
    EXPECT_EQ(maps.light[30], 101);
    EXPECT_EQ(maps.LogicalKeyAtSlot(16), 18);
    EXPECT_EQ(maps.LogicalKeyAtSlot(24), 30);
}

TEST(KeyMaps, MissingCodesSmallKeyboardsAndRefusedCountsLeaveNoEntry) {
    FactoryDevice device;
    device.image[0] = 0x99;  // logical key 0 (Esc) is no longer found
    KeyMaps maps = BuildKeyMaps(device.image, device.lights, 126);
    EXPECT_EQ(maps.slot[0], kNoKeyEntry);
    EXPECT_EQ(maps.light[0], kNoKeyEntry);
    EXPECT_EQ(maps.LogicalKeyAtSlot(0), -1);

    // A 104-slot keyboard still lights keys numbered above 104 that it has a slot for.
    maps = BuildKeyMaps(device.image, device.lights, 104);
    EXPECT_EQ(maps.slot[110], 46);
    EXPECT_EQ(maps.light[110], 125 - 46);
    EXPECT_EQ(maps.slot[125], kNoKeyEntry);  // its slot 121 is beyond the device
    EXPECT_EQ(maps.slot[21], kNoKeyEntry);   // its slot 105 is beyond the device

    EXPECT_EQ(BuildKeyMaps(device.image, device.lights, 171).keyCount, 0);
    EXPECT_EQ(BuildKeyMaps(device.image, std::span(device.lights).first(10), 126).keyCount, 0);
}

TEST(KeyMaps, WritingAssignmentsKeepsSlotsNoKeyMapsTo) {
    std::vector<std::uint8_t> image(130 * 3, 0);
    FactoryDevice device;
    std::copy(device.image.begin(), device.image.end(), image.begin());
    for (int slot = 126; slot < 130; ++slot) {
        image[slot * 3] = 0x55;
        image[slot * 3 + 1] = static_cast<std::uint8_t>(slot);
        image[slot * 3 + 2] = 0xAA;
    }
    std::vector<std::uint8_t> lights(130, 0);
    const KeyMaps maps = BuildKeyMaps(image, lights, 130);
    std::vector<KeyAssignmentEntry> keys(126);
    for (int key = 0; key < 126; ++key) {
        keys[key].code = kDefaultKeyTable[key];
    }
    keys[64].code = {0x20, 0x01, 0x04};  // A becomes Ctrl+A
    // All spares share one slot; keys are written in order, so the last spare's code lands.
    keys[18].code = {0x30, 0xCD, 0x00};
    keys[104].code = {0x30, 0xE2, 0x00};
    const std::vector<std::uint8_t> written = ComposeKeyImage(image, maps, keys);
    ASSERT_EQ(written.size(), image.size());
    const int aSlot = (64 * 5) % 126;
    EXPECT_EQ(written[aSlot * 3 + 1], 0x01);
    EXPECT_EQ(written[aSlot * 3 + 2], 0x04);
    EXPECT_EQ(written[16 * 3], 0x30);
    EXPECT_EQ(written[16 * 3 + 1], 0xE2);
    for (int slot = 126; slot < 130; ++slot) {
        EXPECT_EQ(written[slot * 3], 0x55);
        EXPECT_EQ(written[slot * 3 + 1], slot);
        EXPECT_EQ(written[slot * 3 + 2], 0xAA);
    }
    // A short key list only changes the keys it has.
    const std::vector<std::uint8_t> partial =
        ComposeKeyImage(image, maps, std::span(keys).first(10));
    EXPECT_EQ(partial[aSlot * 3 + 1], 0x00);
}

TEST(KeyMaps, MacrosMissingFromTheLibraryRevertToTheDefault) {
    std::vector<KeyAssignmentEntry> keys(4);
    for (int k = 0; k < 4; ++k) {
        keys[k].defaultCode = kDefaultKeyTable[k];
    }
    keys[0].code = {0x70, 1, 2};
    keys[1].code = {0x71, 2, 9};
    keys[2].code = {0x20, 5, 0};  // not a macro: kept whatever its parameters
    keys[3].code = {0x72, 7, 0};  // gun keys are not macros
    EXPECT_TRUE(ResetMissingMacros(keys, 2));
    EXPECT_EQ(keys[0].code, (KeyCode{0x70, 1, 2}));
    EXPECT_EQ(keys[1].code, kDefaultKeyTable[1]);
    EXPECT_EQ(keys[2].code, (KeyCode{0x20, 5, 0}));
    EXPECT_EQ(keys[3].code, (KeyCode{0x72, 7, 0}));
    EXPECT_FALSE(ResetMissingMacros(keys, 2));
    EXPECT_TRUE(ResetMissingMacros(keys, 0));
    EXPECT_EQ(keys[0].code, kDefaultKeyTable[0]);
}

TEST(KeyboardSettingsRecord, ComposesTheGoldenRecord) {
    LightSetting light{.effect = 7,
                       .brightness = 5,
                       .speed = 4,
                       .direction = 1,
                       .multiColor = 1,
                       .red = 0x11,
                       .green = 0x22,
                       .blue = 0x33,
                       .extraWord = 0xBEEF,
                       .extraByte = 9};
    SystemSettings system{.repeat = 3,
                          .repeatDelay = 2,
                          .key6Flag = 0x101,
                          .pollingRate = 0x203,
                          .wFlag = 1,
                          .winFlag = 0x1FF};
    const KeyboardSettingsBytes expected = {0, 1, 5, 0, 1, 1, 0x11, 0x22, 0x33, 0, 0, 0, 0,
                                            0, 0, 0, 0, 0, 0, 1,    1,    0xFF, 3, 0, 0};
    EXPECT_EQ(KeyboardSettingsRecord::Compose(0, light, system), expected);
    for (std::uint8_t mode : {3, 13}) {
        light.effect = mode;
        EXPECT_EQ(KeyboardSettingsRecord::Compose(0, light, system)[1], mode);
    }
    light.speed = 5;
    EXPECT_EQ(KeyboardSettingsRecord::Compose(0, light, system)[3], 0xFF);
}

TEST(KeyboardSettingsRecord, ParsesWhatTheDeviceReports) {
    KeyboardSettingsBytes record{};
    std::iota(record.begin(), record.end(), 1);
    record[3] = 0;
    KeyboardSettingsReadBack read;
    ASSERT_TRUE(KeyboardSettingsRecord::Parse(record, read));
    EXPECT_EQ(read.mode, 2);
    EXPECT_EQ(read.brightness, 3);
    EXPECT_EQ(read.speed, 4);
    EXPECT_EQ(read.multiColor, 6);
    EXPECT_EQ(read.red, 7);
    EXPECT_EQ(read.blue, 9);
    EXPECT_EQ(read.wFlag, 20);
    EXPECT_EQ(read.key6Flag, 21);
    EXPECT_EQ(read.winFlag, 22);
    EXPECT_EQ(read.kept[16], 0);
    EXPECT_EQ(read.kept[15], 16);
    EXPECT_EQ(read.kept[24], 25);
    record[3] = 0xFF;
    ASSERT_TRUE(KeyboardSettingsRecord::Parse(record, read));
    EXPECT_EQ(read.speed, 5);
    EXPECT_FALSE(KeyboardSettingsRecord::Parse(std::span(record).first(24), read));
}

TEST(SystemSettings, WordsAreLowHalfFirst) {
    const SystemSettings settings{.repeat = 1,
                                  .repeatDelay = 2,
                                  .key6Flag = 3,
                                  .pollingRate = 4,
                                  .wFlag = 5,
                                  .winFlag = 0xFFFF};
    const std::array<std::uint32_t, 3> words = {0x00020001, 0x00040003, 0xFFFF0005};
    EXPECT_EQ(settings.ToWords(), words);
    EXPECT_EQ(SystemSettings::FromWords(words), settings);
}

TEST(MacroImage, PacksTheGoldenImage) {
    const std::vector<MacroEvents> macros = {
        {{10, 1, true, 0x04}, {300, 1, false, 0x04}, {0x1234, 0x7F, true, 0xE0}},
        {{1, 2, true, 1},
         {2, 2, false, 1},
         {3, 2, true, 2},
         {4, 2, false, 2},
         {65535, 0, false, 0}},
    };
    EXPECT_EQ(MacroImage::Length(macros), 60u);
    const MacroImageResult result = MacroImage::Pack(macros, 128);
    ASSERT_EQ(result.status, 0);
    const std::vector<std::uint8_t> expected = {0xAA, 0x55, 60,   0,    2,    0,    0,
                                                0,    0,    0,    0,    0,    0,    0,
                                                0,    0,              // header
                                                20,   0,    36,   0,  // offsets
                                                3,    0,    0,    0,  // macro 0
                                                10,   0,    0x81, 0x04, 0x2C, 0x01, 0x01,
                                                0x04, 0x34, 0x12, 0xFF, 0xE0, 5,    0,
                                                0,    0,  // macro 1
                                                1,    0,    0x82, 1,    2,    0,    0x02,
                                                1,    3,    0,    0x82, 2,    4,    0,
                                                0x02, 2,    0xFF, 0xFF, 0x00, 0};
    EXPECT_EQ(result.bytes, expected);
}

TEST(MacroImage, RefusesWhatDoesNotFitAndSendsNothingForNoMacros) {
    const std::vector<MacroEvents> macros = {MacroEvents(50), MacroEvents(1)};
    // 16 + 12 + 204 = 232 bytes against 128: 104 bytes over, 26 units, figure 27.
    const MacroImageResult over = MacroImage::Pack(macros, 128);
    EXPECT_EQ(over.status, 27);
    EXPECT_TRUE(over.bytes.empty());
    EXPECT_EQ(MacroImage::Pack(macros, 231).status, 1);
    EXPECT_EQ(MacroImage::Pack(macros, 232).status, 0);
    const MacroImageResult none = MacroImage::Pack({}, 128);
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.bytes.empty());
}

TEST(KeyLightFrame, ScalesEachKeyIntoItsLightPosition) {
    FactoryDevice device;
    device.lights[(5 * 5) % 126] = 200;  // a light position beyond the frame: ignored
    const KeyMaps maps = BuildKeyMaps(device.image, device.lights, 126);
    std::array<LedColor, 126> colors{};
    colors[0] = {255, 128, 1, 255};
    colors[1] = {255, 255, 255, 128};
    colors[5] = {255, 255, 255, 255};
    std::array<std::uint8_t, 512> frame;
    frame.fill(0xEE);
    ASSERT_EQ(ComposeKeyLightFrame(colors, maps, frame), 378u);
    EXPECT_EQ(frame[125 * 3], 254);  // key 0, slot 0, light 125
    EXPECT_EQ(frame[125 * 3 + 1], 127);
    EXPECT_EQ(frame[125 * 3 + 2], 0);
    EXPECT_EQ(frame[120 * 3], 127);  // key 1, slot 5, light 120
    EXPECT_EQ(std::count(frame.begin(), frame.begin() + 378, 0), 378 - 5);
    EXPECT_EQ(frame[378], 0xEE);
}

}  // namespace
}  // namespace quaro
