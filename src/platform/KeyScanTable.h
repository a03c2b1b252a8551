#pragma once

#include <array>
#include <cstdint>
#include <linux/input-event-codes.h>

namespace quaro {

// One key of the recorder's key table: the key's virtual-key code, its make code in PC scan code
// set 1 (without the E0 prefix, which the extended flag stands for) and the Linux input key code
// it arrives as on this system.
struct KeyScanRow {
    std::uint16_t virtualKey = 0;
    std::uint8_t scanCode = 0;
    bool extended = false;
    std::uint16_t linuxKey = 0;
};

inline constexpr int kKeyScanRowCount = 113;

// Row i is the key of row i of the keyboard's key name table: the eight modifiers, letters,
// digits, main keys, function, navigation and numeric-pad keys and the ten international keys.
// The codes are the ones a standard 104/106/107-key board sends.
// clang-format off
inline constexpr std::array<KeyScanRow, kKeyScanRowCount> kKeyScanTable = {{
    // 0-7: LCtrl, LShift, LAlt, LWin, RCtrl, RShift, RAlt, RWin
    {0xA2, 0x1D, false, KEY_LEFTCTRL},
    {0xA0, 0x2A, false, KEY_LEFTSHIFT},
    {0xA4, 0x38, false, KEY_LEFTALT},
    {0x5B, 0x5B, true, KEY_LEFTMETA},
    {0xA3, 0x1D, true, KEY_RIGHTCTRL},
    {0xA1, 0x36, true, KEY_RIGHTSHIFT},
    {0xA5, 0x38, true, KEY_RIGHTALT},
    {0x5C, 0x5C, true, KEY_RIGHTMETA},
    // 8-33: A-Z
    {0x41, 0x1E, false, KEY_A}, {0x42, 0x30, false, KEY_B}, {0x43, 0x2E, false, KEY_C},
    {0x44, 0x20, false, KEY_D}, {0x45, 0x12, false, KEY_E}, {0x46, 0x21, false, KEY_F},
    {0x47, 0x22, false, KEY_G}, {0x48, 0x23, false, KEY_H}, {0x49, 0x17, false, KEY_I},
    {0x4A, 0x24, false, KEY_J}, {0x4B, 0x25, false, KEY_K}, {0x4C, 0x26, false, KEY_L},
    {0x4D, 0x32, false, KEY_M}, {0x4E, 0x31, false, KEY_N}, {0x4F, 0x18, false, KEY_O},
    {0x50, 0x19, false, KEY_P}, {0x51, 0x10, false, KEY_Q}, {0x52, 0x13, false, KEY_R},
    {0x53, 0x1F, false, KEY_S}, {0x54, 0x14, false, KEY_T}, {0x55, 0x16, false, KEY_U},
    {0x56, 0x2F, false, KEY_V}, {0x57, 0x11, false, KEY_W}, {0x58, 0x2D, false, KEY_X},
    {0x59, 0x15, false, KEY_Y}, {0x5A, 0x2C, false, KEY_Z},
    // 34-43: 1-9, 0
    {0x31, 0x02, false, KEY_1}, {0x32, 0x03, false, KEY_2}, {0x33, 0x04, false, KEY_3},
    {0x34, 0x05, false, KEY_4}, {0x35, 0x06, false, KEY_5}, {0x36, 0x07, false, KEY_6},
    {0x37, 0x08, false, KEY_7}, {0x38, 0x09, false, KEY_8}, {0x39, 0x0A, false, KEY_9},
    {0x30, 0x0B, false, KEY_0},
    // 44-59: Enter, Esc, BackSpace, Tab, Space, - = [ ] \ ; ' ` , . /
    {0x0D, 0x1C, false, KEY_ENTER},
    {0x1B, 0x01, false, KEY_ESC},
    {0x08, 0x0E, false, KEY_BACKSPACE},
    {0x09, 0x0F, false, KEY_TAB},
    {0x20, 0x39, false, KEY_SPACE},
    {0xBD, 0x0C, false, KEY_MINUS},
    {0xBB, 0x0D, false, KEY_EQUAL},
    {0xDB, 0x1A, false, KEY_LEFTBRACE},
    {0xDD, 0x1B, false, KEY_RIGHTBRACE},
    {0xDC, 0x2B, false, KEY_BACKSLASH},
    {0xBA, 0x27, false, KEY_SEMICOLON},
    {0xDE, 0x28, false, KEY_APOSTROPHE},
    {0xC0, 0x29, false, KEY_GRAVE},
    {0xBC, 0x33, false, KEY_COMMA},
    {0xBE, 0x34, false, KEY_DOT},
    {0xBF, 0x35, false, KEY_SLASH},
    // 60-75: Caps Lock, F1-F12, Print Scr, Scroll Lock, Pause
    {0x14, 0x3A, false, KEY_CAPSLOCK},
    {0x70, 0x3B, false, KEY_F1}, {0x71, 0x3C, false, KEY_F2}, {0x72, 0x3D, false, KEY_F3},
    {0x73, 0x3E, false, KEY_F4}, {0x74, 0x3F, false, KEY_F5}, {0x75, 0x40, false, KEY_F6},
    {0x76, 0x41, false, KEY_F7}, {0x77, 0x42, false, KEY_F8}, {0x78, 0x43, false, KEY_F9},
    {0x79, 0x44, false, KEY_F10}, {0x7A, 0x57, false, KEY_F11}, {0x7B, 0x58, false, KEY_F12},
    {0x2C, 0x37, true, KEY_SYSRQ},
    {0x91, 0x46, false, KEY_SCROLLLOCK},
    {0x13, 0x45, false, KEY_PAUSE},
    // 76-85: Insert, Home, Page Up, Delete, End, Page Down, Right, Left, Down, Up
    {0x2D, 0x52, true, KEY_INSERT},
    {0x24, 0x47, true, KEY_HOME},
    {0x21, 0x49, true, KEY_PAGEUP},
    {0x2E, 0x53, true, KEY_DELETE},
    {0x23, 0x4F, true, KEY_END},
    {0x22, 0x51, true, KEY_PAGEDOWN},
    {0x27, 0x4D, true, KEY_RIGHT},
    {0x25, 0x4B, true, KEY_LEFT},
    {0x28, 0x50, true, KEY_DOWN},
    {0x26, 0x48, true, KEY_UP},
    // 86-102: Num Lock, Num /, Num *, Num -, Num +, Num Enter, Num 1-9, Num 0, Decimal
    {0x90, 0x45, true, KEY_NUMLOCK},
    {0x6F, 0x35, true, KEY_KPSLASH},
    {0x6A, 0x37, false, KEY_KPASTERISK},
    {0x6D, 0x4A, false, KEY_KPMINUS},
    {0x6B, 0x4E, false, KEY_KPPLUS},
    {0x0D, 0x1C, true, KEY_KPENTER},
    {0x61, 0x4F, false, KEY_KP1}, {0x62, 0x50, false, KEY_KP2}, {0x63, 0x51, false, KEY_KP3},
    {0x64, 0x4B, false, KEY_KP4}, {0x65, 0x4C, false, KEY_KP5}, {0x66, 0x4D, false, KEY_KP6},
    {0x67, 0x47, false, KEY_KP7}, {0x68, 0x48, false, KEY_KP8}, {0x69, 0x49, false, KEY_KP9},
    {0x60, 0x52, false, KEY_KP0},
    {0x6E, 0x53, false, KEY_KPDOT},
    // 103-112: App, K45, K56, K14, K107, K131, K132, K133, K150, K151
    {0x5D, 0x5D, true, KEY_COMPOSE},
    {0xE2, 0x56, false, KEY_102ND},
    {0xC1, 0x73, false, KEY_RO},
    {0xDC, 0x7D, false, KEY_YEN},
    {0xC2, 0x7E, false, KEY_KPCOMMA},
    {0x1D, 0x7B, false, KEY_MUHENKAN},
    {0x1C, 0x79, false, KEY_HENKAN},
    {0xF2, 0x70, false, KEY_KATAKANAHIRAGANA},
    {0x19, 0x71, false, KEY_HANJA},
    {0x15, 0x72, false, KEY_HANGEUL},
}};
// clang-format on

// The row of a Linux input key code, or -1 for a key outside the table.
int FindKeyScanRowByLinuxKey(unsigned linuxKey);

// The first row with this scan code and extended flag, or -1: how a key record is matched back
// to its key.
int FindKeyScanRow(std::uint8_t scanCode, bool extended);

}  // namespace quaro
