#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace quaro {

// The option tabs of a device page, numbered 1 to 7 in this order.
inline constexpr std::array<std::string_view, 7> kOptionTabNames = {
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab"};

// The tabs a device kind hides and shows when its profile panel initialises; all other tabs
// keep the layout's visibility.
struct OptionTabVisibility {
    std::vector<std::string_view> hidden;
    std::vector<std::string_view> shown;
};

// Kinds 4 and 5 have rows although no catalogued device has those kinds.
inline OptionTabVisibility OptionTabsForKind(int kind) {
    switch (kind) {
        case 1:
            return {{"cursor_Op_tab"}, {}};
        case 3:
        case 5:
            return {{"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}, {}};
        case 4:
            return {{"cursor_Op_tab", "macro_Op_tab", "key_Op_tab"}, {}};
        case 7:
            return {{"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"},
                    {"6533_voice_Op_tab", "magic_Op_tab"}};
        default:  // 2 and 6, the mice, and anything else
            return {};
    }
}

// The name of option tab n (1 to 7); empty for any other n, which selects none.
inline std::string_view OptionTabName(int n) {
    return (n >= 1 && n <= static_cast<int>(kOptionTabNames.size())) ? kOptionTabNames[n - 1]
                                                                     : std::string_view();
}

}  // namespace quaro
