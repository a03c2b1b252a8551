#pragma once

#include <array>
#include <cstddef>

namespace quaro {

// The control groups of the lighting panel that the enable rule switches, in table order.
enum class LightGroup : std::size_t {
    Effect,
    Multicolour,
    Colour,
    Palette,
    Brightness,
    Speed,
    Direction,
};
inline constexpr std::size_t kLightGroupCount = 7;

// What a rule does to the groups' visibility besides enabling them.
enum class LightVisibility {
    Unchanged,
    AllGroups,
    AllGroupsAndCustom,      // the keyboard's custom effect group shows too
    EffectAndBrightnessOnly  // every other group hides, the multicolour option included
};

// One row of a kind's table: which groups an effect enables, whether it can be synchronised
// across devices, and how it changes visibility.
struct LightRule {
    std::array<bool, kLightGroupCount> enabled{};
    bool canSync = false;
    LightVisibility visibility = LightVisibility::Unchanged;

    bool IsEnabled(LightGroup group) const { return enabled[static_cast<std::size_t>(group)]; }
};

// The rule a device kind applies for an effect number, or null for a kind without rules (the
// mouse over a slow link, kind 6, and kinds no page has). An effect a kind does not list gets
// that kind's fallback row.
const LightRule* FindLightRule(int kind, int effect);

// Whether the kind's rule starts by hiding the custom effect group (the keyboard's does).
bool LightRuleHidesCustomGroup(int kind);

}  // namespace quaro
