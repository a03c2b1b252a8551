#pragma once

#include <string>
#include <string_view>

namespace quaro {

// Pages of the key assignment panel's tab layout (the function combo's user data).
namespace keyset_tab {
inline constexpr int kDefault = 0;
inline constexpr int kMouseButton = 1;
inline constexpr int kMouseSwing = 2;
inline constexpr int kMouseWheel = 3;
inline constexpr int kDpiFunction = 4;
inline constexpr int kFireKey = 5;
inline constexpr int kKeyboard = 6;
inline constexpr int kMedia = 7;
inline constexpr int kSystem = 8;
inline constexpr int kMacro = 9;
inline constexpr int kGunKey = 10;
inline constexpr int kCombination = 11;
}  // namespace keyset_tab

// Modifier options of the keyboard tab ("key_ComBox_check_" 0-4); kNoModifierOption when none of
// the five boxes is checked.
namespace keyset_modifier {
inline constexpr int kNoModifierOption = -1;
inline constexpr int kNone = 0;
inline constexpr int kCtrl = 1;
inline constexpr int kShift = 2;
inline constexpr int kAlt = 3;
inline constexpr int kWin = 4;
}  // namespace keyset_modifier

// Play mode row that repeats a macro a given number of times; rows 0-3 are stored as they are.
inline constexpr int kMacroRepeatPlayMode = 4;
inline constexpr int kMacroPlayModeCount = 5;

// Device kinds whose pages hold a key assignment panel.
inline constexpr int kKeySetKeyboardKind = 1;
inline constexpr int kKeySetMouseKind = 2;

// Combo rows use -1 for "nothing selected", as the toolkit's combos do.
inline constexpr int kNoRow = -1;

// Everything the key assignment panel's controls hold, without the controls. Showing a code
// fills only the fields of the tab it selects; the panel leaves the other controls as they were.
struct KeySetChoices {
    int tab = keyset_tab::kDefault;

    int mouseButtonRow = kNoRow;

    int swingDirection = 0;  // 0 left, 1 right
    int swingCount = 0;
    int swingDelay = 0;
    int swingSpeed = 0;

    int wheelDirection = 0;  // 0 up, 1 down
    int wheelCount = 0;
    int wheelDelay = 0;
    int wheelSpeed = 0;

    int dpiRow = kNoRow;

    int fireInterval = 0;
    int fireShots = 0;

    // Language id of the captured key's caption; empty when no key is captured.
    std::string keyCaption;
    int modifierOption = keyset_modifier::kNoModifierOption;

    int mediaRow = kNoRow;
    int systemRow = kNoRow;

    int macroRow = kNoRow;
    int playModeRow = kNoRow;
    bool repeatAreaVisible = false;
    int repeatCount = 0;

    int gunKeyRow = kNoRow;
    int combinationRow = kNoRow;
};

// The panel's edits hold free text; it is read as a decimal integer, and anything that is not
// one (empty, letters, out of range) reads as 0 so that a stray character never stores garbage.
int ParseKeySetEdit(std::string_view text);

// The keyboard page hides the DPI and gun key tabs; the mouse page offers every family.
bool IsKeySetTabOffered(int tab, int deviceKind);

}  // namespace quaro
