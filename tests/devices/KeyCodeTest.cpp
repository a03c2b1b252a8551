#include "devices/keyboard/KeyCaption.h"
#include "devices/keyboard/KeyTables.h"
#include "devices/mouse/MouseTables.h"
#include "profiles/KeyCode.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quaro {
namespace {

TEST(KeyCode, ProfileIntegerRoundTripsAndIgnoresBitsAboveTheCode) {
    EXPECT_EQ(ToProfileInteger({0x20, 0x01, 0x04}), 0x200104);
    EXPECT_EQ(ToProfileInteger({0xD0, 0xA2, 0x05}), 13672965);
    EXPECT_EQ(FromProfileInteger(0x200104), (KeyCode{0x20, 0x01, 0x04}));
    EXPECT_EQ(FromProfileInteger(0x7F200104), (KeyCode{0x20, 0x01, 0x04}));
    EXPECT_EQ(FromProfileInteger(-1), (KeyCode{0xFF, 0xFF, 0xFF}));
    for (const KeyCode code : kDefaultKeyTable) {
        EXPECT_EQ(FromProfileInteger(ToProfileInteger(code)), code);
    }
}

TEST(KeyCode, PanelTabFollowsTheFamily) {
    EXPECT_EQ(KeyCodePanelTab({0x20, 0x01, 0x04}), 6);
    EXPECT_EQ(KeyCodePanelTab({0x20, 0x80, 0x04}), 6);
    EXPECT_EQ(KeyCodePanelTab({0x20, 0x81, 0x04}), 11);
    EXPECT_EQ(KeyCodePanelTab({0x71, 0x02, 0x05}), 9);
    EXPECT_EQ(KeyCodePanelTab({0xB0, 0x00, 0x00}), 11);
    EXPECT_EQ(KeyCodePanelTab({0xA0, 0x01, 0x00}), 0);
}

TEST(KeyNameTable, RunsFollowTheirUsageAndIdRules) {
    for (int i = 0; i < 26; ++i) {
        const KeyTableRow& row = kKeyNameTable[8 + i];
        EXPECT_EQ(row.code, (KeyCode{0x20, 0x00, static_cast<std::uint8_t>(0x04 + i)}));
        EXPECT_EQ(row.id, 0x41 + i);
        EXPECT_EQ(row.caption, "keyboard_key_" + std::string(1, static_cast<char>('A' + i)));
    }
    for (int i = 0; i < 10; ++i) {
        const KeyTableRow& row = kKeyNameTable[34 + i];
        EXPECT_EQ(row.code.second, 0x1E + i);
        EXPECT_EQ(row.id, i == 9 ? 0x30 : 0x31 + i);
    }
    for (int i = 0; i < 12; ++i) {
        const KeyTableRow& row = kKeyNameTable[61 + i];
        EXPECT_EQ(row.code.second, 0x3A + i);
        EXPECT_EQ(row.caption, "keyboard_key_F" + std::to_string(i + 1));
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(kKeyNameTable[i].code, (KeyCode{0x20, static_cast<std::uint8_t>(1 << i), 0}));
    }
    int prefixed = 0;
    std::set<std::string_view> captions;
    for (const KeyTableRow& row : kKeyNameTable) {
        prefixed += row.caption.starts_with("keyboard_key_") ? 1 : 0;
        captions.insert(row.caption);
    }
    EXPECT_EQ(prefixed, kKeyNameRowCount - 1);  // only the browser stop row borrows "wed_stop"
    EXPECT_EQ(captions.size(), static_cast<std::size_t>(kKeyNameRowCount));
    // The media rows of the name table are the media choices in another order.
    std::set<int> nameMedia;
    std::set<int> choiceMedia;
    for (const KeyTableRow& row : kKeyNameTable) {
        if (row.code.type == key_type::kConsumer) {
            nameMedia.insert(static_cast<int>(ToProfileInteger(row.code)));
        }
    }
    for (const KeyTableRow& row : kMediaChoices) {
        choiceMedia.insert(static_cast<int>(ToProfileInteger(row.code)));
    }
    EXPECT_EQ(nameMedia, choiceMedia);
}

TEST(DefaultKeyTable, EveryKeyButTheSparesAndKey17IsNamedOnce) {
    std::set<int> seen;
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        SCOPED_TRACE(key);
        const KeyCode code = kDefaultKeyTable[key];
        if (code == KeyCode{0x20, 0x00, 0x00}) {
            EXPECT_TRUE(key == 18 || key == 19 || key == 20 || key == 62 || key == 104);
            continue;
        }
        EXPECT_TRUE(seen.insert(static_cast<int>(ToProfileInteger(code))).second);
        if (key != 17) {
            EXPECT_FALSE(LogicalKeyCaptionId(key).empty());
        }
    }
    EXPECT_EQ(seen.size(), 121u);
    EXPECT_EQ(LogicalKeyCaptionId(0), "keyboard_key_Esc");
    EXPECT_EQ(LogicalKeyCaptionId(110), "keyboard_key_FN");
    EXPECT_EQ(LogicalKeyCaptionId(124), "keyboard_key_M5");
    EXPECT_EQ(LogicalKeyCaptionId(126), "");
}

TEST(KeyCaption, KeyboardCodesNameTheirKeysAndCombinations) {
    using Ids = std::vector<std::string_view>;
    EXPECT_EQ(KeyCodeCaptionIds({0x20, 0x00, 0x04}), Ids{"keyboard_key_A"});
    EXPECT_EQ(KeyCodeCaptionIds({0x20, 0x01, 0x04}), (Ids{"keyboard_key_LCtrl", "keyboard_key_A"}));
    EXPECT_EQ(KeyCodeCaptionIds({0x20, 0x03, 0x04}),
              (Ids{"keyboard_key_LCtrl", "keyboard_key_LShift", "keyboard_key_A"}));
    EXPECT_EQ(KeyCodeCaptionIds({0x20, 0x05, 0x00}),
              (Ids{"keyboard_key_LCtrl", "keyboard_key_LAlt"}));
    EXPECT_EQ(KeyCodeCaptionIds({0x20, 0x00, 0x00}), Ids{"close_text"});
    EXPECT_EQ(KeyCodeCaptionIds({0x00, 0x00, 0x00}), Ids{"close_text"});
    // A modifier set must not pick up a media key whose low usage byte happens to match.
    EXPECT_EQ(KeyCodeCaptionIds({0x20, 0xCD, 0x00}).size(), 5u);
    const auto translate = [](std::string_view id) { return std::string(id.substr(13)); };
    EXPECT_EQ(KeyCodeCaption({0x20, 0x01, 0x04}, translate), "LCtrl+A");
}

TEST(KeyCaption, OtherFamiliesUseTheirTables) {
    using Ids = std::vector<std::string_view>;
    EXPECT_EQ(KeyCodeCaptionIds({0x10, 0x04, 0x00}), Ids{"mouse_key_middle"});
    EXPECT_EQ(KeyCodeCaptionIds({0x11, 0x35, 0x85}), Ids{"mouse_key_right_Swing"});
    EXPECT_EQ(KeyCodeCaptionIds({0x11, 0x35, 0x05}), Ids{"mouse_key_left_Swing"});
    EXPECT_EQ(KeyCodeCaptionIds({0x12, 0x35, 0xFD}), Ids{"mouse_key_down_Swing"});
    EXPECT_EQ(KeyCodeCaptionIds({0x13, 0x03, 0x00}), Ids{"mouse_key_DPI_loop"});
    EXPECT_EQ(KeyCodeCaptionIds({0x14, 0x20, 0x05}), Ids{"mouse_key_fire_key"});
    EXPECT_EQ(KeyCodeCaptionIds({0x30, 0x26, 0x02}), Ids{"wed_stop"});
    EXPECT_EQ(KeyCodeCaptionIds({0x30, 0x92, 0x01}), Ids{"media_calc"});
    EXPECT_EQ(KeyCodeCaptionIds({0x40, 0x04, 0x00}), Ids{"system_wake_up"});
    EXPECT_EQ(KeyCodeCaptionIds({0x22, 0x08, 0x00}), Ids{"custem_open"});
    EXPECT_TRUE(KeyCodeCaptionIds({0x22, 0x09, 0x00}).empty());
    EXPECT_EQ(KeyCodeCaptionIds({0xA0, 0x02, 0x00}), Ids{"mouse_key_smart_key"});
    EXPECT_EQ(KeyCodeCaptionIds({0xA0, 0x00, 0x00}), Ids{"close_text"});
    EXPECT_EQ(KeyCodeCaptionIds({0xA0, 0x1B, 0x00}), Ids{"keyboard_key_GM"});
    EXPECT_EQ(KeyCodeCaptionIds({0xD0, 0xA2, 0x03}), Ids{"keyboard_key_M3"});
    EXPECT_EQ(KeyCodeCaptionIds(kMouseDefaultButtonTable[9]), Ids{"mouse_key_DPI_shift"});
    EXPECT_TRUE(KeyCodeCaptionIds({0x70, 0x00, 0x01}).empty());
    for (const KeyCode code : kMouseDefaultButtonTable) {
        EXPECT_EQ(KeyCodeCaptionIds(code).size(), 1u);
    }
}

}  // namespace
}  // namespace quaro
