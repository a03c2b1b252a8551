#include "devices/keyboard/KeyCodeComposer.h"

#include "devices/keyboard/KeyTables.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <span>

namespace quaro {

namespace {

constexpr int kModifierRowCount = 8;
// The capture scan table runs parallel to the keyboard keys at the start of the name table.
constexpr int kCapturableRowCount = 113;
constexpr int kFirstCombinationModifiers = 129;
constexpr std::uint8_t kDirectionBit = 0x80;
constexpr int kCountModulus = 128;

int NonNegative(int value) {
    return value < 0 ? 0 : value;
}

std::uint8_t Nibble(int value) {
    return static_cast<std::uint8_t>(NonNegative(value) % 16);
}

// Edits that fill a whole byte are capped rather than wrapped: 300 shots stored as 44 would be a
// silently different assignment.
std::uint8_t ByteOf(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

std::uint8_t DelayAndSpeed(int delay, int speed) {
    return static_cast<std::uint8_t>(Nibble(delay) * 16 + Nibble(speed));
}

// Row r of the modifier rows stands for option (r + 1) mod 5 + (r + 1) / 5: both Ctrl keys give
// the Ctrl option, and so on.
int ModifierOptionOfRow(int row) {
    return (row + 1) % 5 + (row + 1) / 5;
}

int ModifierRowOf(std::uint8_t first) {
    for (int row = 0; row < kModifierRowCount; ++row) {
        if (kKeyNameTable[static_cast<std::size_t>(row)].code.first == first) {
            return row;
        }
    }
    return kNoRow;
}

template <typename Rows>
int RowOfCode(const Rows& rows, KeyCode code) {
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].code == code) {
            return static_cast<int>(row);
        }
    }
    return kNoRow;
}

int CombinationRowOf(KeyCode code) {
    const auto found = std::find(kCombinationChoices.begin(), kCombinationChoices.end(), code);
    return found == kCombinationChoices.end()
               ? kNoRow
               : static_cast<int>(found - kCombinationChoices.begin());
}

// The combo row's code, or fallback when nothing (or something outside the table) is selected,
// so that an empty combo never stores a code of its own.
template <typename Rows>
KeyCode CodeOfRow(const Rows& rows, int row, KeyCode fallback) {
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        return fallback;
    }
    return rows[static_cast<std::size_t>(row)].code;
}

int SwingCount(std::uint8_t second) {
    return second & ~kDirectionBit;
}

std::uint8_t WheelSecond(int direction, int count) {
    count = NonNegative(count);
    if (direction != 1) {
        return static_cast<std::uint8_t>(count % kCountModulus);
    }
    // Down counts run 1-128 (0xFF-0x80); larger ones wrap as up counts do, 0 stays "no motion".
    if (count > kCountModulus) {
        count %= kCountModulus;
    }
    return static_cast<std::uint8_t>((2 * kCountModulus - count) & 0xFF);
}

}  // namespace

int ParseKeySetEdit(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc{} ? value : 0;
}

bool IsKeySetTabOffered(int tab, int deviceKind) {
    if (tab < keyset_tab::kDefault || tab > keyset_tab::kCombination) {
        return false;
    }
    if (deviceKind == kKeySetKeyboardKind) {
        return tab != keyset_tab::kDpiFunction && tab != keyset_tab::kGunKey;
    }
    return true;
}

KeySetChoices KeyCodeComposer::LoadKey(const KeyAssignmentEntry& entry) {
    m_keyIndex = entry.keyIndex;
    m_loaded = entry.code;
    m_default = entry.defaultCode;
    return ShowCode(m_loaded);
}

KeySetChoices KeyCodeComposer::ShowCode(KeyCode code) {
    m_current = code;
    KeySetChoices choices;
    if (code == m_default) {
        choices.tab = keyset_tab::kDefault;
        return choices;
    }
    switch (code.type) {
        case key_type::kMouseButton:
            choices.tab = keyset_tab::kMouseButton;
            choices.mouseButtonRow = RowOfCode(kMouseButtonChoices, code);
            break;
        case key_type::kMouseSwing:
            choices.tab = keyset_tab::kMouseSwing;
            choices.swingDelay = code.first / 16;
            choices.swingSpeed = code.first % 16;
            choices.swingCount = SwingCount(code.second);
            choices.swingDirection = (code.second & kDirectionBit) != 0 ? 1 : 0;
            break;
        case key_type::kMouseWheel:
            choices.tab = keyset_tab::kMouseWheel;
            choices.wheelDelay = code.first / 16;
            choices.wheelSpeed = code.first % 16;
            if ((code.second & kDirectionBit) != 0) {
                choices.wheelCount = kCountModulus - SwingCount(code.second);
                choices.wheelDirection = 1;
            } else {
                choices.wheelCount = code.second;
                choices.wheelDirection = 0;
            }
            break;
        case key_type::kDpiFunction:
            choices.tab = keyset_tab::kDpiFunction;
            choices.dpiRow = RowOfCode(kDpiChoices, code);
            break;
        case key_type::kFireKey:
            choices.tab = keyset_tab::kFireKey;
            choices.fireInterval = code.first;
            choices.fireShots = code.second;
            break;
        case key_type::kKeyboard:
            ShowKeyboardCode(choices);
            break;
        case key_type::kConsumer:
            choices.tab = keyset_tab::kMedia;
            choices.mediaRow = RowOfCode(kMediaChoices, code);
            break;
        case key_type::kSystem:
            choices.tab = keyset_tab::kSystem;
            choices.systemRow = RowOfCode(kSystemChoices, code);
            break;
        case key_type::kMacro:
            choices.tab = keyset_tab::kMacro;
            // A macro number equal to the count is already past the last entry.
            if (code.first < m_macroCount) {
                choices.macroRow = code.first;
                choices.playModeRow = code.second < kMacroRepeatPlayMode ? code.second : kNoRow;
            }
            break;
        case key_type::kMacroRepeat:
            choices.tab = keyset_tab::kMacro;
            if (code.first < m_macroCount) {
                choices.macroRow = code.first;
                choices.repeatAreaVisible = true;
                choices.repeatCount = code.second;
                choices.playModeRow = kMacroRepeatPlayMode;
            }
            break;
        case key_type::kGunKey:
            choices.tab = keyset_tab::kGunKey;
            choices.gunKeyRow = code.first;
            break;
        case key_type::kNoFunction:
            choices.tab = keyset_tab::kCombination;
            break;
        default:
            choices.tab = KeyCodePanelTab(code);
            break;
    }
    return choices;
}

void KeyCodeComposer::ShowKeyboardCode(KeySetChoices& choices) {
    choices.tab = keyset_tab::kKeyboard;
    const KeyCode code = m_current;
    if (code.first != 0 && code.second != 0) {
        if (code.first >= kFirstCombinationModifiers) {
            choices.tab = keyset_tab::kCombination;
            choices.combinationRow = CombinationRowOf(code);
            return;
        }
        const int modifierRow = ModifierRowOf(code.first);
        if (modifierRow == kNoRow) {
            choices.modifierOption = keyset_modifier::kNone;
            m_current.first = 0;
        } else {
            choices.modifierOption = ModifierOptionOfRow(modifierRow);
        }
        const auto keys = std::span(kKeyNameTable).subspan(kModifierRowCount);
        const KeyCode key{key_type::kKeyboard, 0, code.second};
        const int keyRow = RowOfCode(keys, key);
        if (keyRow != kNoRow) {
            choices.keyCaption = std::string(keys[static_cast<std::size_t>(keyRow)].caption);
        }
        return;
    }
    const int row = RowOfCode(kKeyNameTable, code);
    if (row == kNoRow) {
        choices.modifierOption = keyset_modifier::kNoModifierOption;
        m_current.first = 0;
        m_current.second = 0;
        return;
    }
    choices.keyCaption = std::string(kKeyNameTable[static_cast<std::size_t>(row)].caption);
    // A lone modifier shown with option "none" would be stored back as no key at all, so its
    // own option is selected.
    choices.modifierOption =
        row < kModifierRowCount ? ModifierOptionOfRow(row) : keyset_modifier::kNone;
}

KeyCode KeyCodeComposer::ComposeKeyboardCode(const KeySetChoices& choices) const {
    KeyCode code = m_current;
    code.type = key_type::kKeyboard;
    const int option = choices.modifierOption;
    if (option < keyset_modifier::kCtrl || option > keyset_modifier::kWin) {
        code.first = 0;
    } else {
        const auto left = static_cast<std::uint8_t>(1U << (option - 1));
        const auto right = static_cast<std::uint8_t>(left << 4);
        // The options name a modifier, not a side: a key holding the right-hand one keeps it.
        const bool heldRight = m_current.type == key_type::kKeyboard && m_current.first == right;
        code.first = heldRight ? right : left;
    }
    if (choices.keyCaption.empty()) {
        code.second = 0;
    }
    return code;
}

KeyCode KeyCodeComposer::ComposeCode(const KeySetChoices& choices) {
    KeyCode code = m_current;
    switch (choices.tab) {
        case keyset_tab::kDefault:
            code = m_default;
            break;
        case keyset_tab::kMouseButton:
            code = CodeOfRow(kMouseButtonChoices, choices.mouseButtonRow, m_current);
            break;
        case keyset_tab::kMouseSwing:
            code = KeyCode{
                key_type::kMouseSwing, DelayAndSpeed(choices.swingDelay, choices.swingSpeed),
                static_cast<std::uint8_t>(NonNegative(choices.swingCount) % kCountModulus +
                                          (choices.swingDirection == 1 ? 128 : 0))};
            break;
        case keyset_tab::kMouseWheel:
            code = KeyCode{key_type::kMouseWheel,
                           DelayAndSpeed(choices.wheelDelay, choices.wheelSpeed),
                           WheelSecond(choices.wheelDirection, choices.wheelCount)};
            break;
        case keyset_tab::kDpiFunction:
            code = CodeOfRow(kDpiChoices, choices.dpiRow, m_current);
            break;
        case keyset_tab::kFireKey:
            code = KeyCode{key_type::kFireKey, ByteOf(choices.fireInterval),
                           ByteOf(choices.fireShots)};
            break;
        case keyset_tab::kKeyboard:
            code = ComposeKeyboardCode(choices);
            break;
        case keyset_tab::kMedia:
            code = CodeOfRow(kMediaChoices, choices.mediaRow, m_current);
            break;
        case keyset_tab::kSystem:
            code = CodeOfRow(kSystemChoices, choices.systemRow, m_current);
            break;
        case keyset_tab::kMacro:
            if (choices.macroRow >= 0 && choices.macroRow < m_macroCount &&
                choices.macroRow <= 255) {
                const auto macro = static_cast<std::uint8_t>(choices.macroRow);
                if (choices.playModeRow == kMacroRepeatPlayMode) {
                    code = KeyCode{key_type::kMacroRepeat, macro, ByteOf(choices.repeatCount)};
                } else {
                    const bool known =
                        choices.playModeRow >= 0 && choices.playModeRow < kMacroRepeatPlayMode;
                    code = KeyCode{key_type::kMacro, macro,
                                   static_cast<std::uint8_t>(known ? choices.playModeRow : 0)};
                }
            }
            break;
        case keyset_tab::kGunKey:
            if (choices.gunKeyRow >= 0 && choices.gunKeyRow <= 255) {
                code = KeyCode{key_type::kGunKey, static_cast<std::uint8_t>(choices.gunKeyRow), 0};
            }
            break;
        case keyset_tab::kCombination:
            if (choices.combinationRow >= 0 &&
                choices.combinationRow < static_cast<int>(kCombinationChoices.size())) {
                code = kCombinationChoices[static_cast<std::size_t>(choices.combinationRow)];
            }
            break;
        default:
            code = m_default;
            break;
    }
    m_current = code;
    return code;
}

bool KeyCodeComposer::CaptureKey(int keyNameRow, KeySetChoices& choices) {
    if (keyNameRow < 0 || keyNameRow >= kCapturableRowCount) {
        return false;
    }
    const KeyCode rowCode = kKeyNameTable[static_cast<std::size_t>(keyNameRow)].code;
    if (rowCode.type != key_type::kKeyboard) {
        return false;
    }
    const std::uint8_t keptKey = m_current.type == key_type::kKeyboard ? m_current.second : 0;
    if (keyNameRow < kModifierRowCount) {
        choices.modifierOption = ModifierOptionOfRow(keyNameRow);
        m_current = KeyCode{key_type::kKeyboard, rowCode.first, keptKey};
        return true;
    }
    if (choices.modifierOption == keyset_modifier::kNoModifierOption) {
        choices.modifierOption = keyset_modifier::kNone;
    }
    choices.keyCaption = std::string(kKeyNameTable[static_cast<std::size_t>(keyNameRow)].caption);
    const std::uint8_t keptModifier = m_current.type == key_type::kKeyboard ? m_current.first : 0;
    m_current = KeyCode{key_type::kKeyboard, keptModifier, rowCode.second};
    return true;
}

}  // namespace quaro
