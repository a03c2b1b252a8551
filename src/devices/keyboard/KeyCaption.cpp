#include "devices/keyboard/KeyCaption.h"

#include "devices/keyboard/KeyTables.h"
#include "devices/mouse/MouseTables.h"

#include <bit>

namespace quaro {
namespace {

template <typename Table, typename Match>
std::string_view FindCaption(const Table& table, Match match) {
    for (const KeyTableRow& row : table) {
        if (match(row.code)) {
            return row.caption;
        }
    }
    return {};
}

std::string_view NameTableCaption(KeyCode code) {
    return FindCaption(kKeyNameTable, [&](KeyCode row) { return row == code; });
}

// A keyboard code with no row of its own reads as its modifier names followed by its key name.
// Modifiers are matched bit by bit so that LCtrl+LShift+A names all three keys.
std::vector<std::string_view> KeyboardCaptionIds(KeyCode code) {
    const std::string_view exact = FindCaption(kKeyNameTable, [&](KeyCode row) {
        return row.type == key_type::kKeyboard && row.first == code.first &&
               row.second == code.second;
    });
    if (!exact.empty()) {
        return {exact};
    }
    if (code.first == 0 && code.second == 0) {
        return {kNoKeyCaption};
    }
    std::vector<std::string_view> ids;
    for (const KeyTableRow& row : kKeyNameTable) {
        if (row.code.type != key_type::kKeyboard) {
            continue;
        }
        const bool modifier = row.code.second == 0 && std::has_single_bit(row.code.first) &&
                              (code.first & row.code.first) != 0;
        const bool usage =
            row.code.first == 0 && code.second != 0 && row.code.second == code.second;
        if (modifier || usage) {
            ids.push_back(row.caption);
        }
    }
    return ids;
}

std::vector<std::string_view> Single(std::string_view id) {
    if (id.empty()) {
        return {};
    }
    return {id};
}

}  // namespace

std::vector<std::string_view> KeyCodeCaptionIds(KeyCode code) {
    switch (code.type) {
        case 0:
        case key_type::kKeyboard:
            return KeyboardCaptionIds(code);
        case key_type::kMouseButton:
            return Single(FindCaption(kMouseButtonChoices,
                                      [&](KeyCode row) { return row.first == code.first; }));
        case key_type::kMouseSwing:
            return {(code.second & 0x80) != 0 ? kSwingRightCaption : kSwingLeftCaption};
        case key_type::kMouseWheel:
            return {(code.second & 0x80) != 0 ? kWheelDownCaption : kWheelUpCaption};
        case key_type::kDpiFunction:
            return Single(
                FindCaption(kDpiChoices, [&](KeyCode row) { return row.first == code.first; }));
        case key_type::kFireKey:
            return {kFireKeyCaption};
        case key_type::kConsumer: {
            const std::string_view media = FindCaption(kMediaChoices, [&](KeyCode row) {
                return row.first == code.first && row.second == code.second;
            });
            return Single(media.empty() ? NameTableCaption(code) : media);
        }
        case key_type::kSystem:
            return Single(
                FindCaption(kSystemChoices, [&](KeyCode row) { return row.first == code.first; }));
        case key_type::kCustomShortcut:
            if (code.first < kCustomShortcutCaptions.size()) {
                return {kCustomShortcutCaptions[code.first]};
            }
            return {};
        case key_type::kDpiShift:
        case key_type::kShowWindow:
            // Their parameters carry a value (the DPI to shift to), so the type alone names them.
            return Single(FindCaption(kMouseFunctionTable,
                                      [&](KeyCode row) { return row.type == code.type; }));
        case key_type::kKeyboardFunction:
        case key_type::kMKey: {
            const std::string_view function = FindCaption(kMouseFunctionTable, [&](KeyCode row) {
                return row.type == code.type && row.first == code.first;
            });
            return Single(function.empty() ? NameTableCaption(code) : function);
        }
        default:
            return {};
    }
}

std::string KeyCodeCaption(KeyCode code,
                           const std::function<std::string(std::string_view)>& translate) {
    std::string caption;
    for (std::string_view id : KeyCodeCaptionIds(code)) {
        if (!caption.empty()) {
            caption += '+';
        }
        caption += translate(id);
    }
    return caption;
}

std::string_view LogicalKeyCaptionId(int logicalKey) {
    if (logicalKey < 0 || logicalKey >= kLogicalKeyCount) {
        return {};
    }
    const std::vector<std::string_view> ids = KeyCodeCaptionIds(kDefaultKeyTable[logicalKey]);
    return ids.size() == 1 ? ids.front() : std::string_view{};
}

}  // namespace quaro
