#include "platform/KeyScanTable.h"

#include <gtest/gtest.h>

#include <set>

namespace quaro {
namespace {

TEST(KeyScanTable, EveryKeyIsFoundAtItsOwnRowBothWays) {
    for (int row = 0; row < kKeyScanRowCount; ++row) {
        const KeyScanRow& key = kKeyScanTable[static_cast<std::size_t>(row)];
        EXPECT_EQ(FindKeyScanRow(key.scanCode, key.extended), row) << row;
        EXPECT_EQ(FindKeyScanRowByLinuxKey(key.linuxKey), row) << row;
    }
    EXPECT_EQ(FindKeyScanRow(0x00, false), -1);
    EXPECT_EQ(FindKeyScanRow(0x1E, true), -1);
    EXPECT_EQ(FindKeyScanRowByLinuxKey(KEY_VOLUMEUP), -1);
}

TEST(KeyScanTable, ExactlyTheE0KeysAreExtended) {
    const std::set<int> extendedRows = {3,  4,  5,  6,  7,  73, 76, 77, 78, 79,
                                        80, 81, 82, 83, 84, 85, 86, 87, 91, 103};
    for (int row = 0; row < kKeyScanRowCount; ++row) {
        EXPECT_EQ(kKeyScanTable[static_cast<std::size_t>(row)].extended,
                  extendedRows.count(row) == 1)
            << row;
    }
    // Keys that share a make code and differ only by the prefix.
    EXPECT_EQ(FindKeyScanRow(0x45, false), 75);  // Pause
    EXPECT_EQ(FindKeyScanRow(0x45, true), 86);   // Num Lock
    EXPECT_EQ(FindKeyScanRow(0x1C, false), 44);  // Enter
    EXPECT_EQ(FindKeyScanRow(0x1C, true), 91);   // Num Enter
    EXPECT_EQ(FindKeyScanRow(0x37, true), 73);   // Print Scr
    EXPECT_EQ(FindKeyScanRow(0x37, false), 88);  // Num *
}

// The Linux key codes below 89 were numbered after set 1's make codes, so the two columns of
// every key without the prefix check each other.
TEST(KeyScanTable, PlainKeysBelowEightyNineCarryTheirScanCodeAsLinuxCode) {
    int checked = 0;
    for (int row = 0; row < kKeyScanRowCount; ++row) {
        const KeyScanRow& key = kKeyScanTable[static_cast<std::size_t>(row)];
        if (!key.extended && key.linuxKey < 89) {
            EXPECT_EQ(key.scanCode, key.linuxKey) << row;
            ++checked;
        }
    }
    // All plain keys but Pause and the eight Asian keys.
    EXPECT_EQ(checked, 84);
}

TEST(KeyScanTable, RowsFollowTheKeyNameOrder) {
    for (int letter = 0; letter < 26; ++letter) {
        EXPECT_EQ(kKeyScanTable[static_cast<std::size_t>(8 + letter)].virtualKey, 0x41 + letter);
    }
    for (int digit = 1; digit <= 9; ++digit) {
        EXPECT_EQ(kKeyScanTable[static_cast<std::size_t>(33 + digit)].virtualKey, 0x30 + digit);
    }
    EXPECT_EQ(kKeyScanTable[43].virtualKey, 0x30);
    for (int function = 0; function < 12; ++function) {
        EXPECT_EQ(kKeyScanTable[static_cast<std::size_t>(61 + function)].virtualKey,
                  0x70 + function);
    }
    // The modifiers in the order LCtrl, LShift, LAlt, LWin, RCtrl, RShift, RAlt, RWin.
    const std::uint16_t modifiers[] = {0xA2, 0xA0, 0xA4, 0x5B, 0xA3, 0xA1, 0xA5, 0x5C};
    for (std::size_t row = 0; row < 8; ++row) {
        EXPECT_EQ(kKeyScanTable[row].virtualKey, modifiers[row]) << row;
    }
    // The international keys close the table.
    const std::uint8_t international[] = {0x56, 0x73, 0x7D, 0x7E, 0x7B, 0x79, 0x70, 0x71, 0x72};
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(kKeyScanTable[104 + i].scanCode, international[i]) << i;
    }
}

}  // namespace
}  // namespace quaro
