#pragma once

#include "devices/keyboard/KeyTables.h"
#include "profiles/KeyCode.h"

#include <array>
#include <string_view>

namespace quaro {

inline constexpr int kMouseButtonCount = 10;

// Factory code of each logical mouse button, in the order of the mouse profile's "KeyList".
// Button 9 shifts to 400 DPI while held; its DPI sits little-endian in the two parameters.
inline constexpr std::array<KeyCode, kMouseButtonCount> kMouseDefaultButtonTable = {{
    {0x10, 0x01, 0x00},  // left
    {0x10, 0x02, 0x00},  // right
    {0x10, 0x04, 0x00},  // middle
    {0x10, 0x10, 0x00},  // forward
    {0x10, 0x08, 0x00},  // back
    {0x13, 0x01, 0x00},  // DPI up
    {0x13, 0x02, 0x00},  // DPI down
    {0x13, 0x03, 0x00},  // DPI cycle
    {0xA0, 0x1B, 0x00},  // game mode
    {0x16, 0x90, 0x01},  // DPI shift to 400
}};

// Captions of the mouse's own functions, matched by type and first parameter. The leading mouse
// button rows are never reached by the types that consult this table.
inline constexpr std::array<KeyTableRow, 15> kMouseFunctionTable = {{
    {0, {0x10, 0x01, 0x00}, "mouse_key_left"},
    {1, {0x10, 0x02, 0x00}, "mouse_key_right"},
    {2, {0x10, 0x04, 0x00}, "mouse_key_middle"},
    {3, {0x10, 0x10, 0x00}, "mouse_key_forward"},
    {4, {0x10, 0x08, 0x00}, "mouse_key_back"},
    {5, {0x14, 0x50, 0x02}, "mouse_key_fire_key"},
    {6, {0x20, 0x00, 0x00}, "mouse_key_shortcut_key"},
    {7, {0x20, 0x80, 0x00}, "win_key_text"},
    {8, {0xA0, 0x02, 0x00}, "mouse_key_smart_key"},
    {9, {0xA0, 0x00, 0x00}, "close_text"},
    {10, {0x13, 0x03, 0x00}, "mouse_key_DPI_loop"},
    {11, {0x13, 0x01, 0x00}, "mouse_key_DPI_add"},
    {12, {0x13, 0x02, 0x00}, "mouse_key_DPI_sub"},
    {13, {0x16, 0x00, 0x00}, "mouse_key_DPI_shift"},
    {14, {0x23, 0x00, 0x00}, "show_window"},
}};

// Editing shortcuts of type 0x22, by first parameter.
inline constexpr std::array<std::string_view, 9> kCustomShortcutCaptions = {
    "custem_cut",  "custem_copy", "custem_paste", "custem_undo", "custem_select_all",
    "custem_find", "custem_new",  "custem_save",  "custem_open",
};

}  // namespace quaro
